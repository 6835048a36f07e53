// The chart drawn without any window: the permutation test's envelopes and marks.

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include "chart_drawing.h"

using namespace geolago;

namespace {

const QColor red(255, 0, 0);
const QColor white(255, 255, 255);
const QColor black(0, 0, 0);

}  // namespace

TEST(ChartDrawing, EnvelopesAreThinDashedLinesInTheCurvesColourAndSignificantShiftsAreMarked)
{
    Correlogram figures;
    figures.cellsPerAxis = 10;
    figures.eastWest.resize(10);
    figures.northSouth.resize(10);
    for (std::size_t k = 0; k <= 5; ++k) {
        Shift& shift = figures.eastWest[k];
        shift.r = 0.5;  // y = 155
        shift.pairs = 9;
        if (k == 0)
            continue;  // pairs every cell with itself: untested
        // Low at y = 305, high at y = 205; only shift 3's family-wise p at the level, shift
        // 4 only by Holm's.
        shift.permutationsUsed = 99;
        shift.p = 0.01;
        shift.pFwer = k == 3 ? 0.05 : 0.051;
        shift.pHolm = k == 4 ? 0.01 : 0.2;
        shift.low = -0.25;
        shift.high = 0.25;
    }
    figures.northSouth[2].low = -0.875;  // alone: a short dash at y = 430
    const QImage image = drawing::chartImage(figures);

    // From shift 1 (x = 110) to shift 5 (x = 350): 18 pixels drawn, 6 left out, one high.
    for (int x : {110, 127, 134, 326, 343})
        EXPECT_EQ(image.pixelColor(x, 305), red) << x;
    for (int x : {105, 128, 133, 344, 355})
        EXPECT_EQ(image.pixelColor(x, 305), black) << x;
    EXPECT_EQ(image.pixelColor(120, 304), black);
    EXPECT_EQ(image.pixelColor(120, 205), red);

    // A 7 x 7 square on the point of shift 3, (230, 155); none on shifts 4 and 0, whose
    // squares would have their corners at (287, 152) and (47, 152).
    for (const QPoint in : {QPoint(227, 152), QPoint(233, 158)})
        EXPECT_EQ(image.pixelColor(in), red);
    for (const QPoint out : {QPoint(226, 152), QPoint(234, 158), QPoint(287, 152), QPoint(47, 152)})
        EXPECT_EQ(image.pixelColor(out), black) << out.x();

    for (int x : {166, 173})
        EXPECT_EQ(image.pixelColor(x, 430), white) << x;
    EXPECT_EQ(image.pixelColor(176, 430), black);

    // The legend, right of the axes, in silver; none without a test.
    const QRect legend(704, 430, 138, 56);
    auto silver = [&](const QImage& chart) {
        int count = 0;
        for (int y = legend.top(); y <= legend.bottom(); ++y)
            for (int x = legend.left(); x <= legend.right(); ++x)
                count += chart.pixelColor(x, y) == QColor(192, 192, 192);
        return count;
    };
    EXPECT_GT(silver(image), 100);
    for (Shift& shift : figures.eastWest)
        shift = Shift{};
    EXPECT_EQ(silver(drawing::chartImage(figures)), 0);
}
