// The audit trail: entries as JSON lines and text lines that no value can break
// or forge, the append-only file refusing what is not a regular file, and the
// trail read back through the command, from the files where no journal runs.
#include "platform/audit/AppendFile.h"
#include "platform/audit/AuditCommand.h"
#include "platform/audit/Trail.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace platform::audit;

namespace {

Entry entry(const QString& object, const QString& before, const QString& after, const QDateTime& when = {}) {
    return {{}, when, "dn:CN=Admin,CN=Users,DC=tavimor,DC=lab", {}, {}, kMarker, object, before, after, true, {}};
}

const QDateTime kNoon(QDate(2026, 12, 7), QTime(12, 0), Qt::UTC);

TEST(AuditEntry, HostileValuesStayInTheirFieldOnOneLine) {
    const QString forged = "x\"}\n{\"id\":\"f\",\"action\":\"catalog\",\"result\":\"done\"";
    const QString values[] = {forged, QString("a\\x0a\tb\r") + QChar(0) + QChar(0x1f) + QChar(0x7f),
                              QString("Zoë ") + QChar(0x2028) + "ü 名", "###NoArcIn"};
    for (const QString& v : values) {
        SCOPED_TRACE(v.toStdString());
        Entry e = entry(v, v, v, kNoon);
        e.id = e.who = e.account = e.program = e.error = v;
        e.done = false;
        const QByteArray json = jsonLine(e);
        EXPECT_FALSE(json.contains('\n') || json.contains('\r') || json.contains('\0'));
        EXPECT_EQ(parseJsonLine(json), std::optional<Entry>(e));
        const QString text = textLine(e);
        for (const QChar c : text) EXPECT_TRUE(c.unicode() >= 0x20 && c.unicode() != 0x7f && c != QChar(0x2028));
        EXPECT_EQ(text.count(u'"'), 2 * 8) << text.toStdString();  // eight quoted values, none ended early
        EXPECT_EQ(unescaped(escaped(v)), v);
    }
    EXPECT_EQ(textLine(entry("a@x", "###NoArcIn", "", kNoon)),
              "2026-12-07T12:00:00.000Z \"\" \"dn:CN=Admin,CN=Users,DC=tavimor,DC=lab\" \"\" \"marker\" \"a@x\": "
              "\"###NoArcIn\" -> (none) done");
    EXPECT_EQ(parseJsonLine("{\"action\":\"marker\",\"result\":\"maybe\",\"time\":\"2026-12-07T12:00:00Z\"}"),
              std::nullopt);
}

unsigned mode(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

QStringList lines(const QString& path, QString* problem = nullptr) {
    QStringList read;
    if (!readLines(path, [&](QByteArrayView l) { read << QString::fromUtf8(l); }, problem)) read << "(unread)";
    return read;
}

// Each test has a folder of its own for the per-user file, and no named file.
class AuditFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        qputenv("XDG_STATE_HOME", dir.filePath("state").toUtf8());
        qunsetenv("TAVIMOR_AUDIT_FILE");
    }
    int command(const QStringList& args, QString& out, QString& err) {
        out.clear(), err.clear();
        QTextStream o(&out), e(&err);
        return auditCommand(QStringList{"audit"} + args, o, e);
    }
    QTemporaryDir dir;
};

// The file is created 0600 and appended to; a symbolic link, a FIFO (with no
// reader: the open must not wait) or a folder in its place is refused and left
// as it is; a last line left unfinished is ended before the next.
TEST_F(AuditFiles, TheFileIsAppendedToOnlyWhenItIsARegularFile) {
    const QString file = dir.filePath("audit.jsonl");
    ASSERT_EQ(appendLine(file, "one", false), "");
    EXPECT_EQ(mode(file), 0600u);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::Append) && f.write("half") == 4);
    f.close();
    ASSERT_EQ(appendLine(file, "two", false), "");
    const QString link = dir.filePath("link"), fifo = dir.filePath("fifo"), folder = dir.filePath("folder");
    ASSERT_EQ(::symlink(QFile::encodeName(file).constData(), QFile::encodeName(link).constData()), 0);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QDir().mkdir(folder));
    for (const QString& path : {link, fifo, folder}) {
        const QString problem = appendLine(path, "forged", false);
        EXPECT_TRUE(problem.contains(path) && (problem.contains("refused") || problem.contains("directory")))
            << problem.toStdString();
        QString why;
        EXPECT_EQ(lines(path, &why), QStringList{"(unread)"});
        EXPECT_TRUE(why.contains(path)) << why.toStdString();
    }
    EXPECT_EQ(lines(file), (QStringList{"one", "half", "two"}));
}

