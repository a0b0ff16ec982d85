#include "platform/PrivateFolders.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <sys/stat.h>

namespace platform {

int makePrivateFolders(const QString& dir) {
    if (dir.isEmpty() || QFileInfo(dir).isDir()) return 0;
    const QString parent = QFileInfo(dir).path();
    if (parent != dir)
        if (const int error = makePrivateFolders(parent)) return error;
    const QByteArray native = QFile::encodeName(dir);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) return errno;
    return 0;
}

}  // namespace platform
