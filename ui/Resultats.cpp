#include "Resultats.h"

#include <algorithm>
#include <sstream>

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>

#include "dialogs.h"
#include "controls.h"
#include "messages.h"
#include "numbertext.h"
#include "regional.h"
#include "results.h"
#include "savefile.h"
#include "store.h"
#include "texts.h"

using namespace geolago;
using namespace geolago::ui;
using namespace geolago::drawing;

namespace {

constexpr int rowHeight = 24;

// A string grid whose Ctrl+C copies cells as text (see gridText).
class ResultsGrid : public QTableWidget {
public:
    using QTableWidget::QTableWidget;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->matches(QKeySequence::Copy)) {
            guarded([this] { QGuiApplication::clipboard()->setText(gridText(this)); });
            event->accept();
            return;
        }
        QTableWidget::keyPressEvent(event);
    }
};

// A string grid of three columns. Row 0 is the header, kept in place while the rows
// scroll; column 0 and the header are drawn on the button face in the grid's own text
// colour. Cells can be selected, not edited.
QTableWidget* makeGrid(QWidget* parent, const char* name, int left, int top, int width, int height,
                       std::initializer_list<int> widths, const QColor& cells, const QColor& text,
                       int fontSize = 11, int rowHeight = ::rowHeight)
{
    auto* grid = new ResultsGrid(parent);
    grid->setObjectName(QString::fromLatin1(name));
    grid->setGeometry(left, top, width, height);
    grid->setFont(sansSerif(fontSize));
    grid->setColumnCount(3);
    grid->setRowCount(0);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid->setShowGrid(true);
    grid->setWordWrap(false);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    grid->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    QHeaderView* columns = grid->horizontalHeader();
    columns->setSectionResizeMode(QHeaderView::Fixed);
    columns->setMinimumSectionSize(1);
    columns->setFixedHeight(rowHeight);
    columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    columns->setHighlightSections(false);
    columns->setSectionsClickable(false);
    int col = 0;
    for (int w : widths)
        grid->setColumnWidth(col++, w);

    QHeaderView* rows = grid->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(rowHeight);

    QPalette palette = grid->palette();
    palette.setColor(QPalette::Base, cells);
    palette.setColor(QPalette::AlternateBase, cells);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Window, buttonFace());
    palette.setColor(QPalette::Button, buttonFace());
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::WindowText, text);
    grid->setPalette(palette);
    columns->setPalette(palette);
    return grid;
}

void setCell(QTableWidget* grid, int col, int row, const std::string& text)
{
    const QString value = QString::fromStdString(text);
    if (row == 0) {
        QTableWidgetItem* header = grid->horizontalHeaderItem(col);
        if (!header) {
            header = new QTableWidgetItem;
            grid->setHorizontalHeaderItem(col, header);
        }
        header->setText(value);
        header->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        return;
    }
    QTableWidgetItem* item = grid->item(row - 1, col);
    if (!item) {
        item = new QTableWidgetItem;
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        if (col == 0) {
            item->setBackground(buttonFace());
            item->setForeground(grid->palette().color(QPalette::Text));
        }
        grid->setItem(row - 1, col, item);
    }
    item->setText(value);
}

// Row count N + 1, header, then shifts 0..N-1 of `r` and `pairs`.
void fillGrid(QTableWidget* grid, const std::vector<Shift>& shifts)
{
    const auto cells = static_cast<std::int32_t>(shifts.size());
    grid->setColumnCount(3);
    grid->setRowCount(cells);  // the header row is the grid's fixed row
    setCell(grid, 0, 0, "Maille");
    setCell(grid, 1, 0, "  R  ");
    setCell(grid, 2, 0, "Paires de points");
    for (std::int32_t k = 0; k < cells; ++k) {
        setCell(grid, 0, k + 1, writeInteger(k));
        const Shift& shift = shifts[static_cast<std::size_t>(k)];
        setCell(grid, 1, k + 1, writeReal(shift.r.value_or(0.0), decimalSeparator()));
        setCell(grid, 2, k + 1, writeInteger(shift.pairs));
    }
}

// The distance shift k spans in each direction, shifts 0..N-1.
void fillDistances(QTableWidget* grid, const Correlogram& figures)
{
    const auto cells = static_cast<std::int32_t>(figures.eastWest.size());
    grid->setRowCount(cells);
    setCell(grid, 0, 0, "Maille");
    setCell(grid, 1, 0, "E_W");
    setCell(grid, 2, 0, "N_S");
    for (std::int32_t k = 0; k < cells; ++k) {
        const auto at = static_cast<std::size_t>(k);
        setCell(grid, 0, k + 1, writeInteger(k));
        setCell(grid, 1, k + 1, distanceText(figures.eastWest[at].distance()).toStdString());
        setCell(grid, 2, k + 1, distanceText(figures.northSouth[at].distance()).toStdString());
    }
}

