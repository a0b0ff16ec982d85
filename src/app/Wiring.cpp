#include "app/Wiring.h"

#include "app/InstallForm.h"
#include "startup/IdentityDefaults.h"
#include "startup/StartupDiscovery.h"
#include "complus/ComPlus.h"
#include "engine/StoreTree.h"
#include "engine/Apply.h"
#include "engine/ApplyServices.h"
#include "panel/Context.h"
#include "panel/PanelEvents.h"
#include "engine/StoreLoad.h"
#include "pickers/Pickers.h"
#include "platform/directory/LdapLibrary.h"
#include "platform/store/StoreConnection.h"
#include "store/Registration.h"
#include "store/RegistrationContext.h"
#include "directory/tree/Node.h"
#include "users/ListInteraction.h"
#include "users/ListSort.h"

#include <QPointer>

namespace app {

void wireSubsystems(InstallForm& form) {
    InstallForm::Hooks& h = form.hooks();
    h.startupDiscovery = [](InstallForm& f) {
        startup::DirectoryFacts facts;
        startup::RunStartupDiscovery(f.globals(), f.state(), f.probes(), facts);
        // The store connection exists from start-up on; each store call opens it.
        f.globals().conExOLEDB = std::make_shared<platform::store::StoreConnection>();
    };
    h.checkComPlusApp = [](InstallForm& f, QString& identity) {
        complus::ComPlus comPlus(f.errorLog(), f.globals(), f.probes());
        return comPlus.CheckComPlusApp(QString::fromLatin1(kAppName), identity);
    };
    h.proposeIdentity = [](InstallForm& f) { return startup::FillIdentityField(f.globals(), f.probes()); };
    h.getMailboxStores = [](InstallForm& f) { tree::GetMailboxStores(f.context()); };
    h.nodeClick = [](InstallForm& f, QTreeWidgetItem* node) { tree::NodeClick(f.context(), node); };
    h.applyChanges = [](InstallForm& f, QTreeWidgetItem* node) {
        return static_cast<int>(engine::ProcessMailboxStore(f.context(), node, true));
    };
    // The registration check; with a tag, that tag is rewritten from the item.
    form.context().hooks.CheckRegItem = [&form](const QString& mailboxDn, QString* tag) {
        store::RegistrationContext reg{
            form.globals(), form.errorLog(), [tag] { return tag ? *tag : QString(); },
            [tag](const QString& t) {
                if (tag) *tag = t;
            },
            {}};
        return store::CheckRegItem(reg, mailboxDn, tag != nullptr);
    };
    // Change writes the staged edits through the real catalog, directory and store.
    form.context().hooks.ApplyStagedChanges =
        [&form, services = engine::applyServices(form.globals(), form.state(), form.errorLog(), form.prompt(),
                                                 form.probes())](int16_t& result) {
            engine::Context& ctx = form.context();
            const engine::ApplyEnv env{form.globals(), form.state(), form.prompt(), form.errorLog(),
                                       form.ui().txtIdent ? form.ui().txtIdent->text() : QString(),
                                       form.ui().txtPwd ? form.ui().txtPwd->text() : QString(),
                                       [&ctx] { return engine::otherStoreTags(ctx); }};
            return engine::ApplyStagedChanges(ctx.panel, services, env, result);
        };
    tree::connectTreeView(form.context());
    users::connectColumnClicks(form.context());
    users::connectListInteraction(form.context());
    // The Browse buttons show the pickers; Exit closes the recipient picker first.
    form.context().hooks.ShowSelectMailbox = [&form] { pickers::showSelectMailbox(form.context()); };
    form.context().hooks.ShowSelectRecipient = [&form] { pickers::showSelectRecipient(form.context()); };
    h.closePickers = [](InstallForm&) { pickers::closeSelectRecipient(); };
    engine::connectPanel(form.context());
    // What the directory layer notes on its own (a referral it would not follow).
    platform::directory::setNoticeHandler([window = QPointer<InstallForm>(&form)](int32_t number,
                                                                                 const QString& description) {
        if (!window) return;
        window->errorLog().logWithoutContext(number, description);
        window->errorLog().show();
    });
}

}  // namespace app
