// Journal reports as MIME: what is written is read back, and the original
// message travels unchanged as message/rfc822.

#include "journal/JournalReport.h"

#include <gtest/gtest.h>

namespace {

TEST(JournalReport, EnvelopeAndOriginalSurviveTheRoundTrip) {
    const journal::Envelope e{"jürgen.weiss@tavimor.lab", "Zoë's figures, part 2", "<abc.123@tavimor.lab>",
                              {"anna.abbott@tavimor.lab", "ben.hoffmann@tavimor.lab, Expanded: all-hands@tavimor.lab"},
                              {"partner@example.com"}, {"o'brien@tavimor.lab"}};
    const QByteArray original =
        journal::composeMessage(e.sender, {"anna.abbott@tavimor.lab"}, {}, e.subject, e.messageId, "Hello\n");
    const QByteArray mime = journal::buildReport(e, original, "journal.archive@tavimor.lab");

    const auto back = journal::readEnvelope(mime);
    ASSERT_TRUE(back.has_value()) << mime.constData();
    EXPECT_EQ(QStringList({back->sender, back->subject, back->messageId}), QStringList({e.sender, e.subject, e.messageId}));
    EXPECT_EQ(QList<QStringList>({back->to, back->cc, back->bcc}), QList<QStringList>({e.to, e.cc, e.bcc}));
    EXPECT_EQ(back->recipients(), QStringList({"anna.abbott@tavimor.lab", "ben.hoffmann@tavimor.lab",
                                               "partner@example.com", "o'brien@tavimor.lab"}));
    EXPECT_TRUE(mime.contains("Content-Type: message/rfc822"));
    EXPECT_TRUE(mime.contains("Message-Id: <abc.123@tavimor.lab>") || mime.contains("Message-ID: <abc.123@tavimor.lab>"));
    EXPECT_TRUE(mime.contains("X-MS-Journal-Report:"));

    // several entries on one line, display names and group notes are read too
    EXPECT_EQ(journal::entryAddress("Anna Abbott <anna.abbott@tavimor.lab>, Expanded: staff@tavimor.lab"),
              "anna.abbott@tavimor.lab");
    // an ordinary message is no report
    EXPECT_FALSE(journal::readEnvelope(original).has_value());
    EXPECT_FALSE(journal::readEnvelope("garbage without headers").has_value());
}

}  // namespace
