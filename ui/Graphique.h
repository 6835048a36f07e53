#pragma once
// The chart window: both correlograms as broken lines, E_W in red and N_S in white.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QWidget>

namespace geolago {
struct Store;
}

// The surface the chart is drawn on. It keeps what was drawn in an image and paints it
// back whenever the window is repainted, so covering, minimising or resizing the window
// leaves the chart in place. The drawing operations follow the usual canvas model: a
// current position, a pen, a font, and text written on an opaque black box.
class TChartCanvas : public QWidget {
    Q_OBJECT

public:
    enum class PenStyle { Solid, Dash };

    explicit TChartCanvas(QWidget* parent = nullptr);

    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    // Writes `text` with the top-left corner of its box at (x, y).
    void TextOut(int x, int y, const QString& text);

    void setPenColor(const QColor& color) { penColor_ = color; }
    void setPenWidth(int width) { penWidth_ = width; }
    void setPenStyle(PenStyle style) { penStyle_ = style; }
    void setFontColor(const QColor& color) { fontColor_ = color; }
    // A font name as the drawing asks for it, "garamond" or "MS Sans Serif"; each is
    // drawn in the installed face that stands for it.
    void setFontName(const QString& name);
    // Size in points at 96 pixels per inch.
    void setFontSize(int points);

    // Everything drawn so far.
    const QImage& image() const { return image_; }
    // Back to plain black.
    void clear();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QFont currentFont() const;

    QImage image_;
    QPoint position_;
    QColor penColor_{Qt::black};
    int penWidth_ = 1;
    PenStyle penStyle_ = PenStyle::Solid;
    QColor fontColor_{Qt::black};
    QString fontName_;
    int fontPixels_ = 11;
};

class TForm4 : public QWidget {
    Q_OBJECT

public:
    // The window draws the figures of `store`, which outlives it.
    explicit TForm4(const geolago::Store& store, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ButtAfficheClick();
    void ButtFermerClick();

    const geolago::Store& store_;

    TChartCanvas* Canvas;
};
