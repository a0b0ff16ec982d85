#include "storetool/StandardInput.h"

#include "storetool/ExitStatus.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace storetool {

namespace {
constexpr qint64 kReadAtMost = 1LL << 30;
}

bool startsWithHeaderField(const QByteArray& data) {
    // A field name: printable ASCII except the colon, then the colon.
    qsizetype i = 0;
    while (i < data.size() && data[i] > ' ' && data[i] < 127 && data[i] != ':') ++i;
    return i > 0 && i < data.size() && data[i] == ':';
}

InputMessage readMessage(std::FILE* in, qint64 maxSize) {
    InputMessage out;
    const int fd = ::fileno(in);
    char buf[65536];
    while (out.size < kReadAtMost) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            out.status = exits::IoError;
            out.problem = QStringLiteral("reading standard input failed: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
            return out;
        }
        if (n == 0) break;
        const qint64 keep = std::min<qint64>(n, std::max<qint64>(0, maxSize - out.data.size()));
        out.data.append(buf, keep);
        out.size += n;
    }
    out.truncated = out.size > maxSize;
    if (out.size == 0) {
        out.status = exits::NoInput;
        out.problem = QStringLiteral("no message on standard input");
    } else if (!startsWithHeaderField(out.data)) {
        out.status = exits::DataError;
        out.problem = QStringLiteral("standard input holds no RFC 5322 message (it does not begin with a header field)");
    }
    return out;
}

}  // namespace storetool
