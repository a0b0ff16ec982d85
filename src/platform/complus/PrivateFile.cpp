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

[[noreturn]] void refuse(const QString& path, const QString& why) {
    throw ComError(hr::AccessDenied, QStringLiteral("The catalog %1 is refused: %2.").arg(path, why));
}

// The owner and mode of an open catalog file, as the password file is judged.
void judge(const struct stat& st, const QString& path, bool rootMayOwn) {
    if (!S_ISREG(st.st_mode)) refuse(path, QStringLiteral("it is not a regular file"));
    if (st.st_uid != ::geteuid() && !(rootMayOwn && st.st_uid == 0))
        refuse(path, QStringLiteral("it belongs to another user (uid %1)").arg(st.st_uid));
    if ((st.st_mode & 077) != 0)
        refuse(path, QStringLiteral("its group or others may use it (mode %1); it must be 0600 or stricter")
                         .arg(st.st_mode & 07777, 4, 8, QLatin1Char('0')));
}

}  // namespace

void checkPrivateFileForReading(const QString& path) { privateFileVersion(path); }

QByteArray privateFileVersion(const QString& path) {
    if (path.isEmpty()) throw ComError(hr::InvalidArg, QStringLiteral("The catalog path is empty"));
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const int fd = ::open(QFile::encodeName(absolute).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) raiseErrno(errno, QStringLiteral("Cannot read the catalog"), absolute);
    struct stat st {};
    int error = ::fstat(fd, &st) != 0 ? errno : 0;
    char header[100] = {};
    if (error == 0 && S_ISREG(st.st_mode) && ::pread(fd, header, sizeof header, 0) < 0) error = errno;
    ::close(fd);
    if (error != 0) raiseErrno(error, QStringLiteral("Cannot read the catalog"), absolute);
    judge(st, absolute, true);
    QByteArray version;
    for (const long long v : {static_cast<long long>(st.st_dev), static_cast<long long>(st.st_ino),
                              static_cast<long long>(st.st_size), static_cast<long long>(st.st_mtim.tv_sec),
                              static_cast<long long>(st.st_mtim.tv_nsec), static_cast<long long>(st.st_ctim.tv_sec),
                              static_cast<long long>(st.st_ctim.tv_nsec)})
        version += QByteArray::number(v) + ' ';
    return version + QByteArray(header, sizeof header).toHex();
}

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
    const int error = ::fstat(fd, &st) != 0 ? errno : 0;
    ::close(fd);
    if (error != 0) raiseErrno(error, QStringLiteral("Cannot secure the catalog"), absolute);
    judge(st, absolute, false);
}

}  // namespace platform::complus
