#include "Graphique.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>

#include "dialogs.h"
#include "controls.h"
#include "messages.h"
#include "results.h"
#include "significance.h"
#include "store.h"
#include "texts.h"

using namespace geolago;
using namespace geolago::ui;
using namespace geolago::drawing;

namespace {

// The wait cursor over the whole program for as long as it lives, however its scope is
// left.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

// ---------------------------------------------------------------------------------------
// TChartCanvas

TChartCanvas::TChartCanvas(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TChartCanvas::clear()
{
    image_.fill(Qt::black);
    update();
}

void TChartCanvas::draw(const std::function<void(QPainter&)>& steps)
{
    struct ShowAtEnd {
        QWidget* canvas;
        ~ShowAtEnd() { canvas->update(); }
    } show{this};
    QPainter painter(&image_);
    steps(painter);
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
    // In the free space of the bottom row, between the two buttons.
    saveImageButton_ =
        makeButton(this, "saveImageButton", QStringLiteral("Enregistrer l'image…"), 595, 568, 140, 25);
    saveImageButton_->setEnabled(false);
    // In the chart area right of the axes, where the drawing never reaches, by the
    // bottom row; open once a calculation has completed. Its caption on two lines.
    significanceButton_ = makeButton(this, "significanceButton",
                                     QStringLiteral("Tester\n(%1 permutations)").arg(testPermutations), 712, 496, 115, 41);
    significanceButton_->setEnabled(false);
    significanceButton_->setToolTip(significanceToolTip());
    // Over the names of the curves, which the chart draws: their tooltips.
    for (const Direction direction : {Direction::EastWest, Direction::NorthSouth}) {
        auto* name = new QWidget(this);
        name->setObjectName(direction == Direction::EastWest ? QStringLiteral("eastWestName")
                                                             : QStringLiteral("northSouthName"));
        name->setGeometry(curveNameArea(direction));
        name->setToolTip(directionToolTip(direction));
    }
    // Over the legend of a test, which the chart draws once a test is shown.
    significanceLegend_ = new QWidget(this);
    significanceLegend_->setObjectName(QStringLiteral("significanceLegend"));
    significanceLegend_->setGeometry(legendArea());
    significanceLegend_->setToolTip(significanceToolTip());
    significanceLegend_->setVisible(false);
    QWidget::setTabOrder(ButtAffiche, ButtFermer);
    QWidget::setTabOrder(ButtFermer, saveImageButton_);
    QWidget::setTabOrder(saveImageButton_, significanceButton_);

    onClick(ButtAffiche, [this] { ButtAfficheClick(); });
    onClick(ButtFermer, [this] { ButtFermerClick(); });
    onClick(saveImageButton_, [this] { saveImage(); });
    onClick(significanceButton_, [this] { showSignificance(); });
    auto* copy = new QShortcut(QKeySequence::Copy, this);
    connect(copy, &QShortcut::activated, this, [this] { guarded([this] { copyImage(); }); });
}

void TForm4::showEvent(QShowEvent* event)
{
    // Shown from hidden: the client area starts plain black. A restore from the task
    // bar is spontaneous and keeps the chart.
    if (!event->spontaneous())
        clearChart();
    QWidget::showEvent(event);
}

void TForm4::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Canvas->setGeometry(rect());
}

void TForm4::clearChart()
{
    shown_.reset();
    saveImageButton_->setEnabled(false);
    significanceLegend_->setVisible(false);
    Canvas->clear();
}

void TForm4::setTestable(bool testable)
{
    significanceButton_->setEnabled(testable);
}

void TForm4::dropSignificance()
{
    guarded([this] {
        if (!shown_ || !shown_->tested())
            return;
        shown_->dropTest();
        showChart(*shown_);
    });
}

void TForm4::showChart(Correlogram figures)
{
    // Each drawing shows one analysis alone, on a cleared surface.
    clearChart();
    Canvas->draw([&](QPainter& painter) { drawChart(painter, figures); });
    shown_ = std::move(figures);
    saveImageButton_->setEnabled(true);
    significanceLegend_->setVisible(shown_->tested());
}

void TForm4::ButtAfficheClick()
{
    showChart(windowFigures(store_));
}

void TForm4::showSignificance()
{
    // About a tenth of a second on the largest input, under the wait cursor.
    const BusyCursor busy;
    // Seed 1, geolago-cli's own, so that `--permutations 999` gives the same figures.
    const SignificanceRequest request{.first = store_.Num_Var, .permutations = testPermutations, .seed = 1};
    Correlogram figures = windowFigures(store_);
    testSignificance(store_, figures, request);
    showChart(std::move(figures));
    emit significanceComputed(*shown_);
}

void TForm4::ButtFermerClick()
{
    close();
}

void TForm4::saveImage()
{
    if (!shown_)
        return;
    const QString png = QStringLiteral("Image PNG (*.png)");
    const QString svg = QStringLiteral("Image SVG (*.svg)");
    const QString proposed = QDir(savingFolder(QString::fromStdString(store_.pointsFile)))
                                 .filePath(suggestedFileName(textFromBytes(shown_->variable.name), QStringLiteral("png")));
    const SaveChoice choice =
        fileDialogs().saveFileName(this, QStringLiteral("Enregistrer l'image"), proposed, {png, svg});
    if (choice.path.isEmpty())
        return;
    const QString suffix = choice.filter == svg ? QStringLiteral("svg") : QStringLiteral("png");
    saveChart(*shown_, withSuffix(choice.path, suffix, {QStringLiteral("png"), QStringLiteral("svg")}));
}

void TForm4::copyImage()
{
    if (shown_)
        QGuiApplication::clipboard()->setImage(chartImage(*shown_));
}
