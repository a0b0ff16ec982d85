#include "users/AttributeWriter.h"

#include "state/Globals.h"
#include "state/Prompt.h"
#include "directory/Queries.h"
#include "platform/ComError.h"
#include "platform/directory/Directory.h"

#include <optional>

namespace users {
namespace {

using platform::directory::DirectoryConnection;
using platform::directory::DirectoryObject;
using platform::directory::RecordSet;

// Runs the search, binds the first object found and writes the attribute, each
// statement with errors ignored; a denial on any of them is reported.
int16_t writeFirstFound(state::Prompt& prompt, const QString& query, const QString& name, const QVariant& value,
                        platform::ResumeNext* failure) {
    int16_t result = 1;
    platform::ResumeNext resume;
    DirectoryConnection connection;
    RecordSet rs;
    resume([&] { connection.open(); });
    resume([&] { rs = connection.execute(query); });
    if (resume.number() == 0 && rs.eof())
        resume([] { throw platform::ComError(platform::hr::NoSuchObject, QStringLiteral("No object has this address.")); });
    if (!rs.eof()) {
        std::optional<DirectoryObject> object;
        resume([&] { object = DirectoryObject::bind(rs.text(QStringLiteral("adspath"))); });
        if (object) {
            if (value.isNull())
                resume([&] { object->putEx(DirectoryObject::ClearControl, name); });
            else
                resume([&] { object->put(name, value); });
            resume([&] { object->setInfo(); });
        }
    }
    if (resume.number() == platform::hr::AccessDenied) {
        prompt.ask(QString::fromLatin1(kAccessDeniedText), state::mb::Critical, QString::fromLatin1(state::kAppName));
        result = -1;
    }
    if (resume.number() != 0) result = -1;
    if (failure) *failure = resume;
    rs.close();
    connection.close();
    return result;
}

}  // namespace

int16_t SetAttribute(state::Prompt& prompt, const QString& ldapRoot, const QString& strEmailAddress,
                     const QString& varAttrName, const QVariant& varAttrValue, platform::ResumeNext* failure) {
    return writeFirstFound(prompt, directory::queries::pathByMail(ldapRoot, strEmailAddress), varAttrName,
                           varAttrValue, failure);
}

int16_t SetAttributeByMail(state::Prompt& prompt, const QString& ldapRoot, const QString& strEmailAddress,
                           const QString& varAttrName, const QVariant& varAttrValue,
                           platform::ResumeNext* failure) {
    return writeFirstFound(prompt, directory::queries::personPathByMail(ldapRoot, strEmailAddress), varAttrName,
                           varAttrValue, failure);
}

}  // namespace users