QString zeroCrossingText(const char* direction, const std::optional<double>& distance)
{
    return QStringLiteral("Premier passage à zéro %1 : %2")
        .arg(QLatin1String(direction), distance ? distanceText(*distance) : QStringLiteral("aucun"));
}

}  // namespace

QString distanceText(double distance)
{
    std::string text = writeReal(roundToDigits(distance, 6), decimalSeparator());
    if (text.find('E') != std::string::npos)
        return QString::fromStdString(text);
    const std::size_t start = text.starts_with('-') ? 1 : 0;
    std::size_t end = text.find_first_not_of("0123456789", start);
    if (end == std::string::npos)
        end = text.size();
    if (end - start >= 4)
        for (std::size_t at = end; at > start + 3; at -= 3)
            text.insert(at - 3, " ");
    return QString::fromStdString(text);
}

QString gridText(const QTableWidget* grid)
{
    auto cell = [grid](int row, int col) {
        const QTableWidgetItem* item = grid->item(row, col);
        return item ? item->text() : QString();
    };
    QStringList lines;
    int top = 0, bottom = grid->rowCount() - 1, left = 0, right = grid->columnCount() - 1;
    const QList<QTableWidgetSelectionRange> selected = grid->selectedRanges();
    if (selected.isEmpty()) {
        QStringList header;
        for (int col = left; col <= right; ++col) {
            const QTableWidgetItem* item = grid->horizontalHeaderItem(col);
            header << (item ? item->text().trimmed() : QString());
        }
        lines << header.join(QLatin1Char('\t'));
    } else {
        top = selected.first().topRow();
        bottom = selected.first().bottomRow();
        left = selected.first().leftColumn();
        right = selected.first().rightColumn();
    }
    for (int row = top; row <= bottom; ++row) {
        QStringList cells;
        for (int col = left; col <= right; ++col)
            cells << cell(row, col);
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

TForm2::TForm2(const Store& store, QWidget* parent) : QWidget(parent), store_(store)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Results"));
    setFont(garamond(19, true));
    setWindowColours(this, clBlack, palette().color(QPalette::WindowText));
    placeWindow(this, 198, 107, 821, 605);

    const QFont labels = garamond(19, true);
    QLabel* Label1 = makeLabel(this, "Label1", QStringLiteral("E_W"), 152, 16, &labels);
    setTextColour(Label1, clAqua);
    Label1->setToolTip(directionToolTip(Direction::EastWest));

    Label3 = makeLabel(this, "Label3", QString(), 225, 16, &labels);
    setWindowColours(Label3, clBlack, clRed);  // opaque: red on its own black
    Label3->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    Label3->setGeometry(225, 16, 5, 21);

    QLabel* Label2 = makeLabel(this, "Label2", QStringLiteral("N_S"), 472, 16, &labels);
    setTextColour(Label2, clYellow);
    Label2->setToolTip(directionToolTip(Direction::NorthSouth));

    SG_EW = makeGrid(this, "SG_EW", 32, 40, 289, 537, {64, 132, 92}, clTeal, clYellow);
    QPushButton* ButtFermer = makeButton(this, "ButtFermer", QStringLiteral("Fermer"), 672, 544, 113, 25);
    QPushButton* Button1 = makeButton(this, "Button1", QStringLiteral("Graphique"), 672, 376, 115, 121);
    // In the free right-hand column, above "Graphique".
    QPushButton* saveButton = makeButton(this, "saveButton", QStringLiteral("Enregistrer…"), 672, 320, 115, 33);
    SG_NS = makeGrid(this, "SG_NS", 344, 40, 305, 537, {64, 146, 88}, clOlive, clAqua);

    // In the free right-hand column, above "Enregistrer…": the distance each shift spans
    // in the coordinates' unit, and where each direction's r first crosses zero, as the
    // saved table writes it.
    QLabel* distancesTitle = makeLabel(this, "distancesTitle", QStringLiteral("Distances"), 664, 16, &labels);
    setTextColour(distancesTitle, clWhite);
    distancesGrid = makeGrid(this, "distancesGrid", 660, 40, 150, 200, {36, 56, 56}, clWhite, clBlack, 10, 18);
    distancesGrid->setToolTip(QStringLiteral("Distance de chaque décalage, dans l'unité des coordonnées"));
    auto zeroCrossingLabel = [this](const char* name, int top, const QColor& colour) {
        QLabel* label = makeLabel(this, name, QString(), 660, top);
        label->setFont(sansSerif(11));
        label->setWordWrap(true);
        label->setGeometry(660, top, 150, 30);
        setTextColour(label, colour);
        return label;
    };
    zeroCrossingEW = zeroCrossingLabel("zeroCrossingEW", 248, clAqua);
    zeroCrossingNS = zeroCrossingLabel("zeroCrossingNS", 282, clYellow);

    QWidget::setTabOrder(SG_EW, ButtFermer);
    QWidget::setTabOrder(ButtFermer, Button1);
    QWidget::setTabOrder(Button1, SG_NS);
    QWidget::setTabOrder(SG_NS, saveButton);
    QWidget::setTabOrder(saveButton, distancesGrid);

    onClick(ButtFermer, [this] { ButtFermerClick(); });
    onClick(Button1, [this] { Button1Click(); });
    onClick(saveButton, [this] { saveTables(); });
}

void TForm2::showFigures()
{
    if (isVisible())
        guarded([this] { FormShow(); });
    bringToFront(this);
}

void TForm2::addSignificance(const Correlogram& tested)
{
    for (const Direction direction : {Direction::EastWest, Direction::NorthSouth}) {
        std::vector<Shift>& shifts = shown_.of(direction);
        for (std::size_t k = 0; k < shifts.size() && k < tested.of(direction).size(); ++k)
            static_cast<ShiftTest&>(shifts[k]) = tested.of(direction)[k];
    }
    shown_.testNull = tested.testNull;
    shown_.permutationsMade = tested.permutationsMade;
}

void TForm2::dropSignificance()
{
    shown_.dropTest();
}

void TForm2::showEvent(QShowEvent* e)
{
    if (!e->spontaneous())
        guarded([this] { FormShow(); });
    QWidget::showEvent(e);
}

void TForm2::FormShow()
{
    Label3->setText(textFromBytes(store_.Nom_Var));
    Label3->adjustSize();
    // An accent over a capital ("É") rises above the face's ascent, where the label
    // would cut it off: the label grows upwards by as much, its text on its bottom edge,
    // so the line of its text stays that of "E_W" and "N_S".
    const QFontMetrics metrics(Label3->font());
    const int overhang =
        std::max(0, -metrics.tightBoundingRect(QStringLiteral("ÀÉÈÊÇ")).top() - metrics.ascent());
    Label3->setGeometry(225, 16 - overhang, std::max(Label3->width(), 5), Label3->height() + overhang);
    shown_ = windowFigures(store_);  // without a test: one made earlier was of earlier figures
    fillGrid(SG_EW, shown_.eastWest);
    fillGrid(SG_NS, shown_.northSouth);
    fillDistances(distancesGrid, shown_);
    zeroCrossingEW->setText(zeroCrossingText("E_W", shown_.zeroCrossingEastWest));
    zeroCrossingNS->setText(zeroCrossingText("N_S", shown_.zeroCrossingNorthSouth));
    shownPointsFile_ = store_.pointsFile;
}

void TForm2::ButtFermerClick()
{
    close();
}

void TForm2::Button1Click()
{
    emit chartRequested();
}

void TForm2::saveTables()
{
    const QString csv = QStringLiteral("Tableau CSV (*.csv)");
    const QString tsv = QStringLiteral("Tableau TSV, séparé par des tabulations (*.tsv)");
    const QString pointsFile = QFile::decodeName(QByteArray::fromStdString(shownPointsFile_));
    const QString proposed = QDir(savingFolder(pointsFile))
                                 .filePath(suggestedFileName(textFromBytes(shown_.variable.name), QStringLiteral("csv")));
    const SaveChoice choice =
        fileDialogs().saveFileName(this, QStringLiteral("Enregistrer les corrélogrammes"), proposed, {csv, tsv});
    if (choice.path.isEmpty())
        return;
    const QString path = withSuffix(choice.path, choice.filter == tsv ? QStringLiteral("tsv") : QStringLiteral("csv"),
                                    {QStringLiteral("csv"), QStringLiteral("tsv")});
    const bool tabs = path.endsWith(QLatin1String(".tsv"), Qt::CaseInsensitive);

    // The texts in UTF-8, whatever encoding the names file had.
    Correlogram result = shown_;
    result.variable.name = bytesFromText(textFromBytes(result.variable.name));
    std::ostringstream table;
    writeResultsTable(table, result, bytesFromText(pointsFile),
                      tabs ? tsvConvention(decimalSeparator()) : csvConvention(decimalSeparator()));
    saveFile(path, QByteArray::fromStdString(table.str()));
}
