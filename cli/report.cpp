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

// The null as --cross-null names it.
std::string nullName(Null null)
{
    return null == Null::Toroidal ? "toroidal" : "shuffle";
}

std::vector<DirectionRows> directionsOf(const Correlogram& result)
{
    return {{Direction::EastWest, "E_W", "Y", result.eastWest}, {Direction::NorthSouth, "N_S", "X", result.northSouth}};
}

class TextWriter : public ReportWriter {
public:
    TextWriter(std::string separator, std::ostream& out) : separator_(std::move(separator)), out_(out) {}

    void begin(const RunContext&) override {}

    void variable(const Correlogram& result, const CorrelogramMap* map) override
    {
        std::string text;
        if (written_++ > 0)
            text += '\n';
        text.append("Variable ").append(writeInteger(result.variable.position)).append(" : ");
        text.append(escapeControls(result.variable.name)) += '\n';
        if (result.with) {
            text.append("Croisée avec la variable ").append(writeInteger(result.with->position)).append(" : ");
            text.append(escapeControls(result.with->name)) += '\n';
        }
        text.append("Mailles : ").append(writeInteger(result.cells)) += '\n';
        text.append("Mailles remplies : ").append(writeReal(result.fill, separator_)).append(" %\n");
        if (result.testNull)
            text.append("Test : ").append(writeInteger(result.permutationsMade)).append(" permutations, hypothèse nulle ")
                .append(nullName(*result.testNull)).append(*result.testNull == Null::Toroidal
                                                               ? " (translations de B sur le tore)\n"
                                                               : " (valeurs mélangées entre les points)\n");
        for (const DirectionRows& direction : directionsOf(result)) {
            text.append("\n").append(direction.label).append(" (paires le long de ").append(direction.along).append(")\n");
            padded(text, "Maille", ShiftColumn);
            padded(text, "Distance", RealColumn);
            appendTestedHeaderText(text);
            for (std::size_t k = 0; k < direction.shifts.size(); ++k) {
                const Shift& shift = direction.shifts[k];
                padded(text, writeInteger(static_cast<std::int32_t>(k)), ShiftColumn);
                padded(text, writeReal(shift.distance(), separator_), RealColumn);
                appendTestedText(text, shift.r, shift.pairs, shift, separator_);
            }
            text.append("Premier passage à zéro : ").append(real(result.zeroCrossing(direction.direction))) += '\n';
        }
        if (map)
            appendMapText(text, *map, separator_);
        out_ << text;
        out_.flush();
    }

    void failed(const Correlogram&, const std::string&) override {}

    void finish(const RunContext&, const std::optional<std::string>&) override { out_.flush(); }

private:
    // A number that does not exist is a dash.
    std::string real(const std::optional<double>& value) const
    {
        return value ? writeReal(*value, separator_) : "-";
    }

    std::string separator_;
    std::ostream& out_;
    int written_ = 0;
};

class TsvWriter : public ReportWriter {
public:
    TsvWriter(std::string separator, std::ostream& out) : separator_(std::move(separator)), out_(out) {}

    // The header comes with the first rows: a run that gives none writes nothing at all.
    void begin(const RunContext& context) override { map_ = context.map; }

    void variable(const Correlogram& result, const CorrelogramMap* map) override
    {
        if (!headerWritten_)
            out_ << (map_ ? mapTsvHeader()
                          : "variable\twith\tcells\tfill\tdirection\tshift\tdistance\tr\tpairs\tp\tlow\thigh\tp_holm"
                            "\tp_fwer\tnull\tpermutations\n");
        headerWritten_ = true;
        const std::string leading = tsvField(result.variable.name) + '\t'
            + (result.with ? tsvField(result.with->name) : "") + '\t' + writeInteger(result.cells) + '\t'
            + writeReal(result.fill, separator_) + '\t';
        // What was tested, the same on every row: a script can keep the rows of one null.
        const std::string test = std::string("\t") + (result.testNull ? nullName(*result.testNull) : "NA") + '\t'
            + writeInteger(result.permutationsMade);
        if (map) {
            // One table per output: with --map, the maps' rows, whose axes are the correlograms.
            std::string rows;
            appendMapTsv(rows, leading, *map, test, separator_);
            out_ << rows;
            out_.flush();
            return;
        }
        // The rows of both directions are gathered and written at once.
        std::string rows;
        for (const DirectionRows& direction : directionsOf(result))
            for (std::size_t k = 0; k < direction.shifts.size(); ++k) {
                const Shift& shift = direction.shifts[k];
                rows.append(leading).append(direction.label) += '\t';
                rows.append(writeInteger(static_cast<std::int32_t>(k))) += '\t';
                rows.append(writeReal(shift.distance(), separator_)) += '\t';
                appendTestedTsv(rows, shift.r, shift.pairs, shift, test, separator_);
            }
        out_ << rows;
        out_.flush();
    }

    void failed(const Correlogram&, const std::string&) override {}

