#include "app/InstallForm.h"
#include "app/MessageBoxPrompt.h"
#include "app/ServerChooserDialog.h"
#include "app/Wiring.h"
#include "platform/system/SystemProbes.h"
#include "startup/ServerChoice.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <cstdio>

namespace {

constexpr int kUsageError = 2;

struct CommandLine {
    QCommandLineParser parser;
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the program's version and exit.")};
    QCommandLineOption server{QStringLiteral("server"),
                              QStringLiteral("The Exchange server to manage, by its short or DNS name. Default: "
                                             "TAVIMOR_SERVER, else this computer."),
                              QStringLiteral("NAME")};
    CommandLine() {
        parser.setApplicationDescription(
            QStringLiteral("Chooses per user which mail an Exchange mailbox store journals."));
        parser.addOptions({help, version, server});
    }
    // What is wrong with options that parsed, "" when nothing.
    QString misuse() const {
        if (!parser.positionalArguments().isEmpty())
            return QStringLiteral("unexpected argument '%1'.").arg(parser.positionalArguments().first());
        if (parser.isSet(server) && parser.value(server).trimmed().isEmpty())
            return QStringLiteral("--server needs a server's name.");
        return {};
    }
};

QStringList argumentList(int argc, char** argv) {
    QStringList list;
    for (int i = 0; i < argc; ++i) list << QString::fromLocal8Bit(argv[i]);
    return list;
}

void print(FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fflush(to);
}

int usageError(const QString& text) {
    print(stderr, QStringLiteral("tavimor: ") + text + QStringLiteral("\nTry 'tavimor --help'.\n"));
    return kUsageError;
}

// --help and --version answer without a window system; the help's usage line
// names the program as a core application is called.
int answerAndExit(CommandLine& line) {
    int argc = 1;
    char name[] = "tavimor";
    char* argv[] = {name, nullptr};
    QCoreApplication core(argc, argv);
    if (line.parser.isSet(line.help))
        print(stdout, line.parser.helpText());
    else
        print(stdout, QStringLiteral("tavimor " TAVIMOR_VERSION "\n"));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // The program's own options are read before any window system is asked for.
    CommandLine line;
    const bool understood = line.parser.parse(argumentList(argc, argv));
    if (line.parser.isSet(line.help) || line.parser.isSet(line.version)) return answerAndExit(line);
    if (understood && !line.misuse().isEmpty()) return usageError(line.misuse());

    QApplication application(argc, argv);
    // The application object has taken the window system's own options (-platform,
    // -display, ...) off the command line; whatever else is left must be ours.
    if (!understood && !line.parser.parse(QApplication::arguments())) return usageError(line.parser.errorText());
    if (!line.misuse().isEmpty()) return usageError(line.misuse());

    QApplication::setApplicationName(QStringLiteral("Tavimor"));
    // The desktop entry and icon the package installs, for the task bar and the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("tavimor"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("tavimor")));

    const auto probes = platform::system::makeHostProbes();
    app::MessageBoxPrompt prompt;
    app::InstallForm form(*probes, prompt);
    app::DialogServerChooser chooser(&form);
    app::wireSubsystems(form, {startup::requestedServer(line.parser.value(line.server)), &chooser});
    form.Form_Load();
    form.show();
    return application.exec();
}
