#include "look.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontDatabase>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRawFont>
#include <QScreen>
#include <QWidget>

#include "messages.h"

namespace geolago::ui {

namespace {

// The frame the layouts' outer sizes include: a 4-pixel border and a caption bar.
constexpr int frameSide = 4;
constexpr int frameTop = 23;

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
    // "EB Garamond 12" is the optical size meant for text; the plain family would mix
    // its 08 and 12 cuts.
    static const QString family = firstInstalled({"EB Garamond 12", "EB Garamond", "Garamond"});
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

QColor buttonFace()
{
    return QApplication::palette().color(QPalette::Active, QPalette::Button);
}

void setWindowColours(QWidget* widget, const QColor& background, const QColor& text)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, text);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setFieldColours(QWidget* widget, const QColor& text, const QColor& base)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Base, base);
    widget->setPalette(palette);
}

void setTextColour(QWidget* widget, const QColor& text)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, text);
    widget->setPalette(palette);
}

void placeWindow(QWidget* window, int left, int top, int outerWidth, int outerHeight)
{
    window->resize(outerWidth - 2 * frameSide, outerHeight - frameTop - frameSide);
    window->move(left, top);
}

void placeWindowCentred(QWidget* window, int outerWidth, int outerHeight)
{
    int left = 0;
    int top = 0;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        left = area.x() + (area.width() - outerWidth) / 2;
        top = area.y() + (area.height() - outerHeight) / 2;
    }
    placeWindow(window, left, top, outerWidth, outerHeight);
}

void bringToFront(QWidget* window)
{
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int left, int top, const QFont* font)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    if (font)
        label->setFont(*font);
    label->move(left, top);
    label->adjustSize();
    return label;
}

QLineEdit* makeEdit(QWidget* parent, const char* name, int left, int top, int width, int height, const QFont& font)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setFont(font);
    edit->setGeometry(left, top, width, height);
    return edit;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, int left, int top, int width,
                        int height)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(left, top, width, height);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QFrame* makePanel(QWidget* parent, const char* name, int left, int top, int width, int height)
{
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setGeometry(left, top, width, height);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    setWindowColours(panel, clBlack, clYellow);
    return panel;
}

void onClick(QAbstractButton* button, std::function<void()> handler)
{
    QObject::connect(button, &QAbstractButton::clicked, button,
                     [handler = std::move(handler)] { guarded(handler); });
}

}  // namespace geolago::ui
