#include "delimited.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <unordered_map>
#include <vector>

#include "cancellation.h"
#include "extended.h"
#include "failures.h"
#include "numbertext.h"
#include "pointlayout.h"
#include "reader.h"
#include "textrules.h"

namespace geolago {

namespace {

constexpr std::string_view Bom = "\xEF\xBB\xBF";
// The bytes looked at to recognise a delimited text: as many lines as delimiterOf looks
// at, within a bound that a header of 10^5 columns and more passes.
constexpr std::size_t HeadLines = 12;
constexpr std::size_t LargestHead = 16 * 1024 * 1024;
// The bytes whose rows the first look reads into columns to choose them; the rest it only
// counts.
constexpr std::uint64_t IdentifiedHead = 4 * 1024 * 1024;
// The coordinates' names, pair by pair in this order, compared in lower case.
constexpr std::array<std::array<std::string_view, 2>, 5> CoordinateNames{{
    {"x", "y"}, {"lon", "lat"}, {"longitude", "latitude"}, {"easting", "northing"}, {"e", "n"}}};
// The most fields a line holds: tens of times the widest real table, and a memory
// bounded whatever a line of commas of a text's whole size would ask.
constexpr std::size_t MaxFields = 1'000'000;
// The lines named in the note of the rows skipped.
constexpr std::size_t LinesNamed = 10;

struct Field {
    std::string text;
    bool quoted = false;
    bool empty = true;  // its text is empty, even when the text was not kept
    // Its text as Records::nextViews() gives it, in place in the text read: valid until
    // the next record is read.
    std::string_view view;
};

// Whether `bytes`, the first of a text, are UTF-16: its byte order mark, or two ASCII
// characters each beside a NUL. 'L' little-endian, 'B' big-endian, 0 not.
char utf16Order(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE"))
        return 'L';
    if (bytes.starts_with("\xFE\xFF"))
        return 'B';
    if (bytes.size() < 4)
        return 0;
    auto ascii = [&](std::size_t at) { return bytes[at] > 0 && bytes[at] < 0x7F; };
    if (ascii(0) && bytes[1] == 0 && ascii(2) && bytes[3] == 0)
        return 'L';
    if (bytes[0] == 0 && ascii(1) && bytes[2] == 0 && ascii(3))
        return 'B';
    return 0;
}

// UTF-16 text in UTF-8, without its byte order mark, up to its first NUL character; an
// unpaired surrogate becomes U+FFFD.
std::string fromUtf16(std::string_view bytes, char order)
{
    std::string text;
    text.reserve(bytes.size());
    auto unit = [&](std::size_t at) {
        const auto first = static_cast<unsigned char>(bytes[at]), second = static_cast<unsigned char>(bytes[at + 1]);
        return order == 'L' ? first | second << 8 : first << 8 | second;
    };
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        unsigned code = static_cast<unsigned>(unit(at));
        if (code == 0)
            break;
        if (code >= 0xD800 && code < 0xDC00 && at + 3 < bytes.size() && unit(at + 2) >= 0xDC00
            && unit(at + 2) < 0xE000) {
            code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<unsigned>(unit(at + 2)) - 0xDC00);
            at += 2;
        } else if (code >= 0xD800 && code < 0xE000) {
            code = 0xFFFD;
        }
        if (code == 0xFEFF && at == 0)
            continue;
        if (code < 0x80) {
            text += static_cast<char>(code);
        } else if (code < 0x800) {
            text += static_cast<char>(0xC0 | code >> 6);
            text += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            text += static_cast<char>(0xE0 | code >> 12);
            text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            text += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            text += static_cast<char>(0xF0 | code >> 18);
            text += static_cast<char>(0x80 | (code >> 12 & 0x3F));
            text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            text += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return text;
}

// The text of a delimited file a chunk at a time, up to its first NUL: UTF-16 decoded as
// it comes, single bytes kept as they are, whether they are all UTF-8 being known once the
// text has ended (utf8Text's choice, made for the whole text).
class TextStream {
public:
    // The file `fileName`, an input of `kinds`; throws IoFailure as the point file does.
    TextStream(const std::string& fileName, InputKinds kinds) : fileName_(fileName), fromFile_(true)
    {
        if (const int error = file_.open(fileName, kinds))
            failToRead(error, fileName);
    }
    // Bytes in memory, given `part` bytes at a time.
    TextStream(std::string_view bytes, std::size_t part) : memory_(bytes), part_(part) {}
    // The regular file of `head`: the bytes it holds first, then the rest of the file read
    // at its offsets, the head left as it is.
    explicit TextStream(const FileHead& head) : fileName_(head.fileName()), head_(&head) {}

    // Appends the next part of the text to `text`: false, nothing appended, once it has ended.
    bool more(std::string& text)
    {
        while (!ended_) {
            checkCancelled();
            const std::size_t before = text.size();
            const bool going = readRaw();
            if (order_ == 0 && first_) {
                // The first four bytes tell UTF-16 from a text of single bytes.
                if (raw_.size() < 4 && going)
                    continue;
                order_ = utf16Order(raw_) ? utf16Order(raw_) : '8';
                first_ = false;
            }
            if (order_ == '8')
                appendBytes(text, going);
            else
                appendUtf16(text, going);
            if (!going)
                ended_ = true;
            if (text.size() > before)
                return true;
        }
        return false;
    }

    bool ended() const { return ended_; }
    // Whether the text read so far is UTF-8, the whole text once it has ended.
    bool utf8() const { return utf8_; }

private:
    static constexpr std::size_t Chunk = 1 << 20;

    // Appends the next bytes of the input to raw_: false at its end.
    bool readRaw()
    {
        const std::size_t kept = raw_.size();
        if (head_) {
            const std::string_view held = head_->bytes();
            if (headAt_ < held.size()) {
                const std::size_t size = std::min(Chunk, held.size() - headAt_);
                raw_.append(held.substr(headAt_, size));
                headAt_ += size;
                return true;
            }
            raw_.resize(kept + Chunk);
            const long got = head_->readAt(raw_.data() + kept, Chunk, headAt_);
            raw_.resize(kept + static_cast<std::size_t>(std::max(got, 0L)));
            if (got < 0)
                failToRead(static_cast<int>(-got), fileName_);
            headAt_ += static_cast<std::uint64_t>(std::max(got, 0L));
            return got > 0;
        }
        if (!fromFile_) {
            const std::size_t size = std::min(part_, memory_.size() - memoryAt_);
            raw_.append(memory_.substr(memoryAt_, size));
            memoryAt_ += size;
            return size > 0;
        }
        raw_.resize(kept + Chunk);
        const long got = file_.read(raw_.data() + kept, Chunk);
        raw_.resize(kept + static_cast<std::size_t>(std::max(got, 0L)));
        if (got < 0)
            failToRead(static_cast<int>(-got), fileName_);
        return got > 0;
    }

