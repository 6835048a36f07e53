#include "Page_1.h"

#include <algorithm>

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

#include <exception>
#include <memory>
#include <optional>

#include "analysis.h"
#include "background.h"
#include "dialogs.h"
#include "controls.h"
#include "messages.h"
#include "numbertext.h"
#include "readers.h"
#include "refusals.h"
#include "regional.h"
#include "store.h"
#include "texts.h"

using namespace geolago;
using namespace geolago::ui;
using namespace geolago::drawing;

TForm1::TForm1(Store& store, QWidget* parent) : QWidget(parent), store_(store)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Corrélograme"));
    setFont(garamond(16, true));
    setWindowColours(this, clBlack, clYellow);
    placeWindowCentred(this, 831, 714);

    buildInputs();
    buildPanels();
    // Free space of the right column, between the cells panel and "Aide".
    background_ = new BackgroundTask(this, 648, 252, 137, 100);
    setColoursAndTabOrder();
    connectHandlers();
}

void TForm1::buildInputs()
{
    const QFont field = garamond(16, true);

    // Title area.
    const QFont title = garamond(27, true);
    const QFont subtitle = garamond(24, true);
    makeLabel(this, "Label8", QStringLiteral("GEOLAGO"), 352, 16, &title);
    makeLabel(this, "Label1", QStringLiteral("Calcul du Corrélogramme"), 272, 48, &subtitle);
    makeLabel(this, "Label2", QStringLiteral("Analyse spatiale d'une variable sur une grille"), 312, 80, &field);

    // Inputs.
    const QFont heading = garamond(21, true);
    makeLabel(this, "Label3", QStringLiteral("Entrées"), 24, 96, &heading);
    makeLabel(this, "Label4", QStringLiteral("Données sur quel fichier ?"), 40, 128);
    EdNom_Fich = makeEdit(this, "EdNom_Fich", 232, 120, 209, 26, field);
    makeLabel(this, "Label5", QStringLiteral("Combien de Points ?"), 80, 152);
    EdNBPoints = makeEdit(this, "EdNBPoints", 232, 144, 65, 26, field);
    makeLabel(this, "Label6", QStringLiteral("Combien de Variables ?"), 56, 176);
    EdNBVar = makeEdit(this, "EdNBVar", 232, 168, 65, 26, field);
    makeLabel(this, "Label7", QStringLiteral("Y-a-t-il un numéro avant les coordonnées ?"), 48, 200);

    auto* RG_Numero_Avant = new QGroupBox(this);
    RG_Numero_Avant->setObjectName(QStringLiteral("RG_Numero_Avant"));
    RG_Numero_Avant->setGeometry(344, 176, 65, 49);
    rowLayoutChoice_ = new QButtonGroup(this);
    yesButton_ = new QRadioButton(QStringLiteral("Oui"), RG_Numero_Avant);
    yesButton_->setObjectName(QStringLiteral("yesButton"));
    yesButton_->setGeometry(8, 4, 52, 20);
    noButton_ = new QRadioButton(QStringLiteral("Non"), RG_Numero_Avant);
    noButton_->setObjectName(QStringLiteral("noButton"));
    noButton_->setGeometry(8, 25, 52, 20);
    rowLayoutChoice_->addButton(yesButton_);
    rowLayoutChoice_->addButton(noButton_);

    ButtLit_Data = makeButton(this, "ButtLit_Data", QStringLiteral("Lit Data"), 120, 232, 145, 33);
    // In the free space right of the point file's field.
    pointsFileButton_ = makeButton(this, "pointsFileButton", QStringLiteral("…"), 446, 120, 32, 26);
}

