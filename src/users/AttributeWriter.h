#pragma once
// Writes one attribute of the directory object that carries a mail address: the
// object is searched by its address over a connection of the call's own, bound by
// the path found, and the attribute set (or cleared, for a null value) and
// committed. Only the first object found is written.
//
// The result is 1 when the attribute was written, -1 for every failure: no such
// object, a search or bind that fails, an attribute or value the directory
// refuses, an unreachable directory, a denied write. Only a denial is shown to the
// administrator, in a message box, once per call; the caller learns the failure
// through `failure` (number and description) and reports it. Nothing is written
// to the error log. Neither function throws.

#include "platform/ComError.h"

#include <QString>
#include <QVariant>
#include <cstdint>
#include <functional>
#include <vector>

namespace state {
class Prompt;
}

namespace users {

inline constexpr const char* kAccessDeniedText =
    "Insufficient access rights.\r\nSorry, you can not change this parameter.";

// Any object class carries the address. The search always runs over LDAP, also
// when `ldapRoot` is a global-catalog base, so the path found is writable. Used
// for the users' exclusion markers.
int16_t SetAttribute(state::Prompt& prompt, const QString& ldapRoot, const QString& strEmailAddress,
                     const QString& varAttrName, const QVariant& varAttrValue,
                     platform::ResumeNext* failure = nullptr);

// One write of many: the address of the object and the value (null: clear).
struct AttributeWrite {
    QString mail;
    QVariant value;
};
// SetAttribute's answer for one write: 1 written, -1 not, with the failure.
struct WriteAnswer {
    int16_t result = 1;
    int32_t number = 0;
    QString description;
};
using WriteAnswers = std::function<void(size_t index, const WriteAnswer& answer)>;

// SetAttribute for many objects at once, each written as SetAttribute writes
// it: the objects are found in a few searches of many addresses each, and the
// writes sent without waiting for each answer. `answer` is called for every
// write in the order given, after the denial message of that write, if any.
// Once the directory is unreachable the writes left are not tried.
void SetAttributes(state::Prompt& prompt, const QString& ldapRoot, const QString& attribute,
                   const std::vector<AttributeWrite>& writes, const WriteAnswers& answer);

// Only objects of category person are found, searched under `ldapRoot` as it is
// (a global catalog included) and bound by the path found there. Used by the
// journal-mailbox picker to take a forwarding rule off the chosen mailbox.
int16_t SetAttributeByMail(state::Prompt& prompt, const QString& ldapRoot, const QString& strEmailAddress,
                           const QString& varAttrName, const QVariant& varAttrValue,
                           platform::ResumeNext* failure = nullptr);

}  // namespace users
