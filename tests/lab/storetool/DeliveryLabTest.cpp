// The store tool as a mail transfer agent runs it and as an archive tool reads
// its output: real messages on standard input, exit codes, the export.

#include "lab/storetool/JournalingFixture.h"
#include "platform/store/TestHooks.h"

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Ran {
    int status = -1;
    QByteArray out, err;
};

// Runs a program (the built tool by default) with the test's environment and
// `changes`, bounded to a minute.
Ran run(QStringList args, const QByteArray& input = {}, const QStringList& changes = {},
        QString program = TAVIMOR_BUILD_DIR "/tavimor-store") {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& c : changes) env.insert(c.section('=', 0, 0), c.section('=', 1));
    p.setProcessEnvironment(env);
    p.start(program, args);
    p.write(input);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000)) p.kill(), p.waitForFinished(5000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(), p.readAllStandardError()};
}

QByteArray sha(const QByteArray& b) { return QCryptographicHash::hash(b, QCryptographicHash::Sha256).toHex(); }

// A delivery killed while the store writes the report's properties leaves no
// report behind, not even an empty item.
TEST_F(Journaling, AReportKilledHalfwayLeavesNothing) {
    const QString folder = inbox("marker.none");
    const qsizetype before = storetool::listFolder(folder).size();
    int toParent[2];
    ASSERT_EQ(pipe(toParent), 0);
    const pid_t pid = fork();
    if (pid == 0) {
        close(toParent[0]);
        ps::testing::setFieldWriteHook([&](const QString&) {
            if (::write(toParent[1], "w", 1) != 1) _exit(3);
            for (;;) pause();
        });
        storetool::Deliverer(*env).saveInto(folder, "marker.none@tavimor.lab", {parties[0], "x", "<x@x>", {"a@x"}, {}, {}},
                                            "Subject: x\r\n\r\nx\r\n");
        _exit(2);
    }
    close(toParent[1]);
    char c = 0;
    ASSERT_EQ(read(toParent[0], &c, 1), 1);
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    close(toParent[0]);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(storetool::listFolder(folder).size(), before);
}

// Sendmail style: the envelope decides who the parties are, the message goes in unchanged.
TEST_F(Journaling, RealMessagesOnStandardInput) {
    markers(parties[1], "###NoArcOut");
    const QByteArray message = "From: " + parties[0].toUtf8() +
                               "\r\nTo: someone@example.org\r\nSubject: Figures\r\nX-Folded: a\r\n\tb\r\n\r\ncaf\xe9\r\n";
    const struct { QString sender; QStringList recipients; const char* result; QStringList bcc; } cases[] = {
        {parties[0], {"someone@example.org"}, "kept ", {}},
        {parties[1], {"someone@example.org"}, "not kept ", {}},
        {"", {"someone@example.org", parties[2]}, "kept ", {parties[2]}},  // a bounce to a Bcc recipient
        {"other@example.org", {"someone@example.org"}, "not journaled", {}},  // the From header does not count
    };
    for (const auto& c : cases) {
        const Ran r = run(QStringList{"deliver", "-f", c.sender, "--"} + c.recipients, message);
        ASSERT_EQ(r.status, 0) << r.err.constData();
        ASSERT_TRUE(r.out.startsWith(c.result)) << r.out.constData();
        if (QByteArray(c.result) != "kept ") continue;
        const QString url = QString::fromUtf8(r.out.mid(5).trimmed());
        const QByteArray report = storetool::itemMime(url);
        const qsizetype at = report.indexOf(message);
        EXPECT_TRUE(at > 0 && report.mid(at + message.size()).startsWith("\n--")) << report.constData();
        EXPECT_EQ(run({"show", "--mime", url}).out, report);
        const auto envelope = journal::readEnvelope(report);
        ASSERT_TRUE(envelope.has_value());
        EXPECT_EQ(envelope->to, QStringList{"someone@example.org"});
        EXPECT_EQ(envelope->bcc, c.bcc);
    }
    const Ran big = run({"deliver", "-f", parties[0], "--max-size=40", "x@example.org"}, message);
    ASSERT_TRUE(big.out.startsWith("kept ")) << big.err.constData();
    EXPECT_TRUE(storetool::itemMime(QString::fromUtf8(big.out.mid(5).trimmed())).contains("Only its header fields were journaled"));
    const struct { QStringList args; QByteArray input; QStringList env; int status; } failures[] = {
        {{"deliver", "-f"}, message, {}, 64},
        {{"deliver", "-f", "a@x", "b@x"}, "", {}, 66},
        {{"deliver", "-f", "a@x", "b@x"}, "\x01\x02 binary", {}, 65},
        {{"deliver", "-f", "a@x", "b@x"}, message, {"LDAPURI=ldap://127.0.0.1:9"}, 75},
        {{"deliver", "-f", "a@x", "b@x"}, message, {"TAVIMOR_STORE_ROOT=/nonexistent"}, 75},
        {{"ls", "mbx/none/Inbox"}, "", {}, 66},
    };
    for (const auto& f : failures) EXPECT_EQ(run(f.args, f.input, f.env).status, f.status) << f.args.join(' ').toStdString();
}

