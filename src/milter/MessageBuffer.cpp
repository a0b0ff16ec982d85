#include "milter/MessageBuffer.h"

namespace milter {

namespace {

// Folded lines come joined by a bare line feed; the message uses CRLF.
QByteArray crlf(const QByteArray& text) {
    QByteArray out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

bool isContentField(const QByteArray& line) {
    const QByteArray lower = line.left(26).toLower();
    return lower.startsWith("content-type:") || lower.startsWith("content-transfer-encoding:");
}

}  // namespace

void MessageBuffer::addHeader(const QByteArray& name, const QByteArray& value, bool leadingSpace) {
    const QByteArray field = name + ':' + (leadingSpace ? QByteArray() : QByteArray(" ")) + crlf(value) + "\r\n";
    seen_ += field.size();
    if (seen_ <= limit_) headers_ += field;
}

void MessageBuffer::addBody(const char* data, qint64 size) {
    seen_ += size;
    if (seen_ <= limit_) body_.append(data, size);
    else body_.clear();
}

QByteArray MessageBuffer::message() const {
    if (!oversize()) return headers_ + "\r\n" + body_;
    // The content fields no longer describe the body: they are kept renamed.
    QByteArray kept;
    qsizetype start = 0;
    while (start < headers_.size()) {
        qsizetype end = headers_.indexOf("\r\n", start);
        while (end >= 0 && end + 2 < headers_.size() && (headers_[end + 2] == ' ' || headers_[end + 2] == '\t'))
            end = headers_.indexOf("\r\n", end + 2);
        end = end < 0 ? headers_.size() : end + 2;
        const QByteArray field = headers_.mid(start, end - start);
        kept += isContentField(field) ? "X-Tavimor-Original-" + field : field;
        start = end;
    }
    return kept + "Content-Type: text/plain; charset=us-ascii\r\n\r\n" +
           "This message was " + QByteArray::number(seen_) + " bytes, above the journal's limit of " +
           QByteArray::number(limit_) + " bytes.\r\nOnly its header fields were journaled" +
           (headers_.isEmpty() ? QByteArray(" (none fit within the limit)") : QByteArray()) + ".\r\n";
}

QString envelopeAddress(const char* argument) {
    QString a = QString::fromUtf8(argument ? argument : "").trimmed();
    if (a.startsWith(QLatin1Char('<')) && a.endsWith(QLatin1Char('>'))) a = a.mid(1, a.size() - 2);
    return a;
}

}  // namespace milter
