#include "report.h"

#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

#include "numbertext.h"

namespace geolago::cli {

namespace {

// Number of bytes of the well-formed UTF-8 sequence at text[i], or 0 if there is none.
std::size_t utf8Length(const std::string& text, std::size_t i)
{
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // range of the first continuation byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;  // no overlong forms
        if (lead == 0xED)
            high = 0x9F;  // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    if (byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
            return 0;
    return length;
}

std::string hexEscape(unsigned char c)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04X", c);
    return buffer;
}

// The directions in the order they are written, with their labels and the axis along
// which each pairs its cells.
struct DirectionRows {
    Direction direction;
    const char* label;
    const char* along;
    const std::vector<Shift>& shifts;
};

std::vector<DirectionRows> directionsOf(const Correlogram& result)
{
    return {{Direction::EastWest, "E_W", "Y", result.eastWest}, {Direction::NorthSouth, "N_S", "X", result.northSouth}};
}

// The null as --cross-null names it.
std::string nullName(Null null)
{
    return null == Null::Toroidal ? "toroidal" : "shuffle";
}

// The columns of the text format: the longest real text, "-0.000999999999999999", has 21
// characters.
constexpr std::size_t ShiftColumn = 8, RealColumn = 23, PairsColumn = 8;

// Appends `field` to `text` in a column of `width`, at least one blank after it.
void padded(std::string& text, std::string_view field, std::size_t width)
{
    text.append(field);
    text.append(field.size() < width ? width - field.size() : 1, ' ');
}

// The text format: a block per correlogram, its heading, a table per direction and the
// map's table after them.
class TextWriter : public ReportWriter {
public:
    TextWriter(std::string separator, std::ostream& out) : separator_(std::move(separator)), out_(out) {}

    void begin(const RunContext&) override {}

    void correlogram(const Correlogram& result, const CorrelogramMap* map) override
    {
        std::string text;
        if (written_++ > 0)
            text += '\n';
        heading(text, result);
        for (const DirectionRows& direction : directionsOf(result)) {
            text.append("\n").append(direction.label).append(" (paires le long de ").append(direction.along).append(")\n");
            padded(text, "Maille", ShiftColumn);
            padded(text, "Distance", RealColumn);
            figuresHeader(text);
            for (std::size_t k = 0; k < direction.shifts.size(); ++k) {
                const Shift& shift = direction.shifts[k];
                padded(text, writeInteger(static_cast<std::int32_t>(k)), ShiftColumn);
                padded(text, writeReal(shift.distance(), separator_), RealColumn);
                figures(text, shift);
            }
            text.append("Premier passage à zéro : ").append(real(result.zeroCrossing(direction.direction))) += '\n';
        }
        if (map)
            mapTable(text, *map);
        out_ << text;
        out_.flush();
    }

    void failed(const Heading&, const std::string&) override {}

    void finish(const RunContext&, const std::optional<std::string>&) override { out_.flush(); }

private:
    void heading(std::string& text, const Heading& heading) const
    {
        text.append("Variable ").append(writeInteger(heading.variable.position)).append(" : ");
        text.append(escapeControls(heading.variable.name)) += '\n';
        if (heading.with) {
            text.append("Croisée avec la variable ").append(writeInteger(heading.with->position)).append(" : ");
            text.append(escapeControls(heading.with->name)) += '\n';
        }
        text.append("Mailles : ").append(writeInteger(heading.cellsPerAxis)) += '\n';
        text.append("Mailles remplies : ").append(writeReal(heading.fill, separator_)).append(" %\n");
        if (heading.testNull)
            text.append("Test : ").append(writeInteger(heading.permutationsMade)).append(" permutations, hypothèse nulle ")
                .append(nullName(*heading.testNull)).append(*heading.testNull == Null::Toroidal
                                                                ? " (translations de B sur le tore)\n"
                                                                : " (valeurs mélangées entre les points)\n");
    }

    // The headers of r, the pairs and the test, and a shift's or a vector's figures under
    // them, each ending the row.
    static void figuresHeader(std::string& text)
    {
        padded(text, "R", RealColumn);
        padded(text, "Paires", PairsColumn);
        padded(text, "p", RealColumn);
        padded(text, "Bas", RealColumn);
        padded(text, "Haut", RealColumn);
        padded(text, "p Holm", RealColumn);
        text.append("p maxT\n");
    }
    void figures(std::string& text, const Shift& shift) const
    {
        padded(text, real(shift.r), RealColumn);
        padded(text, writeInteger(shift.pairs), PairsColumn);
        padded(text, real(shift.p), RealColumn);
        padded(text, real(shift.low), RealColumn);
        padded(text, real(shift.high), RealColumn);
        padded(text, real(shift.pHolm), RealColumn);
        text.append(real(shift.pFwer)) += '\n';
    }

