#pragma once
// The store routines of the registration item, each working on one base URL and
// opening (and releasing) its own store objects: find, delete and write the item,
// and find a mail-enabled public folder by its address.

#include "platform/ComError.h"
#include "store/RegistrationContext.h"

#include <QString>
#include <cstdint>
#include <memory>

namespace platform::store { class StoreConnection; }

namespace store {

// The folder that holds a registration: for the folder name "inbox" (any case)
// the mailbox's "urn:schemas:httpmail:inbox" (so a localised inbox is followed),
// for "" the base URL itself, else base URL + "/" + folder name. Throws ComError.
QString folderUrlOf(const QString& baseUrl, const QString& folderName,
                    platform::store::StoreConnection* connection);

// −1 when the connection, folder or query failed, 0 when the folder holds no
// item named `itemName` matching `extraCondition`, 1 when it does. `connection`
// is reused when given (opened on the base URL and closed again), else one is
// made. With `refreshTag`, a found item's forwarding settings are copied into the
// checked store's tag. Never logs, never throws; with `failure`, the failure of a
// −1 is copied there.
int16_t FindRegItem(const RegistrationContext& ctx, const QString& baseUrl, const QString& folderName,
                    const QString& itemName, const QString& extraCondition,
                    const std::shared_ptr<platform::store::StoreConnection>& connection, bool refreshTag,
                    platform::ResumeNext* failure = nullptr);

// True when the item was opened and deleted; false on any failure. Never logs.
bool DeleteRegItem(const QString& baseUrl, const QString& folderName, const QString& itemName);

// Creates or replaces itemBaseName + ".reg" in the folder, inside a transaction,
// with the registration's seven properties and the forwarding settings. Answers
// the folder URL, or "" on failure (then, with `logFailure`, one error-log entry
// whose context is the program's web mailbox root). Never throws.
QString WriteRegItem(const RegistrationContext& ctx, const QString& baseUrl, const QString& folderName,
                     const QString& itemBaseName, const QString& eventMethod, const QString& sinkClass,
                     const QString& matchScope, const QString& criteria, const QString& priority,
                     bool logFailure, const QString& forwarding, bool fwdAndSave);

// The "DAV:href" (blanks trimmed) of the first folder below `rootUrl` whose
// public-folder address equals `emailAddress` without regard to case, searching
// folders with subfolders again from their permanent URL (each folder at most
// once, so the store calls grow with the folders, not the depth's powers of two);
// "" when none matched
// or the search failed first (logged, with the failing root as context, when
// `logFailure`). Never throws.
QString GetPublicFolderURL(const RegistrationContext& ctx, const QString& rootUrl, const QString& emailAddress,
                           bool logFailure);

// Removes leading and trailing blanks (spaces only).
QString trimBlanks(const QString& text);

}  // namespace store
