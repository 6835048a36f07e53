#pragma once
// The chart window: both correlograms as broken lines, E_W in red and N_S in white.

#include <QImage>
#include <QWidget>

#include <functional>
#include <optional>

#include "chart_drawing.h"

class QPainter;
class QPushButton;

namespace geolago {
struct Store;
}

// The surface the chart is drawn on. It keeps what was drawn in an image and paints it
// back whenever the window is repainted, so covering, minimising or resizing the window
// leaves the chart in place.
class TChartCanvas : public QWidget {
    Q_OBJECT

public:
    explicit TChartCanvas(QWidget* parent = nullptr);

    // Runs `steps` with a painter on the image, then shows the result, also when the
    // steps stop on a failure (which goes on to the caller).
    void draw(const std::function<void(QPainter&)>& steps);

    // Everything drawn so far.
    const QImage& image() const { return image_; }
    // Back to plain black.
    void clear();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage image_;
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
    // "Enregistrer l'image…": the chart shown, as a PNG or SVG file the user chooses.
    void saveImage();
    // Ctrl+C: the chart shown, as an image on the clipboard.
    void copyImage();
    // Back to plain black, nothing to save or copy.
    void clearChart();

    const geolago::Store& store_;

    TChartCanvas* Canvas;
    QPushButton* saveImageButton_;
    // The figures of the chart on the canvas, once a drawing has completed.
    std::optional<geolago::ui::ChartFigures> shown_;
};
