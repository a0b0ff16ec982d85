#include "store/JunkMail.h"

#include "platform/store/Store.h"
#include "store/StoreQueries.h"

namespace store {
namespace ps = platform::store;

void JunkMailSettings(const QString& inboxUrl) {
    namespace sc = ps::schema;
    // Errors are ignored statement by statement; where a step's failure makes the
    // rest pointless, the routine stops as a later failing step would.
    platform::ResumeNext step;
    ps::StoreConnection con;
    step([&] { con.setConnectionString(inboxUrl); });
    step([&] { con.open(inboxUrl); });
    ps::StoreRecordset rules;
    // A second connection to the same URL, as a client-side record set opens one.
    step([&] { rules.open(queries::junkMailRule(inboxUrl), con.connectionString()); });
    if (step.number() != 0) return;
    bool empty = true;
    step([&] { empty = rules.eof(); });
    if (empty) return;

    step([&] { con.beginTrans(); });
    ps::StoreRecord rule;
    const bool opened = step([&] {
        rule.open(rules.field(sc::kHref).toString(), &con, ps::adMode::ReadWrite, ps::adCreate::FailIfNotExists,
                  ps::adOpen::Unspecified);
    });
    if (opened) {
        step([&] { rule.setField(sc::mapi(QStringLiteral("proptag/0x61010003")), QStringLiteral("-1").toInt()); });
        step([&] { rule.setField(sc::mapi(QStringLiteral("proptag/0x61020003")), QStringLiteral("0").toInt()); });
        step([&] { rule.setField(sc::mapi(QStringLiteral("proptag/0x65E90003")), QStringLiteral("48").toInt()); });
        step([&] { rule.update(); });
        step([&] { rule.close(); });
    }
    step([&] { con.commitTrans(); });
}

}  // namespace store
