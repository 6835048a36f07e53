// The heat map drawn without any window: each vector's colour on the diverging scale, the
// vectors without r, the dots of the significant ones, and the legend.

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include "map_drawing.h"

using namespace geolago;

TEST(MapDrawing, CellsTakeTheColourOfTheirRBesideTheScale)
{
    CorrelogramMap map;
    map.maxShift = 2;
    map.vectors.resize(25);
    for (std::int32_t dx = -2; dx <= 2; ++dx)
        for (std::int32_t dy = -2; dy <= 2; ++dy)
            map.at(dx, dy).vector = {dx, dy};
    map.at(0, 0).r = 1;
    map.at(1, 0).r = -1;
    map.at(0, 1).r = 0;
    map.at(-1, 0).r = 0.5;
    map.at(-2, -2).r = -0.5;
    map.at(-2, -2).permutationsUsed = 99;
    map.at(-2, -2).pFwer = 0.05;
    map.at(1, 1).r = 0.25;
    map.at(1, 1).pFwer = 0.051;  // above the level, whatever Holm says
    map.at(1, 1).pHolm = 0.01;
    for (Shift& v : map.vectors)
        v.pairs = v.r ? 30 : 0;
    map.at(2, -1).r = 0.5;
    map.at(2, -1).pairs = 9;  // hatched
    const QImage image = drawing::mapImage(map);
    ASSERT_EQ(image.size(), drawing::mapSize);

    // Five cells of 100 pixels from (80, 110): vector (dx, dy) centred on
    // (130 + 100 (dx + 2), 160 + 100 (2 - dy)).
    const auto centre = [](int dx, int dy) { return QPoint(130 + 100 * (dx + 2), 160 + 100 * (2 - dy)); };
    EXPECT_EQ(image.pixelColor(centre(0, 0)), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(centre(1, 0)), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(centre(0, 1)), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(centre(-1, 0)), QColor(255, 128, 128));
    EXPECT_EQ(image.pixelColor(centre(1, 1)), QColor(255, 191, 191));
    EXPECT_EQ(image.pixelColor(centre(2, 2)), drawing::noRColour);
    EXPECT_EQ(image.pixelColor(centre(-2, -2)), QColor(0, 0, 0)) << "p_fwer at 0.05: a dot";
    // Fewer than 10 pairs: dark hatches over the colour.
    int hatch = 0, colour = 0;
    for (int x = -40; x <= 40; ++x)
        for (int y = -40; y <= 40; ++y) {
            const QColor pixel = image.pixelColor(centre(2, -1) + QPoint(x, y));
            hatch += pixel == QColor(60, 60, 60);
            colour += pixel == QColor(255, 128, 128);
        }
    EXPECT_TRUE(hatch > 300 && colour > 3000) << hatch << " " << colour;
    EXPECT_EQ(image.pixelColor(centre(-2, -2) + QPoint(30, 30)), QColor(128, 128, 255));
    EXPECT_EQ(image.pixelColor(centre(0, 0) - QPoint(50, 50)), QColor(0, 0, 0)) << "the origin framed";

    // The scale, from r = 1 at the top to -1 at the bottom 500 pixels lower.
    EXPECT_EQ(image.pixelColor(655, 110), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(655, 235), QColor(255, 128, 128));
    EXPECT_EQ(image.pixelColor(655, 360), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(655, 610), QColor(0, 0, 255));
    EXPECT_EQ(image.pixelColor(647, 19), drawing::noRColour);
}
