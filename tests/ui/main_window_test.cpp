// The main window driven as a user would: typing, choosing, pressing the buttons.

#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QMimeData>
#include <QSignalSpy>
#include <QTimer>
#include <QUrl>

#include <sys/stat.h>

#include "installation.h"
#include "windows_fixture.h"

using namespace geolago;

namespace {

// The columns of the main window's state table.
struct State {
    bool litData, cellsPanel, variablesPanel, namesButton, choiceButton, calculer;
    bool operator==(const State&) const = default;
};

void PrintTo(const State& s, std::ostream* out)
{
    *out << "{Lit Data " << s.litData << ", cells panel " << s.cellsPanel << ", variables panel "
         << s.variablesPanel << ", Valider Fichier " << s.namesButton << ", Valider la variable "
         << s.choiceButton << ", Calculer " << s.calculer << "}";
}

State stateOf(const TForm1& form)
{
    const auto enabled = [&](const char* name) { return control(form, name)->isEnabled(); };
    const auto visible = [&](const char* name) { return control(form, name)->isVisible(); };
    return {enabled("ButtLit_Data"),      visible("PanNBMaillesPanel1"), visible("PanelLitVar"),
            enabled("ButtLit_Noms_Vars"), enabled("ButtChoixVar"),       enabled("ButtCalculer")};
}

constexpr State Start{false, false, false, true, false, false};
constexpr State RowsChosen{true, false, false, true, false, false};
constexpr State PointsRead{true, true, false, true, false, false};
constexpr State CellsSet{true, true, true, true, false, false};
constexpr State NamesLoaded{true, true, true, true, true, false};
constexpr State VariableChosen{true, true, true, false, true, true};
constexpr State Computed{true, true, true, true, true, true};
// Between "Valider la variable" and "Calculer": new points wait for their cells, a new N
// waits for the grid.
constexpr State CellsPending{true, true, true, false, false, false};
constexpr State GridPending{true, true, true, false, true, false};

// 100 points on a 10 x 10 lattice, with point numbers and two variables of different patterns.
QByteArray latticeFile()
{
    QByteArray rows;
    int number = 1;
    for (int j = 0; j < 10; ++j)
        for (int i = 0; i < 10; ++i) {
            const int smooth = 3 * i + j;
            const int rough = (i * 7 + j * 3) % 5 + (i % 2) * 4;
            rows += QByteArray::number(number++) + " " + QByteArray::number(i) + ".5 " + QByteArray::number(j)
                + ".25 " + QByteArray::number(smooth) + " " + QByteArray::number(rough) + "\n";
        }
    return rows;
}

// Ten points for N = 3, without numbers: variable 1 varies from cell to cell, variable 2
// is the same everywhere, so that its correlations fail.
const QByteArray tenPoints = "0 0 0 5\n1.5 1.5 2 5\n2.5 1.5 7 5\n3 1.5 1 5\n1.5 2.5 8 5\n2.5 2.5 2 5\n"
                             "3 2.5 8 5\n1.5 3 1 5\n2.5 3 8 5\n3 3 3 5\n";

// Six points that fill 6 of the 16 cells of a 3 x 3 grid (37.5 %), without numbers.
const QByteArray sixPoints = "0 0 10 1\n3 3 20 2\n1.5 0.5 30 3\n2.5 0.5 40 4\n0.5 1.5 50 5\n1.5 1.5 60 6\n";

}  // namespace

class MainWindowTest : public WindowsTest {
protected:
    // Types the point file and the counts, answers "Oui" or "Non" and presses "Lit Data".
    void readPoints(const QString& file, const QString& points, const QString& variables, bool rowsAreNumbered)
    {
        type(mainWindow(), "EdNom_Fich", file);
        type(mainWindow(), "EdNBPoints", points);
        type(mainWindow(), "EdNBVar", variables);
        chooseRows(rowsAreNumbered);
        click(mainWindow(), "ButtLit_Data");
    }
    void chooseRows(bool rowsAreNumbered) { click(mainWindow(), rowsAreNumbered ? "yesButton" : "noButton"); }
    void setCellsPerAxis(const QString& cells)
    {
        type(mainWindow(), "EdNBMailles", cells);
        click(mainWindow(), "ButtNBMailles");
    }
    void loadNames(const QString& file)
    {
        type(mainWindow(), "EdNomsVars", file);
        click(mainWindow(), "ButtLit_Noms_Vars");
    }
    // The lattice read, N = 10, names "Alpha" and "Beta" loaded.
    void upToNames()
    {
        readPoints(writeFile("lattice.txt", latticeFile()), "100", "2", true);
        setCellsPerAxis("10");
        loadNames(writeFile("noms.txt", "Alpha\nBeta\n"));
        ASSERT_EQ(stateOf(mainWindow()), NamesLoaded);
        takeMessages();
    }

    // Drags `file` from a file manager onto field `name` and drops it there.
    void dropFile(const char* name, const QString& file)
    {
        QWidget* field = control(mainWindow(), name);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(field, &enter);
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(field, &drop);
        settle();
    }

