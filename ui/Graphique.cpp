#include "Graphique.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>

#include "extended.h"
#include "look.h"
#include "numbertext.h"
#include "refusals.h"
#include "store.h"
#include "texts.h"

using namespace geolago;
using namespace geolago::ui;

// ---------------------------------------------------------------------------------------
// TChartCanvas

TChartCanvas::TChartCanvas(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    fontName_ = QStringLiteral("MS Sans Serif");
}

void TChartCanvas::clear()
{
    image_.fill(Qt::black);
    update();
}

void TChartCanvas::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The image only grows, so a window made smaller and then larger again still shows
    // everything drawn on it.
    const QSize wanted = image_.size().expandedTo(size());
    if (wanted == image_.size())
        return;
    QImage grown(wanted, QImage::Format_RGB32);
    grown.fill(Qt::black);
    if (!image_.isNull()) {
        QPainter painter(&grown);
        painter.drawImage(0, 0, image_);
    }
    image_ = grown;
}

void TChartCanvas::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), image_, event->rect());
}

void TChartCanvas::MoveTo(int x, int y)
{
    position_ = QPoint(x, y);
}

void TChartCanvas::LineTo(int x, int y)
{
    const QPoint to(x, y);
    QPainter painter(&image_);
    painter.setRenderHint(QPainter::Antialiasing, false);
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
    painter.setPen(pen);
    painter.drawLine(position_, to);
    position_ = to;
    update();
}

void TChartCanvas::TextOut(int x, int y, const QString& text)
{
    const QFont font = currentFont();
    const QFontMetrics metrics(font);
    QPainter painter(&image_);
    painter.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()), clBlack);
    painter.setFont(font);
    painter.setPen(fontColor_);
    painter.drawText(x, y + metrics.ascent(), text);
    update();
}

void TChartCanvas::setFontName(const QString& name)
{
    fontName_ = name;
}

void TChartCanvas::setFontSize(int points)
{
    // 96 pixels per inch: 25, 20 and 14 points are 33, 27 and 19 pixels high.
    fontPixels_ = (points * 96 + 36) / 72;
}

QFont TChartCanvas::currentFont() const
{
    QFont font = fontName_.compare(QLatin1String("garamond"), Qt::CaseInsensitive) == 0
                     ? garamond(fontPixels_, false)
                     : sansSerif(fontPixels_);
    // Plain pixels in the text's own colour: a drawing repeated over itself gives the
    // same picture, with no blended edges building up.
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

// ---------------------------------------------------------------------------------------
// TForm4

TForm4::TForm4(const Store& store, QWidget* parent) : QWidget(parent), store_(store)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("    Corrélogrammes"));
    setFont(sansSerif(11));
    setWindowColours(this, clBlack, palette().color(QPalette::WindowText));
    placeWindow(this, 245, 204, 850, 637);

    // The canvas lies under the controls and covers the whole client area.
    Canvas = new TChartCanvas(this);
    Canvas->setObjectName(QStringLiteral("Canvas"));
    Canvas->setGeometry(rect());

    const QFont note = garamond(16, true);
    QLabel* Label1 = makeLabel(this, "Label1",
                               QStringLiteral("Seuls, les r calculés avec > 5 paires de cellules  sont représentés"),
                               128, 544, &note);
    setTextColour(Label1, clAqua);

    QPushButton* ButtAffiche =
        makeButton(this, "ButtAffiche", QStringLiteral("Afficher Correlogramme"), 120, 568, 457, 25);
    QPushButton* ButtFermer = makeButton(this, "ButtFermer", QStringLiteral("Fermer"), 752, 568, 75, 25);
    QWidget::setTabOrder(ButtAffiche, ButtFermer);

    onClick(ButtAffiche, [this] { ButtAfficheClick(); });
    onClick(ButtFermer, [this] { ButtFermerClick(); });
}

void TForm4::showEvent(QShowEvent* event)
{
    // Shown from hidden: the client area starts plain black. A restore from the task
    // bar is spontaneous and keeps the chart.
    if (!event->spontaneous())
        Canvas->clear();
    QWidget::showEvent(event);
}

void TForm4::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Canvas->setGeometry(rect());
}

namespace {

constexpr int chartLeft = 50;
constexpr int labelTop = 470;

// Point k of a curve: x from the step, y = 255 - round(200 r) with a tie to the even
// integer, the product formed exactly in extended precision.
QPoint curvePoint(std::int32_t k, std::int32_t step, double r)
{
    const std::int32_t x = chartLeft + k * step;
    const std::int64_t lift = roundToInt64(static_cast<Ext>(200) * static_cast<Ext>(r));
    return QPoint(x, low32(255 - lift));
}

// One correlogram: its name at (nameLeft, 20), then from point 0 a segment to every
// point k whose pair count is above 2. A skipped shift draws nothing, so the next
// segment starts from the last point reached.
void drawCurve(TChartCanvas& canvas, const QColor& colour, const char* name, int nameLeft,
               std::int32_t cells, std::int32_t step, const Correlations& r, const PairCounts& pairs)
{
    canvas.setPenColor(colour);
    canvas.setFontColor(colour);
    canvas.setFontName(QStringLiteral("garamond"));
    canvas.setFontSize(20);
    canvas.TextOut(nameLeft, 20, QString::fromLatin1(name));
    const QPoint start = curvePoint(0, step, r[0]);
    canvas.MoveTo(start.x(), start.y());
    for (std::int32_t k = 1; k <= cells; ++k)
        if (pairs[k] > 2) {
            const QPoint to = curvePoint(k, step, r[k]);
            canvas.LineTo(to.x(), to.y());
        }
}

}  // namespace

void TForm4::ButtAfficheClick()
{
    TChartCanvas& canvas = *Canvas;

    // Title.
    canvas.setFontColor(clRed);
    canvas.setFontName(QStringLiteral("garamond"));
    canvas.setFontSize(25);
    canvas.TextOut(500, 20, textFromBytes(store_.Nom_Var));

    // Axes; the pen style is whatever the last drawing left.
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
    canvas.setPenStyle(TChartCanvas::PenStyle::Dash);
    canvas.MoveTo(50, 55);
    canvas.LineTo(650, 55);
    canvas.MoveTo(50, 465);
    canvas.LineTo(650, 465);

    // Step in pixels between shifts; N = 0 fails here with a division by zero.
    const std::int32_t cells = store_.NBMailles;
    const std::int32_t step = low32(truncToInt64(divide(static_cast<Ext>(600), static_cast<Ext>(cells))));
    // The tables hold shifts 0..30 only: any other N stops the drawing here.
    if (const auto refusal = refuseCellCount(cells))
        throw Failure(*refusal);

    // Shift labels.
    for (std::int32_t k = 0; k <= cells; ++k)
        canvas.TextOut(chartLeft + k * step, labelTop, QString::fromStdString(writeInteger(k)));

    // Curves.
    canvas.setPenWidth(3);
    canvas.setPenStyle(TChartCanvas::PenStyle::Solid);
    drawCurve(canvas, clRed, "E_W", 300, cells, step, store_.R_EW, store_.Paires_EW);
    drawCurve(canvas, clWhite, "N_S", 100, cells, step, store_.R_NS, store_.Paires_NS);
}

void TForm4::ButtFermerClick()
{
    close();
}
