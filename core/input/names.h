#pragma once
// The variable names file: one name per line, position p naming variable p.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "inputfile.h"
#include "textrules.h"

namespace geolago {

// Splits a text into names: CR, LF and CR LF each end a line; the first NUL ends the
// text; names are kept byte for byte; a final line end adds no name.
std::vector<std::string> splitNames(std::string_view text);

// The names of `fileName`, read up to its first NUL (NamesFileEnd), in UTF-8 (utf8Text:
// a text that is not UTF-8 is read as Windows-1252). Throws OpenFailure
// "Impossible d'ouvrir le fichier "<full path>". <reason>" when the file cannot be opened
// or read, or is not of `kinds`; LimitFailure when its text is longer than
// MaxNamesFileSize.
std::vector<std::string> Lit_Noms_Vars(const std::string& fileName, InputKinds kinds = InputKinds::RegularFiles);

}  // namespace geolago