    QComboBox* variables() { return control<QComboBox>(mainWindow(), "Combobox_Var"); }
    QString text(const char* field) { return control<QLineEdit>(mainWindow(), field)->text(); }
    bool visible(const char* name) { return control(mainWindow(), name)->isVisible(); }
    QTableWidget* grid(const char* name) { return control<QTableWidget>(results(), name); }
};

TEST_F(MainWindowTest, StartsMaximisedAloneWithTheCursorInTheFileFieldAndOnlyTheFirstStepOpen)
{
    EXPECT_TRUE(mainWindow().isMaximized());
    EXPECT_FALSE(results().isVisible());
    EXPECT_FALSE(chart().isVisible());
    EXPECT_FALSE(help().isVisible());

    EXPECT_EQ(stateOf(mainWindow()), Start);
    EXPECT_TRUE(control(mainWindow(), "ButtFermer")->isEnabled());
    EXPECT_TRUE(control(mainWindow(), "ButtAide")->isEnabled());
    EXPECT_TRUE(visible("Panel1"));
    EXPECT_EQ(mainWindow().focusWidget(), control(mainWindow(), "EdNom_Fich"));
    EXPECT_FALSE(control<QRadioButton>(mainWindow(), "yesButton")->isChecked());
    EXPECT_FALSE(control<QRadioButton>(mainWindow(), "noButton")->isChecked());
    EXPECT_EQ(store().NBMailles, 10);
    EXPECT_EQ(text("EdNBMailles"), "");
    EXPECT_EQ(text("ENBPoints"), "1000");
    EXPECT_EQ(text("ENBVar"), "30");
    EXPECT_EQ(text("ENBMailles"), "30");
    EXPECT_TRUE(takeMessages().empty());
}

TEST_F(MainWindowTest, CompleteRoadPassesThroughEveryStateOfTheTable)
{
    chooseRows(false);
    EXPECT_EQ(stateOf(mainWindow()), RowsChosen);
    chooseRows(true);  // another choice changes nothing
    EXPECT_EQ(stateOf(mainWindow()), RowsChosen);

    readPoints(writeFile("lattice.txt", latticeFile()), "100", "2", true);
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Données lues !")});
    EXPECT_EQ(stateOf(mainWindow()), PointsRead);
    EXPECT_EQ(store().NBPoints, 100);
    EXPECT_EQ(store().NBVar, 2);
    EXPECT_EQ(store().Coord[100][1], 9.5);
    EXPECT_EQ(store().Donnees[100][1], 36.0);

    setCellsPerAxis("10");
    EXPECT_EQ(stateOf(mainWindow()), CellsSet);
    EXPECT_EQ(store().NBMailles, 10);
    EXPECT_EQ(store().XMax, 9.5);

    // Reading again or validating again leaves the state as it is.
    click(mainWindow(), "ButtLit_Data");
    EXPECT_EQ(stateOf(mainWindow()), CellsSet);
    click(mainWindow(), "ButtNBMailles");
    EXPECT_EQ(stateOf(mainWindow()), CellsSet);
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Données lues !")});

    loadNames(writeFile("noms.txt", "Alpha\nBeta\nGamma\n"));
    EXPECT_EQ(stateOf(mainWindow()), NamesLoaded);
    ASSERT_EQ(variables()->count(), 3);
    EXPECT_EQ(variables()->itemText(0), "Alpha");
    EXPECT_EQ(variables()->itemText(2), "Gamma");
    EXPECT_EQ(variables()->currentIndex(), 0);
    EXPECT_EQ(variables()->currentText(), "Alpha");

    QTest::keyClick(variables(), Qt::Key_Down);  // Beta
    click(mainWindow(), "ButtChoixVar");
    EXPECT_EQ(stateOf(mainWindow()), VariableChosen);
    EXPECT_EQ(store().Num_Var, 2);
    EXPECT_EQ(store().Nom_Var, "Beta");
    EXPECT_EQ(text("EdPourCent"), "100");  // a point in each of the 10 x 10 cells
    EXPECT_FALSE(results().isVisible());

    click(mainWindow(), "ButtCalculer");
    EXPECT_EQ(stateOf(mainWindow()), Computed);
    EXPECT_TRUE(results().isVisible());
    EXPECT_EQ(rowCount(grid("SG_EW")), 11);

    // From "Computed", a new names file and a new choice keep their states.
    loadNames(pathOf("noms.txt"));
    EXPECT_EQ(stateOf(mainWindow()), Computed);
    click(mainWindow(), "ButtChoixVar");
    EXPECT_EQ(stateOf(mainWindow()), VariableChosen);
    EXPECT_EQ(store().Nom_Var, "Alpha");
    EXPECT_TRUE(takeMessages().empty());
}

