#pragma once
// What the store tree, the user list and the store load work on: the window's
// controls and program state, the error log, the progress view, the prompt, and
// the operations of other subsystems they call (as hooks, so each can be
// replaced in tests). The main window owns one Context for its whole life.

#include "panel/InstallFormUi.h"
#include "state/ErrorLog.h"
#include "state/Globals.h"
#include "state/Progress.h"
#include "state/Prompt.h"
#include "panel/PanelModel.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

class QTreeWidgetItem;

namespace engine {

struct Hooks {
    // Does the event registration item exist in the journal mailbox? With a
    // `tag`, that store tag is also rewritten from the item's settings.
    // Unset: answers false.
    std::function<bool(const QString& mailboxDn, QString* tag)> CheckRegItem;
    // Class of the object with a mail address ("user", "group", "contact", "pf").
    // Unset: the directory's classification.
    std::function<QString(const QString& address)> GetObjectType;
    // Writes the changes staged in the panel model to the loaded store before it
    // is reloaded. May change `result`; answers false when the run must stop at
    // once (result is then returned). Unset: nothing is written.
    std::function<bool(int16_t& result)> ApplyStagedChanges;
    // Show the journal-mailbox picker / the forwarding-recipient picker as a
    // modal window and return when it closes; the picker's choice arrives through
    // the labels and text boxes it writes. Unset: the Browse button does nothing.
    std::function<void()> ShowSelectMailbox;
    std::function<void()> ShowSelectRecipient;
};

struct Context {
    Context(app::InstallFormUi& ui, app::Globals& g, app::FormState& form, app::ErrorLog& log,
            app::ProgressView& progress, app::Prompt& prompt)
        : ui(ui), g(g), form(form), log(log), progress(progress), prompt(prompt) {}

    app::InstallFormUi& ui;
    app::Globals& g;
    app::FormState& form;
    app::ErrorLog& log;
    app::ProgressView& progress;
    app::Prompt& prompt;
    Hooks hooks;

    // The loaded store, its staged edits and its user rows.
    PanelModel panel;
    // Counts the starts of panel loads and everything that overtakes one (a tree
    // rebuild, the window closing). A load that lets the window process messages
    // compares it before and after and stops when it changed.
    uint64_t loadGeneration = 0;
    // Counts rebuilds of the store tree. Work that lets the window process
    // messages compares it before and after, because a refresh clicked meanwhile
    // deletes every node.
    uint64_t treeGeneration = 0;
    // Sort order of each user-list column: 0 ascending, 1 descending.
    int16_t sortOrder[3] = {0, 0, 0};
    // Set while the program itself changes the tree's selection, so selection
    // signals are not taken for the administrator's choice.
    int selectingTree = 0;
};

// The hooks with their defaults filled in.
bool checkRegItem(Context& ctx, const QString& mailboxDn, QString* tag = nullptr);
QString objectType(Context& ctx, const QString& address);
// The tree node of the loaded store, found by its distinguished name; nullptr
// when none is loaded or the tree no longer holds it.
QTreeWidgetItem* loadedNode(const Context& ctx);
// The tags of every tree node but the loaded store's.
QStringList otherStoreTags(const Context& ctx);

}  // namespace engine
