#pragma once
// One message as the MTA hands it to the milter, collected into a bounded
// buffer: the envelope sender, every envelope recipient, the header fields and
// the body. A message above the size limit keeps its headers, and its body is
// replaced by a note saying what was left out, so it is still journaled.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace milter {

class MessageBuffer {
public:
    explicit MessageBuffer(qint64 limitBytes) : limit_(limitBytes) {}

    void setSender(const QString& address) { sender_ = address; }
    void addRecipient(const QString& address) { recipients_ << address; }
    // One header field as the MTA passes it: `value` with its leading white
    // space when `leadingSpace` (libmilter's SMFIP_HDR_LEADSPC), folded lines
    // joined by a bare line feed.
    void addHeader(const QByteArray& name, const QByteArray& value, bool leadingSpace);
    void addBody(const char* data, qint64 size);

    const QString& sender() const { return sender_; }
    const QStringList& recipients() const { return recipients_; }
    qint64 size() const { return seen_; }
    bool oversize() const { return seen_ > limit_; }
    // The message as received (CRLF line ends), or, above the limit, its
    // headers (content fields renamed) and a plain-text note.
    QByteArray message() const;

private:
    qint64 limit_;
    qint64 seen_ = 0;
    QString sender_;
    QStringList recipients_;
    QByteArray headers_, body_;
};

// "<a@x>" -> "a@x"; "<>" -> "".
QString envelopeAddress(const char* argument);

}  // namespace milter
