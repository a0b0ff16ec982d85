#pragma once
// The main window. It owns the program state, the controls, the error log, the
// progress view, the panel model and what the store load works on; the
// operations of other subsystems are reached through hooks, so each can be
// replaced (tests) or left out.

#include "panel/InstallFormUi.h"
#include "panel/PanelEvents.h"
#include "panel/PanelModel.h"
#include "app/RefreshCycle.h"
#include "engine/StoreLoad.h"
#include "state/ErrorLog.h"
#include "state/Globals.h"
#include "state/Progress.h"
#include "state/Prompt.h"
#include "users/ListSort.h"
#include "users/UserListModel.h"

#include <QMainWindow>
#include <cstdint>
#include <functional>
#include <memory>

class QTreeWidgetItem;

namespace platform::system { class SystemProbes; }
namespace kit { class ProgressStrip; }

namespace app {

class InstallForm : public QMainWindow {
    Q_OBJECT
public:
    struct Hooks {
        // Start-up discovery: fills the program state from the directory and probes.
        std::function<void(InstallForm&)> startupDiscovery;
        // Whether the COM+ application "Tavimor" is installed, and its account.
        std::function<bool(InstallForm&, QString& identity)> checkComPlusApp;
        // The account proposed for the COM+ application on Windows 2000.
        std::function<QString(InstallForm&)> proposeIdentity;
        // Rebuilds the store tree.
        std::function<void(InstallForm&)> getMailboxStores;
        // Applies the staged changes to the loaded store and reloads it; 1 done,
        // -1 failed (nothing else follows).
        std::function<int(InstallForm&, QTreeWidgetItem* node)> applyChanges;
        // Loads a store as a click on its tree node does.
        std::function<void(InstallForm&, QTreeWidgetItem* node)> nodeClick;
        // Closes the pickers before the window closes.
        std::function<void(InstallForm&)> closePickers;
    };

    InstallForm(platform::system::SystemProbes& probes, state::Prompt& prompt, QWidget* parent = nullptr);
    ~InstallForm() override;

    panel::InstallFormUi& ui() { return ui_; }
    state::Globals& globals() { return g_; }
    state::FormState& state() { return form_; }
    state::ErrorLog& errorLog() { return *log_; }
    state::ProgressView& progress() { return *progress_; }
    state::Prompt& prompt() { return prompt_; }
    platform::system::SystemProbes& probes() { return probes_; }
    // The loaded store, its staged edits and its user rows.
    panel::PanelModel& panel() { return panel_; }
    // The user list's model and order over the panel model's rows; Change writes
    // the staged users in userList().stagedInListOrder().
    users::UserListModels& userList() { return *userList_; }
    // The user list's column sort orders (they outlive its rows).
    users::SortOrder& sortOrder() { return sortOrder_; }
    // What the store load and the tree rebuild work on (its services are
    // filled in by the wiring).
    engine::StoreLoad& storeLoad() { return *load_; }
    // The pickers the Browse buttons show (filled in by the wiring).
    panel::PanelPickers& pickers() { return pickers_; }
    // The tree node of the loaded store, nullptr when none.
    QTreeWidgetItem* loadedNode() { return engine::loadedNode(panel_, ui_.TreeView1); }
    Hooks& hooks() { return hooks_; }

    // Runs once, before the window is first shown (showing it runs it too).
    void Form_Load();
    // The first activation builds the user-list columns and runs the first refresh;
    // later activations do nothing.
    void Form_Activate();
    void Form_Deactivate();
    // Closes the two connections, errors ignored.
    void Form_Unload();

    void RefreshLists();
    // Advances the shared progress counter and redraws `pict`.
    void UpdateStatus(int32_t FileBytes, kit::ProgressStrip* Pict);

    void Command1_Click();  // Refresh / Change
    void Command2_Click();  // Exit
    void Command4_Click();  // Reset
    void Command5_Click();  // Clear Error Log
    void CheckRegCom_Click();
    void CheckUnRegCom_Click();

    bool loaded() const { return loaded_; }

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void connectControls();
    void buildUserListColumns();
    void selectRememberedUser();
    void stageComPlusBox(QCheckBox* box);
    // The buttons and COM+ boxes as the panel model's staging shows them.
    void showStaging();
    RefreshSteps refreshSteps();
    // Runs a handler so that nothing it throws leaves the window.
    template <typename F>
    void safely(F&& handler);

    platform::system::SystemProbes& probes_;
    state::Prompt& prompt_;
    state::Globals g_;
    state::FormState form_;
    panel::InstallFormUi ui_;
    std::unique_ptr<state::ErrorLog> log_;
    std::unique_ptr<state::ProgressView> progress_;
    panel::PanelModel panel_;
    std::unique_ptr<users::UserListModels> userList_;
    engine::LoadGuard guard_;
    users::SortOrder sortOrder_;
    std::unique_ptr<engine::StoreLoad> load_;
    panel::PanelPickers pickers_;
    Hooks hooks_;
    bool loaded_ = false;
    bool unloaded_ = false;
    bool activating_ = false;
};

// Twips (1/1440 inch) as pixels of a 96-dpi screen: 15 twips a pixel.
int twipsToPixels(int twips);

}  // namespace app
