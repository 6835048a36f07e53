#pragma once
// The drawing of the chart: both correlograms as broken lines, E_W in red and N_S in
// white, on black. One function paints it on any paint device; the chart window, its
// save button and geolago-cli --plot all draw with it.

#include <QImage>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>

#include "results.h"
#include "significance.h"
#include "store.h"

class QPainter;

namespace geolago::ui {

// What one chart shows: the figures of the store when the drawing is asked for, shift N
// included (the drawing joins points 0..N), and the permutation test of those figures
// when one was made for them.
struct ChartFigures {
    std::int32_t cells = 0;  // N
    std::string title;       // Nom_Var, as the store keeps it
    Correlations eastWest;
    PairCounts eastWestPairs;
    Correlations northSouth;
    PairCounts northSouthPairs;
    std::optional<Significance> significance;
};

// The level of the test: a shift whose p is below it is marked on its curve.
inline constexpr double significanceLevel = 0.05;

ChartFigures chartFiguresOf(const Store& store);

// The chart of a correlogram of the batch command: a shift without r is drawn as the
// result tables hold it, 0 with 0 pairs; a cross-correlogram is titled "A × B"; a
// permutation test is drawn as the chart window draws its own.
ChartFigures chartFiguresOf(const VariableResult& result);

// The area the chart is drawn in from its top-left corner: the chart window's client
// area above its note and buttons.
inline constexpr QSize chartSize{842, 540};

// Draws the chart of `figures` with `painter`, in pixels from the device's top-left
// corner, over whatever the device holds: axes, scale, reference lines, shift labels,
// both curves and the titles, each text on an opaque black box. With a significance,
// each curve also gets, in its colour, its envelope under it (the low and the high
// quantile of each shift from 1 on, joined as two thin dashed lines, or a short dash for
// a lone shift) and, over it, a 7 x 7 filled square centred on each point whose p is
// below significanceLevel. Shift 0 pairs every cell with itself: r is 1 under any
// arrangement and its p would only measure the rounding, so it gets neither. On a
// raster device the lines and texts are drawn without antialiasing; on any other (SVG)
// the texts are drawn as outlines, so that they keep their face wherever the file is
// shown. Throws as the drawing steps do: FloatFailure for N = 0, Failure for an N
// without table entries, with what came before already drawn.
void drawChart(QPainter& painter, const ChartFigures& figures);

// The chart of `figures` on black, chartSize, as the chart window shows it.
QImage chartImage(const ChartFigures& figures);

// Writes the chart of `figures` into `path`: SVG when the name ends in ".svg" (any
// case), PNG otherwise. Throws Failure when the file cannot be written.
void saveChart(const ChartFigures& figures, const QString& path);

}  // namespace geolago::ui
