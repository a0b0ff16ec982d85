#pragma once
// The event registration item "Tavimor.reg" in a journal mailbox's inbox (or in
// the mail-enabled public folder serving as journal recipient): check for it,
// remove it, create it. The journal mailbox is named by its distinguished name
// and resolved through the directory first. None of these ever throws.

#include "store/RegistrationContext.h"

#include <QString>

namespace store {

// True when the item exists. With `refreshTag` the selected node's tag is
// rewritten from the item's forwarding settings. Web form first, then file form,
// by alias then by local part; a folder reached without the item ends the search.
bool CheckRegItem(const RegistrationContext& ctx, const QString& strMbxDistinguishedName, bool blnRefreshTag = false);

// The same check for a decision that writes: true or false only when the answer
// was read. A journal mailbox that could not be read (the directory look-up
// failed, or no candidate folder could be opened for another reason than its
// absence) is neither: that failure is thrown as ComError.
bool RegItemExists(const RegistrationContext& ctx, const QString& strMbxDistinguishedName);

// Deletes the item from the first candidate that holds it. Reports nothing.
void RemoveRegItem(const RegistrationContext& ctx, const QString& strMbxDistinguishedName);

// Creates or replaces the item with the forwarding settings; only the failure of
// the last candidate (or of the public folder) is logged. A mailbox registration
// then switches off the mailbox's junk e-mail rule.
void CreateRegItem(const RegistrationContext& ctx, const QString& strMbxDistinguishedName, const QString& sFWDAddress,
                   bool blnFWDAndSave);

}  // namespace store
