// tavimor-store: the store's administration tool, as ldapsearch is the directory's.
//   tavimor-store ls URL | show [--mime] URL
//   tavimor-store deliver --from ADDR --to ADDR[,ADDR...] [--cc ...] [--bcc ...] [--subject S] [--count N]
//   tavimor-store deliver -f SENDER [--max-size BYTES] -- RECIPIENT... < message
//   tavimor-store export URL --maildir DIR | --mbox FILE
// (`tavimor-store --help`, `tavimor-store COMMAND --help`.) It uses the
// program's environment: TAVIMOR_STORE_ROOT, TAVIMOR_COMPLUS_CATALOG and the
// directory variables (LDAPURI, LDAPBINDDN, TAVIMOR_BIND_PASSWORD_FILE). Exit
// statuses follow sysexits.h (storetool/ExitStatus.h).

#include "journal/JournalReport.h"
#include "platform/ComError.h"
#include "storetool/CommandLine.h"
#include "storetool/Delivery.h"
#include "storetool/ExitStatus.h"
#include "storetool/Export.h"
#include "storetool/Listing.h"
#include "storetool/StandardInput.h"

#include <QCoreApplication>
#include <QTextStream>

#include <csignal>
#include <cstdio>

namespace {

namespace exits = storetool::exits;

// Prints what each report became; the exit status: every report stored, or
// some could not be (EX_TEMPFAIL: the mail transfer agent tries again).
int report(const std::vector<storetool::SavedReport>& saved, QTextStream& out) {
    int status = exits::Ok;
    if (saved.empty()) out << "not journaled: no party is homed on a journaled store\n";
    for (const storetool::SavedReport& s : saved) {
        if (s.folderUrl.isEmpty()) {
            out << "failed " << s.journalDn << ": " << s.problem << "\n";
            status = exits::TempFail;
        } else {
            out << (s.kept ? "kept " : "not kept ") << s.itemUrl << (s.kept ? QString() : ": " + s.problem) << "\n";
        }
    }
    return status;
}

int deliver(const storetool::Invocation& a, QTextStream& out) {
    storetool::RawMessage raw;
    if (a.standardInput) {
        const storetool::InputMessage in = storetool::readMessage(stdin, a.maxSize);
        if (in.status != exits::Ok) {
            QTextStream(stderr) << "tavimor-store: " << in.problem << "\n";
            return in.status;
        }
        if (in.truncated)
            QTextStream(stderr) << "tavimor-store: the message has " << in.size << " bytes, more than " << a.maxSize
                                << "; only its headers are journaled\n";
        raw = {a.sender, a.recipients, in.truncated ? journal::headersAndNote(in.data, in.size, a.maxSize) : in.data};
    }
    std::unique_ptr<storetool::StoreEnvironment> env = storetool::StoreEnvironment::open(true);
    storetool::Deliverer deliverer(*env);
    if (a.standardInput) return report(deliverer.deliver(raw), out);
    int status = exits::Ok;
    for (int i = 0; i < a.count; ++i) status = std::max(status, report(deliverer.deliver({a.from, a.to, a.cc, a.bcc, a.subject}), out));
    return status;
}

int run(const storetool::Invocation& a, QTextStream& out) {
    if (a.command == storetool::Invocation::Deliver) return deliver(a, out);
    std::unique_ptr<storetool::StoreEnvironment> env = storetool::StoreEnvironment::open(false);
    const QString url = env->urlOf(a.url);
    if (a.command == storetool::Invocation::Export) {
        const storetool::ExportResult r =
            a.maildir.isEmpty() ? storetool::exportToMbox(url, a.mbox) : storetool::exportToMaildir(url, a.maildir);
        out << r.written << " written, " << r.present << " already there\n";
        return exits::Ok;
    }
    if (a.mime) {
        out.flush();
        const QByteArray mime = storetool::itemMime(url);
        return std::fwrite(mime.constData(), 1, mime.size(), stdout) == size_t(mime.size()) ? exits::Ok : exits::IoError;
    }
    for (const QString& line : a.command == storetool::Invocation::Ls ? storetool::listFolder(url) : storetool::showItem(url))
        out << line << "\n";
    return exits::Ok;
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    const storetool::Invocation a = storetool::parseCommandLine(app.arguments(), QStringLiteral(TAVIMOR_VERSION));
    if (a.status >= 0) {
        QTextStream(a.status == exits::Ok ? stdout : stderr) << a.text;
        return a.status;
    }
    QTextStream out(stdout);
    try {
        const int status = run(a, out);
        out.flush();
        return status;
    } catch (const platform::ComError& e) {
        out.flush();
        QTextStream(stderr) << "tavimor-store: " << e.description() << " (0x" << platform::hexNumber(e.number()) << ")\n";
        return storetool::exitStatus(e);
    } catch (const storetool::ExportFailure& e) {
        out.flush();
        QTextStream(stderr) << "tavimor-store: " << e.what() << "\n";
        return e.status;
    } catch (const std::exception& e) {
        out.flush();
        QTextStream(stderr) << "tavimor-store: " << e.what() << "\n";
        return exits::Software;
    }
}
