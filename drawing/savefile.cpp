#include "savefile.h"

#include <QSaveFile>

#include "failures.h"

namespace geolago::ui {

void saveFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Failure("Impossible d'écrire le fichier \"" + path.toStdString() + "\". "
                      + file.errorString().toStdString());
}

}  // namespace geolago::ui
