#include "ctl/Commands.h"
#include "ctl/CtlPrompt.h"
#include "ctl/Exit.h"
#include "ctl/Session.h"
#include "platform/ComError.h"

#include <memory>

namespace ctl {
namespace {

const QString kProgram = QStringLiteral("tavimorctl");

QString commandList() {
    QString text;
    for (const Command& c : commands())
        text += QStringLiteral("  %1\n      %2\n").arg((c.name + u' ' + c.arguments).trimmed(), c.summary);
    return text;
}

QString globalHelp() {
    return QStringLiteral(
               "Usage: tavimorctl COMMAND [options] [arguments]\n"
               "Per-user journaling of an Exchange server's mailbox stores from the command line: what the\n"
               "Tavimor window shows and changes, with the window's sign-in, start-up and Change.\n\n"
               "Commands:\n") +
           commandList() +
           QStringLiteral("\n`tavimorctl COMMAND --help` shows a command's options; `tavimorctl --version` the version.\n"
                          "Exit status: 0 success, 1 some writes failed, 2 usage, 3 directory unreachable, 4 refused.\n");
}

const Command* findCommand(const QString& name) {
    for (const Command& c : commands())
        if (c.name == name) return &c;
    return nullptr;
}

int usage(QTextStream& err, const QString& problem, const QString& command = QString()) {
    err << kProgram << ": " << problem << "\n"
        << "Try '" << kProgram << (command.isEmpty() ? QString() : u' ' + command) << " --help'.\n";
    return kUsage;
}

// The command's parser: its own options, the common ones, its positional arguments.
void prepare(QCommandLineParser& parser, const Command& c) {
    parser.setApplicationDescription(c.summary);
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addOption({QStringLiteral("server"),
                      QStringLiteral("The Exchange server to work on (default: TAVIMOR_SERVER, else this computer)."),
                      QStringLiteral("NAME")});
    if (c.changes) {
        parser.addOption({QStringLiteral("dry-run"), QStringLiteral("Print the plan, one step a line, and write nothing.")});
        parser.addOption({QStringLiteral("shared"),
                          QStringLiteral("When the journal mailbox is shared with other stores and holds the registration "
                                         "item: keep it as it is, or replace it with this store's settings."),
                          QStringLiteral("keep|replace")});
    }
    if (c.options) c.options(parser);
    parser.addPositionalArgument(c.name, c.argumentsHelp, (c.name + u' ' + c.arguments).trimmed());
}

int runCommand(const Command& c, const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QCommandLineParser parser;
    prepare(parser, c);
    if (!parser.parse(arguments)) return usage(err, parser.errorText(), c.name);
    if (parser.isSet(QStringLiteral("help")) || parser.isSet(QStringLiteral("help-all"))) {
        // The usage line names the program as it is installed, not the path it was started by.
        QString help = parser.helpText();
        const qsizetype end = help.indexOf(u'\n');
        help.replace(0, end, QStringLiteral("Usage: ") + kProgram + QStringLiteral(" ") + c.name + QStringLiteral(" [options]") +
                                 (c.arguments.isEmpty() ? QString() : u' ' + c.arguments));
        out << help;
        return kSuccess;
    }
    const QStringList args = parser.positionalArguments().mid(1);
    if (args.size() < c.minArgs) return usage(err, QStringLiteral("%1 needs %2").arg(c.name, c.arguments), c.name);
    if (args.size() > c.maxArgs)
        return usage(err, QStringLiteral("unexpected argument \"%1\"").arg(args.value(c.maxArgs)), c.name);

    CtlPrompt prompt;
    if (c.changes && parser.isSet(QStringLiteral("shared"))) {
        const QString answer = parser.value(QStringLiteral("shared"));
        if (answer == QLatin1String("keep"))
            prompt.setShared(CtlPrompt::Shared::Keep);
        else if (answer == QLatin1String("replace"))
            prompt.setShared(CtlPrompt::Shared::Replace);
        else
            return usage(err, QStringLiteral("--shared is keep or replace"), c.name);
    }
    std::unique_ptr<Session> session;
    Invocation inv{parser, args, out, err, prompt, [&]() -> Session& {
                       if (!session) session = std::make_unique<Session>(prompt);
                       return *session;
                   }};
    // What the directory answered only in part is named on stderr, whatever the command's end.
    const auto noteCut = [&] {
        if (session)
            for (const QString& line : session->partial()) err << kProgram << ": warning: " << line << "\n";
    };
    try {
        const int code = c.run(inv);
        noteCut();
        return code;
    } catch (const Error& e) {
        noteCut();
        out.flush();
        err << kProgram << ": " << e.message() << "\n";
        return e.code();
    } catch (const platform::ComError& e) {
        out.flush();
        err << kProgram << ": the directory could not be read: " << e.description() << "\n";
        return kUnreachable;
    } catch (const std::exception& e) {
        out.flush();
        err << kProgram << ": " << e.what() << "\n";
        return kUnreachable;
    }
}

}  // namespace

const std::vector<Command>& commands() {
    static const std::vector<Command> all = [] {
        std::vector<Command> list = readCommands();
        for (Command& c : changeCommands()) list.push_back(std::move(c));
        return list;
    }();
    return all;
}

int run(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    const QString first = arguments.value(1);
    if (first.isEmpty()) {
        err << globalHelp();
        return kUsage;
    }
    if (first == QLatin1String("--version") || first == QLatin1String("-v")) {
        out << kProgram << " " << TAVIMOR_VERSION << "\n";
        return kSuccess;
    }
    if (first == QLatin1String("--help") || first == QLatin1String("-h") || first == QLatin1String("help")) {
        if (const Command* c = findCommand(arguments.value(2)))
            return runCommand(*c, {arguments.value(0), c->name, QStringLiteral("--help")}, out, err);
        out << globalHelp();
        return kSuccess;
    }
    const Command* c = findCommand(first);
    if (!c) return usage(err, first.startsWith(u'-') ? QStringLiteral("the command comes first")
                                                     : QStringLiteral("no command \"%1\"").arg(first));
    return runCommand(*c, arguments, out, err);
}

}  // namespace ctl
