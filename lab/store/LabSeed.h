#pragma once
// The lab's Exchange store: a mailbox for every mailbox user, a handful with a
// localised inbox name, junk e-mail rules in some mailboxes, and the public-folder
// tree with the mail-enabled folders. Seeding again adds only what is missing.

#include <QList>
#include <QString>

namespace lab {

struct SeedMailbox {
    QString alias;
    QString mail;
};

struct SeedPublicFolder {
    QString name;  // display name, used as the folder name
    QString mail;
};

struct SeedReport {
    int mailboxes = 0;         // created now
    int localisedInboxes = 0;  // of those created now
    int junkRules = 0;
    int publicFolders = 0;     // mail-enabled folders created now
};

// Which inbox name a mailbox gets, and whether it has a junk e-mail rule, by its
// position among the mailboxes sorted by alias.
QString seedInboxName(int index);
bool seedHasJunkRule(int index);

// Where a mail-enabled public folder goes, below "public folders", and the
// address as the store keeps it. Addresses holding an apostrophe, and the first
// other one (whose address is stored in capitals), are nested three levels deep.
struct PublicFolderPlacement {
    QStringList path;
    QString storedAddress;
};
QList<PublicFolderPlacement> placePublicFolders(QList<SeedPublicFolder> folders);

SeedReport seedLabStore(const QString& domainFolder, QList<SeedMailbox> mailboxes,
                        const QList<SeedPublicFolder>& publicFolders);

}  // namespace lab
