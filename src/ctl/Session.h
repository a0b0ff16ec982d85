#pragma once
// The window's own machinery without a window: its controls are made but never
// looked at, start-up, the server choice, the COM+ check and the store tree run
// as the window runs them, and Change is the window's (the panel model staged,
// then the store load that writes it through the change plan and its run).
// A QApplication must exist (tavimorctl makes one on the "offscreen" platform).

#include "ctl/CtlPrompt.h"
#include "engine/ChangePlan.h"
#include "engine/ChangeRun.h"
#include "engine/StoreLoad.h"
#include "panel/InstallFormUi.h"
#include "panel/PanelModel.h"
#include "platform/system/SystemProbes.h"
#include "state/ErrorLog.h"
#include "state/Globals.h"
#include "state/Progress.h"
#include "users/UserListModel.h"

#include <QWidget>
#include <memory>
#include <optional>

namespace ctl {

class Session {
public:
    explicit Session(CtlPrompt& prompt);
    ~Session();

    // Start-up as the window runs it, on `server` (a --server value; "" takes
    // TAVIMOR_SERVER, then this computer): the directory, the server's storage
    // groups and stores in the tree, each store's mode read. Throws Error:
    // kUnreachable when the directory cannot be read, kRefused when the server
    // is no Exchange server of the organisation.
    // `storeRef` names the store the command works on, when it names one (read
    // only once then).
    void open(const QString& server, const QString& storeRef = QString());
    // Start-up alone: the directory and the server's name, no tree.
    void openDirectory(const QString& server);

    // The Exchange server's name, as the directory knows it (after open()).
    const QString& serverName() const { return serverName_; }
    QTreeWidget* tree() const { return ui_.TreeView1; }
    panel::PanelModel& panel() { return panel_; }
    state::Globals& globals() { return g_; }
    state::FormState& form() { return form_; }
    state::ErrorLog& log() { return log_; }
    engine::StoreLoad& load() { return *load_; }
    platform::system::SystemProbes& probes() { return *probes_; }

    // Shows the store of `node` in the panel model as a click on it does
    // (nothing staged). Throws Error(kUnreachable) when its users could not be read.
    void show(QTreeWidgetItem* node);
    // The plan Change would run now for what is staged on the panel model.
    engine::ChangePlan plan() const;
    engine::ChangeFacts facts() const;
    // The shown store's users (indexes into panel().users()) as the list shows them.
    std::vector<size_t> usersInListOrder() const;
    // Change: the staged edits written to the shown store, which is loaded
    // again. Answers what each step did (nothing when the run failed before it
    // reported); what the run logged goes to `runLog`, oldest first, one a line.
    std::optional<engine::ChangeReport> change(QString& runLog);

    // Takes the entries the error log holds: lists cut short by the size
    // limit go to partial(); any other entry is a failure to read, thrown as
    // Error(kUnreachable) starting with `what`.
    void takeLog(const QString& what);
    // What was read only in part, one line each: lists cut short at the size
    // limit (what was read of them is used), referrals not followed.
    const QStringList& partial() const { return partial_; }

private:
    // Throws Error(kRefused) naming the organisation's servers when the chosen
    // server is none of them.
    void checkServer();
    // The name (and distinguished name) the tree shows first for a STORE argument.
    struct RememberedStore {
        QString name;
        QString dn;
    };
    static RememberedStore rememberedStore(const QString& ref);
    // Whether the COM+ application is installed, read without writing the catalog.
    bool comPlusInstalled();

    CtlPrompt& prompt_;
    std::unique_ptr<platform::system::SystemProbes> probes_;
    std::unique_ptr<QWidget> form_widget_;
    panel::InstallFormUi ui_;
    state::Globals g_;
    state::FormState form_;
    state::MemoryErrorLog log_;
    state::NoProgress progress_;
    panel::PanelModel panel_;
    users::UserListModels list_{panel_};
    engine::LoadGuard guard_;
    std::unique_ptr<engine::StoreLoad> load_;
    std::optional<engine::ChangeReport> report_;
    QString runLog_;
    QStringList partial_;
    QString serverName_;
};

}  // namespace ctl
