#include "platform/audit/Entry.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

namespace platform::audit {
namespace {

const QString kDone = QStringLiteral("done");
const QString kFailed = QStringLiteral("failed");

QString quoted(const QString& value) {
    QString out = escaped(value);
    out.replace(u'"', QStringLiteral("\\x22"));
    return u'"' + out + u'"';
}

int hexDigit(QChar c) {
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

}  // namespace

QString isoTime(const QDateTime& when) { return when.toUTC().toString(Qt::ISODateWithMs); }

QString escaped(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        const ushort u = c.unicode();
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (u < 0x20 || u == 0x7f || u == 0x2028 || u == 0x2029 || u == 0x85)
            out += u > 0xff ? QStringLiteral("\\u%1").arg(u, 4, 16, QChar(u'0'))
                            : QStringLiteral("\\x%1").arg(u, 2, 16, QChar(u'0'));
        else
            out += c;
    }
    return out;
}

QString unescaped(const QString& value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 >= value.size()) {
            out += value[i];
            continue;
        }
        const QChar kind = value[i + 1];
        const int digits = kind == u'x' ? 2 : kind == u'u' ? 4 : 0;
        if (kind == u'\\') {
            out += u'\\';
            ++i;
            continue;
        }
        int code = digits ? 0 : -1;
        for (int k = 0; code >= 0 && k < digits; ++k) {
            const int d = i + 2 + k < value.size() ? hexDigit(value[i + 2 + k]) : -1;
            code = d < 0 ? -1 : code * 16 + d;
        }
        if (code < 0) {
            out += value[i];
            continue;
        }
        out += QChar(static_cast<char16_t>(code));
        i += 1 + digits;
    }
    return out;
}

QByteArray jsonLine(const Entry& e) {
    QJsonObject o;
    o.insert(QStringLiteral("id"), e.id);
    o.insert(QStringLiteral("time"), isoTime(e.when));
    o.insert(QStringLiteral("who"), e.who);
    o.insert(QStringLiteral("account"), e.account);
    o.insert(QStringLiteral("program"), e.program);
    o.insert(QStringLiteral("action"), e.action);
    o.insert(QStringLiteral("object"), e.object);
    o.insert(QStringLiteral("before"), e.before);
    o.insert(QStringLiteral("after"), e.after);
    o.insert(QStringLiteral("result"), e.done ? kDone : kFailed);
    o.insert(QStringLiteral("error"), e.error);
    // Qt writes the keys in their sorted order and escapes every control
    // character, so the object is one line whatever the values hold.
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

std::optional<Entry> parseJsonLine(QByteArrayView line) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(line.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) return std::nullopt;
    const QJsonObject o = doc.object();
    const auto text = [&o](const char* key) { return o.value(QLatin1String(key)).toString(); };
    Entry e;
    e.id = text("id");
    e.when = QDateTime::fromString(text("time"), Qt::ISODateWithMs).toUTC();
    const QString result = text("result");
    if (!e.when.isValid() || (result != kDone && result != kFailed) || text("action").isEmpty()) return std::nullopt;
    e.who = text("who");
    e.account = text("account");
    e.program = text("program");
    e.action = text("action");
    e.object = text("object");
    e.before = text("before");
    e.after = text("after");
    e.done = result == kDone;
    e.error = text("error");
    return e;
}

QString textLine(const Entry& e) {
    const auto valueOrNone = [](const QString& v) { return v.isEmpty() ? QStringLiteral("(none)") : quoted(v); };
    QString line = QStringLiteral("%1 %2 %3 %4 %5 %6: %7 -> %8 %9")
                       .arg(isoTime(e.when), quoted(e.program), valueOrNone(e.who), quoted(e.account),
                            quoted(e.action), quoted(e.object), valueOrNone(e.before), valueOrNone(e.after),
                            e.done ? kDone : kFailed);
    if (!e.done && !e.error.isEmpty()) line += u' ' + quoted(e.error);
    return line;
}

}  // namespace platform::audit
