#pragma once
// Small directory look-ups of the store panel.

#include <QString>
#include <cstdint>

class QTreeWidget;

namespace engine {

// Display name of the directory object with distinguished name `strDN` ("" when
// there is none, it has no display name, or the directory cannot be read); its
// mail address goes to `strMail` ("" when it has none). `strMail` is left as it
// was when no object is found. Uses a connection of its own.
QString GetNameByDN(const QString& ldapRoot, const QString& strDN, QString& strMail);

// Cuts `strTag` to its journal field (the caller's string changes), then answers
// whether fewer than `intLimit` nodes of the tree, at any level, have a tag whose
// journal field names the same mailbox (compared without regard to case).
bool NoMoreSuchJournal(const QTreeWidget* tree, QString& strTag, int16_t intLimit);

}  // namespace engine
