#include "chart_drawing.h"

#include <algorithm>

#include <QFontMetrics>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include "extended.h"
#include "failures.h"
#include "image_file.h"
#include "numbertext.h"
#include "refusals.h"
#include "style.h"
#include "texts.h"

namespace geolago::drawing {

namespace {

// A font size in points at 96 pixels per inch: 25, 20 and 14 points are 33, 27 and 19
// pixels high.
int pixelsOf(int points)
{
    return (points * 96 + 36) / 72;
}

// The size of the curves' names, in points.
constexpr int curveNamePoints = 20;

// The drawing operations of the usual canvas model on a painter: a current position, a
// pen, a font, and text written on an opaque black box.
class PainterCanvas {
public:
    enum class PenStyle { Solid, Dash };

    explicit PainterCanvas(QPainter& painter)
        : painter_(painter),
          textAsOutlines_(!painter.paintEngine() || painter.paintEngine()->type() != QPaintEngine::Raster)
    {
        painter_.setRenderHint(QPainter::Antialiasing, false);
    }

    void MoveTo(int x, int y) { position_ = QPoint(x, y); }

    void LineTo(int x, int y)
    {
        const QPoint to(x, y);
        painter_.setPen(currentPen());
        painter_.drawLine(position_, to);
        position_ = to;
    }

    // Draws with the pen through `points` in turn, as one line: a dashed pen's dashes run
    // on from one piece to the next.
    void Polyline(const QPolygon& points)
    {
        painter_.setPen(currentPen());
        painter_.drawPolyline(points);
    }

    // Fills `area` with `colour`, outline included.
    void FillRect(const QRect& area, const QColor& colour) { painter_.fillRect(area, colour); }

    // Writes `text` with the top-left corner of its box at (x, y).
    void TextOut(int x, int y, const QString& text)
    {
        const QFont font = currentFont();
        const QFontMetrics metrics(font);
        painter_.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()), clBlack);
        if (textAsOutlines_) {
            QPainterPath outline;
            outline.addText(x, y + metrics.ascent(), font, text);
            painter_.fillPath(outline, fontColor_);
            return;
        }
        painter_.setFont(font);
        painter_.setPen(fontColor_);
        painter_.drawText(x, y + metrics.ascent(), text);
    }

    void setPenColor(const QColor& color) { penColor_ = color; }
    void setPenWidth(int width) { penWidth_ = width; }
    void setPenStyle(PenStyle style) { penStyle_ = style; }
    void setFontColor(const QColor& color) { fontColor_ = color; }
    // The chart asks only for "garamond"; any other name is drawn in the sans serif
    // face that stands for the window font.
    void setFontName(const QString& name) { fontName_ = name; }
    void setFontSize(int points) { fontPixels_ = pixelsOf(points); }

private:
    QPen currentPen() const
    {
        QPen pen(penColor_);
        pen.setWidth(penWidth_);
        if (penStyle_ == PenStyle::Dash) {
            // 18 pixels drawn, 6 left out, as the usual dashed 1-pixel pen.
            pen.setDashPattern({18.0, 6.0});
        }
        // A thin line stops short of its end point, as a canvas line does; wide ones get
        // round ends so that the pieces of a broken line meet without gaps.
        pen.setCapStyle(penWidth_ > 1 ? Qt::RoundCap : Qt::FlatCap);
        pen.setJoinStyle(Qt::RoundJoin);
        return pen;
    }

    QFont currentFont() const
    {
        QFont font = fontName_.compare(QLatin1String("garamond"), Qt::CaseInsensitive) == 0
                         ? garamond(fontPixels_, false)
                         : sansSerif(fontPixels_);
        // Plain pixels in the text's own colour, with no blended edges.
        font.setStyleStrategy(QFont::NoAntialias);
        return font;
    }

    QPainter& painter_;
    const bool textAsOutlines_;
    QPoint position_;
    QColor penColor_{Qt::black};
    int penWidth_ = 1;
    PenStyle penStyle_ = PenStyle::Solid;
    QColor fontColor_{Qt::black};
    QString fontName_ = QStringLiteral("MS Sans Serif");
    int fontPixels_ = 11;
};

constexpr int chartLeft = 50;
constexpr int labelTop = 470;
// Where the names of the curves stand, at y = 20.
constexpr int eastWestNameLeft = 300, northSouthNameLeft = 100;

// Point k of a curve: x from the step, y = 255 - round(200 r) with a tie to the even
// integer, the product formed exactly in extended precision.
QPoint curvePoint(std::int32_t k, std::int32_t step, double r)
{
    const std::int32_t x = chartLeft + k * step;
    const std::int64_t lift = roundToInt64(static_cast<Ext>(200) * static_cast<Ext>(r));
    return QPoint(x, low32(255 - lift));
}

