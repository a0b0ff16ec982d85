#include "platform/directory/LdapLibrary.h"

#include "platform/directory/KerberosBind.h"

#include <QSet>
#include <csignal>
#include <fcntl.h>
#include <ldap.h>
#include <mutex>
#include <unistd.h>

namespace platform::directory {
namespace {

struct NoticeSink {
    NoticeHandler handler;
    QSet<QString> given;
};

NoticeSink& sink() {
    static NoticeSink s;
    return s;
}

int seconds(int option, int fallback) {
    timeval* tv = nullptr;
    // libldap answers a null pointer when the option was never set.
    if (ldap_get_option(nullptr, option, &tv) != LDAP_OPT_SUCCESS || !tv) return fallback;
    const int s = tv->tv_sec > 0 ? static_cast<int>(tv->tv_sec) : (tv->tv_usec > 0 ? 1 : fallback);
    ldap_memfree(tv);
    return s;
}

}  // namespace

void prepareLdapLibrary() {
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction current {};
        if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
            struct sigaction ignore {};
            ignore.sa_handler = SIG_IGN;
            sigemptyset(&ignore.sa_mask);
            sigaction(SIGPIPE, &ignore, nullptr);
        }
        // libldap reads "ldaprc" and ".ldaprc" from the current folder the
        // first time it is used. Make that first use from the root folder,
        // which only the administrator of the machine can write.
        // (A folder that cannot even be opened by path cannot be read from.)
        const int here = ::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
        const bool moved = here >= 0 && ::chdir("/") == 0;
        int version = 0;
        ldap_get_option(nullptr, LDAP_OPT_PROTOCOL_VERSION, &version);
        if (moved && ::fchdir(here) != 0) {
            // The old folder went away meanwhile; staying at the root is harmless.
        }
        if (here >= 0) ::close(here);
        // Before other threads may read the environment.
        keepServiceNamesAsGiven();
    });
}

Timeouts ldapTimeouts() {
    prepareLdapLibrary();
    return {seconds(LDAP_OPT_NETWORK_TIMEOUT, kDefaultTimeouts.networkSeconds),
            seconds(LDAP_OPT_TIMEOUT, kDefaultTimeouts.operationSeconds)};
}

void setNoticeHandler(NoticeHandler handler) { sink().handler = std::move(handler); }

void noticeOnce(int32_t number, const QString& description) {
    NoticeSink& s = sink();
    if (s.given.contains(description)) return;
    s.given.insert(description);
    if (s.handler) s.handler(number, description);
}

}  // namespace platform::directory
