// The main window driven as a user would: typing, choosing, pressing the buttons.

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>

#include "numbertext.h"
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
    return {form.ButtLit_Data->isEnabled(),      form.PanNBMaillesPanel1->isVisible(),
            form.PanelLitVar->isVisible(),       form.ButtLit_Noms_Vars->isEnabled(),
            form.ButtChoixVar->isEnabled(),      form.ButtCalculer->isEnabled()};
}

constexpr State Start{false, false, false, true, false, false};
constexpr State LayoutChosen{true, false, false, true, false, false};
constexpr State PointsRead{true, true, false, true, false, false};
constexpr State CellsSet{true, true, true, true, false, false};
constexpr State NamesLoaded{true, true, true, true, true, false};
constexpr State VariableChosen{true, true, true, false, true, true};
constexpr State Computed{true, true, true, true, true, true};

// 100 points on a 10 x 10 lattice, numbered, with two variables of different patterns.
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

// Six points that fill 6 of the 16 cells of a 3 x 3 grid (37.5 %), without numbers.
const QByteArray sixPoints = "0 0 10 1\n3 3 20 2\n1.5 0.5 30 3\n2.5 0.5 40 4\n0.5 1.5 50 5\n1.5 1.5 60 6\n";

}  // namespace

class MainWindowTest : public WindowsTest {
protected:
    // Types the point file and the counts, chooses the layout and presses "Lit Data".
    void readPoints(const QString& file, const QString& points, const QString& variables, int layout)
    {
        type(Form1->EdNom_Fich, file);
        type(Form1->EdNBPoints, points);
        type(Form1->EdNBVar, variables);
        click(Form1->radioButton(layout));
        click(Form1->ButtLit_Data);
    }
    void setCells(const QString& cells)
    {
        type(Form1->EdNBMailles, cells);
        click(Form1->ButtNBMailles);
    }
    void loadNames(const QString& file)
    {
        type(Form1->EdNomsVars, file);
        click(Form1->ButtLit_Noms_Vars);
    }
    // The lattice read, N = 10, names "Alpha" and "Beta" loaded.
    void upToNames()
    {
        readPoints(writeFile("lattice.txt", latticeFile()), "100", "2", 0);
        setCells("10");
        loadNames(writeFile("noms.txt", "Alpha\nBeta\n"));
        ASSERT_EQ(stateOf(*Form1), NamesLoaded);
        takeMessages();
    }
};

TEST_F(MainWindowTest, StartsWithTheCursorInTheFileFieldAndOnlyTheFirstStepOpen)
{
    EXPECT_EQ(stateOf(*Form1), Start);
    EXPECT_TRUE(Form1->ButtFermer->isEnabled());
    EXPECT_TRUE(Form1->ButtAide->isEnabled());
    EXPECT_TRUE(Form1->Panel1->isVisible());
    EXPECT_EQ(Form1->focusWidget(), Form1->EdNom_Fich);
    EXPECT_EQ(Form1->selectedLayout(), -1);
    EXPECT_EQ(NBMailles, 10);
    EXPECT_EQ(Form1->EdNBMailles->text(), "");
    EXPECT_EQ(Form1->ENBPoints->text(), "1000");
    EXPECT_EQ(Form1->ENBVar->text(), "30");
    EXPECT_EQ(Form1->ENBMailles->text(), "30");
    EXPECT_TRUE(Form1->ENBPoints->isReadOnly());
    EXPECT_TRUE(takeMessages().empty());
}

TEST_F(MainWindowTest, TabOrderFollowsTheInputsThenThePanels)
{
    // With both panels open and every button enabled, Tab visits each control once.
    Form1->PanNBMaillesPanel1->show();
    Form1->PanelLitVar->show();
    for (QPushButton* button : {Form1->ButtLit_Data, Form1->ButtChoixVar, Form1->ButtCalculer})
        button->setEnabled(true);
    const std::vector<QWidget*> expected = {
        Form1->EdNom_Fich, Form1->EdNBPoints, Form1->EdNBVar, Form1->radioButton(0), Form1->ButtLit_Data,
        Form1->EdNBMailles, Form1->ButtNBMailles, Form1->ButtLit_Noms_Vars, Form1->EdNomsVars,
        Form1->Combobox_Var, Form1->ButtChoixVar, Form1->EdPourCent, Form1->ButtCalculer, Form1->ButtFermer,
        Form1->ENBPoints, Form1->ENBVar, Form1->ENBMailles, Form1->ButtAide, Form1->EdNom_Fich,
    };
    std::vector<QWidget*> visited = {QApplication::focusWidget()};
    while (visited.size() < expected.size()) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focus = QApplication::focusWidget();
        if (focus && focus->parentWidget() == Form1->Combobox_Var)
            focus = Form1->Combobox_Var;
        visited.push_back(focus);
    }
    EXPECT_EQ(visited, expected);
}

