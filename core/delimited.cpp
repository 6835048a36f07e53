#include "delimited.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "extended.h"
#include "failures.h"
#include "reader.h"
#include "textrules.h"

namespace geolago {

namespace {

constexpr std::string_view Bom = "\xEF\xBB\xBF";
// The bytes looked at to recognise a delimited text.
constexpr std::size_t HeadSize = 64 * 1024;
// The coordinates' names, pair by pair in this order, compared in lower case.
constexpr std::array<std::array<std::string_view, 2>, 5> CoordinateNames{{
    {"x", "y"}, {"lon", "lat"}, {"longitude", "latitude"}, {"easting", "northing"}, {"e", "n"}}};
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
    Records(std::string_view text, char separator, std::string source)
        : text_(text.substr(text.starts_with(Bom) ? Bom.size() : 0)), separator_(separator), source_(std::move(source))
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
                fields.push_back(std::move(field));
                lineEnded = pos_ >= text_.size() || text_[pos_] != separator_;
                if (!lineEnded)
                    ++pos_;
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
    bool isSpace(char c) const { return (c == ' ' || c == '\t') && c != separator_; }
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
        while (pos_ < text_.size() && text_[pos_] != separator_ && !isLineEnd(text_[pos_]))
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
};

Parsed parse(std::string_view text, char separator, const std::string& source)
{
    Parsed parsed;
    Records records(text, separator, source);
    std::vector<Field> fields;
    if (!records.next(fields))
        failAt(Failure("Le fichier ne contient aucune ligne"), source, 0, {});
    parsed.headerLine = records.line();
    for (std::size_t c = 0; c < fields.size(); ++c) {
        ColumnCells column;
        column.name = fields[c].text.empty() ? "colonne " + std::to_string(c + 1) : fields[c].text;
        parsed.columns.push_back(std::move(column));
    }
    while (records.next(fields)) {
        const auto row = static_cast<long long>(parsed.rowLines.size()) + 1;
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
        if (parsed.columns[c].numeric())
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

// The bytes of `fileName` up to its first NUL, `limit` at most; throws IoFailure as the
// point file does.
std::string textOf(const std::string& fileName, InputKinds kinds, std::size_t limit)
{
    TextSource source(NamesFileEnd);
    if (const int error = source.open(fileName, kinds))
        failToRead(error, fileName);
    std::string text;
    char buffer[64 * 1024];
    while (text.size() < limit) {
        const long got = source.read(buffer, std::min(sizeof buffer, limit - text.size()));
        if (got < 0)
            failToRead(static_cast<int>(-got), fileName);
        if (got == 0)
            break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

}  // namespace

char delimiterOf(std::string_view head)
{
    head = textBefore(head, NamesFileEnd);
    for (const char separator : {'\t', ';', ','}) {
        try {
            Records records(head, separator, {});
            std::vector<Field> fields;
            if (!records.next(fields) || fields.size() < 2)
                continue;
            const std::size_t count = fields.size();
            double value;
            const bool named = std::any_of(fields.begin(), fields.end(),
                                           [&](const Field& field) { return cellOf(field, separator, value) == Cell::Text; });
            if (!named)
                continue;
            // One of the next lines, read whole, has as many fields, two of them numbers.
            for (int look = 0; look < 10 && records.next(fields) && !records.endedWithoutLineEnd(); ++look) {
                const auto numbers = std::count_if(fields.begin(), fields.end(), [&](const Field& field) {
                    return cellOf(field, separator, value) == Cell::Number;
                });
                if (fields.size() == count && numbers >= 2)
                    return separator;
            }
        } catch (const Failure&) {
            // A quote left open in the head, or a number beyond the range: not this separator.
        }
    }
    return 0;
}

namespace {

// readDelimited(); whether the first column numbers the points.
bool readTable(std::string_view text, char separator, const std::string& source, const ReadOptions& options,
               PointTable& table)
{
    const Parsed parsed = parse(textBefore(text, NamesFileEnd), separator, source);
    const auto [xColumn, yColumn] = coordinateColumns(parsed, options, source);
    const bool numbered = parsed.columns[0].counting && xColumn != 0 && yColumn != 0 && !parsed.rowLines.empty();

    // The columns taken, X and Y first: a text among numbers fails at its first cell, the
    // first in the file among the columns.
    std::vector<std::size_t> taken{xColumn, yColumn};
    for (std::size_t c = numbered ? 1 : 0; c < parsed.columns.size(); ++c)
        if (c != xColumn && c != yColumn && parsed.columns[c].numeric())
            taken.push_back(c);
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

    PointTable read;
    read.source = source;
    read.format = "delimited";
    read.named = true;
    const std::size_t variables = std::min(taken.size() - 2, static_cast<std::size_t>(std::max(options.variables, 0)));
    for (std::size_t k = 0; k < 2 + variables; ++k)
        read.columns.push_back({parsed.columns[taken[k]].name, {}});
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
            const std::string text = textOf(fileName, InputKinds::RegularFiles, std::numeric_limits<std::size_t>::max());
            const char separator = delimiterOf(std::string_view(text).substr(0, HeadSize));
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
            return delimiterOf(textOf(fileName, InputKinds::RegularFiles, HeadSize)) != 0;
        } catch (const Failure&) {
            return false;
        }
    }

    void read(const std::string& fileName, const ReadOptions& options, PointTable& table) const override
    {
        const std::string text = textOf(fileName, options.kinds, std::numeric_limits<std::size_t>::max());
        const char separator = delimiterOf(std::string_view(text).substr(0, HeadSize));
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