TEST_F(MainWindowTest, NonReadsRowsWithoutNumbersAndThePercentageTakesTheRegionalSeparator)
{
    readPoints(writeFile("six.txt", sixPoints), "6", "2", false);
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Données lues !")});
    EXPECT_EQ(store().Coord[3][1], 1.5);
    EXPECT_EQ(store().Donnees[6][2], 6.0);

    setCellsPerAxis("3");
    loadNames(writeFile("noms.txt", "Alpha\nBeta\n"));
    click(mainWindow(), "ButtChoixVar");
    EXPECT_EQ(text("EdPourCent"), "66,6666666666667");  // 6 of the 9 cells

    geolago::ui::setDecimalSeparator(".");
    click(mainWindow(), "ButtChoixVar");
    EXPECT_EQ(text("EdPourCent"), "66.6666666666667");
}

TEST_F(MainWindowTest, LitDataFailuresKeepWhatWasDoneBefore)
{
    const QString file = writeFile("lattice.txt", latticeFile());
    chooseRows(true);
    type(mainWindow(), "EdNom_Fich", file);

    // The point count: a trailing blank, and an empty field, stop before anything is stored.
    store().NBPoints = 7;
    type(mainWindow(), "EdNBPoints", "12 ");
    type(mainWindow(), "EdNBVar", "2");
    click(mainWindow(), "ButtLit_Data");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("'12 ' n'est pas une valeur entière correcte.")});
    EXPECT_EQ(store().NBPoints, 7);
    type(mainWindow(), "EdNBPoints", "");
    click(mainWindow(), "ButtLit_Data");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("'' n'est pas une valeur entière correcte.")});
    EXPECT_EQ(store().NBPoints, 7);

    // The variable count: the point count, converted, is not stored either.
    type(mainWindow(), "EdNBPoints", "100");
    type(mainWindow(), "EdNBVar", "1.5");
    click(mainWindow(), "ButtLit_Data");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("'1.5' n'est pas une valeur entière correcte.")});
    EXPECT_EQ(store().NBPoints, 7);
    EXPECT_EQ(store().NBVar, 0);

    // The file: both counts stand, no "Données lues !", the cells panel stays hidden.
    type(mainWindow(), "EdNBPoints", "$A");
    type(mainWindow(), "EdNBVar", "x2");
    type(mainWindow(), "EdNom_Fich", pathOf("absent.txt"));
    click(mainWindow(), "ButtLit_Data");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("Fichier introuvable.")});
    EXPECT_EQ(store().NBPoints, 10);
    EXPECT_EQ(store().NBVar, 2);
    EXPECT_FALSE(visible("PanNBMaillesPanel1"));

    type(mainWindow(), "EdNom_Fich", pathOf("no-folder/absent.txt"));
    click(mainWindow(), "ButtLit_Data");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("Nom de fichier incorrect.")});

    type(mainWindow(), "EdNom_Fich", writeFile("bad.txt", "1 0 0 4 5\n2 1,5 0 4 5\n"));
    type(mainWindow(), "EdNBPoints", "2");
    click(mainWindow(), "ButtLit_Data");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("Saisie numérique incorrecte.")});
    EXPECT_EQ(store().Coord[1][1], 0.0);
    EXPECT_FALSE(visible("PanNBMaillesPanel1"));
}

TEST_F(MainWindowTest, CountsOutsideTheTablesAreRefusedBeforeEitherIsStored)
{
    const QString file = writeFile("lattice.txt", latticeFile());
    readPoints(file, "1001", "2", true);
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Le nombre de points doit être compris entre 0 et 1000 !")});
    EXPECT_EQ(store().NBPoints, 0);
    EXPECT_EQ(store().NBVar, 0);
    EXPECT_FALSE(visible("PanNBMaillesPanel1"));

    type(mainWindow(), "EdNBPoints", "-1");
    click(mainWindow(), "ButtLit_Data");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Le nombre de points doit être compris entre 0 et 1000 !")});
    EXPECT_EQ(store().NBPoints, 0);

    // 100 points read; then 20 points with a refused or malformed variable count leave
    // both counts of the points read.
    type(mainWindow(), "EdNBPoints", "100");
    click(mainWindow(), "ButtLit_Data");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Données lues !")});
    type(mainWindow(), "EdNBPoints", "20");
    type(mainWindow(), "EdNBVar", "31");
    click(mainWindow(), "ButtLit_Data");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Le nombre de variables doit être compris entre 0 et 30 !")});
    type(mainWindow(), "EdNBVar", "x");
    click(mainWindow(), "ButtLit_Data");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("'x' n'est pas une valeur entière correcte.")});
    EXPECT_EQ(store().NBPoints, 100);
    EXPECT_EQ(store().NBVar, 2);

    // The limits themselves are accepted; the rows left unread are told.
    type(mainWindow(), "EdNBPoints", "0");
    type(mainWindow(), "EdNBVar", "30");
    click(mainWindow(), "ButtLit_Data");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Données lues !\nLe fichier contient 100 lignes de données ;"
                                                      " aucune n'a été lue.")});
    EXPECT_EQ(store().NBPoints, 0);
    EXPECT_EQ(store().NBVar, 30);
}

