#include "engine/StoreLoad.h"

#include "kit/CaptionLabel.h"
#include "kit/Colors.h"
#include "kit/MousePointer.h"
#include "directory/tree/Node.h"
#include "panel/Context.h"
#include "engine/Directory.h"
#include "store/ForwardingText.h"
#include "store/StoreTag.h"
#include "platform/ComError.h"
#include "users/ListSort.h"
#include "users/UserList.h"

namespace engine {

using namespace store::tag;
namespace {

const QString kInaccessible = QStringLiteral("The Message store is inaccessible. Please check your account rights.");

void resetMarkers(QWidget* w) {
    app::setForeColor(w, app::kBlack);
    app::setBackColor(w, app::kButtonFace);
}

// Step 3: the frame, before anything is read.
void prepareFrame(Context& ctx, QTreeWidgetItem* node, bool show) {
    app::InstallFormUi& ui = ctx.ui;
    if (show) {
        ui.Frame1->setEnabled(true);
        ctx.form.strLastSelectedMailboxStore = tree::text(node);
        ui.Frame1->setTitle(tree::text(node));
        ui.Check3->setEnabled(true);
        if (!ctx.g.blnChangesPending) ui.ListView1->clear();
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

// Step 14.5: the mode shown on the node and in the frame caption.
void showMode(Context& ctx, QTreeWidgetItem* node, bool show, bool exists, int16_t exclusions,
              const StoreTag& tag) {
    QString label;
    QString image;
    if (exists && ctx.form.blnComPlusInstalled && (!tag.forwarding.isEmpty() || exclusions >= 1)) {
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
        ctx.ui.Frame1->setTitle(tree::text(node) + label);
        ctx.panel.setMode(label);
    }
    tree::setImage(node, image);
}

// Step 15: the window leaves the staged state.
void leaveStagedState(Context& ctx, int16_t result) {
    app::InstallFormUi& ui = ctx.ui;
    if (result > 0) {
        ctx.g.blnChangesPending = false;
        ctx.panel.leaveStaged();
        for (QCheckBox* box : {ui.CheckRegCom, ui.CheckUnRegCom}) {
            box->setChecked(false);
            app::setForeColor(box, app::kBlack);
        }
        ui.Command1->setText(QStringLiteral("Refresh"));
        ui.Command4->setEnabled(false);
    }
    ui.Check1->setChecked(false);
    ui.Check2->setChecked(false);
}

// Step 17: the journal mailbox in the panel.
void showJournal(Context& ctx, const QString& name) {
    app::InstallFormUi& ui = ctx.ui;
    ui.Label3->setCaption(name);
    ui.Check3->setChecked(!name.isEmpty());
    ui.Check4->setEnabled(!name.isEmpty());
    resetMarkers(ui.Label3);
}

// Steps 18 to 20: the journal and forwarding children of the store node.
void rebuildChildren(Context& ctx, QTreeWidgetItem* node, const QString& journalName, const ForwardingName& fwd,
                     bool both) {
    tree::removeChildren(node);
    QTreeWidgetItem* journalNode = nullptr;
    if (!journalName.isEmpty()) {
        journalNode = tree::addChild(node, {}, journalName, QStringLiteral("user"));
        tree::setBold(journalNode, true);
        tree::setForeColor(journalNode, app::kBlack);
    }
    if (fwd.displayName.isEmpty()) return;
    const QString image = fwd.address.isEmpty() ? QStringLiteral("user") : objectType(ctx, fwd.address);
    tree::setBold(tree::addChild(node, {}, fwd.displayName, image), true);
    if (!both && journalNode) {
        // Forwarded without "Both": the journal mailbox is bypassed.
        tree::setBold(journalNode, false);
        tree::setForeColor(journalNode, app::kGrayText);
        tree::setImage(journalNode, QStringLiteral("usergray"));
    }
}

// Step 21: forwarding, "Both" and the buttons of the panel.
void showForwarding(Context& ctx, bool both) {
    app::InstallFormUi& ui = ctx.ui;
    const bool forwarding = !trimBlanks(ui.Label4->caption()).isEmpty();
    ui.Check4->setChecked(forwarding);
    ui.Check5->setEnabled(forwarding);
    resetMarkers(ui.Label4);
    resetMarkers(ui.Check5);
    ui.Check5->setChecked(both);
    ui.Command3->setEnabled(ui.Check3->isChecked());
    ui.Command6->setEnabled(ui.Check4->isChecked());
    ui.Check1->setEnabled(ui.ListView1->topLevelItemCount() > 0);
    ui.Check2->setEnabled(ui.Check1->isEnabled());
}

void showErrorBox(Context& ctx) {
    const bool any = !ctx.log.text().isEmpty();
    if (ctx.ui.txtErr) ctx.ui.txtErr->setVisible(any);
    if (ctx.ui.Command5) ctx.ui.Command5->setVisible(any);
}

}  // namespace

int16_t ProcessMailboxStore(Context& ctx, QTreeWidgetItem* node, bool blnShowInPanel) {
    if (!node) {
        ctx.prompt.ask(kInaccessible, app::mb::Exclamation, QLatin1String(app::kAppName));
        app::setMousePointer(ctx.ui.form, app::vbDefault);
        return -1;
    }
    // Storage groups and the journal and forwarding children are never loaded.
    if (!tree::isMailboxStore(node)) return -1;

    platform::ResumeNext resume;
    int16_t result = 1;
    ctx.g.blnEventsEnabled = false;
    const uint64_t generation = ctx.treeGeneration;
    const uint64_t load = blnShowInPanel ? ++ctx.loadGeneration : ctx.loadGeneration;
    // False once the tree was rebuilt (the node is gone) or, for the panel, once
    // another load, a refresh or the window's closing has overtaken this one
    // while the window processed messages. Nothing is touched after that.
    const auto current = [&] {
        return ctx.treeGeneration == generation && (!blnShowInPanel || ctx.loadGeneration == load);
    };
    const auto stop = [&] {
        ctx.g.blnEventsEnabled = true;
        return result;
    };
    const QString dn = tree::key(node);

    resume([&] { prepareFrame(ctx, node, blnShowInPanel); });

    if (ctx.g.blnChangesPending && ctx.hooks.ApplyStagedChanges && ctx.panel.isLoaded(dn)) {
        // Writing staged changes (COM+ application, journal recipient, store tag,
        // exclusion markers, registration item) to the loaded store happens here.
        bool go = true;
        resume([&] { go = ctx.hooks.ApplyStagedChanges(result); });
        if (!go) {
            app::setMousePointer(ctx.ui.form, app::vbDefault);
            return stop();
        }
        if (!current()) return stop();
        tree::setTag(node, ctx.panel.store().tag);
    }
    if (blnShowInPanel) ctx.panel.load(dn, tree::text(node), tree::tag(node));

    // Load.
    StoreTag tag = readStoreTag(tree::tag(node));
    tag.forwarding.clear();
    tag.both = false;
    int16_t exclusions = 0;
    resume([&] { exclusions = users::GetUsersWithMailboxes(ctx, dn, tree::tag(node), blnShowInPanel); });
    if (!current()) return stop();
    if (blnShowInPanel) resume([&] { users::SortByFirstColumn(ctx); });
    if (!current()) return stop();
    bool exists = false;
    QString refreshed = tree::tag(node);
    resume([&] { exists = checkRegItem(ctx, tag.journal, &refreshed); });
    tree::setTag(node, refreshed);
    if (blnShowInPanel) ctx.panel.setTag(refreshed);
    tag = readStoreTag(refreshed);
    resume([&] { showMode(ctx, node, blnShowInPanel, exists, exclusions, tag); });

    if (blnShowInPanel) resume([&] { leaveStagedState(ctx, result); });

    QString unusedMail;
    const QString name = trimBlanks(GetNameByDN(ctx.g.strLDAPRoot, tag.journal, unusedMail));
    if (blnShowInPanel) resume([&] { showJournal(ctx, name); });

    const ForwardingName fwd = splitForwardingText(tag.forwarding);
    if (blnShowInPanel) resume([&] { ctx.ui.Label4->setCaption(fwd.displayName); });
    resume([&] { rebuildChildren(ctx, node, name, fwd, tag.both); });

    if (blnShowInPanel) resume([&] { showForwarding(ctx, tag.both); });
    resume([&] { showErrorBox(ctx); });

    ctx.g.blnEventsEnabled = true;
    return result;
}

}  // namespace engine

