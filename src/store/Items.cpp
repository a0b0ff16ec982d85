#include "store/Items.h"

#include "platform/store/Store.h"
#include "store/StoreQueries.h"
#include "rules/StoreTag.h"

namespace store {
namespace ps = platform::store;
namespace {
QString appName() { return QString::fromLatin1(state::kAppName); }
}  // namespace

QString trimBlanks(const QString& text) {
    qsizetype b = 0, e = text.size();
    while (b < e && text[b] == QLatin1Char(' ')) ++b;
    while (e > b && text[e - 1] == QLatin1Char(' ')) --e;
    return text.mid(b, e - b);
}

QString folderUrlOf(const QString& baseUrl, const QString& folderName, ps::StoreConnection* connection) {
    if (folderName.compare(QLatin1String("inbox"), Qt::CaseInsensitive) == 0) {
        ps::StoreRecord mailbox;
        mailbox.open(baseUrl, connection, ps::adMode::Read, ps::adCreate::FailIfNotExists, ps::adOpen::Unspecified);
        QString url = baseUrl;
        if (mailbox.fieldCount() >= 1) url = mailbox.field(ps::schema::kInbox).toString();
        mailbox.close();
        return url;
    }
    if (folderName.isEmpty()) return baseUrl;
    return baseUrl + QLatin1Char('/') + ps::encodeName(folderName);
}

int16_t FindRegItem(const RegistrationContext& ctx, const QString& baseUrl, const QString& folderName,
                    const QString& itemName, const QString& extraCondition,
                    const std::shared_ptr<ps::StoreConnection>& connection, bool refreshTag,
                    platform::ResumeNext* failure) {
    int16_t result = -1;
    const std::shared_ptr<ps::StoreConnection> con =
        connection ? connection : std::make_shared<ps::StoreConnection>();
    {
        ps::StoreRecord folder;
        ps::StoreRecordset rows;
        platform::ResumeNext handler;
        handler([&] {
            con->setConnectionString(baseUrl);
            con->open(baseUrl);
            const QString folderUrl = folderUrlOf(baseUrl, folderName, con.get());
            folder.open(folderUrl, con.get(), ps::adMode::Read, ps::adCreate::FailIfNotExists,
                        ps::adOpen::Unspecified);
            rows.open(queries::findRegItem(folderUrl, itemName, extraCondition), *con);
            if (rows.eof()) {
                result = 0;
                return;
            }
            result = 1;
            if (refreshTag) {
                const QVariant fwd = rows.field(appName() + QStringLiteral("_FWDAddress"));
                const QVariant both = rows.field(appName() + QStringLiteral("_FWDAndSave"));
                const QString oldTag = ctx.selectedTag ? ctx.selectedTag() : QString();
                if (ctx.setSelectedTag)
                    ctx.setSelectedTag(rules::fromRegistration(oldTag, fwd.isNull() ? QString() : fwd.toString(),
                                                             both.isNull() ? QString() : both.toString()));
            }
        });
        platform::ResumeNext cleanup;
        if (rows.state() == ps::adState::Open) cleanup([&] { rows.close(); });
        if (folder.state() == ps::adState::Open) cleanup([&] { folder.close(); });
        if (con->state() == ps::adState::Open) cleanup([&] { con->close(); });
        if (handler.number() != 0) {
            result = -1;
            if (failure) *failure = handler;
        }
    }
    return result;
}

bool DeleteRegItem(const QString& baseUrl, const QString& folderName, const QString& itemName) {
    platform::ResumeNext handler;
    return handler([&] {
        ps::StoreConnection con;
        con.setConnectionString(baseUrl);
        con.open();
        const QString itemUrl = folderUrlOf(baseUrl, folderName, &con) + QLatin1Char('/') + itemName;
        ps::StoreRecord item;
        item.open(itemUrl, &con, ps::adMode::ReadWrite, ps::adCreate::FailIfNotExists, ps::adOpen::Unspecified);
        item.deleteRecord(itemUrl);
    });
}

QString WriteRegItem(const RegistrationContext& ctx, const QString& baseUrl, const QString& folderName,
                     const QString& itemBaseName, const QString& eventMethod, const QString& sinkClass,
                     const QString& matchScope, const QString& criteria, const QString& priority,
                     bool logFailure, const QString& forwarding, bool fwdAndSave) {
    namespace sc = ps::schema;
    QString result = baseUrl;
    platform::ResumeNext handler;
    // The connection (and with it an uncommitted transaction) is released when
    // the statement ends, also on failure.
    const bool ok = handler([&] {
        ps::StoreConnection con;
        con.setConnectionString(baseUrl);
        con.open(baseUrl);
        result = folderUrlOf(baseUrl, folderName, &con);
        con.beginTrans();
        ps::StoreRecord item;
        item.open(result + QLatin1Char('/') + itemBaseName + QStringLiteral(".reg"), &con, ps::adMode::ReadWrite,
                  ps::adCreate::CreateOverwrite, ps::adOpen::DelayFetchFields);
        item.setField(sc::kContentClass, QStringLiteral("urn:content-class:storeeventreg"));
        item.setField(sc::exchange(QStringLiteral("events/EventMethod")), eventMethod);
        item.setField(sc::exchange(QStringLiteral("events/SinkClass")), sinkClass);
        item.setField(sc::exchange(QStringLiteral("events/MatchScope")), matchScope);
        item.setField(sc::exchange(QStringLiteral("events/criteria")), criteria);
        item.setField(sc::exchange(QStringLiteral("events/priority")), priority);
        item.setField(sc::kIsHidden, true);
        if (!trimBlanks(forwarding).isEmpty())
            item.appendField(itemBaseName + QStringLiteral("_FWDAddress"), ps::adType::BSTR, 0, ps::adFld::Unspecified,
                             forwarding);
        if (fwdAndSave)
            item.appendField(itemBaseName + QStringLiteral("_FWDAndSave"), ps::adType::BSTR, 0, ps::adFld::Unspecified,
                             QStringLiteral("FWDAndSave"));
        item.update();
        item.close();
        con.commitTrans();
    });
    if (!ok) {
        result.clear();
        if (logFailure) ctx.log.logWithContext(ctx.g.strHttpMailboxRoot, handler.number(), handler.description());
    }
    return result;
}

}  // namespace store