TEST_F(MainWindowTest, ValiderAnswersEveryCellCount)
{
    readPoints(writeFile("lattice.txt", latticeFile()), "100", "2", true);
    takeMessages();

    setCellsPerAxis("");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Il faut indiquer le nombre de mailles")});
    setCellsPerAxis("  ");  // blanks are not an empty text
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("'  ' n'est pas une valeur entière correcte.")});
    EXPECT_EQ(store().NBMailles, 10);

    setCellsPerAxis("31");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Mailles trop petites !")});
    EXPECT_EQ(store().NBMailles, 10);
    EXPECT_FALSE(visible("PanelLitVar"));
    setCellsPerAxis("0");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Il faut au moins une maille par côté !")});
    setCellsPerAxis("-4");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Il faut au moins une maille par côté !")});
    EXPECT_EQ(store().NBMailles, 10);
    EXPECT_FALSE(visible("PanelLitVar"));

    setCellsPerAxis("$1E");
    EXPECT_TRUE(takeMessages().empty());
    EXPECT_EQ(store().NBMailles, 30);
    EXPECT_TRUE(visible("PanelLitVar"));
    setCellsPerAxis("1");
    EXPECT_EQ(store().NBMailles, 1);
}

TEST_F(MainWindowTest, PlacementFailureLeavesTheNewCountAndTheHiddenPanel)
{
    // All points share one X: the cell width is zero.
    readPoints(writeFile("line.txt", "1 5 0 1\n2 5 1 2\n3 5 2 3\n"), "3", "1", true);
    takeMessages();
    setCellsPerAxis("4");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("Opération en virgule flottante incorrecte.")});
    EXPECT_EQ(store().NBMailles, 4);
    EXPECT_EQ(store().XMin, 5.0);
    EXPECT_FALSE(visible("PanelLitVar"));
}

TEST_F(MainWindowTest, RefusedCellCountLeavesTheLaterStepsOnThePreviousOne)
{
    upToNames();
    setCellsPerAxis("31");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Mailles trop petites !")});
    setCellsPerAxis("0");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Il faut au moins une maille par côté !")});
    click(mainWindow(), "ButtChoixVar");
    click(mainWindow(), "ButtCalculer");
    EXPECT_TRUE(takeMessages().empty());
    EXPECT_EQ(store().NBMailles, 10);
    EXPECT_EQ(rowCount(grid("SG_EW")), 11);
}

TEST_F(MainWindowTest, NamesFileAnswers)
{
    readPoints(writeFile("lattice.txt", latticeFile()), "100", "2", true);
    setCellsPerAxis("10");
    takeMessages();

    loadNames("");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Indiquez un nom de fichier !")});
    EXPECT_FALSE(control(mainWindow(), "ButtChoixVar")->isEnabled());

    loadNames(pathOf("absent.txt"));
    const std::vector<Shown> shown = takeMessages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, Shown::Error);
    EXPECT_TRUE(shown[0].text.startsWith("Impossible d'ouvrir le fichier \"" + pathOf("absent.txt") + "\". "))
        << shown[0].text.toStdString();
    EXPECT_TRUE(shown[0].text.endsWith("."));
    EXPECT_FALSE(shown[0].text.endsWith(".."));
    EXPECT_EQ(variables()->count(), 0);
    EXPECT_FALSE(control(mainWindow(), "ButtChoixVar")->isEnabled());

    // A single-byte name is shown as its letters and kept in UTF-8, as geolago-cli keeps it.
    loadNames(writeFile("latin1.txt", "F\xe9\x63ondit\xe9 d\x92\x9cufs\r\nOuvriers\r\n"));
    ASSERT_EQ(variables()->count(), 2);
    EXPECT_EQ(variables()->itemText(0), "Fécondité d’œufs");
    click(mainWindow(), "ButtChoixVar");
    EXPECT_EQ(store().Nom_Var, "Fécondité d’œufs");
    EXPECT_EQ(store().Num_Var, 1);
    click(mainWindow(), "ButtCalculer");
    EXPECT_EQ(control<QLabel>(results(), "Label3")->text(), "Fécondité d’œufs");

    // An empty names file leaves no entry and the text shown as it was.
    loadNames(writeFile("empty.txt", ""));
    EXPECT_EQ(variables()->count(), 0);
    EXPECT_EQ(variables()->currentIndex(), -1);
    EXPECT_EQ(variables()->currentText(), "Fécondité d’œufs");
    EXPECT_TRUE(takeMessages().empty());
}

