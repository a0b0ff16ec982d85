#include "storetool/CommandLine.h"

#include "storetool/ExitStatus.h"

#include <QCommandLineParser>

namespace storetool {
namespace {

const char* kOverview =
    "Usage: tavimor-store <command> [options]\n"
    "The Exchange store's administration tool.\n\n"
    "Commands:\n"
    "  ls URL                   name, content class and subject of each visible item of a folder\n"
    "  show [--mime] URL        one item's properties, then its MIME text\n"
    "  deliver                  journal a message: made up from options, or read from standard input\n"
    "  export URL               write the reports of a journal folder to a Maildir or an mbox file\n\n"
    "URL: a store URL (file://./backofficestorage/... or http://server/exadmin/...), or a path\n"
    "below the domain folder of the store (mbx/journal.archive/Inbox).\n"
    "Options: -h, --help (also after a command), -v, --version.\n";

Invocation finish(int status, const QString& text) {
    Invocation out;
    out.status = status;
    out.text = text.endsWith(QLatin1Char('\n')) ? text : text + QLatin1Char('\n');
    return out;
}

Invocation usage(const QString& problem) {
    return finish(exits::Usage, QStringLiteral("tavimor-store: %1\nTry 'tavimor-store --help'.").arg(problem));
}

// Each value of a repeated option, split at commas.
QStringList addresses(const QStringList& values) {
    QStringList out;
    for (const QString& v : values)
        for (const QString& a : v.split(QLatin1Char(',')))
            if (!a.trimmed().isEmpty()) out << a.trimmed();
    return out;
}

QString helpOf(QCommandLineParser& p, const QString& command, const QString& description) {
    QString text = p.helpText();
    // The first line names the program as it was started; name the command.
    const qsizetype end = text.indexOf(QLatin1Char('\n'));
    const qsizetype opts = text.indexOf(QLatin1String(" [options]"));
    text.replace(0, opts >= 0 && opts < end ? opts : end, QStringLiteral("Usage: tavimor-store ") + command);
    return text + description;
}

}  // namespace

Invocation parseCommandLine(const QStringList& arguments, const QString& version) {
    const QString first = arguments.value(1);
    if (first.isEmpty()) return usage(QStringLiteral("no command"));
    if (first == QLatin1String("--help") || first == QLatin1String("-h")) return finish(exits::Ok, QLatin1String(kOverview));
    if (first == QLatin1String("--version") || first == QLatin1String("-v"))
        return finish(exits::Ok, QStringLiteral("tavimor-store ") + version);

    QCommandLineParser p;
    p.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    p.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    p.addOption(help);
    QStringList once;  // options that take one value only
    auto value = [&](const QStringList& names, const char* text, const char* valueName, bool repeats = false) {
        p.addOption(QCommandLineOption(names, QString::fromLatin1(text), QString::fromLatin1(valueName)));
        if (!repeats) once << names.last();
    };
    Invocation out;
    QString description;
    if (first == QLatin1String("ls") || first == QLatin1String("show")) {
        out.command = first == QLatin1String("ls") ? Invocation::Ls : Invocation::Show;
        p.addPositionalArgument(QStringLiteral("URL"), QStringLiteral("The folder or item."));
        if (out.command == Invocation::Show)
            p.addOption({QStringLiteral("mime"), QStringLiteral("Print the MIME text exactly as stored, nothing else.")});
    } else if (first == QLatin1String("deliver")) {
        out.command = Invocation::Deliver;
        value({QStringLiteral("from")}, "The sender of a made-up message.", "ADDR");
        value({QStringLiteral("to")}, "Recipients (comma-separated; the option may repeat).", "ADDR", true);
        value({QStringLiteral("cc")}, "Cc recipients, as --to.", "ADDR", true);
        value({QStringLiteral("bcc")}, "Bcc recipients, as --to.", "ADDR", true);
        value({QStringLiteral("subject")}, "The subject of the made-up message.", "TEXT");
        value({QStringLiteral("count")}, "How many made-up messages to deliver.", "N");
        value({QStringLiteral("f"), QStringLiteral("sender")}, "The envelope sender of the message on standard input.",
              "SENDER");
        value({QStringLiteral("max-size")}, "Above this size only the headers are journaled (default 67108864).",
              "BYTES");
        p.addPositionalArgument(QStringLiteral("RECIPIENT"), QStringLiteral("Envelope recipients of the message on "
                                                                            "standard input."),
                                QStringLiteral("[--] RECIPIENT..."));
        description = QStringLiteral(
            "\nWith -f, the message (RFC 5322) comes on standard input and its envelope on the command line,\n"
            "as a mail transfer agent hands it over: tavimor-store deliver -f SENDER -- RECIPIENT... < message\n"
            "Exit status (sysexits.h): 0 every report stored, 64 usage, 65 not a message, 75 the store or the\n"
            "directory cannot be reached (try again), 77 access denied, 70 other failures.\n");
    } else if (first == QLatin1String("export")) {
        out.command = Invocation::Export;
        p.addPositionalArgument(QStringLiteral("URL"), QStringLiteral("The journal folder."));
        value({QStringLiteral("maildir")}, "Write each report as a file of this Maildir (made when missing).", "DIR");
        value({QStringLiteral("mbox")}, "Append the reports to this mbox file (mboxrd).", "FILE");
        description = QStringLiteral("\nReports already in the Maildir or mbox are not written again.\n");
    } else {
        return usage(QStringLiteral("unknown command %1").arg(first));
    }

    if (!p.parse(QStringList{arguments.value(0)} + arguments.mid(2))) return usage(first + QStringLiteral(": ") + p.errorText());
    if (p.isSet(help)) return finish(exits::Ok, helpOf(p, first, description));
    for (const QString& name : once)
        if (p.values(name).size() > 1) return usage(QStringLiteral("%1: --%2 may be given once").arg(first, name));
    const QStringList positional = p.positionalArguments();
    if (out.command != Invocation::Deliver) {
        if (positional.size() != 1) return usage(first + QStringLiteral(" takes one URL"));
        out.url = positional[0];
        out.mime = out.command == Invocation::Show && p.isSet(QStringLiteral("mime"));
        if (out.command == Invocation::Export) {
            out.maildir = p.value(QStringLiteral("maildir"));
            out.mbox = p.value(QStringLiteral("mbox"));
            if (out.maildir.isEmpty() == out.mbox.isEmpty())
                return usage(QStringLiteral("export needs one --maildir DIR or --mbox FILE"));
        }
        return out;
    }

    const bool made = p.isSet(QStringLiteral("from")) || p.isSet(QStringLiteral("to")) || p.isSet(QStringLiteral("cc")) ||
                      p.isSet(QStringLiteral("bcc")) || p.isSet(QStringLiteral("subject")) ||
                      p.isSet(QStringLiteral("count"));
    out.standardInput = p.isSet(QStringLiteral("sender")) || !positional.isEmpty();
    if (made && out.standardInput)
        return usage(QStringLiteral("deliver takes either -f SENDER and recipients or --from/--to, not both"));
    if (out.standardInput) {
        if (!p.isSet(QStringLiteral("sender"))) return usage(QStringLiteral("deliver: -f SENDER is missing"));
        if (positional.isEmpty()) return usage(QStringLiteral("deliver: no envelope recipient"));
        out.sender = p.value(QStringLiteral("sender")).trimmed();
        out.recipients = addresses(positional);
        bool ok = true;
        if (p.isSet(QStringLiteral("max-size"))) out.maxSize = p.value(QStringLiteral("max-size")).toLongLong(&ok);
        if (!ok || out.maxSize < 1) return usage(QStringLiteral("--max-size needs a positive number"));
        return out;
    }
    if (p.isSet(QStringLiteral("max-size"))) return usage(QStringLiteral("--max-size goes with -f"));
    out.from = p.value(QStringLiteral("from")).trimmed();
    out.to = addresses(p.values(QStringLiteral("to")));
    out.cc = addresses(p.values(QStringLiteral("cc")));
    out.bcc = addresses(p.values(QStringLiteral("bcc")));
    out.subject = p.isSet(QStringLiteral("subject")) ? p.value(QStringLiteral("subject")) : QStringLiteral("Test message");
    bool ok = true;
    if (p.isSet(QStringLiteral("count"))) out.count = p.value(QStringLiteral("count")).toInt(&ok);
    if (out.from.isEmpty()) return usage(QStringLiteral("deliver: --from is missing"));
    if (out.to.isEmpty() && out.cc.isEmpty() && out.bcc.isEmpty())
        return usage(QStringLiteral("deliver: no recipient (--to, --cc or --bcc)"));
    if (!ok || out.count < 1) return usage(QStringLiteral("--count needs a positive number"));
    return out;
}

}  // namespace storetool
