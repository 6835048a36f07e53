// The readers' seam: the first look and the point reader read the same bytes alike, and
// the choice of a reader falls back on the point file.

#include <sys/stat.h>

#include <array>

#include "names.h"
#include "readers.h"
#include "test_support.h"

namespace geolago::testing {
namespace {

class Readers : public StoreTest {};

TEST_F(Readers, TheFirstLookAndTheReaderSeeTheSameRows)
{
    // Tabs, NUL and CR LF between values, blank lines, one of them long enough to put the
    // Ctrl-Z past the first 64 KiB read, and a row after the Ctrl-Z.
    const std::string bytes = std::string("1\t0.5 0.25 7 70\r\n\n") + std::string(70'000, ' ') + "\r\n"
        + std::string("2 1.5\0" "0.75 8 80\r\n", 17) + "3 2.5 1.25 9 90" + "\x1a" + "4 9 9 9 9\n";
    const std::string path = writeFile("points.txt", bytes);

    const Identified identified = identifyInput(path);
    EXPECT_EQ(&identified.reader, &pointFileReader());
    ASSERT_TRUE(identified.proposal);
    EXPECT_EQ(identified.proposal->points, 3);
    EXPECT_EQ(identified.proposal->variables, 2);
    EXPECT_TRUE(identified.proposal->rowsAreNumbered);
    EXPECT_EQ(guessPointFileLayout(bytes)->points, 3);

    // The rows proposed read whole, one more meets the end of the file.
    const ReadOptions proposed{3, 2, true};
    PointTable table;
    identified.reader.read(path, proposed, table);
    ASSERT_EQ(table.points(), 3u);
    EXPECT_EQ(table.columns[1].values[1], 0.75);
    EXPECT_EQ(table.columns[3].values[2], 90.0);
    expectIoFailure([&] { loadPoints(store, path, {4, 2, true}); }, io::ReadBeyondEnd,
                    "Lecture au-delà de la fin de fichier");
    EXPECT_EQ(store.Donnees[3][2], 90.0);

    // The names come from the names file as far as it goes, then from the positions.
    namesFileReader().read(writeFile("noms.txt", "Altitude\n"), proposed, table);
    std::vector<std::string> names;
    for (const Column& column : table.columns)
        names.push_back(column.name);
    EXPECT_EQ(names, (std::vector<std::string>{"X", "Y", "Altitude", "2"}));
}

TEST_F(Readers, RowsOfNumbersAreAPointFileWhateverBlanksPartThem)
{
    struct Case {
        const char* name;
        std::string bytes;
        PointFileLayout proposed;
        std::array<double, 4> first, last;  // X, Y and the first two values
    };
    const std::vector<Case> cases = {
        {"tabs and blanks mixed", "1 0.5\t0.25\t7\t70\n2\t1.5 0.75 8\t80\n3 2.5\t1.25\t9 90\n", {3, 2, true},
         {0.5, 0.25, 7, 70}, {2.5, 1.25, 9, 90}},
        {"tabs only", "0.5\t0.25\t7\t70\n1.5\t0.75\t8\t80\n", {2, 2, false}, {0.5, 0.25, 7, 70}, {1.5, 0.75, 8, 80}},
        {"blanks only", "0.5  0.25 7 70\r\n1.5 0.75  8 80\r\n", {2, 2, false}, {0.5, 0.25, 7, 70}, {1.5, 0.75, 8, 80}},
        // A carriage return alone ends no row: one row of eight values.
        {"carriage returns only", "0.5\t0.25\t7\t70\r1.5 0.75\t8\t80\r", {1, 6, false}, {0.5, 0.25, 7, 70},
         {0.5, 0.25, 7, 70}},
    };
    for (const Case& input : cases) {
        SCOPED_TRACE(input.name);
        const std::string path = writeFile("points.txt", input.bytes);
        const Identified identified = identifyInput(path);
        EXPECT_EQ(&identified.reader, &pointFileReader());
        EXPECT_EQ(&readerFor(path), &pointFileReader());
        ASSERT_TRUE(identified.proposal);
        EXPECT_EQ(identified.proposal->points, input.proposed.points);
        EXPECT_EQ(identified.proposal->variables, input.proposed.variables);
        EXPECT_EQ(identified.proposal->rowsAreNumbered, input.proposed.rowsAreNumbered);
        loadPoints(store, path, {input.proposed.points, input.proposed.variables, input.proposed.rowsAreNumbered});
        const int n = input.proposed.points;
        EXPECT_EQ(store.NBPoints, n);
        EXPECT_EQ((std::array{store.Coord[1][1], store.Coord[1][2], store.Donnees[1][1], store.Donnees[1][2]}),
                  input.first);
        EXPECT_EQ((std::array{store.Coord[n][1], store.Coord[n][2], store.Donnees[n][1], store.Donnees[n][2]}),
                  input.last);
    }
}

TEST_F(Readers, APointFileTakesWhatNoOtherFormatClaims)
{
    const std::string pipe = pathOf("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    // Without data, missing, or a pipe (which no format may open to look at): the point
    // file without proposal.
    for (const std::string& input : {writeFile("blank.txt", " \r\n\n"), pathOf("absent.txt"), pipe}) {
        const Identified identified = identifyInput(input);
        EXPECT_EQ(&identified.reader, &pointFileReader()) << input;
        EXPECT_FALSE(identified.proposal) << input;
        EXPECT_EQ(&readerFor(input), &pointFileReader()) << input;
    }
}

}  // namespace
}  // namespace geolago::testing
