#pragma once
// Builds store contents the way an Exchange server holds them: folders, mailboxes
// with their inbox, hidden rule messages and mail-enabled public folders. Every
// call only adds what is missing, so building twice gives the same store. All
// changes are made in one transaction, kept by commit() and abandoned otherwise.

#include "platform/store/StoreConnection.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace lab {

class StoreBuilder {
public:
    // Creates the domain folder's store when missing and opens it.
    explicit StoreBuilder(const QString& domainFolder);
    ~StoreBuilder();

    void commit();

    // The file-form URL of a path below the domain folder.
    QString url(const QStringList& path) const;
    bool exists(const QStringList& path) const;

    // The folder with its ancestors; `props` are written when it is created.
    // Answers whether it was created.
    bool ensureFolder(const QStringList& path, const QVariantMap& props = {});
    // A (message) item in an existing folder, with `props`, when missing.
    bool ensureItem(const QStringList& path, const QVariantMap& props);

    // mbx/<alias> with its inbox (named `inboxName`, which the mailbox's
    // "urn:schemas:httpmail:inbox" points to), "Sent Items" and "Deleted Items".
    bool ensureMailbox(const QString& alias, const QString& inboxName = QStringLiteral("Inbox"));
    // The hidden junk e-mail rule message (enabled, filtering on) in the inbox of
    // the mailbox, beside a hidden rule of another provider.
    bool ensureJunkRule(const QString& alias);
    // A public folder below "public folders" with its ancestors; a non-empty
    // address makes it mail-enabled.
    bool ensurePublicFolder(const QStringList& path, const QString& emailAddress);

    // The inbox URL of a mailbox ("" when the mailbox is missing).
    QString inboxOf(const QString& alias) const;

    static QString mailboxFolder() { return QStringLiteral("mbx"); }
    static QString publicFolders() { return QStringLiteral("public folders"); }

private:
    QString domainFolder_;
    mutable platform::store::StoreConnection con_;  // reads go through it too
};

}  // namespace lab