TEST_F(MainWindowTest, ANamedPipeIsRefusedWithoutWaitingForAWriter)
{
    const QString pipe = pathOf("pipe.txt");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    mainWindow().setPointsFile(pipe);  // as the program starts with it
    settle();
    EXPECT_EQ(text("EdNBPoints"), "");
    readPoints(pipe, "4", "1", false);
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("Accès au fichier refusé.")});

    readPoints(writeFile("lattice.txt", latticeFile()), "100", "2", true);
    setCellsPerAxis("10");
    takeMessages();
    loadNames(pipe);
    const std::vector<Shown> expected{
        {Shown::Error, "Impossible d'ouvrir le fichier \"" + pipe + "\". Ce n'est pas un fichier ordinaire."}};
    EXPECT_EQ(takeMessages(), expected);
}

TEST_F(MainWindowTest, VariableChoicesWithoutDataAreRefusedBeforeAnythingChanges)
{
    upToNames();

    // A name typed over an empty list: nothing is selected.
    loadNames(writeFile("empty.txt", ""));
    type(variables()->lineEdit(), "Ma variable");
    click(mainWindow(), "ButtChoixVar");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Aucune variable n'est choisie !")});
    EXPECT_EQ(store().Num_Var, 0);
    EXPECT_EQ(store().Nom_Var, "");
    EXPECT_EQ(stateOf(mainWindow()), NamesLoaded);

    // A name typed over a selected entry names no variable, not the selected one's.
    loadNames(pathOf("noms.txt"));
    QTest::keyClick(variables(), Qt::Key_Down);  // Beta
    type(variables()->lineEdit(), "Inventée");
    click(mainWindow(), "ButtChoixVar");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Aucune variable n'est choisie !")});
    EXPECT_EQ(store().Num_Var, 0);
    EXPECT_EQ(store().Nom_Var, "");

    // A typed name equal to an entry's selects that entry.
    type(variables()->lineEdit(), "Alpha");
    click(mainWindow(), "ButtChoixVar");
    EXPECT_TRUE(takeMessages().empty());
    EXPECT_EQ(variables()->currentIndex(), 0);
    EXPECT_EQ(store().Nom_Var, "Alpha");
    EXPECT_EQ(store().Num_Var, 1);
    click(mainWindow(), "ButtCalculer");  // "Valider Fichier" is usable again only after a calculation
    takeMessages();

    // A third name when the file held two variables.
    loadNames(writeFile("three.txt", "Alpha\nBeta\nGamma\n"));
    variables()->setCurrentIndex(2);
    click(mainWindow(), "ButtChoixVar");
    EXPECT_EQ(takeMessages(),
              std::vector<Shown>{info("La variable 3 n'a pas été lue : le fichier de données en compte 2 !")});
    EXPECT_EQ(store().Num_Var, 1);
    EXPECT_EQ(store().Nom_Var, "Alpha");

    // Beyond the 30th entry.
    QByteArray many;
    for (int i = 1; i <= 31; ++i)
        many += "V" + QByteArray::number(i) + "\n";
    loadNames(writeFile("many.txt", many));
    variables()->setCurrentIndex(30);
    click(mainWindow(), "ButtChoixVar");
    EXPECT_EQ(takeMessages(),
              std::vector<Shown>{info("La variable 31 n'a pas été lue : le fichier de données en compte 2 !")});
    EXPECT_EQ(store().Num_Var, 1);
}

TEST_F(MainWindowTest, StepsThatWouldCombineStaleTablesWaitForTheStepsBefore)
{
    upToNames();
    click(mainWindow(), "ButtChoixVar");
    click(mainWindow(), "ButtCalculer");
    ASSERT_EQ(stateOf(mainWindow()), Computed);

    // A new N: "Calculer" waits for the grid of that N.
    setCellsPerAxis("20");
    EXPECT_EQ(stateOf(mainWindow()), NamesLoaded);
    click(mainWindow(), "ButtChoixVar");
    EXPECT_EQ(stateOf(mainWindow()), VariableChosen);
    click(mainWindow(), "ButtCalculer");
    EXPECT_EQ(store().PourCent, 25.0);  // 100 of the 400 cells
    EXPECT_EQ(rowCount(grid("SG_EW")), 21);

    // New points: the variable and "Calculer" wait for their cells.
    readPoints(writeFile("six.txt", sixPoints), "6", "2", false);
    EXPECT_EQ(stateOf(mainWindow()), CellsSet);
    setCellsPerAxis("3");
    EXPECT_EQ(stateOf(mainWindow()), NamesLoaded);
    click(mainWindow(), "ButtChoixVar");
    EXPECT_NEAR(store().PourCent, 600.0 / 9, 1e-12);
    readPoints(pathOf("six.txt"), "6", "2", false);
    EXPECT_EQ(stateOf(mainWindow()), CellsPending);

    // A grid that cannot be filled (two sums beyond the double range in one cell) leaves
    // "Calculer" closed, and "Valider Fichier", which waits for a calculation, open.
    readPoints(writeFile("huge.txt", "0 0 1e308 0\n0.5 0.5 1e308 0\n3 3 1 0\n"), "3", "2", false);
    setCellsPerAxis("3");
    takeMessages();
    click(mainWindow(), "ButtChoixVar");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("Débordement en virgule flottante.")});
    EXPECT_EQ(stateOf(mainWindow()), NamesLoaded);
}

