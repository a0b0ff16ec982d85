#pragma once
// Opening the two pickers from the main window. Each is a modal dialog created
// for the showing and closed by its OK or Cancel; its sort orders and the row
// selected after its last sort are kept for the next showing. What the
// administrator picks is staged in the panel model and shown in Label3 / Label4,
// and disables the store tree; nothing is returned.

#include "pickers/SelectMailbox.h"

namespace state { class Prompt; }

namespace pickers {

// The directory's writer for persons by mail address (below the directory base
// of `g`), asking through `prompt` when a write is denied.
AttributeWriter directoryWriter(state::Prompt& prompt, const state::Globals& g);

// "Select Journal Mailbox" (the Browse button beside "Archive mailbox:").
// `setAttributeByMail` clears the chosen user's forwarding rule when the
// administrator agrees to it; when not given, the directory's writer does.
void showSelectMailbox(const PickerTarget& target, state::Prompt& prompt, AttributeWriter setAttributeByMail = {});

// "Select Forwarding Recipient" (the Browse button beside "Forward to:").
void showSelectRecipient(const PickerTarget& target);

// Closes the forwarding-recipient picker when it is open (the window's Exit).
void closeSelectRecipient();

}  // namespace pickers
