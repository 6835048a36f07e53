// The results window: the two grids as the store holds the figures when it is shown.

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>

#include "windows_fixture.h"

using namespace geolago;

namespace {

// Values whose texts show the single-precision noise, as the correlations leave them.
void fillTables()
{
    for (int k = 0; k <= MaxMailles; ++k) {
        R_EW[k] = static_cast<double>(static_cast<float>(0.8));
        R_NS[k] = -0.25;
        Paires_EW[k] = 100 - k;
        Paires_NS[k] = k;
    }
    R_EW[0] = 1.0;
    R_NS[0] = static_cast<double>(0.99999994f);
    R_EW[9] = 0.0;
    R_NS[9] = static_cast<double>(0.00001f);
}

}  // namespace

class ResultsTest : public WindowsTest {};

TEST_F(ResultsTest, TenCellsGiveTheHeaderAndShiftsZeroToNine)
{
    fillTables();
    NBMailles = 10;
    Nom_Var = "Ouvriers";
    Form2->show();

    EXPECT_EQ(Form2->windowTitle(), "Results");
    EXPECT_EQ(Form2->Label3->text(), "Ouvriers");
    for (QTableWidget* grid : {Form2->SG_EW, Form2->SG_NS}) {
        EXPECT_EQ(TForm2::rowCount(grid), 11);
        EXPECT_EQ(grid->columnCount(), 3);
        EXPECT_EQ(TForm2::cellText(grid, 0, 0), "Maille");
        EXPECT_EQ(TForm2::cellText(grid, 1, 0), "  R  ");
        EXPECT_EQ(TForm2::cellText(grid, 2, 0), "Paires de points");
        for (int k = 0; k < 10; ++k)
            EXPECT_EQ(TForm2::cellText(grid, 0, k + 1), QString::number(k));
        EXPECT_EQ(grid->rowHeight(0), 24);
        EXPECT_EQ(grid->horizontalHeader()->height(), 24);
        EXPECT_FALSE(grid->item(0, 1)->flags() & Qt::ItemIsEditable);
    }
    EXPECT_EQ(TForm2::cellText(Form2->SG_EW, 1, 1), "1");
    EXPECT_EQ(TForm2::cellText(Form2->SG_EW, 1, 2), "0,800000011920929");
    EXPECT_EQ(TForm2::cellText(Form2->SG_EW, 1, 10), "0");
    EXPECT_EQ(TForm2::cellText(Form2->SG_EW, 2, 1), "100");
    EXPECT_EQ(TForm2::cellText(Form2->SG_EW, 2, 10), "91");
    EXPECT_EQ(TForm2::cellText(Form2->SG_NS, 1, 1), "0,999999940395355");
    EXPECT_EQ(TForm2::cellText(Form2->SG_NS, 1, 2), "-0,25");
    EXPECT_EQ(TForm2::cellText(Form2->SG_NS, 1, 10), "9,99999974737875E-6");
    EXPECT_EQ(TForm2::cellText(Form2->SG_NS, 2, 10), "9");

    EXPECT_EQ(Form2->SG_EW->columnWidth(1), 132);
    EXPECT_EQ(Form2->SG_NS->columnWidth(1), 146);
}

TEST_F(ResultsTest, ThirtyCellsScrollUnderTheFixedHeader)
{
    fillTables();
    NBMailles = 30;
    Form2->show();
    for (QTableWidget* grid : {Form2->SG_EW, Form2->SG_NS}) {
        EXPECT_EQ(TForm2::rowCount(grid), 31);
        EXPECT_EQ(TForm2::cellText(grid, 0, 30), "29");
        QTRY_VERIFY(grid->verticalScrollBar()->isVisible());
        grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
        EXPECT_TRUE(grid->horizontalHeader()->isVisible());
    }
    EXPECT_EQ(TForm2::cellText(Form2->SG_EW, 2, 30), "71");
    EXPECT_EQ(TForm2::cellText(Form2->SG_NS, 2, 30), "29");
}

TEST_F(ResultsTest, ShownAgainAfterFermerWithFewerCellsShowsOnlyTheNewRows)
{
    fillTables();
    NBMailles = 30;
    Nom_Var = "Une variable au nom long";
    Form2->show();
    R_EW[4] = 0.5;
    Form2->show();  // already visible: the figures stay
    EXPECT_EQ(TForm2::cellText(Form2->SG_EW, 1, 5), "0,800000011920929");
    click(Form2->ButtFermer);
    EXPECT_FALSE(Form2->isVisible());
    EXPECT_EQ(TForm2::rowCount(Form2->SG_EW), 31);  // hidden, not emptied

    NBMailles = 5;
    Nom_Var = "Court";
    Form2->show();
    EXPECT_EQ(TForm2::rowCount(Form2->SG_EW), 6);
    EXPECT_EQ(TForm2::cellText(Form2->SG_EW, 1, 5), "0,5");
    EXPECT_EQ(Form2->Label3->text(), "Court");
}

TEST_F(ResultsTest, GraphiqueOpensTheChartBlank)
{
    NBMailles = 10;
    Form2->show();
    click(Form2->Button1);
    ASSERT_TRUE(Form4->isVisible());
    const QImage canvas = Form4->Canvas->image();
    for (const QPoint p : {QPoint(50, 100), QPoint(400, 250), QPoint(60, 55)})
        EXPECT_EQ(canvas.pixelColor(p), QColor(Qt::black));
    EXPECT_TRUE(takeMessages().empty());
}
