#pragma once
// The kind of a mail-enabled directory object: "user", "group", "contact" or "pf"
// (public folder), from its account type and MAPI flag. The window shows the
// kind as a picture key; the store's registration rule places the item of a
// public folder apart from a mailbox's.

#include <QString>
#include <QVariant>

namespace rules {

// Account type and MAPI flag as read (null when absent). No account type: "pf"
// without a MAPI flag, else "contact". A normal account ("805306368", or an empty
// value) is a user, "268435456", "268435457", "536870912" and "536870913" (global,
// universal and domain-local groups) are groups, anything else a contact. The
// window, the pickers and the store's event service all classify by this rule.
QString objectTypeFromFields(const QVariant& sAMAccountType, const QVariant& mAPIRecipient);

}  // namespace rules
