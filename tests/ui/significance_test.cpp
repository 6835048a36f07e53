// The chart window's permutation test, driven through the windows as a user would: the
// envelopes and marks it draws, the table the results window saves with it, and the
// calculation it belongs to.

#include <cmath>
#include <optional>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

#include "chart_drawing.h"
#include "numbertext.h"
#include "significance.h"
#include "windows_fixture.h"

using namespace geolago;

namespace {

const QColor red(255, 0, 0);

// Forty points in two columns along Y, without numbers: at X = 9.5 the only cells that
// pair, so that the chart holds the E_W curve alone; at X = 0.5 cells of index 0, which
// never pair. Variable 1 is a wave of 8 cells along Y, so that some shifts are significant
// and others not; variable 2 is the same everywhere, so that its calculation fails.
QByteArray columnsFile()
{
    QByteArray rows;
    for (int j = 0; j < 20; ++j) {
        static const int wave[8] = {0, 7, 10, 7, 0, -7, -10, -7};
        const double value = wave[j % 8] + 0.3 * ((j * 7) % 5);
        rows += "9.5 " + QByteArray::number(j) + ".25 " + QByteArray::number(value) + " 5\n";
        rows += "0.5 " + QByteArray::number(j) + ".25 " + QByteArray::number(40 - j) + " 5\n";
    }
    return rows;
}

}  // namespace

class SignificanceTest : public WindowsTest {
protected:
    // The first time reads the points, N = 20 and the names; then chooses `variable` and
    // presses "Calculer".
    void calculate(int variable)
    {
        if (store().NBPoints == 0) {
            type(mainWindow(), "EdNom_Fich", writeFile("colonnes.txt", columnsFile()));
            type(mainWindow(), "EdNBPoints", "40");
            type(mainWindow(), "EdNBVar", "2");
            click(mainWindow(), "noButton");
            click(mainWindow(), "ButtLit_Data");
            EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Données lues !")});
            type(mainWindow(), "EdNBMailles", "20");
            click(mainWindow(), "ButtNBMailles");
            type(mainWindow(), "EdNomsVars", writeFile("noms.txt", "Vague\nConstante\n"));
            click(mainWindow(), "ButtLit_Noms_Vars");
        }
        control<QComboBox>(mainWindow(), "Combobox_Var")->setCurrentIndex(variable - 1);
        click(mainWindow(), "ButtChoixVar");
        click(mainWindow(), "ButtCalculer");
    }
    // Opens the chart from the results window and draws it plain.
    QImage drawPlain()
    {
        click(results(), "Button1");
        click(chart(), "ButtAffiche");
        return canvas();
    }
    QImage canvas() { return control<TChartCanvas>(chart(), "Canvas")->image(); }
    QImage chartShown() { return canvas().copy(QRect(QPoint(0, 0), ui::chartSize)); }
    bool testable() { return control(chart(), "significanceButton")->isEnabled(); }

    // The lines of the table "Enregistrer…" saves now.
    QStringList savedTable(const QString& name)
    {
        dialogs().fileToSave = pathOf(name);
        click(results(), "saveButton");
        QFile saved(pathOf(name));
        EXPECT_TRUE(saved.open(QIODevice::ReadOnly));
        return QString::fromUtf8(saved.readAll()).split('\n');
    }
};

// The point of shift k of a curve at r = `value`, N = 20: a step of 30 pixels.
QPoint pointOf(int k, double value)
{
    return QPoint(50 + 30 * k, 255 - static_cast<int>(std::lrint(200 * value)));
}

// Whether every pixel of `area` has `colour`.
bool allOf(const QImage& image, const QRect& area, const QColor& colour)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) != colour)
                return false;
    return true;
}