void TForm1::buildPanels()
{
    const QFont field = garamond(16, true);
    const QFont limits = garamond(19, true);

    // Cells panel.
    PanNBMaillesPanel1 = makePanel(this, "PanNBMaillesPanel1", 496, 120, 289, 121);
    makeLabel(PanNBMaillesPanel1, "Label10", QStringLiteral("NB de Mailles ?"), 56, 24);
    EdNBMailles = makeEdit(PanNBMaillesPanel1, "EdNBMailles", 184, 16, 73, 26, field);
    setFieldColours(EdNBMailles, clBlue, clWhite);
    ButtNBMailles = makeButton(PanNBMaillesPanel1, "ButtNBMailles", QStringLiteral("Valider"), 104, 64, 97, 41);

    // Variables panel.
    PanelLitVar = makePanel(this, "PanelLitVar", 16, 280, 617, 177);
    makeLabel(PanelLitVar, "Label9", QStringLiteral("Sur quel fichier les noms de variables ? "), 16, 7);
    EdNomsVars = makeEdit(PanelLitVar, "EdNomsVars", 16, 40, 313, 26, field);
    ButtLit_Noms_Vars =
        makeButton(PanelLitVar, "ButtLit_Noms_Vars", QStringLiteral("Valider Fichier"), 336, 40, 233, 25);
    Combobox_Var = new QComboBox(PanelLitVar);
    Combobox_Var->setObjectName(QStringLiteral("Combobox_Var"));
    Combobox_Var->setEditable(true);
    Combobox_Var->setInsertPolicy(QComboBox::NoInsert);
    Combobox_Var->setFont(field);
    Combobox_Var->setGeometry(16, 80, 313, 26);
    ButtChoixVar = makeButton(PanelLitVar, "ButtChoixVar", QStringLiteral("Valider la variable"), 336, 72, 233, 33);
    // The only free space on the names file's row: right of "Valider Fichier".
    namesFileButton_ = makeButton(PanelLitVar, "namesFileButton", QStringLiteral("…"), 576, 40, 32, 25);
    makeLabel(PanelLitVar, "Label15", QStringLiteral("Pourcentage de Mailles remplies ="), 64, 136);
    EdPourCent = makeEdit(PanelLitVar, "EdPourCent", 312, 128, 89, 26, field);
    makeLabel(PanelLitVar, "Label16", QStringLiteral("%"), 408, 136);

    // Limits panel.
    QFrame* Panel1 = makePanel(this, "Panel1", 16, 480, 617, 161);
    makeLabel(Panel1, "Label11", QStringLiteral("Contraintes : "), 104, 32, &limits);
    makeLabel(Panel1, "Label12", QStringLiteral("Nombre maximal de points"), 248, 32, &limits);
    ENBPoints = makeEdit(Panel1, "ENBPoints", 488, 32, 65, 26, field);
    makeLabel(Panel1, "Label13", QStringLiteral("Nombre de variables"), 248, 64, &limits);
    ENBVar = makeEdit(Panel1, "ENBVar", 488, 64, 65, 26, field);
    makeLabel(Panel1, "Label14", QStringLiteral("Nombre maximal de mailles"), 248, 96, &limits);
    ENBMailles = makeEdit(Panel1, "ENBMailles", 488, 96, 65, 26, field);

    // Right column.
    ButtAide = makeButton(this, "ButtAide", QStringLiteral("Aide"), 656, 360, 129, 105);
    ButtCalculer = makeButton(this, "ButtCalculer", QStringLiteral("Calculer"), 656, 480, 129, 97);
    ButtFermer = makeButton(this, "ButtFermer", QStringLiteral("Fermer"), 656, 584, 129, 57);
}

void TForm1::setColoursAndTabOrder()
{
    // Field colours: black text on the system's window background unless given.
    const QColor base = palette().color(QPalette::Base);
    for (QLineEdit* edit : {EdNom_Fich, EdNBPoints, EdNBVar, EdNomsVars})
        setFieldColours(edit, clBlack, base);
    setFieldColours(Combobox_Var, clBlack, base);
    setFieldColours(EdPourCent, clBlue, base);
    for (QLineEdit* limit : {ENBPoints, ENBVar, ENBMailles}) {
        setFieldColours(limit, clRed, base);
        limit->setReadOnly(true);
    }

    // Tab order: the window's controls, each panel's in its own order at the panel's place.
    const QList<QWidget*> order = {
        EdNom_Fich, pointsFileButton_, EdNBPoints, EdNBVar, yesButton_, noButton_, ButtLit_Data,
        EdNBMailles, ButtNBMailles,
        ButtLit_Noms_Vars, EdNomsVars, namesFileButton_, Combobox_Var, ButtChoixVar, EdPourCent,
        ButtCalculer, ButtFermer,
        ENBPoints, ENBVar, ENBMailles,
        ButtAide,
    };
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    EdNom_Fich->setFocus();
}

