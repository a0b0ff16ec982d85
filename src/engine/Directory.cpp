#include "engine/Directory.h"

#include "directory/Queries.h"
#include "platform/ComError.h"
#include "platform/directory/Directory.h"

namespace engine {

QString GetNameByDN(const QString& ldapRoot, const QString& strDN, QString& strMail) {
    QString result;
    platform::ResumeNext resume;
    platform::directory::DirectoryConnection connection;
    platform::directory::RecordSet rs;
    resume([&] { connection.open(); });
    resume([&] { rs = connection.execute(directory::queries::nameByDN(ldapRoot, strDN)); });
    if (!rs.eof()) {
        resume([&] { result = rs.text(QStringLiteral("displayName")); });
        strMail.clear();
        resume([&] { strMail = rs.text(QStringLiteral("mail")); });
    }
    rs.close();
    connection.close();
    return result;
}

}  // namespace engine
