#include "delimited.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
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
};

// The records of a delimited text, one after the other: its lines, but for the line ends
// inside quotes.
class Records {
public:
    // A separator ' ' stands for any run of blanks (spaces and tabs), as in R's
    // write.table and the exports of instruments that align their columns.
    Records(std::string_view text, char separator, std::string source)
        : text_(text.substr(text.starts_with(Bom) ? Bom.size() : 0)), separator_(separator),
          blanks_(separator == ' '), source_(std::move(source))
    {
    }

    // The next record that is not a blank line into `fields`; false at the end of the text.
    // Throws Failure for a quote left open.
    bool next(std::vector<Field>& fields)
    {
        while (pos_ < text_.size()) {
            line_ = nextLine_;
            fields.clear();
            bool lineEnded = false;
            while (!lineEnded) {
                Field field = nextField();
                if (fields.size() == MaxFields) {
                    LimitFailure failure("Ligne de plus de " + std::to_string(MaxFields) + " champs");
                    failure.setPlace(Place(source_, line_));
                    throw failure;
                }
                fields.push_back(std::move(field));
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
            if (fields.size() > 1 || fields[0].quoted || !fields[0].text.empty())
                return true;
        }
        return false;
    }

    // The line where the last record began, from 1.
    long long line() const { return line_; }
    // Whether the last record ended at the end of the text without a line end.
    bool endedWithoutLineEnd() const { return endedWithoutLineEnd_; }

private:
    bool isSpace(char c) const { return (c == ' ' || c == '\t') && (blanks_ || c != separator_); }
    bool endsField(char c) const { return blanks_ ? c == ' ' || c == '\t' : c == separator_; }
    bool isLineEnd(char c) const { return c == '\n' || c == '\r'; }

    Field nextField()
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
                    Failure failure("Guillemet ouvert et jamais fermé");
                    failure.setPlace(Place(source_, line_));
                    throw failure;
                }
                const std::string_view part = text_.substr(pos_, quote - pos_);
                countLineEnds(part);
                field.text += part;
                pos_ = quote + 1;
                if (pos_ < text_.size() && text_[pos_] == '"') {
                    field.text += '"';
                    ++pos_;
                } else {
                    break;
                }
            }
        }
        // Unquoted bytes, or those after the closing quote, up to the separator or the line end.
        const std::size_t start = pos_;
        while (pos_ < text_.size() && !endsField(text_[pos_]) && !isLineEnd(text_[pos_]))
            ++pos_;
        std::string_view rest = text_.substr(start, pos_ - start);
        while (!rest.empty() && isSpace(rest.back()))
            rest.remove_suffix(1);
        field.text += rest;
        return field;
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
    std::size_t pos_ = 0;
    long long line_ = 1;
    long long nextLine_ = 1;
    bool endedWithoutLineEnd_ = false;
};

enum class Cell { Missing, Number, Text };

bool isMissingText(const std::string& text)
{
    return text.empty() || text == "NA" || text == "NaN" || text == "nan" || text == "-";
}

