#include "lab/store/StoreBuilder.h"

#include "platform/store/Schema.h"
#include "platform/store/StoreErrors.h"
#include "platform/store/StoreRecord.h"
#include "platform/store/StoreRoot.h"
#include "platform/store/StoreUrl.h"

namespace lab {
using namespace platform::store;

namespace {
const char* kFilePrefix = "file://./backofficestorage/";

void writeProps(StoreRecord& rec, const QVariantMap& props) {
    for (auto it = props.begin(); it != props.end(); ++it) rec.setField(it.key(), it.value());
    rec.update();
}
}  // namespace

StoreBuilder::StoreBuilder(const QString& domainFolder) : domainFolder_(domainFolder) {
    createStore(domainFolder);
    con_.open(QString::fromLatin1(kFilePrefix) + domainFolder);
    con_.beginTrans();
}

StoreBuilder::~StoreBuilder() = default;

void StoreBuilder::commit() { con_.commitTrans(); }

QString StoreBuilder::url(const QStringList& path) const {
    QString u = QString::fromLatin1(kFilePrefix) + domainFolder_;
    for (const QString& s : path) u += QLatin1Char('/') + encodeName(s);
    return u;
}

bool StoreBuilder::exists(const QStringList& path) const {
    StoreRecord rec;
    try {
        rec.open(url(path), &con_);
        return true;
    } catch (const platform::ComError& e) {
        if (e.number() != err::ItemNotFound) throw;
        return false;
    }
}

bool StoreBuilder::ensureFolder(const QStringList& path, const QVariantMap& props) {
    bool created = false;
    for (qsizetype n = 1; n <= path.size(); ++n) {
        const QStringList part = path.mid(0, n);
        if (exists(part)) continue;
        StoreRecord rec;
        rec.open(url(part), &con_, adMode::ReadWrite, adCreate::CreateCollection);
        if (n == path.size()) writeProps(rec, props);
        created = true;
    }
    return created;
}

bool StoreBuilder::ensureItem(const QStringList& path, const QVariantMap& props) {
    if (exists(path)) return false;
    StoreRecord rec;
    rec.open(url(path), &con_, adMode::ReadWrite, adCreate::CreateNonCollection);
    writeProps(rec, props);
    return true;
}

bool StoreBuilder::ensureMailbox(const QString& alias, const QString& inboxName) {
    const QStringList root{mailboxFolder(), alias};
    if (exists(root)) return false;
    ensureFolder(root, {{schema::kContentClass, QStringLiteral("urn:content-class:mailbox")}});
    for (const QString& f : {inboxName, QStringLiteral("Sent Items"), QStringLiteral("Deleted Items")})
        ensureFolder(root + QStringList{f}, {{schema::kContentClass, QStringLiteral("urn:content-class:mailfolder")}});
    StoreRecord rec;
    rec.open(url(root), &con_, adMode::ReadWrite);
    rec.setLinkField(schema::kInbox, url(root + QStringList{inboxName}));
    rec.update();
    return true;
}

QString StoreBuilder::inboxOf(const QString& alias) const {
    StoreRecord rec;
    try {
        rec.open(url({mailboxFolder(), alias}), &con_);
        return rec.field(schema::kInbox).toString();
    } catch (const platform::ComError& e) {
        if (e.number() != err::ItemNotFound) throw;
        return {};
    }
}

bool StoreBuilder::ensureJunkRule(const QString& alias) {
    const QString inbox = inboxOf(alias);
    if (inbox.isEmpty()) return false;
    const QStringList inboxPath = StoreUrl::parse(inbox).segments;
    const QString ruleClass = QStringLiteral("IPM.ExtendedRule.Message");
    ensureItem(inboxPath + QStringList{QStringLiteral("Organizer Rule")},
               {{schema::kIsHidden, true},
                {schema::outlookMessageClass(), ruleClass},
                {schema::mapi(QStringLiteral("proptag/0x65EB001E")), QStringLiteral("RuleOrganizer")},
                {schema::mapi(QStringLiteral("proptag/0x65E90003")), qint32(49)}});
    return ensureItem(inboxPath + QStringList{QStringLiteral("Junk E-mail Rule")},
                      {{schema::kIsHidden, true},
                       {schema::outlookMessageClass(), ruleClass},
                       {schema::mapi(QStringLiteral("proptag/0x65EB001E")), QStringLiteral("JunkEmailRule")},
                       {schema::mapi(QStringLiteral("proptag/0x61010003")), qint32(6)},
                       {schema::mapi(QStringLiteral("proptag/0x61020003")), qint32(1)},
                       {schema::mapi(QStringLiteral("proptag/0x65E90003")), qint32(49)}});
}

bool StoreBuilder::ensurePublicFolder(const QStringList& path, const QString& emailAddress) {
    QVariantMap props{{schema::kContentClass, QStringLiteral("urn:content-class:folder")}};
    if (!emailAddress.isEmpty()) props.insert(schema::publicFolderEmailAddress(), emailAddress);
    return ensureFolder(QStringList{publicFolders()} + path, props);
}

}  // namespace lab
