#pragma once
// The store tool's command line, read with QCommandLineParser:
//   tavimor-store [--help | --version]
//   tavimor-store ls URL | show [--mime] URL
//   tavimor-store deliver --from ADDR --to ADDR[,ADDR...] [--cc ...] [--bcc ...] [--subject S] [--count N]
//   tavimor-store deliver -f SENDER [--max-size BYTES] [--] RECIPIENT... < message
//   tavimor-store export URL --maildir DIR | --mbox FILE
// Every command answers --help; options take "--opt value" or "--opt=value";
// repeated address options add up, each value a comma-separated list.

#include <QString>
#include <QStringList>

namespace storetool {

// Messages on standard input larger than this are journaled as their headers
// and a note (journal::headersAndNote).
constexpr qint64 kDefaultMaxMessageSize = 64LL * 1024 * 1024;

struct Invocation {
    enum Command { None, Ls, Show, Deliver, Export } command = None;
    // When set, the tool prints `text` (to standard output for status 0, else
    // to standard error) and exits with `status`: help, version, usage errors.
    int status = -1;
    QString text;

    QString url;         // ls, show, export
    bool mime = false;   // show --mime: the MIME text exactly as stored, nothing else
    // deliver with a message made up from the options
    QString from, subject;
    QStringList to, cc, bcc;
    int count = 1;
    // deliver of a message on standard input (sendmail style)
    bool standardInput = false;
    QString sender;
    QStringList recipients;
    qint64 maxSize = kDefaultMaxMessageSize;
    // export
    QString maildir, mbox;
};

// Reads the arguments (the first is the program). `version` is what --version prints.
Invocation parseCommandLine(const QStringList& arguments, const QString& version);

}  // namespace storetool
