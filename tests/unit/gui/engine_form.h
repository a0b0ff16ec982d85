#pragma once
// A minimal main window for tests of the store tree, user list and store load:
// every control the engine touches, real widgets, in-memory log and prompt.

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

#include <QVBoxLayout>
#include <QWidget>
#include <memory>

namespace testing_support {

// Counts the progress protocol.
struct CountingProgress : app::ProgressView {
    void begin(int r) override { rows = r, ++begins; }
    void step() override { ++steps; }
    void end() override { ++ends; }
    int rows = 0, begins = 0, steps = 0, ends = 0;
};

struct EngineForm {
    EngineForm() {
        auto* layout = new QVBoxLayout(&form);
        ui.form = &form;
        ui.TreeView1 = add<QTreeWidget>(layout);
        ui.Frame1 = add<QGroupBox>(layout);
        for (QCheckBox** box : {&ui.Check1, &ui.Check2, &ui.Check3, &ui.Check4, &ui.Check5}) *box = add<QCheckBox>(layout);
        for (QPushButton** b : {&ui.Command1, &ui.Command2, &ui.Command3, &ui.Command4, &ui.Command5, &ui.Command6})
            *b = add<QPushButton>(layout);
        ui.ListView1 = add<QTreeWidget>(layout);
        for (app::CaptionLabel** label : {&ui.Label3, &ui.Label4}) *label = add<app::CaptionLabel>(layout);
        for (QCheckBox** box : {&ui.CheckRegCom, &ui.CheckUnRegCom}) *box = add<QCheckBox>(layout);
        ui.txtErr = add<QPlainTextEdit>(layout);
        ui.Command5->hide();
        ui.txtErr->hide();
        ui.TreeView1->setHeaderHidden(true);
        ui.ListView1->setColumnCount(3);
        ui.ListView1->setHeaderLabels({"Name", "Journal ingoing", "Journal outgoing"});
        ui.ListView1->setRootIsDecorated(false);
    }

    template <typename W>
    W* add(QVBoxLayout* layout) {
        auto* w = new W(&form);
        layout->addWidget(w);
        return w;
    }

    // A storage group with a store below it, the store selected and loaded into
    // the panel model.
    QTreeWidgetItem* addStore(const QString& name, const QString& dn, const QString& tag,
                              const QString& image = QStringLiteral("mailboxstore")) {
        if (!group) group = tree::addRoot(ui.TreeView1, "CN=SG", "Storage Group", tree::kStorageGroupImage);
        QTreeWidgetItem* node = tree::addChild(group, dn, name, image);
        tree::setTag(node, tag);
        ui.TreeView1->setCurrentItem(node);
        panel.load(dn, name, tag);
        return node;
    }

    engine::PanelEditing panelEditing() { return {engine::panelControls(ui), g, panel}; }
    users::ListEditing listEditing() { return users::listEditing(ui, g, panel, state.strLastSelectedItemKey); }
    users::UserListFill userListFill() { return {ui.ListView1, panel, g, state, log, progress}; }
    pickers::PickerTarget mailboxTarget() { return {g, panel, ui.Label3, ui.TreeView1}; }
    pickers::PickerTarget recipientTarget() { return {g, panel, ui.Label4, ui.TreeView1}; }

    QWidget form;
    app::InstallFormUi ui;
    app::Globals g;
    app::FormState state;
    app::MemoryErrorLog log;
    CountingProgress progress;
    app::ScriptedPrompt prompt;
    engine::PanelModel panel;
    engine::LoadGuard guard;
    users::SortOrder sortOrder;
    engine::StoreLoad load{ui, g, state, log, progress, prompt, panel, guard, sortOrder, {}};
    QTreeWidgetItem* group = nullptr;
};

}  // namespace testing_support
