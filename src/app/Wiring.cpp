#include "app/Wiring.h"

#include "app/InstallForm.h"
#include "startup/IdentityDefaults.h"
#include "app/WindowServer.h"
#include "startup/ServerChoice.h"
#include "startup/StartupDiscovery.h"
#include "complus/ComPlus.h"
#include "engine/StoreTree.h"
#include "users/ListItem.h"
#include "panel/PanelEvents.h"
#include "engine/StoreLoad.h"
#include "pickers/Pickers.h"
#include "platform/directory/LdapLibrary.h"
#include "platform/store/StoreConnection.h"
#include "directory/tree/Node.h"
#include "users/ListInteraction.h"
#include "users/ListSort.h"

#include <QPointer>
#include <memory>

namespace app {
void wireSubsystems(InstallForm& form, ServerSelection selection) {
    InstallForm::Hooks& h = form.hooks();
    const auto server = std::make_shared<WindowServer>(WindowServer{std::move(selection)});
    h.startupDiscovery = [server](InstallForm& f) {
        startup::DirectoryFacts facts;
        startup::RunStartupDiscovery(f.globals(), f.state(), f.probes(), facts);
        startup::useServer(f.globals(), f.state(), server->selection.requested);
        // The store connection exists from start-up on; each store call opens it.
        f.globals().conExOLEDB = std::make_shared<platform::store::StoreConnection>();
    };
    h.checkComPlusApp = [](InstallForm& f, QString& identity) {
        complus::ComPlus comPlus(f.errorLog(), f.globals(), f.probes());
        return comPlus.CheckComPlusApp(QString::fromLatin1(state::kAppName), identity);
    };
    h.proposeIdentity = [](InstallForm& f) { return startup::FillIdentityField(f.globals(), f.probes()); };
    h.getMailboxStores = [server](InstallForm& f) {
        if (settleServer(f, *server)) tree::GetMailboxStores(f.storeLoad());
    };
    h.nodeClick = [](InstallForm& f, QTreeWidgetItem* node) { tree::NodeClick(f.storeLoad(), node); };
    h.applyChanges = [](InstallForm& f, QTreeWidgetItem* node) {
        return static_cast<int>(engine::ProcessMailboxStore(f.storeLoad(), node, true));
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
