#pragma once
// Switches off the junk e-mail rule of a journal mailbox: the first hidden rule
// message of the inbox whose provider is "JunkEmailRule" gets filtering off, no
// permanent deletion and the rule state without its enabled bit.

#include <QString>

namespace store {

// `inboxUrl` is the folder URL a mailbox registration was written to. Failures
// are silent; a mailbox without a rule message is left untouched. Never throws.
void JunkMailSettings(const QString& inboxUrl);

}  // namespace store