    void mapTable(std::string& text, const CorrelogramMap& map) const
    {
        text.append("\nCarte (dx le long de X, dy le long de Y, de -").append(writeInteger(map.maxShift));
        text.append(" à ").append(writeInteger(map.maxShift)).append(")\n");
        padded(text, "dx", ShiftColumn);
        padded(text, "dy", ShiftColumn);
        padded(text, "Distance X", RealColumn);
        padded(text, "Distance Y", RealColumn);
        figuresHeader(text);
        for (const Shift& v : map.vectors) {
            padded(text, writeInteger(v.vector.dx), ShiftColumn);
            padded(text, writeInteger(v.vector.dy), ShiftColumn);
            padded(text, writeReal(v.distanceX, separator_), RealColumn);
            padded(text, writeReal(v.distanceY, separator_), RealColumn);
            figures(text, v);
        }
        text.append("Anisotropie : direction ").append(real(map.anisotropy.direction));
        text.append(" degrés, rapport ").append(real(map.anisotropy.ratio)) += '\n';
    }

    // A number that does not exist is a dash.
    std::string real(const std::optional<double>& value) const
    {
        return value ? writeReal(*value, separator_) : "-";
    }

    std::string separator_;
    std::ostream& out_;
    int written_ = 0;
};

// The tsv format: one table, the rows of the correlograms, or with --map those of the
// maps, whose axes are the correlograms; each row repeats its heading.
class TsvWriter : public ReportWriter {
public:
    TsvWriter(std::string separator, std::ostream& out) : separator_(std::move(separator)), out_(out) {}

    // The header comes with the first rows: a run that gives none writes nothing at all.
    void begin(const RunContext& context) override { map_ = context.map; }

    void correlogram(const Correlogram& result, const CorrelogramMap* map) override
    {
        if (!headerWritten_)
            out_ << (map_ ? "variable\twith\tcells\tfill\tdx\tdy\tdistance_x\tdistance_y\tr\tpairs\tp\tlow\thigh"
                            "\tp_holm\tp_fwer\tnull\tpermutations\n"
                          : "variable\twith\tcells\tfill\tdirection\tshift\tdistance\tr\tpairs\tp\tlow\thigh\tp_holm"
                            "\tp_fwer\tnull\tpermutations\n");
        headerWritten_ = true;
        const Heading& heading = result;
        const std::string leading = tsvField(heading.variable.name) + '\t'
            + (heading.with ? tsvField(heading.with->name) : "") + '\t' + writeInteger(heading.cellsPerAxis) + '\t'
            + writeReal(heading.fill, separator_) + '\t';
        // What was tested, the same on every row: a script can keep the rows of one null.
        const std::string tail = std::string("\t") + (heading.testNull ? nullName(*heading.testNull) : "NA") + '\t'
            + writeInteger(heading.permutationsMade);
        // The rows are gathered and written at once.
        std::string rows;
        if (map) {
            for (const Shift& v : map->vectors) {
                rows.append(leading).append(writeInteger(v.vector.dx)) += '\t';
                rows.append(writeInteger(v.vector.dy)) += '\t';
                rows.append(writeReal(v.distanceX, separator_)) += '\t';
                rows.append(writeReal(v.distanceY, separator_)) += '\t';
                figures(rows, v, tail);
            }
        } else {
            for (const DirectionRows& direction : directionsOf(result))
                for (std::size_t k = 0; k < direction.shifts.size(); ++k) {
                    const Shift& shift = direction.shifts[k];
                    rows.append(leading).append(direction.label) += '\t';
                    rows.append(writeInteger(static_cast<std::int32_t>(k))) += '\t';
                    rows.append(writeReal(shift.distance(), separator_)) += '\t';
                    figures(rows, shift, tail);
                }
        }
        out_ << rows;
        out_.flush();
    }

    void failed(const Heading&, const std::string&) override {}

