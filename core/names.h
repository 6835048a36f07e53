#pragma once
// The variable names file: one name per line, position p naming variable p.

#include <string>
#include <string_view>
#include <vector>

namespace geolago {

// Splits a text into names: CR, LF and CR LF each end a line; the first NUL ends the
// text; names are kept byte for byte; a final line end adds no name.
std::vector<std::string> splitNames(std::string_view text);

// The names of `fileName`. Throws OpenFailure "Impossible d'ouvrir le fichier "<full
// path>". <reason>" when the file cannot be opened or read.
std::vector<std::string> Lit_Noms_Vars(const std::string& fileName);

}  // namespace geolago