TEST_F(MainWindowTest, AFailedCalculerHidesTheResultsAndTheChartOfTheOneBefore)
{
    readPoints(writeFile("ten.txt", tenPoints), "10", "2", false);
    setCellsPerAxis("3");
    loadNames(writeFile("noms.txt", "Alpha\nBeta\n"));
    click(mainWindow(), "ButtChoixVar");
    click(mainWindow(), "ButtCalculer");
    click(results(), "Button1");
    ASSERT_TRUE(results().isVisible());
    ASSERT_TRUE(chart().isVisible());
    takeMessages();

    QTest::keyClick(variables(), Qt::Key_Down);  // Beta, the same in every cell
    click(mainWindow(), "ButtChoixVar");
    click(mainWindow(), "ButtCalculer");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("Opération en virgule flottante incorrecte.")});
    EXPECT_FALSE(results().isVisible());
    EXPECT_FALSE(chart().isVisible());
    EXPECT_EQ(stateOf(mainWindow()), Computed);  // "Valider Fichier" open again, as after any "Calculer"
}

TEST_F(MainWindowTest, AReadingFailureShowsWhereItAroseUnderItsMessage)
{
    const QString file = writeFile("bad.txt", "1 0 0 4\n\n2 1,5 0 4\n");
    readPoints(file, "2", "1", true);
    std::vector<Shown> shown = takeMessages();
    ASSERT_EQ(shown, std::vector<Shown>{error("Saisie numérique incorrecte.")});
    EXPECT_EQ(shown[0].details, "Fichier : " + file + "\nLigne : 3\nPoint : 2\nColonne : X\nValeur lue : « 1,5 »");

    type(mainWindow(), "EdNom_Fich", pathOf("absent.txt"));
    click(mainWindow(), "ButtLit_Data");
    shown = takeMessages();
    ASSERT_EQ(shown, std::vector<Shown>{error("Fichier introuvable.")});
    EXPECT_EQ(shown[0].details, "Fichier : " + pathOf("absent.txt"));
}

TEST_F(MainWindowTest, CalculerRefillsAnOpenResultsWindowWhoseGraphiqueDrawsTheNewCurves)
{
    upToNames();
    click(mainWindow(), "ButtChoixVar");
    click(mainWindow(), "ButtCalculer");
    ASSERT_TRUE(results().isVisible());
    EXPECT_EQ(control<QLabel>(results(), "Label3")->text(), "Alpha");
    const QString firstR = cellText(grid("SG_EW"), 1, 2);

    QTest::keyClick(variables(), Qt::Key_Down);  // Beta, whose correlations fall off
    click(mainWindow(), "ButtChoixVar");
    click(mainWindow(), "ButtCalculer");
    EXPECT_TRUE(results().isVisible());
    EXPECT_EQ(control<QLabel>(results(), "Label3")->text(), "Beta");
    EXPECT_NE(cellText(grid("SG_EW"), 1, 2), firstR);
    // Beta's r east-west and pairs north-south, by numpy's corrcoef on the lattice's cells.
    const char* eastWest[] = {"1",   "0,5", "0,666666666666667", "0,666666666666667", "0,5",
                              "1",   "0,5", "0,666666666666667", "0,666666666666667", "0,5"};
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(cellText(grid("SG_EW"), 1, k + 1), eastWest[k]) << "E_W " << k;
        EXPECT_EQ(cellText(grid("SG_NS"), 2, k + 1), QString::number(k < 9 ? 100 - 10 * k : 0)) << "N_S " << k;
    }

    click(results(), "Button1");
    ASSERT_TRUE(chart().isVisible());
    click(chart(), "ButtAffiche");
    EXPECT_TRUE(takeMessages().empty());
    // A red segment below the reference line at r = 1: Beta's pair counts were read.
    const QImage image = control<TChartCanvas>(chart(), "Canvas")->image();
    EXPECT_TRUE(hasColour(image, QRect(52, 60, 600, 390), QColor(255, 0, 0)));
}

