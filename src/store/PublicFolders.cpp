#include "platform/store/Store.h"
#include "store/Items.h"
#include "store/StoreQueries.h"

#include <QSet>

namespace store {
namespace ps = platform::store;
namespace {

// One search of the public-folder tree. The store's hierarchical traversal
// answers every folder at any depth, so the same folder turns up again below
// each of its ancestors; it is searched from its own URL only the first time
// (a search that matched ends the whole walk, so a folder seen again is known
// to hold no match). That keeps the store calls to one per folder with
// subfolders instead of doubling them with every level, and a permanent URL that
// leads back up the tree cannot loop.
class PublicFolderSearch {
public:
    PublicFolderSearch(const RegistrationContext& ctx, const QString& emailAddress, bool logFailure)
        : ctx_(ctx), emailAddress_(emailAddress), logFailure_(logFailure) {}

    QString search(const QString& rootUrl) {
        if (!firstVisit(rootUrl)) return QString();
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
            rows.open(queries::publicFolders(rootUrl, emailAddress_), con);
            while (!rows.eof()) {
                const QVariant address = rows.field(sc::publicFolderEmailAddress());
                if (!address.isNull() && address.toString().compare(emailAddress_, Qt::CaseInsensitive) == 0) {
                    result = trimBlanks(rows.field(sc::kHref).toString());
                } else if (rows.field(sc::kHasSubs).toBool()) {
                    result = search(rows.field(sc::permanentUrl()).toString());
                }
                if (!result.isEmpty()) rows.moveLast();
                rows.moveNext();
            }
        });
        if (!ok && logFailure_) ctx_.log.logWithContext(rootUrl, handler.number(), handler.description());
        return result;
    }

private:
    // Store names are matched without regard to case, so are their URLs.
    bool firstVisit(const QString& url) {
        const QString key = url.toCaseFolded();
        if (visited_.contains(key)) return false;
        visited_.insert(key);
        return true;
    }

    const RegistrationContext& ctx_;
    const QString& emailAddress_;
    const bool logFailure_;
    QSet<QString> visited_;
};

}  // namespace

QString GetPublicFolderURL(const RegistrationContext& ctx, const QString& rootUrl, const QString& emailAddress,
                           bool logFailure) {
    return PublicFolderSearch(ctx, emailAddress, logFailure).search(rootUrl);
}

}  // namespace store
