#include "platform/audit/AppendFile.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::audit {
namespace {

QString systemError(const QString& what, const QString& path, int error) {
    return QStringLiteral("%1 %2: %3").arg(what, path, QString::fromLocal8Bit(std::strerror(error)));
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

// The open file must be a regular file (and this user's, when asked).
QString checkOpened(int fd, const QString& path, bool ownOnly) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return systemError(QStringLiteral("Cannot examine the audit file"), path, errno);
    if (!S_ISREG(st.st_mode)) return QStringLiteral("The audit file %1 is not a regular file; refused.").arg(path);
    if (ownOnly && st.st_uid != ::geteuid())
        return QStringLiteral("The audit file %1 belongs to another user; refused.").arg(path);
    return {};
}

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

QString appendLine(const QString& path, const QByteArray& line, bool ownOnly) {
    const QByteArray name = QFile::encodeName(path);
    // Read access only serves to see how the file ends; a file this user may
    // only write to is appended to all the same.
    const int flags = O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
    int fd = ::open(name.constData(), O_RDWR | flags, 0600);
    if (fd < 0 && errno == EACCES) fd = ::open(name.constData(), O_WRONLY | flags, 0600);
    if (fd < 0) {
        if (errno == ELOOP) return QStringLiteral("The audit file %1 is a symbolic link; refused.").arg(path);
        if (errno == ENXIO) return QStringLiteral("The audit file %1 is not a regular file; refused.").arg(path);
        return systemError(QStringLiteral("Cannot open the audit file"), path, errno);
    }
    Fd file(fd);
    if (QString problem = checkOpened(fd, path, ownOnly); !problem.isEmpty()) return problem;
    // A line another program left unfinished (a full disk, a crash) is ended
    // first, so this entry stays a line of its own.
    QByteArray out;
    struct stat st {};
    char last = '\n';
    if (::fstat(fd, &st) == 0 && st.st_size > 0 && ::pread(fd, &last, 1, st.st_size - 1) == 1 && last != '\n')
        out += '\n';
    out += line;
    out += '\n';
    if (!writeAll(fd, out.constData(), static_cast<size_t>(out.size())))
        return systemError(QStringLiteral("Cannot write the audit file"), path, errno);
    return {};
}

bool readLines(const QString& path, const std::function<void(QByteArrayView)>& take, QString* problem) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno == ENOENT) return true;
        if (problem)
            *problem = errno == ELOOP ? QStringLiteral("The audit file %1 is a symbolic link; refused.").arg(path)
                                      : systemError(QStringLiteral("Cannot open the audit file"), path, errno);
        return false;
    }
    Fd file(fd);
    if (QString refused = checkOpened(fd, path, false); !refused.isEmpty()) {
        if (problem) *problem = refused;
        return false;
    }
    QByteArray pending;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            if (problem) *problem = systemError(QStringLiteral("Cannot read the audit file"), path, errno);
            return false;
        }
        if (n == 0) break;
        pending.append(buffer, n);
        qsizetype start = 0;
        for (qsizetype end; (end = pending.indexOf('\n', start)) >= 0; start = end + 1)
            take(QByteArrayView(pending).sliced(start, end - start));
        pending.remove(0, start);
    }
    if (!pending.isEmpty()) take(pending);
    return true;
}

QString makePrivateFolder(const QString& folder) {
    const QString parent = QFileInfo(folder).path();
    if (parent != folder && !QFileInfo::exists(parent))
        if (QString problem = makePrivateFolder(parent); !problem.isEmpty()) return problem;
    const QByteArray name = QFile::encodeName(folder);
    if (::mkdir(name.constData(), 0700) != 0 && errno != EEXIST)
        return systemError(QStringLiteral("Cannot make the folder"), folder, errno);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0) return systemError(QStringLiteral("Cannot examine"), folder, errno);
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return QStringLiteral("%1 is not a folder of this user's; refused.").arg(folder);
    return {};
}

}  // namespace platform::audit