// Python's mailbox module reads the export, and finds each kept report as the store holds it.
TEST_F(Journaling, ExportToMaildirAndMboxReadsBackAndWritesNothingTwice) {
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(deliver(parties[i], {"someone@example.org"})[0].kept);
    const Ran raw = run({"deliver", "-f", parties[0], "x@example.org"}, "Subject: f\n\nFrom here on\n>From there\n");
    ASSERT_TRUE(raw.out.startsWith("kept ")) << raw.err.constData();
    QStringList expected;
    for (const QString& line : reports(inbox("journal.archive")))
        expected << sha(storetool::itemMime(inbox("journal.archive") + "/" + line.section('\t', 0, 0)));
    ASSERT_EQ(expected.size(), 4);
    QTemporaryDir tmp;
    const char* read =
        "import mailbox, hashlib, re, sys\n"
        "box = mailbox.Maildir(sys.argv[2], factory=None, create=False) if sys.argv[1] == 'maildir' else mailbox.mbox(sys.argv[2], create=False)\n"
        "for k in box.keys():\n"
        "    b = box.get_bytes(k)\n"
        "    print(hashlib.sha256(b if sys.argv[1] == 'maildir' else re.sub(rb'(?m)^>(>*From )', rb'\\1', b)).hexdigest())\n";
    for (const QString kind : {"maildir", "mbox"}) {
        const QString target = tmp.path() + "/archive." + kind;
        for (const char* expectOut : {"4 written, 0 already there\n", "0 written, 4 already there\n"}) {
            const Ran r = run({"export", "mbx/journal.archive/Inbox", "--" + kind, target});
            EXPECT_EQ(r.status, 0) << r.err.constData();
            EXPECT_EQ(r.out, expectOut);
        }
        QStringList got = QString::fromLatin1(run({"-c", read, kind, target}, {}, {}, "python3").out).split('\n', Qt::SkipEmptyParts);
        got.sort(), expected.sort();
        EXPECT_EQ(got, expected) << kind.toStdString();
    }
    EXPECT_EQ(QDir(tmp.path() + "/archive.maildir/new").entryList(QDir::Files).size(), 4);

    // Never through a symbolic link, into a FIFO, or into a folder others may write.
    ASSERT_EQ(::symlink("archive.mbox", QFile::encodeName(tmp.path() + "/link")), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(tmp.path() + "/fifo"), 0600), 0);
    ASSERT_TRUE(QDir(tmp.path()).mkdir("open"));
    ASSERT_EQ(::chmod(QFile::encodeName(tmp.path() + "/open"), 0777), 0);
    for (const QStringList& target : {QStringList{"--mbox", "link"}, {"--mbox", "fifo"}, {"--maildir", "link"}, {"--maildir", "open"}})
        EXPECT_EQ(run({"export", "mbx/journal.archive/Inbox", target[0], tmp.path() + "/" + target[1]}).status, 73)
            << target.join(' ').toStdString();
}

}  // namespace
