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

// Writes `points` points with one variable into `folder`, "scale_P.txt", and returns its
// path: rows "X Y value" with 9 significant digits, points scattered over 12 km by 9 km,
// the value a smooth field (waves of about 2 km) plus as much noise, from a fixed seed.
std::string writeScaleFile(const std::string& folder, long long points);

}  // namespace geolago::bench
