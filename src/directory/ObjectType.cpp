#include "directory/ObjectType.h"

#include "directory/Queries.h"
#include "platform/directory/Directory.h"
#include "rules/ObjectKind.h"

namespace directory {

QString GetObjectType(const QString& ldapRoot, const QString& strEmailAddress) {
    QString result = QStringLiteral("user");
    try {
        platform::directory::DirectoryConnection connection;
        connection.open();
        auto rs = connection.execute(queries::objectTypeByMail(ldapRoot, strEmailAddress));
        if (!rs.eof())
            result = rules::objectTypeFromFields(rs.field(QStringLiteral("sAMAccountType")),
                                                 rs.field(QStringLiteral("mAPIRecipient")));
        rs.close();
        connection.close();
    } catch (const platform::ComError&) {
        // The classification falls back to a user on any failure.
    }
    return result;
}

}  // namespace directory
