#include "store/StoreQueries.h"

#include "state/Globals.h"
#include "platform/store/Schema.h"
#include "platform/store/StoreUrl.h"

namespace store::queries {
namespace sc = platform::store::schema;
namespace {
const QChar kQuote = QLatin1Char('"');

QString scopeUrl(const QString& url) {
    return platform::store::quoteLiteral(platform::store::quoteUrlForScope(url));
}
QString literal(const QString& value) { return platform::store::quoteLiteral(value); }
QString quoted(const QString& name) { return kQuote + name + kQuote; }
QString appName() { return QString::fromLatin1(state::kAppName); }
}  // namespace

QString findRegItem(const QString& folderUrl, const QString& itemName, const QString& extraCondition) {
    return QStringLiteral("select ") + QStringLiteral(" \"DAV:displayname\",\"") + appName() +
           QStringLiteral("_FWDAddress\",\"") + appName() + QStringLiteral("_FWDAndSave\"") +
           QStringLiteral(" from scope ('shallow traversal of ") + kQuote + scopeUrl(folderUrl) +
           QStringLiteral("\"') ") + QStringLiteral(" WHERE \"DAV:displayname\" = '") + literal(itemName) +
           QStringLiteral("'") + extraCondition;
}

QString publicFolders(const QString& rootUrl, const QString& emailAddress) {
    return QStringLiteral("select ") + QLatin1Char(' ') + quoted(sc::kHref) + QStringLiteral(", ") +
           quoted(sc::kDisplayName) + QStringLiteral(", ") + quoted(sc::permanentUrl()) + QStringLiteral(", ") +
           quoted(sc::publicFolderEmailAddress()) + QStringLiteral(",") + quoted(sc::kHasSubs) +
           QLatin1Char(' ') + QStringLiteral(" from scope ('hierarchical  traversal of ") + kQuote +
           scopeUrl(rootUrl) + QStringLiteral("\"') ") + QStringLiteral(" WHERE (\"DAV:hassubs\" = True Or ") +
           quoted(sc::publicFolderEmailAddress()) + QStringLiteral("='") + literal(emailAddress) +
           QStringLiteral("')");
}

QString junkMailRule(const QString& inboxUrl) {
    return QStringLiteral("SELECT \"DAV:href\", \"DAV:displayname\", ") +
           quoted(sc::mapi(QStringLiteral("proptag/0x65E90003"))) + QStringLiteral(", ") +
           quoted(sc::mapi(QStringLiteral("proptag/0x61010003"))) + QStringLiteral(", ") +
           quoted(sc::mapi(QStringLiteral("proptag/0x61020003"))) + QLatin1Char(' ') +
           QStringLiteral("FROM scope('shallow traversal of \"") + scopeUrl(inboxUrl) + QStringLiteral("\"') ") +
           QStringLiteral(" Where \"DAV:isfolder\" = false AND \"DAV:ishidden\" = true AND ") +
           quoted(sc::outlookMessageClass()) + QStringLiteral(" = 'IPM.ExtendedRule.Message' ") +
           QStringLiteral("AND ") + quoted(sc::mapi(QStringLiteral("proptag/0x65EB001E"))) +
           QStringLiteral(" = 'JunkEmailRule'");
}

QString hiddenItemCondition() {
    return QStringLiteral(" AND \"DAV:ishidden\" = true AND \"DAV:isfolder\" = false ");
}

}  // namespace store::queries
