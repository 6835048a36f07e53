// The chart: where the drawing steps put their pixels, a canvas that keeps them, and
// the image saved and copied.

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

#include <tuple>

#include "windows_fixture.h"

using namespace geolago;

namespace {

const QColor yellow(255, 255, 0);
const QColor red(255, 0, 0);
const QColor white(255, 255, 255);
const QColor black(0, 0, 0);

// Leftmost column of `area` holding a pixel of `colour`, -1 if none.
int leftmost(const QImage& image, const QRect& area, const QColor& colour)
{
    for (int x = area.left(); x <= area.right(); ++x)
        for (int y = area.top(); y <= area.bottom(); ++y)
            if (image.pixelColor(x, y) == colour)
                return x;
    return -1;
}

// The band where the shift labels stand (written at y = 470, 19-pixel type).
QRect labelBand(int left, int width) { return QRect(left, 470, width, 24); }

}  // namespace

class ChartTest : public WindowsTest {
protected:
    QImage draw()
    {
        if (!chart().isVisible())
            chart().show();
        click(chart(), "ButtAffiche");
        return canvas();
    }
    QImage canvas() { return control<TChartCanvas>(chart(), "Canvas")->image(); }
};

TEST_F(ChartTest, AxesScaleAndLabelsForTenCells)
{
    store().NBMailles = 10;
    const QImage image = draw();
    EXPECT_TRUE(takeMessages().empty());

    for (int y : {25, 100, 249, 300, 460})
        EXPECT_EQ(image.pixelColor(50, y), yellow) << "vertical axis at y " << y;
    for (int x : {60, 400, 650, 698})
        EXPECT_EQ(image.pixelColor(x, 250), yellow) << "horizontal axis at x " << x;
    EXPECT_EQ(image.pixelColor(705, 250), black);
    EXPECT_EQ(image.pixelColor(50, 505), black);

    // Dashed lines: 18 pixels drawn, 6 left out, from x = 50 to 650.
    for (int y : {55, 465}) {
        EXPECT_EQ(image.pixelColor(60, y), yellow);
        EXPECT_EQ(image.pixelColor(70, y), black);
        EXPECT_EQ(image.pixelColor(80, y), yellow);
        EXPECT_EQ(image.pixelColor(60, y - 1), black);
        EXPECT_FALSE(hasColour(image, QRect(655, y, 40, 1), yellow));
    }

    EXPECT_TRUE(hasColour(image, QRect(15, 40, 30, 19), yellow));
    EXPECT_TRUE(hasColour(image, QRect(15, 230, 30, 19), yellow));
    EXPECT_TRUE(hasColour(image, QRect(15, 450, 35, 19), yellow));

    // Shift labels 1..10 at x = 50 + 60 k; label 0 covers the axis below the dashed line.
    for (int k = 1; k <= 10; ++k) {
        const int x = 50 + 60 * k;
        const int ink = leftmost(image, labelBand(x - 10, 30), yellow);
        EXPECT_GE(ink, x) << "label " << k;
        EXPECT_LE(ink, x + 5) << "label " << k;
    }
    EXPECT_FALSE(hasColour(image, labelBand(680, 100), yellow));
}

TEST_F(ChartTest, SevenCellsTruncateTheStepTo85)
{
    store().NBMailles = 7;
    for (int k = 0; k <= 7; ++k) {
        ew(k).r = 0.5;
        ew(k).pairs = 9;
    }
    const QImage image = draw();
    for (int k = 1; k <= 7; ++k) {
        const int x = 50 + 85 * k;
        const int ink = leftmost(image, labelBand(x - 8, 20), yellow);
        EXPECT_GE(ink, x) << "label " << k;
        EXPECT_LE(ink, x + 4) << "label " << k;
    }
    // The red line at y = 155 runs to the last shift computed, 6 at x = 560, and no
    // further: shift N has no pairs.
    EXPECT_EQ(image.pixelColor(520, 155), red);
    EXPECT_EQ(image.pixelColor(559, 155), red);
    EXPECT_NE(image.pixelColor(565, 155), red);
}

TEST_F(ChartTest, ThirtyCellsPutTheLastLabelAt650)
{
    store().NBMailles = 30;
    for (int k = 0; k <= 30; ++k) {
        ns(k).r = -0.5;
        ns(k).pairs = 6;
    }
    const QImage image = draw();
    // "30" on its black box from x = 650 on; nothing beyond its two digits.
    EXPECT_TRUE(hasColour(image, labelBand(650, 20), yellow));
    EXPECT_FALSE(hasColour(image, labelBand(675, 60), yellow));
    // The white line runs to shift 29 at x = 630, the last a result holds.
    for (int x : {60, 350, 629})
        EXPECT_EQ(image.pixelColor(x, 355), white) << x;
    EXPECT_NE(image.pixelColor(635, 355), white);
    for (int k = 1; k <= 29; ++k)
        EXPECT_TRUE(hasColour(image, labelBand(50 + 20 * k, 12), yellow)) << "label " << k;
}

