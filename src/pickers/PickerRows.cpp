#include "pickers/PickerRows.h"

#include "rules/ObjectKind.h"
#include "rules/StoreTag.h"

#include <cstdint>

namespace pickers {
namespace {

const QString kSystemMailboxPrefix = QStringLiteral("SystemMailbox{");
const QString kNormalAccount = QStringLiteral("805306368");
constexpr int32_t kAccountDisabled = 2;

bool isNull(const QVariant& v) { return !v.isValid() || v.isNull(); }
QString text(const QVariant& v) { return isNull(v) ? QString() : v.toString(); }

QString userIcon(const QVariant& userAccountControl) {
    const auto flags = static_cast<int32_t>(text(userAccountControl).toLongLong());
    return (flags & kAccountDisabled) ? QStringLiteral("userdisabled") : QStringLiteral("user");
}

}  // namespace

bool isSystemMailboxAlias(const QString& alias) {
    return alias.left(kSystemMailboxPrefix.size()).compare(kSystemMailboxPrefix, Qt::CaseInsensitive) == 0;
}

QString nameWithAddress(const QString& name, const QString& address) {
    if (rules::trimBlanks(address).isEmpty()) return name;
    return name + QStringLiteral(" <") + address + QStringLiteral(">");
}

std::optional<PickerRow> journalMailboxRow(const RecordFields& record, const NameLookup& lookup) {
    if (isSystemMailboxAlias(text(record(QStringLiteral("mailNickName"))))) return std::nullopt;
    const QVariant type = record(QStringLiteral("sAMAccountType"));
    if (text(type).isEmpty() || text(type) != kNormalAccount) return std::nullopt;
    const QString icon = userIcon(record(QStringLiteral("userAccountControl")));
    const QString mail = text(record(QStringLiteral("mail")));
    if (mail.isEmpty()) return std::nullopt;

    QString forward;
    const QString recipient = text(record(QStringLiteral("altRecipient")));
    if (!recipient.isEmpty() && lookup) {
        // A fresh address for every look-up: one that finds no object leaves it as
        // it was, and another user's address must not appear here.
        QString address;
        forward = nameWithAddress(lookup(recipient, address), address);
    }
    return PickerRow{mail, text(record(QStringLiteral("name"))), icon,
                     {text(record(QStringLiteral("distinguishedName"))), mail, forward}};
}

QString recipientKind(const QVariant& sAMAccountType, const QVariant& userAccountControl,
                      const QVariant& mAPIRecipient) {
    const QVariant type = isNull(sAMAccountType) ? QVariant() : sAMAccountType;
    const QVariant mapi = isNull(mAPIRecipient) ? QVariant() : mAPIRecipient;
    const QString kind = rules::objectTypeFromFields(type, mapi);
    return kind == QStringLiteral("user") ? userIcon(userAccountControl) : kind;
}

std::optional<PickerRow> recipientRow(const RecordFields& record, const QString& journalDn) {
    const QString dn = text(record(QStringLiteral("distinguishedName")));
    if (!journalDn.isEmpty() && dn.compare(journalDn, Qt::CaseInsensitive) == 0) return std::nullopt;
    if (isSystemMailboxAlias(text(record(QStringLiteral("mailNickName"))))) return std::nullopt;
    const QString kind = recipientKind(record(QStringLiteral("sAMAccountType")),
                                       record(QStringLiteral("userAccountControl")),
                                       record(QStringLiteral("mAPIRecipient")));
    const QString mail = text(record(QStringLiteral("mail")));
    return PickerRow{mail, text(record(QStringLiteral("name"))), kind, {dn, mail}};
}

}  // namespace pickers
