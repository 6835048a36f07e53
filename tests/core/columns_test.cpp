// The columns of points: mapped memory that grows without losing a value and reads zero
// where room is made, and a store that takes a reader's columns rather than copying them.

#include <cstdint>
#include <string>
#include <vector>

#include "columnarray.h"
#include "readers.h"
#include "test_support.h"

namespace geolago::testing {
namespace {

TEST(ColumnArrays, GrowingKeepsTheValuesAndNewRoomReadsZero)
{
    // 3 * 2^20 values: from the heap into a mapping of 2 MiB, then grown mapping by mapping.
    ColumnArray<double> column;
    constexpr std::size_t count = 3u << 20;
    for (std::size_t i = 0; i < count; ++i)
        column.push_back(static_cast<double>(i) + 0.5);
    ASSERT_EQ(column.size(), count);
    for (std::size_t i = 0; i < count; i += 4093)
        ASSERT_EQ(column[i], static_cast<double>(i) + 0.5) << i;
    EXPECT_EQ(column.back(), count - 0.5);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(column.data()) % (2u << 20), 0u);  // huge page aligned

    // Written values dropped and room made again: zeros, not what was there.
    const ColumnArray<double> copy = column;
    column.resize(10);
    column.resize(count + 5);
    EXPECT_EQ(column[9], 9.5);
    EXPECT_EQ(column[10], 0.0);
    EXPECT_EQ(column[count - 1], 0.0);
    EXPECT_EQ(column[count + 4], 0.0);
    EXPECT_EQ(copy.size(), count);
    EXPECT_EQ(copy[count - 1], count - 0.5);

    ColumnArray<double> small{1.0, 2.0};
    small.clear();
    small.resize(3);
    EXPECT_EQ(small, (ColumnArray<double>{0.0, 0.0, 0.0}));
    const ColumnArray<double> gathered = std::vector<double>{4.0, 5.0};
    EXPECT_EQ(gathered, (ColumnArray<double>{4.0, 5.0}));
}

class StoredColumns : public StoreTest {};

TEST_F(StoredColumns, AReadingAsLongAsTheStoreIsTakenOverNotCopied)
{
    std::string rows, shortRows;
    for (int i = 1; i <= 1500; ++i)
        rows += std::to_string(i) + " " + std::to_string(-i) + " " + std::to_string(i) + ".25\n";
    TableReading reading = readPoints(pointFileReader(), writeFile("points.txt", rows), {1500, 1, false});
    const double* xs = reading.table.columns[0].values.data();
    const double* values = reading.table.columns[2].values.data();
    storeReading(store, std::move(reading));
    EXPECT_EQ(store.Coord.column(1).data(), xs);
    EXPECT_EQ(store.Donnees.column(1).data(), values);
    EXPECT_EQ(store.NBPoints, 1500);
    EXPECT_EQ(store.Coord[1500][2], -1500.0);
    EXPECT_EQ(store.Donnees[1500][1], 1500.25);

    // A shorter one is written over the first rows: the later ones stay.
    loadPoints(store, pointFileReader(), writeFile("short.txt", "7 8 9\n"), {1, 1, false});
    EXPECT_EQ(store.Coord[1][1], 7.0);
    EXPECT_EQ(store.Donnees[1][1], 9.0);
    EXPECT_EQ(store.Coord[2][1], 2.0);
    EXPECT_EQ(store.Donnees[1500][1], 1500.25);

    // A table made in memory, with no file behind it, is stored as well.
    TableReading made;
    made.table.columns = {{"X", {3.0, 4.0}}, {"Y", {5.0, 6.0}}, {"v", {0.5, 1.5}}};
    storeReading(store, std::move(made));
    EXPECT_EQ(store.NBPoints, 2);
    EXPECT_EQ(store.Coord[2][2], 6.0);
    EXPECT_EQ(store.Donnees[2][1], 1.5);
}

}  // namespace
}  // namespace geolago::testing