TEST_F(MainWindowTest, CompleteRoadPassesThroughEveryStateOfTheTable)
{
    click(Form1->radioButton(1));
    EXPECT_EQ(stateOf(*Form1), LayoutChosen);
    click(Form1->radioButton(0));  // another choice changes nothing
    EXPECT_EQ(stateOf(*Form1), LayoutChosen);

    readPoints(writeFile("lattice.txt", latticeFile()), "100", "2", 0);
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Données lues !")});
    EXPECT_EQ(stateOf(*Form1), PointsRead);
    EXPECT_EQ(NBPoints, 100);
    EXPECT_EQ(NBVar, 2);
    EXPECT_EQ(Coord[100][1], 9.5);
    EXPECT_EQ(Donnees[100][1], 36.0);

    setCells("10");
    EXPECT_EQ(stateOf(*Form1), CellsSet);
    EXPECT_EQ(NBMailles, 10);
    EXPECT_EQ(XMax, 9.5);

    // Reading again or validating again leaves the state as it is.
    click(Form1->ButtLit_Data);
    EXPECT_EQ(stateOf(*Form1), CellsSet);
    click(Form1->ButtNBMailles);
    EXPECT_EQ(stateOf(*Form1), CellsSet);
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Données lues !")});

    loadNames(writeFile("noms.txt", "Alpha\nBeta\nGamma\n"));
    EXPECT_EQ(stateOf(*Form1), NamesLoaded);
    ASSERT_EQ(Form1->Combobox_Var->count(), 3);
    EXPECT_EQ(Form1->Combobox_Var->itemText(0), "Alpha");
    EXPECT_EQ(Form1->Combobox_Var->itemText(2), "Gamma");
    EXPECT_EQ(Form1->Combobox_Var->currentIndex(), 0);
    EXPECT_EQ(Form1->Combobox_Var->currentText(), "Alpha");

    QTest::keyClick(Form1->Combobox_Var, Qt::Key_Down);  // Beta
    click(Form1->ButtChoixVar);
    EXPECT_EQ(stateOf(*Form1), VariableChosen);
    EXPECT_EQ(Num_Var, 2);
    EXPECT_EQ(Nom_Var, "Beta");
    EXPECT_EQ(Form1->EdPourCent->text(), QString::fromStdString(writeReal(PourCent, ",")));
    EXPECT_FALSE(Form2->isVisible());

    click(Form1->ButtCalculer);
    EXPECT_EQ(stateOf(*Form1), Computed);
    EXPECT_TRUE(Form2->isVisible());
    EXPECT_EQ(TForm2::rowCount(Form2->SG_EW), 11);

    // From "Computed", a new names file and a new choice keep their states.
    loadNames(pathOf("noms.txt"));
    EXPECT_EQ(stateOf(*Form1), Computed);
    click(Form1->ButtChoixVar);
    EXPECT_EQ(stateOf(*Form1), VariableChosen);
    EXPECT_EQ(Nom_Var, "Alpha");
    EXPECT_TRUE(takeMessages().empty());
}

TEST_F(MainWindowTest, SelectingNonReadsRowsWithoutPointNumbers)
{
    readPoints(writeFile("six.txt", sixPoints), "6", "2", 1);
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Données lues !")});
    EXPECT_EQ(Coord[3][1], 1.5);
    EXPECT_EQ(Donnees[6][2], 6.0);
}

TEST_F(MainWindowTest, FillPercentageUsesTheRegionalSeparator)
{
    readPoints(writeFile("six.txt", sixPoints), "6", "2", 1);
    setCells("3");
    loadNames(writeFile("noms.txt", "Alpha\nBeta\n"));
    click(Form1->ButtChoixVar);
    EXPECT_EQ(PourCent, 37.5);
    EXPECT_EQ(Form1->EdPourCent->text(), "37,5");

    geolago::ui::setDecimalSeparator(".");
    click(Form1->ButtChoixVar);
    EXPECT_EQ(Form1->EdPourCent->text(), "37.5");
}

