#pragma once
// Where the program finds what ships with it. Installed, it lies beside the program
// (<prefix>/share/geolago beside <prefix>/bin); run from its build tree, the derived font
// is in the build tree and the example in the source tree.

#include <QString>

namespace geolago::ui {

// The folder of the shipped example as found: installed, or the source tree's.
QString exampleFolder();

// The folder an install puts the example in, <prefix>/share/geolago/examples.
QString installedExampleFolder();

// The file of the Garamond face with lining figures, as found; empty if there is none.
QString liningGaramondFile();

}  // namespace geolago::ui
