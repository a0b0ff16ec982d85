#include "app/Wiring.h"

#include "app/InstallForm.h"
#include "app/startup/IdentityDefaults.h"
#include "app/startup/StartupDiscovery.h"
#include "complus/ComPlus.h"
#include "directory/tree/StoreTree.h"
#include "engine/Context.h"
#include "engine/StoreLoad.h"

namespace app {

void wireSubsystems(InstallForm& form) {
    InstallForm::Hooks& h = form.hooks();
    h.startupDiscovery = [](InstallForm& f) {
        startup::DirectoryFacts facts;
        startup::RunStartupDiscovery(f.globals(), f.state(), f.probes(), facts);
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
    tree::connectTreeView(form.context());
}

}  // namespace app
