#pragma once
// The results window: both correlograms as tables of shift, r and pair count.

#include <QWidget>

class QLabel;
class QPushButton;
class QTableWidget;

class TForm2 : public QWidget {
    Q_OBJECT

public:
    explicit TForm2(QWidget* parent = nullptr);

    QLabel* Label1;
    QLabel* Label3;
    QLabel* Label2;
    QTableWidget* SG_EW;
    QPushButton* ButtFermer;
    QPushButton* Button1;
    QTableWidget* SG_NS;

    // Rows of a grid, the header row included (N + 1 for N cells).
    static int rowCount(const QTableWidget* grid);
    // The text of column `col`, row `row` of a grid; row 0 is the header row.
    static QString cellText(const QTableWidget* grid, int col, int row);

public slots:
    // Fills the label and both grids from the store.
    void FormShow();
    void ButtFermerClick();
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;
};

extern TForm2* Form2;
