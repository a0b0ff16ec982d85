#pragma once
// The users homed on a mailbox store, read into the panel model's rows with their
// two journaling switches read from the exclusion markers of extensionAttribute10
// (the user list shows those rows through users::UserListModel).

#include "state/Forward.h"

#include <QString>
#include <cstdint>

namespace panel {
class PanelModel;
struct UserRow;
}  // namespace panel

namespace users {

// What a fill of the user list reads and writes.
struct UserListFill {
    panel::PanelModel& panel;  // receives the rows
    const state::Globals& g;   // directory connection and base
    state::FormState& form;    // the user to select after the first load
    state::ErrorLog& log;
    state::ProgressView& progress;
};

// Fills the panel model's rows with the users of the store `strHomeMDB` (its distinguished
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
// fill stops and the newer one owns the list. The rows go into the panel model
// together when the read ends.
int16_t GetUsersWithMailboxes(const UserListFill& fill, const QString& strHomeMDB, const QString& journalDn,
                              bool blnRefreshList = false);

}  // namespace users
