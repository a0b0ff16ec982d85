// Many single-attribute changes on one connection, sent without waiting for
// each answer: the server works through them while the next ones travel.
#include "platform/directory/AdsiQuery.h"
#include "platform/directory/LdapErrors.h"
#include "platform/directory/LdapLibrary.h"
#include "platform/directory/Session.h"

#include <QHash>
#include <ldap.h>

#include <algorithm>
#include <deque>

namespace platform::directory {
namespace {

// Requests on their way at once.
constexpr size_t kWindow = 64;

bool lostConnection(int rc) { return rc == LDAP_SERVER_DOWN || rc == LDAP_CONNECT_ERROR || rc == LDAP_TIMEOUT; }

// Sends one change; libldap encodes the request at once, so nothing here needs
// to outlive the call.
int send(LDAP* ld, const EntryChange& change, int* msgid) {
    QByteArray dn = change.dn.toUtf8(), name = change.attribute.toUtf8(), value = change.value.toUtf8();
    berval bv{static_cast<ber_len_t>(value.size()), value.data()};
    berval* values[] = {&bv, nullptr};
    LDAPMod mod{};
    mod.mod_op = (change.clear ? LDAP_MOD_DELETE : LDAP_MOD_REPLACE) | LDAP_MOD_BVALUES;
    mod.mod_type = name.data();
    mod.mod_bvalues = change.clear ? nullptr : values;
    LDAPMod* mods[] = {&mod, nullptr};
    return ldap_modify_ext(ld, dn.constData(), mods, nullptr, nullptr, msgid);
}

ComError errorFor(int rc) {
    try {
        throwLdapError(rc);
    } catch (const ComError& e) {
        return e;
    }
}

}  // namespace

std::vector<std::optional<ComError>> Session::modifyMany(const std::vector<EntryChange>& changes) {
    std::vector<std::optional<ComError>> out(changes.size());
    std::deque<size_t> queue;
    for (size_t i = 0; i < changes.size(); ++i) queue.push_back(i);
    QHash<int, size_t> inFlight;  // message id -> change
    bool mayReconnect = true;     // again after every answer

    const auto failLeft = [&](const ComError& e) {
        for (const size_t i : queue) out[i] = e;
        queue.clear();
    };
    // The connection is gone (`rc`): the unanswered changes go back in front of
    // the queue and are sent again on a new connection, made once; a replace or
    // a clear gives the same result twice. Answers false when none can be made.
    const auto lose = [&](int rc) {
        std::vector<size_t> again(inFlight.begin(), inFlight.end());
        std::sort(again.begin(), again.end());
        inFlight.clear();
        for (auto it = again.rbegin(); it != again.rend(); ++it) queue.push_front(*it);
        try {
            fail(rc, QStringLiteral("(writing to %1)").arg(server_.host));
        } catch (const ComError& e) {
            if (!mayReconnect) {
                failLeft(e);
                return false;
            }
            mayReconnect = false;
            try {
                connect();
                return true;
            } catch (const ComError& lost) {
                failLeft(lost);
                return false;
            }
        }
        return false;
    };

    try {
        if (!ld_) connect();
    } catch (const ComError& e) {
        failLeft(e);
        return out;
    }
    const int seconds = ldapTimeouts().operationSeconds;
    while (!queue.empty() || !inFlight.isEmpty()) {
        while (!queue.empty() && static_cast<size_t>(inFlight.size()) < kWindow) {
            const size_t i = queue.front();
            int msgid = 0;
            const int rc = send(ld_, changes[i], &msgid);
            if (lostConnection(rc)) {
                if (!lose(rc)) return out;
                continue;
            }
            queue.pop_front();
            if (rc == LDAP_SUCCESS)
                inFlight.insert(msgid, i);
            else
                out[i] = errorFor(rc);
        }
        if (inFlight.isEmpty()) continue;
        LDAPMessage* message = nullptr;
        timeval timeout{seconds, 0};
        const int type = ldap_result(ld_, LDAP_RES_ANY, LDAP_MSG_ONE, &timeout, &message);
        if (type <= 0) {
            int rc = LDAP_TIMEOUT;
            if (type < 0) ldap_get_option(ld_, LDAP_OPT_RESULT_CODE, &rc);
            if (message) ldap_msgfree(message);
            if (!lose(lostConnection(rc) ? rc : LDAP_SERVER_DOWN)) return out;
            continue;
        }
        const auto it = inFlight.find(ldap_msgid(message));
        int rc = LDAP_OTHER;
        ldap_parse_result(ld_, message, &rc, nullptr, nullptr, nullptr, nullptr, 1);
        if (it == inFlight.end()) continue;  // not an answer to a change (a notice)
        const size_t i = it.value();
        inFlight.erase(it);
        if (lostConnection(rc)) {
            inFlight.insert(-1, i);
            if (!lose(rc)) return out;
            continue;
        }
        mayReconnect = true;
        // Clearing an attribute that holds no value leaves it clear: not a failure.
        if (rc == LDAP_SUCCESS || (rc == LDAP_NO_SUCH_ATTRIBUTE && changes[i].clear)) continue;
        out[i] = errorFor(rc);
    }
    return out;
}

std::vector<std::optional<ComError>> modifyEntries(const QString& serverPath, const std::vector<EntryChange>& changes) {
    if (changes.empty()) return {};
    AdsiUrl url;
    try {
        url = AdsiUrl::parse(serverPath);
    } catch (const QueryError& e) {
        return std::vector<std::optional<ComError>>(
            changes.size(), ComError(static_cast<int32_t>(0x80005000),
                                     QStringLiteral("An invalid directory pathname was passed. ") +
                                         QString::fromUtf8(e.what())));
    }
    try {
        return Session::get(url.kind == AdsiUrl::Kind::GlobalCatalog, url.host, url.port)->modifyMany(changes);
    } catch (const ComError& e) {
        return std::vector<std::optional<ComError>>(changes.size(), e);
    }
}

}  // namespace platform::directory