    // Single bytes up to the first NUL, their UTF-8 checked across the chunks' edges.
    void appendBytes(std::string& text, bool going)
    {
        if (const std::size_t nul = raw_.find('\0'); nul != std::string::npos) {
            raw_.resize(nul);
            going = false;
            ended_ = true;
        }
        const std::string_view bytes = raw_;
        // A character cut by the chunk's end waits for its continuation.
        std::size_t whole = bytes.size();
        if (going)
            for (std::size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
                const auto byte = static_cast<unsigned char>(bytes[bytes.size() - back]);
                if (byte >= 0xC0) {
                    const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : 2;
                    if (length > back)
                        whole = bytes.size() - back;
                    break;
                }
                if (byte < 0x80)
                    break;
            }
        utf8_ = utf8_ && isUtf8(bytes.substr(0, whole));
        text.append(bytes.substr(0, whole));
        raw_.erase(0, whole);
        if (!going) {
            utf8_ = utf8_ && raw_.empty();
            text += raw_;
            raw_.clear();
        }
    }

    // UTF-16 in UTF-8, as fromUtf16 decodes it, a unit or a surrogate pair left for the next chunk.
    void appendUtf16(std::string& text, bool going)
    {
        std::size_t whole = raw_.size() & ~std::size_t{1};
        if (going && whole >= 2) {
            const auto last = static_cast<unsigned char>(raw_[whole - (order_ == 'L' ? 1 : 2)]);
            if (last >= 0xD8 && last < 0xDC)
                whole -= 2;
        }
        std::string units = raw_.substr(0, whole);
        if (!unitsBefore_)
            units.insert(0, order_ == 'L' ? "\xFF\xFE" : "\xFE\xFF", 2);
        const std::string decoded = fromUtf16(units, order_);
        text += decoded;
        unitsBefore_ = true;
        // A NUL character ends the text.
        for (std::size_t at = 0; at + 1 < whole; at += 2)
            if (raw_[at] == 0 && raw_[at + 1] == 0) {
                ended_ = true;
                break;
            }
        raw_.erase(0, whole);
    }

    std::string fileName_;
    bool fromFile_ = false;
    InputFile file_;
    const FileHead* head_ = nullptr;
    std::uint64_t headAt_ = 0;
    std::string_view memory_;
    std::size_t part_ = Chunk;
    std::size_t memoryAt_ = 0;
    std::string raw_;
    char order_ = 0;  // 'L', 'B': UTF-16; '8' single bytes
    bool first_ = true;
    bool unitsBefore_ = false;
    bool ended_ = false;
    bool utf8_ = true;
};

// The records of a delimited text, one after the other: its lines, but for the line ends
// inside quotes. Over a text in memory, or a TextStream read as the records need it.
class Records {
public:
    // A separator ' ' stands for any run of blanks (spaces and tabs), as in R's
    // write.table and the exports of instruments that align their columns.
    Records(std::string_view text, char separator, std::string source)
        : text_(text), separator_(separator), blanks_(separator == ' '), source_(std::move(source))
    {
        skipBom();
    }

    // The text of `stream`, whose first part is in `buffer`, the records kept there as they
    // are read and dropped once passed.
    Records(TextStream& stream, std::string& buffer, char separator, std::string source)
        : text_(buffer), separator_(separator), blanks_(separator == ' '), source_(std::move(source)),
          stream_(&stream), buffer_(&buffer)
    {
        while (buffer.size() < Bom.size() && stream.more(buffer))
            text_ = buffer;
        skipBom();
    }

    // The next record that is not a blank line into `fields`; false at the end of the text.
    // Throws Failure for a quote left open.
    bool next(std::vector<Field>& fields) { return plainLine(nullptr, fields, false) || read(fields, nullptr); }

    // The next record as next() gives it, but for the fields' texts, given as views only
    // (Field::view): a record of the commonest shape has them where it lies in the text.
    bool nextViews(std::vector<Field>& fields)
    {
        if (plainLine(nullptr, fields, true))
            return true;
        if (!read(fields, nullptr))
            return false;
        for (Field& field : fields)
            field.view = field.text;
        return true;
    }

    // The next record as next() gives it, but for the texts of its fields `a` and `b` only,
    // in fields[0] and fields[1] (empty when the record has no such field); fieldCount()
    // gives how many it has.
    bool nextOnly(std::size_t a, std::size_t b, std::vector<Field>& fields)
    {
        const std::pair<std::size_t, std::size_t> wanted{a, b};
        return plainLine(&wanted, fields, false) || read(fields, &wanted);
    }
    std::size_t fieldCount() const { return fieldCount_; }

private:
    // next(), nextViews() (`viewsOnly`) or nextOnly() of `wanted`, for a record that is
    // a whole line at hand without quotes or CR but its line end, of fields parted by a
    // separator, the most of a text; false, nothing read, for any other, which the general
    // reading takes. The fields given are written over, their texts' room kept from one
    // record to the next.
    [[gnu::always_inline]] bool plainLine(const std::pair<std::size_t, std::size_t>* wanted, std::vector<Field>& fields,
                                          bool viewsOnly)
    {
        if (blanks_ || pos_ >= text_.size())
            return false;
        const char* start = text_.data() + pos_;
        const char* end = text_.data() + text_.size();
        const auto* feed = static_cast<const char*>(std::memchr(start, '\n', static_cast<std::size_t>(end - start)));
        if (!feed)
            return false;
        const char* lineEnd = feed > start && feed[-1] == '\r' ? feed - 1 : feed;
        const auto length = static_cast<std::size_t>(lineEnd - start);
        if (std::memchr(start, '"', length) || std::memchr(start, '\r', length))
            return false;
        if (wanted) {
            fields.resize(2);
            fields[0].text.clear();
            fields[1].text.clear();
        }
        std::size_t count = 0;
        bool blank = true;
        for (const char* field = start;; ++count) {
            if (count == MaxFields)
                return false;
            const auto* next
                = static_cast<const char*>(std::memchr(field, separator_, static_cast<std::size_t>(lineEnd - field)));
            const char* fieldEnd = next ? next : lineEnd;
            std::string_view text(field, static_cast<std::size_t>(fieldEnd - field));
            while (!text.empty() && isSpace(text.front()))
                text.remove_prefix(1);
            while (!text.empty() && isSpace(text.back()))
                text.remove_suffix(1);
            blank = blank && text.empty();
            if (!wanted) {
                if (count == fields.size())
                    fields.emplace_back();
                Field& kept = fields[count];
                if (viewsOnly)
                    kept.view = text;
                else
                    kept.text.assign(text);
                kept.quoted = false;
                kept.empty = text.empty();
            } else if (count == wanted->first) {
                fields[0].text.assign(text);
            } else if (count == wanted->second) {
                fields[1].text.assign(text);
            }
            if (!next)
                break;
            field = next + 1;
        }
        // A blank line is no record: the general reading passes it.
        if (count == 0 && blank)
            return false;
        if (!wanted)
            fields.resize(count + 1);
        line_ = nextLine_++;
        fieldCount_ = count + 1;
        endedWithoutLineEnd_ = false;
        pos_ = static_cast<std::size_t>(feed + 1 - text_.data());
        return true;
    }

