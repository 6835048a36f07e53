#pragma once
// The main window: every input of an analysis, one button per step, the fixed limits.

#include <QWidget>

#include <optional>

#include "pointlayout.h"

class QButtonGroup;
class QComboBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace geolago {
struct Store;
namespace ui {
class BackgroundTask;
}
}

class TForm1 : public QWidget {
    Q_OBJECT

public:
    // The window reads and writes `store`, which outlives it.
    explicit TForm1(geolago::Store& store, QWidget* parent = nullptr);

    // Sets the point file, as chosen in the file dialog, dropped on its field or given
    // when the program starts, and proposes its counts and row layout (see
    // proposeLayout). Nothing is read into the store before "Lit Data". The first look at
    // the file runs off the window's thread; past a third of a second the window says so,
    // with a way to cancel, and the counts come when it ends.
    void setPointsFile(const QString& fileName);

signals:
    // "Calculer" computed both correlograms: the results are to be shown.
    void calculated();
    // "Calculer" failed and left the result tables cleared: no window may go on showing
    // the figures of an earlier calculation.
    void calculationFailed();
    // New points, a new N or a new variable: the result tables no longer come from the
    // data in the store, until the next "Calculer".
    void calculationOutdated();
    // "Aide" was pressed.
    void helpRequested();
    // The main window has been closed: the program ends.
    void closed();

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormShow();
    void FormActivate();
    void RG_Numero_AvantClick();
    void ButtLit_DataClick();
    void ButtNBMaillesClick();
    void ButtLit_Noms_VarsClick();
    void ButtChoixVarClick();
    void ButtCalculerClick();
    void ButtAideClick();
    void ButtFermerClick();

    // "Oui" is selected: each row of the point file begins with a point number.
    bool rowsAreNumbered() const;

    // Enables "Valider la variable" when a names list is loaded and the store's cells are
    // current, and "Calculer" when its grid is.
    void enableLaterSteps();
    // Calls enableLaterSteps() when it goes out of scope, a step that fails included.
    struct LaterStepsRefresh {
        TForm1& window;
        ~LaterStepsRefresh() { window.enableLaterSteps(); }
    };
    // The "…" buttons: a file dialog for the point file and for the names file.
    void choosePointsFile();
    void chooseNamesFile();
    // Fills in the counts and chooses "Oui" or "Non" from the first look's `layout` of the
    // file, when both count fields are empty or still hold the last counts proposed: what
    // the user typed stays.
    void proposeLayout(const std::optional<geolago::PointFileLayout>& layout);
    // Proposes what the later steps need, where the user has typed nothing: 10 cells, and
    // the names file that goes with `fileName`: itself when `namesItsVariables` (a
    // delimited text, a GIS file), else the one beside it ("x.txt": "x_noms.txt").
    void proposeNextSteps(const QString& fileName, bool namesItsVariables);

    // The constructor's parts: the title and the inputs; the cells, variables and limits
    // panels and the right column; the fields' colours and the tab order; the handlers.
    void buildInputs();
    void buildPanels();
    void setColoursAndTabOrder();
    void connectHandlers();

    geolago::Store& store_;
    // The first look at a chosen file and "Lit Data" run off the window's thread.
    geolago::ui::BackgroundTask* background_;

    // Whether a names list fills the variables box; which tables are current, the store
    // itself says.
    bool namesLoaded_ = false;

    // The controls the handlers and the wiring use; the others are only laid out.
    QLineEdit* EdNom_Fich;
    QLineEdit* EdNBPoints;
    QLineEdit* EdNBVar;
    QRadioButton* yesButton_;  // "Oui" of RG_Numero_Avant
    QRadioButton* noButton_;   // "Non"
    QPushButton* ButtLit_Data;
    QFrame* PanNBMaillesPanel1;
    QLineEdit* EdNBMailles;
    QFrame* PanelLitVar;
    QLineEdit* EdNomsVars;
    QPushButton* ButtLit_Noms_Vars;
    QComboBox* Combobox_Var;
    QPushButton* ButtChoixVar;
    QLineEdit* EdPourCent;
    QLineEdit* ENBPoints;
    QLineEdit* ENBVar;
    QLineEdit* ENBMailles;
    QPushButton* ButtCalculer;
    QPushButton* ButtFermer;
    QPushButton* ButtNBMailles;
    QPushButton* ButtAide;
    QPushButton* pointsFileButton_;  // the "…" beside the point file's field
    QPushButton* namesFileButton_;   // the "…" beside "Valider Fichier"
    QButtonGroup* rowLayoutChoice_;  // "Oui" and "Non"

    // The counts last proposed by proposeLayout, as written in their fields.
    QString proposedPoints_;
    QString proposedVariables_;
    QString proposedNames_;
};