TEST_F(MainWindowTest, FilesChosenInTheDialogOrDroppedProposeTheirLayoutAndReadNothing)
{
    // Empty field: the dialog starts in the example's folder.
    const QString lattice = writeFile("lattice.txt", latticeFile());
    dialogs().fileToOpen = lattice;
    click(mainWindow(), "pointsFileButton");
    EXPECT_EQ(dialogs().openedIn, std::vector<QString>{geolago::drawing::exampleFolder()});
    EXPECT_EQ(text("EdNom_Fich"), lattice);
    EXPECT_EQ(text("EdNBPoints"), "100");
    EXPECT_EQ(text("EdNBVar"), "2");
    EXPECT_TRUE(control<QRadioButton>(mainWindow(), "yesButton")->isChecked());
    EXPECT_EQ(text("EdNBMailles"), "10");  // the later steps proposed too
    EXPECT_EQ(text("EdNomsVars"), "");     // no lattice_noms.txt beside it
    EXPECT_EQ(stateOf(mainWindow()), RowsChosen);
    EXPECT_EQ(store().NBPoints, 0);

    // Another file while the counts are the ones proposed: its own, and its names file;
    // from the folder of the field's file.
    dialogs().fileToOpen = writeFile("six.txt", sixPoints);
    const QString sixNames = writeFile("six_noms.txt", "Un\nDeux\n");
    click(mainWindow(), "pointsFileButton");
    EXPECT_EQ(dialogs().openedIn.back(), QFileInfo(lattice).absolutePath());
    EXPECT_EQ(text("EdNBPoints"), "6");
    EXPECT_EQ(text("EdNBVar"), "2");
    EXPECT_EQ(text("EdNomsVars"), sixNames);
    EXPECT_TRUE(control<QRadioButton>(mainWindow(), "noButton")->isChecked());

    // A count the user typed stays; a dropped file sets the field.
    type(mainWindow(), "EdNBPoints", "5");
    dropFile("EdNom_Fich", lattice);
    EXPECT_EQ(text("EdNom_Fich"), lattice);
    EXPECT_EQ(text("EdNBPoints"), "5");
    EXPECT_EQ(text("EdNBVar"), "2");
    EXPECT_EQ(text("EdNomsVars"), "");  // the names proposed for six.txt are not lattice's

    const QString names = writeFile("noms.txt", "Alpha\nBeta\n");
    dropFile("EdNomsVars", names);
    EXPECT_EQ(text("EdNomsVars"), names);
    EXPECT_TRUE(takeMessages().empty());
}

// A large file's first look and reading run off the window's thread: the window answers
// meanwhile, says what it is doing, and "Annuler" leaves everything as it was.
TEST_F(MainWindowTest, LargeFilesAreLookedAtAndReadInTheBackgroundAndCanBeCancelled)
{
    QByteArray rows = "x,y,v\n";
    for (int i = 0; i < 2'000'000; ++i)
        rows += QByteArray::number(i % 1000) + ',' + QByteArray::number(i / 1000) + ',' + QByteArray::number(i % 7) + '\n';
    const QString large = writeFile("grand.csv", rows);
    const QWidget* frame = control(mainWindow(), "backgroundTask");
    // Shown at once, whatever this machine's speed: the wait is what differs.
    mainWindow().findChild<ui::BackgroundTask*>()->setWait(std::chrono::milliseconds(0));
    auto answers = [] {
        bool fired = false;
        QTimer::singleShot(0, [&] { fired = true; });
        QTest::qWait(20);
        return fired;
    };

    mainWindow().setPointsFile(large);
    ASSERT_FALSE(frame->isHidden());
    EXPECT_EQ(control<QLabel>(mainWindow(), "backgroundDoing")->text(), "Examen de grand.csv…");
    EXPECT_TRUE(answers());
    click(mainWindow(), "backgroundCancel");
    EXPECT_TRUE(frame->isHidden());
    EXPECT_EQ(text("EdNBPoints"), "");  // nothing proposed
    EXPECT_EQ(text("EdNom_Fich"), large);

    // "Lit Data" too: cancelled, the store keeps the points read before.
    readPoints(writeFile("six.txt", sixPoints), "6", "2", false);
    takeMessages();
    type(mainWindow(), "EdNom_Fich", large);
    type(mainWindow(), "EdNBPoints", "1000");
    type(mainWindow(), "EdNBVar", "1");
    QTest::mouseClick(control<QAbstractButton>(mainWindow(), "ButtLit_Data"), Qt::LeftButton);
    ASSERT_FALSE(frame->isHidden());
    EXPECT_TRUE(answers());
    click(mainWindow(), "backgroundCancel");
    EXPECT_EQ(store().NBPoints, 6);
    EXPECT_EQ(store().Donnees[6][2], 6.0);
    EXPECT_TRUE(takeMessages().empty());
}

