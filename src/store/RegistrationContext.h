#pragma once
// What the registration routines need from the program: its shared state, the
// error log, and the tag of the store node selected in the tree (read and
// rewritten when a check refreshes it). The journal-mailbox look-up defaults to
// the directory over Globals::conAD; it can be replaced (tests, or callers that
// already hold the directory row).

#include "state/ErrorLog.h"
#include "state/Globals.h"
#include "platform/directory/Directory.h"

#include <QString>
#include <functional>
#include <optional>

namespace store {

// The directory row of a journal mailbox (mail, mailNickname, sAMAccountType,
// mAPIRecipient), or nothing when no object matches. May throw ComError.
using JournalLookup =
    std::function<std::optional<platform::directory::Row>(const QString& distinguishedName, bool requireMail)>;

struct RegistrationContext {
    state::Globals& g;
    state::ErrorLog& log;
    std::function<QString()> selectedTag;                  // Tag of the selected store node
    std::function<void(const QString&)> setSelectedTag;    // rewrites it
    JournalLookup lookupJournal;                           // empty: the directory
};

}  // namespace store
