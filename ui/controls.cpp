#include "controls.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDropEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

#include "messages.h"

namespace geolago::ui {

using namespace drawing;

namespace {

// The frame the layouts' outer sizes include: a 4-pixel border and a caption bar.
constexpr int frameSide = 4;
constexpr int frameTop = 23;

// The one local file a drag carries, else empty.
QString droppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return QString();
    return data->urls().first().toLocalFile();
}

// Takes the drags and drops of one local file off a field.
class FileDrops : public QObject {
public:
    FileDrops(QObject* field, std::function<void(const QString&)> dropped)
        : QObject(field), dropped_(std::move(dropped))
    {
    }

    bool eventFilter(QObject*, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (droppedFile(drag->mimeData()).isEmpty())
                return false;
            drag->acceptProposedAction();
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QString file = droppedFile(drop->mimeData());
            if (file.isEmpty())
                return false;
            drop->acceptProposedAction();
            guarded([&] { dropped_(file); });
            return true;
        }
        default:
            return false;
        }
    }

private:
    std::function<void(const QString&)> dropped_;
};

}  // namespace

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

void acceptFileDrops(QLineEdit* field, std::function<void(const QString&)> dropped)
{
    field->setAcceptDrops(true);
    field->installEventFilter(new FileDrops(field, std::move(dropped)));
}

void onClick(QAbstractButton* button, std::function<void()> handler)
{
    QObject::connect(button, &QAbstractButton::clicked, button,
                     [handler = std::move(handler)] { guarded(handler); });
}

}  // namespace geolago::ui
