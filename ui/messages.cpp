#include "messages.h"

#include <QFile>
#include <QMessageBox>
#include <QStringList>

#include "failures.h"
#include "texts.h"

namespace geolago::ui {

using namespace drawing;

namespace {

ScreenMessages screenMessages;
MessageSink* currentSink = &screenMessages;
QString title;

void showBox(QMessageBox::Icon icon, const QString& text, const QString& details = {})
{
    // No parent: the box is centred on the screen and blocks every window of the program.
    QMessageBox box(icon, applicationTitle(), text, QMessageBox::Ok);
    box.setInformativeText(details);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

// The place of a failure, one item a line: the file, then the line, the point, the column
// and the value being read when the failure concerns one.
QString placeLines(const Place& place)
{
    QStringList lines{QStringLiteral("Fichier : ") + QFile::decodeName(QByteArray::fromStdString(place.file))};
    if (place.line > 0)
        lines << QStringLiteral("Ligne : %1").arg(place.line);
    if (place.point > 0)
        lines << QStringLiteral("Point : %1").arg(place.point);
    if (!place.column.empty())
        lines << QStringLiteral("Colonne : ") + textFromBytes(place.column);
    if (place.token)
        lines << QStringLiteral("Valeur lue : « %1%2 »")
                     .arg(textFromBytes(*place.token), place.tokenCut ? QStringLiteral("…") : QString());
    return lines.join(QLatin1Char('\n'));
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

void ScreenMessages::error(const QString& text, const QString& details)
{
    showBox(QMessageBox::Critical, text, details);
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
    const QString text = textFromBytes(messageForDisplay(failureMessage(failure)));
    const auto* located = dynamic_cast<const Failure*>(&failure);
    if (located && located->place())
        messages().error(text, placeLines(*located->place()));
    else
        messages().error(text);
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
