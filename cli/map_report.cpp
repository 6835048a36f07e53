// The correlogram map in the three formats of geolago-cli.

#include <string>
#include <string_view>

#include "numbertext.h"
#include "report.h"

namespace geolago::cli {

namespace {

// A number of the text format, a dash when it does not exist.
std::string real(const std::optional<double>& value, const std::string& separator)
{
    return value ? writeReal(*value, separator) : "-";
}

}  // namespace

std::string mapTsvHeader()
{
    return "variable\twith\tcells\tfill\tdx\tdy\tdistance_x\tdistance_y\tr\tpairs\tp\tlow\thigh\tp_holm\tp_fwer\tnull"
           "\tpermutations\n";
}

void appendMapTsv(std::string& rows, const std::string& leading, const CorrelogramMap& map, const std::string& tail,
                  const std::string& separator)
{
    for (const Shift& v : map.vectors) {
        rows.append(leading).append(writeInteger(v.vector.dx)) += '\t';
        rows.append(writeInteger(v.vector.dy)) += '\t';
        rows.append(writeReal(v.distanceX, separator)) += '\t';
        rows.append(writeReal(v.distanceY, separator)) += '\t';
        appendTestedTsv(rows, v.r, v.pairs, v, tail, separator);
    }
}

void appendMapText(std::string& text, const CorrelogramMap& map, const std::string& separator)
{
    text.append("\nCarte (dx le long de X, dy le long de Y, de -").append(writeInteger(map.maxShift));
    text.append(" à ").append(writeInteger(map.maxShift)).append(")\n");
    padded(text, "dx", ShiftColumn);
    padded(text, "dy", ShiftColumn);
    padded(text, "Distance X", RealColumn);
    padded(text, "Distance Y", RealColumn);
    appendTestedHeaderText(text);
    for (const Shift& v : map.vectors) {
        padded(text, writeInteger(v.vector.dx), ShiftColumn);
        padded(text, writeInteger(v.vector.dy), ShiftColumn);
        padded(text, writeReal(v.distanceX, separator), RealColumn);
        padded(text, writeReal(v.distanceY, separator), RealColumn);
        appendTestedText(text, v.r, v.pairs, v, separator);
    }
    text.append("Anisotropie : direction ").append(real(map.anisotropy.direction, separator));
    text.append(" degrés, rapport ").append(real(map.anisotropy.ratio, separator)) += '\n';
}

void appendMapJson(std::string& json, const CorrelogramMap& map)
{
    json.append(",\n   \"max_shift\": ").append(std::to_string(map.maxShift)).append(", \"map\": [");
    for (std::size_t i = 0; i < map.vectors.size(); ++i) {
        const Shift& v = map.vectors[i];
        json.append(i > 0 ? ",\n    " : "\n    ").append("{\"dx\": ").append(std::to_string(v.vector.dx));
        json.append(", \"dy\": ").append(std::to_string(v.vector.dy));
        json.append(", \"distance_x\": ").append(jsonNumber(v.distanceX));
        json.append(", \"distance_y\": ").append(jsonNumber(v.distanceY));
        appendTestedFigures(json, v.r, v.pairs, v);
        json += '}';
    }
    json.append("],\n   \"anisotropy\": {\"direction\": ").append(jsonNumber(map.anisotropy.direction));
    json.append(", \"ratio\": ").append(jsonNumber(map.anisotropy.ratio)) += '}';
}

}  // namespace geolago::cli