TEST_F(MainWindowTest, ADelimitedTextIsItsOwnNamesFileAndReadsInItsFormat)
{
    // sixPoints as a French spreadsheet writes them, numbered, the second without "pente",
    // and a row without Y.
    const QString csv = writeFile("sols.csv", "\xEF\xBB\xBFnum;X;Y;pente;argile;quartier\r\n"
                                              "1;0;0;10;1;Nord\r\n2;3;3;;2;Nord\r\n3;1,5;0,5;30;3;Sud\r\n"
                                              "4;2;;35;3;Sud\r\n5;2,5;0,5;40;4;Sud\r\n6;0,5;1,5;50;5;Est\r\n"
                                              "7;1,5;1,5;60;6;Est\r\n");
    dialogs().fileToOpen = csv;
    click(mainWindow(), "pointsFileButton");
    EXPECT_EQ(text("EdNBPoints"), "6");
    EXPECT_EQ(text("EdNBVar"), "2");
    EXPECT_TRUE(control<QRadioButton>(mainWindow(), "yesButton")->isChecked());
    EXPECT_EQ(text("EdNomsVars"), csv);

    click(mainWindow(), "ButtLit_Data");
    EXPECT_EQ(takeMessages(),
              std::vector<Shown>{info("Données lues !\nLa colonne \"quartier\" contient du texte (\"Nord\" à la ligne 2) :"
                                      " ce n'est pas une variable.\n1 ligne sans coordonnée a été ignorée : ligne 5.")});
    setCellsPerAxis("3");
    click(mainWindow(), "ButtLit_Noms_Vars");
    ASSERT_EQ(variables()->count(), 2);
    EXPECT_EQ(variables()->itemText(0), "pente");
    EXPECT_EQ(variables()->itemText(1), "argile");
    // The point without "pente" fills none of its cells.
    click(mainWindow(), "ButtChoixVar");
    EXPECT_NEAR(store().PourCent, 500.0 / 9, 1e-12);
    variables()->setCurrentIndex(1);
    click(mainWindow(), "ButtChoixVar");
    EXPECT_NEAR(store().PourCent, 600.0 / 9, 1e-12);
    EXPECT_TRUE(takeMessages().empty());
}

TEST_F(MainWindowTest, AnInputBeyondTheTablesIsProposedAtTheirLimitsAndReadInPart)
{
    // 1200 rows of 32 variables in a CSV, and the same rows' first two in a point file.
    QByteArray csv = "x,y", points;
    for (int v = 1; v <= 32; ++v)
        csv += ",v" + QByteArray::number(v);
    csv += "\n";
    for (int i = 1; i <= 1200; ++i) {
        const QByteArray xy = QByteArray::number(i % 40) + "," + QByteArray::number(i / 40);
        csv += xy;
        for (int v = 1; v <= 32; ++v)
            csv += "," + QByteArray::number((i * v) % 17);
        csv += "\n";
        points += QByteArray(xy).replace(',', ' ') + " " + QByteArray::number(i % 17) + " "
            + QByteArray::number((i * 2) % 17) + "\n";
    }
    dialogs().fileToOpen = writeFile("grand.csv", csv);
    click(mainWindow(), "pointsFileButton");
    EXPECT_EQ(text("EdNBPoints"), "1000");
    EXPECT_EQ(text("EdNBVar"), "30");
    click(mainWindow(), "ButtLit_Data");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Données lues !\nLe fichier contient 32 variables ; seules les 30"
                                                      " premières ont été lues.\nLe fichier contient 1200 lignes de"
                                                      " données ; seules les 1000 premières ont été lues.")});
    EXPECT_EQ(store().NBPoints, 1000);
    EXPECT_EQ(store().NBVar, 30);
    EXPECT_EQ(store().Coord[1000][1], 0.0);
    EXPECT_EQ(store().Coord[1000][2], 25.0);
    EXPECT_EQ(store().Donnees[1000][30], (1000 * 30) % 17);

    // A point file's rows are its own: only the points are bounded.
    dialogs().fileToOpen = writeFile("grand.txt", points);
    click(mainWindow(), "pointsFileButton");
    EXPECT_EQ(text("EdNBPoints"), "1000");
    EXPECT_EQ(text("EdNBVar"), "2");
    click(mainWindow(), "ButtLit_Data");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Données lues !\nLe fichier contient 1200 lignes de données ;"
                                                      " seules les 1000 premières ont été lues.")});
    EXPECT_EQ(store().Donnees[1000][2], (1000 * 2) % 17);
}

TEST_F(MainWindowTest, AideShowsOneHelpWindowThatKeepsWhatWasTyped)
{
    click(mainWindow(), "ButtAide");
    ASSERT_TRUE(help().isVisible());
    auto* memo = control<QPlainTextEdit>(help(), "Memo_Aide");
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, "Ma note");
    click(mainWindow(), "ButtAide");
    EXPECT_TRUE(help().isVisible());

    click(help(), "Butt_Aide");
    EXPECT_FALSE(help().isVisible());
    click(mainWindow(), "ButtAide");
    EXPECT_TRUE(help().isVisible());
    EXPECT_TRUE(memo->toPlainText().endsWith("Ma note"));
    EXPECT_EQ(stateOf(mainWindow()), Start);
}

TEST_F(MainWindowTest, FermerClosesTheMainWindowWhateverIsOpen)
{
    QSignalSpy closed(&mainWindow(), &TForm1::closed);
    click(mainWindow(), "ButtAide");
    click(mainWindow(), "ButtFermer");
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(mainWindow().isVisible());
    EXPECT_TRUE(takeMessages().empty());
}

TEST_F(MainWindowTest, LocaleChangeReadsTheSeparatorAgain)
{
    geolago::ui::setDecimalSeparator("#");
    QEvent change(QEvent::LocaleChange);
    QApplication::sendEvent(&mainWindow(), &change);
    EXPECT_EQ(geolago::ui::decimalSeparator(), geolago::ui::separatorOf(QLocale::system()));
}