void TForm1::connectHandlers()
{
    onClick(ButtLit_Data, [this] { ButtLit_DataClick(); });
    onClick(ButtNBMailles, [this] { ButtNBMaillesClick(); });
    onClick(ButtLit_Noms_Vars, [this] { ButtLit_Noms_VarsClick(); });
    onClick(ButtChoixVar, [this] { ButtChoixVarClick(); });
    onClick(ButtCalculer, [this] { ButtCalculerClick(); });
    onClick(ButtAide, [this] { ButtAideClick(); });
    onClick(ButtFermer, [this] { ButtFermerClick(); });
    onClick(pointsFileButton_, [this] { choosePointsFile(); });
    onClick(namesFileButton_, [this] { chooseNamesFile(); });
    acceptFileDrops(EdNom_Fich, [this](const QString& file) { setPointsFile(file); });
    acceptFileDrops(EdNomsVars, [this](const QString& file) { EdNomsVars->setText(file); });
    // A selection by mouse or keyboard; the frame of the group does not select.
    connect(rowLayoutChoice_, &QButtonGroup::buttonToggled, this, [this](QAbstractButton*, bool checked) {
        if (checked)
            guarded([this] { RG_Numero_AvantClick(); });
    });
}

bool TForm1::rowsAreNumbered() const
{
    return yesButton_->isChecked();
}

void TForm1::setPointsFile(const QString& fileName)
{
    EdNom_Fich->setText(fileName);
    // The first look reads as much of the file as its format needs: off the window's thread.
    struct Look {
        std::optional<PointFileLayout> layout;
        bool namesItsVariables = false;
    };
    auto look = std::make_shared<Look>();
    background_->run(
        QStringLiteral("Examen de %1…").arg(QFileInfo(fileName).fileName()),
        [look, file = fileNameFromText(fileName)] {
            const Identified identified = identifyInput(file);
            look->layout = identified.proposal;
            look->namesItsVariables = &identified.reader != &pointFileReader();
        },
        [this, look, fileName](std::exception_ptr failure) {
            if (failure)
                std::rethrow_exception(failure);
            // A larger input is proposed at the tables' limits, and its reading says what it
            // left. A point file's V is the length of its rows, which no limit shortens.
            if (look->layout) {
                look->layout->points = std::min(look->layout->points, std::int32_t{MaxPoints});
                if (look->namesItsVariables)
                    look->layout->variables = std::min(look->layout->variables, std::int32_t{MaxVar});
            }
            proposeLayout(look->layout);
            proposeNextSteps(fileName, look->namesItsVariables);
        });
}

void TForm1::proposeNextSteps(const QString& fileName, bool namesItsVariables)
{
    // Ten cells, the grid the help text advises for some eighty points.
    if (EdNBMailles->text().isEmpty())
        EdNBMailles->setText(QStringLiteral("10"));
    // The names file that goes with "quartiers.txt" is "quartiers_noms.txt", beside it.
    // The folder is written as the point file's is, none for a file named without one.
    // A file of another format names its variables itself: it is its own names file.
    const QFileInfo points(fileName);
    const QString names = fileName.left(fileName.size() - points.fileName().size()) + points.completeBaseName()
        + QStringLiteral("_noms.txt");
    if (!EdNomsVars->text().isEmpty() && EdNomsVars->text() != proposedNames_)
        return;  // typed or chosen by the user
    proposedNames_ = namesItsVariables ? fileName : QFileInfo(names).isFile() ? names : QString();
    EdNomsVars->setText(proposedNames_);
}