    void finish(const RunContext&, const std::optional<std::string>&) override { out_.flush(); }

private:
    // r, the pairs and the test of a shift or a vector, then `tail`, ending the row.
    void figures(std::string& rows, const Shift& shift, const std::string& tail) const
    {
        rows.append(real(shift.r)) += '\t';
        rows.append(writeInteger(shift.pairs)) += '\t';
        rows.append(real(shift.p)) += '\t';
        rows.append(real(shift.low)) += '\t';
        rows.append(real(shift.high)) += '\t';
        rows.append(real(shift.pHolm)) += '\t';
        rows.append(real(shift.pFwer)).append(tail) += '\n';
    }

    // A number that does not exist is NA, which R and pandas read as missing.
    std::string real(const std::optional<double>& value) const
    {
        return value ? writeReal(*value, separator_) : "NA";
    }

    std::string separator_;
    std::ostream& out_;
    bool map_ = false;
    bool headerWritten_ = false;
};

// JSON: one document, the run's counts and an object per correlogram asked, its map's
// members inside it.
class JsonWriter : public ReportWriter {
public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}

    void begin(const RunContext& context) override
    {
        auto count = [](const auto& value) { return value ? std::to_string(*value) : std::string("null"); };
        out_ << "{\"file\": " << jsonString(context.pointsFile)
             << ", \"format\": " << (context.format ? jsonString(*context.format) : "null")
             << ", \"numbered\": " << (context.rowsAreNumbered ? "true" : "false")
             << ", \"points\": " << count(context.points) << ", \"vars\": " << count(context.vars) << ", \"cells\": ";
        if (context.cellsPerAxis) {
            out_ << '[';
            for (std::size_t i = 0; i < context.cellsPerAxis->size(); ++i)
                out_ << (i > 0 ? ", " : "") << (*context.cellsPerAxis)[i];
            out_ << ']';
        } else {
            out_ << "null";
        }
        out_ << ",\n \"names_file\": " << (context.namesFile ? jsonString(*context.namesFile) : "null")
             << ", \"permutations\": " << count(context.permutations) << ", \"seed\": " << count(context.seed)
             << ", \"cross_null\": " << quotedNull(context.crossNull) << ",\n \"results\": [";
        out_.flush();
        begun_ = true;
    }

    void correlogram(const Correlogram& result, const CorrelogramMap* map) override
    {
        const Heading& heading = result;
        std::string json = identity(heading);
        json.append(", \"fill\": ").append(jsonNumber(heading.fill));
        json.append(",\n   \"null\": ").append(heading.testNull ? quotedNull(*heading.testNull) : "null");
        json.append(", \"permutations_made\": ").append(std::to_string(heading.permutationsMade));
        json.append(", \"zero_crossing\": {\"E_W\": ").append(number(result.zeroCrossingEastWest));
        json.append(", \"N_S\": ").append(number(result.zeroCrossingNorthSouth)) += '}';
        for (const DirectionRows& direction : directionsOf(result)) {
            json.append(",\n   \"").append(direction.label).append("\": [");
            for (std::size_t k = 0; k < direction.shifts.size(); ++k) {
                const Shift& shift = direction.shifts[k];
                json.append(k > 0 ? ",\n    " : "\n    ").append("{\"shift\": ").append(std::to_string(k));
                json.append(", \"distance\": ").append(jsonNumber(shift.distance()));
                figures(json, shift);
            }
            json += ']';
        }
        if (map) {
            json.append(",\n   \"max_shift\": ").append(std::to_string(map->maxShift)).append(", \"map\": [");
            for (std::size_t i = 0; i < map->vectors.size(); ++i) {
                const Shift& v = map->vectors[i];
                json.append(i > 0 ? ",\n    " : "\n    ").append("{\"dx\": ").append(std::to_string(v.vector.dx));
                json.append(", \"dy\": ").append(std::to_string(v.vector.dy));
                json.append(", \"distance_x\": ").append(jsonNumber(v.distanceX));
                json.append(", \"distance_y\": ").append(jsonNumber(v.distanceY));
                figures(json, v);
            }
            json.append("],\n   \"anisotropy\": {\"direction\": ").append(number(map->anisotropy.direction));
            json.append(", \"ratio\": ").append(number(map->anisotropy.ratio)) += '}';
        }
        json += '}';
        out_ << json;
        out_.flush();
    }

    void failed(const Heading& asked, const std::string& message) override
    {
        out_ << identity(asked) << ", \"error\": " << jsonString(message) << '}';
        out_.flush();
    }

