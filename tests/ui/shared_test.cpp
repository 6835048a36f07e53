// What the windows share: the boxes' guard, the program's title, the separator; and
// the help text.

#include <QLocale>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

#include <new>

#include "failures.h"
#include "controls.h"
#include "windows_fixture.h"

using namespace geolago;
using namespace geolago::ui;

TEST(ApplicationTitle, KeepsTheFileNameUpToItsFirstDotWithOnlyTheFirstLetterAsIs)
{
    EXPECT_EQ(titleFromProgramPath("/usr/local/bin/Geolago_2"), "Geolago_2");
    EXPECT_EQ(titleFromProgramPath("/opt/GEOLAGO_2.exe"), "Geolago_2");
    EXPECT_EQ(titleFromProgramPath("./geo.LA.go"), "geo");
    EXPECT_EQ(titleFromProgramPath("Geolago_2"), "Geolago_2");
    EXPECT_EQ(titleFromProgramPath("/a.b/Prog"), "Prog");
}

TEST(DecimalSeparator, FollowsTheRegionalSettings)
{
    EXPECT_EQ(separatorOf(QLocale(QLocale::French, QLocale::France)), ",");
    EXPECT_EQ(separatorOf(QLocale(QLocale::English, QLocale::UnitedStates)), ".");
    EXPECT_EQ(separatorOf(QLocale::c()), ".");
}

class GuardTest : public ::testing::Test {
protected:
    void SetUp() override { setMessageSink(&messages_); }
    void TearDown() override { setMessageSink(nullptr); }
    RecordedMessages messages_;
};

TEST_F(GuardTest, SendsEveryFailureToTheErrorBoxWithTheFullStopRule)
{
    guarded([] { throw FloatFailure(FloatFailure::Kind::DivisionByZero); });
    guarded([] { throw Failure("Mailles trop petites !"); });
    guarded([] { throw std::runtime_error("plain failure"); });
    guarded([] { throw std::bad_alloc(); });
    guarded([] { throw 42; });
    bool ran = false;
    guarded([&] { ran = true; });
    EXPECT_TRUE(ran);
    const std::vector<Shown> expected = {
        error("Division par zéro en virgule flottante."),
        error("Mailles trop petites !"),
        error("plain failure."),
        error("Mémoire insuffisante."),
        error("Erreur inconnue."),
    };
    EXPECT_EQ(messages_.shown, expected);
}

class HelpTest : public WindowsTest {};

TEST_F(HelpTest, ShowsTheHelpTextLineForLine)
{
    // The golden file holds the text as the window shows it, with a final line end; the
    // examples' folder is the one they are found in, the source tree's from a build tree.
    QFile golden(QStringLiteral(GEOLAGO_HELP_GOLDEN));
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    const QString expected =
        QString::fromUtf8(golden.readAll()).replace(QStringLiteral("@EXAMPLES@"), QStringLiteral(GEOLAGO_EXAMPLES_DIR));
    EXPECT_EQ(control<QPlainTextEdit>(help(), "Memo_Aide")->toPlainText() + '\n', expected);
}

TEST_F(HelpTest, TheParagraphsAfterTheHelpScrollIntoView)
{
    help().show();
    auto* memo = control<QPlainTextEdit>(help(), "Memo_Aide");
    QScrollBar* bar = memo->verticalScrollBar();
    for (int wait = 0; wait < 100 && !bar->isVisible(); ++wait)
        QTest::qWait(20);
    ASSERT_TRUE(bar->isVisible());
    bar->setValue(bar->maximum());
    QApplication::processEvents();
    const QTextBlock last = memo->cursorForPosition(QPoint(20, memo->viewport()->height() - 12)).block();
    EXPECT_TRUE(last.text().startsWith("Formats lus")) << last.text().toStdString();
}
