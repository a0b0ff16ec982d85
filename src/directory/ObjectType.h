#pragma once
// Classification of a mail address as "user", "group", "contact" or "pf" (public
// folder), from the account type and MAPI flag of the object that carries it.

#include <QString>
#include <QVariant>

namespace directory {

// Runs its own look-up on a private connection; any failure, or no object with
// that address, answers "user". Only the first object found counts.
QString GetObjectType(const QString& ldapRoot, const QString& strEmailAddress);

// The rule alone: account type and MAPI flag as read (null when absent).
QString objectTypeFromFields(const QVariant& sAMAccountType, const QVariant& mAPIRecipient);

}  // namespace directory
