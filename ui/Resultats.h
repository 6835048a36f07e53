#pragma once
// The results window: both correlograms as tables of shift, r and pair count.

#include <QWidget>

class QLabel;
class QTableWidget;

namespace geolago {
struct Store;
}

class TForm2 : public QWidget {
    Q_OBJECT

public:
    // The window shows the figures of `store`, which outlives it.
    explicit TForm2(const geolago::Store& store, QWidget* parent = nullptr);

public slots:
    // Shows the store's current figures and brings the window to the front. From hidden
    // the show handler fills the window; an open window is filled again here.
    void showFigures();

signals:
    // "Graphique" was pressed.
    void chartRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Fills the label and both grids from the store.
    void FormShow();
    void ButtFermerClick();
    void Button1Click();

    const geolago::Store& store_;

    QLabel* Label3;
    QTableWidget* SG_EW;
    QTableWidget* SG_NS;
};
