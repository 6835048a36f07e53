#include "windows.h"

#include "controls.h"
#include "store.h"

namespace geolago::app {

Windows::Windows(Store& store) : mainWindow_(std::make_unique<TForm1>(store))
{
    mainWindow_->showMaximized();
    // The program's active window from the start, also where no window manager hands
    // the focus over (a bare X server): its activation handler fills the limits.
    mainWindow_->activateWindow();
    results_ = std::make_unique<TForm2>(store);
    chart_ = std::make_unique<TForm4>(store);
    help_ = std::make_unique<TForm_Aide>();

    // "Calculer" shows the new figures: an open results window is filled again and
    // comes to the front.
    QObject::connect(mainWindow_.get(), &TForm1::calculated, results_.get(), &TForm2::showFigures);
    // A failed "Calculer" cleared the tables: the results and the chart of the calculation
    // before are hidden rather than shown as current.
    QObject::connect(mainWindow_.get(), &TForm1::calculationFailed, results_.get(), &QWidget::hide);
    QObject::connect(mainWindow_.get(), &TForm1::calculationFailed, chart_.get(), &QWidget::hide);

    // The chart's test button tests the last calculation, while the store's tables come
    // from its data. A test belongs to the calculation it was made for: the results window
    // saves it with those figures, and any new "Calculer", completed or failed, takes it
    // off the chart and the results alike. (A completed one refills the results window,
    // which drops it there.)
    TForm2* results = results_.get();
    TForm4* chart = chart_.get();
    QObject::connect(mainWindow_.get(), &TForm1::calculated, chart, [chart] {
        chart->dropSignificance();
        chart->setTestable(true);
    });
    QObject::connect(mainWindow_.get(), &TForm1::calculationFailed, chart, [chart, results] {
        chart->setTestable(false);
        chart->dropSignificance();
        results->dropSignificance();
    });
    QObject::connect(mainWindow_.get(), &TForm1::calculationOutdated, chart, [chart] { chart->setTestable(false); });
    QObject::connect(chart, &TForm4::significanceComputed, results, &TForm2::addSignificance);

    // "Aide" and "Graphique" show their window, or only bring it to the front when it is
    // already open.
    TForm_Aide* help = help_.get();
    QObject::connect(mainWindow_.get(), &TForm1::helpRequested, help, [help] { ui::bringToFront(help); });
    QObject::connect(results_.get(), &TForm2::chartRequested, chart, [chart] { ui::bringToFront(chart); });
}

Windows::~Windows() = default;

}  // namespace geolago::app
