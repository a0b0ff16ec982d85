#include "milter/MessageBuffer.h"

#include "journal/JournalReport.h"

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
    return journal::headersAndNote(headers_ + "\r\n", seen_, limit_);
}

QString envelopeAddress(const char* argument) {
    QString a = QString::fromUtf8(argument ? argument : "").trimmed();
    if (a.startsWith(QLatin1Char('<')) && a.endsWith(QLatin1Char('>'))) a = a.mid(1, a.size() - 2);
    return a;
}

}  // namespace milter
