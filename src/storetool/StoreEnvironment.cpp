#include "storetool/StoreEnvironment.h"

#include "startup/StartupDiscovery.h"
#include "platform/directory/Session.h"
#include "platform/store/Store.h"

#include <QSysInfo>

namespace storetool {

QString chooseDomainFolder(const QStringList& entries, const QString& domain) {
    for (const QString& e : entries)
        if (e.compare(domain, Qt::CaseInsensitive) == 0) return e;
    return entries.value(0);
}

std::unique_ptr<StoreEnvironment> StoreEnvironment::open(bool withDirectory) {
    auto env = std::make_unique<StoreEnvironment>();
    QString dc, domain;
    if (withDirectory) {
        dc = platform::directory::Session::get(false, QString())->rootDse().dnsHostName;
        domain = platform::directory::SystemInfo::domainDNSName();
    }
    env->domainFolder_ = chooseDomainFolder(platform::store::listStoreRoot(), domain);
    if (env->domainFolder_.isEmpty())
        throw platform::ComError(platform::store::err::StoreNotFound,
                                 QStringLiteral("There is no store under %1").arg(platform::store::storeRoot()));
    env->g_.strLDAPRoot = QStringLiteral("LDAP://") + dc;
    env->g_.strFileMailboxRoot = startup::fileMailboxRoot(env->domainFolder_);
    env->g_.strHttpMailboxRoot = startup::httpMailboxRoot(QSysInfo::machineHostName(), env->domainFolder_);
    if (withDirectory) {
        env->g_.conAD = std::make_shared<platform::directory::DirectoryConnection>();
        env->g_.conAD->open();
    }
    return env;
}

QString StoreEnvironment::urlOf(const QString& urlOrPath) const {
    if (urlOrPath.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
        urlOrPath.startsWith(QLatin1String("file://"), Qt::CaseInsensitive))
        return urlOrPath;
    QString path = urlOrPath;
    while (path.startsWith(QLatin1Char('/'))) path.remove(0, 1);
    return QStringLiteral("file://./backofficestorage/") + domainFolder_ +
           (path.isEmpty() ? QString() : QStringLiteral("/") + path);
}

store::RegistrationContext StoreEnvironment::context() {
    return store::RegistrationContext{g_, log_, [this] { return tag_; }, [this](const QString& t) { tag_ = t; }, {}};
}

}  // namespace storetool
