// tavimorctl: the command-line twin of the Tavimor window. It runs the window's
// own start-up, store tree, store load and Change without showing anything, so
// what it reads and writes is what the window reads and writes.

#include "ctl/Commands.h"

#include <QApplication>
#include <QTextStream>

#include <csignal>
#include <cstdio>

namespace {
// Qt's own notes (a missing runtime folder of the platform plugin, ...) are
// not the command's output: only critical messages reach stderr.
void qtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "tavimorctl: %s\n", qPrintable(message));
}
}  // namespace

int main(int argc, char** argv) {
    // The window's controls are made but never shown: whatever the environment
    // names, no display is used.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // A broken pipe (output into `head`) ends nothing but the write.
    std::signal(SIGPIPE, SIG_IGN);
    qInstallMessageHandler(qtMessages);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavimorctl"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = ctl::run(QApplication::arguments(), out, err);
    out.flush();
    err.flush();
    return code;
}