TEST_F(ChartTest, HalvesRoundToTheEvenPixelRow)
{
    store().NBMailles = 10;
    for (int k = 0; k <= 3; ++k) {
        ew(k).r = 0.0625;  // 200 r = 12.5 -> 12, y = 243
        ns(k).r = 0.1875;  // 200 r = 37.5 -> 38, y = 217
        ew(k).pairs = 5;
        ns(k).pairs = 5;
    }
    const QImage image = draw();
    // Three-pixel pens centred on their rows.
    for (int y : {242, 243, 244})
        EXPECT_EQ(image.pixelColor(140, y), red) << y;
    EXPECT_NE(image.pixelColor(140, 241), red);
    EXPECT_NE(image.pixelColor(140, 245), red);
    for (int y : {216, 217, 218})
        EXPECT_EQ(image.pixelColor(140, y), white) << y;
    EXPECT_NE(image.pixelColor(140, 215), white);
    EXPECT_NE(image.pixelColor(140, 219), white);
    // Shifts 4..10 have no pairs: nothing is joined there.
    EXPECT_FALSE(hasColour(image, QRect(260, 60, 400, 390), red));
    EXPECT_FALSE(hasColour(image, QRect(260, 60, 400, 390), white));
}

TEST_F(ChartTest, ShiftsWithTwoPairsOrFewerAreBridged)
{
    store().NBMailles = 10;
    const double r[] = {1, -1, 1, -1, 1};
    const int pairs[] = {0, 0, 7, 1, 9};
    for (int k = 0; k < 5; ++k) {
        ns(k).r = r[k];
        ns(k).pairs = pairs[k];
        ew(k).r = 0.0;
        ew(k).pairs = 2;  // never above 2: no red segment at all
    }
    const QImage image = draw();
    // One segment from point 0 to point 2 and one from point 2 to point 4, both at r = 1.
    EXPECT_EQ(image.pixelColor(110, 55), white);
    EXPECT_EQ(image.pixelColor(230, 55), white);
    EXPECT_EQ(image.pixelColor(288, 55), white);
    EXPECT_NE(image.pixelColor(320, 55), white);
    // Points 1 and 3 (r = -1, y = 455) are never reached and leave no mark.
    EXPECT_FALSE(hasColour(image, QRect(100, 440, 200, 25), white));
    EXPECT_FALSE(hasColour(image, QRect(52, 60, 640, 180), red));
    EXPECT_FALSE(hasColour(image, QRect(52, 253, 640, 200), red));
}

TEST_F(ChartTest, TitlesStandAcrossTheTopAndEachPressShowsTheCurrentAnalysisAlone)
{
    store().NBMailles = 10;
    store().Nom_Var = "Commerces_d'alimentation";
    for (int k = 0; k <= 3; ++k) {
        ns(k).r = 0.5;  // y = 155
        ns(k).pairs = 9;
    }
    QImage image = draw();
    EXPECT_TRUE(hasColour(image, QRect(500, 20, 40, 34), red));
    EXPECT_TRUE(hasColour(image, QRect(300, 20, 50, 28), red));
    EXPECT_TRUE(hasColour(image, QRect(100, 20, 50, 28), white));
    EXPECT_FALSE(hasColour(image, QRect(100, 20, 50, 28), red));
    EXPECT_TRUE(hasColour(image, QRect(700, 20, 100, 34), red));
    EXPECT_EQ(image.pixelColor(140, 155), white);

    // A second analysis: a shorter name and another curve, with nothing left of the first.
    store().Nom_Var = "Ouvriers";
    for (int k = 0; k <= 3; ++k)
        ns(k).r = -0.5;  // y = 355
    const QImage again = draw();
    EXPECT_FALSE(hasColour(again, QRect(700, 20, 100, 34), red));
    EXPECT_FALSE(hasColour(again, QRect(52, 100, 600, 100), white));
    EXPECT_EQ(again.pixelColor(140, 355), white);
    EXPECT_EQ(draw(), again);
}

