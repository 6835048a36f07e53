#include <QFontDatabase>
#include <QRawFont>
#include <QStringList>

#include "installation.h"
#include "style.h"

namespace geolago::drawing {

namespace {

// First family of `candidates` the font database holds, else the first one (left to
// the font matching).
QString firstInstalled(std::initializer_list<const char*> candidates)
{
    const QStringList families = QFontDatabase::families();
    for (const char* name : candidates)
        if (families.contains(QString::fromLatin1(name), Qt::CaseInsensitive))
            return QString::fromLatin1(name);
    return QString::fromLatin1(*candidates.begin());
}

// The Garamond face with lining figures that ships with the program; where it cannot be
// loaded, EB Garamond itself ("EB Garamond 12" is the optical size meant for text; the
// plain family would mix its 08 and 12 cuts), whose figures are old-style.
QString garamondFamily()
{
    const QString file = liningGaramondFile();
    if (!file.isEmpty()) {
        const QStringList loaded = QFontDatabase::applicationFontFamilies(QFontDatabase::addApplicationFont(file));
        if (!loaded.isEmpty())
            return loaded.first();
    }
    return firstInstalled({"EB Garamond 12", "EB Garamond", "Garamond"});
}

// Every accented letter the windows' captions use.
const QString accentedLetters = QStringLiteral("àâçéèêëîïôùûüÀÉÈ");

// Whether the bold cut of `family` draws every accented letter itself. Where it does
// not (the bold EB Garamond of Debian 12 stops at U+00BF), the letters would come from
// a fallback face in the middle of a word.
bool boldCutIsComplete(const QString& family)
{
    QFont bold(family);
    bold.setPixelSize(16);
    bold.setWeight(QFont::Bold);
    const QRawFont raw = QRawFont::fromFont(bold);
    if (!raw.isValid())
        return true;
    for (const QChar letter : accentedLetters)
        if (!raw.supportsCharacter(letter))
            return false;
    return true;
}

// The regular style of `family`, to be emboldened by the font engine.
QString regularStyle(const QString& family)
{
    for (const QString& style : QFontDatabase::styles(family))
        if (style.endsWith(QLatin1String("Regular")))
            return style;
    return QString();
}

}  // namespace

QFont garamond(int pixelSize, bool bold)
{
    static const QString family = garamondFamily();
    static const QString emboldenedStyle = boldCutIsComplete(family) ? QString() : regularStyle(family);
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    if (bold && !emboldenedStyle.isEmpty())
        font.setStyleName(emboldenedStyle);  // drawn bold from the regular cut
    return font;
}

QFont sansSerif(int pixelSize)
{
    static const QString family = firstInstalled({"Liberation Sans", "DejaVu Sans", "Sans Serif"});
    QFont font(family);
    font.setPixelSize(pixelSize);
    font.setWeight(QFont::Normal);
    return font;
}

}  // namespace geolago::drawing
