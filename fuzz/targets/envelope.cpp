// Journal report envelopes: any values written into a report are read back as
// the same values, each in its own field, never as another field or another
// line; and any text read as a report is refused or read without harm.

#include "FuzzTarget.h"
#include "journal/JournalReport.h"

namespace {

QString describe(const journal::Envelope& e) {
    return QStringList{e.sender, e.subject, e.messageId, e.to.join(u'|'), e.cc.join(u'|'), e.bcc.join(u'|')}.join(
        QStringLiteral(" // "));
}

}  // namespace

TV_FUZZ_TARGET(envelope)(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    // The input as a report of its own, and as envelope lines.
    journal::readReport(bytes);
    journal::parseEnvelopeText(QString::fromUtf8(bytes));

    // The input as values: sender, subject, Message-ID, then recipients in turn
    // To, Cc, Bcc; a byte 0xFF (never in UTF-8) ends each value.
    const QList<QByteArray> parts = bytes.split('\xff');
    journal::Envelope in;
    QString* const single[] = {&in.sender, &in.subject, &in.messageId};
    QStringList* const lists[] = {&in.to, &in.cc, &in.bcc};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString value = QString::fromUtf8(parts[i]);
        if (i < 3) *single[i] = value;
        else *lists[i % 3] << value;
    }
    static const QByteArray original = journal::composeMessage(
        QStringLiteral("a@tavimor.lab"), {QStringLiteral("b@tavimor.lab")}, {}, QStringLiteral("s"),
        QStringLiteral("<m@tavimor.lab>"), QStringLiteral("body\n"));
    const QByteArray report = journal::buildReport(in, original, QStringLiteral("journal.archive@tavimor.lab"));
    const journal::ReadReport out = journal::readReport(report);
    TV_FUZZ_CHECK(out.kind == journal::ReadReport::Read, QStringLiteral("refused: ") + out.problem);
    TV_FUZZ_CHECK(describe(out.envelope) == describe(in) && out.envelope.to == in.to && out.envelope.cc == in.cc &&
                      out.envelope.bcc == in.bcc,
                  describe(in) + QStringLiteral(" came back as ") + describe(out.envelope));
}
