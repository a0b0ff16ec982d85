#pragma once
// A storage group of an Exchange server (an msExchStorageGroup object). A
// recovery storage group (msExchRecovery TRUE) cannot be opened: the management
// interface refuses it with hr::StorageGroupUnavailable (0xC1032221).

#include "platform/exchange/ConfigObject.h"

namespace platform::exchange {

class StorageGroup : public ConfigObject {
public:
    // `entry`: an entry of ExchangeServer::StorageGroups(). Throws ComError.
    static StorageGroup open(const QString& entry, const QString& serverPath = {});

    // Distinguished names of the group's mailbox stores (msExchPrivateMDB),
    // ordered by name without regard to case. Public stores are not listed.
    QStringList MailboxStoreDBs() const;
};

}  // namespace platform::exchange
