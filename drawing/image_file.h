#pragma once
// Writing a drawing into a PNG or SVG file, as the chart and the map are saved.

#include <QColor>
#include <QPainter>
#include <QSize>
#include <QString>

#include <functional>
#include <string>

namespace geolago::drawing {

// Writes into `path` what `draw` paints over `background` on `size` pixels: SVG when the
// name ends in ".svg" (any case), with `title` as its title and its size in pixels, PNG
// otherwise. Throws Failure when the file cannot be written.
void saveDrawing(const QString& path, QSize size, const std::string& title, const QColor& background,
                 const std::function<void(QPainter&)>& draw);

}  // namespace geolago::drawing
