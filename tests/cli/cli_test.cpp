// geolago-cli run in process through runCommand, on files written into a fresh folder:
// the figures in each format, the names, the refusals, the failures and the usage errors.

#include <cmath>
#include <memory>
#include <sstream>
#include <tuple>

#include <sched.h>
#include <sys/stat.h>

#include "cli_fixture.h"
#include "run.h"

namespace geolago::testing {
namespace {

class CliTest : public CliFolder {
protected:
    // The command with `args`, on a store of its own.
    Outcome run(const std::vector<std::string>& args)
    {
        auto store = std::make_unique<Store>();
        std::ostringstream out, err;
        Outcome outcome;
        outcome.status = cli::runCommand(*store, args, out, err);
        outcome.out = out.str();
        outcome.err = err.str();
        return outcome;
    }

    // Values of the cells 1..3 x 1..3, [IY - 1][IX - 1].
    using Cells = int[3][3];
    static constexpr Cells worked = {{2, 7, 1}, {8, 2, 8}, {1, 8, 3}};

    // Ten points with N = 3: one in each of the cells 1..3 x 1..3, and one more at (0, 0),
    // for the extent, in cell (1, 1) with the same values, so that the means of the cells
    // are the values written. Variable 1 holds the means of the worked example below,
    // variable 2 `second`, or the same everywhere.
    std::string nineCells(const Cells* second = nullptr)
    {
        const char* at[3] = {"0.5", "1.5", "3"};  // cell width 1: these fall in cells 1, 2, 3
        std::string text = "0 0 " + std::to_string(worked[0][0]) + " " + std::to_string(second ? (*second)[0][0] : 5) + "\n";
        for (int iy = 0; iy < 3; ++iy)
            for (int ix = 0; ix < 3; ++ix)
                text += std::string(at[ix]) + " " + at[iy] + " " + std::to_string(worked[iy][ix]) + " "
                    + std::to_string(second ? (*second)[iy][ix] : 5) + "\n";
        return write("nine.txt", text);
    }

    // The bytes of `file`.
    static std::string read(const std::string& file)
    {
        std::ostringstream bytes;
        bytes << std::ifstream(file, std::ios::binary).rdbuf();
        return bytes.str();
    }

