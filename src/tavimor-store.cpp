// tavimor-store: the store's administration tool, as ldapsearch is the directory's.
//   tavimor-store ls URL
//   tavimor-store show URL
//   tavimor-store deliver --from ADDR --to ADDR[,ADDR...] [--cc ...] [--bcc ...] [--subject S] [--count N]
// It uses the program's environment: TAVIMOR_STORE_ROOT, TAVIMOR_COMPLUS_CATALOG
// and the directory variables (LDAPURI, LDAPBINDDN, TAVIMOR_BIND_PASSWORD_FILE).

#include "platform/ComError.h"
#include "storetool/Delivery.h"
#include "storetool/Listing.h"

#include <QCoreApplication>
#include <QMap>
#include <QTextStream>

#include <csignal>
#include <cstdio>

namespace {

const char* kUsage =
    "usage: tavimor-store ls URL\n"
    "       tavimor-store show URL\n"
    "       tavimor-store deliver --from ADDR --to ADDR[,ADDR...] [--cc ADDR[,...]] [--bcc ADDR[,...]]\n"
    "                             [--subject TEXT] [--count N]\n"
    "URL: a store URL (file://./backofficestorage/... or http://server/exadmin/...), or a path\n"
    "below the domain folder of the store (mbx/journal.archive/Inbox).\n";

int usage(const QString& problem) {
    QTextStream err(stderr);
    if (!problem.isEmpty()) err << "tavimor-store: " << problem << "\n";
    err << kUsage;
    return 2;
}

QStringList addresses(const QString& list) {
    QStringList out;
    for (const QString& a : list.split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (!a.trimmed().isEmpty()) out << a.trimmed();
    return out;
}

int deliver(const QMap<QString, QString>& opts, QTextStream& out) {
    storetool::Message m;
    m.from = opts.value(QStringLiteral("--from")).trimmed();
    m.to = addresses(opts.value(QStringLiteral("--to")));
    m.cc = addresses(opts.value(QStringLiteral("--cc")));
    m.bcc = addresses(opts.value(QStringLiteral("--bcc")));
    m.subject = opts.value(QStringLiteral("--subject"), QStringLiteral("Test message"));
    bool ok = true;
    const int count = opts.value(QStringLiteral("--count"), QStringLiteral("1")).toInt(&ok);
    if (m.from.isEmpty()) return usage(QStringLiteral("--from is missing"));
    if (m.to.isEmpty() && m.cc.isEmpty() && m.bcc.isEmpty()) return usage(QStringLiteral("no recipient (--to, --cc or --bcc)"));
    if (!ok || count < 1) return usage(QStringLiteral("--count needs a positive number"));

    std::unique_ptr<storetool::StoreEnvironment> env = storetool::StoreEnvironment::open(true);
    storetool::Deliverer deliverer(*env);
    int failures = 0;
    for (int i = 0; i < count; ++i) {
        const auto saved = deliverer.deliver(m);
        if (saved.empty()) out << "not journaled: no party is homed on a journaled store\n";
        for (const storetool::SavedReport& s : saved) {
            if (s.folderUrl.isEmpty()) {
                out << "failed " << s.journalDn << ": " << s.problem << "\n";
                ++failures;
            } else {
                out << (s.kept ? "kept " : "not kept ") << s.itemUrl << (s.kept ? QString() : ": " + s.problem) << "\n";
            }
        }
    }
    out.flush();
    return failures ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty() || args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h"))
        return args.isEmpty() ? usage(QStringLiteral("no command")) : (QTextStream(stdout) << kUsage, 0);
    const QString command = args.takeFirst();
    QTextStream out(stdout);
    try {
        if (command == QLatin1String("ls") || command == QLatin1String("show")) {
            if (args.size() != 1) return usage(command + QStringLiteral(" takes one URL"));
            std::unique_ptr<storetool::StoreEnvironment> env = storetool::StoreEnvironment::open(false);
            const QString url = env->urlOf(args[0]);
            for (const QString& line : command == QLatin1String("ls") ? storetool::listFolder(url) : storetool::showItem(url))
                out << line << "\n";
            return 0;
        }
        if (command == QLatin1String("deliver")) {
            QMap<QString, QString> opts;
            static const QStringList known{"--from", "--to", "--cc", "--bcc", "--subject", "--count"};
            for (int i = 0; i < args.size(); ++i) {
                if (!known.contains(args[i])) return usage(QStringLiteral("unknown option %1").arg(args[i]));
                if (i + 1 >= args.size()) return usage(QStringLiteral("%1 needs a value").arg(args[i]));
                opts.insert(args[i], args[i + 1]);
                ++i;
            }
            return deliver(opts, out);
        }
        return usage(QStringLiteral("unknown command %1").arg(command));
    } catch (const platform::ComError& e) {
        out.flush();
        QTextStream(stderr) << "tavimor-store: " << e.description() << " (0x" << platform::hexNumber(e.number()) << ")\n";
        return 1;
    } catch (const std::exception& e) {
        out.flush();
        QTextStream(stderr) << "tavimor-store: " << e.what() << "\n";
        return 1;
    }
}
