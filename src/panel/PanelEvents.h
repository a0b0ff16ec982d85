#pragma once
// The store panel's editing handlers: the journal-mailbox, forwarding and "both"
// check boxes, the two name labels and the Browse buttons. Every edit is only
// staged: the edited control is coloured (app/Colors.h), blnChangesPending is set
// and the Refresh button reads "Change"; nothing is written until Change.
//
// The check-box and label handlers act only while Globals::blnEventsEnabled is
// True, so values the program itself puts into the panel stage nothing.

#include "state/Globals.h"

#include <QString>

namespace engine {

struct Context;

// Puts the window into its changes-pending state: blnChangesPending, the caption
// "Change" on Command1 and, with `enableReset`, Reset (Command4) enabled.
void markChangesPending(Context& ctx, bool enableReset = true);

// Runs one control change with the event guard cleared, so the changed
// control's own handler stays inert; the guard is set again right after (also
// when the change fails).
template <typename F>
void quietly(app::Globals& g, F&& change) {
    struct Restore {
        app::Globals& g;
        ~Restore() { g.blnEventsEnabled = true; }
    } restore{g};
    g.blnEventsEnabled = false;
    change();
}

// "Archive mailbox:" clicked. Checked: Browse becomes available and nothing is
// staged yet. Unchecked: the journal mailbox and any forwarding are staged for
// removal (a mailbox picked before is dropped), "both" is unchecked without a
// marker.
void Check3_Click(Context& ctx);
// "Forward to:" clicked. Checked: Browse becomes available. Unchecked: the
// forwarding recipient is staged for removal and "both" is reset and disabled.
void Check4_Click(Context& ctx);
// "Deliver messages to both ..." clicked: staged (red text when switched on, red
// background when off). Reset stays as it was.
void Check5_Click(Context& ctx);
// The journal mailbox's name changed: red text for a new name, red background
// when it was cleared. A name makes forwarding available.
void Label3_Change(Context& ctx);
// The forwarding recipient's name changed, marked like Label3; "both" is
// unchecked quietly and is available only while a recipient is named.
void Label4_Change(Context& ctx);
// The pickers' choices: the journal mailbox (name and distinguished name) and
// the forwarding recipient (name and forwarding text; no name removes it),
// staged in the panel model and shown as a caption change does.
void pickJournalMailbox(Context& ctx, const QString& name, const QString& dn);
void pickForwardingRecipient(Context& ctx, const QString& name, const QString& text);
// Browse: shows the journal-mailbox / forwarding-recipient picker, modally.
void Command3_Click(Context& ctx);
void Command6_Click(Context& ctx);

// Connects the administrator's clicks on Check3, Check4 and Check5, the caption
// changes of Label3 and Label4, and the two Browse buttons to the handlers.
void connectPanel(Context& ctx);

}  // namespace engine
