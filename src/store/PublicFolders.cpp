#include "platform/store/Store.h"
#include "store/Items.h"
#include "store/StoreQueries.h"

namespace store {
namespace ps = platform::store;

QString GetPublicFolderURL(const RegistrationContext& ctx, const QString& rootUrl, const QString& emailAddress,
                           bool logFailure) {
    namespace sc = ps::schema;
    QString result;
    platform::ResumeNext handler;
    // One handler: any failure ends this walk with what was found so far; the
    // store objects are released when the statement ends.
    const bool ok = handler([&] {
        ps::StoreConnection con;
        con.setConnectionString(rootUrl);
        con.open(rootUrl);
        ps::StoreRecord root;
        root.open(rootUrl, &con, ps::adMode::Read, ps::adCreate::FailIfNotExists, ps::adOpen::Unspecified);
        ps::StoreRecordset rows;
        rows.open(queries::publicFolders(rootUrl, emailAddress), con);
        while (!rows.eof()) {
            const QVariant address = rows.field(sc::publicFolderEmailAddress());
            if (!address.isNull() && address.toString().compare(emailAddress, Qt::CaseInsensitive) == 0) {
                result = trimBlanks(rows.field(sc::kHref).toString());
            } else if (rows.field(sc::kHasSubs).toBool()) {
                result = GetPublicFolderURL(ctx, rows.field(sc::permanentUrl()).toString(), emailAddress, logFailure);
            }
            if (!result.isEmpty()) rows.moveLast();
            rows.moveNext();
        }
    });
    if (!ok && logFailure) ctx.log.logWithContext(rootUrl, handler.number(), handler.description());
    return result;
}

}  // namespace store
