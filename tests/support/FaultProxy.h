#pragma once
// A TCP relay on a loopback port between the program and a directory server,
// whose faults the test decides: forward, accept and never answer, or go down
// (every connection cut and the port closed) and come up again on the same
// port. Names that resolve to 127.0.0.1 (dc1.tavimor.lab) reach it with their
// TLS certificate still valid. It records what clients sent.

#include <QByteArray>
#include <arpa/inet.h>
#include <atomic>
#include <fcntl.h>
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

    explicit FaultProxy(int targetPort = 389, const char* targetIp = "127.0.0.1")
        : targetPort_(targetPort), targetIp_(targetIp) {
        if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0) wake_[0] = wake_[1] = -1;
        listen();
        thread_ = std::thread([this] { run(); });
    }
    ~FaultProxy() {
        stop_ = true;
        poke();
        thread_.join();
        closeAll();
        ::close(wake_[0]);
        ::close(wake_[1]);
    }

    int port() const { return port_; }
    void setMode(Mode m) { mode_ = m; }
    // Cuts every connection and closes the port; up() opens it again.
    void down() { command(Down); }
    void up() { command(Up); }
    // Goes down by itself once the server has sent this many more bytes.
    void downAfterServerBytes(long n) { budget_ = n; }

    QByteArray received() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }
    int accepted() const { return accepted_; }

private:
    enum Command { None, Down, Up };
    struct Pair {
        int client;
        int server;  // -1 while silent
    };

    void listen() {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int one = 1;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port_));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        ::listen(listener_, 16);
        socklen_t len = sizeof a;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len);
        port_ = ntohs(a.sin_port);
    }
    void poke() {
        const char c = 0;
        [[maybe_unused]] auto n = ::write(wake_[1], &c, 1);
    }
    void command(Command c) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            pending_ = c;
            done_ = false;
        }
        poke();
        while (true) {
            std::lock_guard<std::mutex> lock(mutex_);
            if (done_) break;
        }
    }
    void closeAll() {
        for (const Pair& p : pairs_) {
            ::shutdown(p.client, SHUT_RDWR);
            ::close(p.client);
            if (p.server >= 0) ::close(p.server);
        }
        pairs_.clear();
        if (listener_ >= 0) ::close(listener_);
        listener_ = -1;
    }
    int connectTarget() {
        const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(targetPort_));
        ::inet_pton(AF_INET, targetIp_, &a.sin_addr);
        if (::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
            ::close(s);
            return -1;
        }
        return s;
    }
    void run() {
        char buf[16384];
        while (!stop_) {
            {
                std::lock_guard<std::mutex> lock(mutex_);
                if (pending_ == Down) closeAll();
                if (pending_ == Up && listener_ < 0) listen();
                if (pending_ != None) {
                    pending_ = None;
                    done_ = true;
                }
            }
            std::vector<pollfd> fds{{wake_[0], POLLIN, 0}};
            if (listener_ >= 0) fds.push_back({listener_, POLLIN, 0});
            for (const Pair& p : pairs_) {
                fds.push_back({p.client, POLLIN, 0});
                if (p.server >= 0) fds.push_back({p.server, POLLIN, 0});
            }
            if (::poll(fds.data(), fds.size(), 200) <= 0) continue;
            if (fds[0].revents) {
                while (::read(wake_[0], buf, sizeof buf) > 0) {
                }
                continue;
            }
            if (listener_ >= 0 && fds[1].revents & POLLIN) {
                const int c = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
                if (c >= 0) {
                    ++accepted_;
                    pairs_.push_back({c, mode_ == Mode::Forward ? connectTarget() : -1});
                }
                continue;
            }
            for (size_t i = 0; i < pairs_.size(); ++i) {
                Pair& p = pairs_[i];
                bool closed = false;
                for (const pollfd& f : fds) {
                    if (!f.revents || (f.fd != p.client && f.fd != p.server)) continue;
                    const ssize_t n = ::read(f.fd, buf, sizeof buf);
                    if (n <= 0) {
                        closed = true;
                        break;
                    }
                    if (f.fd == p.client) {
                        std::lock_guard<std::mutex> lock(mutex_);
                        received_.append(buf, n);
                        if (p.server >= 0) ::send(p.server, buf, static_cast<size_t>(n), MSG_NOSIGNAL);
                    } else {
                        // Within a budget, only its rest gets through: the cut
                        // falls in the middle of an answer.
                        const long budget = budget_;
                        const ssize_t pass = budget >= 0 && budget < n ? budget : n;
                        ::send(p.client, buf, static_cast<size_t>(pass), MSG_NOSIGNAL);
                        if (budget >= 0 && (budget_ = budget - pass) <= 0) {
                            budget_ = -1;
                            closeAll();
                            goto next;
                        }
                    }
                }
                if (closed) {
                    ::close(p.client);
                    if (p.server >= 0) ::close(p.server);
                    pairs_.erase(pairs_.begin() + static_cast<long>(i));
                    break;
                }
            }
        next:;
        }
    }

    int targetPort_;
    const char* targetIp_;
    int port_ = 0;
    int listener_ = -1;
    int wake_[2] = {-1, -1};
    std::atomic<bool> stop_{false};
    std::atomic<Mode> mode_{Mode::Forward};
    std::atomic<long> budget_{-1};
    std::atomic<int> accepted_{0};
    mutable std::mutex mutex_;
    Command pending_ = None;
    bool done_ = true;
    QByteArray received_;
    std::vector<Pair> pairs_;
    std::thread thread_;
};

}  // namespace testing_support
