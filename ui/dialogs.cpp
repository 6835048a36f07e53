#include "dialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "installation.h"

namespace geolago::ui {

using namespace drawing;

namespace {

ScreenDialogs screenDialogs;
FileDialogs* currentDialogs = &screenDialogs;

}  // namespace

QString ScreenDialogs::openFileName(QWidget* parent, const QString& caption, const QString& folder)
{
    // Every kind the readers take: point files, delimited text, GIS layers and rasters.
    const QString points = QStringLiteral("*.txt *.dat *.xyz");
    const QString delimited = QStringLiteral("*.csv *.tsv *.tab");
    const QString layers = QStringLiteral("*.gpkg *.shp *.geojson *.json *.fgb *.gml *.kml *.sqlite");
    const QString rasters = QStringLiteral("*.tif *.tiff *.img *.asc *.vrt *.nc *.jp2");
    const QStringList filters{
        QStringLiteral("Toutes les données (%1 %2 %3 %4)").arg(points, delimited, layers, rasters),
        QStringLiteral("Fichiers de points (%1)").arg(points),
        QStringLiteral("Textes délimités CSV, TSV (%1)").arg(delimited),
        QStringLiteral("Couches SIG (%1)").arg(layers),
        QStringLiteral("Rasters (%1)").arg(rasters),
        QStringLiteral("Tous les fichiers (*)"),
    };
    return QFileDialog::getOpenFileName(parent, caption, folder, filters.join(QStringLiteral(";;")));
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