    bool read(std::vector<Field>& fields, const std::pair<std::size_t, std::size_t>* wanted)
    {
        for (;;) {
            const std::size_t mark = pos_;
            const long long markLine = nextLine_;
            starved_ = false;
            const bool got = nextInText(fields, wanted);
            if (!starved_)
                return got;
            // The record goes on beyond the bytes at hand: read again with more.
            pos_ = mark;
            nextLine_ = markLine;
            more();
        }
    }

public:
    // The line where the last record began, from 1.
    long long line() const { return line_; }
    // Whether the last record ended at the end of the text without a line end.
    bool endedWithoutLineEnd() const { return endedWithoutLineEnd_; }
    // The bytes of the text passed.
    std::uint64_t offset() const { return dropped_ + pos_; }

private:
    void skipBom()
    {
        if (text_.starts_with(Bom))
            pos_ = Bom.size();
    }

    bool finished() const { return !stream_ || stream_->ended(); }

    // Drops the records passed and reads as much again of the text as is kept, a chunk at least.
    void more()
    {
        buffer_->erase(0, pos_);
        dropped_ += pos_;
        pos_ = 0;
        const std::size_t wanted = 2 * buffer_->size();
        bool going = true;
        do
            going = stream_->more(*buffer_);
        while (going && buffer_->size() < wanted);
        text_ = *buffer_;
    }

    bool nextInText(std::vector<Field>& fields, const std::pair<std::size_t, std::size_t>* wanted)
    {
        while (pos_ < text_.size()) {
            line_ = nextLine_;
            fields.clear();
            if (wanted)
                fields.resize(2);
            std::size_t count = 0;
            bool firstBlank = false;
            bool lineEnded = false;
            while (!lineEnded) {
                const bool keep = !wanted || count == wanted->first || count == wanted->second;
                Field field = nextField(keep);
                if (count == MaxFields) {
                    LimitFailure failure("Ligne de plus de " + std::to_string(MaxFields) + " champs");
                    failure.setPlace(Place(source_, line_));
                    throw failure;
                }
                if (count == 0)
                    firstBlank = !field.quoted && field.empty;
                if (!wanted)
                    fields.push_back(std::move(field));
                else if (keep)
                    fields[count == wanted->first ? 0 : 1] = std::move(field);
                ++count;
                if (blanks_) {
                    while (pos_ < text_.size() && isSpace(text_[pos_]))
                        ++pos_;
                    lineEnded = pos_ >= text_.size() || isLineEnd(text_[pos_]);
                } else {
                    lineEnded = pos_ >= text_.size() || text_[pos_] != separator_;
                    if (!lineEnded)
                        ++pos_;
                }
            }
            endLine();
            // A line end, or the record, may go on in the bytes to come.
            if (pos_ >= text_.size() && !finished()) {
                starved_ = true;
                return false;
            }
            fieldCount_ = count;
            if (count > 1 || !firstBlank)
                return true;
        }
        starved_ = !finished();
        return false;
    }

    bool isSpace(char c) const { return (c == ' ' || c == '\t') && (blanks_ || c != separator_); }
    bool endsField(char c) const { return blanks_ ? c == ' ' || c == '\t' : c == separator_; }
    bool isLineEnd(char c) const { return c == '\n' || c == '\r'; }

    // The next field, its text built when `keep`.
    Field nextField(bool keep)
    {
        Field field;
        while (pos_ < text_.size() && isSpace(text_[pos_]))
            ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '"') {
            field.quoted = true;
            ++pos_;
            for (;;) {
                const std::size_t quote = text_.find('"', pos_);
                if (quote == std::string_view::npos) {
                    if (!finished()) {
                        pos_ = text_.size();
                        return field;
                    }
                    Failure failure("Guillemet ouvert et jamais fermé");
                    failure.setPlace(Place(source_, line_));
                    throw failure;
                }
                const std::string_view part = text_.substr(pos_, quote - pos_);
                countLineEnds(part);
                field.empty = field.empty && part.empty();
                if (keep)
                    field.text += part;
                pos_ = quote + 1;
                if (pos_ < text_.size() && text_[pos_] == '"') {
                    field.empty = false;
                    if (keep)
                        field.text += '"';
                    ++pos_;
                } else {
                    break;
                }
            }
        }
        // Unquoted bytes, or those after the closing quote, up to the separator or the line end.
        const std::size_t start = pos_;
        pos_ = fieldEnd(pos_);
        std::string_view rest = text_.substr(start, pos_ - start);
        while (!rest.empty() && isSpace(rest.back()))
            rest.remove_suffix(1);
        field.empty = field.empty && rest.empty();
        if (keep)
            field.text += rest;
        return field;
    }

