#include "platform/exchange/ExchangeServer.h"

#include "platform/NameOrder.h"

#include <algorithm>

namespace platform::exchange {

using directory::Row;
using directory::Scope;

QString serverLabel(const QString& name) {
    const QString t = name.trimmed();
    const qsizetype dot = t.indexOf(QLatin1Char('.'));
    return (dot < 0 ? t : t.left(dot)).trimmed();
}

namespace {
QString configurationNamingContext(const QString& serverPath) {
    const QString root = serverPath.isEmpty() ? QStringLiteral("LDAP://RootDSE") : serverPath + QStringLiteral("/RootDSE");
    const QString nc = valueText(directory::DirectoryObject::bind(root).get(QStringLiteral("configurationNamingContext")));
    if (nc.isEmpty())
        throw ComError(hr::NoSuchObject, QStringLiteral("The directory has no configuration partition."));
    return nc;
}

QString exchangeServices(const QString& serverPath) {
    return QStringLiteral("CN=Microsoft Exchange,CN=Services,") + configurationNamingContext(serverPath);
}
}  // namespace

ExchangeServer ExchangeServer::open(const QString& name, const QString& serverPath) {
    const QString label = serverLabel(name);
    const auto notFound = [&] {
        return ComError(hr::NoSuchObject,
                        QStringLiteral("The Exchange server '%1' was not found in the directory.").arg(name));
    };
    if (label.isEmpty()) throw notFound();
    const QString base = exchangeServices(serverPath);
    std::vector<Row> rows;
    try {
        rows = directory::search(serverPath, base, Scope::Subtree,
                                 QStringLiteral("(&(objectClass=msExchExchangeServer)(cn=") +
                                     directory::escapeFilterValue(label) + QStringLiteral("))"),
                                 {QStringLiteral("name"), QStringLiteral("cn"), QStringLiteral("serialNumber"),
                                  QStringLiteral("msExchResponsibleMTAServer")});
    } catch (const ComError& e) {
        if (e.number() == hr::NoSuchObject) throw notFound();  // no Exchange organisation at all
        throw;
    }
    if (rows.empty()) throw notFound();
    ExchangeServer server;
    server.adopt(serverPath, rows.front());
    return server;
}

QStringList organisationServerNames(const QString& serverPath) {
    std::vector<Row> rows;
    try {
        rows = directory::search(serverPath, exchangeServices(serverPath), Scope::Subtree,
                                 QStringLiteral("(objectClass=msExchExchangeServer)"),
                                 {QStringLiteral("name"), QStringLiteral("cn")});
    } catch (const ComError& e) {
        if (e.number() == hr::NoSuchObject) return {};  // no Exchange organisation at all
        throw;
    }
    QStringList names;
    for (const Row& r : rows) {
        const QString name = valueText(r.value(QStringLiteral("name")));
        names << (name.isEmpty() ? valueText(r.value(QStringLiteral("cn"))) : name);
    }
    names.removeAll(QString());
    std::stable_sort(names.begin(), names.end(),
                     [](const QString& a, const QString& b) { return compareNames(a, b) < 0; });
    return names;
}

QString ExchangeServer::ExchangeVersion() const { return fieldText(QStringLiteral("serialNumber")); }

QStringList ExchangeServer::StorageGroups() const {
    return childrenOf(QStringLiteral("CN=InformationStore,") + dn_, QStringLiteral("msExchStorageGroup"));
}

}  // namespace platform::exchange
