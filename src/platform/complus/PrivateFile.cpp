#include "platform/complus/PrivateFile.h"

#include "platform/ComError.h"
#include "platform/PrivateFolders.h"

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

}  // namespace

void preparePrivateFile(const QString& path) {
    if (path.isEmpty()) throw ComError(hr::InvalidArg, QStringLiteral("The catalog path is empty"));
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const QString folder = QFileInfo(absolute).path();
    if (const int error = makePrivateFolders(folder))
        raiseErrno(error, QStringLiteral("Cannot create the catalog folder"), folder);

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