// r and pairs of shift k as the chart reads them: 0 and 0 where the shift has no r, and
// for shift N, which no direction computes.
double rAt(const std::vector<Shift>& shifts, std::int32_t k)
{
    return k < static_cast<std::int32_t>(shifts.size()) ? shifts[static_cast<std::size_t>(k)].r.value_or(0.0) : 0.0;
}
std::int32_t pairsAt(const std::vector<Shift>& shifts, std::int32_t k)
{
    return k < static_cast<std::int32_t>(shifts.size()) ? shifts[static_cast<std::size_t>(k)].pairs : 0;
}

// The last shift of a curve that the chart tests: N, or the last that `shifts` holds.
std::int32_t lastTested(std::int32_t cells, const std::vector<Shift>& shifts)
{
    return std::min(cells, static_cast<std::int32_t>(shifts.size()) - 1);
}

// The envelope of a curve: the low quantiles of its tested shifts joined in one thin
// dashed line, then the high ones in another; a bound that only one shift has is a short
// dash across that shift. Leaves the pen as it found it for the curve, 3 pixels, solid.
void drawEnvelope(PainterCanvas& canvas, std::int32_t cells, std::int32_t step, const std::vector<Shift>& shifts)
{
    constexpr int loneDashHalf = 4;
    canvas.setPenWidth(1);
    canvas.setPenStyle(PainterCanvas::PenStyle::Dash);
    for (const auto bound : {&ShiftTest::low, &ShiftTest::high}) {
        QPolygon line;
        for (std::int32_t k = 0; k <= lastTested(cells, shifts); ++k)
            if (const std::optional<double>& value = shifts[static_cast<std::size_t>(k)].*bound)
                line.append(curvePoint(k, step, *value));
        if (line.size() == 1)
            line = {line[0] - QPoint(loneDashHalf, 0), line[0] + QPoint(loneDashHalf, 0)};
        canvas.Polyline(line);
    }
    canvas.setPenWidth(3);
    canvas.setPenStyle(PainterCanvas::PenStyle::Solid);
}

// A 7 x 7 square on every point of the curve whose shift has a family-wise p (maxT) at
// most the level. A point the curve does not reach gets none.
void markSignificantShifts(PainterCanvas& canvas, const QColor& colour, std::int32_t cells, std::int32_t step,
                           const std::vector<Shift>& shifts)
{
    for (std::int32_t k = 0; k <= lastTested(cells, shifts); ++k) {
        if (markedSignificant(shifts[static_cast<std::size_t>(k)]) && pairsAt(shifts, k) > 2)
            canvas.FillRect(QRect(curvePoint(k, step, rAt(shifts, k)) - QPoint(3, 3), QSize(7, 7)), colour);
    }
}

// Where the legend of a test stands: right of the axes, above the chart window's test
// button; each line a sample, then its text.
constexpr int legendLeft = 704, legendTop = 436, legendLine = 22, legendSample = 30;

// What the dashed lines and the squares of a test mean, in silver, 11-point type.
void drawLegend(PainterCanvas& canvas)
{
    canvas.setPenColor(clSilver);
    canvas.setFontColor(clSilver);
    canvas.setFontName(QStringLiteral("garamond"));
    canvas.setFontSize(11);
    const int textLeft = legendLeft + legendSample + 5;
    const int middle = pixelsOf(11) / 2;  // of a line of text
    canvas.setPenWidth(1);
    canvas.setPenStyle(PainterCanvas::PenStyle::Dash);
    canvas.Polyline(QPolygon({QPoint(legendLeft, legendTop + middle), QPoint(legendLeft + legendSample, legendTop + middle)}));
    canvas.setPenStyle(PainterCanvas::PenStyle::Solid);
    canvas.TextOut(textLeft, legendTop, QStringLiteral("enveloppe"));
    const int second = legendTop + legendLine;
    canvas.FillRect(QRect(legendLeft + legendSample / 2 - 3, second + middle - 3, 7, 7), clSilver);
    canvas.TextOut(textLeft, second, QStringLiteral("p corrigé (maxT)"));
    canvas.TextOut(textLeft, second + pixelsOf(11), QStringLiteral("≤ 0,05"));
}

