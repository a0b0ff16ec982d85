#pragma once
// The store panel as values: the store it shows, what the administrator has
// staged on it, and the rows of its user list. The widgets show this model and
// turn the administrator's clicks into its edits; Change, Reset and the
// registration decisions read it, never a widget's colour or the tree's current
// node. No widget is needed to build, edit or read it; the window follows its
// signals: "Change" or "Refresh", Reset, the red names, boxes and rows.

#include "rules/Markers.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <optional>
#include <vector>

namespace panel {

// The store the panel shows. Every write of Change goes to it, named by `dn`.
struct LoadedStore {
    QString dn;    // distinguished name (the tree node's key); "" while none is loaded
    QString name;  // as the tree shows it
    QString tag;   // the store tag as last read or written
    QString mode;  // the mode label of the frame caption, "" until a load ends
};

// A staged journal mailbox or forwarding recipient.
struct StagedRecipient {
    enum class State { Unchanged, Picked, Removed };
    State state = State::Unchanged;
    QString name;   // the picked name, as shown
    QString value;  // journal mailbox: its distinguished name; forwarding: the forwarding text

    bool staged() const { return state != State::Unchanged; }
    bool picked() const { return state == State::Picked; }
    bool removed() const { return state == State::Removed; }
};

// What a load read of the shown store: its journal mailbox's display name, the
// forwarding recipient's display name and "Both".
struct ShownSettings {
    QString journalName;
    QString forwardingName;
    bool both = false;
};

// One user of the list.
struct UserRow {
    QString mail;            // the row's key
    QString name;
    QString stored;          // extensionAttribute10 as read
    rules::Switches switches;
    bool disabled = false;   // account disabled (its icon)
    bool staged = false;     // written by the next Change
};

class PanelModel : public QObject {
    Q_OBJECT
public:
    explicit PanelModel(QObject* parent = nullptr) : QObject(parent) {}

    const LoadedStore& store() const { return store_; }
    bool loaded() const { return !store_.dn.isEmpty(); }
    bool isLoaded(const QString& dn) const;

    // Starts showing a store: every staged recipient, "Both" and user row is
    // dropped. The staged COM+ action stays until the load ends (leaveStaged).
    void load(const QString& dn, const QString& name, const QString& tag);
    // Nothing is shown any more (the tree was rebuilt).
    void unload();
    void setTag(const QString& tag) { store_.tag = tag; }
    void setMode(const QString& mode) { store_.mode = mode; }
    // What the panel shows of the loaded store once its load has read it.
    const ShownSettings& shown() const { return shown_; }
    void show(const ShownSettings& shown);
    // The load after a finished Change (or a store clicked): nothing is staged.
    void leaveStaged();

    // Journal mailbox. A pick stages it; unticking "Archive mailbox:" stages the
    // removal of the journal mailbox and of any forwarding, and drops every pick
    // made before. Ticking the box again brings no pick back.
    const StagedRecipient& journal() const { return journal_; }
    void pickJournal(const QString& name, const QString& dn);
    void removeJournal();

    // Forwarding recipient, the same way with "Forward to:". A new pick or a
    // removal unchecks "Both" (a staged "Both" then stages it off).
    const StagedRecipient& forwarding() const { return forwarding_; }
    void pickForwarding(const QString& name, const QString& text);
    void removeForwarding();

    // "Deliver messages to both ...": nothing while not staged.
    const std::optional<bool>& both() const { return both_; }
    void setBoth(bool on);

    // The staged COM+ actions ("Install COM+ object", "Uninstall COM+ object").
    // Each box stages and unstages only its own action.
    bool installCom() const { return installCom_; }
    bool uninstallCom() const { return uninstallCom_; }
    void setInstallCom(bool staged);
    void setUninstallCom(bool staged);

    // The user rows, in the order read.
    const std::vector<UserRow>& users() const { return users_; }
    void setUsers(std::vector<UserRow> rows);
    void clearUsers();
    // The row with that address (compared without regard to case), or nullptr.
    const UserRow* user(const QString& mail) const;
    // Sets one switch (1 ingoing, 2 outgoing) of a row (by its index in users())
    // and stages the row.
    void setSwitch(size_t index, int column, bool on);
    // Sets one switch of every row and stages them all.
    void setAllSwitches(int column, bool on);

    // Something would be written by Change.
    bool anyStaged() const;
    // Reset has something to drop: a recipient or a user is staged ("Both" and
    // the COM+ boxes alone do not make Reset available).
    bool resetAvailable() const;

    // A load runs: the window's editing handlers ignore the administrator's
    // clicks until it ends (a click during the load's message processing would
    // land on a panel about to be refilled).
    bool busy() const { return busy_ > 0; }
    void beginBusy() { ++busy_; }
    void endBusy() { --busy_; }

signals:
    // Anything staged or shown changed (recipients, "Both", COM+, a load).
    void changed();
    // The user rows were replaced (a load) or emptied.
    void usersReset();
    // One row's switches or staging changed.
    void userChanged(int index);
    // Every row's switches or staging changed.
    void allUsersChanged();
    // A load read the store's settings (shown()): the panel shows them afresh.
    void shownChanged();
    // A load put the store's users in: the list shows them sorted by name
    // (the view may let the window process messages meanwhile).
    void usersLoaded();
    // A picker chose a journal mailbox, or a forwarding recipient (or none).
    void journalPicked();
    void forwardingPicked();

private:
    LoadedStore store_;
    ShownSettings shown_;
    StagedRecipient journal_;
    StagedRecipient forwarding_;
    std::optional<bool> both_;
    bool installCom_ = false;
    bool uninstallCom_ = false;
    std::vector<UserRow> users_;
    QHash<QString, size_t> byMail_;  // lower-case address -> index
    int busy_ = 0;
};

// Marks the panel model busy for a scope (a load), also when the load stops early.
class BusyScope {
public:
    explicit BusyScope(PanelModel& m) : m_(m) { m_.beginBusy(); }
    ~BusyScope() { m_.endBusy(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    PanelModel& m_;
};

}  // namespace panel
