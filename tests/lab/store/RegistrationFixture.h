#pragma once
// A temporary store with mailboxes and public folders, program state pointing at
// it, and journal mailboxes answered from a table instead of the directory.

#include "lab/platform_store/TempStore.h"
#include "platform/store/Store.h"
#include "store/RegistrationContext.h"
#include "support/Thrown.h"

#include <QMap>
#include <gtest/gtest.h>

namespace testsupport {

inline QString dnOf(const QString& alias) { return QStringLiteral("CN=%1,OU=Staff,DC=tavimor,DC=lab").arg(alias); }

// The stored fields of a registration item, as storedFields() lists them.
inline QStringList registration(const QString& fwd = {}, bool both = false) {
    const QString ex = QStringLiteral("http://schemas.microsoft.com/exchange/events/");
    QStringList p{"DAV:contentclass=urn:content-class:storeeventreg", ex + "EventMethod=onsyncsave",
                  ex + "SinkClass=Tavimor.TavimorCls",         ex + "MatchScope=SHALLOW",
                  ex + "criteria= WHERE \"DAV:ishidden\" = FALSE", ex + "priority=1",
                  "DAV:ishidden=true"};
    if (!fwd.isEmpty()) p << "Tavimor_FWDAddress=" + fwd;
    if (both) p << "Tavimor_FWDAndSave=FWDAndSave";
    return p;
}

class RegistrationFixture : public ::testing::Test {
protected:
    RegistrationFixture() {
        g.strHttpMailboxRoot = TempStore::web(QStringLiteral("mbx"));
        g.strFileMailboxRoot = TempStore::file(QStringLiteral("mbx"));
        g.conExOLEDB = std::make_shared<platform::store::StoreConnection>();
    }

    // A mailbox user known to the directory (alias may differ from the mail's local
    // part), or with no account type a mail-enabled public folder.
    void mailboxUser(const QString& key, const QString& alias, const QString& mail, bool publicFolder = false) {
        platform::directory::Row r;
        r.set("mail", mail.isEmpty() ? QVariant() : QVariant(mail));
        r.set("mailNickname", alias.isEmpty() ? QVariant() : QVariant(alias));
        if (!publicFolder) r.set("sAMAccountType", QStringLiteral("805306368"));
        directory.insert(dnOf(key), r);
    }

    store::RegistrationContext ctx() {
        store::RegistrationContext c{g, log, [this] { return tag; }, [this](const QString& t) { tag = t; }, {}};
        if (!useDirectory)
            c.lookupJournal = [this](const QString& dn, bool requireMail) -> std::optional<platform::directory::Row> {
                if (failLookup) throw platform::ComError(platform::hr::ServerDown, QStringLiteral("down"));
                const auto r = directory.value(dn);
                if (!directory.contains(dn) || (requireMail && r.value("mail").isNull())) return std::nullopt;
                return r;
            };
        return c;
    }

    // The stored (not computed) fields of an item, in order, as name=value.
    static QStringList storedFields(const QString& url) {
        platform::store::StoreRecord rec;
        rec.open(url);
        QStringList out;
        for (const QString& n : rec.fieldNames()) {
            if (platform::store::detail::ItemView::isComputed(n)) continue;
            out << n + "=" + rec.field(n).toString();
        }
        return out;
    }

    TempStore store;
    state::Globals g;
    state::MemoryErrorLog log;
    QString tag;
    QMap<QString, platform::directory::Row> directory;
    bool failLookup = false;
    bool useDirectory = false;  // resolve through Globals::conAD instead of the table
};

}  // namespace testsupport
