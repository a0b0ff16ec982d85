#include "milter/DeliveryProcess.h"

#include "milter/MilterLog.h"

#include <QDataStream>
#include <QIODevice>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace milter {

namespace {

using Clock = std::chrono::steady_clock;

// Waits for `fd` to be ready for `events` until `deadline` (none: for ever).
bool ready(int fd, short events, std::optional<Clock::time_point> deadline) {
    for (;;) {
        int wait = -1;
        if (deadline) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
            if (left <= 0) return false;  // the deadline has passed
            wait = static_cast<int>(std::min<long long>(left, 60000));
        }
        pollfd p{fd, events, 0};
        const int r = ::poll(&p, 1, wait);
        if (r > 0) return true;
        if (r < 0 && errno != EINTR) return false;
    }
}

// A frame: its length (8 bytes, big-endian), then that many bytes, over a
// socket (a process that ended is an error, never SIGPIPE).
bool writeAll(int fd, const char* data, qint64 size, std::optional<Clock::time_point> deadline) {
    while (size > 0) {
        if (!ready(fd, POLLOUT, deadline)) return false;
        const ssize_t n = ::send(fd, data, static_cast<size_t>(std::min<qint64>(size, 1 << 20)), MSG_NOSIGNAL);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return false;
        data += n, size -= n;
    }
    return true;
}

bool readAll(int fd, char* data, qint64 size, std::optional<Clock::time_point> deadline) {
    while (size > 0) {
        if (!ready(fd, POLLIN, deadline)) return false;
        const ssize_t n = ::read(fd, data, static_cast<size_t>(std::min<qint64>(size, 1 << 20)));
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return false;
        data += n, size -= n;
    }
    return true;
}

bool writeFrame(int fd, const QByteArray& payload, std::optional<Clock::time_point> deadline) {
    QByteArray head;
    QDataStream out(&head, QIODevice::WriteOnly);
    out << quint64(payload.size());
    return writeAll(fd, head.constData(), head.size(), deadline) &&
           writeAll(fd, payload.constData(), payload.size(), deadline);
}

// A frame of at most `limit` bytes.
bool readFrame(int fd, QByteArray& payload, qint64 limit, std::optional<Clock::time_point> deadline) {
    char head[8];
    if (!readAll(fd, head, 8, deadline)) return false;
    quint64 size = 0;
    QDataStream in(QByteArray::fromRawData(head, 8));
    in >> size;
    if (size > quint64(limit)) return false;
    payload.resize(static_cast<qsizetype>(size));
    return readAll(fd, payload.data(), payload.size(), deadline);
}

// One delivery process, ended with its owner.
class Child {
public:
    Child(const QString& program, std::chrono::milliseconds limit) : limit_(limit) {
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
            throw std::runtime_error("no socket for a delivery process");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pair[1], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, pair[1], STDOUT_FILENO);
        // Nothing else of the milter's: not its listening socket, not the MTA's connections.
        posix_spawn_file_actions_addclosefrom_np(&actions, 3);
        const QByteArray path = program.toLocal8Bit();
        char* argv[] = {const_cast<char*>(path.constData()), const_cast<char*>("--delivery-process"), nullptr};
        // The worker thread blocks the stop signals (libmilter's thread takes
        // them); the delivery process must not inherit that.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
        const int r = ::posix_spawn(&pid_, path.constData(), &actions, &attributes, argv, environ);
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pair[1]);
        socket_ = pair[0];
        ::fcntl(socket_, F_SETFL, O_NONBLOCK);
        if (r != 0) {
            pid_ = -1;
            throw std::runtime_error(std::string("cannot start a delivery process: ") + std::strerror(r));
        }
    }
    ~Child() {
        ::close(socket_);  // a waiting process sees the end of its input
        if (pid_ <= 0) return;
        for (int i = 0; i < 50; ++i) {
            if (::waitpid(pid_, nullptr, WNOHANG) == pid_) return;
            if (i == 10) ::kill(pid_, SIGTERM);
            ::usleep(20000);
        }
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    Verdict deliver(const storetool::RawMessage& m) {
        const auto deadline = Clock::now() + limit_;
        QByteArray request, answer;
        QDataStream out(&request, QIODevice::WriteOnly);
        out << m.sender << m.recipients << m.data;
        if (!writeFrame(socket_, request, deadline) || !readFrame(socket_, answer, 1 << 20, deadline))
            throw std::runtime_error(Clock::now() >= deadline ? "the delivery process did not answer in time"
                                                              : "the delivery process ended");
        Verdict v;
        QDataStream in(answer);
        in >> v.stored >> v.problem >> v.kept >> v.dropped;
        if (in.status() != QDataStream::Ok) throw std::runtime_error("the delivery process answered nonsense");
        return v;
    }

private:
    std::chrono::milliseconds limit_;
    pid_t pid_ = -1;
    int socket_ = -1;
};

}  // namespace

int serveDeliveryProcess(const DeliveryWorker::Factory& factory) {
    ::signal(SIGPIPE, SIG_IGN);
    // The socket moves to descriptors of its own: whatever a library prints
    // goes to standard error, never into an answer.
    const int requests = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    const int answers = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    if (requests < 0 || answers < 0 || ::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) return 1;
    ::close(STDIN_FILENO);
    // Standard error is the milter's: a terminal, the journal, or nothing.
    logToStderr(qEnvironmentVariableIsEmpty("JOURNAL_STREAM"));
    Delivery delivery;
    if (const QString problem = prepare(delivery, factory); !problem.isEmpty())
        log(Severity::Warning, QStringLiteral("a delivery process cannot open the store or the directory yet: %1; "
                                              "messages are answered with a temporary failure until it can")
                                   .arg(escaped(problem)));
    QByteArray request;
    // A message is at most the milter's size limit (1 GB) and its envelope.
    while (readFrame(requests, request, (qint64(1) << 30) + (64 << 20), std::nullopt)) {
        storetool::RawMessage m;
        QDataStream in(request);
        in >> m.sender >> m.recipients >> m.data;
        if (in.status() != QDataStream::Ok) return 1;
        const Verdict v = attempt(delivery, factory, m);
        QByteArray answer;
        QDataStream out(&answer, QIODevice::WriteOnly);
        out << v.stored << v.problem << v.kept << v.dropped;
        if (!writeFrame(answers, answer, std::nullopt)) return 1;
    }
    return 0;
}

DeliveryWorker::Factory deliveryProcesses(const QString& program, std::chrono::milliseconds limit) {
    return [program, limit]() -> DeliveryWorker::Deliver {
        auto child = std::make_shared<Child>(program, limit);
        return [child](const storetool::RawMessage& m) { return child->deliver(m); };
    };
}

}  // namespace milter
