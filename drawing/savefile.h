#pragma once
// Writing a file the user chose, whole or not at all.

#include <QByteArray>
#include <QString>

namespace geolago::drawing {

// Writes `bytes` into `path`, replacing the file only once everything is written; a
// symbolic link stays, the file it leads to is replaced. Throws Failure naming the file
// and the reason, in the user's language, when it cannot be written, and refuses, writing
// nothing, a target that exists and is not a regular file (a named pipe, a device), which
// a replacement would destroy.
void saveFile(const QString& path, const QByteArray& bytes);

}  // namespace geolago::drawing
