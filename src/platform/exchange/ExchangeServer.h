#pragma once
// An Exchange server as the management interface shows it: the
// msExchExchangeServer object under
//   CN=Microsoft Exchange,CN=Services,<configuration naming context>
// whose name is the computer's short name (the first label of an FQDN) or, on a
// cluster node, the virtual server's name; matched without regard to case.

#include "platform/exchange/ConfigObject.h"

namespace platform::exchange {

class ExchangeServer : public ConfigObject {
public:
    // Throws ComError: hr::NoSuchObject when no Exchange server has that name, or
    // the directory's own error when it cannot be read.
    static ExchangeServer open(const QString& name, const QString& serverPath = {});

    // The version text the server records, e.g.
    // "Version 6.5 (Build 7638.2: Service Pack 2)".
    QString ExchangeVersion() const;

    // Distinguished names of the server's storage groups (the msExchStorageGroup
    // objects under its CN=InformationStore), ordered by name without regard to case.
    QStringList StorageGroups() const;

};

// The names of the organisation's Exchange servers (each server object's name),
// in the order of compareNames; empty when the directory holds no Exchange
// organisation. Throws ComError when the directory cannot be read.
QStringList organisationServerNames(const QString& serverPath = {});

// The name under which the directory knows a server: the first label of an FQDN,
// blanks trimmed.
QString serverLabel(const QString& name);

}  // namespace platform::exchange
