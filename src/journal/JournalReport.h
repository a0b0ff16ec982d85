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
//       Sender, Subject and Message-ID come once each; no other line belongs to
//       the envelope. A value that could not stand on its line as it is (line
//       breaks or other control characters, surrounding white space, or a text
//       beginning "=?") is written as one encoded word "=?utf-8?b?<base64>?=".
//     part 2, message/rfc822: the original message, unchanged.
//
// Only a message with the X-MS-Journal-Report header, from the journaling agent
// and in this layout is a report; the reader looks at the headers and the first
// part only, never at the original.
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
// A report whose bytes are no UTF-8 text (an original in Latin-1 or binary)
// keeps them exactly here too, in Base64; kMimeProperty then holds the text
// with the bytes it cannot hold replaced (the headers and envelope are intact).
inline const QString kMimeOctetsProperty = QStringLiteral("urn:schemas:tavimor:mime-octets");

// The exact MIME bytes of a stored item from its two properties.
QByteArray mimeBytes(const QString& mimeText, const QString& mimeOctets);

struct Envelope {
    QString sender;
    QString subject;
    QString messageId;
    QStringList to, cc, bcc;  // one address each, optionally followed by ", Expanded: <group>"

    // Every recipient entry, in the order of the lines.
    QStringList recipients() const;
};

// The original message a client would have sent (plain text body).
QByteArray composeMessage(const QString& from, const QStringList& to, const QStringList& cc,
                          const QString& subject, const QString& messageId, const QString& body);

// The subject and Message-ID of a message as its author wrote them (decoded;
// "" when absent), and the addresses of its To and Cc headers (groups' members
// included), read from its header block alone.
struct OriginalHeaders {
    QString subject, messageId;
    QStringList to, cc;
};
OriginalHeaders originalHeaders(const QByteArray& message);

// What is journaled in place of a message too large to keep: the header
// fields of `head` (the message's first bytes; a field cut off at its end is
// left out), its MIME-Version and Content-* fields kept renamed
// X-Tavimor-Original-..., as they no longer describe the body, then a plain-text
// note that the message had `size` bytes, above the `limit`. Line ends follow
// the header block's.
QByteArray headersAndNote(const QByteArray& head, qint64 size, qint64 limit);

// The MIME text of a report for `original` addressed to `journalAddress`.
QByteArray buildReport(const Envelope& envelope, const QByteArray& original, const QString& journalAddress);

// What reading a stored item as a journal report found.
struct ReadReport {
    enum Kind { NotReport, Unreadable, Read } kind = NotReport;
    Envelope envelope;  // when Read
    QString problem;    // why it is no report, or why it cannot be read
};
ReadReport readReport(const QByteArray& mime);

// The envelope of a readable report; nothing otherwise.
std::optional<Envelope> readEnvelope(const QByteArray& mime);

// The envelope lines of these values (what part 1 holds), and the values of such
// lines; nothing when a line falls outside the layout.
QString envelopeText(const Envelope& envelope);
std::optional<Envelope> parseEnvelopeText(const QString& text, QString* problem = nullptr);

// The address one envelope entry names, read as an RFC 5322 address: "a@x",
// "Name <a@x>", "\"Doe, A\" <a@x>" or an encoded display name, optionally
// followed by the group note ", Expanded: g@x" or ", Forwarded: g@x". Nothing
// when the entry does not name exactly one address.
std::optional<QString> entryAddress(const QString& entry);

// The store properties of a report item (name, ADO type, value as text).
struct ReportProperty {
    QString name;
    int type;
    QString value;
};
std::vector<ReportProperty> reportProperties(const Envelope& envelope, const QByteArray& mime);

}  // namespace journal
