#include "engine/Directory.h"

#include "directory/Queries.h"
#include "directory/tree/Node.h"
#include "engine/StoreTag.h"
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

bool NoMoreSuchJournal(const QTreeWidget* tree, QString& strTag, int16_t intLimit) {
    strTag = journalPart(strTag);
    int count = 0;
    tree::forEachNode(tree, [&](QTreeWidgetItem* node) {
        if (journalPart(tree::tag(node)).compare(strTag, Qt::CaseInsensitive) == 0) ++count;
    });
    return count < intLimit;
}

}  // namespace engine