void TForm1::proposeLayout(const std::optional<PointFileLayout>& layout)
{
    const auto untouched = [](const QLineEdit* field, const QString& proposed) {
        return field->text().isEmpty() || field->text() == proposed;
    };
    if (!untouched(EdNBPoints, proposedPoints_) || !untouched(EdNBVar, proposedVariables_))
        return;
    if (!layout)
        return;
    proposedPoints_ = QString::fromStdString(writeInteger(layout->points));
    proposedVariables_ = QString::fromStdString(writeInteger(layout->variables));
    EdNBPoints->setText(proposedPoints_);
    EdNBVar->setText(proposedVariables_);
    // Selecting runs RG_Numero_AvantClick, as a selection by the user does.
    (layout->rowsAreNumbered ? yesButton_ : noButton_)->setChecked(true);
}

void TForm1::choosePointsFile()
{
    const QString file = fileDialogs().openFileName(this, QStringLiteral("Fichier des points"),
                                                    folderToOpenFrom(EdNom_Fich->text()));
    if (!file.isEmpty())
        setPointsFile(file);
}

void TForm1::chooseNamesFile()
{
    const QString file = fileDialogs().openFileName(this, QStringLiteral("Fichier des noms de variables"),
                                                    folderToOpenFrom(EdNomsVars->text()));
    if (!file.isEmpty())
        EdNomsVars->setText(file);
}

bool TForm1::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::WindowActivate:
        guarded([this] { FormActivate(); });
        break;
    case QEvent::LocaleChange:
        // The regional settings changed while the program runs.
        guarded(readDecimalSeparator);
        break;
    default:
        break;
    }
    return QWidget::event(e);
}

void TForm1::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    // Hidden to visible by the program; a restore from the task bar is not a new show.
    if (!e->spontaneous())
        guarded([this] { FormShow(); });
}

void TForm1::closeEvent(QCloseEvent* e)
{
    QWidget::closeEvent(e);
    emit closed();
}

void TForm1::FormShow()
{
    ButtLit_Data->setEnabled(false);
    ButtLit_Noms_Vars->setEnabled(true);
    ButtCalculer->setEnabled(false);
    ButtFermer->setEnabled(true);
    ButtChoixVar->setEnabled(false);
    PanelLitVar->hide();
    store_.NBMailles = 10;  // EdNBMailles stays empty
    PanNBMaillesPanel1->hide();
}

void TForm1::FormActivate()
{
    ENBPoints->setText(QString::fromStdString(writeInteger(MaxPoints)));
    ENBVar->setText(QString::fromStdString(writeInteger(MaxVar)));
    ENBMailles->setText(QString::fromStdString(writeInteger(MaxMailles)));
}

void TForm1::RG_Numero_AvantClick()
{
    ButtLit_Data->setEnabled(true);
}

void TForm1::enableLaterSteps()
{
    ButtChoixVar->setEnabled(namesLoaded_ && store_.current.cellsPlaced);
    ButtCalculer->setEnabled(store_.current.gridFilled);
}

void TForm1::ButtLit_DataClick()
{
    // Both counts are converted and checked before either is stored, so the tables are
    // never read or written beyond their capacities, and a refusal leaves both as they
    // were.
    const std::int32_t points = convert(bytesFromText(EdNBPoints->text()));
    if (const auto refusal = refusePointCount(points)) {
        inform(*refusal);
        return;
    }
    const std::int32_t variables = convert(bytesFromText(EdNBVar->text()));
    if (const auto refusal = refuseVariableCount(variables)) {
        inform(*refusal);
        return;
    }
    // The file is read off the window's thread, the store left as it is until the reading
    // ends: a reading cancelled changes nothing.
    auto read = std::make_shared<TableReading>();
    const QString fileName = EdNom_Fich->text();
    background_->run(
        QStringLiteral("Lecture de %1…").arg(QFileInfo(fileName).fileName()),
        [read, file = fileNameFromText(fileName), options = ReadOptions{points, variables, rowsAreNumbered()}] {
            *read = readPoints(readerFor(file), file, options);
        },
        [this, read, points, variables](std::exception_ptr failure) {
            if (failure)
                std::rethrow_exception(failure);
            store_.NBPoints = points;
            store_.NBVar = variables;
            // From here the tables change, even if the reading failed half-way: the cells
            // and the grid belong to the earlier points until "Valider" places the new ones.
            emit calculationOutdated();
            const LaterStepsRefresh refresh(*this);
            const Reading reading = storeReading(store_, std::move(*read));
            // What the reading left or skipped follows, a line each.
            std::string message = "Données lues !";
            for (const std::string& note : reading.notes)
                message += "\n" + note;
            inform(message);
            PanNBMaillesPanel1->show();
        });
}

