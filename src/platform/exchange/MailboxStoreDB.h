#pragma once
// A mailbox store (an msExchPrivateMDB object): read when opened; its journal
// recipient can be set or deleted and saved as one write.

#include "platform/exchange/ConfigObject.h"

#include <vector>

namespace platform::exchange {

class MailboxStoreDB : public ConfigObject {
public:
    // `entry`: an entry of StorageGroup::MailboxStoreDBs() or a store's
    // distinguished name. Fails (ComError hr::NoSuchObject) when the store does
    // not exist; it is never created.
    static MailboxStoreDB open(const QString& entry, const QString& serverPath = {});

    // Staged changes of an attribute, written by Save().
    void setField(const QString& attribute, const QString& value);
    void deleteField(const QString& attribute);

    // Writes the staged changes in one modification; throws ComError when the
    // directory refuses it (nothing is written then). Afterwards Fields() shows
    // the new values.
    void Save();

    static const QString kJournalRecipient;  // "msExchMessageJournalRecipient"

private:
    struct Change {
        QString attribute;
        bool clear = false;
        QString value;
    };
    std::vector<Change> pending_;
};

}  // namespace platform::exchange
