#include "reference_reader.h"

#include <cmath>
#include <optional>
#include <string>

#include "failures.h"
#include "numbertext.h"
#include "reader.h"

namespace geolago::fuzz {

namespace {

struct Cursor {
    std::string_view text;
    std::size_t pos = 0;

    // The next token, or nothing when the text ends before one.
    std::optional<std::string> token()
    {
        while (pos < text.size() && static_cast<unsigned char>(text[pos]) <= 32)
            ++pos;
        if (pos == text.size())
            return std::nullopt;
        std::string t;
        while (pos < text.size() && static_cast<unsigned char>(text[pos]) > 32)
            t += text[pos++];
        return t;
    }

    void skipLine()
    {
        while (pos < text.size())
            if (text[pos++] == '\n')
                return;
    }
};

}  // namespace

ReferenceOutcome referenceRead(std::string_view bytes, int points, int vars, bool numbered,
                               ReferenceTables& tables)
{
    // The first Ctrl-Z ends the text.
    Cursor cursor{bytes.substr(0, bytes.find('\x1A'))};
    const ReferenceOutcome endOfFile{ReferenceOutcome::Kind::IoFailure, 100};
    const ReferenceOutcome malformed{ReferenceOutcome::Kind::IoFailure, 106};
    const ReferenceOutcome tooLong{ReferenceOutcome::Kind::TooLong, 0};

    auto real = [&](double& slot) -> std::optional<ReferenceOutcome> {
        const auto t = cursor.token();
        if (!t)
            return endOfFile;
        if (t->size() > MaxTokenLength)
            return tooLong;
        std::optional<Ext> value;
        try {
            value = parseReal(*t);
        } catch (const FloatFailure&) {
            return ReferenceOutcome{ReferenceOutcome::Kind::Overflow, 0};
        }
        if (!value)
            return malformed;
        const double stored = static_cast<double>(*value);
        if (std::isinf(stored))
            return ReferenceOutcome{ReferenceOutcome::Kind::Overflow, 0};
        slot = stored;
        return std::nullopt;
    };

    for (int i = 0; i < points; ++i) {
        if (numbered) {
            const auto t = cursor.token();
            if (!t)
                return endOfFile;
            if (t->size() > MaxTokenLength)
                return tooLong;
            if (!parseWholeNumber(*t))
                return malformed;
        }
        for (int c = 0; c < 2; ++c)
            if (auto failure = real(tables.coord[i][c]))
                return *failure;
        for (int v = 0; v < vars; ++v)
            if (auto failure = real(tables.data[i][v]))
                return *failure;
        cursor.skipLine();
    }
    return {};
}

}  // namespace geolago::fuzz
