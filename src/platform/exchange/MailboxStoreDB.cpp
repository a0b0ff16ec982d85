#include "platform/exchange/MailboxStoreDB.h"

namespace platform::exchange {

const QString MailboxStoreDB::kJournalRecipient = QStringLiteral("msExchMessageJournalRecipient");

MailboxStoreDB MailboxStoreDB::open(const QString& entry, const QString& serverPath) {
    MailboxStoreDB store;
    store.load(serverPath, entry, QStringLiteral("msExchPrivateMDB"), {kJournalRecipient});
    return store;
}

void MailboxStoreDB::setField(const QString& attribute, const QString& value) {
    pending_.push_back({attribute, false, value});
}

void MailboxStoreDB::deleteField(const QString& attribute) { pending_.push_back({attribute, true, {}}); }

void MailboxStoreDB::Save() {
    if (pending_.empty()) return;
    // Writes go to a writable directory service, also when the store was read
    // through a global catalog.
    QString base = serverPath_;
    if (base.startsWith(QStringLiteral("GC://"), Qt::CaseInsensitive)) base = QStringLiteral("LDAP://") + base.mid(5);
    const QString path = base.isEmpty() ? QStringLiteral("LDAP://") + dn_ : base + QLatin1Char('/') + dn_;
    directory::DirectoryObject object = directory::DirectoryObject::bind(path);
    for (const Change& c : pending_) {
        if (c.clear)
            object.putEx(directory::DirectoryObject::ClearControl, c.attribute);
        else
            object.put(c.attribute, c.value);
    }
    object.setInfo();
    for (const Change& c : pending_) row_.set(c.attribute, c.clear ? QVariant() : QVariant(c.value));
    pending_.clear();
}

}  // namespace platform::exchange
