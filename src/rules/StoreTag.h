#pragma once
// The store tag: the Tag text of a mailbox-store node, holding the store's
// journaling settings as up to three fields joined by NUL characters:
//   journal mailbox DN [ NUL forwarding text [ NUL "Both" ] ]
// A separator counts only when it is not the first character of the text it is
// searched in; a tag that starts with NUL is read as one journal field. Every
// rule of the tag lives here: the tree, the panel, the change engine and the
// registration item read and write it only through these functions.

#include <QString>

namespace rules {

struct StoreTag {
    QString journal;     // distinguished name of the journal mailbox, or ""
    QString forwarding;  // forwarding text, or ""
    bool both = false;   // forwarded messages are also kept in the journal mailbox
};

constexpr QChar kTagSeparator = QChar(0);

// Reads the three fields of a tag.
StoreTag readStoreTag(const QString& tag);
// The journal field alone (the whole tag when it has no separator past its start).
QString journalPart(const QString& tag);

// The tag written after a journal recipient change: the journal field, followed by
// the forwarding text only when both are non-empty ("Both" is dropped).
QString composeStoreTag(const QString& journal, const QString& forwarding);
// Records or drops "Both" on a tag. "Both" is only recorded next to a forwarding
// field; dropping cuts the tag before its second separator.
QString withBoth(const QString& tag, bool both);

// The tag rebuilt from a registration item's stored settings: the old tag's
// journal part, NUL + forwarding text when that is not empty, NUL + "Both" when
// the deliver-to-both setting is present.
QString fromRegistration(const QString& oldTag, const QString& forwarding, const QString& fwdAndSave);

// Removes leading and trailing blanks (spaces only; other characters are kept).
QString trimBlanks(const QString& text);

}  // namespace rules
