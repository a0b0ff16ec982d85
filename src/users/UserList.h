#pragma once
// The users homed on a mailbox store, listed in ListView1 with their two journaling
// switches read from the exclusion markers of extensionAttribute10.

#include "state/Forward.h"

#include <QString>
#include <cstdint>

class QTreeWidget;
class QTreeWidgetItem;

namespace panel {
class PanelModel;
struct UserRow;
}  // namespace panel

namespace users {

// What a fill of the user list reads and writes.
struct UserListFill {
    QTreeWidget* list;         // ListView1
    panel::PanelModel& panel;  // holds the same rows as the list
    const state::Globals& g;   // directory connection and base
    state::FormState& form;    // the user to select after the first load
    state::ErrorLog& log;
    state::ProgressView& progress;
};

// Fills ListView1 with the users of the store `strHomeMDB` (its distinguished
// name), leaving out system mailboxes, the store's own journal mailbox (the
// journal field of `journalDn`, a store tag) and users without a mail
// address. With `blnRefreshList` false the list is only emptied and the users
// are read until the first one with an exclusion marker.
//
// Answers 1 when a listed user carries an exclusion marker, else 0. Rows are
// keyed by mail address; a second record with an address already listed
// (compared without regard to case) is left out. A query that cannot run leaves
// the list empty, answers 0 and writes one entry to the error log. When the
// list is refilled while this fill lets the window process its messages, this
// fill stops and the newer one owns the list. The rows appear in the list
// together when the read ends; the panel model holds the same rows.
int16_t GetUsersWithMailboxes(const UserListFill& fill, const QString& strHomeMDB, const QString& journalDn,
                              bool blnRefreshList = false);

// The list row showing one user.
QTreeWidgetItem* newListRow(const panel::UserRow& row);

}  // namespace users
