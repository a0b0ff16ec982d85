// Seeds the lab's Exchange store from the lab directory: a mailbox for every
// mailbox user (mail, mailNickname and homeMDB present) and the public-folder tree
// with the directory's mail-enabled public folders. Run by `lab/lab start` with
// the lab's environment (LDAPURI, LDAPBASE, TAVIMOR_STORE_ROOT, ...). Adding only
// what is missing, it can be run again at any time.

#include "platform/directory/Directory.h"
#include "lab/store/LabSeed.h"
#include "platform/store/StoreRoot.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

namespace dir = platform::directory;
namespace ps = platform::store;

namespace {

// "DC=tavimor,DC=lab" -> "tavimor.lab"
QString dnsNameOf(const QString& baseDn) {
    QStringList parts;
    for (const QString& rdn : baseDn.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString t = rdn.trimmed();
        if (t.startsWith(QLatin1String("DC="), Qt::CaseInsensitive)) parts << t.mid(3);
    }
    return parts.join(QLatin1Char('.')).toLower();
}

QString ldapRoot() {
    const dir::DirectoryObject rootDse = dir::DirectoryObject::bind(QStringLiteral("LDAP://RootDSE"));
    return QStringLiteral("LDAP://") + rootDse.get(QStringLiteral("dnshostname")).toString();
}

QString domainFolder() {
    QString base = qEnvironmentVariable("LDAPBASE");
    if (base.isEmpty()) {
        base = dir::DirectoryObject::bind(QStringLiteral("LDAP://RootDSE"))
                   .get(QStringLiteral("defaultNamingContext"))
                   .toString();
    }
    return dnsNameOf(base);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        const QString root = ldapRoot();
        const QString domain = domainFolder();
        if (domain.isEmpty()) {
            std::fprintf(stderr, "lab_seed_store: the domain name is unknown (LDAPBASE)\n");
            return 1;
        }
        dir::DirectoryConnection con;
        con.open();

        QList<lab::SeedMailbox> mailboxes;
        auto users = con.execute(QStringLiteral("SELECT mail, mailNickname FROM '") + root +
                                     QStringLiteral("' WHERE mail='*' AND mailNickname='*' AND homeMDB='*'"),
                                 dir::PropertySet::B);
        for (; !users.eof(); users.moveNext())
            mailboxes << lab::SeedMailbox{users.text(QStringLiteral("mailNickname")), users.text(QStringLiteral("mail"))};

        QList<lab::SeedPublicFolder> folders;
        auto pfs = con.execute(QStringLiteral("SELECT mail, displayName, name FROM '") + root +
                                   QStringLiteral("' WHERE objectClass='publicFolder' AND mail='*'"),
                               dir::PropertySet::B);
        for (; !pfs.eof(); pfs.moveNext()) {
            QString name = pfs.text(QStringLiteral("displayName"));
            if (name.isEmpty()) name = pfs.text(QStringLiteral("name"));
            folders << lab::SeedPublicFolder{name, pfs.text(QStringLiteral("mail"))};
        }

        const lab::SeedReport r = lab::seedLabStore(domain, mailboxes, folders);
        std::printf("lab_seed_store: %s in %s: %d mailboxes (%d with a localised inbox, %d junk e-mail rules) "
                    "and %d mail-enabled public folders added; %lld mailbox users, %lld public folders in the "
                    "directory\n",
                    qPrintable(domain), qPrintable(ps::storeRoot()), r.mailboxes, r.localisedInboxes, r.junkRules,
                    r.publicFolders, static_cast<long long>(mailboxes.size()),
                    static_cast<long long>(folders.size()));
        return 0;
    } catch (const platform::ComError& e) {
        std::fprintf(stderr, "lab_seed_store: %s (0x%s)\n", qPrintable(e.description()),
                     qPrintable(platform::hexNumber(e.number())));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lab_seed_store: %s\n", e.what());
    }
    return 1;
}
