// The whole batch command through runCommand over arbitrary bytes. The input is the
// number of arguments (one byte), each argument ended by a NUL, the length of the point
// file (two bytes, low first), the point file, and the names file with the rest. The
// arguments "@P" and "@N" stand for the two files, written in the temporary folder; an
// input naming any other path with a folder (holding "/": a device, a pipe that would
// wait) is skipped, and so is one asking more than 20 permutations, which only takes
// longer. Whatever the command line and the files, the run must end with status 0, 1 or
// 2; standard error holds warnings, a line each, then each failure says so in one line (a
// usage error, alone there, adds the usage line); the JSON output is one well-formed
// document, every tsv row has its sixteen fields (seventeen with --map), and the text
// output holds no control character but the line feed.

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "failures.h"
#include "fuzz_support.h"
#include "numbertext.h"
#include "options.h"
#include "run.h"
#include "store.h"

using namespace geolago;
using namespace geolago::fuzz;

namespace {

// A strict reader of one JSON text (RFC 8259) in UTF-8.
class JsonChecker {
public:
    explicit JsonChecker(std::string_view text) : text_(text) {}

    // Whether the whole text is one JSON value, blanks around it.
    bool wellFormed()
    {
        return validUtf8() && value(0) && (blanks(), at_ == text_.size());
    }

private:
    bool validUtf8() const
    {
        for (std::size_t i = 0; i < text_.size();) {
            const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text_[k]); };
            const unsigned char lead = byte(i);
            std::size_t length = 1;
            unsigned char low = 0x80, high = 0xBF;
            if (lead < 0x80)
                length = 1;
            else if (lead >= 0xC2 && lead <= 0xDF)
                length = 2;
            else if (lead >= 0xE0 && lead <= 0xEF)
                length = 3, low = lead == 0xE0 ? 0xA0 : 0x80, high = lead == 0xED ? 0x9F : 0xBF;
            else if (lead >= 0xF0 && lead <= 0xF4)
                length = 4, low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
            else
                return false;
            if (i + length > text_.size())
                return false;
            for (std::size_t k = 1; k < length; ++k)
                if (byte(i + k) < (k == 1 ? low : 0x80) || byte(i + k) > (k == 1 ? high : 0xBF))
                    return false;
            i += length;
        }
        return true;
    }

    void blanks()
    {
        while (at_ < text_.size() && std::strchr(" \t\n\r", text_[at_]) && text_[at_] != '\0')
            ++at_;
    }
    bool take(char c)
    {
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }
    bool digits()
    {
        const std::size_t from = at_;
        while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9')
            ++at_;
        return at_ > from;
    }

    bool value(int depth)
    {
        if (depth > 64)
            return false;
        blanks();
        if (at_ == text_.size())
            return false;
        const char c = text_[at_];
        if (c == '{') {
            ++at_;
            blanks();
            if (take('}'))
                return true;
            do {
                blanks();
                if (!string())
                    return false;
                blanks();
                if (!take(':') || !value(depth + 1))
                    return false;
                blanks();
            } while (take(','));
            return take('}');
        }
        if (c == '[') {
            ++at_;
            blanks();
            if (take(']'))
                return true;
            do {
                if (!value(depth + 1))
                    return false;
                blanks();
            } while (take(','));
            return take(']');
        }
        if (c == '"')
            return string();
        for (const std::string_view literal : {"true", "false", "null"})
            if (text_.substr(at_, literal.size()) == literal) {
                at_ += literal.size();
                return true;
            }
        return number();
    }

    bool string()
    {
        if (!take('"'))
            return false;
        while (at_ < text_.size()) {
            const unsigned char c = static_cast<unsigned char>(text_[at_++]);
            if (c == '"')
                return true;
            if (c < 0x20)
                return false;
            if (c == '\\') {
                if (at_ == text_.size())
                    return false;
                const char e = text_[at_++];
                if (e == 'u') {
                    for (int k = 0; k < 4; ++k, ++at_)
                        if (at_ == text_.size() || !std::isxdigit(static_cast<unsigned char>(text_[at_])))
                            return false;
                } else if (!std::strchr("\"\\/bfnrt", e) || e == '\0') {
                    return false;
                }
            }
        }
        return false;
    }

    bool number()
    {
        take('-');
        if (take('0')) {
            // no digit may follow a leading zero
        } else if (!digits()) {
            return false;
        }
        if (take('.') && !digits())
            return false;
        if (take('e') || take('E')) {
            if (!take('+'))
                take('-');
            if (!digits())
                return false;
        }
        return true;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    if (input.empty())
        return 0;
    const std::size_t count = static_cast<unsigned char>(input[0]) % 40;
    input.remove_prefix(1);
    std::vector<std::string> args;
    for (std::size_t a = 0; a < count; ++a) {
        const std::size_t end = input.find('\0');
        if (end == std::string_view::npos)
            return 0;
        args.emplace_back(input.substr(0, end));
        input.remove_prefix(end + 1);
    }
    if (input.size() < 2)
        return 0;
    const std::size_t pointsSize = std::min<std::size_t>(
        static_cast<unsigned char>(input[0]) | static_cast<unsigned char>(input[1]) << 8, input.size() - 2);
    input.remove_prefix(2);
    const std::string& pointsFile = writeScratch(input.substr(0, pointsSize), 0);
    const std::string& namesFile = writeScratch(input.substr(pointsSize), 1);
    for (std::string& arg : args) {
        if (arg == "@P")
            arg = pointsFile;
        else if (arg == "@N")
            arg = namesFile;
        else if (arg.find('/') != std::string::npos)
            return 0;
    }
    std::optional<cli::Options> options;
    try {
        options = cli::parseCommandLine(args);
        if (convert(options->permutations) > 20)
            return 0;
    } catch (const std::exception&) {
        // A usage error, or a count the run refuses: the run says so.
    }

    const auto store = std::make_unique<Store>();
    std::ostringstream out, err;
    const int status = cli::runCommand(*store, args, out, err);
    const std::string output = out.str(), errors = err.str();
    const std::vector<std::string> errorLines = linesOf(errors);

    check(status == cli::ExitSuccess || status == cli::ExitFailure || status == cli::ExitUsage,
          "an exit status other than 0, 1 or 2");
    check(errors.empty() || errors.back() == '\n', "standard error ends mid-line");
    // Warnings (counts guessed, rows left unread) come first, a line each.
    const bool warningsOnly = std::all_of(errorLines.begin(), errorLines.end(),
                                          [](const std::string& line) { return line.rfind("geolago-cli: ", 0) == 0; });
    switch (status) {
    case cli::ExitSuccess:
        check(warningsOnly, "a success writes on standard error what is no warning");
        break;
    case cli::ExitFailure:
        check(!errorLines.empty() && warningsOnly, "a failure is not one line each on standard error");
        break;
    case cli::ExitUsage:
        check(errorLines.size() == 2 && errorLines[0].rfind("geolago-cli : ", 0) == 0
                  && errorLines[1] == cli::usageLine() && output.empty(),
              "a usage error is not its message and the usage line");
        return 0;
    }
    if (!options || options->help)
        return 0;

    switch (options->format) {
    case cli::Format::Json:
        check(JsonChecker(output).wellFormed(), "the JSON output is not one well-formed document");
        break;
    case cli::Format::Tsv:
        check(output.empty() || output.back() == '\n', "the tsv output ends mid-row");
        for (const std::string& row : linesOf(output)) {
            std::size_t tabs = 0;
            for (const char c : row)
                tabs += c == '\t';
            check(tabs == (options->map ? 16u : 15u), "a tsv row without its sixteen fields (seventeen for a map)");
        }
        check(status != cli::ExitSuccess || linesOf(output).size() > 1, "a successful tsv run without rows");
        break;
    case cli::Format::Text:
        for (const char c : output)
            check(c == '\n' || (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F),
                  "a control character in the text output");
        break;
    }
    return 0;
}