    // Four points at the corners of a square, two variables: with N = 1 every cell is
    // filled and no shift has pairs enough.
    std::string square()
    {
        return write("square2.txt", "0 0 1 10\n0 1 2 20\n1 0 3 30\n1 1 4 40\n");
    }

};

const std::string tsvHeader = "variable\twith\tcells\tfill\tdirection\tshift\tdistance\tr\tpairs\tp\tlow\thigh\tp_holm"
                              "\tp_fwer\tnull\tpermutations";

// --- Results -------------------------------------------------------------------------

TEST_F(CliTest, WorkedGridGivesItsFiguresInTheirDirections)
{
    const Outcome o = run({nineCells(), "--points", "10", "--vars", "2", "--cells", "3", "--variable", "1",
                           "--format", "tsv"});
    ASSERT_EQ(o.status, 0) << o.err;
    // E_W shifts along the Y-cell index, N_S along the X-cell index; the shift with only
    // 3 pairs has no r, and the last N_S shift is not computed. Cells of width 1 over
    // 0..3 on both axes: shift k spans k.
    EXPECT_EQ(o.out, tsvHeader + "\n"
                                 "1\t\t3\t100\tE_W\t0\t0\t1\t9\tNA\tNA\tNA\tNA\tNA\tNA\t0\n"
                                 "1\t\t3\t100\tE_W\t1\t1\t-0.97007727214974\t6\tNA\tNA\tNA\tNA\tNA\tNA\t0\n"
                                 "1\t\t3\t100\tE_W\t2\t2\tNA\t0\tNA\tNA\tNA\tNA\tNA\tNA\t0\n"
                                 "1\t\t3\t100\tN_S\t0\t0\t1\t9\tNA\tNA\tNA\tNA\tNA\tNA\t0\n"
                                 "1\t\t3\t100\tN_S\t1\t1\t-0.949047569803095\t6\tNA\tNA\tNA\tNA\tNA\tNA\t0\n"
                                 "1\t\t3\t100\tN_S\t2\t2\tNA\t0\tNA\tNA\tNA\tNA\tNA\tNA\t0\n");

    const Outcome comma = run({nineCells(), "--points", "10", "--vars", "2", "--cells", "3", "--variable", "1",
                               "--format", "tsv", "--decimal-comma"});
    EXPECT_EQ(lines(comma.out).at(2), "1\t\t3\t100\tE_W\t1\t1\t-0,97007727214974\t6\tNA\tNA\tNA\tNA\tNA\tNA\t0");
}

TEST_F(CliTest, CrossCorrelogramPairsTheCellsOfAWithThoseOfBFurtherOn)
{
    const Cells other = {{5, 3, 9}, {4, 4, 6}, {0, 7, 2}};
    const std::string file = nineCells(&other);
    // Pearson's r of the pairs (x of a cell, y of the cell one further along Y, or along X),
    // from sums that are exact on these whole numbers.
    auto pearson = [](const Cells& x, const Cells& y, bool alongY) {
        long double n = 0, sx = 0, sy = 0, sxx = 0, syy = 0, sxy = 0;
        for (int iy = 0; iy < 3 - alongY; ++iy)
            for (int ix = 0; ix < 2 + alongY; ++ix) {
                const long double a = x[iy][ix], b = alongY ? y[iy + 1][ix] : y[iy][ix + 1];
                n += 1, sx += a, sy += b, sxx += a * a, syy += b * b, sxy += a * b;
            }
        return (n * sxy - sx * sy) / std::sqrt((n * sxx - sx * sx) * (n * syy - sy * sy));
    };
    auto r = [](const std::string& row) {  // the eighth field
        std::istringstream fields(row);
        std::string field;
        for (int i = 0; i < 8; ++i)
            std::getline(fields, field, '\t');
        return std::stold(field);
    };
    // A:B and B:A differ here (-0.83 and 0.48 along Y).
    for (const auto& [cross, a, b] : {std::tuple{"1:2", &worked, &other}, std::tuple{"2:1", &other, &worked}}) {
        const Outcome o = run({file, "--points", "10", "--vars", "2", "--cells", "3", "--cross", cross,
                               "--format", "tsv"});
        ASSERT_EQ(o.status, 0) << o.err;
        const std::vector<std::string> rows = lines(o.out);
        ASSERT_EQ(rows.size(), 7u);
        EXPECT_NEAR(r(rows[2]), pearson(*a, *b, true), 1e-12) << cross << ": " << rows[2];   // E_W, shift 1
        EXPECT_NEAR(r(rows[5]), pearson(*a, *b, false), 1e-12) << cross << ": " << rows[5];  // N_S, shift 1
    }
}

TEST_F(CliTest, TextAndJsonCarryTheSameFigures)
{
    const std::string file = nineCells();
    const Outcome text = run({file, "--points", "10", "--vars", "2", "--cells", "3", "--variable", "1"});
    ASSERT_EQ(text.status, 0) << text.err;
    const std::vector<std::string> t = lines(text.out);
    ASSERT_GE(t.size(), 7u);
    EXPECT_EQ(t[0], "Variable 1 : 1");
    EXPECT_EQ(t[2], "Mailles remplies : 100 %");
    EXPECT_EQ(t[4], "E_W (paires le long de Y)");
    EXPECT_EQ(t[7].rfind("1       1                      -0.97007727214974      6       -", 0), 0u) << t[7];
    EXPECT_EQ(t[8].rfind("2       2                      -                      0       -", 0), 0u) << t[8];
    // r falls from 1 to -0.97 between distances 0 and 1: zero at 1 / 1.97.
    EXPECT_EQ(t[9], "Premier passage à zéro : 0.507594303094926");
    EXPECT_EQ(t[11], "N_S (paires le long de X)");

    const Outcome json = run({file, "--points", "10", "--vars", "2", "--cells", "3", "--variable", "1",
                              "--format", "json", "--decimal-comma"});
    ASSERT_EQ(json.status, 0) << json.err;
    // Numbers are the shortest texts that read back as the stored doubles; no comma.
    EXPECT_NE(json.out.find("\"fill\": 100,\n   \"null\": null, \"permutations_made\": 0, "
                            "\"zero_crossing\": {\"E_W\": 0.5075943030949259, \"N_S\": 0.5130711099580941}"),
              std::string::npos);
    EXPECT_NE(json.out.find("{\"shift\": 1, \"distance\": 1, \"r\": -0.9700772721497398, \"pairs\": 6, "
                            "\"p\": null, \"low\": null, \"high\": null, \"p_holm\": null, \"p_fwer\": null, \"permutations_used\": 0}"),
              std::string::npos);
    EXPECT_NE(json.out.find("{\"shift\": 2, \"distance\": 2, \"r\": null, \"pairs\": 0, "),
              std::string::npos);
    EXPECT_EQ(json.out.find("\"error\""), std::string::npos);
    EXPECT_EQ(json.out.substr(json.out.size() - 3), "]}\n");
}

TEST_F(CliTest, CountsAreReadAsTypedWholeNumbers)
{
    const std::string file = nineCells();
    const Outcome o = run({file, "--points", "$A", "--vars", "0x2", "--cells", "$1E", "--variable", " 1",
                           "--format", "tsv"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(lines(o.out).size(), 1u + 2 * 30);

    const Outcome bad = run({file, "--points", "10 ", "--vars", "2", "--all"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, "geolago-cli: --points: '10 ' n'est pas une valeur entière correcte.\n");
}

TEST_F(CliTest, CrossedSweptAndPermutedCorrelogramsKeepTheFiguresOfTheSingleRun)
{
    const std::string file = nineCells();
    const std::vector<std::string> counts = {file, "--points", "10", "--vars", "2", "--format", "tsv"};
    auto runWith = [&](std::vector<std::string> more) {
        more.insert(more.begin(), counts.begin(), counts.end());
        return run(more);
    };
    // Rows without the leading columns (variable, with, cells): the figures.
    auto figures = [](const std::string& out) {
        std::vector<std::string> rows;
        for (const std::string& line : lines(out))
            if (line.rfind("variable\t", 0) != 0)
                rows.push_back(line.substr(line.find('\t', line.find('\t', line.find('\t') + 1) + 1) + 1));
        return rows;
    };
    const Outcome single = runWith({"--cells", "3", "--variable", "1"});
    ASSERT_EQ(single.status, 0) << single.err;

    const Outcome crossed = runWith({"--cells", "3", "--cross", "1:1"});
    ASSERT_EQ(crossed.status, 0) << crossed.err;
    EXPECT_EQ(figures(crossed.out), figures(single.out));
    EXPECT_EQ(lines(crossed.out).at(1).rfind("1\t1\t3\t", 0), 0u);

    // A sweep: each block is the run of its N alone.
    const Outcome swept = runWith({"--cells", "2..3", "--variable", "1"});
    ASSERT_EQ(swept.status, 0) << swept.err;
    const std::vector<std::string> all = figures(swept.out);
    ASSERT_EQ(all.size(), 4u + 6u);
    EXPECT_EQ(std::vector<std::string>(all.begin() + 4, all.end()), figures(single.out));
    EXPECT_EQ(figures(runWith({"--cells", "2,3", "--variable", "1"}).out), all);
    EXPECT_EQ(runWith({"--cells", "3..3", "--variable", "1"}).out, single.out);

    // Permutations: r and pairs as without them; p and the envelope are those of the
    // seed's stream of permutations on any machine, as a separate reimplementation of the
    // draws, the shuffles and the quantiles in Python with numpy gives them.
    const Outcome permuted = runWith({"--cells", "3", "--variable", "1", "--permutations", "99", "--seed", "5"});
    ASSERT_EQ(permuted.status, 0) << permuted.err;
    // Shift 0 pairs every cell with itself: untested. Shift 2: no r, no test.
    EXPECT_EQ(permuted.out, tsvHeader + "\n"
                                        "1\t\t3\t100\tE_W\t0\t0\t1\t9\tNA\tNA\tNA\tNA\tNA\tshuffle\t99\n"
                                        "1\t\t3\t100\tE_W\t1\t1\t-0.97007727214974\t6\t0.04\t-0.876949734065138\t0.79719786923872\t0.04\t0.09\tshuffle\t99\n"
                                        "1\t\t3\t100\tE_W\t2\t2\tNA\t0\tNA\tNA\tNA\tNA\tNA\tshuffle\t99\n"
                                        "1\t\t3\t100\tN_S\t0\t0\t1\t9\tNA\tNA\tNA\tNA\tNA\tshuffle\t99\n"
                                        "1\t\t3\t100\tN_S\t1\t1\t-0.949047569803095\t6\t0.02\t-0.714491944799542\t0.720410726005917\t0.04\t0.09\tshuffle\t99\n"
                                        "1\t\t3\t100\tN_S\t2\t2\tNA\t0\tNA\tNA\tNA\tNA\tNA\tshuffle\t99\n");

    // A crossed test: the 99 translations of B's cells at N = 10 (the JSON parser's test),
    // or K shuffles of B.
    const std::string examples = GEOLAGO_EXAMPLES_DIR;
    const Outcome shuffled = run({examples + "/quartiers.txt", "--points", "80", "--vars", "12", "--numbered", "--cross",
                                  "1:2", "--permutations", "999", "--cross-null", "shuffle", "--format", "json"});
    EXPECT_NE(shuffled.out.find("\"null\": \"shuffle\", \"permutations_made\": 999"), std::string::npos);
    // The text format says so under each correlogram's heading.
    const Outcome text = run({examples + "/quartiers.txt", "--points", "80", "--vars", "12", "--numbered", "--cross",
                              "1:2", "--permutations", "999"});
    EXPECT_NE(text.out.find("Mailles remplies : 71 %\n"
                            "Test : 99 permutations, hypothèse nulle toroidal (translations de B sur le tore)\n"),
              std::string::npos)
        << text.out;
}

TEST_F(CliTest, MapRowsHoldEveryVectorWithTheCorrelogramsOnTheirAxes)
{
    const std::vector<std::string> asked = {nineCells(), "--points", "10", "--vars", "2", "--cells", "3",
                                            "--variable", "1", "--permutations", "19"};
    auto runWith = [&](std::vector<std::string> more) {
        more.insert(more.begin(), asked.begin(), asked.end());
        return run(more);
    };
    auto fields = [](const std::string& row) {
        std::vector<std::string> all;
        std::istringstream in(row);
        for (std::string field; std::getline(in, field, '\t');)
            all.push_back(field);
        return all;
    };
    const Outcome correlograms = runWith({"--format", "tsv"});
    const Outcome mapped = runWith({"--format", "tsv", "--map", "--max-shift", "5"});  // K = N - 1 = 2 at most
    ASSERT_EQ(mapped.status, 0) << mapped.err;
    const std::vector<std::string> rows = lines(mapped.out);
    ASSERT_EQ(rows.size(), 1u + 5u * 5u);
    EXPECT_EQ(rows[0], "variable\twith\tcells\tfill\tdx\tdy\tdistance_x\tdistance_y\tr\tpairs\tp\tlow\thigh\tp_holm"
                       "\tp_fwer\tnull\tpermutations");
    for (const std::string& row : rows)
        ASSERT_EQ(fields(row).size(), 17u) << row;
    // E_W shift k is row (0, k), N_S shift k row (k, 0): distance, r, pairs, low and high.
    const std::vector<std::string> ewRow = fields(lines(correlograms.out).at(2)), nsRow = fields(lines(correlograms.out).at(5));
    const std::vector<std::string> zeroOne = fields(rows[1 + 2 * 5 + 3]), oneZero = fields(rows[1 + 3 * 5 + 2]);
    ASSERT_EQ(zeroOne[4] + zeroOne[5], "01");
    ASSERT_EQ(oneZero[4] + oneZero[5], "10");
    for (const auto& [shift, vector, distance] : {std::tuple{ewRow, zeroOne, 7}, std::tuple{nsRow, oneZero, 6}})
        EXPECT_EQ((std::vector<std::string>{vector[distance], vector[8], vector[9], vector[11], vector[12]}),
                  (std::vector<std::string>{shift[6], shift[7], shift[8], shift[10], shift[11]}));
    EXPECT_EQ(zeroOne[8], "-0.97007727214974");

    const Outcome text = runWith({"--map", "--format", "text"});
    EXPECT_NE(text.out.find("\nAnisotropie : direction "), std::string::npos);

    // --max-shift bounds the correlograms and the map alike; the map stops at N - 1.
    const Outcome bounded = runWith({"--map", "--max-shift", "30", "--format", "json"});
    ASSERT_EQ(bounded.status, 0) << bounded.err;
    EXPECT_NE(bounded.out.find("\"max_shift\": 2, \"map\": "), std::string::npos);
    // --max-shift 0: shift 0 alone, and the origin alone on the map.
    const Outcome origin = runWith({"--max-shift", "0", "--format", "tsv"});
    ASSERT_EQ(origin.status, 0) << origin.err;
    EXPECT_EQ(lines(origin.out).size(), 3u);
    EXPECT_EQ(lines(runWith({"--map", "--max-shift", "0", "--format", "tsv"}).out),
              (std::vector<std::string>{rows[0], "1\t\t3\t100\t0\t0\t0\t0\t1\t9\tNA\tNA\tNA\tNA\tNA\tshuffle\t19"}));

    // A crossed map is tested under the null asked, as its correlograms are: E_W shift 1
    // and vector (0, 1) share r, pairs, p, the envelope, under either null.
    const std::string examples = GEOLAGO_EXAMPLES_DIR;
    for (const char* null : {"shuffle", "toroidal"}) {
        const std::vector<std::string> crossed = {examples + "/quartiers.txt", "--cross", "1:5", "--permutations", "99",
                                                  "--cross-null", null, "--max-shift", "3", "--format", "tsv"};
        const Outcome axes = run(crossed);
        std::vector<std::string> withMap = crossed;
        withMap.push_back("--map");
        const Outcome map = run(withMap);
        ASSERT_EQ(map.status, 0) << map.err;
        const std::vector<std::string> shift = fields(lines(axes.out).at(2)), vector = fields(lines(map.out).at(1 + 3 * 7 + 4));
        ASSERT_EQ(vector[4] + vector[5], "01");
        EXPECT_EQ((std::vector<std::string>{vector[8], vector[9], vector[10], vector[11], vector[12]}),
                  (std::vector<std::string>{shift[7], shift[8], shift[9], shift[10], shift[11]}))
            << null;
    }
}

// The file of each chart, in any build: a plotter that keeps the names it is given.
TEST_F(CliTest, PlotNamesAFileForEachChart)
{
    struct Names : cli::ChartPlotter {
        std::vector<std::string> files;
        void plot(const Correlogram&, const std::string& file) override { files.push_back(file); }
        void plotMap(const CorrelogramMap&, const std::string& file) override { files.push_back(file); }
    };
    const Cells other = {{5, 3, 9}, {4, 4, 6}, {0, 7, 2}};
    const std::string file = nineCells(&other);
    auto plotted = [&](const std::vector<std::string>& asked) {
        std::vector<std::string> args{file, "--points", "10", "--vars", "2", "--plot", "c.png"};
        args.insert(args.end(), asked.begin(), asked.end());
        Names names;
        auto store = std::make_unique<Store>();
        std::ostringstream out, err;
        EXPECT_EQ(cli::runCommand(*store, args, out, err, &names), 0) << err.str();
        return names.files;
    };
    using Files = std::vector<std::string>;
    EXPECT_EQ(plotted({"--cells", "3", "--variable", "1", "--map"}), (Files{"c.png", "c-carte.png"}));
    // One variable over several N: a chart for each N.
    EXPECT_EQ(plotted({"--cells", "2,3", "--variable", "1"}), (Files{"c-1-m2.png", "c-1-m3.png"}));
    EXPECT_EQ(plotted({"--cells", "3", "--variable", "1", "--cross", "1:2", "--map"}),
              (Files{"c-1.png", "c-1-carte.png", "c-1x2.png", "c-1x2-carte.png"}));
}

// --- Names ---------------------------------------------------------------------------

TEST_F(CliTest, VariablesAreFoundByNameOrPosition)
{
    const std::string file = nineCells();
    const std::string names = write("names.txt", "2\r\nPente\r\n");

    // "2" is the first name, but a text that reads as a whole number is a position.
    const Outcome byNumber = run({square(), "--points", "4", "--vars", "2", "--cells", "1", "--names", names,
                                  "--variable", "2", "--format", "tsv"});
    ASSERT_EQ(byNumber.status, 0) << byNumber.err;
    EXPECT_EQ(lines(byNumber.out).at(1).rfind("Pente\t\t1\t100\tE_W\t0\t", 0), 0u);

    const Outcome unknown = run({file, "--points", "10", "--vars", "2", "--cells", "3", "--names", names,
                                 "--variable", "pente", "--format", "tsv"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.err,
              "geolago-cli: --variable pente: Aucune variable ne s'appelle \"pente\" dans le fichier des noms !\n");

    // Position 0 has no name: refused, not looked up.
    const Outcome zero = run({file, "--points", "10", "--vars", "2", "--cells", "3", "--names", names,
                              "--variable", "0"});
    EXPECT_EQ(zero.err, "geolago-cli: variable 0: Aucune variable n'est choisie !\n");

    const Outcome noNames = run({file, "--points", "10", "--vars", "2", "--cells", "3", "--variable", "Pente"});
    EXPECT_EQ(noNames.status, 1);
    EXPECT_EQ(noNames.err, "geolago-cli: --variable Pente: 'Pente' n'est pas une valeur entière correcte.\n");

    // A list shorter than the variables: the position stands for the missing name.
    const Outcome shorter = run({square(), "--points", "4", "--vars", "2", "--cells", "1", "--names",
                                 write("short.txt", "Seule\n"), "--variable", "Seule", "--all", "--format", "tsv"});
    ASSERT_EQ(shorter.status, 0) << shorter.err;
    std::vector<std::string> column;
    for (const std::string& line : lines(shorter.out))
        column.push_back(line.substr(0, line.find('\t')));
    EXPECT_EQ(column, (std::vector<std::string>{"variable", "Seule", "Seule", "Seule", "Seule", "2", "2"}));
}

TEST_F(CliTest, NamesAreWrittenInUtf8AndEscapedInJson)
{
    // A names file saved in Windows-1252: its names in UTF-8, found as typed in a terminal.
    const std::string names = write("names.txt", "Densit\xe9\n\"Pente\" \xe9t\xe9\tX\n");
    const Outcome tsv = run({square(), "--points", "4", "--vars", "2", "--cells", "1", "--names", names,
                             "--variable", "1", "--format", "tsv"});
    EXPECT_EQ(lines(tsv.out).at(1).rfind("Densité\t\t1\t100\tE_W\t0\t", 0), 0u);

    // UTF-8 stays as it is, controls and quotes are escaped.
    const Outcome json = run({square(), "--points", "4", "--vars", "2", "--cells", "1", "--names", names,
                              "--variable", "1", "--variable", "\"Pente\" été\tX", "--format", "json"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find("\"name\": \"Densité\""), std::string::npos);
    EXPECT_NE(json.out.find("\"name\": \"\\\"Pente\\\" été\\tX\""), std::string::npos);
    EXPECT_NE(json.out.find("\"names_file\": \"" + names + "\""), std::string::npos);

    // A French spreadsheet's table, Windows-1252 too: its header's names likewise.
    const std::string csv = write("sols.csv", "X;Y;Profondeur \xe9" "chantillon\r\n0;0;1,5\r\n0;1;2\r\n1;0;3\r\n1;1;4,5\r\n");
    const Outcome header = run({csv, "--variable", "Profondeur échantillon", "--cells", "1", "--format", "tsv"});
    ASSERT_EQ(header.status, 0) << header.err;
    EXPECT_EQ(lines(header.out).at(1).rfind("Profondeur échantillon\t\t1\t100\tE_W\t0\t", 0), 0u);
}

// --- Refusals and failures -----------------------------------------------------------

TEST_F(CliTest, CountsOutsideTheirRangesAreRefusedBeforeTheFileIsRead)
{
    // The file does not exist: a refusal shows that nothing was read. Beyond the windows'
    // limits the command takes any count of points and variables, and up to 4096 cells per
    // axis. An empty message: any refusal, which ends in " !" as it stands.
    const std::string missing = path("absent.txt");
    const std::string threads = "Le nombre de fils de calcul doit être compris entre 1 et 1024 !";
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        {"--points", "-1", ""},
        {"--vars", "-1", ""},
        {"--cells", "4097", "Mailles trop petites !"},
        {"--cells", "0", ""},
        {"--cells", "-3", ""},
        {"--cells", "5..3", "La plage de mailles 5..3 est vide !"},
        {"--cells", "3,4097", "Mailles trop petites !"},
        {"--permutations", "100001", "Le nombre de permutations doit être compris entre 0 et 100000 !"},
        {"--max-shift", "-1", "Le décalage maximal ne peut pas être négatif !"},
        {"--threads", "0", threads},
        {"--threads", "-2", threads},
        {"--threads", "1025", threads},
        {"--seed", "-1", "'-1' n'est pas une valeur entière correcte."},
    };
    for (const auto& [option, value, message] : cases) {
        const Outcome o = run({missing, "--all", option, value});
        SCOPED_TRACE(option + " " + value);
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.out, "");
        EXPECT_EQ(o.err.rfind("geolago-cli: " + option + ": ", 0), 0u) << o.err;
        if (!message.empty())
            EXPECT_EQ(o.err, "geolago-cli: " + option + ": " + message + "\n");
        else
            EXPECT_EQ(o.err.substr(o.err.size() - 3), " !\n");
    }

    const Outcome limits = run({missing, "--points", "1000000", "--vars", "300", "--cells", "4096", "--all"});
    EXPECT_EQ(limits.err, "geolago-cli: " + missing + ": Fichier introuvable.\n");
    EXPECT_EQ(limits.status, 1);
}

TEST_F(CliTest, ThreadsAreACountOfTheirOwnThatChangesNoFigure)
{
    const std::vector<std::string> args{nineCells(), "--points", "10", "--vars", "2", "--cells", "3", "--variable",
                                        "1", "--permutations", "499", "--map", "--format", "tsv"};
    const Outcome all = run(args);
    ASSERT_EQ(all.status, 0) << all.err;
    for (const char* threads : {"1", "3"}) {
        std::vector<std::string> bounded = args;
        bounded.insert(bounded.end(), {"--threads", threads});
        EXPECT_EQ(run(bounded).out, all.out) << threads;
    }

    // Without a count, the processors the process may run on, as taskset leaves them.
    cpu_set_t allowed, one;
    ASSERT_EQ(::sched_getaffinity(0, sizeof allowed, &allowed), 0);
    CPU_ZERO(&one);
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
        if (CPU_ISSET(cpu, &allowed)) {
            CPU_SET(cpu, &one);
            break;
        }
    EXPECT_EQ(cli::usableCores(), static_cast<unsigned>(CPU_COUNT(&allowed)));
    ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
    EXPECT_EQ(cli::usableCores(), 1u);
    ASSERT_EQ(::sched_setaffinity(0, sizeof allowed, &allowed), 0);
}

TEST_F(CliTest, FailuresOfTheAnalysisShowTheirMessageWithTheFullStopRule)
{
    const Outcome missingNames = run({nineCells(), "--points", "10", "--vars", "2", "--names", path("noms.txt"),
                                      "--all"});
    EXPECT_EQ(missingNames.status, 1);
    EXPECT_EQ(missingNames.out, "");
    EXPECT_EQ(missingNames.err.rfind("geolago-cli: Impossible d'ouvrir le fichier \"" + path("noms.txt") + "\". ", 0),
              0u);

    const Outcome badNumber = run({write("comma.txt", "0 0 1,5\n1 1 2\n"), "--points", "2", "--vars", "1",
                                   "--all"});
    EXPECT_EQ(badNumber.status, 1);
    EXPECT_EQ(badNumber.err, "geolago-cli: " + path("comma.txt") + ":1 (variable 1): Saisie numérique incorrecte.\n");

    // One point: the cell width is 0 and the placement fails.
    const Outcome onePoint = run({write("one.txt", "3 4 5\n"), "--points", "1", "--vars", "1", "--all"});
    EXPECT_EQ(onePoint.status, 1);
    EXPECT_EQ(onePoint.err, "geolago-cli: " + path("one.txt") + ": Opération en virgule flottante incorrecte.\n");

    const Outcome position = run({nineCells(), "--points", "10", "--vars", "2", "--variable", "3"});
    EXPECT_EQ(position.status, 1);
    EXPECT_EQ(position.err.substr(position.err.size() - 3), " !\n");
}

TEST_F(CliTest, EveryCorrelogramAskedIsAttemptedPastAFailure)
{
    const std::string file = nineCells();
    // Variable 2 is the same in every cell: at N = 3 no shift has an r, a failure that
    // says why; at N = 2 no shift has 5 pairs. A refused request is reported once.
    const Outcome tsv = run({file, "--points", "10", "--vars", "2", "--cells", "3,2", "--variable", "2",
                             "--variable", "9", "--variable", "1", "--format", "tsv"});
    EXPECT_EQ(tsv.status, 1);
    EXPECT_EQ(tsv.err, "geolago-cli: variable 2, 3 mailles: Opération en virgule flottante incorrecte : la variable 2 "
                       "a la même valeur dans toutes les mailles remplies.\n"
                       "geolago-cli: variable 9: La variable 9 n'a pas été lue : le fichier de données en compte 2 !\n");
    std::vector<std::string> blocks;
    for (const std::string& line : lines(tsv.out))
        if (line.find("\tE_W\t0\t") != std::string::npos)
            blocks.push_back(line.substr(0, line.find("\tE_W")));
    EXPECT_EQ(blocks, (std::vector<std::string>{"1\t\t3\t100", "2\t\t2\t100", "1\t\t2\t100"}));

    // JSON gives the failure in that result's object, and no error for the whole run.
    const Outcome json = run({file, "--points", "10", "--vars", "2", "--cells", "3", "--all", "--format", "json"});
    EXPECT_EQ(json.status, 1);
    EXPECT_NE(json.out.find("\"position\": 1"), std::string::npos);
    EXPECT_NE(json.out.find("  {\"position\": 2, \"name\": \"2\", \"with\": null, \"cells\": 3, "
                            "\"error\": \"Opération en virgule flottante incorrecte : la variable 2 a la même valeur dans "
                            "toutes les mailles remplies.\"}\n ]}\n"),
              std::string::npos);
}

TEST_F(CliTest, EveryFailureSaysWhereItArose)
{
    // The file and the line of the malformed value, or of the last byte when the file
    // ends before the value.
    const std::string bad = write("bad.txt", "0 0 1\n\n1 1,5 2\n");
    EXPECT_EQ(run({bad, "--points", "2", "--vars", "1", "--all"}).err,
              "geolago-cli: " + bad + ":3 (Y): Saisie numérique incorrecte.\n");
    EXPECT_EQ(run({write("huge.txt", "0 1e400 1\n"), "--points", "1", "--vars", "1", "--all"}).err,
              "geolago-cli: " + path("huge.txt") + ":1 (Y): Débordement en virgule flottante.\n");
    const std::string cut = write("cut.txt", "0 0 1\n1 1\n");
    EXPECT_EQ(run({cut, "--points", "2", "--vars", "1", "--all"}).err,
              "geolago-cli: " + cut + ":2: Lecture au-delà de la fin de fichier : la ligne 2 contient 2 valeurs au lieu de 3.\n");

    // An analysis failure names its variable.
    const Outcome named = run({nineCells(), "--points", "10", "--vars", "2", "--cells", "3", "--all", "--names",
                               write("names.txt", "Pente\nAltitude\n")});
    EXPECT_EQ(named.err, "geolago-cli: variable 2 (Altitude): Opération en virgule flottante incorrecte : la variable 2 "
                         "(Altitude) a la même valeur dans toutes les mailles remplies.\n");
    // Crossed, the constant one of the two is named.
    EXPECT_EQ(run({nineCells(), "--points", "10", "--vars", "2", "--cells", "3", "--cross", "1:2"}).err,
              "geolago-cli: variable 1 × variable 2: Opération en virgule flottante incorrecte : la variable 2 a la même "
              "valeur dans toutes les mailles remplies.\n");

    // A shift whose paired values are all equal on one side has no r, and says so; the
    // others keep theirs. Rows IY = 1 and 2 hold one value: E_W shift 2 pairs them alone.
    std::string rows;
    const int values[4][4] = {{2, 2, 2, 2}, {2, 2, 2, 2}, {5, 1, 7, 3}, {4, 9, 2, 6}};
    for (int iy = 0; iy < 4; ++iy)
        for (int ix = 0; ix < 4; ++ix)
            rows += std::to_string(ix) + " " + std::to_string(iy) + " " + std::to_string(values[iy][ix]) + "\n";
    const Outcome degenerate = run({write("rangs.txt", rows), "--points", "16", "--vars", "1", "--cells", "4",
                                    "--variable", "1", "--format", "tsv"});
    EXPECT_EQ(degenerate.status, 0);
    EXPECT_EQ(degenerate.err, "geolago-cli: variable 1: E_W, décalage 2 : valeurs appariées toutes égales, pas de r\n");
    EXPECT_EQ(lines(degenerate.out).at(3).substr(lines(degenerate.out).at(3).find("E_W")),
              "E_W\t2\t1.5\tNA\t0\tNA\tNA\tNA\tNA\tNA\tNA\t0");
    EXPECT_EQ(lines(degenerate.out).at(2).find("\tNA\t0\t"), std::string::npos);  // shift 1 keeps its r

    // A failure before any result still writes one JSON document, the counts not yet
    // accepted left null.
    const Outcome json = run({cut, "--points", "2", "--vars", "1", "--all", "--format", "json"});
    EXPECT_EQ(json.status, 1);
    EXPECT_EQ(json.out, "{\"file\": \"" + cut + "\", \"format\": null, \"numbered\": false, \"points\": 2, \"vars\": 1,"
                        " \"cells\": [10],\n \"names_file\": null, \"permutations\": 0, \"seed\": 1, \"cross_null\": \"toroidal\",\n"
                        " \"results\": [],\n"
                        " \"error\": \"Lecture au-delà de la fin de fichier : la ligne 2 contient 2 valeurs au lieu de 3.\"}\n");
    const Outcome refused = run({cut, "--points", "-5", "--vars", "1", "--all", "--format", "json"});
    EXPECT_NE(refused.out.find("\"points\": null, \"vars\": null, \"cells\": null"), std::string::npos);
    EXPECT_NE(refused.out.find("\"results\": [],\n \"error\": \"Le nombre de points"), std::string::npos);
}

TEST_F(CliTest, NothingToComputeIsAFailureThatWritesNoTable)
{
    const Outcome text = run({write("texte.csv", "x,y,v\n1,2,abc\n3,4,5\n"), "--all", "--format", "tsv"});
    EXPECT_EQ(text.status, 1);
    EXPECT_EQ(text.out, "");
    EXPECT_EQ(text.err, "geolago-cli: " + path("texte.csv") + ":1: Le fichier n'a aucune variable à analyser : la"
                        " colonne \"v\" contient du texte (\"abc\" à la ligne 2)\n");
    const Outcome none = run({square(), "--points", "4", "--vars", "0", "--all", "--format", "tsv"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(lines(none.err).back(), "geolago-cli: " + path("square2.txt") + ": Aucune variable à analyser : --vars vaut 0 !");
    const Outcome refused = run({square(), "--points", "4", "--vars", "2", "--variable", "3", "--format", "tsv"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.out, "");
}

TEST_F(CliTest, NamesWithControlCharactersKeepTheOutputWellFormed)
{
    const std::string names = write("names.txt", "Tab\tback\\slash\x1b[2J\x7F\n");
    const std::vector<std::string> args{square(), "--points", "4", "--vars", "2", "--cells", "1",
                                        "--names", names, "--variable", "1", "--format"};
    auto with = [&](const char* format) {
        std::vector<std::string> all = args;
        all.push_back(format);
        return run(all);
    };
    // tsv: the linear-tsv escapes, sixteen fields a row.
    EXPECT_EQ(lines(with("tsv").out).at(1), "Tab\\tback\\\\slash\x1b[2J\x7F\t\t1\t100\tE_W\t0\t0\tNA\t0\tNA\tNA\tNA\tNA\tNA\tNA\t0");
    // text: no control character reaches the terminal, DEL included.
    EXPECT_EQ(lines(with("text").out).at(0), "Variable 1 : Tab\\tback\\\\slash\\x1B[2J\\x7F");
}

// --- Data as users hold it -----------------------------------------------------------

TEST_F(CliTest, ADelimitedTextReadsWithoutCountsUnderItsOwnNames)
{
    // The points of nineCells() as a French spreadsheet writes them, with a row without X.
    std::string csv = "\xEF\xBB\xBFnum;X;Y;pente;altitude;quartier\r\n";
    int row = 0;
    for (std::string line : lines(read(nineCells()))) {
        for (char& c : line)
            c = c == ' ' ? ';' : c == '.' ? ',' : c;
        csv += std::to_string(++row) + ";" + line + ";Nord\r\n";
        if (row == 3)
            csv += std::to_string(++row) + ";;2,5;1;1;Sud\r\n";
    }
    const std::string file = write("sols.csv", csv);
    const Outcome tsv = run({file, "--variable", "pente", "--cells", "3", "--format", "tsv"});
    EXPECT_EQ(tsv.status, 0);
    EXPECT_EQ(tsv.err, "geolago-cli: " + file + ": La colonne \"quartier\" contient du texte (\"Nord\" à la ligne 2) :"
                       " ce n'est pas une variable.\ngeolago-cli: " + file
                           + ": 1 ligne sans coordonnée a été ignorée : ligne 5.\n");
    // The rows of the point file, under the header's name.
    std::string expected =
        run({nineCells(), "--points", "10", "--vars", "2", "--cells", "3", "--variable", "1", "--format", "tsv"}).out;
    for (std::size_t at = 0; (at = expected.find("\n1\t", at)) != std::string::npos;)
        expected.replace(++at, 1, "pente");
    EXPECT_EQ(tsv.out, expected);

    const Outcome json = run({file, "--variable", "pente", "--cells", "3", "--format", "json"});
    EXPECT_NE(json.out.find("\"format\": \"delimited\", \"numbered\": false, \"points\": 10, \"vars\": 2"),
              std::string::npos);
    EXPECT_EQ(lines(run({file, "--variable", "argile"}).err).back(),
              "geolago-cli: --variable argile: Aucune variable ne s'appelle \"argile\" dans le fichier " + file + " !");
    const Outcome column = run({file, "--x", "lon", "--y", "lat", "--variable", "pente"});
    EXPECT_EQ(column.status, 1);
    EXPECT_EQ(column.err, "geolago-cli: " + file + ":1 (lon): Aucune colonne ne s'appelle \"lon\" dans l'en-tête.\n");
}

TEST_F(CliTest, APointFileWithoutCountsHasThemGuessedAndNoRowLeftUntold)
{
    const std::string file = nineCells();
    const Outcome guessed = run({file, "--variable", "1", "--cells", "3"});
    EXPECT_EQ(guessed.status, 0);
    EXPECT_EQ(guessed.err, "geolago-cli: " + file + ": comptes devinés : --points 10 --vars 2\n");
    EXPECT_EQ(guessed.out, run({file, "--points", "10", "--vars", "2", "--variable", "1", "--cells", "3"}).out);

    const Outcome fewer = run({file, "--points", "8", "--vars", "2", "--variable", "1", "--cells", "3"});
    EXPECT_EQ(fewer.err, "geolago-cli: " + file
                             + ": Le fichier contient 10 lignes de données ; seules les 8 premières ont été lues.\n");

    // Options of other formats are refused.
    EXPECT_EQ(run({file, "--layer", "sols", "--all"}).err,
              "geolago-cli: --layer: --layer ne s'applique qu'à un fichier SIG de couches !\n");

    // A pipe reads once: nothing to guess from.
    ASSERT_EQ(::mkfifo(path("pipe").c_str(), 0600), 0);
    const Outcome pipe = run({path("pipe"), "--all"});
    EXPECT_EQ(pipe.status, 1);
    EXPECT_EQ(pipe.err, "geolago-cli: " + path("pipe") + ": Les nombres de points et de variables ne se devinent pas"
                                                         " de ce fichier : donnez --points et --vars !\n");
}

// --- Usage ---------------------------------------------------------------------------

TEST_F(CliTest, CommandLinesThatCannotRunAreUsageErrors)
{
    const std::string file = nineCells();
    const std::vector<std::vector<std::string>> cases = {
        {},
        {file, "--points", "10", "--vars", "2"},  // no variable
        {file, "--x", "x", "--all"},  // --x without --y
        {file, "--y", "y", "--all"},
        {"--points", "10", "--vars", "2", "--all"},
        {file, file, "--points", "10", "--vars", "2", "--all"},
        {file, "--points", "10", "--vars", "2", "--all", "--format", "csv"},
        {file, "--points", "10", "--vars", "2", "--all", "--cells"},
        {file, "--points", "10", "--points", "9", "--vars", "2", "--all"},
        {file, "--points", "10", "--vars", "2", "--all", "--verbose"},
        {file, "--points", "10", "--vars", "2", "--all", "--cross-null", "blocks"},
        {file, "--points", "10", "--vars", "2", "--all=yes"},
        {file, "--points", "10", "--vars", "2", "--all", "--ver\nbose\x1b[2J"},  // quoted on one line
    };
    for (const auto& args : cases) {
        const Outcome o = run(args);
        EXPECT_EQ(o.status, 2) << ::testing::PrintToString(args);
        EXPECT_EQ(o.out, "");
        EXPECT_NE(o.err.find("Usage : geolago-cli "), std::string::npos);
        EXPECT_EQ(lines(o.err).size(), 2u);
        EXPECT_EQ(o.err.find('\x1b'), std::string::npos);
    }
    EXPECT_EQ(lines(run({file, "--y", "y", "--all"}).err).at(0), "geolago-cli : --x et --y se donnent ensemble");

    // A point file named "-" is a file like any other, in the current folder.
    const fs::path folder = fs::current_path();
    fs::current_path(dir_);
    fs::copy_file(file, "-");
    const Outcome dash = run({"-", "--points", "10", "--vars", "2", "--cells", "3", "--variable", "1"});
    fs::current_path(folder);
    EXPECT_EQ(dash.status, 0) << dash.err;
    EXPECT_EQ(dash.out, run({file, "--points", "10", "--vars", "2", "--cells", "3", "--variable", "1"}).out);

    const Outcome help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage : geolago-cli ", 0), 0u);
    EXPECT_EQ(help.err, "");
}

// Beyond the windows' limits: the smallest and the largest grid, a million points in one
// cell, points on the extent's edges.
TEST_F(CliTest, AnySizeWithinTheCommandsLimits)
{
    // A million points at the origin and one at (1, 1): N = 1 puts them all in cell (1, 1),
    // filled at 100 %; no shift has pairs enough, and north-south computes none.
    std::string bytes;
    bytes.reserve(9'000'001);
    for (int i = 0; i < 1'000'000; ++i)
        bytes += "0 0 1.5\n";
    bytes += "1 1 -2\n";
    const std::string many = write("many.txt", bytes);
    Outcome o = run({many, "--points", "1000001", "--vars", "1", "--cells", "1", "--variable", "1", "--format", "tsv"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, tsvHeader + "\n1\t\t1\t100\tE_W\t0\t0\tNA\t0\tNA\tNA\tNA\tNA\tNA\tNA\t0\n"
                                 "1\t\t1\t100\tN_S\t0\t0\tNA\t0\tNA\tNA\tNA\tNA\tNA\tNA\t0\n");

    // 4096 cells on a lattice whose points lie on the cell edges, the extent's included;
    // --max-shift lists shifts 0..2 only, and shift 1 of a smooth field is high.
    bytes.clear();
    for (int x = 0; x <= 64; ++x)
        for (int y = 0; y <= 64; ++y)
            bytes += std::to_string(x * 64) + " " + std::to_string(y * 64) + " "
                + std::to_string(std::sin(x / 9.0) + std::cos(y / 7.0)) + "\n";
    const std::string lattice = write("lattice.txt", bytes);
    o = run({lattice, "--points", "4225", "--vars", "1", "--cells", "4096", "--max-shift", "2", "--variable", "1",
             "--format", "tsv"});
    ASSERT_EQ(o.status, 0) << o.err;
    const std::vector<std::string> rows = lines(o.out);
    ASSERT_EQ(rows.size(), 1u + 2 * 3);
    // Every point in a cell of its own, (64 x + 1, 64 y + 1), those at the maximum in
    // cell 4096: 65 x 65 of the 4096 x 4096 cells.
    EXPECT_EQ(rows[1].rfind("1\t\t4096\t0.0251829624176025\tE_W\t0\t0\t1\t4225\t", 0), 0u) << rows[1];
    // Cells 64 apart: no pair at shifts 1 and 2 of a 4096-cell grid.
    EXPECT_EQ(rows[2].substr(rows[2].find("E_W")), "E_W\t1\t1\tNA\t0\tNA\tNA\tNA\tNA\tNA\tNA\t0");
    o = run({lattice, "--points", "4225", "--vars", "1", "--cells", "64", "--max-shift", "2", "--variable", "1",
             "--format", "tsv"});
    ASSERT_EQ(o.status, 0) << o.err;
    std::istringstream shiftOne(lines(o.out).at(2));
    std::string field;
    for (int f = 0; f <= 7; ++f)
        std::getline(shiftOne, field, '\t');
    EXPECT_GT(std::stod(field), 0.9);  // r of E_W shift 1
}

}  // namespace
}  // namespace geolago::testing
