#pragma once
// The main window's controls as the program lays them out, for tests of the
// store tree, user list and store load, with an in-memory log and prompt.

#include "app/InstallFormLayout.h"
#include "kit/CaptionLabel.h"
#include "panel/InstallFormUi.h"
#include "state/ErrorLog.h"
#include "state/Globals.h"
#include "state/Progress.h"
#include "state/Prompt.h"
#include "directory/ObjectType.h"
#include "directory/tree/Node.h"
#include "engine/StoreLoad.h"
#include "panel/PanelEvents.h"
#include "pickers/PickerDialog.h"
#include "users/ListInteraction.h"
#include "users/ListSort.h"
#include "users/UserList.h"
#include "users/UserListModel.h"

#include <QMainWindow>
#include <gtest/gtest.h>

namespace testing_support {

// The first column's texts, top to bottom.
inline QStringList firstColumnTexts(const QTreeView* list) {
    QStringList names;
    for (int i = 0; i < list->model()->rowCount(); ++i) names << list->model()->index(i, 0).data().toString();
    return names;
}

// The store load's services as a test answers them. Unset: no registration
// item, the directory's classification, nothing written.
struct FakeStoreServices : engine::StoreServices {
    explicit FakeStoreServices(const state::Globals& g) : g(g) {}
    bool checkRegItem(const QString& dn, QString* tag) override { return onCheckRegItem && onCheckRegItem(dn, tag); }
    QString objectType(const QString& address) override {
        return onObjectType ? onObjectType(address) : directory::GetObjectType(g.strLDAPRoot, address);
    }
    bool applyStagedChanges(int16_t& result) override { return !onApply || onApply(result); }

    const state::Globals& g;
    std::function<bool(const QString& dn, QString* tag)> onCheckRegItem;
    std::function<QString(const QString& address)> onObjectType;
    std::function<bool(int16_t& result)> onApply;
};

// Counts the progress protocol.
struct CountingProgress : state::ProgressView {
    void begin(int r) override { rows = r, ++begins; }
    void step() override { ++steps; }
    void end() override { ++ends; }
    int rows = 0, begins = 0, steps = 0, ends = 0;
};

struct EngineForm {
    EngineForm() {
        ui.ListView1->setModel(&list.order);
        // The buttons follow the model's staging, as the window shows them.
        QObject::connect(&panel, &panel::PanelModel::changed, &form,
                         [this] { panel::showStaging(panel, ui.Command1, ui.Command4); });
        // What a load read is shown, its users sorted by name, as the window does.
        panel::connectShown(panelEditing());
        QObject::connect(&panel, &panel::PanelModel::usersLoaded, &form,
                         [this] { users::SortByFirstColumn(ui.ListView1, sortOrder, state.strLastSelectedItemKey); });
    }

    // A storage group with a store below it, the store selected and loaded into
    // the panel model.
    QTreeWidgetItem* addStore(const QString& name, const QString& dn, const QString& tag) {
        if (!group) group = tree::addRoot(ui.TreeView1, "CN=SG", "Storage Group", tree::kStorageGroupImage);
        QTreeWidgetItem* node = tree::addChild(group, dn, name, "mailboxstore");
        engine::setNodeTag(node, tag);
        ui.TreeView1->setCurrentItem(node);
        panel.load(dn, name, tag);
        return node;
    }

    // Whether changes are pending as the buttons show it: "Change" for "Refresh", Reset usable.
    void expectPending(bool pending, bool reset) {
        EXPECT_EQ(panel.anyStaged(), pending);
        EXPECT_EQ(ui.Command1->text(), pending ? "Change" : "Refresh");
        EXPECT_EQ(ui.Command4->isEnabled(), reset);
    }

    panel::PanelEditing panelEditing() { return {panel::panelControls(ui), panel}; }
    // The panel's handlers connected as the window connects them.
    void connectPanel() { panel::connectPanel(panelEditing(), pickers, log); }
    users::ListEditing listEditing() {
        return {&form, ui.ListView1, ui.TreeView1, ui.Check1, ui.Check2, panel, state.strLastSelectedItemKey};
    }
    users::UserListFill userListFill() { return {panel, g, state, log, progress}; }
    pickers::PickerTarget mailboxTarget() { return {g, panel, ui.TreeView1}; }
    pickers::PickerTarget recipientTarget() { return {g, panel, ui.TreeView1}; }

    QMainWindow form;
    panel::InstallFormUi ui = app::buildInstallForm(&form);
    state::Globals g;
    state::FormState state;
    state::MemoryErrorLog log;
    CountingProgress progress;
    state::ScriptedPrompt prompt;
    panel::PanelModel panel;
    users::UserListModels list{panel};
    panel::PanelPickers pickers;
    engine::LoadGuard guard;
    users::SortOrder sortOrder;
    std::shared_ptr<FakeStoreServices> services = std::make_shared<FakeStoreServices>(g);
    engine::StoreLoad load{ui, ui.TreeView1, g, state, log, progress, prompt, panel, guard, services};
    QTreeWidgetItem* group = nullptr;
};

}  // namespace testing_support
