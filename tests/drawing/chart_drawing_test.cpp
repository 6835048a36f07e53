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
    ui::ChartFigures figures;
    figures.cells = 10;
    Significance tested;
    tested.eastWest.resize(10);
    tested.northSouth.resize(9);
    for (int k = 0; k <= 5; ++k) {
        figures.eastWest[k] = 0.5;  // y = 155
        figures.eastWestPairs[k] = 9;
        // Low at y = 305, high at y = 205; only shift 3 below the level, shift 0 never marked.
        tested.eastWest[k].p = k == 0 ? 0.001 : k == 3 ? 0.01 : 0.05;
        tested.eastWest[k].low = -0.25;
        tested.eastWest[k].high = 0.25;
    }
    tested.northSouth[2].low = -0.875;  // alone: a short dash at y = 430
    figures.significance = tested;
    const QImage image = ui::chartImage(figures);

    // From shift 1 (x = 110) to shift 5 (x = 350): 18 pixels drawn, 6 left out, one high.
    for (int x : {110, 127, 134, 326, 343})
        EXPECT_EQ(image.pixelColor(x, 305), red) << x;
    for (int x : {105, 128, 133, 344, 355})
        EXPECT_EQ(image.pixelColor(x, 305), black) << x;
    EXPECT_EQ(image.pixelColor(120, 304), black);
    EXPECT_EQ(image.pixelColor(120, 205), red);

    // A 7 x 7 square on the point of shift 3, (230, 155); none on shifts 4 and 0, (50, 155).
    for (const QPoint in : {QPoint(227, 152), QPoint(233, 158)})
        EXPECT_EQ(image.pixelColor(in), red);
    for (const QPoint out : {QPoint(226, 152), QPoint(234, 158), QPoint(287, 152), QPoint(47, 152)})
        EXPECT_EQ(image.pixelColor(out), black) << out.x();

    for (int x : {166, 173})
        EXPECT_EQ(image.pixelColor(x, 430), white) << x;
    EXPECT_EQ(image.pixelColor(176, 430), black);
}
