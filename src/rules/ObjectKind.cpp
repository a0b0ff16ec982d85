#include "rules/ObjectKind.h"

namespace rules {

QString objectTypeFromFields(const QVariant& sAMAccountType, const QVariant& mAPIRecipient) {
    if (sAMAccountType.isNull()) return mAPIRecipient.isNull() ? QStringLiteral("pf") : QStringLiteral("contact");
    const QString type = sAMAccountType.toString();
    if (type.isEmpty()) return QStringLiteral("user");
    if (type.compare(QStringLiteral("805306368"), Qt::CaseInsensitive) == 0) return QStringLiteral("user");
    if (type.compare(QStringLiteral("268435456"), Qt::CaseInsensitive) == 0) return QStringLiteral("group");
    if (type.compare(QStringLiteral("268435457"), Qt::CaseInsensitive) == 0) return QStringLiteral("group");
    // Domain-local groups are distribution lists like any other: their members
    // receive what is sent to them.
    if (type.compare(QStringLiteral("536870912"), Qt::CaseInsensitive) == 0) return QStringLiteral("group");
    if (type.compare(QStringLiteral("536870913"), Qt::CaseInsensitive) == 0) return QStringLiteral("group");
    return QStringLiteral("contact");
}

}  // namespace rules
