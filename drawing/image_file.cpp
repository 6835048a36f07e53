#include "image_file.h"

#include <QBuffer>
#include <QImage>
#include <QSvgGenerator>

#include "savefile.h"
#include "texts.h"

namespace geolago::drawing {

namespace {

// Sets attribute `name` of the <svg> element of `svg` to `value`, when it has one.
void setSvgAttribute(QByteArray& svg, const QByteArray& name, int value)
{
    const qsizetype element = svg.indexOf("<svg");
    const qsizetype end = svg.indexOf('>', element);
    const qsizetype at = svg.indexOf(" " + name + "=\"", element);
    if (element < 0 || at < 0 || at > end)
        return;
    const qsizetype from = at + name.size() + 3;
    svg.replace(from, svg.indexOf('"', from) - from, QByteArray::number(value));
}

// `title` as the text of an XML element, which the generator writes as given: "&", "<"
// and ">" as references, a control character XML does not allow as "\xHH" (as the batch
// command's text output writes it), a noncharacter U+FFFE or U+FFFF as U+FFFD.
QString xmlText(const std::string& title)
{
    QString text;
    for (const QChar c : textFromBytes(title)) {
        const char16_t u = c.unicode();
        if (u == u'&')
            text += QStringLiteral("&amp;");
        else if (u == u'<')
            text += QStringLiteral("&lt;");
        else if (u == u'>')
            text += QStringLiteral("&gt;");
        else if (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r')
            text += QStringLiteral("\\x") + QString::number(u, 16).toUpper().rightJustified(2, u'0');
        else if (u == 0xFFFE || u == 0xFFFF)
            text += QChar(0xFFFD);
        else
            text += c;
    }
    return text;
}

}  // namespace

void saveDrawing(const QString& path, QSize size, const std::string& title, const QColor& background,
                 const std::function<void(QPainter&)>& draw)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setResolution(96);
        svg.setTitle(xmlText(title));
        QPainter painter(&svg);
        painter.fillRect(QRect(QPoint(0, 0), size), background);
        draw(painter);
        painter.end();
        // The generator gives the size in millimetres at its resolution, which viewers
        // of other resolutions turn into other sizes: in pixels, as drawn.
        setSvgAttribute(bytes, "width", size.width());
        setSvgAttribute(bytes, "height", size.height());
    } else {
        QImage image(size, QImage::Format_RGB32);
        image.fill(background);
        QPainter painter(&image);
        draw(painter);
        painter.end();
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    }
    saveFile(path, bytes);
}

}  // namespace geolago::drawing
