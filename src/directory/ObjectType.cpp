#include "directory/ObjectType.h"

#include "directory/Queries.h"
#include "platform/directory/Directory.h"

namespace directory {

QString objectTypeFromFields(const QVariant& sAMAccountType, const QVariant& mAPIRecipient) {
    if (sAMAccountType.isNull()) return mAPIRecipient.isNull() ? QStringLiteral("pf") : QStringLiteral("contact");
    const QString type = sAMAccountType.toString();
    if (type.isEmpty()) return QStringLiteral("user");
    if (type.compare(QStringLiteral("805306368"), Qt::CaseInsensitive) == 0) return QStringLiteral("user");
    if (type.compare(QStringLiteral("268435456"), Qt::CaseInsensitive) == 0) return QStringLiteral("group");
    if (type.compare(QStringLiteral("268435457"), Qt::CaseInsensitive) == 0) return QStringLiteral("group");
    return QStringLiteral("contact");
}

QString GetObjectType(const QString& ldapRoot, const QString& strEmailAddress) {
    QString result = QStringLiteral("user");
    try {
        platform::directory::DirectoryConnection connection;
        connection.open();
        auto rs = connection.execute(queries::objectTypeByMail(ldapRoot, strEmailAddress));
        if (!rs.eof())
            result = objectTypeFromFields(rs.field(QStringLiteral("sAMAccountType")),
                                          rs.field(QStringLiteral("mAPIRecipient")));
        rs.close();
        connection.close();
    } catch (const platform::ComError&) {
        // The classification falls back to a user on any failure.
    }
    return result;
}

}  // namespace directory
