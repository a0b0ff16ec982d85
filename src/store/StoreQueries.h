#pragma once
// The store query texts of the registration routines, each built piece by piece
// as the store reads it. Every value placed inside a quoted literal is escaped
// (apostrophes doubled; a double quote in a scope URL percent-encoded), so a name,
// URL or address can never change a query's meaning.

#include <QString>

namespace store::queries {

// The registration item named `itemName` in the folder (displayname and the two
// forwarding settings), followed by `extraCondition` as given.
QString findRegItem(const QString& folderUrl, const QString& itemName, const QString& extraCondition);

// Folders below `rootUrl` at any depth that have subfolders or carry the address.
QString publicFolders(const QString& rootUrl, const QString& emailAddress);

// The junk e-mail rule message of an inbox.
QString junkMailRule(const QString& inboxUrl);

// The condition CheckRegItem adds: hidden, not a folder.
QString hiddenItemCondition();

}  // namespace store::queries