TEST_F(SignificanceTest, TesterDrawsTheEnvelopeAndTheSignificantShiftsAsShownSavedAndCopied)
{
    calculate(1);
    const QImage plain = drawPlain();
    ASSERT_TRUE(takeMessages().empty());
    std::optional<Qt::CursorShape> cursorWhileTesting;
    QObject context;
    QObject::connect(&chart(), &TForm4::significanceComputed, &context, [&] {
        if (const QCursor* cursor = QApplication::overrideCursor())
            cursorWhileTesting = cursor->shape();
    });
    click(chart(), "significanceButton");
    EXPECT_TRUE(takeMessages().empty());
    EXPECT_EQ(cursorWhileTesting, Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    const QImage tested = chartShown();

    const Significance expected = testSignificance(store(), {.first = 1, .permutations = 999, .seed = 1});
    // Shifts 1..14 have 5 pairs or more: each is marked by a red square when p < 0.05.
    int marked = 0;
    for (int k = 1; k <= 14; ++k) {
        const ShiftSignificance& shift = expected.eastWest[static_cast<std::size_t>(k)];
        ASSERT_TRUE(shift.r && shift.p) << k;
        const bool significant = *shift.p < 0.05;
        EXPECT_EQ(allOf(tested, QRect(pointOf(k, *shift.r) - QPoint(3, 3), QSize(7, 7)), red), significant) << k;
        marked += significant;
    }
    EXPECT_GT(marked, 0);
    EXPECT_LT(marked, 14);
    // Both bounds of shift 2 lie on red dashes that the plain chart does not have.
    for (const double bound : {*expected.eastWest[2].low, *expected.eastWest[2].high}) {
        const QRect around(pointOf(2, bound) - QPoint(5, 5), QSize(11, 11));
        EXPECT_FALSE(hasColour(plain, around, red)) << bound;
        EXPECT_TRUE(hasColour(tested, around, red)) << bound;
    }
    // The chart is the drawing of the store's figures with that test, and so are the
    // image saved and the one copied.
    ui::ChartFigures figures = ui::chartFiguresOf(store());
    figures.significance = expected;
    EXPECT_EQ(tested, ui::chartImage(figures));
    dialogs().fileToSave = pathOf("teste.png");
    click(chart(), "saveImageButton");
    EXPECT_EQ(QImage(pathOf("teste.png")).convertToFormat(tested.format()), tested);
    dialogs().fileToSave = pathOf("teste.svg");
    dialogs().filterToSave = 1;
    click(chart(), "saveImageButton");
    QImage rendered(ui::chartSize, QImage::Format_RGB32);
    QPainter painter(&rendered);
    QSvgRenderer(pathOf("teste.svg")).render(&painter);
    painter.end();
    EXPECT_TRUE(allOf(rendered, QRect(pointOf(4, *expected.eastWest[4].r) - QPoint(2, 2), QSize(5, 5)), red));
    chart().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&chart()));
    QTest::keyClick(&chart(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(tested.format()), tested);

    // The table saved from the results window carries p and the envelope of each shift.
    const QStringList lines = savedTable("teste.csv");
    ASSERT_GT(lines.size(), 9);
    EXPECT_EQ(lines[5], "Maille;R E_W;Paires E_W;R N_S;Paires N_S;p E_W;Bas E_W;Haut E_W;p N_S;Bas N_S;Haut N_S");
    const ShiftSignificance& third = expected.eastWest[3];
    EXPECT_EQ(lines[9].split(';').mid(5, 3),
              QStringList({QString::fromStdString(writeReal(*third.p, ",")), QString::fromStdString(writeReal(*third.low, ",")),
                           QString::fromStdString(writeReal(*third.high, ","))}));
}

TEST_F(SignificanceTest, ATestBelongsToTheCalculationItWasMadeFor)
{
    EXPECT_FALSE(testable());
    calculate(1);
    EXPECT_TRUE(testable());
    const QImage plain = drawPlain();
    click(chart(), "significanceButton");
    const QImage tested = chartShown();
    ASSERT_NE(tested, plain.copy(QRect(QPoint(0, 0), ui::chartSize)));

    // A new variable: nothing to test until it is calculated. The test stays with the
    // figures it was made for, on the chart and in the table.
    control<QComboBox>(mainWindow(), "Combobox_Var")->setCurrentIndex(1);
    click(mainWindow(), "ButtChoixVar");
    EXPECT_FALSE(testable());
    EXPECT_EQ(chartShown(), tested);
    EXPECT_TRUE(savedTable("avant.csv")[5].endsWith("Haut N_S"));

    // A new "Calculer" takes the test off the chart, which shows what "Afficher
    // Correlogramme" drew, and off the table.
    calculate(1);
    EXPECT_TRUE(testable());
    EXPECT_EQ(canvas(), plain);
    EXPECT_EQ(savedTable("apres.csv")[5], "Maille;R E_W;Paires E_W;R N_S;Paires N_S");

    // New points, new cells or a failed calculation leave nothing to test.
    click(mainWindow(), "ButtLit_Data");
    EXPECT_FALSE(testable());
    click(mainWindow(), "ButtNBMailles");
    EXPECT_FALSE(testable());
    calculate(1);
    EXPECT_TRUE(testable());
    takeMessages();
    calculate(2);
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("Opération en virgule flottante incorrecte.")});
    EXPECT_FALSE(testable());
}

TEST_F(SignificanceTest, AFailureGoesToTheErrorBoxWithTheCursorRestoredAndTheChartAsItWas)
{
    calculate(1);
    const QImage plain = drawPlain();
    takeMessages();
    // Two points in one cell whose values add up beyond the double range: the figures
    // cannot be aggregated again.
    store().Maille_Point[3] = store().Maille_Point[1];
    store().Donnees[1][1] = store().Donnees[3][1] = 1e308;
    click(chart(), "significanceButton");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("Débordement en virgule flottante.")});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(canvas(), plain);
}