// One correlogram: its name at (nameLeft, 20), then from point 0 a segment to every
// point k whose pair count is above 2. A skipped shift draws nothing, so the next
// segment starts from the last point reached. With `tested`, its envelope goes under the
// curve and the marks of its significant shifts over it.
void drawCurve(PainterCanvas& canvas, const QColor& colour, const char* name, int nameLeft, std::int32_t cells,
               std::int32_t step, const std::vector<Shift>& shifts, bool tested)
{
    canvas.setPenColor(colour);
    canvas.setFontColor(colour);
    canvas.setFontName(QStringLiteral("garamond"));
    canvas.setFontSize(curveNamePoints);
    canvas.TextOut(nameLeft, 20, QString::fromLatin1(name));
    if (tested)
        drawEnvelope(canvas, cells, step, shifts);
    const QPoint start = curvePoint(0, step, rAt(shifts, 0));
    canvas.MoveTo(start.x(), start.y());
    for (std::int32_t k = 1; k <= cells; ++k)
        if (pairsAt(shifts, k) > 2) {
            const QPoint to = curvePoint(k, step, rAt(shifts, k));
            canvas.LineTo(to.x(), to.y());
        }
    if (tested)
        markSignificantShifts(canvas, colour, cells, step, shifts);
}

// The title of a chart: the variable's name, "A × B" for a cross-correlogram.
std::string titleOf(const Correlogram& figures)
{
    return figures.variable.name + (figures.with ? " × " + figures.with->name : std::string());
}

}  // namespace

void drawChart(QPainter& painter, const Correlogram& figures)
{
    PainterCanvas canvas(painter);

    // Title.
    canvas.setFontColor(clRed);
    canvas.setFontName(QStringLiteral("garamond"));
    canvas.setFontSize(25);
    canvas.TextOut(500, 20, textFromBytes(titleOf(figures)));

    // Axes.
    canvas.setPenColor(clYellow);
    canvas.setPenWidth(2);
    canvas.MoveTo(50, 20);
    canvas.LineTo(50, 500);
    canvas.MoveTo(50, 250);
    canvas.LineTo(700, 250);

    // Scale texts, always with a point.
    canvas.setFontSize(14);
    canvas.setFontColor(clYellow);
    canvas.TextOut(15, 40, QStringLiteral("1.0"));
    canvas.TextOut(15, 230, QStringLiteral("0.0"));
    canvas.TextOut(15, 450, QStringLiteral("-1.0"));

    // Reference lines at r = +1 and just below r = -1.
    canvas.setPenWidth(1);
    canvas.setPenStyle(PainterCanvas::PenStyle::Dash);
    canvas.MoveTo(50, 55);
    canvas.LineTo(650, 55);
    canvas.MoveTo(50, 465);
    canvas.LineTo(650, 465);

    // Step in pixels between shifts; N = 0 fails here with a division by zero.
    const std::int32_t cells = figures.cellsPerAxis;
    const std::int32_t step = low32(truncToInt64(divide(static_cast<Ext>(600), static_cast<Ext>(cells))));
    // The tables hold shifts 0..30 only: any other N stops the drawing here.
    if (const auto refusal = refuseCellCount(cells))
        throw Failure(*refusal);

    // Shift labels.
    for (std::int32_t k = 0; k <= cells; ++k)
        canvas.TextOut(chartLeft + k * step, labelTop, QString::fromStdString(writeInteger(k)));

    // Curves.
    canvas.setPenWidth(3);
    canvas.setPenStyle(PainterCanvas::PenStyle::Solid);
    const bool tested = figures.tested();
    drawCurve(canvas, clRed, "E_W", eastWestNameLeft, cells, step, figures.eastWest, tested);
    drawCurve(canvas, clWhite, "N_S", northSouthNameLeft, cells, step, figures.northSouth, tested);
    if (tested)
        drawLegend(canvas);
}

QRect legendArea()
{
    return QRect(legendLeft, legendTop, chartSize.width() - legendLeft, legendLine + 2 * pixelsOf(11));
}

QRect curveNameArea(Direction direction)
{
    const QFontMetrics metrics(garamond(pixelsOf(curveNamePoints), false));
    const QString name = QString::fromLatin1(direction == Direction::EastWest ? "E_W" : "N_S");
    return QRect(direction == Direction::EastWest ? eastWestNameLeft : northSouthNameLeft, 20,
                 metrics.horizontalAdvance(name), metrics.height());
}

QImage chartImage(const Correlogram& figures)
{
    QImage image(chartSize, QImage::Format_RGB32);
    image.fill(clBlack);
    QPainter painter(&image);
    drawChart(painter, figures);
    return image;
}

void saveChart(const Correlogram& figures, const QString& path)
{
    saveDrawing(path, chartSize, titleOf(figures), clBlack, [&](QPainter& painter) { drawChart(painter, figures); });
}

}  // namespace geolago::drawing