    void finish(const RunContext&, const std::optional<std::string>&) override { out_.flush(); }

private:
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
        if (context.cells) {
            out_ << '[';
            for (std::size_t i = 0; i < context.cells->size(); ++i)
                out_ << (i > 0 ? ", " : "") << (*context.cells)[i];
            out_ << ']';
        } else {
            out_ << "null";
        }
        out_ << ",\n \"names_file\": " << (context.namesFile ? jsonString(*context.namesFile) : "null")
             << ", \"permutations\": " << count(context.permutations) << ", \"seed\": " << count(context.seed)
             << ", \"cross_null\": " << nullName(context.crossNull) << ",\n \"results\": [";
        out_.flush();
        begun_ = true;
    }

    void variable(const Correlogram& result, const CorrelogramMap* map) override
    {
        std::string json = identity(result);
        json.append(", \"fill\": ").append(jsonNumber(result.fill));
        json.append(",\n   \"null\": ").append(result.testNull ? nullName(*result.testNull) : "null");
        json.append(", \"permutations_made\": ").append(std::to_string(result.permutationsMade));
        json.append(", \"zero_crossing\": {\"E_W\": ").append(jsonNumber(result.zeroCrossingEastWest));
        json.append(", \"N_S\": ").append(jsonNumber(result.zeroCrossingNorthSouth)) += '}';
        for (const DirectionRows& direction : directionsOf(result)) {
            json.append(",\n   \"").append(direction.label).append("\": [");
            for (std::size_t k = 0; k < direction.shifts.size(); ++k) {
                const Shift& shift = direction.shifts[k];
                json.append(k > 0 ? ",\n    " : "\n    ").append("{\"shift\": ").append(std::to_string(k));
                json.append(", \"distance\": ").append(jsonNumber(shift.distance()));
                appendTestedFigures(json, shift.r, shift.pairs, shift);
                json += '}';
            }
            json += ']';
        }
        if (map)
            appendMapJson(json, *map);
        json += '}';
        out_ << json;
        out_.flush();
    }

    void failed(const Correlogram& asked, const std::string& message) override
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
    static std::string nullName(Null null) { return '"' + cli::nullName(null) + '"'; }

    // The opening of a result's object: the separator from the one before, its variables
    // (null for a request that names none) and N.
    std::string identity(const Correlogram& result)
    {
        std::string json = written_++ > 0 ? ",\n  " : "\n  ";
        auto named = [&](const Named& variable) {
            if (variable.position == 0)
                json.append("{\"position\": null, \"name\": null");
            else
                json.append("{\"position\": ").append(std::to_string(variable.position)).append(", \"name\": ")
                    .append(jsonString(variable.name));
        };
        named(result.variable);
        json.append(", \"with\": ");
        if (result.with) {
            named(*result.with);
            json += '}';
        } else {
            json.append("null");
        }
        json.append(", \"cells\": ").append(std::to_string(result.cells));
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

void padded(std::string& text, std::string_view field, std::size_t width)
{
    text.append(field);
    text.append(field.size() < width ? width - field.size() : 1, ' ');
}

void appendTestedHeaderText(std::string& text)
{
    padded(text, "R", RealColumn);
    padded(text, "Paires", PairsColumn);
    padded(text, "p", RealColumn);
    padded(text, "Bas", RealColumn);
    padded(text, "Haut", RealColumn);
    padded(text, "p Holm", RealColumn);
    text.append("p maxT\n");
}

void appendTestedText(std::string& text, const std::optional<double>& r, std::int32_t pairs, const ShiftTest& test,
                      const std::string& separator)
{
    const auto real = [&](const std::optional<double>& value) { return value ? writeReal(*value, separator) : "-"; };
    padded(text, real(r), RealColumn);
    padded(text, writeInteger(pairs), PairsColumn);
    padded(text, real(test.p), RealColumn);
    padded(text, real(test.low), RealColumn);
    padded(text, real(test.high), RealColumn);
    padded(text, real(test.pHolm), RealColumn);
    text.append(real(test.pFwer)) += '\n';
}

void appendTestedTsv(std::string& rows, const std::optional<double>& r, std::int32_t pairs, const ShiftTest& test,
                     const std::string& tail, const std::string& separator)
{
    const auto real = [&](const std::optional<double>& value) { return value ? writeReal(*value, separator) : "NA"; };
    rows.append(real(r)) += '\t';
    rows.append(writeInteger(pairs)) += '\t';
    rows.append(real(test.p)) += '\t';
    rows.append(real(test.low)) += '\t';
    rows.append(real(test.high)) += '\t';
    rows.append(real(test.pHolm)) += '\t';
    rows.append(real(test.pFwer)).append(tail) += '\n';
}

std::string jsonNumber(const std::optional<double>& value)
{
    return value ? jsonNumber(*value) : "null";
}

void appendTestedFigures(std::string& json, const std::optional<double>& r, std::int32_t pairs, const ShiftTest& test)
{
    json.append(", \"r\": ").append(jsonNumber(r));
    json.append(", \"pairs\": ").append(std::to_string(pairs));
    json.append(", \"p\": ").append(jsonNumber(test.p));
    json.append(", \"low\": ").append(jsonNumber(test.low));
    json.append(", \"high\": ").append(jsonNumber(test.high));
    json.append(", \"p_holm\": ").append(jsonNumber(test.pHolm));
    json.append(", \"p_fwer\": ").append(jsonNumber(test.pFwer));
    json.append(", \"permutations_used\": ").append(std::to_string(test.used));
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
