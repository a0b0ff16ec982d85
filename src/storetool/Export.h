#pragma once
// `tavimor-store export`: the reports of a journal folder as standard mail
// files, for any mail client, Dovecot or archiving tool.
//
// Every visible message item of the folder that holds MIME text is written
// exactly as stored, in creation order. A report's identity is the SHA-256 of
// its bytes: in a Maildir it is part of the file name
// ("<seconds>.tavimor_<32 hex digits>.<host>"), in an mbox file it is compared
// with the messages already there, so exporting again writes nothing new.
//
// Maildir: tmp/, new/ and cur/ are made when missing (mode 0700); each report
// is written to tmp/ under its final name, synced, and linked into new/.
// mbox: the reports are appended in the mboxrd form ("From " line, every line
// matching ">*From " gets one more ">"), under an fcntl lock, and the file is
// cut back to its old size when a write fails.
//
// Safety: the Maildir folders and the mbox file are opened without following a
// symbolic link; the mbox file must be a regular file (never a FIFO or device);
// each must belong to the user running the tool (or root) and must not be
// writable by others. Files are made with mode 0600.

#include <QString>
#include <stdexcept>

namespace storetool {

struct ExportResult {
    int written = 0;  // reports written now
    int present = 0;  // reports found there already
};

// A refused or failed target; `status` is the exit status (ExitStatus.h).
struct ExportFailure : std::runtime_error {
    ExportFailure(int status, const QString& why) : std::runtime_error(why.toStdString()), status(status) {}
    int status;
};

// Throw ExportFailure for the target, ComError for the store.
ExportResult exportToMaildir(const QString& folderUrl, const QString& dir);
ExportResult exportToMbox(const QString& folderUrl, const QString& file);

}  // namespace storetool