    // Where the unquoted bytes from `from` end: at the separator, a line end or the text's
    // end; eight bytes at a time.
    std::size_t fieldEnd(std::size_t from) const
    {
        constexpr std::uint64_t Ones = 0x0101010101010101ULL, Highs = 0x8080808080808080ULL;
        auto holds = [&](std::uint64_t word, char c) {
            const std::uint64_t v = word ^ (Ones * static_cast<unsigned char>(c));
            return (v - Ones) & ~v & Highs;
        };
        const char first = blanks_ ? ' ' : separator_, second = blanks_ ? '\t' : separator_;
        while (from + 8 <= text_.size()) {
            std::uint64_t word;
            std::memcpy(&word, text_.data() + from, 8);
            if (holds(word, first) | holds(word, second) | holds(word, '\n') | holds(word, '\r'))
                break;
            from += 8;
        }
        while (from < text_.size() && !endsField(text_[from]) && !isLineEnd(text_[from]))
            ++from;
        return from;
    }

    void countLineEnds(std::string_view part)
    {
        for (std::size_t i = 0; i < part.size(); ++i)
            if (part[i] == '\n' || (part[i] == '\r' && (i + 1 == part.size() || part[i + 1] != '\n')))
                ++nextLine_;
    }

    // Past the line end: CR LF, LF or CR.
    void endLine()
    {
        endedWithoutLineEnd_ = pos_ >= text_.size();
        if (pos_ < text_.size() && text_[pos_] == '\r') {
            ++pos_;
            if (pos_ < text_.size() && text_[pos_] == '\n')
                ++pos_;
        } else if (pos_ < text_.size() && text_[pos_] == '\n') {
            ++pos_;
        }
        ++nextLine_;
    }

