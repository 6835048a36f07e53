#pragma once
// The program's four windows on one store, created as the program starts and wired to
// one another: the windows only announce what the user asked for, and the connections
// made here decide which window answers.

#include <memory>

#include "Graphique.h"
#include "Page_1.h"
#include "Resultats.h"
#include "Texte_Aide.h"

namespace geolago {
struct Store;
}

namespace geolago::app {

class Windows {
public:
    // Creates the main window, shown maximised at once (its show handler runs before the
    // other windows exist), then the results, chart and help windows, hidden. All of
    // them work on `store`, which outlives them.
    explicit Windows(Store& store);
    ~Windows();

    Windows(const Windows&) = delete;
    Windows& operator=(const Windows&) = delete;

    TForm1& mainWindow() { return *mainWindow_; }
    TForm2& results() { return *results_; }
    TForm4& chart() { return *chart_; }
    TForm_Aide& help() { return *help_; }

private:
    // Destroyed in the reverse order of their creation.
    std::unique_ptr<TForm1> mainWindow_;
    std::unique_ptr<TForm2> results_;
    std::unique_ptr<TForm4> chart_;
    std::unique_ptr<TForm_Aide> help_;
};

}  // namespace geolago::app
