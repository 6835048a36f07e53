#pragma once
// The chart window: both correlograms as broken lines, E_W in red and N_S in white.

#include <QImage>
#include <QWidget>

#include <cstdint>
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

    // The permutations the test button computes.
    static constexpr std::int32_t testPermutations = 999;

public slots:
    // Whether the store's result tables come from its data, so that the test button may
    // test them: from a completed "Calculer" until new points, cells or variable.
    void setTestable(bool testable);
    // Takes the envelopes and marks of a test off the chart, which shows what "Afficher
    // Correlogramme" drew: the test belonged to a calculation that is no longer the last.
    void dropSignificance();

signals:
    // The test button tested the figures of the last calculation.
    void significanceComputed(const geolago::Correlogram& tested);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void ButtAfficheClick();
    void ButtFermerClick();
    // The test button: the permutation test of the store's variable, then the chart with
    // each curve's envelope and its significant shifts.
    void showSignificance();
    // Draws `figures` on a cleared surface; they are then the chart shown, saved and copied.
    void showChart(geolago::Correlogram figures);
    // "Enregistrer l'image…": the chart shown, as a PNG or SVG file the user chooses.
    void saveImage();
    // Ctrl+C: the chart shown, as an image on the clipboard.
    void copyImage();
    // Back to plain black, nothing to save or copy.
    void clearChart();

    const geolago::Store& store_;

    TChartCanvas* Canvas;
    QPushButton* saveImageButton_;
    QPushButton* significanceButton_;
    QWidget* significanceLegend_;  // carries the legend's tooltip while a test is shown
    // The figures of the chart on the canvas, once a drawing has completed.
    std::optional<geolago::Correlogram> shown_;
};
