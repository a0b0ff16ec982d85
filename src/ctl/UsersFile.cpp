#include "ctl/UsersFile.h"

#include "ctl/Exit.h"

#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ctl {
namespace {

Error fileError(const QString& path, const QString& why) {
    return Error(kUsage, QStringLiteral("cannot read the users file %1: %2").arg(path, why));
}

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

// One CSV line's fields (RFC 4180 quoting); `pos` moves past the line end.
// `ok` is false for a quote left open.
QStringList csvFields(const QString& text, qsizetype& pos, bool& ok) {
    QStringList fields;
    QString field;
    bool quoted = false;
    ok = true;
    for (; pos < text.size(); ++pos) {
        const QChar c = text[pos];
        if (quoted) {
            if (c == u'"' && pos + 1 < text.size() && text[pos + 1] == u'"') {
                field += u'"';
                ++pos;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            fields << field;
            field.clear();
        } else if (c == u'\n') {
            ++pos;
            break;
        } else if (c != u'\r') {
            field += c;
        }
    }
    if (quoted) ok = false;
    fields << field;
    return fields;
}

}  // namespace

QByteArray readUsersFile(const QString& path) {
    const QByteArray name = path.toLocal8Bit();
    // O_NONBLOCK: opening a FIFO without a writer returns at once.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) throw fileError(path, systemError());
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st{};
    if (::fstat(fd, &st) != 0) throw fileError(path, systemError());
    if (!S_ISREG(st.st_mode)) throw fileError(path, QStringLiteral("not a regular file"));
    if (st.st_size > kUsersFileLimit)
        throw fileError(path, QStringLiteral("larger than %1 bytes").arg(kUsersFileLimit));
    QByteArray data;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw fileError(path, systemError());
        if (n == 0) break;
        data.append(buffer, n);
        // A file that grows while it is read stops at the limit too.
        if (data.size() > kUsersFileLimit)
            throw fileError(path, QStringLiteral("larger than %1 bytes").arg(kUsersFileLimit));
    }
    return data;
}

std::optional<bool> switchValue(const QString& text, bool& ok) {
    const QString v = text.trimmed().toLower();
    ok = true;
    if (v.isEmpty()) return std::nullopt;
    if (v == QLatin1String("on") || v == QLatin1String("1") || v == QLatin1String("yes") || v == QLatin1String("true"))
        return true;
    if (v == QLatin1String("off") || v == QLatin1String("0") || v == QLatin1String("no") || v == QLatin1String("false"))
        return false;
    ok = false;
    return std::nullopt;
}

std::vector<UserSetting> parseUsers(const QByteArray& csv, const QString& fileName) {
    const QString text = QString::fromUtf8(csv);
    std::vector<UserSetting> users;
    qsizetype pos = 0;
    for (int line = 1; pos < text.size(); ++line) {
        bool closed = true;
        const QStringList f = csvFields(text, pos, closed);
        const auto bad = [&](const QString& why) {
            return Error(kUsage, QStringLiteral("%1, line %2: %3").arg(fileName).arg(line).arg(why));
        };
        if (!closed) throw bad(QStringLiteral("a quoted field is not closed"));
        const QString address = f.value(0).trimmed();
        if (address.isEmpty() && f.size() == 1) continue;
        if (address.startsWith(u'#')) continue;
        if (line == 1 && address.compare(QLatin1String("address"), Qt::CaseInsensitive) == 0) continue;
        if (address.isEmpty()) throw bad(QStringLiteral("no address"));
        bool inOk = true, outOk = true;
        UserSetting u{address, switchValue(f.value(1), inOk), switchValue(f.value(2), outOk)};
        if (!inOk || !outOk) throw bad(QStringLiteral("in and out are on, off or empty"));
        users.push_back(u);
    }
    return users;
}

}  // namespace ctl
