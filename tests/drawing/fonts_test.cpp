// The two faces: the Garamond with its accents and lining figures.

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QRawFont>

#include "style.h"

using namespace geolago::drawing;

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

TEST(Fonts, DrawDigitsAsLiningFiguresAsTallAsTheCapitals)
{
    for (bool bold : {true, false}) {
        const QRawFont raw = QRawFont::fromFont(garamond(27, bold));
        const auto height = [&](QChar c) {
            const QList<quint32> glyphs = raw.glyphIndexesForString(QString(c));
            return raw.boundingRect(glyphs.first()).height();
        };
        // Old-style figures would stand as high as "x", or reach below the line.
        for (const QChar digit : QStringLiteral("0125"))
            EXPECT_NEAR(height(digit), height('H'), 0.08 * height('H')) << "bold " << bold << " digit " << digit.toLatin1();
    }
}
