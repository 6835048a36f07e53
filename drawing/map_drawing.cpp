#include "map_drawing.h"

#include <algorithm>
#include <cmath>

#include <QFontMetrics>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>

#include "chart_drawing.h"
#include "image_file.h"
#include "style.h"
#include "texts.h"

namespace geolago::drawing {

namespace {

constexpr int squareLeft = 80, squareTop = 110, squareBox = 500;
constexpr int legendLeft = 640, legendWidth = 30;

// Texts with their top-left corner where asked, in the Garamond face, as outlines on any
// device but a raster one.
class Writer {
public:
    explicit Writer(QPainter& painter)
        : painter_(painter),
          outlines_(!painter.paintEngine() || painter.paintEngine()->type() != QPaintEngine::Raster)
    {
    }

    void setSize(int pixels)
    {
        font_ = garamond(pixels, false);
        font_.setStyleStrategy(QFont::NoAntialias);
    }
    int width(const QString& text) const { return QFontMetrics(font_).horizontalAdvance(text); }
    int height() const { return QFontMetrics(font_).height(); }

    void write(int x, int y, const QString& text)
    {
        const int baseline = y + QFontMetrics(font_).ascent();
        if (outlines_) {
            QPainterPath outline;
            outline.addText(x, baseline, font_, text);
            painter_.fillPath(outline, clBlack);
            return;
        }
        painter_.setFont(font_);
        painter_.setPen(clBlack);
        painter_.drawText(x, baseline, text);
    }
    // Centred on x, or with its middle on y.
    void writeCentred(int x, int y, const QString& text) { write(x - width(text) / 2, y, text); }
    void writeMiddle(int x, int y, const QString& text) { write(x, y - height() / 2, text); }

private:
    QPainter& painter_;
    const bool outlines_;
    QFont font_;
};

// Drawn over the colour of a vector whose r rests on few pairs.
QBrush fewPairsHatch()
{
    return QBrush(QColor(60, 60, 60), Qt::BDiagPattern);
}

std::string titleOf(const CorrelogramMap& map)
{
    return map.variable.name + (map.with ? " × " + map.with->name : std::string());
}

// A channel of the scale's colours that fades with |r|: 255 at 0, 0 at 1.
int channel(double share)
{
    return static_cast<int>(std::lround(255 * (1 - share)));
}

}  // namespace

QColor divergingColour(double r)
{
    const double size = std::clamp(std::fabs(r), 0.0, 1.0);
    const int fade = channel(size);
    return r >= 0 ? QColor(255, fade, fade) : QColor(fade, fade, 255);
}

void drawMap(QPainter& painter, const CorrelogramMap& map)
{
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(QRect(QPoint(0, 0), mapSize), clWhite);
    Writer writer(painter);

    writer.setSize(33);
    writer.write(20, 12, textFromBytes(titleOf(map)));
    writer.setSize(19);
    const Anisotropy& a = map.anisotropy;
    writer.write(20, 52, QStringLiteral("Anisotropie : direction %1°, rapport %2")
                             .arg(a.direction ? QString::number(*a.direction, 'f', 1) : QStringLiteral("-"),
                                  a.ratio ? QString::number(*a.ratio, 'f', 2) : QStringLiteral("-")));

    // The cells: column dx + K from the left, row K - dy from the top.
    const std::int32_t k = map.maxShift;
    const int span = 2 * k + 1;
    const int cell = std::max(1, squareBox / span);
    const int side = cell * span;
    const int left = squareLeft + (squareBox - side) / 2, top = squareTop + (squareBox - side) / 2;
    const auto cellRect = [&](std::int32_t dx, std::int32_t dy) {
        return QRect(left + (dx + k) * cell, top + (k - dy) * cell, cell, cell);
    };
    const int dot = std::max(3, cell / 4);
    for (const Shift& v : map.vectors) {
        const QRect area = cellRect(v.vector.dx, v.vector.dy);
        painter.fillRect(area, v.r ? divergingColour(*v.r) : noRColour);
        if (v.r && v.pairs < fewPairs)
            painter.fillRect(area, fewPairsHatch());
        if (markedSignificant(v))
            painter.fillRect(QRect(area.center() - QPoint(dot / 2, dot / 2), QSize(dot, dot)), clBlack);
    }
    painter.setPen(clBlack);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(left, top, side, side).adjusted(0, 0, -1, -1));
    painter.drawRect(cellRect(0, 0).adjusted(0, 0, -1, -1));

