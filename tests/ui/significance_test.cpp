// The chart window's test of 999 permutations, driven through the windows: what it draws,
// the table the results window saves with it, and the calculation it belongs to.

#include <cmath>
#include <optional>

#include <QApplication>
#include <QComboBox>

#include "chart_drawing.h"
#include "numbertext.h"
#include "results.h"
#include "significance.h"
#include "windows_fixture.h"

using namespace geolago;

namespace {

// Forty points in two columns along Y, without numbers, at X = 0.5 and 9.5: cells 1 and 20
// along X, which north-south never pairs beyond its shift 0, so that the chart holds the
// E_W curve alone. Variable 1 is a wave of 8 cells along Y, in opposite phases in the two
// columns, so that some shifts are significant and others not; variable 2 is the same
// everywhere.
QByteArray columnsFile()
{
    static const int wave[8] = {0, 7, 10, 7, 0, -7, -10, -7};
    QByteArray rows;
    for (int j = 0; j < 20; ++j) {
        const double value = wave[j % 8] + 0.3 * ((j * 7) % 5);
        const double opposite = wave[(j + 4) % 8] + 0.3 * ((j * 3) % 5);
        rows += "9.5 " + QByteArray::number(j) + ".25 " + QByteArray::number(value) + " 5\n";
        rows += "0.5 " + QByteArray::number(j) + ".25 " + QByteArray::number(opposite) + " 5\n";
    }
    return rows;
}

// The square of 7 x 7 pixels centred on the point of shift k at r, for N = 20 (a step of 30).
QRect markAt(int k, double r)
{
    return QRect(50 + 30 * k - 3, 255 - static_cast<int>(std::lrint(200 * r)) - 3, 7, 7);
}

bool allRed(const QImage& image, const QRect& area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) != QColor(255, 0, 0))
                return false;
    return true;
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
            type(mainWindow(), "EdNBMailles", "20");
            click(mainWindow(), "ButtNBMailles");
            type(mainWindow(), "EdNomsVars", writeFile("noms.txt", "Vague\nConstante\n"));
            click(mainWindow(), "ButtLit_Noms_Vars");
        }
        control<QComboBox>(mainWindow(), "Combobox_Var")->setCurrentIndex(variable - 1);
        click(mainWindow(), "ButtChoixVar");
        click(mainWindow(), "ButtCalculer");
        takeMessages();
    }
    // "Graphique", then "Afficher Correlogramme".
    QImage drawPlain()
    {
        click(results(), "Button1");
        click(chart(), "ButtAffiche");
        return chartShown();
    }
    QImage chartShown()
    {
        return control<TChartCanvas>(chart(), "Canvas")->image().copy(QRect(QPoint(0, 0), drawing::chartSize));
    }
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

