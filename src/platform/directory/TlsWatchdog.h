#pragma once
// libldap bounds the TCP connect and each wait for an LDAP answer, but reads a
// TLS handshake (StartTLS or ldaps://) without a bound. A watchdog cuts the
// connection when the handshake has not ended in time; libldap then fails it
// as a lost connection. Each watchdog watches the socket of its own handle
// only, so several threads may connect at once.

#include <condition_variable>
#include <mutex>
#include <thread>

typedef struct ldap LDAP;

namespace platform::directory {

// Lets the watchdog know the socket of each connection `ld` makes.
void watchConnectionSockets(LDAP* ld);

// Watches the connection `ld` makes from construction until stop().
class TlsWatchdog {
public:
    TlsWatchdog(LDAP* ld, int seconds);
    ~TlsWatchdog();
    TlsWatchdog(const TlsWatchdog&) = delete;
    TlsWatchdog& operator=(const TlsWatchdog&) = delete;

    // Ends the watch; true when the watchdog had to cut the connection.
    bool stop();

private:
    LDAP* ld_;
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    bool fired_ = false;
    std::thread thread_;
};

}  // namespace platform::directory
