// Delimited text: every dialect gives the figures of the same data in a point file;
// missing values and rows without coordinates; the failures with their places.

#include <array>
#include <functional>
#include <tuple>

#include "analysis.h"
#include "delimited.h"
#include "numbertext.h"
#include "readers.h"
#include "test_support.h"

namespace geolago::testing {
namespace {

// Sixteen points on a 4 x 4 lattice, with two variables and a district's name.
struct Row {
    double x, y, ph, clay;
    const char* district;
};
const std::vector<Row> rows = [] {
    std::vector<Row> all;
    const char* districts[] = {"Nord", "Sud", "Est", "Ouest"};
    for (int i = 0; i < 16; ++i)
        all.push_back({100.5 + 25 * (i / 4), 20.25 + 12 * (i % 4), 5.5 + 0.25 * ((i * 7) % 11),
                       12.0 + (i * i) % 13, districts[i % 4]});
    return all;
}();

// How a dialect writes the data: the header of its columns in canonical order (id, x, y,
// ph, clay, district; an empty name leaves the column out), the order they come in, the
// separator, a decimal comma, quotes around every field, the line end, a BOM.
struct Dialect {
    const char* name;
    std::array<const char*, 6> header;
    std::array<int, 6> order;
    char separator;
    bool decimalComma;
    bool quoted;
    const char* lineEnd;
    bool bom;
    ReadOptions options{Unbounded, Unbounded};
};

std::string number(double value, bool decimalComma)
{
    return writeReal(value, decimalComma ? "," : ".");
}

std::string textOf(const Dialect& dialect)
{
    std::string text = dialect.bom ? "\xEF\xBB\xBF" : "";
    auto line = [&](const std::function<std::string(int)>& field) {
        bool first = true;
        for (const int c : dialect.order) {
            if (!*dialect.header[static_cast<std::size_t>(c)])
                continue;
            const std::string value = field(c);
            text += (first ? "" : std::string(1, dialect.separator))
                + (dialect.quoted ? "\"" + value + "\"" : value);
            first = false;
        }
        text += dialect.lineEnd;
    };
    line([&](int c) { return std::string(dialect.header[static_cast<std::size_t>(c)]); });
    for (std::size_t i = 0; i < rows.size(); ++i)
        line([&](int c) {
            const Row& row = rows[i];
            switch (c) {
            case 0: return std::to_string(i + 1);
            case 1: return number(row.x, dialect.decimalComma);
            case 2: return number(row.y, dialect.decimalComma);
            case 3: return number(row.ph, dialect.decimalComma);
            case 4: return number(row.clay, dialect.decimalComma);
            default: return dialect.quoted ? std::string(row.district) + ", \"\"quartier\"\"" : std::string(row.district);
            }
        });
    return text;
}

class Delimited : public StoreTest {
protected:
    // Both correlograms of every variable for N = 3, each figure, after reading `file`.
    std::vector<double> figures(const std::string& file, const ReadOptions& options)
    {
        names_ = loadPoints(store, file, options).names;
        store.NBMailles = 3;
        Calcul_Mailles(store);
        std::vector<double> all;
        for (VariablePosition v = 1; v <= store.NBVar; ++v) {
            const Correlogram result = computeCorrelogram(store, v);
            all.push_back(result.fill);
            for (const auto* shifts : {&result.eastWest, &result.northSouth})
                for (const Shift& shift : *shifts)
                    all.insert(all.end(), {shift.distance(), shift.r.value_or(-9), double(shift.pairs)});
        }
        return all;
    }

