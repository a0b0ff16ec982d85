#include "platform/complus/PrivateFile.h"

#include "platform/ComError.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::complus {
namespace {

[[noreturn]] void raiseErrno(int error, const QString& what, const QString& path) {
    const bool denied = error == EACCES || error == EPERM || error == EROFS;
    throw ComError(denied ? hr::AccessDenied : hr::Fail,
                   QStringLiteral("%1 %2: %3").arg(what, path, QString::fromLocal8Bit(std::strerror(error))));
}

// Creates each missing folder of `dir`, outermost first, owner-only.
void makeFolders(const QString& dir) {
    if (dir.isEmpty() || QFileInfo(dir).isDir()) return;
    const QString parent = QFileInfo(dir).path();
    if (parent != dir) makeFolders(parent);
    const QByteArray native = QFile::encodeName(dir);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        raiseErrno(errno, QStringLiteral("Cannot create the catalog folder"), dir);
}

}  // namespace

void preparePrivateFile(const QString& path) {
    if (path.isEmpty()) throw ComError(hr::InvalidArg, QStringLiteral("The catalog path is empty"));
    const QString absolute = QFileInfo(path).absoluteFilePath();
    makeFolders(QFileInfo(absolute).path());

    const QByteArray native = QFile::encodeName(absolute);
    const int fd = ::open(native.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) raiseErrno(errno, QStringLiteral("Cannot open the catalog"), absolute);
    struct stat st {};
    int error = 0;
    if (::fstat(fd, &st) != 0) {
        error = errno;
    } else if (!S_ISREG(st.st_mode)) {
        error = EINVAL;
    } else if (st.st_uid == ::geteuid() && (st.st_mode & 077) != 0 && ::fchmod(fd, 0600) != 0) {
        error = errno;
    }
    ::close(fd);
    if (error != 0) raiseErrno(error, QStringLiteral("Cannot secure the catalog"), absolute);
}

}  // namespace platform::complus
