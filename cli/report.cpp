#include "report.h"

#include <charconv>
#include <cstdio>

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

class TextWriter : public ReportWriter {
public:
    TextWriter(std::string separator, std::ostream& out) : separator_(std::move(separator)), out_(out) {}

    void begin(const RunContext&) override {}

    void variable(const VariableResult& result) override
    {
        if (written_++ > 0)
            out_ << '\n';
        out_ << "Variable " << writeInteger(result.position) << " : " << escapeControls(result.name) << '\n';
        out_ << "Mailles remplies : " << writeReal(result.fill, separator_) << " %\n\n";
        out_ << pad("E_W", sideWidth) << "N_S\n";
        const std::string header = pad("Maille", shiftWidth) + pad("R", rWidth) + "Paires de points";
        out_ << pad(header, sideWidth) << header << '\n';
        for (std::size_t k = 0; k < result.eastWest.size(); ++k) {
            const std::string shift = writeInteger(static_cast<std::int32_t>(k));
            out_ << pad(row(shift, result.eastWest[k]), sideWidth) << row(shift, result.northSouth[k])
                 << '\n';
        }
        out_.flush();
    }

    void finish(const RunContext&, const std::optional<std::string>&) override { out_.flush(); }

private:
    // The longest real text, "-0.000999999999999999", has 21 characters.
    static constexpr std::size_t shiftWidth = 8, rWidth = 23, sideWidth = 52;

    static std::string pad(std::string text, std::size_t width)
    {
        if (text.size() < width)
            text.append(width - text.size(), ' ');
        else
            text += ' ';
        return text;
    }

    std::string row(const std::string& shift, const Lag& lag) const
    {
        return pad(shift, shiftWidth) + pad(writeReal(lag.r, separator_), rWidth) + writeInteger(lag.pairs);
    }

    std::string separator_;
    std::ostream& out_;
    int written_ = 0;
};

class TsvWriter : public ReportWriter {
public:
    TsvWriter(std::string separator, std::ostream& out) : separator_(std::move(separator)), out_(out) {}

    void begin(const RunContext&) override
    {
        out_ << "variable\tfill\tdirection\tshift\tr\tpairs\n";
        out_.flush();
    }

    void variable(const VariableResult& result) override
    {
        const std::string name = tsvField(result.name);
        const std::string fill = writeReal(result.fill, separator_);
        auto rows = [&](const char* direction, const std::vector<Lag>& lags) {
            for (std::size_t k = 0; k < lags.size(); ++k)
                out_ << name << '\t' << fill << '\t' << direction << '\t'
                     << writeInteger(static_cast<std::int32_t>(k)) << '\t'
                     << writeReal(lags[k].r, separator_) << '\t' << writeInteger(lags[k].pairs) << '\n';
        };
        rows("E_W", result.eastWest);
        rows("N_S", result.northSouth);
        out_.flush();
    }

    void finish(const RunContext&, const std::optional<std::string>&) override { out_.flush(); }

private:
    std::string separator_;
    std::ostream& out_;
};

class JsonWriter : public ReportWriter {
public:
    explicit JsonWriter(std::ostream& out) : out_(out) {}

    void begin(const RunContext& context) override
    {
        auto count = [](const std::optional<std::int32_t>& value) {
            return value ? std::to_string(*value) : std::string("null");
        };
        out_ << "{\"file\": " << jsonString(context.pointsFile)
             << ", \"numbered\": " << (context.rowsAreNumbered ? "true" : "false")
             << ", \"points\": " << count(context.points) << ", \"vars\": " << count(context.vars)
             << ", \"cells\": " << count(context.cells)
             << ", \"names_file\": " << (context.namesFile ? jsonString(*context.namesFile) : "null")
             << ",\n \"results\": [";
        out_.flush();
        begun_ = true;
    }

    void variable(const VariableResult& result) override
    {
        out_ << (written_++ > 0 ? ",\n  " : "\n  ");
        out_ << "{\"position\": " << result.position << ", \"name\": " << jsonString(result.name)
             << ", \"fill\": " << jsonNumber(result.fill) << ",\n   \"E_W\": ";
        lags(result.eastWest);
        out_ << ",\n   \"N_S\": ";
        lags(result.northSouth);
        out_ << '}';
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
    void lags(const std::vector<Lag>& lags)
    {
        out_ << '[';
        for (std::size_t k = 0; k < lags.size(); ++k)
            out_ << (k > 0 ? ", " : "") << "{\"shift\": " << k << ", \"r\": " << jsonNumber(lags[k].r)
                 << ", \"pairs\": " << lags[k].pairs << '}';
        out_ << ']';
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