    std::string_view text_;
    char separator_;
    bool blanks_;
    std::string source_;
    TextStream* stream_ = nullptr;
    std::string* buffer_ = nullptr;
    std::size_t pos_ = 0;
    std::uint64_t dropped_ = 0;
    long long line_ = 1;
    long long nextLine_ = 1;
    bool endedWithoutLineEnd_ = false;
    bool starved_ = false;
    std::size_t fieldCount_ = 0;
};

enum class Cell { Missing, Number, Text };

bool isMissingText(std::string_view text)
{
    switch (text.size()) {
    case 0:
        return true;
    case 1:
        return text[0] == '-';
    case 2:
        return text == "NA";
    case 3:
        return text == "NaN" || text == "nan";
    default:
        return false;
    }
}

// What a field holds, and its value when it is a number: the point file's real syntax,
// with a decimal comma where the separator is not a comma. Throws FloatFailure for a
// number beyond the double range.
Cell cellOf(std::string_view text, char separator, double& value)
{
    if (isMissingText(text))
        return Cell::Missing;
    bool plain;
    const Ext decimal = plainDecimal(text, separator != ',', plain);
    if (plain) {
        value = toDouble(decimal);
        return Cell::Number;
    }
    std::string token(text);
    if (separator != ',' && token.find('.') == std::string::npos) {
        const std::size_t comma = token.find(',');
        if (comma != std::string::npos && token.find(',', comma + 1) == std::string::npos)
            token[comma] = '.';
    }
    const std::optional<Ext> real = parseReal(token);
    if (!real)
        return Cell::Text;
    value = toDouble(*real);
    return Cell::Number;
}

Cell cellOf(const Field& field, char separator, double& value)
{
    return cellOf(std::string_view(field.text), separator, value);
}

// What a field holds for the recognition of a dialect: a number beyond the double range
// is a number all the same, which the reading then refuses at its place.
Cell sniffed(const Field& field, char separator)
{
    double value;
    try {
        return cellOf(field, separator, value);
    } catch (const FloatFailure&) {
        return Cell::Number;
    }
}

std::string lowerCase(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// One column as read: its values (NaN where a value is missing or a text), and what its
// cells hold.
struct ColumnCells {
    std::string name;
    Values values;
    long long numbers = 0;
    long long texts = 0;
    long long firstTextRow = 0;  // from 1, among the data rows
    std::string firstText;
    bool counting = true;  // 1, 2, 3... row after row
    bool unnamed = false;  // its name in the header is empty
    bool increasing = true;  // whole numbers, each above the one before, none missing

    bool numeric() const { return numbers > texts; }
};

// Throws `failure` with its place: the line, the data row (from 1), the column, the cell.
template <typename Kind>
[[noreturn]] void failAt(Kind failure, const std::string& source, long long line, const std::string& column,
                         long long row = 0, const std::string& token = {})
{
    Place place(source, line, static_cast<int>(std::min<long long>(row, std::numeric_limits<int>::max())));
    place.column = column;
    if (!token.empty()) {
        place.token = token.substr(0, Place::TokenShown);
        place.tokenCut = token.size() > Place::TokenShown;
    }
    failure.setPlace(std::move(place));
    throw failure;
}

// The line where each data row begins, kept as the rows whose line is not the one after
// the row before: a text of one row a line holds a single entry for all its rows.
class RowLines {
public:
    void push_back(long long line)
    {
        if (rows_ == 0 || line != last_ + 1)
            starts_.push_back({rows_, line});
        last_ = line;
        ++rows_;
    }
    std::size_t size() const { return rows_; }
    bool empty() const { return rows_ == 0; }
    // The line of data row `row`, from 0.
    long long operator[](std::size_t row) const
    {
        assert(row < rows_);
        const auto after = std::upper_bound(starts_.begin(), starts_.end(), row,
                                            [](std::size_t r, const Start& start) { return r < start.row; });
        const Start& start = *(after - 1);
        return start.line + static_cast<long long>(row - start.row);
    }

private:
    struct Start {
        std::size_t row;
        long long line;
    };
    std::vector<Start> starts_;
    std::size_t rows_ = 0;
    long long last_ = 0;
};

// The records of the text after the header, into columns, up to the stop; the lines where
// the rows begin. After the stop the rest is only counted: its rows with both coordinates,
// and the lines of those without.
struct Parsed {
    long long headerLine = 0;
    std::vector<ColumnCells> columns;
    RowLines rowLines;
    // The header names every column but the first, which holds the rows' names: what R's
    // write.table writes, with its row names quoted.
    bool rowNames = false;
    // Whether the reading stopped before the end, and what it counted after the stop.
    bool stopped = false;
    long long restLocated = 0;
    long long restSkipped = 0;
    std::vector<long long> restSkippedLines;  // the first LinesNamed + 1
};

// Where the rows stop being read into columns: once `points` rows have both coordinates
// (as the rows read so far choose them), one at least, or once `bytes` of the text are read.
struct Stop {
    std::int32_t points = Unbounded;
    std::uint64_t bytes = UINT64_MAX;
};

std::optional<std::size_t> columnNamed(const Parsed& parsed, const std::string& name);
bool identifies(const Parsed& parsed, std::size_t c);
std::optional<std::pair<std::size_t, std::size_t>> namedCoordinates(const Parsed& parsed, const ReadOptions& options,
                                                                    bool& byName);
std::optional<std::pair<std::size_t, std::size_t>> numericCoordinates(const Parsed& parsed);

Parsed parse(Records& records, char separator, const std::string& source, const ReadOptions& options, Stop stop)
{
    Parsed parsed;
    std::vector<Field> fields;
    if (!records.next(fields))
        failAt(Failure("Le fichier ne contient aucune ligne"), source, 0, {});
    parsed.headerLine = records.line();
    std::vector<Field> header = std::move(fields);
    auto nameColumns = [&] {
        for (std::size_t c = 0; c < header.size(); ++c) {
            ColumnCells column;
            column.unnamed = header[c].text.empty();
            column.name = column.unnamed ? "colonne " + std::to_string(c + 1) : header[c].text;
            parsed.columns.push_back(std::move(column));
        }
    };
    // The coordinates as the rows read choose them, and the rows that have both.
    const bool stops = stop.points != Unbounded || stop.bytes != UINT64_MAX;
    bool byName = false;
    constexpr std::pair<std::size_t, std::size_t> None{SIZE_MAX, SIZE_MAX};
    std::pair<std::size_t, std::size_t> coordinates = None;
    long long located = 0;
    auto hasBoth = [&](std::size_t row) {
        return !isMissing(parsed.columns[coordinates.first].values[row])
            && !isMissing(parsed.columns[coordinates.second].values[row]);
    };
    while (records.nextViews(fields)) {
        checkCancelled();
        const auto row = static_cast<long long>(parsed.rowLines.size()) + 1;
        if (row == 1) {
            // One field more than the header, the first quoted or parted by blanks: the
            // rows' names come first, under no name.
            parsed.rowNames = fields.size() == header.size() + 1 && (fields[0].quoted || separator == ' ');
            if (parsed.rowNames)
                header.insert(header.begin(), Field{});
            nameColumns();
            if (stops)
                coordinates = namedCoordinates(parsed, options, byName).value_or(None);
        }
        if (fields.size() != parsed.columns.size())
            failAt(Failure("La ligne " + std::to_string(records.line()) + " a " + std::to_string(fields.size())
                           + " champs au lieu de " + std::to_string(parsed.columns.size())),
                   source, records.line(), {}, row);
        parsed.rowLines.push_back(records.line());
        for (std::size_t c = 0; c < fields.size(); ++c) {
            ColumnCells& column = parsed.columns[c];
            double value = std::numeric_limits<double>::quiet_NaN();
            Cell cell;
            try {
                cell = cellOf(fields[c].view, separator, value);
            } catch (FloatFailure& failure) {
                failAt(failure, source, records.line(), column.name, row, std::string(fields[c].view));
            }
            column.values.push_back(cell == Cell::Number ? value : std::numeric_limits<double>::quiet_NaN());
            column.numbers += cell == Cell::Number;
            if (cell == Cell::Text && column.texts++ == 0) {
                column.firstTextRow = row;
                column.firstText = fields[c].view;
            }
            column.counting = column.counting && cell == Cell::Number && value == static_cast<double>(row);
            column.increasing = column.increasing && cell == Cell::Number && value == std::floor(value)
                && (row == 1 || value > column.values[column.values.size() - 2]);
        }
        if (!stops)
            continue;
        if (!byName) {
            const auto now = numericCoordinates(parsed).value_or(None);
            if (now != coordinates) {
                coordinates = now;
                located = 0;
                for (std::size_t r = 0; coordinates != None && r + 1 < parsed.rowLines.size(); ++r)
                    located += hasBoth(r);
            }
        }
        located += coordinates != None && hasBoth(parsed.rowLines.size() - 1);
        if ((located > 0 && located >= stop.points) || records.offset() >= stop.bytes) {
            parsed.stopped = true;
            break;
        }
    }
    if (parsed.columns.empty())
        nameColumns();
    if (!parsed.stopped)
        return parsed;
    // The rest, counted: what its coordinates' fields hold is not judged, only whether
    // they are there.
    const bool placed = coordinates != None;
    const std::size_t x = placed ? coordinates.first : 0, y = placed ? coordinates.second : 0;
    while (records.nextOnly(x, y, fields)) {
        checkCancelled();
        if (placed && records.fieldCount() > std::max(x, y) && !isMissingText(fields[0].text)
            && !isMissingText(fields[1].text)) {
            ++parsed.restLocated;
        } else {
            if (parsed.restSkippedLines.size() <= LinesNamed)
                parsed.restSkippedLines.push_back(records.line());
            ++parsed.restSkipped;
        }
    }
    return parsed;
}

// A column the points need, by its name: the first one spelled so, else the first one
// equal in lower case.
std::optional<std::size_t> columnNamed(const Parsed& parsed, const std::string& name)
{
    for (std::size_t c = 0; c < parsed.columns.size(); ++c)
        if (parsed.columns[c].name == name)
            return c;
    for (std::size_t c = 0; c < parsed.columns.size(); ++c)
        if (lowerCase(parsed.columns[c].name) == lowerCase(name))
            return c;
    return std::nullopt;
}

// Whether column `c` identifies the rows rather than measures them: the rows' names, or a
// column without a name in the header holding whole numbers that increase row after row
// (R's write.csv writes its row names so, 1 to n, with gaps after a subset).
bool identifies(const Parsed& parsed, std::size_t c)
{
    const ColumnCells& column = parsed.columns[c];
    return (c == 0 && parsed.rowNames) || (column.unnamed && column.increasing && !parsed.rowLines.empty());
}

// The columns of X and Y the header names (byName then true): those of the options, else
// the first pair of coordinates' names; none when the options name a column it lacks.
std::optional<std::pair<std::size_t, std::size_t>> namedCoordinates(const Parsed& parsed, const ReadOptions& options,
                                                                    bool& byName)
{
    byName = true;
    if (!options.xColumn.empty() || !options.yColumn.empty()) {
        const auto x = columnNamed(parsed, options.xColumn), y = columnNamed(parsed, options.yColumn);
        if (x && y)
            return std::pair{*x, *y};
        return std::nullopt;
    }
    std::vector<std::string> names;
    names.reserve(parsed.columns.size());
    for (const ColumnCells& column : parsed.columns)
        names.push_back(column.name);
    if (const auto named = coordinatesNamed(names))
        return named;
    byName = false;
    return std::nullopt;
}

// The first two columns of numbers, but for one that numbers or identifies the rows.
std::optional<std::pair<std::size_t, std::size_t>> numericCoordinates(const Parsed& parsed)
{
    std::size_t numeric[2];
    std::size_t found = 0;
    for (std::size_t c = parsed.columns[0].counting ? 1 : 0; c < parsed.columns.size() && found < 2; ++c)
        if (parsed.columns[c].numeric() && !identifies(parsed, c))
            numeric[found++] = c;
    if (found < 2)
        return std::nullopt;
    return std::pair{numeric[0], numeric[1]};
}

// The columns of X and Y.
std::pair<std::size_t, std::size_t> coordinateColumns(const Parsed& parsed, const ReadOptions& options,
                                                      const std::string& source)
{
    bool byName = false;
    if (const auto named = namedCoordinates(parsed, options, byName))
        return *named;
    if (byName)
        for (const std::string& name : {options.xColumn, options.yColumn})
            if (!columnNamed(parsed, name))
                failAt(Failure("Aucune colonne ne s'appelle \"" + name + "\" dans l'en-tête"), source,
                       parsed.headerLine, name);
    const auto numeric = numericCoordinates(parsed);
    if (!numeric)
        failAt(Failure("Le fichier n'a pas deux colonnes de nombres pour les coordonnées X et Y"), source,
               parsed.headerLine, {});
    return *numeric;
}

// "lignes 5, 9, 12" for the first lines of `lines`, "…" after them, `count` lines in all.
std::string linesText(const std::vector<long long>& lines, std::size_t count)
{
    std::string text = count > 1 ? "lignes " : "ligne ";
    for (std::size_t i = 0; i < lines.size() && i < LinesNamed; ++i)
        text += (i > 0 ? ", " : "") + std::to_string(lines[i]);
    return text + (count > LinesNamed ? ", …" : "");
}

// The head of `text` that recognises it: its first HeadLines lines, LargestHead bytes at most.
std::string_view headOf(std::string_view text)
{
    std::size_t end = 0;
    for (std::size_t line = 0; line < HeadLines && end < text.size(); ++line)
        end = std::min(text.find('\n', end), text.size()) + 1;
    return text.substr(0, std::min({end, text.size(), LargestHead}));
}

}  // namespace

std::optional<std::pair<std::size_t, std::size_t>> coordinatesNamed(const std::vector<std::string>& names)
{
    for (const auto& [x, y] : CoordinateNames) {
        std::optional<std::size_t> xColumn, yColumn;
        for (std::size_t c = 0; c < names.size(); ++c) {
            const std::string name = lowerCase(names[c]);
            if (!xColumn && name == x)
                xColumn = c;
            else if (!yColumn && name == y)
                yColumn = c;
        }
        if (xColumn && yColumn)
            return std::pair{*xColumn, *yColumn};
    }
    return std::nullopt;
}

char delimiterOf(std::string_view head, bool headIsCut)
{
    head = textBefore(head, NamesFileEnd);
    // A first line of numbers is the first row of a point file, whatever blanks part them.
    if (startsWithNumberRow(head))
        return 0;
    // A header, then one of the next lines read whole with as many fields, two of them
    // numbers; failing that, with two numbers among another count of fields, which the
    // reading then names as the line that does not match its header.
    for (const bool sameCount : {true, false}) {
        for (const char separator : {'\t', ';', ',', ' '}) {
            // Runs of blanks part the fields of a header made of names only, then of rows with
            // as many fields, or one more for the rows' names: a point file's first line of
            // text never passes for one.
            const bool blanks = separator == ' ';
            if (blanks && !sameCount)
                continue;
            try {
                Records records(head, separator, {});
                std::vector<Field> fields;
                if (!records.next(fields) || fields.size() < 2)
                    continue;
                const std::size_t count = fields.size();
                const auto names = std::count_if(fields.begin(), fields.end(),
                                                 [&](const Field& field) { return sniffed(field, separator) == Cell::Text; });
                if (names == 0 || (blanks && static_cast<std::size_t>(names) < count))
                    continue;
                // A header longer than the head: the fields it shows are enough.
                if (records.endedWithoutLineEnd() && headIsCut)
                    return separator;
                for (int look = 0; look < 10 && records.next(fields); ++look) {
                    const bool lineIsCut = records.endedWithoutLineEnd();
                    // A line longer than the head: the fields it shows but the last, which is
                    // cut, tell as much as a whole line.
                    if (lineIsCut && (!headIsCut || fields.size() > count))
                        break;
                    const auto numbers = std::count_if(fields.begin(), fields.end() - (lineIsCut ? 1 : 0), [&](const Field& field) {
                        return sniffed(field, separator) == Cell::Number;
                    });
                    if (lineIsCut) {
                        if (numbers >= 2)
                            return separator;
                        break;
                    }
                    if ((fields.size() == count || (blanks && fields.size() == count + 1)
                         || (!sameCount && fields.size() >= 2))
                        && numbers >= 2)
                        return separator;
                }
            } catch (const LimitFailure&) {
                // A line of more fields than any table holds: claimed, and refused by its reading.
                return separator;
            } catch (const Failure&) {
                // A quote left open in the head: not this separator.
            }
        }
    }
    return 0;
}

namespace {

// The note of a column that identifies the rows (identifies()).
std::string identifierNote(const Parsed& parsed, std::size_t c)
{
    const ColumnCells& column = parsed.columns[c];
    const std::string which = "La colonne " + std::to_string(c + 1) + ", sans nom dans l'en-tête,";
    if (!column.increasing)
        return which + " porte les noms des lignes : ce n'est pas une variable.";
    return which + " numérote les lignes (de " + writeReal(column.values.front(), ".") + " à "
        + writeReal(column.values.back(), ".") + ") : c'est l'identifiant des points, pas une variable.";
}

// Whether X and Y are a longitude and a latitude: so named, every value within ±180 and
// ±90.
bool inDegrees(const ColumnCells& x, const ColumnCells& y)
{
    const std::string xName = lowerCase(x.name), yName = lowerCase(y.name);
    if ((xName != "lon" && xName != "long" && xName != "lng" && xName != "longitude")
        || (yName != "lat" && yName != "latitude"))
        return false;
    auto within = [](const ColumnCells& column, double bound) {
        return std::all_of(column.values.begin(), column.values.end(),
                           [&](double value) { return isMissing(value) || std::abs(value) <= bound; });
    };
    return within(x, 180) && within(y, 90);
}

// What a reading found besides its table.
struct Outcome {
    bool numbered = false;  // the first column numbers the points
    long long located = 0;  // the data rows with both coordinates, in the whole text
};

// The table of what `parse` gave; the columns taken are moved into it.
Outcome readTable(Parsed& parsed, const std::string& source, const ReadOptions& options, PointTable& table)
{
    const auto [xColumn, yColumn] = coordinateColumns(parsed, options, source);
    const bool numbered = (parsed.columns[0].counting || identifies(parsed, 0)) && xColumn != 0 && yColumn != 0
        && !parsed.rowLines.empty();

    // The columns taken, X and Y first: a text among numbers fails at its first cell, the
    // first in the file among the columns.
    std::vector<std::size_t> taken{xColumn, yColumn};
    std::vector<std::string> notes, reasons;
    // Each name's first column.
    std::unordered_map<std::string_view, std::size_t> firstNamed;
    for (std::size_t c = 0; c < parsed.columns.size(); ++c)
        firstNamed.emplace(parsed.columns[c].name, c);
    std::vector<bool> repeated(parsed.columns.size());
    for (std::size_t c = 0; c < parsed.columns.size(); ++c) {
        const ColumnCells& column = parsed.columns[c];
        if (c == xColumn || c == yColumn)
            continue;
        if (identifies(parsed, c)) {
            notes.push_back(identifierNote(parsed, c));
            continue;
        }
        if (c == 0 && numbered)
            continue;
        // A name met before in the header: the columns would be told apart by position
        // only, and a second X or Y would pass for a variable.
        if (const std::size_t first = firstNamed.at(column.name); first != c) {
            repeated[c] = true;
            const bool coordinate = first == xColumn || first == yColumn;
            notes.push_back("Le nom \"" + column.name + "\" est celui des colonnes " + std::to_string(first + 1) + " et "
                            + std::to_string(c + 1) + " de l'en-tête"
                            + (coordinate ? " : la colonne " + std::to_string(c + 1) + " n'est pas lue."
                                          : " : la variable de la colonne " + std::to_string(c + 1) + " s'appelle \""
                                               + column.name + " (" + std::to_string(c + 1) + ")\"."));
            if (coordinate)
                continue;
        }
        if (column.numeric()) {
            taken.push_back(c);
            continue;
        }
        // A column of text, or without any value, is no variable: said, never silently.
        const std::string reason = column.texts > 0
            ? "la colonne \"" + column.name + "\" contient du texte (\"" + column.firstText.substr(0, Place::TokenShown)
                + "\" à la ligne " + std::to_string(parsed.rowLines[static_cast<std::size_t>(column.firstTextRow) - 1]) + ")"
            : "la colonne \"" + column.name + "\" n'a aucune valeur";
        reasons.push_back(reason);
        notes.push_back(std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(reason[0]))))
                        + reason.substr(1) + " : ce n'est pas une variable.");
    }
    const ColumnCells* misread = nullptr;
    for (const std::size_t c : taken) {
        const ColumnCells& column = parsed.columns[c];
        if (column.texts > 0 && (!misread || column.firstTextRow < misread->firstTextRow))
            misread = &column;
    }
    if (misread) {
        const auto row = static_cast<std::size_t>(misread->firstTextRow);
        failAt(IoFailure(io::InvalidNumber), source, parsed.rowLines[row - 1], misread->name, misread->firstTextRow,
               misread->firstText);
    }
    for (const std::size_t c : {xColumn, yColumn})
        if (parsed.columns[c].numbers == 0)
            failAt(Failure("La colonne \"" + parsed.columns[c].name + "\" ne contient aucun nombre"), source,
                   parsed.headerLine, parsed.columns[c].name);

    if (taken.size() == 2) {
        std::string message = "Le fichier n'a aucune variable à analyser";
        for (std::size_t k = 0; k < reasons.size(); ++k)
            message += (k == 0 ? " : " : " ; ") + reasons[k];
        failAt(Failure(message), source, parsed.headerLine, {});
    }

    PointTable read;
    read.source = source;
    read.format = "delimited";
    read.named = true;
    const std::size_t variables = std::min(taken.size() - 2, static_cast<std::size_t>(std::max(options.variables, 0)));
    for (std::size_t k = 0; k < 2 + variables; ++k) {
        const std::string& name = parsed.columns[taken[k]].name;
        read.columns.push_back({repeated[taken[k]] ? name + " (" + std::to_string(taken[k] + 1) + ")" : name, {}});
    }
    read.notes = std::move(notes);
    if (variables < taken.size() - 2)
        read.notes.push_back(firstOnlyNote(static_cast<long long>(taken.size() - 2), static_cast<long long>(variables),
                                           "variables", true));

    // The rows read without a coordinate, then those of the rest counted after the stop.
    const Values& xs = parsed.columns[xColumn].values;
    const Values& ys = parsed.columns[yColumn].values;
    auto hasBoth = [&](std::size_t row) { return !isMissing(xs[row]) && !isMissing(ys[row]); };
    std::vector<long long> skippedLines;
    long long skipped = 0, located = 0;
    for (std::size_t row = 0; row < parsed.rowLines.size(); ++row) {
        if (hasBoth(row)) {
            ++located;
        } else {
            if (skippedLines.size() <= LinesNamed)
                skippedLines.push_back(parsed.rowLines[row]);
            ++skipped;
        }
    }
    // Whether every row read has both coordinates: the columns are then kept as they are.
    const bool allLocated = skipped == 0;
    for (const long long line : parsed.restSkippedLines)
        if (skippedLines.size() <= LinesNamed)
            skippedLines.push_back(line);
    skipped += parsed.restSkipped;
    const long long taking = std::min<long long>(located, std::max(options.points, 0));
    located += parsed.restLocated;
    if (located == 0)
        failAt(Failure("Le fichier ne contient aucun point : aucune ligne de données n'a ses deux coordonnées"),
               source, 0, {});
    if (skipped > 0)
        read.notes.push_back(std::to_string(skipped)
                             + (skipped > 1 ? " lignes sans coordonnée ont été ignorées : "
                                            : " ligne sans coordonnée a été ignorée : ")
                             + linesText(skippedLines, static_cast<std::size_t>(skipped)) + ".");
    if (located > options.points)
        read.notes.push_back(firstOnlyNote(located, options.points, "lignes de données", true));
    if (inDegrees(parsed.columns[xColumn], parsed.columns[yColumn]))
        read.notes.push_back(DegreesNote);

    // The first `taking` rows with both coordinates, each column kept where it was read
    // (a row moves up over the rows left out before it) and then moved into the table:
    // the variables first, X and Y last and together, since every column looks at them.
    const auto limit = static_cast<std::size_t>(taking);
    for (std::size_t k = 2; k < read.columns.size(); ++k) {
        Values& values = parsed.columns[taken[k]].values;
        std::size_t kept = allLocated ? std::min(limit, values.size()) : 0;
        for (std::size_t row = 0; !allLocated && row < values.size() && kept < limit; ++row)
            if (hasBoth(row))
                values[kept++] = values[row];
        values.resize(kept);
        read.columns[k].values = std::move(values);
    }
    Values& x = parsed.columns[xColumn].values;
    Values& y = parsed.columns[yColumn].values;
    std::size_t kept = allLocated ? std::min(limit, x.size()) : 0;
    for (std::size_t row = 0; !allLocated && row < x.size() && kept < limit; ++row)
        if (hasBoth(row)) {
            x[kept] = x[row];
            y[kept] = y[row];
            ++kept;
        }
    x.resize(kept);
    y.resize(kept);
    read.columns[0].values = std::move(x);
    read.columns[1].values = std::move(y);
    table = std::move(read);
    return {numbered, located};
}