    // Axis labels.
    for (const std::int32_t d : {-k, std::int32_t{0}, k}) {
        const QString label = QString::number(d);
        writer.writeCentred(cellRect(d, 0).center().x(), top + side + 4, label);
        writer.writeMiddle(left - 8 - writer.width(label), cellRect(0, d).center().y(), label);
        if (k == 0)
            break;
    }
    writer.writeCentred(left + side / 2, top + side + 4 + writer.height(), QStringLiteral("dx (mailles le long de X)"));
    writer.write(left - 60, top - writer.height() - 4, QStringLiteral("dy (le long de Y)"));

    // Legend: the vector without r, the hatch and the dot, then the scale from 1 down to -1.
    painter.fillRect(QRect(legendLeft, 12, 14, 14), noRColour);
    writer.writeMiddle(legendLeft + 22, 19, QStringLiteral("sans r"));
    painter.fillRect(QRect(legendLeft, 34, 14, 14), divergingColour(0.5));
    painter.fillRect(QRect(legendLeft, 34, 14, 14), fewPairsHatch());
    writer.writeMiddle(legendLeft + 22, 41, QStringLiteral("< %1 paires").arg(fewPairs));
    if (map.tested()) {
        painter.fillRect(QRect(legendLeft + 7 - dot / 2, 63 - dot / 2, dot, dot), clBlack);
        writer.writeMiddle(legendLeft + 22, 63, QStringLiteral("p corrigé (maxT)"));
        writer.writeMiddle(legendLeft + 22, 61 + writer.height(), QStringLiteral("≤ 0,05"));
    }
    // Rows 0..500 of the scale for r = 1 - y / 250, its frame outside them.
    constexpr int half = squareBox / 2;
    for (int y = 0; y <= 2 * half; ++y)
        painter.fillRect(QRect(legendLeft, squareTop + y, legendWidth, 1), divergingColour(1 - static_cast<double>(y) / half));
    painter.drawRect(QRect(legendLeft - 1, squareTop - 1, legendWidth + 1, 2 * half + 2));
    for (const double r : {1.0, 0.5, 0.0, -0.5, -1.0}) {
        const int y = squareTop + static_cast<int>(std::lround((1 - r) * half));
        painter.drawLine(legendLeft + legendWidth + 1, y, legendLeft + legendWidth + 5, y);
        writer.writeMiddle(legendLeft + legendWidth + 9, y, QString::fromLatin1(r == 1    ? "1.0"
                                                                               : r == 0.5 ? "0.5"
                                                                               : r == 0   ? "0.0"
                                                                               : r == -0.5 ? "-0.5"
                                                                                           : "-1.0"));
    }
    writer.write(legendLeft + legendWidth / 2 - writer.width(QStringLiteral("r")) / 2, squareTop - writer.height() - 4,
                 QStringLiteral("r"));
}

QImage mapImage(const CorrelogramMap& map)
{
    QImage image(mapSize, QImage::Format_RGB32);
    image.fill(clWhite);
    QPainter painter(&image);
    drawMap(painter, map);
    return image;
}

void saveMap(const CorrelogramMap& map, const QString& path)
{
    saveDrawing(path, mapSize, titleOf(map), clWhite, [&](QPainter& painter) { drawMap(painter, map); });
}

}  // namespace geolago::drawing
