#include "app/Wiring.h"

#include "app/InstallForm.h"
#include "startup/IdentityDefaults.h"
#include "startup/StartupDiscovery.h"
#include "complus/ComPlus.h"
#include "engine/StoreTree.h"
#include "engine/ChangePlan.h"
#include "engine/ChangeRun.h"
#include "complus/WindowsVersion.h"
#include "rules/StoreTag.h"
#include "users/ListItem.h"
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
namespace {

// What a Change plan is made from besides the panel model: the user list's
// rows as the administrator sees them, the other stores' tags, and whether the
// hosted application's account is typed in.
engine::ChangeFacts changeFacts(InstallForm& form) {
    const panel::InstallFormUi& ui = form.ui();
    engine::ChangeFacts facts;
    for (const size_t i : form.userList().stagedInListOrder()) facts.listOrder << form.panel().users().at(i).mail;
    facts.otherTags = engine::otherStoreTags(form.panel(), ui.TreeView1);
    facts.windows2000 = complus::isWindows2000(form.globals().strWindowsVersion);
    facts.credentialsTyped = ui.txtIdent && ui.txtPwd && !rules::trimBlanks(ui.txtIdent->text()).isEmpty() &&
                             !rules::trimBlanks(ui.txtPwd->text()).isEmpty();
    return facts;
}

}  // namespace

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
        return comPlus.CheckComPlusApp(QString::fromLatin1(state::kAppName), identity);
    };
    h.proposeIdentity = [](InstallForm& f) { return startup::FillIdentityField(f.globals(), f.probes()); };
    h.getMailboxStores = [](InstallForm& f) { tree::GetMailboxStores(f.storeLoad()); };
    h.nodeClick = [](InstallForm& f, QTreeWidgetItem* node) { tree::NodeClick(f.storeLoad(), node); };
    h.applyChanges = [](InstallForm& f, QTreeWidgetItem* node) {
        return static_cast<int>(engine::ProcessMailboxStore(f.storeLoad(), node, true));
    };
    engine::StoreServices& services = form.storeLoad().services;
    // The registration check; with a tag, that tag is rewritten from the item.
    services.checkRegItem = [&form](const QString& mailboxDn, QString* tag) {
        store::RegistrationContext reg{
            form.globals(), form.errorLog(), [tag] { return tag ? *tag : QString(); },
            [tag](const QString& t) {
                if (tag) *tag = t;
            },
            {}};
        return store::CheckRegItem(reg, mailboxDn, tag != nullptr);
    };
    // Change plans the staged edits and runs the plan against the real catalog,
    // directory and store.
    services.applyStagedChanges = [&form, targets = std::shared_ptr<engine::ChangeTargets>(engine::liveTargets(
                                              form.globals(), form.errorLog(), form.prompt(), form.probes()))](
                                      int16_t& result) {
        const engine::ChangeFacts facts = changeFacts(form);
        const engine::ChangeEnv env{form.globals(), form.state(), form.prompt(), form.errorLog(),
                                    form.ui().txtIdent ? form.ui().txtIdent->text() : QString(),
                                    form.ui().txtPwd ? form.ui().txtPwd->text() : QString()};
        const engine::ChangeReport report =
            engine::runChange(engine::planChange(form.panel(), facts), facts, form.panel(), *targets, env);
        result = report.result;
        return report.started;
    };
    panel::InstallFormUi& ui = form.ui();
    tree::connectTreeView(form.storeLoad());
    users::connectColumnClicks(ui.ListView1, form.sortOrder(), form.state().strLastSelectedItemKey);
    users::connectListInteraction(
        {ui.form, ui.ListView1, ui.TreeView1, ui.Check1, ui.Check2, form.panel(), form.state().strLastSelectedItemKey});
    // The Browse buttons show the pickers; Exit closes the recipient picker first.
    const pickers::PickerTarget mailbox{form.globals(), form.panel(), ui.TreeView1};
    const pickers::PickerTarget recipient{form.globals(), form.panel(), ui.TreeView1};
    form.pickers().showSelectMailbox = [&form, mailbox] { pickers::showSelectMailbox(mailbox, form.prompt()); };
    form.pickers().showSelectRecipient = [recipient] { pickers::showSelectRecipient(recipient); };
    h.closePickers = [](InstallForm&) { pickers::closeSelectRecipient(); };
    panel::connectPanel({panel::panelControls(ui), form.panel()}, form.pickers(),
                         form.errorLog());
    // What the directory layer notes on its own (a referral it would not follow).
    platform::directory::setNoticeHandler([window = QPointer<InstallForm>(&form)](int32_t number,
                                                                                 const QString& description) {
        if (!window) return;
        window->errorLog().logWithoutContext(number, description);
        window->errorLog().show();
    });
}

}  // namespace app
