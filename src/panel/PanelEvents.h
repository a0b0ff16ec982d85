#pragma once
// The store panel's editing handlers: the journal-mailbox, forwarding and "both"
// check boxes, the two name labels and the Browse buttons. Every edit is only
// staged in the panel model; the red marks (kit/Colors.h), "Change" / "Refresh"
// and Reset follow the model. Nothing is written until Change.
//
// The check boxes report only the administrator's clicks; the handlers ignore
// them while a load runs (PanelModel::busy), and the label handlers act on a
// caption change only then, so values a load puts into the panel stage nothing.

#include "panel/InstallFormUi.h"
#include "panel/PanelModel.h"

#include <QString>
#include <functional>

namespace state { class ErrorLog; }

namespace panel {

// The panel's controls the editing handlers read and change.
struct PanelControls {
    QCheckBox* Check3 = nullptr;
    QCheckBox* Check4 = nullptr;
    QCheckBox* Check5 = nullptr;
    kit::CaptionLabel* Label3 = nullptr;
    kit::CaptionLabel* Label4 = nullptr;
    QPushButton* Command3 = nullptr;  // Browse (journal mailbox)
    QPushButton* Command6 = nullptr;  // Browse (forwarding)
    QCheckBox* Check1 = nullptr;      // "All ingoing"
    QCheckBox* Check2 = nullptr;      // "All outgoing"
};
PanelControls panelControls(const InstallFormUi& ui);

// What the editing handlers work on: the controls and the model the edits are
// staged in.
struct PanelEditing {
    PanelControls c;
    PanelModel& model;
};

// The pickers the Browse buttons show, as modal windows that return when they
// close; the choice arrives through pickJournalMailbox / pickForwardingRecipient.
// Unset: the button does nothing.
struct PanelPickers {
    std::function<void()> showSelectMailbox;
    std::function<void()> showSelectRecipient;
};

// The window's buttons as the model's staging shows them: "Change" while
// anything is staged, else "Refresh"; Reset usable while PanelModel::resetAvailable.
void showStaging(const PanelModel& model, QPushButton* command1, QPushButton* command4);

// "Archive mailbox:" clicked. Checked: Browse becomes available and nothing is
// staged yet. Unchecked: the journal mailbox and any forwarding are staged for
// removal (a mailbox picked before is dropped), "both" is unchecked without a
// marker.
void Check3_Click(const PanelEditing& p);
// "Forward to:" clicked. Checked: Browse becomes available. Unchecked: the
// forwarding recipient is staged for removal and "both" is reset and disabled.
void Check4_Click(const PanelEditing& p);
// "Deliver messages to both ..." clicked: staged on or off. "Both" alone does not
// make Reset available.
void Check5_Click(const PanelEditing& p);
// The journal mailbox's name changed: a name makes forwarding available.
void Label3_Change(const PanelEditing& p);
// The forwarding recipient's name changed: "both" is unchecked and available
// only while a recipient is named.
void Label4_Change(const PanelEditing& p);
// The pickers' choices: the journal mailbox (name and distinguished name) and
// the forwarding recipient (name and forwarding text; no name removes it),
// staged in the panel model, which reports them (journalPicked, forwardingPicked).
void pickJournalMailbox(PanelModel& model, const QString& name, const QString& dn);
void pickForwardingRecipient(PanelModel& model, const QString& name, const QString& text);

// Browse: shows a picker; a failure inside it is logged and the log shown.
void browse(state::ErrorLog& log, const std::function<void()>& showPicker);

// Shows what a load read (PanelModel::shown): the journal mailbox's name with
// "Archive mailbox:" ticked when there is one and forwarding then available, the
// forwarding recipient's name with "Forward to:" and "Both", every marker
// cleared, the Browse buttons as their boxes, and the bulk boxes available while
// the list has rows.
void showLoaded(const PanelEditing& p);
// The staged marks as the model holds them: a picked name in red text, a removed
// one on red, "Both" staged on in red text, staged off on red.
void showMarks(const PanelEditing& p);
// Connects showLoaded to the model's shownChanged and showMarks to its changes
// (the window does, from its start).
void connectShown(const PanelEditing& p);

// Connects the administrator's clicks on Check3, Check4 and Check5, the caption
// changes of Label3 and Label4, the model's picks and the two Browse buttons to
// the handlers. The
// Browse buttons show what `pickers` holds at the click; it, the model, the
// state and the log must live as long as the controls.
void connectPanel(const PanelEditing& p, const PanelPickers& pickers, state::ErrorLog& log);

}  // namespace panel
