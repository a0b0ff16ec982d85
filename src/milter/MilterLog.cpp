#include "milter/MilterLog.h"

#include <QByteArray>
#include <QDateTime>
#include <QLocale>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <sys/socket.h>
#include <sys/un.h>
#include <syslog.h>
#include <unistd.h>

namespace milter {
namespace {

std::atomic<bool> toStderr{false};
std::mutex mutex;
int socketFd = -1;

bool connectLogger() {
    if (socketFd >= 0) return true;
    socketFd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (socketFd < 0) return false;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", "/dev/log");
    if (::connect(socketFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return true;
    ::close(socketFd);
    socketFd = -1;
    return false;
}

int priorityOf(Severity s) {
    return LOG_MAIL | (s == Severity::Error ? LOG_ERR : s == Severity::Warning ? LOG_WARNING : LOG_INFO);
}

}  // namespace

void logToStderr(bool on) { toStderr = on; }

QString escaped(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        if (u == u'\\') out += QStringLiteral("\\\\");
        else if (u < 0x20 || u == 0x7f || (u >= 0x80 && u < 0xa0) || u == 0x2028 || u == 0x2029)
            out += QStringLiteral("\\x") + QString::number(u, 16).rightJustified(2, QLatin1Char('0'));
        else out += c;
    }
    return out;
}

void log(Severity severity, const QString& line) {
    // Every caller escapes what came from mail; this keeps the entry one line.
    QByteArray text = line.toUtf8();
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    const QByteArray stamp =
        QLocale::c().toString(QDateTime::currentDateTime(), QStringLiteral("MMM dd HH:mm:ss")).toLatin1();
    const QByteArray entry = "<" + QByteArray::number(priorityOf(severity)) + ">" + stamp + " tavimor-milter[" +
                             QByteArray::number(::getpid()) + "]: " + text;
    std::lock_guard<std::mutex> lock(mutex);
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!connectLogger()) break;
        if (::send(socketFd, entry.constData(), entry.size(), MSG_NOSIGNAL) >= 0) break;
        ::close(socketFd);  // the logger restarted: connect again once
        socketFd = -1;
    }
    if (toStderr) std::fprintf(stderr, "tavimor-milter: %s\n", text.constData());
}

}  // namespace milter
