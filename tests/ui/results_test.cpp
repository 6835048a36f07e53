// The results window: the two grids as the store holds the figures when it is shown, and
// the figures saved and copied.

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>

#include "installation.h"
#include "windows_fixture.h"

using namespace geolago;

class ResultsTest : public WindowsTest {
protected:
    // Values whose texts show the single-precision noise, as the correlations leave them.
    void fillTables()
    {
        for (int k = 0; k <= MaxMailles; ++k) {
            ew(k).r = static_cast<double>(static_cast<float>(0.8));
            ns(k).r = -0.25;
            ew(k).pairs = 100 - k;
            ns(k).pairs = k;
        }
        ew(0).r = 1.0;
        ns(0).r = static_cast<double>(0.99999994f);
        ew(9).r = 0.0;
        ns(9).r = static_cast<double>(0.00001f);
    }
    QTableWidget* grid(const char* name) { return control<QTableWidget>(results(), name); }
    QString label() { return control<QLabel>(results(), "Label3")->text(); }
};

TEST_F(ResultsTest, TenCellsGiveTheHeaderAndShiftsZeroToNine)
{
    fillTables();
    store().NBMailles = 10;
    store().Nom_Var = "Ouvriers";
    results().showFigures();

    EXPECT_EQ(label(), "Ouvriers");
    for (const QTableWidget* g : {grid("SG_EW"), grid("SG_NS")}) {
        EXPECT_EQ(rowCount(g), 11);
        EXPECT_EQ(g->columnCount(), 3);
        EXPECT_EQ(cellText(g, 0, 0), "Maille");
        EXPECT_EQ(cellText(g, 1, 0), "  R  ");
        EXPECT_EQ(cellText(g, 2, 0), "Paires de points");
        for (int k = 0; k < 10; ++k)
            EXPECT_EQ(cellText(g, 0, k + 1), QString::number(k));
        EXPECT_FALSE(g->item(0, 1)->flags() & Qt::ItemIsEditable);
    }
    const QTableWidget* ew = grid("SG_EW");
    const QTableWidget* ns = grid("SG_NS");
    EXPECT_EQ(cellText(ew, 1, 1), "1");
    EXPECT_EQ(cellText(ew, 1, 2), "0,800000011920929");
    EXPECT_EQ(cellText(ew, 1, 10), "0");
    EXPECT_EQ(cellText(ew, 2, 1), "100");
    EXPECT_EQ(cellText(ew, 2, 10), "91");
    EXPECT_EQ(cellText(ns, 1, 1), "0,999999940395355");
    EXPECT_EQ(cellText(ns, 1, 2), "-0,25");
    EXPECT_EQ(cellText(ns, 1, 10), "9,99999974737875E-6");
    EXPECT_EQ(cellText(ns, 2, 10), "9");
}

TEST_F(ResultsTest, ThirtyCellsScrollUnderTheFixedHeader)
{
    fillTables();
    store().NBMailles = 30;
    results().showFigures();
    for (QTableWidget* g : {grid("SG_EW"), grid("SG_NS")}) {
        EXPECT_EQ(rowCount(g), 31);
        EXPECT_EQ(cellText(g, 0, 30), "29");
        QTRY_VERIFY(g->verticalScrollBar()->isVisible());
        g->verticalScrollBar()->setValue(g->verticalScrollBar()->maximum());
        EXPECT_TRUE(g->horizontalHeader()->isVisible());
    }
    EXPECT_EQ(cellText(grid("SG_EW"), 2, 30), "71");
    EXPECT_EQ(cellText(grid("SG_NS"), 2, 30), "29");
}

TEST_F(ResultsTest, ShownAgainAfterFermerWithFewerCellsShowsOnlyTheNewRows)
{
    fillTables();
    store().NBMailles = 30;
    store().Nom_Var = "Une variable au nom long";
    results().showFigures();
    click(results(), "ButtFermer");
    EXPECT_FALSE(results().isVisible());
    EXPECT_EQ(rowCount(grid("SG_EW")), 31);  // hidden, not emptied

    store().NBMailles = 5;
    store().Nom_Var = "Court";
    ew(4).r = 0.5;
    results().showFigures();
    EXPECT_EQ(rowCount(grid("SG_EW")), 6);
    EXPECT_EQ(cellText(grid("SG_EW"), 1, 5), "0,5");
    EXPECT_EQ(label(), "Court");
}

TEST_F(ResultsTest, GraphiqueOpensTheChartBlank)
{
    store().NBMailles = 10;
    results().showFigures();
    click(results(), "Button1");
    ASSERT_TRUE(chart().isVisible());
    const QImage canvas = control<TChartCanvas>(chart(), "Canvas")->image();
    for (const QPoint p : {QPoint(50, 100), QPoint(400, 250), QPoint(60, 55)})
        EXPECT_EQ(canvas.pixelColor(p), QColor(Qt::black));
    EXPECT_TRUE(takeMessages().empty());
}

