#include "messages.h"

#include <QMessageBox>

#include "failures.h"
#include "texts.h"

namespace geolago::ui {

namespace {

ScreenMessages screenMessages;
MessageSink* currentSink = &screenMessages;
QString title;

void showBox(QMessageBox::Icon icon, const QString& text)
{
    // No parent: the box is centred on the screen and blocks every window of the program.
    QMessageBox box(icon, applicationTitle(), text, QMessageBox::Ok);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace

void ScreenMessages::information(const QString& text)
{
    showBox(QMessageBox::NoIcon, text);
}

void ScreenMessages::error(const QString& text)
{
    showBox(QMessageBox::Critical, text);
}

MessageSink& messages()
{
    return *currentSink;
}

void setMessageSink(MessageSink* sink)
{
    currentSink = sink ? sink : &screenMessages;
}

QString titleFromProgramPath(const QString& programPath)
{
    QString name = programPath;
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    if (slash >= 0)
        name = name.mid(slash + 1);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name = name.left(dot);
    if (name.isEmpty())
        return name;
    return name.left(1) + name.mid(1).toLower();
}

QString applicationTitle()
{
    return title;
}

void setApplicationTitle(const QString& newTitle)
{
    title = newTitle;
}

void inform(const std::string& text)
{
    messages().information(textFromBytes(text));
}

void reportFailure(const std::exception& failure)
{
    messages().error(textFromBytes(messageForDisplay(failure.what())));
}

void guarded(const std::function<void()>& handler) noexcept
{
    try {
        handler();
    } catch (const std::exception& failure) {
        try {
            reportFailure(failure);
        } catch (...) {
            // Showing the box failed in turn; the event loop still goes on.
        }
    } catch (...) {
        try {
            messages().error(QStringLiteral("Erreur inconnue."));
        } catch (...) {
        }
    }
}

}  // namespace geolago::ui