void TForm1::ButtNBMaillesClick()
{
    const QString text = EdNBMailles->text();
    if (text.isEmpty()) {
        inform("Il faut indiquer le nombre de mailles");
        return;
    }
    // A refused N is never stored: the variable and calculation steps keep working on
    // the last accepted one.
    const std::int32_t cells = convert(bytesFromText(text));
    if (const auto refusal = refuseCellCount(cells)) {
        inform(*refusal);
        return;
    }
    store_.NBMailles = cells;
    // The grid of the earlier N stays until "Valider la variable" fills it again.
    emit calculationOutdated();
    const LaterStepsRefresh refresh(*this);
    Calcul_Mailles(store_);
    PanelLitVar->show();
}

void TForm1::ButtLit_Noms_VarsClick()
{
    if (EdNomsVars->text().isEmpty()) {
        inform("Indiquez un nom de fichier !");
        return;
    }
    const std::vector<std::string> names = variableNamesIn(fileNameFromText(EdNomsVars->text()));

    // Replacing the entries leaves the text shown as it was; the first entry, if any,
    // then takes its place.
    const QString shown = Combobox_Var->currentText();
    Combobox_Var->clear();
    for (const std::string& name : names)
        Combobox_Var->addItem(textFromBytes(name), QByteArray::fromStdString(name));
    if (names.empty()) {
        Combobox_Var->setCurrentIndex(-1);
        Combobox_Var->setEditText(shown);
    } else {
        Combobox_Var->setCurrentIndex(0);
    }
    namesLoaded_ = true;
    enableLaterSteps();
}

void TForm1::ButtChoixVarClick()
{
    // The variable is the entry whose text the box shows: the selected one, or else the
    // first one equal to a typed text, which is then selected. A typed text that is no
    // entry's names no variable.
    const QString shown = Combobox_Var->currentText();
    int index = Combobox_Var->currentIndex();
    if (index < 0 || Combobox_Var->itemText(index) != shown) {
        index = -1;
        for (int i = 0; i < Combobox_Var->count() && index < 0; ++i)
            if (Combobox_Var->itemText(i) == shown)
                index = i;
        if (index >= 0)
            Combobox_Var->setCurrentIndex(index);
    }
    const int position = index + 1;
    if (const auto refusal = refuseVariablePosition(store_, position)) {
        inform(*refusal);
        return;
    }

    store_.Nom_Var = Combobox_Var->itemData(index).toByteArray().toStdString();  // the name's own bytes
    store_.Num_Var = static_cast<std::uint8_t>(position);
    emit calculationOutdated();
    ButtLit_Noms_Vars->setEnabled(false);
    PanNBMaillesPanel1->show();
    const LaterStepsRefresh refresh(*this);  // only a grid filled without failure opens "Calculer"
    try {
        Remplit_Grille(store_);
    } catch (...) {
        // "Valider Fichier" waits for the calculation, which a failed grid keeps shut:
        // open it again, so that another names file can still be loaded.
        ButtLit_Noms_Vars->setEnabled(true);
        throw;
    }
    EdPourCent->setText(QString::fromStdString(writeReal(store_.PourCent, decimalSeparator())));
    EdPourCent->setCursorPosition(0);  // the leading digits in view
}

void TForm1::ButtCalculerClick()
{
    ButtLit_Noms_Vars->setEnabled(true);
    try {
        Correlation_EW(store_);
        Correlation_NS(store_);
    } catch (...) {
        emit calculationFailed();
        throw;  // on to the error box
    }
    emit calculated();
}

void TForm1::ButtAideClick()
{
    emit helpRequested();
}

void TForm1::ButtFermerClick()
{
    close();
}
