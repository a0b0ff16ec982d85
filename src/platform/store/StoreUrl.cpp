#include "platform/store/StoreUrl.h"

#include "platform/store/StoreErrors.h"

namespace platform::store {
namespace {

const QString kWebPrefix = QStringLiteral("http://");
const QString kFilePrefix = QStringLiteral("file://./backofficestorage/");
const QString kExadmin = QStringLiteral("exadmin");

int hexValue(QChar c) {
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

// Decodes valid %XX sequences as UTF-8 bytes; anything else stays as written.
QString decodeSegment(const QString& raw) {
    QString out;
    QByteArray pending;
    auto flush = [&] {
        if (!pending.isEmpty()) {
            out += QString::fromUtf8(pending);
            pending.clear();
        }
    };
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw[i] == QLatin1Char('%') && i + 2 < raw.size()) {
            const int hi = hexValue(raw[i + 1]);
            const int lo = hexValue(raw[i + 2]);
            if (hi >= 0 && lo >= 0) {
                pending.append(static_cast<char>(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        flush();
        out += raw[i];
    }
    flush();
    return out;
}

[[noreturn]] void badUrl(const QString& url, const QString& why) {
    err::raise(err::BadUrl, QStringLiteral("The URL \"%1\" is not a store URL: %2").arg(url, why));
}

QStringList splitPath(const QString& url, const QString& rest) {
    QStringList out;
    for (const QString& raw : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        const QString seg = decodeSegment(raw);
        if (seg == QLatin1String(".") || seg == QLatin1String(".."))
            badUrl(url, QStringLiteral("relative segments are not allowed"));
        if (seg.contains(QLatin1Char('/')) || seg.contains(QChar(0)))
            badUrl(url, QStringLiteral("a name holds a slash or NUL"));
        if (seg.trimmed().isEmpty()) badUrl(url, QStringLiteral("a name is blank"));
        out << seg;
    }
    return out;
}

}  // namespace

StoreUrl StoreUrl::parse(const QString& url) {
    StoreUrl u;
    QStringList parts;
    if (url.startsWith(kFilePrefix, Qt::CaseInsensitive)) {
        u.form = Form::File;
        parts = splitPath(url, url.mid(kFilePrefix.size()));
    } else if (url.startsWith(kWebPrefix, Qt::CaseInsensitive)) {
        u.form = Form::Web;
        const QString rest = url.mid(kWebPrefix.size());
        const qsizetype slash = rest.indexOf(QLatin1Char('/'));
        u.host = slash < 0 ? rest : rest.left(slash);
        if (u.host.isEmpty()) badUrl(url, QStringLiteral("no server"));
        parts = splitPath(url, slash < 0 ? QString() : rest.mid(slash + 1));
        if (parts.isEmpty() || parts.first().compare(kExadmin, Qt::CaseInsensitive) != 0)
            badUrl(url, QStringLiteral("the path does not begin with /exadmin/"));
        parts.removeFirst();
    } else {
        badUrl(url, QStringLiteral("unknown scheme"));
    }
    if (parts.isEmpty()) badUrl(url, QStringLiteral("no domain folder"));
    u.domainFolder = parts.takeFirst();
    if (u.domainFolder.contains(QLatin1Char('\\'))) badUrl(url, QStringLiteral("bad domain folder"));
    u.segments = parts;
    return u;
}

QString StoreUrl::withPath(const QStringList& path) const {
    QString out = form == Form::Web ? kWebPrefix + host + QLatin1Char('/') + kExadmin + QLatin1Char('/')
                                    : kFilePrefix;
    out += encodeName(domainFolder);
    for (const QString& s : path) out += QLatin1Char('/') + encodeName(s);
    return out;
}

QString encodeName(const QString& name) {
    QString out;
    out.reserve(name.size());
    for (const QChar c : name) {
        if (c == QLatin1Char('%'))
            out += QStringLiteral("%25");
        else if (c == QLatin1Char('/'))
            out += QStringLiteral("%2F");
        else
            out += c;
    }
    return out;
}

QString quoteUrlForScope(const QString& url) {
    QString out = url;
    out.replace(QLatin1Char('"'), QStringLiteral("%22"));
    return out;
}

QString quoteLiteral(const QString& value) {
    QString out = value;
    out.replace(QLatin1Char('\''), QStringLiteral("''"));
    return out;
}

}  // namespace platform::store
