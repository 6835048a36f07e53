#include "Page_1.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>

#include "Resultats.h"
#include "Texte_Aide.h"
#include "analysis.h"
#include "look.h"
#include "messages.h"
#include "names.h"
#include "numbertext.h"
#include "reader.h"
#include "refusals.h"
#include "regional.h"
#include "store.h"
#include "texts.h"

using namespace geolago;
using namespace geolago::ui;

TForm1* Form1 = nullptr;

namespace {

// A label at (left, top) that sizes itself to its text.
QLabel* makeLabel(QWidget* parent, const QString& text, int left, int top, const QFont* font = nullptr)
{
    auto* label = new QLabel(text, parent);
    if (font)
        label->setFont(*font);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QLineEdit* makeEdit(QWidget* parent, int left, int top, int width, int height, const QFont& font)
{
    auto* edit = new QLineEdit(parent);
    edit->setFont(font);
    edit->setGeometry(left, top, width, height);
    return edit;
}

QPushButton* makeButton(QWidget* parent, const QString& text, int left, int top, int width, int height)
{
    auto* button = new QPushButton(text, parent);
    button->setGeometry(left, top, width, height);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

// A panel with a raised one-pixel frame on the window's black.
QFrame* makePanel(QWidget* parent, int left, int top, int width, int height)
{
    auto* panel = new QFrame(parent);
    panel->setGeometry(left, top, width, height);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    setWindowColours(panel, clBlack, clYellow);
    return panel;
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Corrélograme"));
    setFont(garamond(16, true));
    setWindowColours(this, clBlack, clYellow);
    placeWindowCentred(this, 831, 714);

    const QFont field = garamond(16, true);
    const QFont limits = garamond(19, true);

    // Title area.
    const QFont title = garamond(27, true);
    const QFont subtitle = garamond(24, true);
    Label8 = makeLabel(this, QStringLiteral("GEOLAGO"), 352, 16, &title);
    Label1 = makeLabel(this, QStringLiteral("Calcul du Corrélogramme"), 272, 48, &subtitle);
    Label2 = makeLabel(this, QStringLiteral("Analyse spatiale d'une variable sur une grille"), 312, 80, &field);

    // Inputs.
    const QFont heading = garamond(21, true);
    Label3 = makeLabel(this, QStringLiteral("Entrées"), 24, 96, &heading);
    Label4 = makeLabel(this, QStringLiteral("Données sur quel fichier ?"), 40, 128);
    EdNom_Fich = makeEdit(this, 232, 120, 209, 26, field);
    Label5 = makeLabel(this, QStringLiteral("Combien de Points ?"), 80, 152);
    EdNBPoints = makeEdit(this, 232, 144, 65, 26, field);
    Label6 = makeLabel(this, QStringLiteral("Combien de Variables ?"), 56, 176);
    EdNBVar = makeEdit(this, 232, 168, 65, 26, field);
    Label7 = makeLabel(this, QStringLiteral("Y-a-t-il un numéro avant les coordonnées ?"), 48, 200);

    RG_Numero_Avant = new QGroupBox(this);
    RG_Numero_Avant->setGeometry(344, 176, 65, 49);
    layoutChoice_ = new QButtonGroup(this);
    auto* oui = new QRadioButton(QStringLiteral("Oui"), RG_Numero_Avant);
    auto* non = new QRadioButton(QStringLiteral("Non"), RG_Numero_Avant);
    oui->setGeometry(8, 4, 52, 20);
    non->setGeometry(8, 25, 52, 20);
    layoutChoice_->addButton(oui, 0);
    layoutChoice_->addButton(non, 1);

    ButtLit_Data = makeButton(this, QStringLiteral("Lit Data"), 120, 232, 145, 33);

    // Cells panel.
    PanNBMaillesPanel1 = makePanel(this, 496, 120, 289, 121);
    Label10 = makeLabel(PanNBMaillesPanel1, QStringLiteral("NB de Mailles ?"), 56, 24);
    EdNBMailles = makeEdit(PanNBMaillesPanel1, 184, 16, 73, 26, field);
    setFieldColours(EdNBMailles, clBlue, clWhite);
    ButtNBMailles = makeButton(PanNBMaillesPanel1, QStringLiteral("Valider"), 104, 64, 97, 41);

    // Variables panel.
    PanelLitVar = makePanel(this, 16, 280, 617, 177);
    Label9 = makeLabel(PanelLitVar, QStringLiteral("Sur quel fichier les noms de variables ? "), 16, 7);
    EdNomsVars = makeEdit(PanelLitVar, 16, 40, 313, 26, field);
    ButtLit_Noms_Vars = makeButton(PanelLitVar, QStringLiteral("Valider Fichier"), 336, 40, 233, 25);
    Combobox_Var = new QComboBox(PanelLitVar);
    Combobox_Var->setEditable(true);
    Combobox_Var->setInsertPolicy(QComboBox::NoInsert);
    Combobox_Var->setFont(field);
    Combobox_Var->setGeometry(16, 80, 313, 26);
    ButtChoixVar = makeButton(PanelLitVar, QStringLiteral("Valider la variable"), 336, 72, 233, 33);
    Label15 = makeLabel(PanelLitVar, QStringLiteral("Pourcentage de Mailles remplies ="), 64, 136);
    EdPourCent = makeEdit(PanelLitVar, 312, 128, 89, 26, field);
    Label16 = makeLabel(PanelLitVar, QStringLiteral("%"), 408, 136);

    // Limits panel.
    Panel1 = makePanel(this, 16, 480, 617, 161);
    Label11 = makeLabel(Panel1, QStringLiteral("Contraintes : "), 104, 32, &limits);
    Label12 = makeLabel(Panel1, QStringLiteral("Nombre maximal de points"), 248, 32, &limits);
    ENBPoints = makeEdit(Panel1, 488, 32, 65, 26, field);
    Label13 = makeLabel(Panel1, QStringLiteral("Nombre de variables"), 248, 64, &limits);
    ENBVar = makeEdit(Panel1, 488, 64, 65, 26, field);
    Label14 = makeLabel(Panel1, QStringLiteral("Nombre maximal de mailles"), 248, 96, &limits);
    ENBMailles = makeEdit(Panel1, 488, 96, 65, 26, field);

    // Right column.
    ButtAide = makeButton(this, QStringLiteral("Aide"), 656, 360, 129, 105);
    ButtCalculer = makeButton(this, QStringLiteral("Calculer"), 656, 480, 129, 97);
    ButtFermer = makeButton(this, QStringLiteral("Fermer"), 656, 584, 129, 57);

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
        EdNom_Fich, EdNBPoints, EdNBVar, oui, non, ButtLit_Data,
        EdNBMailles, ButtNBMailles,
        ButtLit_Noms_Vars, EdNomsVars, Combobox_Var, ButtChoixVar, EdPourCent,
        ButtCalculer, ButtFermer,
        ENBPoints, ENBVar, ENBMailles,
        ButtAide,
    };
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
    EdNom_Fich->setFocus();

    auto bind = [this](QPushButton* button, void (TForm1::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, handler] { guarded([&] { (this->*handler)(); }); });
    };
    bind(ButtLit_Data, &TForm1::ButtLit_DataClick);
    bind(ButtNBMailles, &TForm1::ButtNBMaillesClick);
    bind(ButtLit_Noms_Vars, &TForm1::ButtLit_Noms_VarsClick);
    bind(ButtChoixVar, &TForm1::ButtChoixVarClick);
    bind(ButtCalculer, &TForm1::ButtCalculerClick);
    bind(ButtAide, &TForm1::ButtAideClick);
    bind(ButtFermer, &TForm1::ButtFermerClick);
    // A selection by mouse or keyboard; the frame of the group does not select.
    connect(layoutChoice_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            guarded([this] { RG_Numero_AvantClick(); });
    });
}

