#include "lab/store/LabSeed.h"

#include "lab/store/StoreBuilder.h"

#include <algorithm>

namespace lab {
using namespace platform::store;

namespace {
bool byAlias(const SeedMailbox& a, const SeedMailbox& b) {
    return a.alias.compare(b.alias, Qt::CaseInsensitive) < 0;
}

QString folderName(const QString& name) {
    QString n = name;
    n.replace(QLatin1Char('/'), QLatin1Char('-'));
    return n.trimmed();
}
}  // namespace

QString seedInboxName(int index) {
    static const QStringList localised{QStringLiteral("Posteingang"), QStringLiteral("Boîte de réception"),
                                       QStringLiteral("Bandeja de entrada")};
    if (index % 6 != 3) return QStringLiteral("Inbox");
    return localised[(index / 6) % localised.size()];
}

bool seedHasJunkRule(int index) { return index % 3 != 1; }

QList<PublicFolderPlacement> placePublicFolders(QList<SeedPublicFolder> folders) {
    std::sort(folders.begin(), folders.end(), [](const SeedPublicFolder& a, const SeedPublicFolder& b) {
        return a.mail.compare(b.mail, Qt::CaseInsensitive) < 0;
    });
    QList<PublicFolderPlacement> out;
    bool capitalsPlaced = false;
    int other = 0;
    for (const SeedPublicFolder& f : folders) {
        PublicFolderPlacement p;
        p.storedAddress = f.mail;
        const QString name = folderName(f.name.isEmpty() ? f.mail : f.name);
        if (f.mail.contains(QLatin1Char('\''))) {
            p.path = {QStringLiteral("Archive"), QStringLiteral("Legal"), name};
        } else if (!capitalsPlaced) {
            capitalsPlaced = true;
            p.path = {QStringLiteral("Archive"), QStringLiteral("Journals"), name};
            p.storedAddress = f.mail.toUpper();
        } else {
            p.path = (other++ % 2 == 0) ? QStringList{QStringLiteral("Departments"), name} : QStringList{name};
        }
        out << p;
    }
    return out;
}

SeedReport seedLabStore(const QString& domainFolder, QList<SeedMailbox> mailboxes,
                        const QList<SeedPublicFolder>& publicFolders) {
    SeedReport report;
    StoreBuilder b(domainFolder);
    b.ensureFolder({StoreBuilder::mailboxFolder()});
    std::sort(mailboxes.begin(), mailboxes.end(), byAlias);
    for (int i = 0; i < mailboxes.size(); ++i) {
        const QString alias = folderName(mailboxes[i].alias);
        if (alias.isEmpty()) continue;
        const QString inbox = seedInboxName(i);
        if (b.ensureMailbox(alias, inbox)) {
            ++report.mailboxes;
            if (inbox != QLatin1String("Inbox")) ++report.localisedInboxes;
            if (seedHasJunkRule(i) && b.ensureJunkRule(alias)) ++report.junkRules;
        }
    }
    // Folders without an address, some with subfolders, around the mail-enabled ones.
    b.ensurePublicFolder({QStringLiteral("Internet Newsgroups")}, QString());
    b.ensurePublicFolder({QStringLiteral("Archive"), QStringLiteral("Journals"), QStringLiteral("Old"),
                          QStringLiteral("2003")},
                         QString());
    for (const PublicFolderPlacement& p : placePublicFolders(publicFolders)) {
        if (b.ensurePublicFolder(p.path, p.storedAddress)) ++report.publicFolders;
    }
    b.commit();
    return report;
}

}  // namespace lab