TEST_F(SignificanceTest, TesterDrawsTheEnvelopeAndMarksTheSignificantShiftsUnderTheWaitCursor)
{
    calculate(1);
    const QImage plain = drawPlain();
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
    // Over the legend, a tooltip says what the marks mean.
    const auto* legend = chart().findChild<QWidget*>(QStringLiteral("significanceLegend"));
    ASSERT_NE(legend, nullptr);
    EXPECT_FALSE(legend->isHidden());
    EXPECT_TRUE(legend->toolTip().contains(QStringLiteral("p corrigé (maxT) ≤ 0,05"))) << legend->toolTip().toStdString();

    // Shifts 1..17 have 5 pairs or more: each is marked when its maxT p is at most 0.05.
    // The figures of this test, r, p and Holm's p checked once against numpy and a
    // separate reimplementation of the permutations: shifts 1, 3, 4, 5, 7, 8, 9, 11, 12,
    // 13 and 16 have a maxT p of 0.029 or less (and a Holm p of 0.034 or 0.048); shift 15
    // has p = 0.044 but a maxT p of 0.303, so it stays unmarked; shift 0 is untested.
    const double r[18] = {1,        0.721748, 0.054705,  -0.686277, -0.998169, -0.723927, -0.072271, 0.680616, 0.996312,
                          0.732621, 0.102789, -0.668215, -0.996119, -0.746656, -0.169202, 0.634348,  0.995039, 0.796427};
    for (int k = 1; k <= 17; ++k) {
        const bool marked = k != 2 && k != 6 && k != 10 && k != 14 && k != 15 && k != 17;
        EXPECT_EQ(allRed(tested, markAt(k, r[k])), marked) << k;
    }
    EXPECT_FALSE(allRed(tested, markAt(0, r[0])));
    // Both bounds of shift 2 lie on red dashes that the plain chart does not have.
    for (const double bound : {-0.35081233165699116, 0.30319231289261017}) {
        const QRect around = markAt(2, bound).adjusted(-2, -2, 2, 2);
        EXPECT_FALSE(hasColour(plain, around, QColor(255, 0, 0))) << bound;
        EXPECT_TRUE(hasColour(tested, around, QColor(255, 0, 0))) << bound;
    }

    // The image saved is the chart shown.
    dialogs().fileToSave = pathOf("teste.png");
    click(chart(), "saveImageButton");
    EXPECT_EQ(QImage(pathOf("teste.png")).convertToFormat(tested.format()), tested);

    // The results window saves p, low, high, Holm's p and the maxT p with the figures.
    const QStringList lines = savedTable("teste.csv");
    ASSERT_GT(lines.size(), 11);
    EXPECT_EQ(lines[7], "Maille;R E_W;Paires E_W;R N_S;Paires N_S;p E_W;Bas E_W;Haut E_W;p Holm E_W;p maxT E_W;"
                        "p N_S;Bas N_S;Haut N_S;p Holm N_S;p maxT N_S");
    EXPECT_EQ(lines[11].split(';').mid(5, 5).join(';'), "0,002;-0,376697996816365;0,33002788461947;0,034;0,002");
}

TEST_F(SignificanceTest, ATestBelongsToTheCalculationItWasMadeFor)
{
    EXPECT_FALSE(testable());
    calculate(1);
    EXPECT_TRUE(testable());
    const QImage plain = drawPlain();
    click(chart(), "significanceButton");
    const QImage tested = chartShown();
    ASSERT_NE(tested, plain);

    // A new variable: nothing to test until it is calculated; the test stays with the
    // figures it was made for, on the chart and in the table.
    control<QComboBox>(mainWindow(), "Combobox_Var")->setCurrentIndex(1);
    click(mainWindow(), "ButtChoixVar");
    EXPECT_FALSE(testable());
    EXPECT_EQ(chartShown(), tested);
    EXPECT_TRUE(savedTable("avant.csv")[7].endsWith("p maxT N_S"));

    // A new "Calculer" takes it off the chart, which shows what "Afficher Correlogramme"
    // drew, and off the table.
    calculate(1);
    EXPECT_TRUE(testable());
    EXPECT_EQ(chartShown(), plain);
    EXPECT_EQ(savedTable("apres.csv")[7], "Maille;R E_W;Paires E_W;R N_S;Paires N_S");

    // New points or new cells leave nothing to test either.
    click(mainWindow(), "ButtLit_Data");
    EXPECT_FALSE(testable());
    click(mainWindow(), "ButtNBMailles");
    calculate(1);
    ASSERT_TRUE(testable());
    click(mainWindow(), "ButtNBMailles");
    EXPECT_FALSE(testable());
}

TEST_F(SignificanceTest, AFailureGoesToTheErrorBoxAndLeavesTheChartAndTheCursorAsTheyWere)
{
    calculate(1);
    const QImage plain = drawPlain();
    // Two points in one cell whose values add up beyond the double range.
    store().Maille_Point[3] = store().Maille_Point[1];
    store().Donnees[1][1] = store().Donnees[3][1] = 1e308;
    click(chart(), "significanceButton");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("Débordement en virgule flottante.")});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(chartShown(), plain);
}
