#include "engine/StoreLoad.h"

#include "kit/CaptionLabel.h"
#include "kit/Colors.h"
#include "kit/MousePointer.h"
#include "directory/tree/Node.h"
#include "state/ErrorLog.h"
#include "state/Globals.h"
#include "state/Prompt.h"
#include "engine/Directory.h"
#include "rules/ForwardingText.h"
#include "rules/StoreTag.h"
#include "platform/ComError.h"
#include "users/UserList.h"

namespace engine {

using namespace rules;
namespace {

const QString kInaccessible = QStringLiteral("The Message store is inaccessible. Please check your account rights.");

users::UserListFill userListFill(StoreLoad& s) {
    return {s.panel, s.g, s.form, s.log, s.progress};
}

// The frame, before anything is read.
void prepareFrame(StoreLoad& s, QTreeWidgetItem* node, bool show) {
    panel::InstallFormUi& ui = s.ui;
    if (show) {
        ui.Frame1->setEnabled(true);
        s.form.strLastSelectedMailboxStore = tree::text(node);
        s.form.lastShownStoreDn = tree::key(node);
        ui.Frame1->setTitle(tree::text(node));
        ui.Check3->setEnabled(true);
    } else {
        ui.Frame1->setEnabled(false);
        for (QCheckBox* box : {ui.Check3, ui.Check4, ui.Check5}) {
            box->setChecked(false);
            box->setEnabled(false);
        }
        ui.Command6->setEnabled(false);
    }
    ui.Check1->setEnabled(false);
    ui.Check2->setEnabled(false);
}

// The mode shown on the node and in the frame caption.
void showMode(StoreLoad& s, QTreeWidgetItem* node, bool show, bool exists, int16_t exclusions,
              const StoreTag& tag) {
    QString label;
    QString image;
    if (exists && s.form.blnComPlusInstalled && (!tag.forwarding.isEmpty() || exclusions >= 1)) {
        label = QLatin1String(kModeTavimor);
        image = QStringLiteral("mailboxstoreTavimor");
    } else if (exists || !tag.journal.isEmpty()) {
        label = QLatin1String(kModeFull);
        image = QStringLiteral("mailboxstoreFullJournaling");
    } else {
        label = QLatin1String(kModeDisabled);
        image = QStringLiteral("mailboxstore");
    }
    if (show) {
        s.ui.Frame1->setTitle(tree::text(node) + label);
        s.panel.setMode(label);
    }
    tree::setImage(node, image);
}

// The window leaves the staged state.
void leaveStagedState(StoreLoad& s, int16_t result) {
    panel::InstallFormUi& ui = s.ui;
    // The window's buttons and the COM+ boxes follow the model.
    if (result > 0) s.panel.leaveStaged();
    ui.Check1->setChecked(false);
    ui.Check2->setChecked(false);
}

// The journal and forwarding children of the store node.
void rebuildChildren(StoreLoad& s, QTreeWidgetItem* node, const QString& journalName, const ForwardingName& fwd,
                     bool both) {
    tree::removeChildren(node);
    QTreeWidgetItem* journalNode = nullptr;
    if (!journalName.isEmpty()) {
        journalNode = tree::addChild(node, {}, journalName, QStringLiteral("user"));
        tree::setBold(journalNode, true);
        tree::setForeColor(journalNode, kit::kBlack);
    }
    if (fwd.displayName.isEmpty()) return;
    const QString image = fwd.address.isEmpty() ? QStringLiteral("user") : s.objectType(fwd.address);
    tree::setBold(tree::addChild(node, {}, fwd.displayName, image), true);
    if (!both && journalNode) {
        // Forwarded without "Both": the journal mailbox is bypassed.
        tree::setBold(journalNode, false);
        tree::setForeColor(journalNode, kit::kGrayText);
        tree::setImage(journalNode, QStringLiteral("usergray"));
    }
}

void showErrorBox(StoreLoad& s) {
    const bool any = !s.log.text().isEmpty();
    s.ui.txtErr->setVisible(any);
    s.ui.Command5->setVisible(any);
}

}  // namespace

int16_t ProcessMailboxStore(StoreLoad& s, QTreeWidgetItem* node, bool blnShowInPanel) {
    if (!node) {
        s.prompt.ask(kInaccessible, state::mb::Exclamation, QLatin1String(state::kAppName));
        kit::setMousePointer(s.ui.form, kit::vbDefault);
        return -1;
    }
    // Storage groups and the journal and forwarding children are never loaded.
    if (!tree::isMailboxStore(node)) return -1;

    platform::ResumeNext resume;
    int16_t result = 1;
    // The administrator's clicks on the panel are ignored until the load ends.
    panel::BusyScope busy(s.panel);
    const uint64_t generation = s.guard.treeGeneration;
    const uint64_t load = blnShowInPanel ? ++s.guard.loadGeneration : s.guard.loadGeneration;
    // False once the tree was rebuilt (the node is gone) or, for the panel, once
    // another load, a refresh or the window's closing has overtaken this one
    // while the window processed messages. Nothing is touched after that.
    const auto current = [&] {
        return s.guard.treeGeneration == generation && (!blnShowInPanel || s.guard.loadGeneration == load);
    };
    const auto stop = [&] { return result; };
    const QString dn = tree::key(node);

    resume([&] { prepareFrame(s, node, blnShowInPanel); });

    if (s.panel.anyStaged() && s.panel.isLoaded(dn)) {
        // Writing staged changes (COM+ application, journal recipient, store tag,
        // exclusion markers, registration item) to the loaded store happens here.
        bool go = true;
        resume([&] { go = s.services->applyStagedChanges(result); });
        if (!go) {
            kit::setMousePointer(s.ui.form, kit::vbDefault);
            return stop();
        }
        if (!current()) return stop();
        setNodeTag(node, s.panel.store().tag);
    }
    if (blnShowInPanel) s.panel.load(dn, tree::text(node), nodeTag(node));

    // Load.
    StoreTag tag = tree::settings(node);
    tag.forwarding.clear();
    tag.both = false;
    int16_t exclusions = 0;
    resume([&] { exclusions = users::GetUsersWithMailboxes(userListFill(s), dn, nodeTag(node), blnShowInPanel); });
    if (!current()) return stop();
    // The list shows the users sorted by name; that may let the window process messages.
    if (blnShowInPanel) resume([&] { emit s.panel.usersLoaded(); });
    if (!current()) return stop();
    bool exists = false;
    QString refreshed = nodeTag(node);
    resume([&] { exists = s.checkRegItem(tag.journal, &refreshed); });
    setNodeTag(node, refreshed);
    if (blnShowInPanel) s.panel.setTag(refreshed);
    tag = tree::settings(node);
    resume([&] { showMode(s, node, blnShowInPanel, exists, exclusions, tag); });

    if (blnShowInPanel) resume([&] { leaveStagedState(s, result); });

    QString unusedMail;
    const QString name = trimBlanks(GetNameByDN(s.g.strLDAPRoot, tag.journal, unusedMail));
    const ForwardingName fwd = splitForwardingText(tag.forwarding);
    resume([&] { rebuildChildren(s, node, name, fwd, tag.both); });
    if (blnShowInPanel) resume([&] { s.panel.show({name, fwd.displayName, tag.both}); });
    resume([&] { showErrorBox(s); });
    return result;
}

QTreeWidgetItem* loadedNode(const panel::PanelModel& panel, const QTreeWidget* tree) {
    if (!panel.loaded()) return nullptr;
    QTreeWidgetItem* found = nullptr;
    tree::forEachNode(tree, [&](QTreeWidgetItem* node) {
        if (!found && tree::isMailboxStore(node) && panel.isLoaded(tree::key(node))) found = node;
    });
    return found;
}

QStringList otherStoreTags(const panel::PanelModel& panel, const QTreeWidget* tree) {
    QStringList tags;
    const QTreeWidgetItem* loaded = loadedNode(panel, tree);
    tree::forEachNode(tree, [&](QTreeWidgetItem* node) {
        if (node != loaded && tree::isMailboxStore(node)) tags << nodeTag(node);
    });
    return tags;
}

QString nodeTag(const QTreeWidgetItem* node) {
    const tree::StoreSettings s = tree::settings(node);
    return withBoth(composeStoreTag(s.journal, s.forwarding), s.both);
}

void setNodeTag(QTreeWidgetItem* node, const QString& tag) { tree::setSettings(node, readStoreTag(tag)); }

}  // namespace engine

