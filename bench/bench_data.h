#pragma once
// The largest input the program takes: 1000 points, each with a point number, X, Y and
// 30 variables written with 17 significant digits. Drawn from a fixed seed, so every
// run gets the same bytes.

#include <string>

namespace geolago::bench {

inline constexpr int Points = 1000;
inline constexpr int Variables = 30;
inline constexpr int Cells = 30;

// The text of the file.
std::string largestFileText();

// Writes the file into `folder` (made if missing) and returns its path.
std::string writeLargestFile(const std::string& folder);

}  // namespace geolago::bench
