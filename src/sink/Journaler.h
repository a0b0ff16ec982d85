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
// Never lose a report: when the directory cannot answer or a forward fails, the
// report stays in the journal folder and the failure is logged.

#include "sink/SinkServices.h"

namespace sink {

enum class Verdict { Keep, Drop };

Verdict journal(const SaveEvent& event, Services& services, Log& log);

}  // namespace sink
