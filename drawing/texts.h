#pragma once
// Bytes of the analysis (variable names, file paths in messages) and the windows' texts.

#include <QString>

#include <string>

#include "correlogram.h"

namespace geolago::drawing {

// The tooltip of the label "E_W" or "N_S": which way the direction pairs cells.
QString directionToolTip(Direction direction);

// The tooltip of a test's legend and of the chart window's test button: what the dashed
// lines and the squares mean.
QString significanceToolTip();

// A name's bytes as the core decodes a text (utf8Text, textrules.h): UTF-8 when they are
// valid UTF-8, Windows-1252 otherwise, as older systems and French spreadsheets write.
QString textFromBytes(const std::string& bytes);

// A typed text as the bytes the analysis keeps (UTF-8).
std::string bytesFromText(const QString& text);

// A file name typed in a field, in the encoding of the file system.
std::string fileNameFromText(const QString& text);

}  // namespace geolago::drawing
