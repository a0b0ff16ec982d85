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
#include "directory/tree/Node.h"
#include "engine/StoreLoad.h"
#include "panel/PanelEvents.h"
#include "pickers/PickerDialog.h"
#include "users/ListInteraction.h"
#include "users/UserList.h"

#include <QMainWindow>
#include <gtest/gtest.h>

namespace testing_support {

// The first column's texts, top to bottom.
inline QStringList firstColumnTexts(const QTreeWidget* list) {
    QStringList names;
    for (int i = 0; i < list->topLevelItemCount(); ++i) names << list->topLevelItem(i)->text(0);
    return names;
}

// Counts the progress protocol.
struct CountingProgress : state::ProgressView {
    void begin(int r) override { rows = r, ++begins; }
    void step() override { ++steps; }
    void end() override { ++ends; }
    int rows = 0, begins = 0, steps = 0, ends = 0;
};

struct EngineForm {
    EngineForm() {
        ui.ListView1->setColumnCount(3);
        ui.ListView1->setHeaderLabels({"Name", "Journal ingoing", "Journal outgoing"});
    }

    // A storage group with a store below it, the store selected and loaded into
    // the panel model.
    QTreeWidgetItem* addStore(const QString& name, const QString& dn, const QString& tag) {
        if (!group) group = tree::addRoot(ui.TreeView1, "CN=SG", "Storage Group", tree::kStorageGroupImage);
        QTreeWidgetItem* node = tree::addChild(group, dn, name, "mailboxstore");
        tree::setTag(node, tag);
        ui.TreeView1->setCurrentItem(node);
        panel.load(dn, name, tag);
        return node;
    }

    // Whether changes are pending as the buttons show it: "Change" for "Refresh", Reset usable.
    void expectPending(bool pending, bool reset) {
        EXPECT_EQ(g.blnChangesPending, pending);
        EXPECT_EQ(ui.Command1->text(), pending ? "Change" : "Refresh");
        EXPECT_EQ(ui.Command4->isEnabled(), reset);
    }

    panel::PanelEditing panelEditing() { return {panel::panelControls(ui), g, panel}; }
    users::ListEditing listEditing() { return users::listEditing(ui, g, panel, state.strLastSelectedItemKey); }
    users::UserListFill userListFill() { return {ui.ListView1, panel, g, state, log, progress}; }
    pickers::PickerTarget mailboxTarget() { return {g, panel, ui.Label3, ui.TreeView1}; }
    pickers::PickerTarget recipientTarget() { return {g, panel, ui.Label4, ui.TreeView1}; }

    QMainWindow form;
    panel::InstallFormUi ui = app::buildInstallForm(&form);
    state::Globals g;
    state::FormState state;
    state::MemoryErrorLog log;
    CountingProgress progress;
    state::ScriptedPrompt prompt;
    panel::PanelModel panel;
    engine::LoadGuard guard;
    users::SortOrder sortOrder;
    engine::StoreLoad load{ui, g, state, log, progress, prompt, panel, guard, sortOrder, {}};
    QTreeWidgetItem* group = nullptr;
};

}  // namespace testing_support
