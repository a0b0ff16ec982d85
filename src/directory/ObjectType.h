#pragma once
// The kind of the object that carries a mail address ("user", "group", "contact"
// or "pf"), looked up in the directory; the rule itself is rules/ObjectKind.h.

#include <QString>

namespace directory {

// Runs its own look-up on a private connection; any failure, or no object with
// that address, answers "user". Only the first object found counts.
QString GetObjectType(const QString& ldapRoot, const QString& strEmailAddress);

}  // namespace directory
