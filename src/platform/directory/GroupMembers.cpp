#include "platform/directory/GroupMembers.h"

#include "platform/directory/Directory.h"

namespace platform::directory {

QStringList groupMemberDns(const QString& serverPath, const QString& groupDn) {
    const auto rows = search(serverPath, groupDn, Scope::Base, QStringLiteral("(objectClass=*)"),
                             {QStringLiteral("member")});
    if (rows.empty()) return {};
    const QVariant v = rows.front().value(QStringLiteral("member"));
    if (v.isNull()) return {};
    if (v.typeId() == QMetaType::QStringList) return v.toStringList();
    return {v.toString()};
}

}  // namespace platform::directory
