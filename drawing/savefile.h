#pragma once
// Writing a file the user chose, whole or not at all.

#include <QByteArray>
#include <QString>

namespace geolago::ui {

// Writes `bytes` into `path`, replacing the file only once everything is written.
// Throws Failure naming the file and the reason when it cannot be written.
void saveFile(const QString& path, const QByteArray& bytes);

}  // namespace geolago::ui
