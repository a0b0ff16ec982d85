#pragma once
// The commands of tavimorctl as a table: a command is one entry (its name, the
// arguments shown in its usage, what it does, its options and its run). Every
// command takes --server and --help; the changes take --dry-run and --shared.

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <vector>

namespace ctl {

class CtlPrompt;
class Session;

// What a command runs with: its parsed command line (positional arguments
// without the command's name), the output streams, and the session that runs
// the window's machinery (made on first use).
struct Invocation {
    const QCommandLineParser& parser;
    QStringList args;
    QTextStream& out;
    QTextStream& err;
    CtlPrompt& prompt;
    std::function<Session&()> session;
};

inline const QString kStoreHelp =
    QStringLiteral("STORE: the store's distinguished name, \"Storage group/Store\", or its name when no other store has it.");

struct Command {
    QString name;
    QString arguments;  // shown in the usage line, e.g. "STORE"
    QString summary;
    QString argumentsHelp;  // what the arguments are, for --help
    int minArgs = 0;
    int maxArgs = 0;
    bool changes = false;  // takes --dry-run and --shared
    std::function<void(QCommandLineParser&)> options;
    std::function<int(Invocation&)> run;
};

// Every command, in the order --help lists them.
const std::vector<Command>& commands();

// The read commands and the change commands (Reads.cpp, Changes.cpp).
std::vector<Command> readCommands();
std::vector<Command> changeCommands();

// Runs tavimorctl with its arguments (the program's name first); answers the exit code.
int run(const QStringList& arguments, QTextStream& out, QTextStream& err);

}  // namespace ctl