TEST_F(MainWindowTest, LitDataFailuresKeepWhatWasDoneBefore)
{
    const QString file = writeFile("lattice.txt", latticeFile());
    click(Form1->radioButton(0));
    type(Form1->EdNom_Fich, file);

    // The point count: a trailing blank, and an empty field, stop before anything is stored.
    NBPoints = 7;
    type(Form1->EdNBPoints, "12 ");
    type(Form1->EdNBVar, "2");
    click(Form1->ButtLit_Data);
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("'12 ' n'est pas une valeur entière correcte.")});
    EXPECT_EQ(NBPoints, 7);
    type(Form1->EdNBPoints, "");
    click(Form1->ButtLit_Data);
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("'' n'est pas une valeur entière correcte.")});
    EXPECT_EQ(NBPoints, 7);

    // The variable count: the point count is already stored.
    type(Form1->EdNBPoints, "100");
    type(Form1->EdNBVar, "1.5");
    click(Form1->ButtLit_Data);
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("'1.5' n'est pas une valeur entière correcte.")});
    EXPECT_EQ(NBPoints, 100);
    EXPECT_EQ(NBVar, 0);

    // The file: both counts stand, no "Données lues !", the cells panel stays hidden.
    type(Form1->EdNBPoints, "$A");
    type(Form1->EdNBVar, "x2");
    type(Form1->EdNom_Fich, pathOf("absent.txt"));
    click(Form1->ButtLit_Data);
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("Fichier introuvable.")});
    EXPECT_EQ(NBPoints, 10);
    EXPECT_EQ(NBVar, 2);
    EXPECT_FALSE(Form1->PanNBMaillesPanel1->isVisible());

    type(Form1->EdNom_Fich, pathOf("no-folder/absent.txt"));
    click(Form1->ButtLit_Data);
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("Nom de fichier incorrect.")});

    type(Form1->EdNom_Fich, writeFile("bad.txt", "1 0 0 4 5\n2 1,5 0 4 5\n"));
    type(Form1->EdNBPoints, "2");
    click(Form1->ButtLit_Data);
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("Saisie numérique incorrecte.")});
    EXPECT_EQ(Coord[1][1], 0.0);
    EXPECT_FALSE(Form1->PanNBMaillesPanel1->isVisible());
}

TEST_F(MainWindowTest, CountsOutsideTheTablesAreRefusedBeforeTheyAreStored)
{
    const QString file = writeFile("lattice.txt", latticeFile());
    readPoints(file, "1001", "2", 0);
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Le nombre de points doit être compris entre 0 et 1000 !")});
    EXPECT_EQ(NBPoints, 0);
    EXPECT_EQ(NBVar, 0);
    EXPECT_FALSE(Form1->PanNBMaillesPanel1->isVisible());

    type(Form1->EdNBPoints, "-1");
    click(Form1->ButtLit_Data);
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Le nombre de points doit être compris entre 0 et 1000 !")});
    EXPECT_EQ(NBPoints, 0);

    // The point count is accepted and stored; the variable count is not.
    type(Form1->EdNBPoints, "100");
    type(Form1->EdNBVar, "31");
    click(Form1->ButtLit_Data);
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Le nombre de variables doit être compris entre 0 et 30 !")});
    EXPECT_EQ(NBPoints, 100);
    EXPECT_EQ(NBVar, 0);
    EXPECT_EQ(Coord[1][1], 0.0);
    EXPECT_FALSE(Form1->PanNBMaillesPanel1->isVisible());

    // The limits themselves are accepted.
    type(Form1->EdNBPoints, "0");
    type(Form1->EdNBVar, "30");
    click(Form1->ButtLit_Data);
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Données lues !")});
    EXPECT_EQ(NBPoints, 0);
    EXPECT_EQ(NBVar, 30);
}

