#pragma once
// The main window: every input of an analysis, one button per step, the fixed limits.

#include <QFrame>
#include <QWidget>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TForm1 : public QWidget {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);

    // Title area.
    QLabel* Label8;
    QLabel* Label1;
    QLabel* Label2;

    // Inputs.
    QLabel* Label3;
    QLabel* Label4;
    QLineEdit* EdNom_Fich;
    QLabel* Label5;
    QLineEdit* EdNBPoints;
    QLabel* Label6;
    QLineEdit* EdNBVar;
    QLabel* Label7;
    QGroupBox* RG_Numero_Avant;
    QPushButton* ButtLit_Data;

    // Cells panel.
    QFrame* PanNBMaillesPanel1;
    QLabel* Label10;
    QLineEdit* EdNBMailles;
    QPushButton* ButtNBMailles;

    // Variables panel.
    QFrame* PanelLitVar;
    QLabel* Label9;
    QLineEdit* EdNomsVars;
    QPushButton* ButtLit_Noms_Vars;
    QComboBox* Combobox_Var;
    QPushButton* ButtChoixVar;
    QLabel* Label15;
    QLineEdit* EdPourCent;
    QLabel* Label16;

    // Limits panel.
    QFrame* Panel1;
    QLabel* Label11;
    QLabel* Label12;
    QLineEdit* ENBPoints;
    QLabel* Label13;
    QLineEdit* ENBVar;
    QLabel* Label14;
    QLineEdit* ENBMailles;

    // Right column.
    QPushButton* ButtAide;
    QPushButton* ButtCalculer;
    QPushButton* ButtFermer;

    // "Oui" (index 0) and "Non" (index 1) of RG_Numero_Avant.
    QRadioButton* radioButton(int index) const;
    // Index of the selected layout button, -1 while none is selected.
    int selectedLayout() const;

signals:
    // The main window has been closed: the program ends.
    void closed();

public slots:
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

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QButtonGroup* layoutChoice_;
};

// The single instance, the program's main window.
extern TForm1* Form1;