    // The point file of `rows`, without those `skip` says.
    std::string pointFile(const std::function<bool(std::size_t)>& skip = [](std::size_t) { return false; })
    {
        std::string text;
        int points = 0;
        for (std::size_t i = 0; i < rows.size(); ++i)
            if (!skip(i)) {
                text += writeReal(rows[i].x, ".") + " " + writeReal(rows[i].y, ".") + " " + writeReal(rows[i].ph, ".")
                    + " " + writeReal(rows[i].clay, ".") + "\n";
                ++points;
            }
        pointCount_ = points;
        return writeFile("points.txt", text);
    }
    int pointCount_ = 0;
    std::optional<std::vector<std::string>> names_;  // of the last reading
};

TEST_F(Delimited, EveryDialectGivesTheFiguresOfThePointFile)
{
    const std::string points = pointFile();
    const std::vector<double> expected = figures(points, {pointCount_, 2, false});

    const std::array<int, 6> canonical{0, 1, 2, 3, 4, 5};
    const std::vector<Dialect> dialects = {
        {"CSV", {"id", "x", "y", "ph", "clay", "quartier"}, canonical, ',', false, false, "\n", false},
        {"CSV, CR LF, BOM, every field quoted", {"id", "X", "Y", "ph", "clay", "quartier"}, canonical, ',', false,
         true, "\r\n", true},
        {"French spreadsheet, Y first", {"", "X", "Y", "pH", "argile", "quartier"}, {2, 1, 3, 4, 5, 0}, ';', true,
         false, "\r\n", true},
        {"TSV, longitude and latitude, no point number", {"", "Longitude", "Latitude", "ph", "clay", "quartier"},
         canonical, '\t', false, false, "\n", false},
        {"E and N, N first, CR line ends", {"", "E", "N", "ph", "clay", ""}, {2, 1, 3, 0, 4, 5}, ';', false, false,
         "\r", false},
        {"No coordinate names: the first numeric columns", {"id", "est", "nord", "ph", "clay", "quartier"},
         {0, 5, 1, 2, 3, 4}, ',', false, false, "\n", false},
        {"Named by --x and --y, after the variables", {"", "UTM_E", "UTM_N", "ph", "clay", "quartier"},
         {3, 5, 4, 1, 2, 0}, ',', false, false, "\n", false, {Unbounded, Unbounded, false, InputKinds::RegularFiles, "utm_e", "UTM_N"}},
    };
    for (const Dialect& dialect : dialects) {
        SCOPED_TRACE(dialect.name);
        const std::string file = writeFile("sols.csv", textOf(dialect));
        EXPECT_EQ(&readerFor(file), &delimitedReader());
        EXPECT_EQ(figures(file, dialect.options), expected);
        const std::vector<std::string> names{dialect.header[3], dialect.header[4]};
        EXPECT_EQ(names_, names);
        if (dialect.options.xColumn.empty()) {  // the windows' choice has no --x
            EXPECT_EQ(variableNamesIn(file), names);
        }
        const auto proposal = identifyInput(file).proposal;
        ASSERT_TRUE(proposal);
        EXPECT_EQ(proposal->points, 16);
        EXPECT_EQ(proposal->variables, 2);
        EXPECT_EQ(proposal->rowsAreNumbered, *dialect.header[0] && dialect.order[0] == 0);
    }
}

TEST_F(Delimited, MissingValuesLeaveThePointOutOfTheirVariablesCells)
{
    // Point 6 (inner) lacks ph, point 11 a coordinate, point 12 its clay: ph is figured as
    // without points 6 and 11, clay as without points 11 and 12.
    std::string text = "x;y;ph;clay\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        text += writeReal(row.x, ",") + ";" + (i == 10 ? "NA" : writeReal(row.y, ",")) + ";"
            + (i == 5 ? "" : writeReal(row.ph, ",")) + ";" + (i == 11 ? "-" : writeReal(row.clay, ",")) + "\n";
    }
    const std::string file = writeFile("sols.csv", text);
    const std::vector<double> read = figures(file, {Unbounded, Unbounded});
    const Reading reading = loadPoints(store, file, {Unbounded, Unbounded});
    EXPECT_EQ(reading.notes, std::vector<std::string>{"1 ligne sans coordonnée a été ignorée : ligne 12."});
    EXPECT_EQ(store.NBPoints, 15);