// Reads the records into `table` up to the stop, the rest counted; the names read as
// Windows-1252 when the text is not UTF-8.
Outcome readRecords(Records& records, const TextStream& stream, char separator, const std::string& source,
                    const ReadOptions& options, PointTable& table, Stop stop)
{
    Parsed parsed = parse(records, separator, source, options, stop);
    if (!stream.utf8())
        for (ColumnCells& column : parsed.columns) {
            if (!column.unnamed)
                column.name = fromWindows1252(column.name);
            column.firstText = fromWindows1252(column.firstText);
        }
    return readTable(parsed, source, options, table);
}

// The first bytes of `stream` into `buffer`, and its separator as delimiterOf gives it
// from its head.
char separatorOf(TextStream& stream, std::string& buffer)
{
    std::size_t lineFeeds = 0;
    std::size_t counted = 0;
    while (lineFeeds < HeadLines && buffer.size() < LargestHead) {
        if (!stream.more(buffer))
            break;
        for (const char* at; lineFeeds < HeadLines
             && (at = static_cast<const char*>(std::memchr(buffer.data() + counted, '\n', buffer.size() - counted)));
             ++lineFeeds)
            counted = static_cast<std::size_t>(at - buffer.data()) + 1;
        if (lineFeeds < HeadLines)
            counted = buffer.size();
    }
    std::string_view head = headOf(buffer);
    // Whether the text goes on after the head.
    if (head.size() == buffer.size() && stream.more(buffer))
        head = headOf(buffer);
    return delimiterOf(head, head.size() < buffer.size());
}

}  // namespace

