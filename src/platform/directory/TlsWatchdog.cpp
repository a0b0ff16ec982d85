#include "platform/directory/TlsWatchdog.h"

#include <chrono>
#include <ldap.h>
#include <sys/socket.h>

namespace platform::directory {
namespace {

// The socket of the connection being made, as libldap reports it once the TCP
// connection stands.
struct PendingSocket {
    std::mutex mutex;
    int fd = -1;
};

PendingSocket& pendingSocket() {
    static PendingSocket p;
    return p;
}

void setPending(int fd) {
    std::lock_guard<std::mutex> lock(pendingSocket().mutex);
    pendingSocket().fd = fd;
}

// libldap keeps the callback record with each connection: it lives as long as
// the process.
ldap_conncb& socketReporter() {
    static ldap_conncb cb{
        [](LDAP*, Sockbuf* sb, LDAPURLDesc*, sockaddr*, ldap_conncb*) {
            ber_socket_t fd = -1;
            if (ber_sockbuf_ctrl(sb, LBER_SB_OPT_GET_FD, &fd) == 1) setPending(fd);
            return 0;
        },
        [](LDAP*, Sockbuf*, ldap_conncb*) {}, nullptr};
    return cb;
}

}  // namespace

void watchConnectionSockets(LDAP* ld) { ldap_set_option(ld, LDAP_OPT_CONNECT_CB, &socketReporter()); }

TlsWatchdog::TlsWatchdog(int seconds) {
    setPending(-1);
    thread_ = std::thread([this, seconds] {
        std::unique_lock<std::mutex> lock(mutex_);
        if (done_.wait_for(lock, std::chrono::seconds(seconds), [this] { return finished_; })) return;
        std::lock_guard<std::mutex> socketLock(pendingSocket().mutex);
        if (pendingSocket().fd >= 0) {
            ::shutdown(pendingSocket().fd, SHUT_RDWR);
            fired_ = true;
        }
    });
}

TlsWatchdog::~TlsWatchdog() { stop(); }

bool TlsWatchdog::stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        finished_ = true;
    }
    done_.notify_all();
    if (thread_.joinable()) thread_.join();
    setPending(-1);
    return fired_;
}

}  // namespace platform::directory
