#pragma once
// The drawing of the chart: both correlograms as broken lines, E_W in red and N_S in
// white, on black. One function paints it on any paint device; the chart window, its
// save button and geolago-cli --plot all draw with it.

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>

#include "correlogram.h"

class QPainter;

namespace geolago::drawing {

// The level of the test: a shift whose family-wise p (pFwer, the maxT adjustment over every
// tested shift of both curves) is at most it is marked on its curve.
inline constexpr double significanceLevel = 0.05;
inline bool markedSignificant(const ShiftTest& test)
{
    return test.pFwer && *test.pFwer <= significanceLevel;
}

// The area the chart is drawn in from its top-left corner: the chart window's client
// area above its note and buttons.
inline constexpr QSize chartSize{842, 540};

// Draws the chart of `figures` with `painter`, in pixels from the device's top-left
// corner, over whatever the device holds: axes, scale, reference lines, shift labels
// 0..N, both curves and the titles, each text on an opaque black box. The title is the
// variable's name, "A × B" for a cross-correlogram. A shift without r, and shift N, which
// no direction computes, are drawn as the result tables hold them: 0 with 0 pairs. With a
// permutation test, each curve also gets, in its colour, its envelope under it (the low
// and the high quantile of each tested shift, joined as two thin dashed lines, or a short
// dash for a lone shift) and, over it, a 7 x 7 filled square centred on each point
// markedSignificant() (shift 0 of an auto-correlogram, untested, gets neither). A legend in
// silver, right of the axes above the chart window's test button (legendArea()), then
// names the dashed line "enveloppe" and the square "p corrigé (maxT) ≤ 0,05", on two
// lines. On a
// raster device the lines and texts are drawn without antialiasing; on any other (SVG)
// the texts are drawn as outlines, so that they keep their face wherever the file is
// shown. Throws as the drawing steps do: FloatFailure for N = 0, Failure for an N
// without table entries, with what came before already drawn.
void drawChart(QPainter& painter, const Correlogram& figures);

// The box of the legend of a test, as drawChart() writes it.
QRect legendArea();

// The box of the name of `direction`'s curve, "E_W" or "N_S", as drawChart() writes it.
QRect curveNameArea(Direction direction);

// The chart of `figures` on black, chartSize, as the chart window shows it.
QImage chartImage(const Correlogram& figures);

// Writes the chart of `figures` into `path`: SVG when the name ends in ".svg" (any
// case), PNG otherwise. Throws Failure when the file cannot be written.
void saveChart(const Correlogram& figures, const QString& path);

}  // namespace geolago::drawing
