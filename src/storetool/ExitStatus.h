#pragma once
// Exit statuses of the store tool, as sysexits.h numbers them, so that a mail
// transfer agent running it (or a milter answering for it) knows whether to
// retry: a store or directory that cannot be reached is EX_TEMPFAIL.

#include "platform/ComError.h"

namespace storetool::exits {
constexpr int Ok = 0;
constexpr int Usage = 64;        // EX_USAGE: bad arguments
constexpr int DataError = 65;    // EX_DATAERR: the message on standard input is no message
constexpr int NoInput = 66;      // EX_NOINPUT: the URL names no item, or no input at all
constexpr int Software = 70;     // EX_SOFTWARE: any other failure
constexpr int CantCreate = 73;   // EX_CANTCREAT: the export's Maildir or mbox is refused or cannot be made
constexpr int IoError = 74;      // EX_IOERR: reading the input or writing the export failed
constexpr int TempFail = 75;     // EX_TEMPFAIL: the store or the directory cannot be reached; try again
constexpr int NoPermission = 77; // EX_NOPERM: access denied
}  // namespace storetool::exits

namespace storetool {

// The exit status for a failure of the platform layers: directory unreachable,
// timed out, busy or refusing the sign-in (no ticket, wrong password), and store
// databases that cannot be opened or written are TempFail; access denied is
// NoPermission; a missing item NoInput; a malformed URL Usage; anything else
// Software.
int exitStatus(const platform::ComError& e);

}  // namespace storetool