    const std::size_t perVariable = read.size() / 2;
    auto without = [&](std::size_t a, std::size_t b, std::size_t half) {
        const std::string points = pointFile([&](std::size_t i) { return i == a || i == b; });
        const std::vector<double> all = figures(points, {pointCount_, 2, false});
        return std::vector<double>(all.begin() + static_cast<std::ptrdiff_t>(half * perVariable),
                                   all.begin() + static_cast<std::ptrdiff_t>((half + 1) * perVariable));
    };
    EXPECT_EQ(std::vector<double>(read.begin(), read.begin() + static_cast<std::ptrdiff_t>(perVariable)),
              without(5, 10, 0));
    EXPECT_EQ(std::vector<double>(read.begin() + static_cast<std::ptrdiff_t>(perVariable), read.end()),
              without(10, 11, 1));

    // The windows' limits read the first points and variables, and say so.
    const Reading bounded = loadPoints(store, file, {10, 1});
    EXPECT_EQ(store.NBPoints, 10);
    EXPECT_EQ(store.NBVar, 1);
    EXPECT_EQ(bounded.notes, (std::vector<std::string>{
                                 "Le fichier contient 2 variables ; seule la première a été lue.",
                                 "1 ligne sans coordonnée a été ignorée : ligne 12.",
                                 "Le fichier contient 15 lignes de données ; seules les 10 premières ont été lues."}));
}

TEST_F(Delimited, BadInputsFailWithTheirPlaceAndLeaveTheStoreAsItWas)
{
    struct Bad {
        const char* text;
        ReadOptions options;
        std::string message;
        long long line;
        std::string column;
    };
    const std::vector<Bad> bad = {
        {"x,y,v\n1,2,3\n4,5\n6,7,8\n", {}, "La ligne 3 a 2 champs au lieu de 3", 3, ""},
        {"x,y,v\n1,2,3\n4,5,trois\n6,7,8\n", {}, "Saisie numérique incorrecte", 3, "v"},
        {"x,y,v\n1,2,3\n4,5,6\n", {0, 0, false, InputKinds::RegularFiles, "lon", "lat"},
         "Aucune colonne ne s'appelle \"lon\" dans l'en-tête", 1, "lon"},
        {"x,y,v\n1,2,3\n4,5,6\n7,8,\"9\n", {}, "Guillemet ouvert et jamais fermé", 4, ""},
        {"x,y,v\nNA,2,3\n4,,6\n", {}, "Le fichier ne contient aucun point : aucune ligne de données n'a ses deux"
                                      " coordonnées", 0, ""},
    };
    const std::string points = pointFile();
    loadPoints(store, points, {pointCount_, 2, false});
    for (const Bad& input : bad) {
        SCOPED_TRACE(input.text);
        const std::string file = writeFile("bad.csv", input.text);
        ReadOptions options = input.options;
        options.points = options.variables = Unbounded;
        const auto failure = expectFailure<Failure>([&] { loadPoints(store, file, options); }, input.message);
        ASSERT_TRUE(failure && failure->place());
        EXPECT_EQ(failure->place()->file, file);
        EXPECT_EQ(failure->place()->line, input.line);
        EXPECT_EQ(failure->place()->column, input.column);
        EXPECT_EQ(store.pointsFile, points);
        EXPECT_EQ(store.Donnees[16][2], rows[15].clay);
    }
}


class DelimitedText : public StoreTest {
protected:
    // The failure reading `text` as sols.csv: its message, line and column.
    std::tuple<std::string, long long, std::string> failureOf(const std::string& text)
    {
        try {
            loadPoints(store, writeFile("sols.csv", text), {Unbounded, Unbounded});
        } catch (const Failure& failure) {
            return {failure.what(), failure.place() ? failure.place()->line : -1,
                    failure.place() ? failure.place()->column : "?"};
        }
        return {"read", 0, ""};
    }
};

TEST_F(DelimitedText, NamesQuotesAndLinesAreReadAsWritten)
{
    // A doubled quote in a quoted name, blanks after names and fields, an unnamed column,
    // latitude before longitude, a first row without any value.
    const std::string file = writeFile("sols.csv", "\"pH \"\"eau\"\"\" ,lat ,lon,,argile \n"
                                                   "NA,NA,NA,NA,NA\n"
                                                   "6.5 ,45.25 ,2.5,1,12 \n"
                                                   "7,46,3,2,14\n");
    EXPECT_EQ(&readerFor(file), &delimitedReader());
    const Reading reading = loadPoints(store, file, {Unbounded, Unbounded});
    EXPECT_EQ(reading.names, (std::vector<std::string>{"pH \"eau\"", "colonne 4", "argile"}));
    ASSERT_EQ(store.NBPoints, 2);
    EXPECT_EQ(store.Coord[1][1], 2.5);
    EXPECT_EQ(store.Coord[1][2], 45.25);
    EXPECT_EQ(store.Donnees[1][1], 6.5);
    EXPECT_EQ(store.Donnees[2][3], 14.0);

    // A text among numbers fails at the first one in the file, whatever its column; the
    // lines count those inside quotes.
    std::string rows = "x,y,a,b,\"note\nsur deux lignes\"\n";
    for (int i = 1; i <= 8; ++i)
        rows += std::to_string(i) + "," + std::to_string(i % 3) + "," + (i == 5 || i == 7 ? "cinq" : "1") + ","
            + (i == 4 || i == 8 ? "quatre" : "2") + ",\"" + (i == 2 ? "ligne\r\nen plus" : "-") + "\"\n";
    EXPECT_EQ(failureOf(rows), std::make_tuple(std::string("Saisie numérique incorrecte"), 7LL, std::string("b")));
    EXPECT_EQ(failureOf("x,y,v\n\"1\n\",2,3\n4,5\n"),
              std::make_tuple(std::string("La ligne 4 a 2 champs au lieu de 3"), 4LL, std::string()));

    // Eleven rows without coordinates: the note names ten lines.
    std::string skipped = "x;y;v\n";
    for (int i = 1; i <= 12; ++i)
        skipped += (i == 12 ? "1" : "NA") + std::string(";2;3\n");
    EXPECT_EQ(loadPoints(store, writeFile("sols.csv", skipped), {Unbounded, Unbounded}).notes,
              std::vector<std::string>{"11 lignes sans coordonnée ont été ignorées : lignes 2, 3, 4, 5, 6, 7, 8, 9, 10,"
                                       " 11, …."});

    // The first NUL ends the text: nothing after it is read.
    loadPoints(store, writeFile("sols.csv", std::string("x,y,v\n1,2,3\n\0\n4,5,6\n", 20)), {Unbounded, Unbounded});
    EXPECT_EQ(store.NBPoints, 1);

    // The rows only counted after the first point asked lose their blanks as the rows read
    // do: a coordinate "NA " or " NA\t" is missing there too.
    const std::string padded = writeFile("sols.csv", "x,y,v\n1,2,3\n4,5,6\nNA ,7,8\n9, NA\t,10\n11,12,13\n");
    EXPECT_EQ(loadPoints(store, padded, {1, Unbounded}).notes,
              (std::vector<std::string>{"2 lignes sans coordonnée ont été ignorées : lignes 4, 5.",
                                        "Le fichier contient 3 lignes de données ; seule la première a été lue."}));
    EXPECT_EQ(loadPoints(store, padded, {Unbounded, Unbounded}).notes,
              std::vector<std::string>{"2 lignes sans coordonnée ont été ignorées : lignes 4, 5."});
}

TEST_F(DelimitedText, ALargeTextIsReadAsItComesAndOnlyUpToThePointsAsked)
{
    // 200 000 rows, the first half of two lines each (a quoted note holds a CR LF), the
    // second of one line without quotes; CR LF line ends: one row ends its line astride the
    // second MiB, a UTF-8 "é" lies astride the first; the column w holds numbers in its
    // first 2000 rows, text after them.
    constexpr int Rows = 200000;
    constexpr std::size_t MiB = 1 << 20;
    auto text = [&](int badValue, int noY) {
        std::string text = "x,y,v,w,\xC3\xA9" "cart\r\n";
        for (int i = 1; i <= Rows; ++i) {
            std::string row = std::to_string(i) + "," + (i == noY ? "NA" : std::to_string(i % 7)) + ","
                + (i == badValue ? "abc" : std::to_string(i) + ".5") + "," + (i <= 2000 ? std::to_string(i) : "t")
                + (i <= Rows / 2 ? ",\"" : ",");
            std::string note = i <= Rows / 2 ? "a\r\nb" : "c";
            const std::size_t at = text.size() + row.size();
            if (at < MiB - 1 && at + 80 > MiB - 1)
                note = std::string(MiB - 1 - at, ' ') + "\xC3\xA9\r\nb";
            else if (at < 2 * MiB && at + 80 > 2 * MiB)
                note = std::string(2 * MiB - 1 - at - note.size() - 1, ' ') + note;
            text += row + note + (i <= Rows / 2 ? "\"\r\n" : "\r\n");
        }
        return text;
    };
    const std::string whole = text(0, 0);
    ASSERT_EQ(whole.substr(MiB - 1, 2), "\xC3\xA9");
    ASSERT_EQ(whole.substr(2 * MiB - 1, 2), "\r\n");
    const std::string clean = writeFile("sols.csv", whole);

    const auto proposal = identifyInput(clean).proposal;
    ASSERT_TRUE(proposal);
    EXPECT_EQ(std::make_tuple(proposal->points, proposal->variables, proposal->rowsAreNumbered),
              std::make_tuple(Rows, 1, false));
    const Reading reading = loadPoints(store, clean, {Unbounded, Unbounded});
    EXPECT_EQ(reading.names, std::vector<std::string>{"v"});
    EXPECT_EQ(reading.notes,
              (std::vector<std::string>{
                  "La colonne \"w\" contient du texte (\"t\" à la ligne 4002) : ce n'est pas une variable.",
                  "La colonne \"écart\" contient du texte (\"a\r\nb\" à la ligne 2) : ce n'est pas une variable."}));
    ASSERT_EQ(store.NBPoints, Rows);
    EXPECT_EQ(store.Coord[Rows][1], Rows);
    EXPECT_EQ(store.Coord[Rows][2], Rows % 7);
    EXPECT_EQ(store.Donnees[Rows][1], Rows + 0.5);

    // A text among numbers near the end fails the whole reading at its line; a reading of
    // the first 1000 points stops before it, judges the columns on the rows it read (w is a
    // variable there) and counts the rest, the row without Y among them.
    const std::string bad = writeFile("sols.csv", text(Rows - 5, Rows - 3));
    EXPECT_EQ(failureOf(text(Rows - 5, Rows - 3)),
              std::make_tuple(std::string("Saisie numérique incorrecte"), 299996LL, std::string("v")));
    const Reading bounded = loadPoints(store, bad, {1000, Unbounded});
    EXPECT_EQ(bounded.names, (std::vector<std::string>{"v", "w"}));
    EXPECT_EQ(bounded.notes,
              (std::vector<std::string>{
                  "La colonne \"écart\" contient du texte (\"a\r\nb\" à la ligne 2) : ce n'est pas une variable.",
                  "1 ligne sans coordonnée a été ignorée : ligne 299998.",
                  "Le fichier contient 199999 lignes de données ; seules les 1000 premières ont été lues."}));
    ASSERT_EQ(store.NBPoints, 1000);
    EXPECT_EQ(store.Donnees[1000][2], 1000);
}

TEST_F(DelimitedText, TablesAsTheFieldsToolsWriteThemReadWithoutOption)
{
    struct Case {
        const char* tool;
        std::string bytes;
        std::vector<std::string> names;
        std::array<double, 4> first, last;  // X, Y and the first two values
        std::vector<std::string> notes;
        int points = 3;
    };
    const std::vector<Case> cases = {
        {"R's write.table: blanks, quoted names, the rows' names first and one header field short",
         "\"x\" \"y\" \"zinc\" \"dist\"\n\"1\" 181072 333611 1022 0.00135803\n\"2\" 181025 333558 1141 0.0122243\n"
         "\"5\" 181298 333484 406 0.0122243\n\"8\" 180649 333370 1096 0.103029\n",
         {"zinc", "dist"}, {181072, 333611, 1022, 0.00135803}, {180649, 333370, 1096, 0.103029},
         {"La colonne 1, sans nom dans l'en-tête, numérote les lignes (de 1 à 8) : c'est l'identifiant des points,"
          " pas une variable."},
         4},
        {"an instrument's aligned columns: runs of blanks and tabs, CR LF",
         "   Easting   Northing  Temp_C \tCond_uS\r\n  512340.5  4730120.0    14.2\t520\r\n"
         "  512360.5  4730120.0    14.6    518\r\n  512380.5  4730140.0    15.1 \t  531  \r\n",
         {"Temp_C", "Cond_uS"}, {512340.5, 4730120, 14.2, 520}, {512380.5, 4730140, 15.1, 531}, {}},
        {"R's write.csv: the rows' names under an empty name, with gaps",
         "\"\",\"x\",\"y\",\"zinc\",\"lead\"\n\"1\",181072,333611,1022,299\n\"3\",181165,333537,640,277\n"
         "\"10\",181390,333260,257,186\n",
         {"zinc", "lead"}, {181072, 333611, 1022, 299}, {181390, 333260, 257, 186},
         {"La colonne 1, sans nom dans l'en-tête, numérote les lignes (de 1 à 10) : c'est l'identifiant des points,"
          " pas une variable."}},
        {"a French spreadsheet's default save: Windows-1252, ';', decimal commas",
         "X;Y;Profondeur \xe9" "chantillon;Taux d\x92" "argile\r\n652100,5;6862300;0,35;12,5\r\n"
         "652150;6862310,25;0,4;14\r\n",
         {"Profondeur échantillon", "Taux d’argile"}, {652100.5, 6862300, 0.35, 12.5}, {652150, 6862310.25, 0.4, 14},
         {}, 2},
        {"longitude and latitude: distances in degrees",
         "\"station\",\"lon\",\"lat\",\"NO2\",\"alt\"\n\"DENW094\",8.548,52.0273,22.5,118\n"
         "\"DEUB028\",-2.5,-45,12.25,40\n\"DEBY109\",11.5,48.1,31,520\n",
         {"NO2", "alt"}, {8.548, 52.0273, 22.5, 118}, {11.5, 48.1, 31, 520},
         {"La colonne \"station\" contient du texte (\"DENW094\" à la ligne 2) : ce n'est pas une variable.",
          "Les coordonnées sont géographiques, en degrés : les distances le sont aussi."}},
        {"lon and lat beyond degrees: no word of them", "lon,lat,v,w\n652100,62300,1,2\n652200,62400,3,4\n",
         {"v", "w"}, {652100, 62300, 1, 2}, {652200, 62400, 3, 4}, {}, 2},
    };
    for (const Case& input : cases) {
        SCOPED_TRACE(input.tool);
        const std::string file = writeFile("table.txt", input.bytes);
        EXPECT_EQ(&readerFor(file), &delimitedReader());
        const Reading reading = loadPoints(store, file, {Unbounded, Unbounded});
        EXPECT_EQ(reading.names, input.names);
        EXPECT_EQ(reading.notes, input.notes);
        const int n = store.NBPoints;
        EXPECT_EQ(n, input.points);
        EXPECT_EQ((std::array{store.Coord[1][1], store.Coord[1][2], store.Donnees[1][1], store.Donnees[1][2]}),
                  input.first);
        EXPECT_EQ((std::array{store.Coord[n][1], store.Coord[n][2], store.Donnees[n][1], store.Donnees[n][2]}),
                  input.last);
        const auto proposal = identifyInput(file).proposal;
        ASSERT_TRUE(proposal);
        EXPECT_EQ(proposal->points, n);
        EXPECT_EQ(proposal->variables, 2);
    }
}

TEST_F(DelimitedText, WhatLooksDelimitedGetsItsOwnAnswer)
{
    // A row with one field more than the header, a coordinate beyond the doubles.
    EXPECT_EQ(failureOf("x,y,v\n1,2,3,4\n5,6,7,8\n"),
              std::make_tuple(std::string("La ligne 2 a 4 champs au lieu de 3"), 2LL, std::string()));
    EXPECT_EQ(failureOf("x,y,v\n1,1e400,3\n5,6,7\n"),
              std::make_tuple(std::string("Débordement en virgule flottante"), 2LL, std::string("y")));

    // No variable to analyse: a column half text, one without values, quoted decimal commas
    // in a comma-separated text.
    EXPECT_EQ(failureOf("x,y,v\n1,2,abc\n3,4,5\n"),
              std::make_tuple(std::string("Le fichier n'a aucune variable à analyser : la colonne \"v\" contient du"
                                          " texte (\"abc\" à la ligne 2)"),
                              1LL, std::string()));
    EXPECT_EQ(std::get<0>(failureOf("x,y,v,w\n1,2,NA,\"1,5\"\n3,4,,\"2,5\"\n")),
              "Le fichier n'a aucune variable à analyser : la colonne \"v\" n'a aucune valeur ; la colonne \"w\""
              " contient du texte (\"1,5\" à la ligne 2)");

    // A column of text and repeated names are noted; a second x is no variable.
    const Reading noted =
        loadPoints(store, writeFile("sols.csv", "x,y,x,ville,v,v\n1,2,3,Lyon,4,5\n6,7,8,Nice,9,10\n"), {Unbounded, Unbounded});
    EXPECT_EQ(noted.names, (std::vector<std::string>{"v", "v (6)"}));
    EXPECT_EQ(noted.notes, (std::vector<std::string>{
                               "Le nom \"x\" est celui des colonnes 1 et 3 de l'en-tête : la colonne 3 n'est pas lue.",
                               "La colonne \"ville\" contient du texte (\"Lyon\" à la ligne 2) : ce n'est pas une variable.",
                               "Le nom \"v\" est celui des colonnes 5 et 6 de l'en-tête : la variable de la colonne 6"
                               " s'appelle \"v (6)\"."}));
    EXPECT_EQ(store.Donnees[2][2], 10.0);

    // A header of 10^5 columns, far beyond the first look's 64 KiB.
    std::string wide = "x\ty", first = "1\t2", second = "3\t4";
    for (int c = 1; c <= 100000; ++c) {
        wide += "\tv" + std::to_string(c);
        first += "\t" + std::to_string(c % 10);
        second += "\t" + std::to_string(c % 7);
    }
    const std::string widePath = writeFile("large.tsv", wide + "\n" + first + "\n" + second + "\n");
    EXPECT_EQ(&readerFor(widePath), &delimitedReader());
    ASSERT_EQ(variableNamesIn(widePath).size(), 100000u);
    EXPECT_EQ(variableNamesIn(widePath).back(), "v100000");

    // A first row longer than the largest head (16 MiB): its fields before the cut one show
    // a delimited text, which then fails at its place.
    const std::string longRow = writeFile("long.csv", "x,y,v\n1,2," + std::string(17 << 20, '1') + "\n");
    EXPECT_EQ(&readerFor(longRow), &delimitedReader());

    // UTF-16 text, as spreadsheets write "Unicode text", with or without its mark.
    auto utf16 = [](const std::string& text, bool bigEndian, bool mark) {
        std::string bytes = mark ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
        for (const char c : text)
            bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
        return bytes;
    };
    for (const bool bigEndian : {false, true})
        for (const bool mark : {false, true}) {
            SCOPED_TRACE(std::to_string(bigEndian) + std::to_string(mark));
            const std::string path = writeFile("unicode.txt", utf16("X\tY\tpente\r\n1\t2\t0.5\r\n3\t4\t1.5\r\n", bigEndian, mark));
            EXPECT_EQ(loadPoints(store, path, {Unbounded, Unbounded}).names, std::vector<std::string>{"pente"});
            EXPECT_EQ(store.NBPoints, 2);
            EXPECT_EQ(store.Donnees[2][1], 1.5);
        }
    // A point file in UTF-16 is refused by name.
    store.NBPoints = 1;
    store.NBVar = 1;
    expectFailure<IoFailure>([&] { Lit_Data(store, writeFile("points.txt", utf16("1 2 3\n", false, true)), false); },
                             "Saisie numérique incorrecte : c'est un texte UTF-16 ; enregistrez-le en UTF-8 ou en ASCII"
                             " pour le lire");
}

}  // namespace
}  // namespace geolago::testing
