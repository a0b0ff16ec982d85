#pragma once
// The journal mailbox as the registration routines read it from the directory,
// and the store URLs its registration folder is looked for under.

#include "store/RegistrationContext.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace store {

struct JournalMailbox {
    QString mail;
    QString alias;        // mailNickname ("" when absent)
    QString localPart;    // mail before its last "@" (when that stands after the first character)
    bool publicFolder = false;  // neither sAMAccountType nor mAPIRecipient set

    // "inbox" for a mailbox, "" for a public folder.
    QString folderName() const;

    static JournalMailbox fromRow(const platform::directory::Row& row);
};

// Runs the look-up (the context's, or the directory query on conAD with no
// command properties); nothing when no row comes back. Throws on failure.
std::optional<JournalMailbox> resolveJournalMailbox(const RegistrationContext& ctx, const QString& dn,
                                                    bool requireMail);

// Base URLs of a mailbox in the order they are tried: web and file form by
// alias, then by local part, each pair only when its name part is not empty.
QStringList mailboxCandidates(const state::Globals& g, const JournalMailbox& mailbox);

// The web mailbox root with every "/mbx" replaced by "/public folders".
QString publicFolderRoot(const state::Globals& g);

}  // namespace store
