#include "users/AttributeWriter.h"

#include "state/Globals.h"
#include "state/Prompt.h"
#include "directory/Queries.h"
#include "platform/ComError.h"
#include "platform/directory/Directory.h"

#include <QHash>
#include <map>
#include <optional>

namespace users {
namespace {

using platform::ComError;
using platform::directory::DirectoryConnection;
using platform::directory::DirectoryObject;
using platform::directory::RecordSet;

// Addresses looked up by one search.
constexpr qsizetype kAddressesPerSearch = 200;

void showDenied(state::Prompt& prompt) {
    prompt.ask(QString::fromLatin1(kAccessDeniedText), state::mb::Critical, QString::fromLatin1(state::kAppName));
}

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
        resume([] { throw ComError(platform::hr::NoSuchObject, QStringLiteral("No object has this address.")); });
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
        showDenied(prompt);
        result = -1;
    }
    if (resume.number() != 0) result = -1;
    if (failure) *failure = resume;
    rs.close();
    connection.close();
    return result;
}

// Where one object was found: the server path it was found through and its name.
struct Found {
    QString server;
    QString dn;
};

// The first object found for each address (lower case), searched over LDAP in
// a few searches. A search that fails leaves its addresses with the failure;
// once the directory is unreachable the addresses left are not searched.
void findObjects(const QString& ldapRoot, const QStringList& addresses, QHash<QString, Found>& found,
                 QHash<QString, ComError>& failed) {
    std::optional<ComError> unreachable;
    for (qsizetype first = 0; first < addresses.size(); first += kAddressesPerSearch) {
        const QStringList chunk = addresses.mid(first, kAddressesPerSearch);
        try {
            if (unreachable) throw *unreachable;
            DirectoryConnection connection;
            connection.open();
            RecordSet rs = connection.execute(directory::queries::pathsByMail(ldapRoot, chunk));
            for (; !rs.eof(); rs.moveNext()) {
                const QString key = rs.text(QStringLiteral("mail")).toLower();
                const QString path = rs.text(QStringLiteral("adspath"));
                const QString dn = rs.text(QStringLiteral("distinguishedName"));
                if (!found.contains(key) && path.endsWith(u'/' + dn))
                    found.insert(key, {path.left(path.size() - dn.size() - 1), dn});
            }
        } catch (const ComError& e) {
            if (e.number() == platform::hr::ServerDown) unreachable = e;
            for (const QString& mail : chunk) failed.insert(mail.toLower(), e);
        }
    }
}

}  // namespace

void SetAttributes(state::Prompt& prompt, const QString& ldapRoot, const QString& attribute,
                   const std::vector<AttributeWrite>& writes, const WriteAnswers& answer) {
    QStringList addresses;
    for (const AttributeWrite& w : writes) addresses << w.mail;
    QHash<QString, Found> found;
    QHash<QString, ComError> failed;
    findObjects(ldapRoot, addresses, found, failed);

    // The changes, by the server each object was found through; a write is
    // sent only up to the first one the directory could not be reached for.
    std::vector<std::optional<ComError>> outcome(writes.size());
    std::map<QString, std::vector<size_t>> byServer;
    std::map<QString, std::vector<platform::directory::EntryChange>> changes;
    bool reachable = true;
    for (size_t i = 0; i < writes.size(); ++i) {
        const QString key = writes[i].mail.toLower();
        if (const auto f = failed.constFind(key); f != failed.constEnd()) {
            outcome[i] = *f;
            reachable = reachable && f->number() != platform::hr::ServerDown;
        } else if (!found.contains(key)) {
            outcome[i] = ComError(platform::hr::NoSuchObject, QStringLiteral("No object has this address."));
        } else if (reachable) {
            const Found& object = found[key];
            const QVariant& value = writes[i].value;
            byServer[object.server].push_back(i);
            changes[object.server].push_back({object.dn, attribute, value.isNull(), value.toString()});
        }
    }
    for (const auto& [server, indexes] : byServer) {
        const auto results = platform::directory::modifyEntries(server, changes[server]);
        for (size_t k = 0; k < indexes.size(); ++k) outcome[indexes[k]] = results[k];
    }

    for (size_t i = 0; i < writes.size(); ++i) {
        WriteAnswer a;
        if (outcome[i]) {
            a = {-1, outcome[i]->number(), outcome[i]->description()};
            if (a.number == platform::hr::AccessDenied) showDenied(prompt);
        }
        answer(i, a);
        if (a.number == platform::hr::ServerDown) {
            // The users left are not tried.
            for (size_t k = i + 1; k < writes.size(); ++k) answer(k, a);
            return;
        }
    }
}

int16_t SetAttribute(state::Prompt& prompt, const QString& ldapRoot, const QString& strEmailAddress,
                     const QString& varAttrName, const QVariant& varAttrValue, platform::ResumeNext* failure) {
    WriteAnswer result;
    SetAttributes(prompt, ldapRoot, varAttrName, {{strEmailAddress, varAttrValue}},
                  [&](size_t, const WriteAnswer& a) { result = a; });
    if (failure && result.result <= 0)
        (*failure)([&] { throw ComError(result.number, result.description); });
    return result.result;
}

int16_t SetAttributeByMail(state::Prompt& prompt, const QString& ldapRoot, const QString& strEmailAddress,
                           const QString& varAttrName, const QVariant& varAttrValue,
                           platform::ResumeNext* failure) {
    return writeFirstFound(prompt, directory::queries::personPathByMail(ldapRoot, strEmailAddress), varAttrName,
                           varAttrValue, failure);
}

}  // namespace users
