#include "platform/directory/PasswordFile.h"

#include "platform/ComError.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::directory {
namespace {

[[noreturn]] void refuse(int32_t number, const QString& path, const QString& why) {
    throw ComError(number, QStringLiteral("The password file %1 is refused: %2.").arg(path, why));
}

struct Fd {
    int fd = -1;
    ~Fd() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

Secret::~Secret() { explicit_bzero(bytes_, sizeof bytes_); }

void readPasswordFile(const QString& path, Secret& into) {
    explicit_bzero(into.bytes_, sizeof into.bytes_);
    into.size_ = 0;
    const QByteArray native = QFile::encodeName(path);
    // Not blocking: a FIFO would otherwise wait for a writer forever.
    Fd f{::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (f.fd < 0) {
        if (errno == ELOOP) refuse(hr::AccessDenied, path, QStringLiteral("it is a symbolic link"));
        refuse(hr::FileNotFound, path, QString::fromLocal8Bit(std::strerror(errno)));
    }
    struct stat st {};
    if (::fstat(f.fd, &st) != 0) refuse(hr::FileNotFound, path, QString::fromLocal8Bit(std::strerror(errno)));
    if (!S_ISREG(st.st_mode)) refuse(hr::AccessDenied, path, QStringLiteral("it is not a regular file"));
    if (st.st_uid != ::geteuid()) refuse(hr::AccessDenied, path, QStringLiteral("it belongs to another user"));
    if (st.st_mode & (S_IRWXG | S_IRWXO))
        refuse(hr::AccessDenied, path,
               QStringLiteral("others may use it (mode %1); it must be 0600 or stricter")
                   .arg(st.st_mode & 07777, 4, 8, QLatin1Char('0')));
    if (st.st_size <= 0) refuse(hr::AccessDenied, path, QStringLiteral("it is empty"));
    if (static_cast<std::size_t>(st.st_size) > kMaxPasswordFileSize)
        refuse(hr::AccessDenied, path, QStringLiteral("it is larger than %1 bytes").arg(kMaxPasswordFileSize));

    std::size_t got = 0;
    // One byte more than allowed, to notice a file that grew since fstat.
    while (got <= kMaxPasswordFileSize) {
        const ssize_t n = ::read(f.fd, into.bytes_ + got, kMaxPasswordFileSize + 1 - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            explicit_bzero(into.bytes_, sizeof into.bytes_);
            refuse(hr::FileNotFound, path, QString::fromLocal8Bit(std::strerror(errno)));
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    if (got > kMaxPasswordFileSize) {
        explicit_bzero(into.bytes_, sizeof into.bytes_);
        refuse(hr::AccessDenied, path, QStringLiteral("it is larger than %1 bytes").arg(kMaxPasswordFileSize));
    }
    while (got > 0 && (into.bytes_[got - 1] == '\n' || into.bytes_[got - 1] == '\r')) into.bytes_[--got] = 0;
    if (got == 0) refuse(hr::AccessDenied, path, QStringLiteral("it is empty"));
    into.size_ = got;
}

}  // namespace platform::directory