TEST_F(ResultsTest, SavedTablesReadBackAsTheWindowShowsThem)
{
    fillTables();
    store().NBMailles = 10;
    store().Nom_Var = "Élève; 1886";
    store().PourCent = 37.5;
    store().pointsFile = "points.txt";
    results().showFigures();

    dialogs().fileToSave = pathOf("figures");
    click(results(), "saveButton");
    EXPECT_TRUE(takeMessages().empty());
    QFile saved(pathOf("figures.csv"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(saved.readAll()).split('\n');
    // Under French settings: ";" between fields, "," in the numbers.
    EXPECT_EQ(lines.mid(0, 8), QStringList({"Variable;\"Élève; 1886\"", "Fichier de points;points.txt",
                                             "Mailles;10", "Mailles remplies (%);37,5", "Passage à zéro E_W;NA",
                                             "Passage à zéro N_S;NA", "", "Maille;R E_W;Paires E_W;R N_S;Paires N_S"}));
    ASSERT_EQ(lines.size(), 8 + 10 + 1);
    for (int k = 0; k < 10; ++k) {
        const QStringList fields = lines[8 + k].split(';');
        const QStringList shown = {cellText(grid("SG_EW"), 0, k + 1), cellText(grid("SG_EW"), 1, k + 1),
                                   cellText(grid("SG_EW"), 2, k + 1), cellText(grid("SG_NS"), 1, k + 1),
                                   cellText(grid("SG_NS"), 2, k + 1)};
        EXPECT_EQ(fields, shown) << "shift " << k;
    }
}

TEST_F(ResultsTest, CtrlCCopiesTheSelectedCellsOrTheWholeGrid)
{
    fillTables();
    store().NBMailles = 2;
    results().showFigures();
    QTableWidget* ns = grid("SG_NS");
    ns->setFocus();
    QTest::keyClick(ns, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              "Maille\tR\tPaires de points\n0\t0,999999940395355\t0\n1\t-0,25\t1\n");

    ns->setRangeSelected(QTableWidgetSelectionRange(0, 1, 1, 2), true);
    QTest::keyClick(ns, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "0,999999940395355\t0\n-0,25\t1\n");
}

TEST_F(ResultsTest, AnAccentOverACapitalIsShownWhole)
{
    store().NBMailles = 10;
    store().Nom_Var = "Élève";
    results().showFigures();
    // The text's line is that of "E_W", whose capitals reach y = 16: only the accent
    // stands above.
    const QImage window = results().grab().toImage();
    EXPECT_TRUE(hasColour(window, QRect(225, 0, 20, 16), QColor(255, 0, 0)));
}

TEST_F(ResultsTest, TheExampleShowsTheDistanceOfEachShiftAndWhereRFirstCrossesZero)
{
    const QString examples = geolago::drawing::exampleFolder();
    type(mainWindow(), "EdNom_Fich", examples + "/quartiers.txt");
    type(mainWindow(), "EdNBPoints", "80");
    type(mainWindow(), "EdNBVar", "12");
    click(mainWindow(), "yesButton");
    click(mainWindow(), "ButtLit_Data");
    type(mainWindow(), "EdNBMailles", "10");
    click(mainWindow(), "ButtNBMailles");
    type(mainWindow(), "EdNomsVars", examples + "/quartiers_noms.txt");
    click(mainWindow(), "ButtLit_Noms_Vars");
    control<QComboBox>(mainWindow(), "Combobox_Var")->setCurrentIndex(4);  // Logements sociaux
    click(mainWindow(), "ButtChoixVar");
    click(mainWindow(), "ButtCalculer");
    takeMessages();
    ASSERT_TRUE(results().isVisible());

    const QTableWidget* distances = grid("distancesGrid");
    EXPECT_EQ(rowCount(distances), 11);
    EXPECT_EQ(cellText(distances, 0, 0), "Maille");
    EXPECT_EQ(cellText(distances, 1, 0), "E_W");
    EXPECT_EQ(cellText(distances, 2, 0), "N_S");
    EXPECT_EQ(cellText(distances, 0, 2), "1");
    EXPECT_EQ(cellText(distances, 1, 1), "0");
    EXPECT_EQ(cellText(distances, 1, 2), "332,28");
    EXPECT_EQ(cellText(distances, 2, 2), "344,25");
    EXPECT_EQ(cellText(distances, 1, 5), "1 329,12");
    EXPECT_EQ(cellText(distances, 2, 10), "3 098,25");
    EXPECT_EQ(control<QLabel>(results(), "zeroCrossingEW")->text(), "Premier passage à zéro E_W : aucun");
    EXPECT_EQ(control<QLabel>(results(), "zeroCrossingNS")->text(), "Premier passage à zéro N_S : 369,221");
}

TEST_F(ResultsTest, ADistanceKeepsSixDigitsGroupedByThree)
{
    EXPECT_EQ(distanceText(0.0), "0");
    EXPECT_EQ(distanceText(332.28), "332,28");
    EXPECT_EQ(distanceText(2583.98765), "2 583,99");
    EXPECT_EQ(distanceText(1234567.8), "1 234 570");
    EXPECT_EQ(distanceText(0.0123456789), "0,0123457");
}
