#pragma once
// The failures of an analysis. Each carries the French message a user sees; input and
// output failures also carry their numeric code. Front ends show what() through
// messageForDisplay().

#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

namespace geolago {

// Where in an input file a failure arose. The file is always known; the line (from 1),
// the point being read (from 1), the column of a table and the text of the value when the
// failure concerns one.
struct Place {
    explicit Place(std::string file, long long line = 0, int point = 0)
        : file(std::move(file)), line(line), point(point)
    {
    }

    std::string file;                  // as the user named it
    long long line = 0;                // 0: not known
    int point = 0;                     // 0: not known
    std::optional<std::string> token;  // the value's text, cut to TokenShown bytes
    std::string column;                // the column, by its name; empty: none
    bool tokenCut = false;             // the value's text was longer

    static constexpr std::size_t TokenShown = 64;
};

// Any failure of the analysis; what() is the French message, without final full stop.
// A reader gives it the place in its file where it arose.
class Failure : public std::runtime_error {
public:
    explicit Failure(const std::string& message) : std::runtime_error(message), message_(message) {}

    const char* what() const noexcept override { return message_.c_str(); }
    // Adds what explains the failure to its message, after " : ".
    void addDetail(const std::string& detail) { message_ += " : " + detail; }

    const std::optional<Place>& place() const noexcept { return place_; }
    void setPlace(Place place) { place_ = std::move(place); }

private:
    std::string message_;
    std::optional<Place> place_;
};

// A file could not be opened or read, or a number in it is malformed.
class IoFailure : public Failure {
public:
    // A failure with `code`; the message is the one the code names.
    explicit IoFailure(int code);
    int code() const noexcept { return code_; }

    // The message for an input/output code: "Fichier introuvable" for 2, and so on;
    // "Erreur E/S <code>" for a code without a message of its own.
    static std::string messageFor(int code);

private:
    int code_;
};

// Input/output codes.
namespace io {
inline constexpr int FileNotFound = 2;
inline constexpr int PathNotFound = 3;
inline constexpr int TooManyOpenFiles = 4;
inline constexpr int AccessDenied = 5;
inline constexpr int ReadBeyondEnd = 100;
inline constexpr int DiskFull = 101;
inline constexpr int InvalidNumber = 106;
}  // namespace io

// A floating-point fault, found by an explicit check at the operation that makes it.
class FloatFailure : public Failure {
public:
    enum class Kind { Invalid, DivisionByZero, Overflow };
    explicit FloatFailure(Kind kind);
    Kind kind() const noexcept { return kind_; }

private:
    Kind kind_;
};

// A correlogram none of whose shifts has an r because, at every shift with enough pairs, the
// values of one side are all equal: the variable has one value in all the cells it fills
// (as a pair's two cells come from it). The windows show the floating-point message as it
// always was; `constantVariable` names the variable when the computation knows it (0: not
// known), so that the batch command can add the reason.
class EqualValuesFailure : public FloatFailure {
public:
    explicit EqualValuesFailure(std::int32_t constantVariable = 0)
        : FloatFailure(Kind::Invalid), constantVariable_(constantVariable)
    {
    }
    std::int32_t constantVariable() const noexcept { return constantVariable_; }

private:
    std::int32_t constantVariable_;
};

// A text typed as a whole number is not one.
class ConvertFailure : public Failure {
public:
    // The failure for `text`, quoted whole in the message.
    explicit ConvertFailure(const std::string& text);
};

// The names file could not be opened; the message names its full path and the reason.
class OpenFailure : public Failure {
public:
    using Failure::Failure;
};

// An input goes beyond a bound that keeps the program's memory bounded: a number of more
// than MaxTokenLength characters, a names file of more than MaxNamesFileSize bytes.
class LimitFailure : public Failure {
public:
    using Failure::Failure;
};

// A step asked of tables that do not come from the data in the store: cells placed for
// other points or another N, a grid of other cells. The windows never ask it; a program
// that runs the steps out of order gets this rather than figures of mixed data.
class StepFailure : public Failure {
public:
    using Failure::Failure;
};

// The system's text for the errno `error`, in the user's language settings (LC_MESSAGES),
// without the blanks and full stops it may end with: the reason a file cannot be opened
// or written.
std::string systemReason(int error);

// Where a failure of a reader arose, as the front ends name it: "FILE:LINE", or "FILE"
// without a line, then the column of a table: "sols.csv:7 (argile)".
std::string placeText(const Place& place);

// The message of any failure that leaves a step: what() of a Failure or of another
// exception, "Mémoire insuffisante" when memory ran out.
std::string failureMessage(const std::exception& failure);

// The text a failure shows in an error box: the message with a full stop added when its
// last character's code is above that of "." (a letter or a digit, not "!" or a blank).
std::string messageForDisplay(const std::string& message);

}  // namespace geolago
