#pragma once
// What Change writes, decided in one place before anything is written: a pure
// function of the panel model and of what the load read. The steps come in the
// order Change takes them:
//   1. the hosted COM+ application (removal, installation, the check);
//   2. the store's journal recipient;
//   3. forwarding and "Both" (the store tag the registration item follows);
//   4. each staged user's extensionAttribute10, before -> after, from the first
//      row of the user list to the last, as the administrator sees the list;
//   5. the registration item of the journal mailbox the store left;
//   6. the registration item of the current settings: the sharing question (a
//      step of its own), the removal, the creation.
// A plan prints as text, one step a line: what a dry run and an audit trail show.

#include "panel/PanelModel.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace engine {

inline constexpr const char* kFillIdentityText = "Please fill the Identity and Password fields";
inline constexpr const char* kSharedJournalText =
    "This Journal Mailbox is used by another Mailbox Store.\rAre you sure you want to change it?";

// What the store's journal recipient write does: set the newly picked mailbox,
// delete the recipient (journal mailbox removed), or leave it (only the
// forwarding recipient changed).
struct JournalRecipientChange {
    enum class Kind { Keep, Set, Delete };
    Kind kind = Kind::Keep;
    QString dn;  // with Set
};

// What the plan is made from besides the panel model.
struct ChangeFacts {
    // The addresses of the user list's rows, first to last as the list shows
    // them. Rows of the model the list does not name follow in the model's order.
    QStringList listOrder;
    // The store tags of every other node of the tree, as the load read them:
    // who else names a journal mailbox.
    QStringList otherTags;
    // The hosted application runs under a typed account (Windows 2000), and
    // whether identity and password are both filled in.
    bool windows2000 = false;
    bool credentialsTyped = false;
    // The steps that follow a journal recipient write that failed: the store
    // keeps its tag, and no mailbox was left.
    bool recipientUnwritten = false;
};

struct ChangeStep {
    enum class Kind {
        AskCredentials,         // Windows 2000 without identity or password: ask, write nothing
        RemoveComPlus,
        InstallComPlus,
        CheckComPlus,
        JournalRecipient,       // target: the store; tag before -> after
        Forwarding,             // target: the store; tag before -> after
        Marker,                 // target: a user's address; value before -> after ("" clears it)
        RemoveOldRegistration,  // target: the mailbox the store left, when it holds the item
        AskSharedJournal,       // target: a mailbox another store names, when it holds the item
        RemoveRegistration,     // target: the journal mailbox, when it holds the item (and, shared, on Yes)
        CreateRegistration,     // target: the journal mailbox, when it holds no item and the application is installed
    };
    Kind kind;
    QString target;
    QString before;
    QString after;
    JournalRecipientChange recipient;  // JournalRecipient
    bool withCredentials = false;      // InstallComPlus: the typed account is used
    bool shared = false;               // RemoveRegistration: only after a Yes
    QString forwarding;                // CreateRegistration
    bool both = false;                 // CreateRegistration
    // CreateRegistration: some listed user keeps a marker, or messages are
    // forwarded. A user whose write fails makes it needed too.
    bool needed = false;
};

struct ChangePlan {
    std::vector<ChangeStep> steps;
    // Nothing is written: the plan only asks (Windows 2000 credentials missing).
    bool refused = false;
};

ChangePlan planChange(const panel::PanelModel& model, const ChangeFacts& facts);

// One line per step.
QString planText(const ChangePlan& plan);
QString stepText(const ChangeStep& step);

// What one staged user's extensionAttribute10 becomes: the value as read with
// the markers recomposed from the switches; "" means the attribute is cleared.
QString markerValue(const panel::UserRow& row);

}  // namespace engine