TEST_F(MainWindowTest, ValiderAnswersEveryCellCount)
{
    readPoints(writeFile("lattice.txt", latticeFile()), "100", "2", 0);
    takeMessages();

    setCells("");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Il faut indiquer le nombre de mailles")});
    setCells("  ");  // blanks are not an empty text
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("'  ' n'est pas une valeur entière correcte.")});
    EXPECT_EQ(NBMailles, 10);

    setCells("31");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Mailles trop petites !")});
    EXPECT_EQ(NBMailles, 10);
    EXPECT_FALSE(Form1->PanelLitVar->isVisible());
    setCells("0");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Il faut au moins une maille par côté !")});
    setCells("-4");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Il faut au moins une maille par côté !")});
    EXPECT_EQ(NBMailles, 10);
    EXPECT_FALSE(Form1->PanelLitVar->isVisible());

    setCells("$1E");
    EXPECT_TRUE(takeMessages().empty());
    EXPECT_EQ(NBMailles, 30);
    EXPECT_TRUE(Form1->PanelLitVar->isVisible());
    setCells("1");
    EXPECT_EQ(NBMailles, 1);
}

TEST_F(MainWindowTest, PlacementFailureLeavesTheNewCountAndTheHiddenPanel)
{
    // All points share one X: the cell width is zero.
    readPoints(writeFile("line.txt", "1 5 0 1\n2 5 1 2\n3 5 2 3\n"), "3", "1", 0);
    takeMessages();
    setCells("4");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{error("Opération en virgule flottante incorrecte.")});
    EXPECT_EQ(NBMailles, 4);
    EXPECT_EQ(XMin, 5.0);
    EXPECT_FALSE(Form1->PanelLitVar->isVisible());
}

TEST_F(MainWindowTest, RefusedCellCountLeavesTheLaterStepsOnThePreviousOne)
{
    upToNames();
    setCells("31");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Mailles trop petites !")});
    setCells("0");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Il faut au moins une maille par côté !")});
    click(Form1->ButtChoixVar);
    click(Form1->ButtCalculer);
    EXPECT_TRUE(takeMessages().empty());
    EXPECT_EQ(NBMailles, 10);
    EXPECT_EQ(TForm2::rowCount(Form2->SG_EW), 11);
}

TEST_F(MainWindowTest, NamesFileAnswers)
{
    readPoints(writeFile("lattice.txt", latticeFile()), "100", "2", 0);
    setCells("10");
    takeMessages();

    loadNames("");
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Indiquez un nom de fichier !")});
    EXPECT_FALSE(Form1->ButtChoixVar->isEnabled());

    loadNames(pathOf("absent.txt"));
    const std::vector<Shown> shown = takeMessages();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, Shown::Error);
    EXPECT_TRUE(shown[0].text.startsWith("Impossible d'ouvrir le fichier \"" + pathOf("absent.txt") + "\". "))
        << shown[0].text.toStdString();
    EXPECT_TRUE(shown[0].text.endsWith("."));
    EXPECT_FALSE(shown[0].text.endsWith(".."));
    EXPECT_EQ(Form1->Combobox_Var->count(), 0);
    EXPECT_FALSE(Form1->ButtChoixVar->isEnabled());

    // A single-byte name is shown as its letters and kept as its bytes.
    loadNames(writeFile("latin1.txt", "F\xe9\x63ondit\xe9\r\nOuvriers\r\n"));
    ASSERT_EQ(Form1->Combobox_Var->count(), 2);
    EXPECT_EQ(Form1->Combobox_Var->itemText(0), "Fécondité");
    click(Form1->ButtChoixVar);
    EXPECT_EQ(Nom_Var, "F\xe9\x63ondit\xe9");
    EXPECT_EQ(Num_Var, 1);
    click(Form1->ButtCalculer);
    EXPECT_EQ(Form2->Label3->text(), "Fécondité");

    // An empty names file leaves no entry and the text shown as it was.
    loadNames(writeFile("empty.txt", ""));
    EXPECT_EQ(Form1->Combobox_Var->count(), 0);
    EXPECT_EQ(Form1->Combobox_Var->currentIndex(), -1);
    EXPECT_EQ(Form1->Combobox_Var->currentText(), "Fécondité");
    EXPECT_TRUE(takeMessages().empty());
}

