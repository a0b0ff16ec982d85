#include "engine/ApplyServices.h"

#include "complus/ComPlus.h"
#include "directory/tree/Node.h"
#include "engine/Context.h"
#include "platform/exchange/MailboxStoreDB.h"
#include "store/Registration.h"
#include "store/RegistrationContext.h"
#include "users/AttributeWriter.h"

namespace engine {
namespace {

const QString kApplication = QString::fromLatin1(app::kAppName);

// The registration routines work on the tag of the tree's selected node.
store::RegistrationContext registration(Context& ctx) {
    QTreeWidget* treeView = ctx.ui.TreeView1;
    return store::RegistrationContext{
        ctx.g, ctx.log,
        [treeView] { return treeView->currentItem() ? tree::tag(treeView->currentItem()) : QString(); },
        [treeView](const QString& t) {
            if (treeView->currentItem()) tree::setTag(treeView->currentItem(), t);
        },
        {}};
}

void saveJournalRecipient(const QString& storeDn, const JournalRecipientChange& change) {
    using platform::exchange::MailboxStoreDB;
    MailboxStoreDB store = MailboxStoreDB::open(storeDn);
    if (change.kind == JournalRecipientChange::Kind::Set)
        store.setField(MailboxStoreDB::kJournalRecipient, change.dn);
    else if (change.kind == JournalRecipientChange::Kind::Delete)
        store.deleteField(MailboxStoreDB::kJournalRecipient);
    store.Save();
}

}  // namespace

ApplyServices applyServices(Context& ctx, platform::system::SystemProbes& probes) {
    ApplyServices s;
    auto comPlus = [&ctx, &probes] { return complus::ComPlus(ctx.log, ctx.g, probes); };
    s.RemoveComPlusApp = [comPlus] { comPlus().RemoveComPlusApp(kApplication); };
    s.InstallComPlusApp = [comPlus](const QString& identity, const QString& password) {
        return comPlus().InstallComPlusApp(kApplication, identity, password, QString());
    };
    s.CheckComPlusApp = [comPlus] {
        QString identity;
        return comPlus().CheckComPlusApp(kApplication, identity);
    };
    s.SaveJournalRecipient = saveJournalRecipient;
    s.SetAttribute = [&ctx](const QString& mail, const QString& attribute, const QVariant& value) {
        return users::SetAttribute(ctx.prompt, ctx.g.strLDAPRoot, mail, attribute, value);
    };
    s.RemoveRegItem = [&ctx](const QString& dn) { store::RemoveRegItem(registration(ctx), dn); };
    s.CreateRegItem = [&ctx](const QString& dn, const QString& forwarding, bool both) {
        store::CreateRegItem(registration(ctx), dn, forwarding, both);
    };
    return s;
}

}  // namespace engine
