#include "platform/directory/TlsWatchdog.h"

#include <chrono>
#include <ldap.h>
#include <map>
#include <sys/socket.h>

namespace platform::directory {
namespace {

// The socket of each handle's connection, as libldap reports it once the TCP
// connection stands, until libldap closes it.
struct Sockets {
    std::mutex mutex;
    std::map<LDAP*, int> fd;
};

// Never destroyed: connections cached for the life of the process close after
// static objects are gone, and report that here.
Sockets& sockets() {
    static Sockets* s = new Sockets;
    return *s;
}

void setSocket(LDAP* ld, int fd) {
    std::lock_guard<std::mutex> lock(sockets().mutex);
    if (fd >= 0)
        sockets().fd[ld] = fd;
    else
        sockets().fd.erase(ld);
}

// libldap keeps the callback record with each connection: it lives as long as
// the process.
ldap_conncb& socketReporter() {
    static ldap_conncb cb{
        [](LDAP* ld, Sockbuf* sb, LDAPURLDesc*, sockaddr*, ldap_conncb*) {
            ber_socket_t fd = -1;
            if (ber_sockbuf_ctrl(sb, LBER_SB_OPT_GET_FD, &fd) == 1) setSocket(ld, fd);
            return 0;
        },
        [](LDAP* ld, Sockbuf*, ldap_conncb*) { setSocket(ld, -1); }, nullptr};
    return cb;
}

}  // namespace

void watchConnectionSockets(LDAP* ld) { ldap_set_option(ld, LDAP_OPT_CONNECT_CB, &socketReporter()); }

TlsWatchdog::TlsWatchdog(LDAP* ld, int seconds) : ld_(ld) {
    thread_ = std::thread([this, seconds] {
        std::unique_lock<std::mutex> lock(mutex_);
        if (done_.wait_for(lock, std::chrono::seconds(seconds), [this] { return finished_; })) return;
        std::lock_guard<std::mutex> socketLock(sockets().mutex);
        const auto it = sockets().fd.find(ld_);
        if (it != sockets().fd.end()) {
            ::shutdown(it->second, SHUT_RDWR);
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
    return fired_;
}

}  // namespace platform::directory