TEST_F(ChartTest, CanvasKeepsTheChartUntilTheWindowIsShownFromHidden)
{
    store().NBMailles = 10;
    draw();

    chart().resize(300, 200);
    chart().resize(900, 700);
    EXPECT_EQ(canvas().pixelColor(50, 100), yellow);
    const QImage onScreen = chart().grab().toImage();
    EXPECT_EQ(onScreen.pixelColor(50, 100), yellow);
    EXPECT_EQ(onScreen.pixelColor(400, 250), yellow);

    chart().showMinimized();
    chart().showNormal();
    EXPECT_EQ(chart().grab().toImage().pixelColor(50, 100), yellow);

    click(chart(), "ButtFermer");
    EXPECT_FALSE(chart().isVisible());
    chart().show();
    EXPECT_EQ(canvas().pixelColor(50, 100), black);
    EXPECT_EQ(chart().grab().toImage().pixelColor(50, 100), black);
    EXPECT_TRUE(control(chart(), "Label1")->isVisible());
}

TEST_F(ChartTest, TheCurvesNamesSayInATooltipWhichWayTheyPairCells)
{
    store().NBMailles = 10;
    const QImage image = draw();
    const QImage onScreen = chart().grab().toImage();
    for (const auto& [name, colour, axis] :
         {std::tuple{"eastWestName", red, "le long de Y"}, std::tuple{"northSouthName", white, "le long de X"}}) {
        const QWidget* over = control(chart(), name);
        const QRect area = over->geometry();
        // Over the whole name, which stays visible under it.
        EXPECT_TRUE(hasColour(image, area, colour) && hasColour(onScreen, area, colour)) << name;
        EXPECT_FALSE(hasColour(image, QRect(area.right() + 1, area.top(), 20, area.height()), colour)) << name;
        EXPECT_TRUE(over->toolTip().contains(QString::fromUtf8(axis))) << name;
    }
    EXPECT_EQ(control(results(), "Label1")->toolTip(), control(chart(), "eastWestName")->toolTip());
    EXPECT_EQ(control(results(), "Label2")->toolTip(), control(chart(), "northSouthName")->toolTip());
}

TEST_F(ChartTest, CellCountsWithoutTableEntriesStopAfterTheReferenceLines)
{
    store().NBMailles = 0;
    QImage image = draw();
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("Division par zéro en virgule flottante.")});
    EXPECT_EQ(image.pixelColor(50, 100), yellow);
    EXPECT_EQ(image.pixelColor(60, 465), yellow);
    EXPECT_FALSE(hasColour(image, labelBand(60, 700), yellow));
    EXPECT_FALSE(hasColour(image, QRect(290, 20, 70, 30), red));

    click(chart(), "ButtFermer");
    for (const auto& [cells, message] : {std::pair{31, "Mailles trop petites !"},
                                         std::pair{-3, "Il faut au moins une maille par côté !"}}) {
        store().NBMailles = cells;
        image = draw();
        EXPECT_EQ(takeMessages(), std::vector<Shown>{error(message)});
        EXPECT_FALSE(hasColour(image, labelBand(60, 700), yellow));
    }
}

TEST_F(ChartTest, SavedAndCopiedImagesAreTheChartShown)
{
    store().NBMailles = 10;
    store().Nom_Var = "Ouvriers";
    for (int k = 0; k <= 5; ++k) {
        ew(k).r = 0.5;  // y = 155
        ew(k).pairs = 9;
    }
    const QImage shown = draw().copy(QRect(QPoint(0, 0), QSize(842, 540)));

    // PNG, its suffix added from the type chosen: the pixels of the window.
    dialogs().fileToSave = pathOf("chart");
    click(chart(), "saveImageButton");
    EXPECT_TRUE(takeMessages().empty());
    const QImage png(pathOf("chart.png"));
    EXPECT_EQ(png.size(), QSize(842, 540));
    EXPECT_EQ(png.convertToFormat(shown.format()), shown);

    // SVG: the same drawing, the texts as outlines.
    dialogs().fileToSave = pathOf("chart.svg");
    dialogs().filterToSave = 1;
    click(chart(), "saveImageButton");
    QSvgRenderer svg(pathOf("chart.svg"));
    ASSERT_TRUE(svg.isValid());
    EXPECT_EQ(svg.defaultSize(), QSize(842, 540));
    EXPECT_EQ(svg.viewBox(), QRect(0, 0, 842, 540));
    QImage rendered(842, 540, QImage::Format_RGB32);
    QPainter painter(&rendered);
    svg.render(&painter);
    painter.end();
    EXPECT_EQ(rendered.pixelColor(50, 100), yellow);
    EXPECT_EQ(rendered.pixelColor(140, 155), red);
    EXPECT_TRUE(hasColour(rendered, QRect(500, 20, 40, 34), red));

    chart().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&chart()));
    QTest::keyClick(&chart(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(shown.format()), shown);
}