TEST_F(MainWindowTest, VariableChoicesWithoutDataAreRefusedBeforeAnythingChanges)
{
    upToNames();

    // A name typed over an empty list: nothing is selected.
    loadNames(writeFile("empty.txt", ""));
    type(Form1->Combobox_Var->lineEdit(), "Ma variable");
    click(Form1->ButtChoixVar);
    EXPECT_EQ(takeMessages(), std::vector<Shown>{info("Aucune variable n'est choisie !")});
    EXPECT_EQ(Num_Var, 0);
    EXPECT_EQ(Nom_Var, "");
    EXPECT_EQ(stateOf(*Form1), NamesLoaded);

    // A name typed over a selected entry is kept as typed, under the entry's position.
    loadNames(pathOf("noms.txt"));
    type(Form1->Combobox_Var->lineEdit(), "Revenu médian");
    click(Form1->ButtChoixVar);
    EXPECT_EQ(Nom_Var, "Revenu médian");
    EXPECT_EQ(Num_Var, 1);
    click(Form1->ButtCalculer);  // "Valider Fichier" is usable again only after a calculation
    takeMessages();

    // A third name when the file held two variables.
    loadNames(writeFile("three.txt", "Alpha\nBeta\nGamma\n"));
    Form1->Combobox_Var->setCurrentIndex(2);
    click(Form1->ButtChoixVar);
    EXPECT_EQ(takeMessages(),
              std::vector<Shown>{info("La variable 3 n'a pas été lue : le fichier de données en compte 2 !")});
    EXPECT_EQ(Num_Var, 1);
    EXPECT_EQ(Nom_Var, "Revenu médian");

    // Beyond the 30th entry.
    QByteArray many;
    for (int i = 1; i <= 31; ++i)
        many += "V" + QByteArray::number(i) + "\n";
    loadNames(writeFile("many.txt", many));
    Form1->Combobox_Var->setCurrentIndex(30);
    click(Form1->ButtChoixVar);
    EXPECT_EQ(takeMessages(),
              std::vector<Shown>{info("La variable 31 n'a pas été lue : le fichier de données en compte 2 !")});
    EXPECT_EQ(Num_Var, 1);
}

TEST_F(MainWindowTest, CalculerRefillsAnOpenResultsWindow)
{
    upToNames();
    click(Form1->ButtChoixVar);
    click(Form1->ButtCalculer);
    ASSERT_TRUE(Form2->isVisible());
    EXPECT_EQ(Form2->Label3->text(), "Alpha");
    const QString firstR = TForm2::cellText(Form2->SG_EW, 1, 2);

    QTest::keyClick(Form1->Combobox_Var, Qt::Key_Down);
    click(Form1->ButtChoixVar);
    click(Form1->ButtCalculer);
    EXPECT_TRUE(takeMessages().empty());
    EXPECT_TRUE(Form2->isVisible());
    EXPECT_EQ(Form2->Label3->text(), "Beta");
    EXPECT_NE(TForm2::cellText(Form2->SG_EW, 1, 2), firstR);
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(TForm2::cellText(Form2->SG_EW, 1, k + 1), QString::fromStdString(writeReal(R_EW[k], ",")));
        EXPECT_EQ(TForm2::cellText(Form2->SG_NS, 2, k + 1), QString::number(Paires_NS[k]));
    }
}

TEST_F(MainWindowTest, AideShowsOneHelpWindowThatKeepsWhatWasTyped)
{
    click(Form1->ButtAide);
    ASSERT_TRUE(Form_Aide->isVisible());
    Form_Aide->Memo_Aide->moveCursor(QTextCursor::End);
    QTest::keyClicks(Form_Aide->Memo_Aide, "Ma note");
    click(Form1->ButtAide);
    EXPECT_TRUE(Form_Aide->isVisible());

    click(Form_Aide->Butt_Aide);
    EXPECT_FALSE(Form_Aide->isVisible());
    click(Form1->ButtAide);
    EXPECT_TRUE(Form_Aide->Memo_Aide->toPlainText().endsWith("Ma note"));
    EXPECT_EQ(stateOf(*Form1), Start);
}

TEST_F(MainWindowTest, FermerClosesTheMainWindowWhateverIsOpen)
{
    QSignalSpy closed(Form1, &TForm1::closed);
    click(Form1->ButtAide);
    click(Form1->ButtFermer);
    EXPECT_EQ(closed.count(), 1);
    EXPECT_FALSE(Form1->isVisible());
    EXPECT_TRUE(takeMessages().empty());
}

TEST_F(MainWindowTest, LocaleChangeReadsTheSeparatorAgain)
{
    geolago::ui::setDecimalSeparator("#");
    QEvent change(QEvent::LocaleChange);
    QApplication::sendEvent(Form1, &change);
    EXPECT_EQ(geolago::ui::decimalSeparator(), geolago::ui::separatorOf(QLocale::system()));
}