// What a field holds, and its value when it is a number: the point file's real syntax,
// with a decimal comma where the separator is not a comma. Throws FloatFailure for a
// number beyond the double range.
Cell cellOf(const Field& field, char separator, double& value)
{
    if (isMissingText(field.text))
        return Cell::Missing;
    std::string token = field.text;
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
    std::vector<double> values;
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

// Every record of the text after the header, into columns; the lines where the rows begin.
struct Parsed {
    long long headerLine = 0;
    std::vector<ColumnCells> columns;
    std::vector<long long> rowLines;
    // The header names every column but the first, which holds the rows' names: what R's
    // write.table writes, with its row names quoted.
    bool rowNames = false;
};

Parsed parse(std::string_view text, char separator, const std::string& source)
{
    Parsed parsed;
    Records records(text, separator, source);
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
    while (records.next(fields)) {
        checkCancelled();
        const auto row = static_cast<long long>(parsed.rowLines.size()) + 1;
        if (row == 1) {
            // One field more than the header, the first quoted or parted by blanks: the
            // rows' names come first, under no name.
            parsed.rowNames = fields.size() == header.size() + 1 && (fields[0].quoted || separator == ' ');
            if (parsed.rowNames)
                header.insert(header.begin(), Field{});
            nameColumns();
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
                cell = cellOf(fields[c], separator, value);
            } catch (FloatFailure& failure) {
                failAt(failure, source, records.line(), column.name, row, fields[c].text);
            }
            column.values.push_back(cell == Cell::Number ? value : std::numeric_limits<double>::quiet_NaN());
            column.numbers += cell == Cell::Number;
            if (cell == Cell::Text && column.texts++ == 0) {
                column.firstTextRow = row;
                column.firstText = fields[c].text;
            }
            column.counting = column.counting && cell == Cell::Number && value == static_cast<double>(row);
            column.increasing = column.increasing && cell == Cell::Number && value == std::floor(value)
                && (row == 1 || value > column.values[column.values.size() - 2]);
        }
    }
    if (parsed.columns.empty())
        nameColumns();
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

// The columns of X and Y.
std::pair<std::size_t, std::size_t> coordinateColumns(const Parsed& parsed, const ReadOptions& options,
                                                      const std::string& source)
{
    if (!options.xColumn.empty() || !options.yColumn.empty()) {
        auto named = [&](const std::string& name) {
            const auto column = columnNamed(parsed, name);
            if (!column)
                failAt(Failure("Aucune colonne ne s'appelle \"" + name + "\" dans l'en-tête"), source,
                       parsed.headerLine, name);
            return *column;
        };
        return {named(options.xColumn), named(options.yColumn)};
    }
    for (const auto& [x, y] : CoordinateNames) {
        std::optional<std::size_t> xColumn, yColumn;
        for (std::size_t c = 0; c < parsed.columns.size(); ++c) {
            const std::string name = lowerCase(parsed.columns[c].name);
            if (!xColumn && name == x)
                xColumn = c;
            else if (!yColumn && name == y)
                yColumn = c;
        }
        if (xColumn && yColumn)
            return {*xColumn, *yColumn};
    }
    std::vector<std::size_t> numeric;
    for (std::size_t c = parsed.columns[0].counting ? 1 : 0; c < parsed.columns.size() && numeric.size() < 2; ++c)
        if (parsed.columns[c].numeric() && !identifies(parsed, c))
            numeric.push_back(c);
    if (numeric.size() < 2)
        failAt(Failure("Le fichier n'a pas deux colonnes de nombres pour les coordonnées X et Y"), source,
               parsed.headerLine, {});
    return {numeric[0], numeric[1]};
}

// "lignes 5, 9, 12" for the first lines of `lines`, "…" after them.
std::string linesText(const std::vector<long long>& lines)
{
    std::string text = lines.size() > 1 ? "lignes " : "ligne ";
    for (std::size_t i = 0; i < lines.size() && i < LinesNamed; ++i)
        text += (i > 0 ? ", " : "") + std::to_string(lines[i]);
    return text + (lines.size() > LinesNamed ? ", …" : "");
}

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

// The text of `fileName` in UTF-8 (UTF-16 decoded; single bytes as utf8Text reads them
// once the whole text is read), up to its first NUL; throws IoFailure
// as the point file does. `limit` bytes of the file at most, and once `lines` line feeds are
// read no more: then `cut` says whether the file went on.
std::string textOf(const std::string& fileName, InputKinds kinds, std::size_t limit = SIZE_MAX,
                   std::size_t lines = SIZE_MAX, bool* cut = nullptr)
{
    InputFile file;
    if (const int error = file.open(fileName, kinds))
        failToRead(error, fileName);
    std::string bytes;
    std::size_t lineFeeds = 0;
    char buffer[64 * 1024];
    bool ended = false;
    while (!ended && bytes.size() < limit && lineFeeds < lines) {
        checkCancelled();
        const long got = file.read(buffer, std::min(sizeof buffer, limit - bytes.size()));
        if (got < 0)
            failToRead(static_cast<int>(-got), fileName);
        ended = got == 0;
        const std::string_view chunk(buffer, static_cast<std::size_t>(got));
        lineFeeds += static_cast<std::size_t>(std::count(chunk.begin(), chunk.end(), '\n'));
        bytes += chunk;
        // A NUL ends a text of bytes: what follows is never read.
        if (utf16Order(bytes) == 0 && chunk.find('\0') != std::string_view::npos) {
            bytes.resize(bytes.find('\0'));
            ended = true;
        }
    }
    if (cut)
        *cut = !ended;
    if (const char order = utf16Order(bytes))
        return fromUtf16(bytes, order);
    // A head cut short may end within a character: only a whole text is decoded.
    return ended ? utf8Text(std::move(bytes)) : bytes;
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
                for (int look = 0; look < 10 && records.next(fields) && !records.endedWithoutLineEnd(); ++look) {
                    const auto numbers = std::count_if(fields.begin(), fields.end(), [&](const Field& field) {
                        return sniffed(field, separator) == Cell::Number;
                    });
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

// readDelimited(); whether the first column numbers the points.
bool readTable(std::string_view text, char separator, const std::string& source, const ReadOptions& options,
               PointTable& table)
{
    const Parsed parsed = parse(textBefore(text, NamesFileEnd), separator, source);
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

    std::vector<long long> skipped;
    long long located = 0;
    for (std::size_t row = 0; row < parsed.rowLines.size(); ++row) {
        if (isMissing(parsed.columns[xColumn].values[row]) || isMissing(parsed.columns[yColumn].values[row])) {
            skipped.push_back(parsed.rowLines[row]);
            continue;
        }
        if (located++ >= options.points)
            continue;
        for (std::size_t k = 0; k < read.columns.size(); ++k)
            read.columns[k].values.push_back(parsed.columns[taken[k]].values[row]);
    }
    if (located == 0)
        failAt(Failure("Le fichier ne contient aucun point : aucune ligne de données n'a ses deux coordonnées"),
               source, 0, {});
    if (!skipped.empty())
        read.notes.push_back(std::to_string(skipped.size())
                             + (skipped.size() > 1 ? " lignes sans coordonnée ont été ignorées : "
                                                   : " ligne sans coordonnée a été ignorée : ")
                             + linesText(skipped) + ".");
    if (located > options.points)
        read.notes.push_back(firstOnlyNote(located, options.points, "lignes de données", true));
    if (inDegrees(parsed.columns[xColumn], parsed.columns[yColumn]))
        read.notes.push_back(DegreesNote);
    table = std::move(read);
    return numbered;
}

}  // namespace

void readDelimited(std::string_view text, char separator, const std::string& source, const ReadOptions& options,
                   PointTable& table)
{
    readTable(text, separator, source, options, table);
}

namespace {

class DelimitedReader final : public Reader {
public:
    std::optional<PointFileLayout> identify(const std::string& fileName) const override
    {
        try {
            if (!claims(fileName))
                return std::nullopt;
            const std::string text = textOf(fileName, InputKinds::RegularFiles);
            const std::string_view head = headOf(text);
            const char separator = delimiterOf(head, head.size() < text.size());
            if (separator == 0)
                return std::nullopt;
            PointTable table;
            const bool numbered = readTable(text, separator, fileName, {Unbounded, Unbounded}, table);
            return PointFileLayout{static_cast<std::int32_t>(table.points()),
                                   static_cast<std::int32_t>(table.variables()), numbered};
        } catch (const Failure&) {
            return std::nullopt;
        }
    }

    bool claims(const std::string& fileName) const override
    {
        try {
            bool cut = false;
            const std::string head = textOf(fileName, InputKinds::RegularFiles, LargestHead, HeadLines, &cut);
            return delimiterOf(head, cut) != 0;
        } catch (const Failure&) {
            return false;
        }
    }

    void read(const std::string& fileName, const ReadOptions& options, PointTable& table) const override
    {
        const std::string text = textOf(fileName, options.kinds);
        const std::string_view head = headOf(text);
        const char separator = delimiterOf(head, head.size() < text.size());
        if (separator == 0)
            failAt(Failure("Ce n'est pas un texte délimité avec une ligne d'en-tête"), fileName, 0, {});
        readDelimited(text, separator, fileName, options, table);
    }
};

}  // namespace

const Reader& delimitedReader()
{
    static const DelimitedReader reader;
    return reader;
}

}  // namespace geolago
