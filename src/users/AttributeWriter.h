#pragma once
// Writes one attribute of the directory object that carries a mail address: the
// object is searched by its address over a connection of the call's own, bound by
// the path found, and the attribute set (or cleared, for a null value) and
// committed. Only the first object found is written.
//
// The result is 1, or -1 when the directory denied the write; a denial is also
// shown to the administrator in a message box, once per call. Every other failure
// (no such object, a bind that fails, an attribute or value the directory refuses,
// an unreachable directory) is silent and leaves the result at 1. Nothing is
// written to the error log. Neither function throws.

#include <QString>
#include <QVariant>
#include <cstdint>

namespace app {
class Prompt;
}

namespace users {

inline constexpr const char* kAccessDeniedText =
    "Insufficient access rights.\r\nSorry, you can not change this parameter.";

// Any object class carries the address. The search always runs over LDAP, also
// when `ldapRoot` is a global-catalog base, so the path found is writable. Used
// for the users' exclusion markers.
int16_t SetAttribute(app::Prompt& prompt, const QString& ldapRoot, const QString& strEmailAddress,
                     const QString& varAttrName, const QVariant& varAttrValue);

// Only objects of category person are found, searched under `ldapRoot` as it is
// (a global catalog included) and bound by the path found there. Used by the
// journal-mailbox picker to take a forwarding rule off the chosen mailbox.
int16_t SetAttributeByMail(app::Prompt& prompt, const QString& ldapRoot, const QString& strEmailAddress,
                           const QString& varAttrName, const QVariant& varAttrValue);

}  // namespace users