// A text in memory comes in parts of a few bytes, so that a fault of the reading astride
// two parts shows against the same text read from a file.
constexpr std::size_t MemoryPart = 13;

char separatorOfText(std::string_view bytes)
{
    TextStream stream(bytes, MemoryPart);
    std::string buffer;
    return separatorOf(stream, buffer);
}

void readDelimited(std::string_view text, char separator, const std::string& source, const ReadOptions& options,
                   PointTable& table)
{
    TextStream stream(text, MemoryPart);
    std::string buffer;
    Records records(stream, buffer, separator, source);
    readRecords(records, stream, separator, source, options, table, Stop{options.points});
}

namespace {

class DelimitedReader final : public Reader {
public:
    // The decisions from the rows of the first IdentifiedHead bytes, the rest counted: the
    // file read once, from its head on.
    std::optional<PointFileLayout> identify(const FileHead& head) const override
    {
        try {
            TextStream stream(head);
            std::string buffer;
            const char separator = separatorOf(stream, buffer);
            if (separator == 0)
                return std::nullopt;
            Records records(stream, buffer, separator, head.fileName());
            PointTable table;
            const ReadOptions options{Unbounded, Unbounded};
            const Outcome outcome = readRecords(records, stream, separator, head.fileName(), options, table,
                                                Stop{Unbounded, IdentifiedHead});
            return PointFileLayout{static_cast<std::int32_t>(std::min<long long>(outcome.located, Unbounded)),
                                   static_cast<std::int32_t>(table.variables()), outcome.numbered};
        } catch (const Failure&) {
            return std::nullopt;
        }
    }

    bool claims(const FileHead& head) const override
    {
        try {
            TextStream stream(head);
            std::string buffer;
            return separatorOf(stream, buffer) != 0;
        } catch (const Failure&) {
            return false;
        }
    }

    void read(const std::string& fileName, const ReadOptions& options, PointTable& table) const override
    {
        TextStream stream(fileName, options.kinds);
        std::string buffer;
        const char separator = separatorOf(stream, buffer);
        if (separator == 0)
            failAt(Failure("Ce n'est pas un texte délimité avec une ligne d'en-tête"), fileName, 0, {});
        Records records(stream, buffer, separator, fileName);
        readRecords(records, stream, separator, fileName, options, table, Stop{options.points});
    }
};

}  // namespace

const Reader& delimitedReader()
{
    static const DelimitedReader reader;
    return reader;
}

}  // namespace geolago
