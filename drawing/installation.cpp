#include "installation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace geolago::ui {

namespace {

// <prefix>/share/geolago when the program runs from <prefix>/bin, else empty.
QString installedDataFolder()
{
    const QString folder =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/" GEOLAGO_DATA_FROM_BINARY));
    return QFileInfo(folder).isDir() ? folder : QString();
}

}  // namespace

QString exampleFolder()
{
    const QString installed = installedDataFolder();
    return installed.isEmpty() ? QStringLiteral(GEOLAGO_SOURCE_EXAMPLES) : installed + QStringLiteral("/examples");
}

QString installedExampleFolder()
{
    return QStringLiteral(GEOLAGO_INSTALLED_DATA "/examples");
}

QString liningGaramondFile()
{
    const QString name = QStringLiteral("/GeolagoGaramond-Regular.otf");
    const QString installed = installedDataFolder();
    for (const QString& path :
         {installed.isEmpty() ? QString() : installed + QStringLiteral("/fonts") + name,
          QStringLiteral(GEOLAGO_BUILD_FONTS) + name})
        if (!path.isEmpty() && QFileInfo::exists(path))
            return path;
    return QString();
}

}  // namespace geolago::ui
