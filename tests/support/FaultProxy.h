#pragma once
// A TCP relay on a loopback port in front of a directory server, whose faults
// the test decides: forward, accept and never answer, or go down (connections
// cut, port closed) and up again on the same port, or let the server's answers
// through with some bytes replaced. dc1.tavimor.lab resolves to
// 127.0.0.1, so TLS to it through the relay still verifies. It records what
// clients sent.

#include "support/Lab.h"

#include <QByteArray>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <arpa/inet.h>
#include <atomic>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace testing_support {

class FaultProxy {
public:
    enum class Mode { Forward, Silent };

    // `rewrite`: bytes replaced by as many others (so that the LDAP framing
    // holds) in what the server sends, within each read.
    explicit FaultProxy(int targetPort = 389, std::pair<QByteArray, QByteArray> rewrite = {})
        : targetPort_(targetPort), rewrite_(std::move(rewrite)) {
        listen();
        thread_ = std::thread([this] { run(); });
    }
    ~FaultProxy() {
        stop_ = true;
        thread_.join();
        closeAll();
    }

    int port() const { return port_; }
    // The relay under the lab DC's name.
    QString uri(const QString& scheme = QStringLiteral("ldap")) const {
        return scheme + "://" + labEnv("LAB_DC_HOST") + ":" + QString::number(port_);
    }
    void setMode(Mode m) { mode_ = m; }
    void down() { request(-1); }
    void up() { request(1); }
    // Lets this many more bytes of the server through, then goes down: the cut
    // falls in the middle of an answer.
    void downAfterServerBytes(long n) { budget_ = n; }
    QByteArray received() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }
    int accepted() const { return accepted_; }

private:
    struct Pair {
        int client, server;  // server -1 while silent
    };

    void request(int r) {
        request_ = r;
        while (request_ != 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    void listen() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int one = 1;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a{AF_INET, htons(static_cast<uint16_t>(port_)), {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t len = sizeof a;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&a), len);
        ::listen(listener_, 16);
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
    }
    void closeAll() {
        for (const Pair& p : pairs_) {
            ::close(p.client);
            if (p.server >= 0) ::close(p.server);
        }
        pairs_.clear();
        if (listener_ >= 0) ::close(listener_);
        listener_ = -1;
    }
    int connectTarget() const {
        const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{AF_INET, htons(static_cast<uint16_t>(targetPort_)), {htonl(INADDR_LOOPBACK)}, {}};
        if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) return s;
        ::close(s);
        return -1;
    }
    // Moves what one side sent; false when that side closed.
    bool relay(Pair& p, int from) {
        char buf[16384];
        const ssize_t n = ::read(from, buf, sizeof buf);
        if (n <= 0) return false;
        if (from == p.client) {
            std::lock_guard<std::mutex> lock(mutex_);
            received_.append(buf, n);
            if (p.server >= 0) ::send(p.server, buf, static_cast<size_t>(n), MSG_NOSIGNAL);
            return true;
        }
        if (!rewrite_.first.isEmpty())
            std::memcpy(buf, QByteArray(buf, n).replace(rewrite_.first, rewrite_.second).constData(), size_t(n));
        const long budget = budget_;
        const ssize_t pass = budget >= 0 && budget < n ? budget : n;
        ::send(p.client, buf, static_cast<size_t>(pass), MSG_NOSIGNAL);
        if (budget >= 0 && (budget_ = budget - pass) <= 0) {
            budget_ = -1;
            request_ = -1;
        }
        return true;
    }
    void run() {
        while (!stop_) {
            int r = request_;
            if (r < 0) closeAll();
            if (r > 0 && listener_ < 0) listen();
            request_.compare_exchange_strong(r, 0);
            std::vector<pollfd> fds;
            if (listener_ >= 0) fds.push_back({listener_, POLLIN, 0});
            for (const Pair& p : pairs_) {
                fds.push_back({p.client, POLLIN, 0});
                if (p.server >= 0) fds.push_back({p.server, POLLIN, 0});
            }
            if (::poll(fds.data(), fds.size(), 20) <= 0) continue;
            for (const pollfd& f : fds) {
                if (!f.revents) continue;
                if (f.fd == listener_) {
                    const int c = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
                    ++accepted_;
                    if (c >= 0) pairs_.push_back({c, mode_ == Mode::Forward ? connectTarget() : -1});
                    break;
                }
                auto p = std::find_if(pairs_.begin(), pairs_.end(),
                                      [&](const Pair& x) { return x.client == f.fd || x.server == f.fd; });
                if (p != pairs_.end() && !relay(*p, f.fd)) {
                    ::close(p->client);
                    if (p->server >= 0) ::close(p->server);
                    pairs_.erase(p);
                    break;
                }
                if (request_ != 0) break;
            }
        }
    }

    int targetPort_;
    const std::pair<QByteArray, QByteArray> rewrite_;
    int port_ = 0;
    int listener_ = -1;
    std::atomic<bool> stop_{false};
    std::atomic<int> request_{0};
    std::atomic<Mode> mode_{Mode::Forward};
    std::atomic<long> budget_{-1};
    std::atomic<int> accepted_{0};
    mutable std::mutex mutex_;
    QByteArray received_;
    std::vector<Pair> pairs_;
    std::thread thread_;
};

}  // namespace testing_support
