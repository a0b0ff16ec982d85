// The store tool's command line, and reports that carry the original byte for byte.

#include "journal/JournalReport.h"
#include "storetool/CommandLine.h"
#include "storetool/ExitStatus.h"

#include <gtest/gtest.h>

using storetool::Invocation;

namespace {

Invocation parse(const QString& line) {
    return storetool::parseCommandLine(QStringList{"tavimor-store"} + line.split(' ', Qt::SkipEmptyParts), "9.9");
}

TEST(StoreToolCommandLine, OptionsRepeatTakeEitherValueFormAndRefuseWhatTheyDoNotKnow) {
    Invocation a = parse("deliver --from=a@x --to b@x --to c@x,d@x --cc=e@x --bcc f@x --count=3 --subject S");
    EXPECT_EQ(a.status, -1);
    EXPECT_EQ(a.from, "a@x");
    EXPECT_EQ(a.to, (QStringList{"b@x", "c@x", "d@x"}));
    EXPECT_EQ(a.cc, QStringList{"e@x"});
    EXPECT_EQ(a.bcc, QStringList{"f@x"});
    EXPECT_EQ(a.count, 3);
    EXPECT_EQ(a.subject, "S");

    a = parse("deliver -f s@x --max-size=100 -- r@x q@x");
    EXPECT_TRUE(a.standardInput);
    EXPECT_EQ(a.sender, "s@x");
    EXPECT_EQ(a.recipients, (QStringList{"r@x", "q@x"}));
    EXPECT_EQ(a.maxSize, 100);
    EXPECT_EQ(parse("deliver -fs@x r@x").sender, "s@x");
    EXPECT_EQ(parse("export mbx/j/Inbox --maildir=/tmp/m").maildir, "/tmp/m");
    EXPECT_TRUE(parse("show --mime mbx/j/Inbox/a.eml").mime);

    for (const char* bad : {"", "frobnicate", "ls", "ls a b", "ls --mime a", "deliver --to", "deliver --from a@x",
                            "deliver --from a@x --from b@x --to c@x", "deliver --from a@x --to b@x --count=0",
                            "deliver -f s@x", "deliver r@x", "deliver -f s@x --to b@x r@x", "deliver --bogus",
                            "export u", "export u --maildir d --mbox f", "export u --maildir"})
        EXPECT_EQ(parse(bad).status, storetool::exits::Usage) << bad;
}

TEST(StoreToolCommandLine, HelpForTheToolAndEachCommandAndTheVersion) {
    EXPECT_EQ(parse("--version").text, "tavimor-store 9.9\n");
    EXPECT_TRUE(parse("--help").text.contains("export URL"));
    for (const char* command : {"ls", "show", "deliver", "export"}) {
        const Invocation a = parse(QString(command) + " --help");
        EXPECT_EQ(a.status, 0);
        EXPECT_TRUE(a.text.startsWith(QString("Usage: tavimor-store ") + command)) << a.text.toStdString();
    }
    EXPECT_TRUE(parse("deliver --help").text.contains("--max-size"));
}

// The old report writer parsed the original and wrote it back, which changed
// line ends, folded headers and 8-bit text.
TEST(JournalReportOriginal, IsEmbeddedByteForByteAndStoredExactly) {
    const QByteArray originals[] = {
        "Subject: a\r\nX-Long: folded\r\n\tline\r\n\r\nbody\r\n--not-a-boundary\r\n",
        "Subject: b\n\nno line end at the end",
        "Subject: =?iso-8859-1?q?caf=E9?=\nContent-Type: text/plain; charset=iso-8859-1\n\ncaf\xe9 " + QByteArray(1, 0) + " end\n",
    };
    for (const QByteArray& original : originals) {
        const journal::Envelope e{"a@x", "s", "<i@x>", {"b@x"}, {}, {}};
        const QByteArray report = journal::buildReport(e, original, "journal@x");
        const qsizetype at = report.indexOf(original);
        ASSERT_GT(at, 0) << original.constData();
        EXPECT_TRUE(report.mid(at + original.size()).startsWith("\n--")) << report.constData();
        EXPECT_EQ(journal::readReport(report).kind, journal::ReadReport::Read);
        QString text, octets;
        for (const auto& p : journal::reportProperties(e, report)) {
            if (p.name == journal::kMimeProperty) text = p.value;
            if (p.name == journal::kMimeOctetsProperty) octets = p.value;
        }
        EXPECT_EQ(journal::mimeBytes(text, octets), report);
    }
}

TEST(JournalReportOriginal, AnOversizeMessageLeavesItsHeadersAndANote) {
    const QByteArray head = "Subject: big\r\nContent-Type: multipart/mixed;\r\n\tboundary=\"b\"\r\nTo: a@x\r\n\r\n--b\r\n";
    const QByteArray standIn = journal::headersAndNote(head, 99999999, 1000);
    EXPECT_EQ(journal::originalHeaders(standIn).to, QStringList{"a@x"});
    // The content fields no longer describe the body: kept, renamed, folded lines and all.
    EXPECT_TRUE(standIn.startsWith("Subject: big\r\nX-Tavimor-Original-Content-Type: multipart/mixed;\r\n"
                                   "\tboundary=\"b\"\r\nTo: a@x\r\nMIME-Version: 1.0\r\n"
                                   "Content-Type: text/plain; charset=us-ascii\r\n\r\n"))
        << standIn.constData();
    EXPECT_TRUE(standIn.contains("99999999 bytes, above the journal's limit of 1000 bytes") && !standIn.contains("--b"))
        << standIn.constData();
}

}  // namespace
