#pragma once
// Per-user journaling of one report saved into a journal folder.
//
// Which parties count: the sender and every recipient (members of a group
// recipient each on their own) whose mailbox store has this folder's mailbox or
// public folder as its journal recipient. Outside addresses, contacts and parties
// homed on other stores do not count.
// Keep or drop: the report is kept when the sender counts and is not excluded for
// outgoing ("###NoArcOut"), or some recipient counts and is not excluded for
// incoming ("###NoArcIn"); markers are read exactly as the user list reads them.
// Otherwise the save is cancelled (dropped).
// Forwarding: with Tavimor_FWDAddress on the registration, a kept report is
// copied to that recipient (a user's inbox, a public folder, each member of a
// group, or the store's outbound queue for an address outside the directory),
// and stays in the journal folder only with Tavimor_FWDAndSave.
// Only a journal report is judged (journal/JournalReport.h); anything else is
// left alone. When in doubt, keep: the report is dropped only once every party
// has been read and none counts. It stays in the journal folder, and the reason
// is logged, when the report cannot be fully read, an envelope entry names no
// single address, a party cannot be resolved for any reason other than "no
// object has this address" (the directory failed, referred elsewhere or gave a
// partial answer), or the report has more parties than kMaxPartiesPerReport.
// When a forward fails, or a group forwarded to has no member that can receive
// it, the report stays in the journal folder and the failure is logged.

#include "sink/SinkServices.h"

namespace sink {

enum class Verdict { Keep, Drop };

// Parties (the sender, distinct recipients and the members of recipient groups)
// looked up for one report at most; a report with more is kept.
inline constexpr int kMaxPartiesPerReport = 1000;

Verdict journal(const SaveEvent& event, Services& services, Log& log);

}  // namespace sink