QRadioButton* TForm1::radioButton(int index) const
{
    return qobject_cast<QRadioButton*>(layoutChoice_->button(index));
}

int TForm1::selectedLayout() const
{
    return layoutChoice_->checkedId();
}

bool TForm1::event(QEvent* e)
{
    switch (e->type()) {
    case QEvent::WindowActivate:
        guarded([this] { FormActivate(); });
        break;
    case QEvent::LocaleChange:
        // The regional settings changed while the program runs.
        readDecimalSeparator();
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
    NBMailles = 10;  // EdNBMailles stays empty
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

void TForm1::ButtLit_DataClick()
{
    // Each count is checked before it is stored, so the tables are never read or
    // written beyond their capacities.
    const std::int32_t points = convert(bytesFromText(EdNBPoints->text()));
    if (const auto refusal = refusePointCount(points)) {
        inform(*refusal);
        return;
    }
    NBPoints = points;

    const std::int32_t variables = convert(bytesFromText(EdNBVar->text()));
    if (const auto refusal = refuseVariableCount(variables)) {
        inform(*refusal);
        return;
    }
    NBVar = variables;

    Lit_Data(fileNameFromText(EdNom_Fich->text()), selectedLayout() == 0);
    inform("Données lues !");
    PanNBMaillesPanel1->show();
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
    NBMailles = cells;
    Calcul_Mailles();
    PanelLitVar->show();
}

void TForm1::ButtLit_Noms_VarsClick()
{
    if (EdNomsVars->text().isEmpty()) {
        inform("Indiquez un nom de fichier !");
        return;
    }
    const std::vector<std::string> names = Lit_Noms_Vars(fileNameFromText(EdNomsVars->text()));

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
    ButtChoixVar->setEnabled(true);
}

void TForm1::ButtChoixVarClick()
{
    const int position = Combobox_Var->currentIndex() + 1;
    if (const auto refusal = refuseVariablePosition(position)) {
        inform(*refusal);
        return;
    }

    // The name as the file gave it when an entry is shown unchanged, else what was typed.
    const QString shown = Combobox_Var->currentText();
    if (position > 0 && Combobox_Var->itemText(position - 1) == shown)
        Nom_Var = Combobox_Var->itemData(position - 1).toByteArray().toStdString();
    else
        Nom_Var = bytesFromText(shown);
    Num_Var = static_cast<std::uint8_t>(position);
    ButtCalculer->setEnabled(true);
    ButtLit_Noms_Vars->setEnabled(false);
    PanNBMaillesPanel1->show();
    Remplit_Grille();
    EdPourCent->setText(QString::fromStdString(writeReal(PourCent, decimalSeparator())));
    EdPourCent->setCursorPosition(0);  // the leading digits in view
}

void TForm1::ButtCalculerClick()
{
    ButtLit_Noms_Vars->setEnabled(true);
    Correlation_EW();
    Correlation_NS();
    // An open results window would otherwise keep the figures of an earlier calculation.
    if (Form2->isVisible())
        Form2->FormShow();
    bringToFront(Form2);
}

void TForm1::ButtAideClick()
{
    bringToFront(Form_Aide);
}

void TForm1::ButtFermerClick()
{
    close();
}
