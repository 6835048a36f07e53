// What the windows share: the boxes' guard, the program's title, the separator, the
// texts of names, the fonts and the help text.

#include <QFontInfo>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QRawFont>

#include "failures.h"
#include "look.h"
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
    guarded([] { throw 42; });
    bool ran = false;
    guarded([&] { ran = true; });
    EXPECT_TRUE(ran);
    const std::vector<Shown> expected = {
        error("Division par zéro en virgule flottante."),
        error("Mailles trop petites !"),
        error("plain failure."),
        error("Erreur inconnue."),
    };
    EXPECT_EQ(messages_.shown, expected);
}

TEST(Fonts, DrawEveryAccentedCaptionLetterInTheGaramondFace)
{
    for (bool bold : {true, false}) {
        const QFont font = garamond(16, bold);
        EXPECT_TRUE(QFontInfo(font).family().contains("Garamond")) << QFontInfo(font).family().toStdString();
        EXPECT_EQ(QFontInfo(font).bold(), bold);
        const QRawFont raw = QRawFont::fromFont(font);
        for (const QChar letter : QStringLiteral("éèêàôç"))
            EXPECT_TRUE(raw.supportsCharacter(letter)) << "bold " << bold << " letter " << static_cast<int>(letter.unicode());
    }
    EXPECT_EQ(garamond(27, true).pixelSize(), 27);
    EXPECT_EQ(sansSerif(11).pixelSize(), 11);
}

class HelpTest : public WindowsTest {};

TEST_F(HelpTest, HoldsThirtySixLinesWithTheirBlanksInAnEditableBox)
{
    const QStringList lines = TForm_Aide::helpLines();
    ASSERT_EQ(lines.size(), 36);
    for (int empty : {5, 7, 15, 18, 20, 25, 30, 34})
        EXPECT_TRUE(lines[empty - 1].isEmpty()) << "line " << empty;
    EXPECT_TRUE(lines[3].endsWith("Corrélogramme"));
    EXPECT_EQ(lines[5], "Pour l'utiliser, vous devez disposer de deux fichiers de données :");
    EXPECT_EQ(lines[8], "        correspondent à chaque point de mesure (quartier) ;");
    EXPECT_TRUE(lines[9].endsWith("en X "));
    EXPECT_EQ(lines[10], "et en Y;");
    EXPECT_TRUE(lines[12].startsWith("      ") && !lines[12].startsWith("       "));
    EXPECT_EQ(lines[23], "(Dans cet exemple, avec 80 mesures, une grille de 10 x 10 mailles est sufisante)");
    EXPECT_TRUE(lines[30].startsWith("Observez - "));
    for (int line : {32, 33})
        EXPECT_TRUE(lines[line - 1].startsWith("         -") && !lines[line - 1].startsWith("          "));
    EXPECT_TRUE(lines[34].endsWith(". "));

    EXPECT_EQ(Form_Aide->Memo_Aide->toPlainText(), lines.join('\n'));
    EXPECT_FALSE(Form_Aide->Memo_Aide->isReadOnly());
}
