#include "platform/exchange/StorageGroup.h"

namespace platform::exchange {

StorageGroup StorageGroup::open(const QString& entry, const QString& serverPath) {
    StorageGroup group;
    group.load(serverPath, entry, QStringLiteral("msExchStorageGroup"), {QStringLiteral("msExchRecovery")});
    if (group.fieldText(QStringLiteral("msExchRecovery")).compare(QStringLiteral("TRUE"), Qt::CaseInsensitive) == 0)
        throw ComError(hr::StorageGroupUnavailable,
                       QStringLiteral("The storage group '%1' is a recovery storage group and cannot be opened.")
                           .arg(group.Name()));
    return group;
}

QStringList StorageGroup::MailboxStoreDBs() const { return childrenOf(dn_, QStringLiteral("msExchPrivateMDB")); }

}  // namespace platform::exchange