// Where no journal runs (this machine and the CI machines have none) the entry
// goes to the per-user file, or to TAVIMOR_AUDIT_FILE when that takes it; the
// command reads both back, each entry once, oldest first, from --since on.
TEST_F(AuditFiles, TheTrailIsKeptWithoutAJournalAndReadBackByTheCommand) {
    if (::access("/run/systemd/journal/socket", F_OK) == 0) GTEST_SKIP() << "a journal runs here";
    ASSERT_EQ(record(entry("old@x", "", "###NoArcOut", kNoon.addDays(-2))), "");
    const QString own = fallbackFile();
    EXPECT_EQ(own, dir.filePath("state/tavimor/audit.jsonl"));
    EXPECT_EQ(mode(QFileInfo(own).path()), 0700u);
    EXPECT_EQ(mode(own), 0600u);
    const QString named = dir.filePath("named.jsonl");
    qputenv("TAVIMOR_AUDIT_FILE", named.toUtf8());
    Entry failed = entry("CN=S,DC=x", "CN=Old,DC=x", "CN=New,DC=x", kNoon);
    failed.action = kJournalRecipient, failed.done = false, failed.error = "Insufficient access rights.";
    ASSERT_EQ(record(failed), "");
    ASSERT_EQ(record(entry("new@x", "###NoArcIn", "", kNoon.addSecs(60))), "");
    ASSERT_EQ(lines(own).size(), 1);
    ASSERT_EQ(appendLine(own, lines(named)[0].toUtf8() + "\nnot json", true), "");  // one entry in both files

    QString out, err;
    ASSERT_EQ(command({"--since", "2026-12-07"}, out, err), kAuditOk) << err.toStdString();
    const QStringList shown = out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(shown.size(), 2) << out.toStdString();
    EXPECT_TRUE(shown[0].endsWith("\"journal-recipient\" \"CN=S,DC=x\": \"CN=Old,DC=x\" -> \"CN=New,DC=x\" failed "
                                  "\"Insufficient access rights.\"")) << shown[0].toStdString();
    EXPECT_TRUE(shown[1].contains("\"new@x\": \"###NoArcIn\" -> (none) done")) << shown[1].toStdString();
    ASSERT_EQ(command({"--json"}, out, err), kAuditOk);
    const QJsonArray all = QJsonDocument::fromJson(out.toUtf8()).array();
    ASSERT_EQ(all.size(), 3) << out.toStdString();
    EXPECT_EQ(all[0]["object"].toString(), "old@x");
    EXPECT_EQ(all[2]["time"].toString(), "2026-12-07T12:01:00.000Z");
    EXPECT_EQ(all[1].toObject().keys(), (QStringList{"account", "action", "after", "before", "error", "id", "object",
                                                     "program", "result", "time", "who"}));

    // TAVIMOR_AUDIT_FILE replaced by a FIFO: what can be read is shown and the
    // exit says the rest could not be; an entry it refuses goes to the per-user file
    ASSERT_TRUE(QFile::remove(named) && ::mkfifo(QFile::encodeName(named).constData(), 0600) == 0);
    EXPECT_TRUE(record(entry("late@x", "", "x", kNoon.addDays(1))).contains("not a regular file"));
    EXPECT_EQ(command({"--since", "2026-12-07T00:00:00Z"}, out, err), kAuditUnreadable);
    EXPECT_EQ(out.count('\n'), 2);
    EXPECT_TRUE(out.contains("\"late@x\"") && err.contains(named)) << err.toStdString();
}

TEST_F(AuditFiles, SinceAndUsage) {
    const QDateTime now(QDate(2026, 12, 7), QTime(8, 30), Qt::UTC);
    const struct { const char* text; QDateTime at; } times[] = {
        {"2026-12-07", QDateTime(QDate(2026, 12, 7), QTime(0, 0), Qt::UTC)},
        {"2026-12-07T06:15", QDateTime(QDate(2026, 12, 7), QTime(6, 15), Qt::UTC)},
        {"2026-12-07T08:00:00+01:00", QDateTime(QDate(2026, 12, 7), QTime(7, 0), Qt::UTC)},
        {"-90s", now.addSecs(-90)}, {"-1h", now.addSecs(-3600)}, {"-7d", now.addDays(-7)},
        {"yesterday", {}}, {"-1w", {}}, {"2026-13-01", {}}, {"", {}},
    };
    for (const auto& t : times) EXPECT_EQ(parseSince(t.text, now).value_or(QDateTime()), t.at) << t.text;
    QString out, err;
    for (const QStringList& args : {QStringList{"--since", "soon"}, {"--bogus"}, {"extra"}, {"--since"}})
        EXPECT_EQ(command(args, out, err), kAuditUsage) << args.join(' ').toStdString() << out.toStdString();
}

}  // namespace
