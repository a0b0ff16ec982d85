// Mail through the lab's Postfix (lab/lab mail start) with the milter and
// without it, in one run: the same messages between users of the large lab's
// biggest mailbox store (journaled into Journal Archive while the bench runs),
// sent by several SMTP clients at once, to the port whose milter this bench
// starts with its defaults (10030 -> tavimor-milter on the lab's local socket,
// the sink installed; with MTA_SOCKET=tcp, 10027 -> the milter on 10029) and to
// the port without one (10026), in alternating blocks. The large lab's mail is
// discarded once accepted. Prints details, then one line:
//   mta: ours=SECONDS baseline=SECONDS ratio=R peak_mb=<the milter's peak RSS>
// Exits 2 when the lab or its mail is not available.

#include "BenchSupport.h"
#include "platform/complus/Catalog.h"
#include "platform/directory/Session.h"
#include "platform/store/Store.h"
#include "lab/store/StoreBuilder.h"
#include "store/Registration.h"
#include "storetool/Listing.h"
#include "storetool/StoreEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int kMessages = 2000;  // each way
constexpr int kBlock = 500;
constexpr int kClients = 4;

namespace dir = platform::directory;

int unavailable(const QString& why) {
    std::fprintf(stderr, "mta: not available: %s\n", qPrintable(why));
    return 2;
}

QString buildDir() { return QFileInfo(QFileInfo("/proc/self/exe").symLinkTarget()).path(); }

// The peak resident sets of a process and its children (the delivery
// processes), added up, in megabytes.
double peakMbOf(qint64 pid) {
    double mb = 0;
    QFile f(QString("/proc/%1/status").arg(pid));
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray& line : f.readAll().split('\n'))
            if (line.startsWith("VmHWM:")) mb += line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    for (const QFileInfo& task : QDir(QString("/proc/%1/task").arg(pid)).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children(task.filePath() + "/children");
        if (children.open(QIODevice::ReadOnly))
            for (const QByteArray& child : children.readAll().split(' '))
                if (!child.trimmed().isEmpty()) mb += peakMbOf(child.trimmed().toLongLong());
    }
    return mb;
}

