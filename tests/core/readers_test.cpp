// The readers' seam: the first look and the point reader read the same bytes alike, and
// the choice of a reader falls back on the point file.

#include <sys/stat.h>

#include <array>
#include <string_view>
#include <tuple>

#include "delimited.h"
#include "filehead.h"
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
    for (const NamedColumn& column : table.columns)
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

TEST_F(Readers, EveryLookReadsTheOneHeadOfTheFile)
{
    // 100 000 bytes: the head holds its first 64 KiB, grows on demand and reads on at any
    // offset without growing.
    std::string bytes = "  \n 1 2.5\t3\n";
    for (int k = 0; bytes.size() < 100'000; ++k)
        bytes += std::to_string(k % 10);
    const std::string path = writeFile("points.txt", bytes);
    const FileHead head(path);
    EXPECT_TRUE(head.isRegularFile());
    EXPECT_EQ(head.fileSize(), 100'000u);
    EXPECT_EQ(head.bytes().size(), 65'536u);
    EXPECT_FALSE(head.whole());
    EXPECT_TRUE(head.startsWithNumbers());
    char read[4];
    ASSERT_EQ(head.readAt(read, 4, 99'996), 4);
    EXPECT_EQ(std::string_view(read, 4), bytes.substr(99'996));
    EXPECT_EQ(head.bytes().size(), 65'536u);
    EXPECT_EQ(head.upTo(200'000), bytes);
    EXPECT_TRUE(head.whole());
    EXPECT_FALSE(FileHead(writeFile("t.csv", "x y\n1 2\n")).startsWithNumbers());

    // The point file's proposal (two rows: "1 2.5 3" and the digits) comes with its reader
    // only when asked; a delimited text gives none but with every proposal asked.
    const std::string csv = writeFile("sols.csv", "x;y;v\n1;2;3\n4;5;6\n");
    for (const auto& [input, proposals, reader, points] :
         {std::tuple{path, Proposals::PointFile, &pointFileReader(), 2}, {path, Proposals::None, &pointFileReader(), 0},
          {csv, Proposals::PointFile, &delimitedReader(), 0}, {csv, Proposals::Every, &delimitedReader(), 2}}) {
        const Identified identified = chooseReader(input, proposals);
        EXPECT_EQ(&identified.reader, reader) << input;
        EXPECT_EQ(identified.proposal ? identified.proposal->points : 0, points) << input;
    }
}

TEST_F(Readers, TheGuessReadsTheFileOnAPartAtATime)
{
    // 3000 numbered rows of 2 values, their lengths scattered by blanks so that rows lie
    // astride the head's end and the parts read after it; one row is longer than a part.
    std::string bytes;
    for (int k = 1; k <= 3000; ++k)
        bytes += std::to_string(k) + std::string(static_cast<std::size_t>(k * 37 % 151), k % 2 ? ' ' : '\t')
            + (k == 1500 ? std::string(200'000, ' ') : "") + " 0.5 1.5 7 " + std::to_string(k % 9) + "\r\n";
    for (const std::size_t cut : {std::size_t{65'535}, std::size_t{65'536}, std::size_t{131'073}, bytes.size()}) {
        const auto layout = guessPointFileLayout(FileHead(writeFile("points.txt", bytes.substr(0, cut))));
        ASSERT_TRUE(layout) << cut;
        EXPECT_EQ(layout->variables, 2) << cut;
        EXPECT_TRUE(layout->rowsAreNumbered) << cut;
        if (cut == bytes.size())
            EXPECT_EQ(layout->points, 3000);
        else
            EXPECT_EQ(layout->points, guessPointFileLayout(std::string_view(bytes).substr(0, cut))->points) << cut;
    }

    // A text of more than 16 MiB before its Ctrl-Z is no point file of the windows.
    constexpr std::size_t Bound = 16 * 1024 * 1024;
    const std::string row = "1 2 3\n";
    EXPECT_FALSE(guessPointFileLayoutOfFile(writeFile("long.txt", row + std::string(Bound - row.size() + 1, '\n'))));
    const auto ended = guessPointFileLayoutOfFile(
        writeFile("ended.txt", row + std::string(Bound - row.size(), '\n') + "\x1a" + row + row));
    ASSERT_TRUE(ended);
    EXPECT_EQ(std::make_tuple(ended->points, ended->variables, ended->rowsAreNumbered), std::make_tuple(1, 0, true));
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
