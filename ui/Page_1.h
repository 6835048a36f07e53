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

    geolago::Store& store_;

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
