#pragma once
// Journal reports as the store keeps them. A report is one MIME message:
//
//   From: the journaling agent of the store (postmaster@<domain of the journal>)
//   To: the journal recipient's address
//   Subject: the original subject
//   X-MS-Journal-Report: (empty; marks the message as a journal report)
//   Content-Type: multipart/mixed
//     part 1, text/plain (UTF-8): the envelope, one line per field, as Exchange's
//       envelope journaling writes it:
//         Sender: <address>
//         Subject: <subject>
//         Message-ID: <id>
//         To: <address>            one line per recipient; a member reached
//         To: <member>, Expanded: <group>   through a group names the group
//         Cc: ...   Bcc: ...
//     part 2, message/rfc822: the original message, unchanged.
//
// The report is stored as an item of content class "urn:content-class:message"
// whose property kMimeProperty holds the whole MIME text (see reportProperties).

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace journal {

// The property that holds an item's MIME text.
inline const QString kMimeProperty = QStringLiteral("urn:schemas:tavimor:mime");

struct Envelope {
    QString sender;
    QString subject;
    QString messageId;
    QStringList to, cc, bcc;  // one address each, optionally followed by ", Expanded: <group>"

    // Every recipient address, without the group notes, in the order of the lines.
    QStringList recipients() const;
};

// The original message a client would have sent (plain text body).
QByteArray composeMessage(const QString& from, const QStringList& to, const QStringList& cc,
                          const QString& subject, const QString& messageId, const QString& body);

// The MIME text of a report for `original` addressed to `journalAddress`.
QByteArray buildReport(const Envelope& envelope, const QByteArray& original, const QString& journalAddress);

// The envelope of a report; nothing when the text is not a journal report.
std::optional<Envelope> readEnvelope(const QByteArray& mime);

// The address of one envelope entry: "a@x, Expanded: g@x" gives "a@x"; a display
// name with "<a@x>" gives "a@x".
QString entryAddress(const QString& entry);

// The store properties of a report item (name, ADO type, value as text).
struct ReportProperty {
    QString name;
    int type;
    QString value;
};
std::vector<ReportProperty> reportProperties(const Envelope& envelope, const QByteArray& mime);

}  // namespace journal
