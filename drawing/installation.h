#pragma once
// Where the program finds what ships with it. Installed, it lies beside the program
// (<prefix>/share/geolago beside <prefix>/bin); run from its build tree, the derived font
// is in the build tree and the example in the source tree.

#include <QString>

namespace geolago::drawing {

// The folder of the shipped example for a program in `programFolder`: the one installed
// beside it, else the source tree's; empty when neither exists.
QString exampleFolderBeside(const QString& programFolder);

// The folder of the shipped example as found for this program.
QString exampleFolder();

// The file of the Garamond face with lining figures, as found; empty if there is none.
QString liningGaramondFile();

}  // namespace geolago::drawing
