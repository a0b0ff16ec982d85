// Journaling 10,000 reports with the sink active, beside the same 10,000
// deliveries into a journal folder without a registration item, in the same run
// and in alternating blocks. The parties are users of one mailbox store with
// mixed markers (the lab's marker users and generated users); while the bench
// runs that store journals into Journal Archive, whose inbox holds the
// registration. Prints details, then one line:
//   journal: ours=SECONDS baseline=SECONDS ratio=R peak_mb=M
// Exits 2 when the lab is not available.
//
// `bench_journal --case mime|recipients` instead measures the sink alone (no lab:
// a directory that knows nobody) on one large report: 36 MB with 1,000,000 MIME
// parts in the original, or 15,000 recipients. Prints
//   journal-CASE: seconds=S peak_mb=M verdict=keep|drop

#include "BenchSupport.h"
#include "journal/JournalReport.h"
#include "platform/complus/Catalog.h"
#include "platform/directory/Directory.h"
#include "platform/directory/Session.h"
#include "platform/store/Store.h"
#include "lab/store/StoreBuilder.h"
#include "sink/Journaler.h"
#include "store/Registration.h"
#include "storetool/Delivery.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <optional>

namespace {

constexpr int kReports = 10000;
constexpr int kBlock = 500;

int unavailable(const QString& why) {
    std::fprintf(stderr, "journal: the lab is not available: %s\n", qPrintable(why));
    return 2;
}

namespace dir = platform::directory;

QString sinkLibrary() {
    return QFileInfo(QFileInfo("/proc/self/exe").symLinkTarget()).path() + "/Tavimor.so";
}

// A directory that knows nobody, and a log that keeps nothing.
struct Nobody : sink::Services, sink::Log {
    sink::Status findAddress(const QString&, sink::DirObject&) override { return sink::Status::NotFound; }
    sink::Status findDn(const QString&, sink::DirObject&) override { return sink::Status::NotFound; }
    sink::Status journalRecipient(const QString&, QString&) override { return sink::Status::NotFound; }
    sink::Status groupMembers(const QString&, std::vector<sink::DirObject>&) override { return sink::Status::NotFound; }
    sink::Status directoryStamp(QString& s) override { return s = "1", sink::Status::Ok; }
    sink::Status mailboxInbox(const QString&, QString&) override { return sink::Status::NotFound; }
    sink::Status publicFolder(const QString&, QString&) override { return sink::Status::NotFound; }
    sink::Status outboundQueue(QString&) override { return sink::Status::NotFound; }
    sink::Status saveItem(const QString&, const std::vector<sink::Property>&, QString&) override { return sink::Status::Failed; }
    void info(const QString&) override {}
    void error(const QString&) override {}
};

int largeReport(const QString& which) {
    journal::Envelope e{"someone@example.org", "Large", "<large@tavimor.lab>", {"reader@example.org"}, {}, {}};
    QByteArray original = "From: someone@example.org\r\nSubject: Large\r\nMIME-Version: 1.0\r\n";
    if (which == "mime") {
        original += "Content-Type: multipart/mixed; boundary=\"p\"\r\n\r\n";
        original.reserve(37 * 1000 * 1000);
        for (int i = 0; i < 1000000; ++i) original += "--p\r\nContent-Type: text/plain\r\n\r\nx\r\n";
        original += "--p--\r\n";
    } else if (which == "recipients") {
        e.to.clear();
        for (int i = 0; i < 15000; ++i) e.to << QString("reader%1@example.org").arg(i);
        original += "\r\nFigures.\r\n";
    } else {
        std::fprintf(stderr, "journal: unknown case %s\n", qPrintable(which));
        return 2;
    }
    // The report as the store hands it to the sink, written around the original
    // as it is (the original is not parsed to write it).
    const QByteArray mime = "From: Journaling Agent <postmaster@tavimor.lab>\r\nTo: journal.archive@tavimor.lab\r\n"
                            "Subject: Large\r\nX-MS-Journal-Report: \r\nMIME-Version: 1.0\r\n"
                            "Content-Type: multipart/mixed; boundary=\"r\"\r\n\r\n--r\r\n"
                            "Content-Type: text/plain; charset=utf-8\r\n\r\n" + journal::envelopeText(e).toUtf8() +
                            "\r\n--r\r\nContent-Type: message/rfc822\r\n\r\n" + original + "\r\n--r--\r\n";
    original.clear();
    original.squeeze();
    sink::SaveEvent event;
    event.itemUrl = "file://./backofficestorage/tavimor.lab/mbx/journal.archive/Inbox/large.eml";
    event.folderOwner = "journal.archive";
    for (const auto& p : journal::reportProperties(e, mime)) event.item.push_back({p.name, p.type, p.value});
    Nobody nobody;
    QElapsedTimer t;
    t.start();
    const sink::Verdict v = sink::journal(event, nobody, nobody);
    std::printf("journal-%s: %.1f MB, seconds=%.3f peak_mb=%.0f verdict=%s\n", qPrintable(which), mime.size() / 1e6,
                t.nsecsElapsed() / 1e9, bench::peakMb(), v == sink::Verdict::Keep ? "keep" : "drop");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--case") return largeReport(QString::fromLocal8Bit(argv[2]));
    QTemporaryDir tmp;
    qputenv("TAVIMOR_STORE_ROOT", tmp.filePath("store").toUtf8());
    qputenv("TAVIMOR_COMPLUS_CATALOG", tmp.filePath("complus/catalog.db").toUtf8());
    try {
        const QString base = dir::Session::get(false, QString())->rootDse().defaultNamingContext;
        auto one = [&](const QString& filter, const QString& attr) {
            const auto rows = dir::search(QString(), base, dir::Scope::Subtree, filter, {attr});
            return rows.empty() ? QString() : rows.front().value(attr).toString();
        };
        const QString journalDn = one("(&(cn=Journal Archive)(mail=*))", "distinguishedName");
        const QString store = one("(mailNickname=marker.in)", "homeMDB");
        if (journalDn.isEmpty() || store.isEmpty()) return unavailable("no Journal Archive or marker users");

        // Parties: the marker users and generated users of that store.
        QStringList pool;
        for (const auto& r : dir::search(QString(), base, dir::Scope::Subtree,
                                         "(&(homeMDB=" + dir::escapeFilterValue(store) + ")(mail=*)(mailNickname=marker.*))",
                                         {"mail"}))
            pool << r.value("mail").toString();
        const int markerUsers = pool.size();
        int generated = 0;
        for (const auto& r : dir::search(QString(), base, dir::Scope::Subtree,
                                         "(&(homeMDB=" + dir::escapeFilterValue(store) + ")(mail=*)(sn=*))", {"mail"})) {
            if (generated++ >= 11) break;
            pool << r.value("mail").toString();
        }
        if (pool.size() < 10) return unavailable("too few users on " + store);
        const bench::Borrowed journaling(store, "msExchMessageJournalRecipient", journalDn);

        platform::store::createStore("tavimor.lab");
        {
            lab::StoreBuilder b("tavimor.lab");
            b.ensureMailbox("journal.archive");
            b.ensureMailbox("baseline.archive");
            b.commit();
        }
        bench::installSink(sinkLibrary());
        auto env = storetool::StoreEnvironment::open(true);
        store::CreateRegItem(env->context(), journalDn, QString(), false);
        if (!store::CheckRegItem(env->context(), journalDn, false)) return unavailable("the registration was not made");

        const QString ours = "file://./backofficestorage/tavimor.lab/mbx/journal.archive/Inbox";
        const QString baseline = "file://./backofficestorage/tavimor.lab/mbx/baseline.archive/Inbox";
        storetool::Deliverer deliverer(*env);
        double tOurs = 0, tBase = 0;
        int kept = 0;
        for (int start = 0; start < kReports; start += kBlock) {
            for (const QString& folder : {baseline, ours}) {
                QElapsedTimer t;
                t.start();
                for (int i = start; i < start + kBlock; ++i) {
                    journal::Envelope e;
                    e.sender = pool[i % pool.size()];
                    // every ordered pair of parties comes up about equally often
                    e.to = {pool[(i / pool.size() + i) % pool.size()]};
                    if (i % 3 == 0) e.cc = {"partner@example.com"};
                    e.subject = QString("Report %1").arg(i);
                    e.messageId = QString("<bench.%1@tavimor.lab>").arg(i);
                    const QByteArray original = journal::composeMessage(e.sender, e.to, e.cc, e.subject, e.messageId, "Figures.\n");
                    const auto saved = deliverer.saveInto(folder, "journal.archive@tavimor.lab", e, original);
                    if (folder == ours) kept += saved.kept;
                }
                (folder == ours ? tOurs : tBase) += t.nsecsElapsed() / 1e9;
            }
        }
        std::printf("journal: %d reports each way; parties %d (%d marker users); sink kept %d, dropped %d\n", kReports,
                    int(pool.size()), markerUsers, kept, kReports - kept);
        bench::report("journal", tOurs, tBase);
        return 0;
    } catch (const platform::ComError& e) {
        return unavailable(e.description());
    }
}
