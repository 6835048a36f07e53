#include "installation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace geolago::drawing {

namespace {

// <prefix>/share/geolago when the program runs from <prefix>/bin, else empty.
QString installedDataFolder(const QString& programFolder)
{
    const QString folder = QDir::cleanPath(programFolder + QStringLiteral("/" GEOLAGO_DATA_FROM_BINARY));
    return QFileInfo(folder).isDir() ? folder : QString();
}

}  // namespace

QString exampleFolderBeside(const QString& programFolder)
{
    const QString installed = installedDataFolder(programFolder);
    for (const QString& folder :
         {installed.isEmpty() ? QString() : installed + QStringLiteral("/examples"), QStringLiteral(GEOLAGO_SOURCE_EXAMPLES)})
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            return folder;
    return QString();
}

QString exampleFolder()
{
    return exampleFolderBeside(QCoreApplication::applicationDirPath());
}

QString liningGaramondFile()
{
    const QString name = QStringLiteral("/GeolagoGaramond-Regular.otf");
    const QString installed = installedDataFolder(QCoreApplication::applicationDirPath());
    for (const QString& path :
         {installed.isEmpty() ? QString() : installed + QStringLiteral("/fonts") + name,
          QStringLiteral(GEOLAGO_BUILD_FONTS) + name})
        if (!path.isEmpty() && QFileInfo::exists(path))
            return path;
    return QString();
}

}  // namespace geolago::drawing
