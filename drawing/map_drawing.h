#pragma once
// The drawing of a correlogram map as a square heat map: each vector a cell coloured by
// its r on a diverging scale, dx across and dy upwards, beside the scale's legend.
// geolago-cli --plot writes it with --map.

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>

#include "correlogram_map.h"

class QPainter;

namespace geolago::drawing {

// The area the map is drawn in.
inline constexpr QSize mapSize{800, 680};

// The colour of r on the diverging scale: blue (0, 0, 255) at -1, white at 0, red
// (255, 0, 0) at 1, each channel linear between and rounded.
QColor divergingColour(double r);

// The colour of a vector without r.
inline const QColor noRColour{160, 160, 160};

// A vector with an r on fewer pairs than this is hatched: its r is little to go by.
inline constexpr std::int32_t fewPairs = 10;

// Draws the map with `painter` on a white page: the title (the variable's name, "A × B"
// for a cross-correlogram) and the anisotropy (direction to 0.1°, ratio to 0.01) above, the
// (2K + 1) x (2K + 1) cells in a square of at most 500 pixels, dx from -K at the left to K
// at the right and dy from -K at the bottom to K at the top, the origin's cell framed,
// a vector with an r on fewer than fewPairs pairs hatched in dark grey over its colour, a
// black dot on each vector markedSignificant(), the labels -K, 0 and K of both axes, and
// at the right the legend: the colour of a vector without r, the hatch ("< 10 paires")
// and, when the map was tested, the dot ("p corrigé (maxT) ≤ 0,05" on two lines); below
// them the scale from 1 at the top to -1 at the bottom with its labels. On any device but
// a raster one (SVG) the texts are drawn as outlines.
void drawMap(QPainter& painter, const CorrelogramMap& map);

// The map on white, mapSize.
QImage mapImage(const CorrelogramMap& map);

// Writes the map into `path`: SVG when the name ends in ".svg" (any case), PNG otherwise.
// Throws Failure when the file cannot be written.
void saveMap(const CorrelogramMap& map, const QString& path);

}  // namespace geolago::drawing
