#pragma once
// The results window: both correlograms as tables of shift, r and pair count, with the
// distance of each shift and where each direction first crosses zero.

#include <QString>
#include <QWidget>

#include <string>

#include "correlogram.h"

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
    // The permutation test of the figures shown, made on `tested`: their saved table gains
    // p and the envelope of each shift. The grids stay as they are.
    void addSignificance(const geolago::Correlogram& tested);
    // Takes the test off the figures shown, so that no table is saved with it.
    void dropSignificance();

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
    // "Enregistrer…": both tables shown, as a CSV or TSV file the user chooses.
    void saveTables();

    const geolago::Store& store_;
    // The figures and points file the grids show, as they were when filled, with the
    // test of those figures once one is added.
    geolago::Correlogram shown_;
    std::string shownPointsFile_;

    QLabel* Label3;
    QTableWidget* SG_EW;
    QTableWidget* SG_NS;
    // Beside the grids: the distance of each shift, and each direction's zero crossing.
    QTableWidget* distancesGrid;
    QLabel* zeroCrossingEW;
    QLabel* zeroCrossingNS;
};

// The text Ctrl+C in a results grid puts on the clipboard: the selected cells, or the
// whole grid with its header row when none is selected, as shown (the user's decimal
// separator); a tab between the cells of a row, a line feed after each row.
QString gridText(const QTableWidget* grid);

// A distance as the window shows it: 6 significant digits, the user's decimal separator,
// the digits before it grouped by three with a space from 1000 on ("2 583,99").
QString distanceText(double distance);
