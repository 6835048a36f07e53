// The correlogram map in the three formats of geolago-cli.

#include <string>
#include <string_view>

#include "numbertext.h"
#include "report.h"

namespace geolago::cli {

namespace {

// A number that does not exist: NA in tsv, a dash in text, null in JSON.
std::string real(const std::optional<double>& value, const std::string& separator, const char* none)
{
    return value ? writeReal(*value, separator) : none;
}

// Appends `field` to `text` in a column of `width`, at least one blank after it.
void padded(std::string& text, std::string_view field, std::size_t width)
{
    text.append(field);
    text.append(field.size() < width ? width - field.size() : 1, ' ');
}

}  // namespace

std::string mapTsvHeader()
{
    return "variable\twith\tcells\tfill\tdx\tdy\tdistance_x\tdistance_y\tr\tpairs\tp\tlow\thigh\tp_holm\n";
}

void appendMapTsv(std::string& rows, const std::string& leading, const CorrelogramMap& map,
                  const std::string& separator)
{
    for (const MapVector& v : map.vectors) {
        rows.append(leading).append(writeInteger(v.shift.dx)) += '\t';
        rows.append(writeInteger(v.shift.dy)) += '\t';
        rows.append(writeReal(v.distanceX, separator)) += '\t';
        rows.append(writeReal(v.distanceY, separator)) += '\t';
        rows.append(real(v.r, separator, "NA")) += '\t';
        rows.append(writeInteger(v.pairs)) += '\t';
        rows.append(real(v.p, separator, "NA")) += '\t';
        rows.append(real(v.low, separator, "NA")) += '\t';
        rows.append(real(v.high, separator, "NA")) += '\t';
        rows.append(real(v.pHolm, separator, "NA")) += '\n';
    }
}

void appendMapText(std::string& text, const CorrelogramMap& map, const std::string& separator)
{
    // As the correlograms' columns: the longest real text has 21 characters.
    constexpr std::size_t shiftWidth = 8, realWidth = 23, pairsWidth = 8;
    text.append("\nCarte (dx le long de X, dy le long de Y, de -").append(writeInteger(map.maxShift));
    text.append(" à ").append(writeInteger(map.maxShift)).append(")\n");
    padded(text, "dx", shiftWidth);
    padded(text, "dy", shiftWidth);
    padded(text, "Distance X", realWidth);
    padded(text, "Distance Y", realWidth);
    padded(text, "R", realWidth);
    padded(text, "Paires", pairsWidth);
    padded(text, "p", realWidth);
    padded(text, "Bas", realWidth);
    padded(text, "Haut", realWidth);
    text.append("p Holm\n");
    for (const MapVector& v : map.vectors) {
        padded(text, writeInteger(v.shift.dx), shiftWidth);
        padded(text, writeInteger(v.shift.dy), shiftWidth);
        padded(text, writeReal(v.distanceX, separator), realWidth);
        padded(text, writeReal(v.distanceY, separator), realWidth);
        padded(text, real(v.r, separator, "-"), realWidth);
        padded(text, writeInteger(v.pairs), pairsWidth);
        padded(text, real(v.p, separator, "-"), realWidth);
        padded(text, real(v.low, separator, "-"), realWidth);
        padded(text, real(v.high, separator, "-"), realWidth);
        text.append(real(v.pHolm, separator, "-")) += '\n';
    }
    text.append("Anisotropie : direction ").append(real(map.anisotropy.direction, separator, "-"));
    text.append(" degrés, rapport ").append(real(map.anisotropy.ratio, separator, "-")) += '\n';
}

void appendMapJson(std::string& json, const CorrelogramMap& map)
{
    json.append(",\n   \"max_shift\": ").append(std::to_string(map.maxShift)).append(", \"map\": [");
    for (std::size_t i = 0; i < map.vectors.size(); ++i) {
        const MapVector& v = map.vectors[i];
        json.append(i > 0 ? ",\n    " : "\n    ").append("{\"dx\": ").append(std::to_string(v.shift.dx));
        json.append(", \"dy\": ").append(std::to_string(v.shift.dy));
        json.append(", \"distance_x\": ").append(jsonNumber(v.distanceX));
        json.append(", \"distance_y\": ").append(jsonNumber(v.distanceY));
        appendTestedFigures(json, v.r, v.pairs, v);
        json += '}';
    }
    json.append("],\n   \"anisotropy\": {\"direction\": ").append(jsonNumber(map.anisotropy.direction));
    json.append(", \"ratio\": ").append(jsonNumber(map.anisotropy.ratio)) += '}';
}

}  // namespace geolago::cli