    void finish(const RunContext& context, const std::optional<std::string>& failure) override
    {
        // A failure before the first result still gives one whole document.
        if (!begun_)
            begin(context);
        out_ << (written_ > 0 ? "\n ]" : "]");
        if (failure)
            out_ << ",\n \"error\": " << jsonString(*failure);
        out_ << "}\n";
        out_.flush();
    }

private:
    static std::string quotedNull(Null null) { return '"' + nullName(null) + '"'; }

    // A number that may not exist, null then.
    static std::string number(const std::optional<double>& value) { return value ? jsonNumber(*value) : "null"; }

    // The members of r, the pairs and the test of a shift or a vector, closing its object.
    static void figures(std::string& json, const Shift& shift)
    {
        json.append(", \"r\": ").append(number(shift.r));
        json.append(", \"pairs\": ").append(std::to_string(shift.pairs));
        json.append(", \"p\": ").append(number(shift.p));
        json.append(", \"low\": ").append(number(shift.low));
        json.append(", \"high\": ").append(number(shift.high));
        json.append(", \"p_holm\": ").append(number(shift.pHolm));
        json.append(", \"p_fwer\": ").append(number(shift.pFwer));
        json.append(", \"permutations_used\": ").append(std::to_string(shift.permutationsUsed)) += '}';
    }

    // The opening of a result's object: the separator from the one before, its variables
    // (null for a request that names none) and N.
    std::string identity(const Heading& heading)
    {
        std::string json = written_++ > 0 ? ",\n  " : "\n  ";
        auto variable = [&](const VariableRef& named) {
            if (named.position == 0)
                json.append("{\"position\": null, \"name\": null");
            else
                json.append("{\"position\": ").append(std::to_string(named.position)).append(", \"name\": ")
                    .append(jsonString(named.name));
        };
        variable(heading.variable);
        json.append(", \"with\": ");
        if (heading.with) {
            variable(*heading.with);
            json += '}';
        } else {
            json.append("null");
        }
        json.append(", \"cells\": ").append(std::to_string(heading.cellsPerAxis));
        return json;
    }

    std::ostream& out_;
    int written_ = 0;
    bool begun_ = false;
};

// `bytes` with the tsv escapes, and with every other control character written \xHH
// when `allControls`.
std::string escaped(const std::string& bytes, bool allControls)
{
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        switch (c) {
        case '\t': text += "\\t"; break;
        case '\n': text += "\\n"; break;
        case '\r': text += "\\r"; break;
        case '\\': text += "\\\\"; break;
        default:
            if (allControls && (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)) {
                char code[8];
                std::snprintf(code, sizeof code, "\\x%02X", static_cast<unsigned char>(c));
                text += code;
            } else {
                text += c;
            }
        }
    }
    return text;
}

}  // namespace

std::string tsvField(const std::string& bytes)
{
    return escaped(bytes, false);
}

std::string escapeControls(const std::string& bytes)
{
    return escaped(bytes, true);
}

std::string jsonString(const std::string& bytes)
{
    std::string json = "\"";
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c >= 0x80) {
            if (const std::size_t length = utf8Length(bytes, i)) {
                json.append(bytes, i, length);
                i += length;
            } else {
                json += hexEscape(c);  // not UTF-8: read as Latin-1
                ++i;
            }
            continue;
        }
        switch (c) {
        case '"': json += "\\\""; break;
        case '\\': json += "\\\\"; break;
        case '\b': json += "\\b"; break;
        case '\f': json += "\\f"; break;
        case '\n': json += "\\n"; break;
        case '\r': json += "\\r"; break;
        case '\t': json += "\\t"; break;
        default:
            if (c < 0x20)
                json += hexEscape(c);
            else
                json += static_cast<char>(c);
        }
        ++i;
    }
    return json + "\"";
}

std::string jsonNumber(double value)
{
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

std::unique_ptr<ReportWriter> makeWriter(Format format, bool decimalComma, std::ostream& out)
{
    const std::string separator = decimalComma ? "," : ".";
    switch (format) {
    case Format::Tsv: return std::make_unique<TsvWriter>(separator, out);
    case Format::Json: return std::make_unique<JsonWriter>(out);
    case Format::Text: break;
    }
    return std::make_unique<TextWriter>(separator, out);
}

}  // namespace geolago::cli
