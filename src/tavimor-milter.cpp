// tavimor-milter: journals every message the MTA is about to accept, through the
// milter protocol, the same way `tavimor-store deliver` does, and lets the MTA
// accept it only once every journal report is stored.
//   tavimor-milter -p SOCKET [-f] [-u USER] [--timeout S] [--max-size MB] [--on-failure tempfail|accept]
// It uses the program's environment: TAVIMOR_STORE_ROOT, TAVIMOR_COMPLUS_CATALOG
// and the directory variables (LDAPURI, LDAPBINDDN, TAVIMOR_BIND_PASSWORD_FILE).

#include "milter/DeliveryProcess.h"
#include "milter/DeliveryWorker.h"
#include "milter/Milter.h"
#include "milter/MilterLog.h"
#include "milter/MilterOptions.h"
#include "milter/Privileges.h"
#include "storetool/Delivery.h"

#include <QCoreApplication>

#include <csignal>
#include <cstring>
#include <cstdio>
#include <pthread.h>
#include <sysexits.h>
#include <unistd.h>

namespace {

// The store and the directory, opened on the worker thread that uses them.
milter::DeliveryWorker::Deliver openDelivery() {
    struct Live {
        std::unique_ptr<storetool::StoreEnvironment> env;
        std::unique_ptr<storetool::Deliverer> deliverer;
    };
    auto live = std::make_shared<Live>();
    live->env = storetool::StoreEnvironment::open(true);
    live->deliverer = std::make_unique<storetool::Deliverer>(*live->env);
    return [live](const storetool::RawMessage& m) { return milter::verdictOf(live->deliverer->deliver(m)); };
}

// Before going to the background: the log, and whoever started it.
int fail(int status, const QString& problem, bool foreground) {
    milter::log(milter::Severity::Error, problem);
    if (!foreground) std::fprintf(stderr, "tavimor-milter: %s\n", problem.toUtf8().constData());
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavimor-milter"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TAVIMOR_VERSION));
    // A delivery process the milter started (DeliveryProcess.h).
    if (argc == 2 && std::strcmp(argv[1], "--delivery-process") == 0) return milter::serveDeliveryProcess(openDelivery);
    // Known while the program can still read its own link.
    const QString program = QCoreApplication::applicationFilePath();
    QString problem;
    const std::optional<milter::Options> options = milter::parseOptions(app.arguments(), problem);
    if (!options) {
        std::fprintf(stderr, "tavimor-milter: %s\nTry 'tavimor-milter --help'.\n", problem.toUtf8().constData());
        return EX_USAGE;
    }
    // In the foreground the lines also go to standard error, unless that is
    // systemd's journal already.
    milter::logToStderr(options->foreground && qEnvironmentVariableIsEmpty("JOURNAL_STREAM"));
    problem = milter::becomeUnprivileged(options->user, options->userNamed);
    if (!problem.isEmpty()) return fail(EX_NOPERM, problem, options->foreground);
    problem = milter::listen(*options);
    if (!problem.isEmpty()) return fail(EX_UNAVAILABLE, problem, options->foreground);
    if (!options->foreground && ::daemon(0, 0) != 0) return fail(EX_OSERR, QStringLiteral("cannot go to the background"), false);
    // libmilter takes SIGTERM, SIGINT and SIGHUP on a thread of its own; the
    // worker must not.
    sigset_t stops;
    sigemptyset(&stops);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&stops, s);
    pthread_sigmask(SIG_BLOCK, &stops, nullptr);
    int status;
    {
        const auto limit = std::chrono::seconds(options->timeoutSeconds);
        milter::DeliveryWorker worker(milter::deliveryProcesses(program, limit), options->workers);
        milter::log(milter::Severity::Info,
                    QStringLiteral("serving on %1 (%5 worker(s), time limit %2 s, size limit %3 MB, on failure: %4)")
                        .arg(options->socket)
                        .arg(options->timeoutSeconds)
                        .arg(options->maxSizeBytes / (1024 * 1024))
                        .arg(options->acceptOnFailure ? QStringLiteral("accept unjournaled") : QStringLiteral("tempfail"))
                        .arg(options->workers));
        status = milter::serve(*options, worker);
    }
    milter::log(milter::Severity::Info, QStringLiteral("stopped"));
    return status == 0 ? EX_OK : EX_SOFTWARE;
}
