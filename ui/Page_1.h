#pragma once
// The main window: every input of an analysis, one button per step, the fixed limits.

#include <QWidget>

class QComboBox;
class QFrame;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace geolago {
struct Store;
}

class TForm1 : public QWidget {
    Q_OBJECT

public:
    // The window reads and writes `store`, which outlives it.
    explicit TForm1(geolago::Store& store, QWidget* parent = nullptr);

signals:
    // "Calculer" computed both correlograms: the results are to be shown.
    void calculated();
    // "Calculer" failed and left the result tables cleared: no window may go on showing
    // the figures of an earlier calculation.
    void calculationFailed();
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

    // Enables "Valider la variable" when a names list is loaded and the cells are those
    // of the points read, and "Calculer" when the grid was filled from those cells.
    void enableLaterSteps();

    geolago::Store& store_;

    // What the tables hold, so that no step combines tables of different data: the cells
    // were computed for the points read and the N accepted; the grid was filled from them.
    bool namesLoaded_ = false;
    bool cellsAreCurrent_ = false;
    bool gridIsCurrent_ = false;

    // The controls the handlers use; the others are only laid out.
    QLineEdit* EdNom_Fich;
    QLineEdit* EdNBPoints;
    QLineEdit* EdNBVar;
    QRadioButton* yesButton_;  // "Oui" of RG_Numero_Avant
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
};
