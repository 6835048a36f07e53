// The readers' seam: the first look and the point reader read the same bytes alike, and
// the choice of a reader falls back on the point file.

#include <sys/stat.h>

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