// Seconds the clients took to have one block accepted on `port`; < 0 on a failure.
double sendBlock(int port, const QByteArray& plan) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start("python3", {QString(TAVIMOR_SOURCE_DIR) + "/bench/smtp_load.py", QString::number(port), QString::number(kClients)});
    p.write(plan);
    p.closeWriteChannel();
    if (!p.waitForFinished(900000) || p.exitCode() != 0) return -1;
    return p.readAllStandardOutput().trimmed().toDouble();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir tmp;
    qputenv("TAVIMOR_STORE_ROOT", tmp.filePath("store").toUtf8());
    qputenv("TAVIMOR_COMPLUS_CATALOG", tmp.filePath("complus/catalog.db").toUtf8());
    QProcess milter;
    try {
        const QString base = dir::Session::get(false, QString())->rootDse().defaultNamingContext;
        const auto journal = dir::search(QString(), base, dir::Scope::Subtree, "(&(cn=Journal Archive)(mail=*))",
                                         {"distinguishedName", "mail"});
        const QString store = bench::largestStore("LDAP://" + qEnvironmentVariable("LAB_DC_HOST"));
        if (journal.empty() || store.isEmpty()) return unavailable("no Journal Archive or no mailbox store");
        const QString journalDn = journal.front().value("distinguishedName").toString();
        QStringList pool;
        for (const auto& r : dir::search(QString(), base, dir::Scope::Subtree,
                                         "(&(homeMDB=" + dir::escapeFilterValue(store) + ")(mail=*)(sn=*))", {"mail"})) {
            pool << r.value("mail").toString();
            if (pool.size() == 500) break;
        }
        if (pool.size() < 50) return unavailable("too few users on " + store);
        const bench::Borrowed journaling(store, "msExchMessageJournalRecipient", journalDn);

        const QString domain = journal.front().value("mail").toString().section('@', 1);
        platform::store::createStore(domain);
        {
            lab::StoreBuilder b(domain);
            b.ensureMailbox("journal.archive");
            b.commit();
        }
        bench::installSink(buildDir() + "/Tavimor.so");
        {
            auto env = storetool::StoreEnvironment::open(true);
            store::CreateRegItem(env->context(), journalDn, QString(), false);
            if (!store::CheckRegItem(env->context(), journalDn, false)) return unavailable("the registration was not made");
        }

        // The milter as the lab runs it: started as root it becomes tavimor-milter.
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        const bool tcp = qEnvironmentVariable("MTA_SOCKET") == QLatin1String("tcp");
        const int port = tcp ? 10027 : 10030;
        QStringList args{"-f", "-p", tcp ? QStringLiteral("inet:10029@127.0.0.1")
                                         : "unix:" + qEnvironmentVariable("LAB_MILTER_LOCAL_SOCKET")};
        if (::geteuid() == 0) {
            QFile::copy(qEnvironmentVariable("TAVIMOR_BIND_PASSWORD_FILE"), tmp.filePath("bind.pw"));
            QFile::copy(qEnvironmentVariable("LDAPTLS_CACERT"), tmp.filePath("ca.pem"));
            e.insert("TAVIMOR_BIND_PASSWORD_FILE", tmp.filePath("bind.pw"));
            e.insert("LDAPTLS_CACERT", tmp.filePath("ca.pem"));
            QProcess::execute("chown", {"-R", "tavimor-milter:", tmp.path()});
            args << "-u" << "tavimor-milter";
        }
        milter.setProcessEnvironment(e);
        milter.setStandardOutputFile(tmp.filePath("milter.log"));
        milter.setStandardErrorFile(tmp.filePath("milter.log"), QIODevice::Append);
        milter.start(buildDir() + "/tavimor-milter", args);
        milter.waitForStarted(10000);
        QFile log(tmp.filePath("milter.log"));
        for (int i = 0; i < 200 && milter.state() != QProcess::NotRunning; ++i, QThread::msleep(100))
            if (log.open(QIODevice::ReadOnly) && log.readAll().contains("serving on")) break;
            else log.close();
        if (milter.state() != QProcess::Running || (log.close(), !log.open(QIODevice::ReadOnly)) ||
            !log.readAll().contains("serving on"))
            return unavailable("the milter did not start; it said: " + QString::fromUtf8((log.seek(0), log.readAll())));

        // The delivery process opens the store and the directory once the milter
        // serves: the blocks measure a milter that has finished starting.
        QThread::sleep(2);
        double tOurs = 0, tBase = 0;
        for (int start = 0; start < kMessages; start += kBlock) {
            for (const int to : {10026, port}) {
                QByteArray plan;
                for (int i = start; i < start + kBlock; ++i) {
                    const QString from = pool[i % pool.size()];
                    QString recipients = pool[(i * 7 + 3) % pool.size()];
                    if (i % 3 == 0) recipients += ",partner@example.com";
                    plan += QString("%1\t%2\tReport %3 %4\n").arg(from, recipients).arg(i).arg(to).toUtf8();
                }
                const double s = sendBlock(to, plan);
                if (s < 0) return unavailable(QString("SMTP on 127.0.0.1:%1 did not accept every message "
                                                      "(lab/lab mail start?)").arg(to));
                (to == port ? tOurs : tBase) += s;
            }
        }
        const double peak = peakMbOf(milter.processId());
        milter.terminate();
        milter.waitForFinished(30000);
        int kept = 0;
        for (const QString& line : storetool::listFolder("file://./backofficestorage/" + domain + "/mbx/journal.archive/Inbox"))
            kept += line.contains("urn:content-class:message");
        std::printf("mta: %d messages each way, %d SMTP clients, parties from %d users of %s; %d reports kept; "
                    "the milter on %s\n",
                    kMessages, kClients, int(pool.size()), qPrintable(store.section(',', 0, 0)), kept,
                    qPrintable(args[2]));
        std::printf("mta: ours=%.3f baseline=%.3f ratio=%.2f peak_mb=%.0f\n", tOurs, tBase, tBase > 0 ? tOurs / tBase : 0.0,
                    peak);
        return 0;
    } catch (const platform::ComError& e) {
        return unavailable(e.description());
    }
}
