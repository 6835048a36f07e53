#include "dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "installation.h"

namespace geolago::ui {

namespace {

ScreenDialogs screenDialogs;
FileDialogs* currentDialogs = &screenDialogs;

}  // namespace

QString ScreenDialogs::openFileName(QWidget* parent, const QString& caption, const QString& folder)
{
    return QFileDialog::getOpenFileName(parent, caption, folder,
                                        QStringLiteral("Fichiers texte (*.txt);;Tous les fichiers (*)"));
}

SaveChoice ScreenDialogs::saveFileName(QWidget* parent, const QString& caption, const QString& proposed,
                                       const QStringList& filters)
{
    SaveChoice choice;
    choice.filter = filters.value(0);
    choice.path = QFileDialog::getSaveFileName(parent, caption, proposed, filters.join(QStringLiteral(";;")),
                                               &choice.filter);
    return choice;
}

FileDialogs& fileDialogs()
{
    return *currentDialogs;
}

void setFileDialogs(FileDialogs* dialogs)
{
    currentDialogs = dialogs ? dialogs : &screenDialogs;
}

QString folderToOpenFrom(const QString& fieldText)
{
    if (!fieldText.isEmpty()) {
        const QFileInfo named(fieldText);
        if (named.isDir())
            return named.absoluteFilePath();
        if (named.absoluteDir().exists())
            return named.absolutePath();
    }
    return exampleFolder();
}

QString savingFolder(const QString& pointsFile)
{
    if (!pointsFile.isEmpty()) {
        const QFileInfo folder(QFileInfo(pointsFile).absolutePath());
        if (folder.isDir() && folder.isWritable())
            return folder.absoluteFilePath();
    }
    return QDir::homePath();
}

QString suggestedFileName(const QString& title, const QString& suffix)
{
    QString name = title.trimmed();
    for (QChar& c : name)
        if (c < QLatin1Char(' ') || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = QLatin1Char('_');
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')))
        name.prepend(QStringLiteral("correlogramme"));
    return name + QLatin1Char('.') + suffix;
}

QString withSuffix(const QString& path, const QString& suffix, const QStringList& known)
{
    for (const QString& ending : known)
        if (path.endsWith(QLatin1Char('.') + ending, Qt::CaseInsensitive))
            return path;
    return path + QLatin1Char('.') + suffix;
}

}  // namespace geolago::ui
