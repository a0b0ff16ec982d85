#include "journal/JournalReport.h"

#include <gmime/gmime.h>

#include <memory>
#include <mutex>

namespace journal {
namespace {

void initMime() {
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

// Owns one GObject reference.
template <typename T>
struct Ref {
    T* p = nullptr;
    explicit Ref(T* o) : p(o) {}
    ~Ref() {
        if (p) g_object_unref(p);
    }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
};

QByteArray toText(GMimeObject* object) {
    char* text = g_mime_object_to_string(object, nullptr);
    QByteArray out(text ? text : "");
    g_free(text);
    return out;
}

void addAddresses(GMimeMessage* m, GMimeAddressType type, const QStringList& addresses) {
    for (const QString& a : addresses) {
        const QByteArray addr = a.trimmed().toUtf8();
        if (!addr.isEmpty()) g_mime_message_add_mailbox(m, type, nullptr, addr.constData());
    }
}

QByteArray domainOf(const QString& address) {
    const qsizetype at = address.lastIndexOf(QLatin1Char('@'));
    return (at >= 0 ? address.mid(at + 1) : QStringLiteral("localhost")).toUtf8();
}

// A value that may stand on its envelope line as it is: no control character
// or line separator, no surrounding white space, and nothing a reader would take
// for an encoded word.
bool plain(const QString& v) {
    if (v.isEmpty()) return true;
    if (v.front().isSpace() || v.back().isSpace() || v.startsWith(QLatin1String("=?"))) return false;
    for (const QChar c : v) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u <= 0x9f) || u == 0x2028 || u == 0x2029) return false;
    }
    return true;
}

QString encodeValue(const QString& v) {
    if (plain(v)) return v;
    return QStringLiteral("=?utf-8?b?") + QString::fromLatin1(v.toUtf8().toBase64()) + QStringLiteral("?=");
}

// A value as written: the writer's encoded word decoded; any other text as it is
// (the writer encodes every value beginning "=?", so the two never meet).
QString decodeValue(const QString& v) {
    static const QString head = QStringLiteral("=?utf-8?b?");
    if (!v.startsWith(head, Qt::CaseInsensitive) || !v.endsWith(QLatin1String("?=")) || v.size() < head.size() + 2)
        return v;
    const QByteArray b64 = v.mid(head.size(), v.size() - head.size() - 2).toLatin1();
    auto decoded = QByteArray::fromBase64Encoding(b64, QByteArray::AbortOnBase64DecodingErrors);
    return decoded ? QString::fromUtf8(*decoded) : v;
}

GMimeObject* parsePart(const QByteArray& bytes, bool message) {
    Ref<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(bytes.constData(), bytes.size()));
    Ref<GMimeParser> parser(g_mime_parser_new_with_stream(stream.p));
    if (message) return GMIME_OBJECT(g_mime_parser_construct_message(parser.p, nullptr));
    return g_mime_parser_construct_part(parser.p, nullptr);
}

// Where the header block starting at `from` ends (after its blank line), or -1.
qsizetype headerEnd(const QByteArray& m, qsizetype from) {
    if (m.size() > from && (m[from] == '\n' || (m[from] == '\r' && m.size() > from + 1 && m[from + 1] == '\n')))
        return from + (m[from] == '\n' ? 1 : 2);
    qsizetype best = -1;
    const qsizetype lf = m.indexOf("\n\n", from), crlf = m.indexOf("\n\r\n", from);
    if (lf >= 0) best = lf + 2;
    if (crlf >= 0 && (best < 0 || crlf + 3 < best)) best = crlf + 3;
    return best;
}

// A delimiter line "--boundary" (or the closing "--boundary--") at a line
// start at or after `from`: where it begins and where the line after it begins.
struct Delimiter {
    qsizetype begin = -1, next = -1;
    bool closing = false;
};
Delimiter findDelimiter(const QByteArray& m, const QByteArray& dash, qsizetype from, qsizetype bodyStart) {
    for (qsizetype at = m.indexOf(dash, from); at >= 0; at = m.indexOf(dash, at + 1)) {
        if (at != bodyStart && m[at - 1] != '\n') continue;
        qsizetype i = at + dash.size();
        Delimiter d;
        d.begin = at;
        if (m.mid(i, 2) == "--") {
            d.closing = true;
            i += 2;
        }
        while (i < m.size() && (m[i] == ' ' || m[i] == '\t')) ++i;
        if (i < m.size() && m[i] != '\r' && m[i] != '\n') continue;  // a longer boundary
        const qsizetype eol = m.indexOf('\n', i);
        d.next = eol < 0 ? m.size() : eol + 1;
        return d;
    }
    return {};
}

// The single mailbox of an address header; "" when it holds anything else.
QString singleMailbox(InternetAddressList* list) {
    if (!list || internet_address_list_length(list) != 1) return QString();
    InternetAddress* a = internet_address_list_get_address(list, 0);
    if (!INTERNET_ADDRESS_IS_MAILBOX(a)) return QString();
    return QString::fromUtf8(internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(a)));
}

// The addresses of an address header, the members of its groups included.
void mailboxesOf(InternetAddressList* list, QStringList& out) {
    for (int i = 0; list && i < internet_address_list_length(list); ++i) {
        InternetAddress* a = internet_address_list_get_address(list, i);
        if (INTERNET_ADDRESS_IS_MAILBOX(a))
            out << QString::fromUtf8(internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(a)));
        else if (INTERNET_ADDRESS_IS_GROUP(a))
            mailboxesOf(internet_address_group_get_members(INTERNET_ADDRESS_GROUP(a)), out);
    }
}

ReadReport notReport(const QString& why) { return {ReadReport::NotReport, {}, why}; }
ReadReport unreadable(const QString& why) { return {ReadReport::Unreadable, {}, why}; }

}  // namespace

QStringList Envelope::recipients() const { return to + cc + bcc; }

std::optional<QString> entryAddress(const QString& entry) {
    initMime();
    const QByteArray text = entry.toUtf8();
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;  // a line break or other control character
    if (text.isEmpty()) return std::nullopt;
    InternetAddressList* list = internet_address_list_parse(nullptr, text.constData());
    if (!list) return std::nullopt;
    QString address;
    int mailboxes = 0;
    bool odd = false;
    for (int i = 0; i < internet_address_list_length(list); ++i) {
        InternetAddress* a = internet_address_list_get_address(list, i);
        if (INTERNET_ADDRESS_IS_MAILBOX(a)) {
            ++mailboxes;
            address = QString::fromUtf8(internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(a)));
        } else {
            // Only the group note may follow the address: "Expanded: g@x".
            const QString name = QString::fromUtf8(internet_address_get_name(a));
            odd = odd || i == 0 ||
                  (name.compare(QLatin1String("Expanded"), Qt::CaseInsensitive) != 0 &&
                   name.compare(QLatin1String("Forwarded"), Qt::CaseInsensitive) != 0);
        }
    }
    g_object_unref(list);
    const qsizetype at = address.lastIndexOf(QLatin1Char('@'));
    if (odd || mailboxes != 1 || at <= 0 || at == address.size() - 1) return std::nullopt;
    return address;
}

QString envelopeText(const Envelope& e) {
    QString lines = QStringLiteral("Sender: %1\r\nSubject: %2\r\nMessage-ID: %3\r\n")
                        .arg(encodeValue(e.sender), encodeValue(e.subject), encodeValue(e.messageId));
    const std::pair<const char*, const QStringList*> fields[] = {{"To", &e.to}, {"Cc", &e.cc}, {"Bcc", &e.bcc}};
    for (const auto& [name, list] : fields)
        for (const QString& v : *list)
            lines += QString::fromLatin1(name) + QStringLiteral(": ") + encodeValue(v) + QStringLiteral("\r\n");
    return lines;
}

std::optional<Envelope> parseEnvelopeText(const QString& text, QString* problem) {
    auto refuse = [&](const QString& why) -> std::optional<Envelope> {
        if (problem) *problem = why;
        return std::nullopt;
    };
    Envelope e;
    bool seen[3] = {false, false, false};
    int line = 0;
    for (QStringView raw : QStringView(text).split(QLatin1Char('\n'))) {
        ++line;
        if (raw.endsWith(QLatin1Char('\r'))) raw.chop(1);
        if (raw.trimmed().isEmpty()) continue;
        const qsizetype colon = raw.indexOf(QLatin1Char(':'));
        if (colon <= 0) return refuse(QStringLiteral("line %1 of the envelope is no field").arg(line));
        const QStringView name = raw.left(colon);
        const std::optional<QString> value = decodeValue(raw.mid(colon + 1).trimmed().toString());
        auto is = [&](const char* n) { return name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0; };
        const char* const once[] = {"Sender", "Subject", "Message-ID"};
        QString* const onceValue[] = {&e.sender, &e.subject, &e.messageId};
        bool known = false;
        for (int i = 0; i < 3; ++i) {
            if (!is(once[i])) continue;
            if (seen[i]) return refuse(QStringLiteral("the envelope repeats the field %1").arg(QLatin1String(once[i])));
            seen[i] = known = true;
            *onceValue[i] = *value;
        }
        if (is("To")) e.to << *value, known = true;
        else if (is("Cc")) e.cc << *value, known = true;
        else if (is("Bcc")) e.bcc << *value, known = true;
        if (!known) return refuse(QStringLiteral("line %1 of the envelope is outside its layout").arg(line));
    }
    if (!seen[0]) return refuse(QStringLiteral("the envelope names no sender"));
    return e;
}

QByteArray composeMessage(const QString& from, const QStringList& to, const QStringList& cc,
                          const QString& subject, const QString& messageId, const QString& body) {
    initMime();
    Ref<GMimeMessage> m(g_mime_message_new(TRUE));
    addAddresses(m.p, GMIME_ADDRESS_TYPE_FROM, {from});
    addAddresses(m.p, GMIME_ADDRESS_TYPE_TO, to);
    addAddresses(m.p, GMIME_ADDRESS_TYPE_CC, cc);
    g_mime_message_set_subject(m.p, subject.toUtf8().constData(), "utf-8");
    const QByteArray id = messageId.toUtf8();
    g_mime_message_set_message_id(m.p, id.constData());
    GDateTime* now = g_date_time_new_now_utc();
    g_mime_message_set_date(m.p, now);
    g_date_time_unref(now);
    Ref<GMimeTextPart> text(g_mime_text_part_new_with_subtype("plain"));
    g_mime_text_part_set_text(text.p, body.toUtf8().constData());
    g_mime_message_set_mime_part(m.p, GMIME_OBJECT(text.p));
    return toText(GMIME_OBJECT(m.p));
}

QByteArray buildReport(const Envelope& envelope, const QByteArray& original, const QString& journalAddress) {
    initMime();
    const QString lines = envelopeText(envelope);

    Ref<GMimeMessage> report(g_mime_message_new(TRUE));
    const QByteArray agent = "postmaster@" + domainOf(journalAddress);
    g_mime_message_add_mailbox(report.p, GMIME_ADDRESS_TYPE_FROM, "Journaling Agent", agent.constData());
    addAddresses(report.p, GMIME_ADDRESS_TYPE_TO, {journalAddress});
    g_mime_message_set_subject(report.p, envelope.subject.toUtf8().constData(), "utf-8");
    g_mime_object_set_header(GMIME_OBJECT(report.p), "X-MS-Journal-Report", "", nullptr);

    Ref<GMimeMultipart> parts(g_mime_multipart_new_with_subtype("mixed"));
    Ref<GMimeTextPart> text(g_mime_text_part_new_with_subtype("plain"));
    g_mime_text_part_set_text(text.p, lines.toUtf8().constData());
    g_mime_multipart_add(parts.p, GMIME_OBJECT(text.p));

    // The original goes in as it came, byte for byte: GMime writes the report
    // around a stand-in for it, and the stand-in (the last text of the report,
    // since the original is the last part) is then replaced by its bytes. The
    // boundary must not occur in the original.
    static const QByteArray standIn = "tavimor-original-message";
    Ref<GMimePart> attached(g_mime_part_new_with_type("message", "rfc822"));
    Ref<GMimeStream> content(g_mime_stream_mem_new_with_buffer(standIn.constData(), standIn.size()));
    Ref<GMimeDataWrapper> wrapper(g_mime_data_wrapper_new_with_stream(content.p, GMIME_CONTENT_ENCODING_DEFAULT));
    g_mime_part_set_content(attached.p, wrapper.p);
    g_mime_multipart_add(parts.p, GMIME_OBJECT(attached.p));
    g_mime_message_set_mime_part(report.p, GMIME_OBJECT(parts.p));
    while (original.contains(QByteArray("--") + g_mime_multipart_get_boundary(parts.p)))
        g_mime_multipart_set_boundary(parts.p, nullptr);
    QByteArray out = toText(GMIME_OBJECT(report.p));
    const qsizetype at = out.lastIndexOf(standIn);
    return out.replace(at, standIn.size(), original);
}

OriginalHeaders originalHeaders(const QByteArray& message) {
    initMime();
    OriginalHeaders out;
    const qsizetype end = headerEnd(message, 0);
    Ref<GMimeObject> top(parsePart(end < 0 ? message : message.left(end), true));
    if (!top.p || !GMIME_IS_MESSAGE(top.p)) return out;
    GMimeMessage* m = GMIME_MESSAGE(top.p);
    if (const char* s = g_mime_message_get_subject(m)) out.subject = QString::fromUtf8(s);
    if (const char* id = g_mime_message_get_message_id(m)) out.messageId = QStringLiteral("<%1>").arg(QString::fromUtf8(id));
    mailboxesOf(g_mime_message_get_to(m), out.to);
    mailboxesOf(g_mime_message_get_cc(m), out.cc);
    return out;
}

QByteArray headersAndNote(const QByteArray& head, qint64 size, qint64 limit) {
    const qsizetype end = headerEnd(head, 0);
    // Whole lines only: a header block cut by the limit ends at its last line break.
    const QByteArray block = end >= 0 ? head.left(end) : head.left(head.lastIndexOf('\n') + 1);
    const QByteArray eol = block.contains("\r\n") || block.isEmpty() ? "\r\n" : "\n";
    QByteArray out;
    bool renaming = false;
    for (QByteArray line : block.split('\n')) {
        if (line.endsWith('\r')) line.chop(1);
        if (line.isEmpty()) continue;
        if (line[0] != ' ' && line[0] != '\t') {
            const QByteArray name = line.left(line.indexOf(':')).trimmed().toLower();
            renaming = name.startsWith("content-") || name == "mime-version";
        }
        out += (renaming && line[0] != ' ' && line[0] != '\t' ? "X-Tavimor-Original-" + line : line) + eol;
    }
    return out + "MIME-Version: 1.0" + eol + "Content-Type: text/plain; charset=us-ascii" + eol + eol + "This message was " +
           QByteArray::number(size) + " bytes, above the journal's limit of " + QByteArray::number(limit) + " bytes." +
           eol + "Only its header fields were journaled" +
           (out.isEmpty() ? QByteArray(" (none fit within the limit)") : QByteArray()) + "." + eol;
}

QByteArray mimeBytes(const QString& mimeText, const QString& mimeOctets) {
    if (!mimeOctets.isEmpty()) return QByteArray::fromBase64(mimeOctets.toLatin1());
    return mimeText.toUtf8();
}

ReadReport readReport(const QByteArray& mime) {
    initMime();
    // The headers: the report's mark, its author and its structure.
    const qsizetype bodyStart = headerEnd(mime, 0);
    if (bodyStart < 0) return notReport(QStringLiteral("it has no message headers"));
    Ref<GMimeObject> top(parsePart(mime.left(bodyStart), true));
    if (!top.p || !GMIME_IS_MESSAGE(top.p)) return notReport(QStringLiteral("its headers cannot be read"));
    if (!g_mime_object_get_header(top.p, "X-MS-Journal-Report"))
        return notReport(QStringLiteral("it has no X-MS-Journal-Report header"));
    GMimeMessage* message = GMIME_MESSAGE(top.p);
    const QString from = singleMailbox(g_mime_message_get_from(message));
    const QString to = singleMailbox(g_mime_message_get_to(message));
    const qsizetype toAt = to.lastIndexOf(QLatin1Char('@'));
    if (toAt < 0 || from.compare(QStringLiteral("postmaster") + to.mid(toAt), Qt::CaseInsensitive) != 0)
        return notReport(QStringLiteral("it does not come from the journaling agent"));
    // The content type is that of the message's body part, which the parser
    // builds from the same headers (text/plain when they name none).
    GMimeObject* body = g_mime_message_get_mime_part(message);
    GMimeContentType* type = body ? g_mime_object_get_content_type(body) : nullptr;
    const char* boundary = type ? g_mime_content_type_get_parameter(type, "boundary") : nullptr;
    if (!type || !g_mime_content_type_is_type(type, "multipart", "mixed") || !boundary || !*boundary)
        return unreadable(QStringLiteral("the report is not multipart/mixed"));

    // The first part (the envelope), and the second part's headers only.
    const QByteArray dash = QByteArray("--") + boundary;
    const Delimiter first = findDelimiter(mime, dash, bodyStart, bodyStart);
    if (first.begin < 0 || first.closing) return unreadable(QStringLiteral("the report has no parts"));
    const Delimiter second = findDelimiter(mime, dash, first.next, bodyStart);
    if (second.begin < 0 || second.closing) return unreadable(QStringLiteral("the report has no original message part"));
    qsizetype partEnd = second.begin;  // the line break before a delimiter belongs to it
    if (partEnd > first.next && mime[partEnd - 1] == '\n') --partEnd;
    if (partEnd > first.next && mime[partEnd - 1] == '\r') --partEnd;
    Ref<GMimeObject> envelopePart(parsePart(mime.mid(first.next, partEnd - first.next), false));
    if (!envelopePart.p || !GMIME_IS_TEXT_PART(envelopePart.p) ||
        !g_mime_content_type_is_type(g_mime_object_get_content_type(envelopePart.p), "text", "plain"))
        return unreadable(QStringLiteral("the report's first part is not text/plain"));
    const qsizetype originalHeadersEnd = headerEnd(mime, second.next);
    if (originalHeadersEnd < 0) return unreadable(QStringLiteral("the report's second part has no headers"));
    Ref<GMimeObject> originalHead(parsePart(mime.mid(second.next, originalHeadersEnd - second.next), false));
    if (!originalHead.p ||
        !g_mime_content_type_is_type(g_mime_object_get_content_type(originalHead.p), "message", "rfc822"))
        return unreadable(QStringLiteral("the report's second part is not message/rfc822"));

    char* raw = g_mime_text_part_get_text(GMIME_TEXT_PART(envelopePart.p));
    const QString text = QString::fromUtf8(raw ? raw : "");
    g_free(raw);
    ReadReport out;
    auto envelope = parseEnvelopeText(text, &out.problem);
    if (!envelope) return unreadable(out.problem);
    out.kind = ReadReport::Read;
    out.envelope = std::move(*envelope);
    return out;
}

std::optional<Envelope> readEnvelope(const QByteArray& mime) {
    ReadReport r = readReport(mime);
    if (r.kind != ReadReport::Read) return std::nullopt;
    return std::move(r.envelope);
}

std::vector<ReportProperty> reportProperties(const Envelope& envelope, const QByteArray& mime) {
    constexpr int text = 8, boolean = 11;
    QString mimeText = QString::fromUtf8(mime);
    mimeText.replace(QChar(0), QChar(0xFFFD));
    std::vector<ReportProperty> props = {
        {QStringLiteral("DAV:contentclass"), text, QStringLiteral("urn:content-class:message")},
        {QStringLiteral("http://schemas.microsoft.com/exchange/outlookmessageclass"), text, QStringLiteral("IPM.Note")},
        {QStringLiteral("urn:schemas:httpmail:subject"), text, envelope.subject},
        {QStringLiteral("urn:schemas:mailheader:message-id"), text, envelope.messageId},
        {QStringLiteral("DAV:ishidden"), boolean, QStringLiteral("false")},
        {kMimeProperty, text, mimeText},
    };
    if (mime.contains('\0') || mimeText.toUtf8() != mime)
        props.push_back({kMimeOctetsProperty, text, QString::fromLatin1(mime.toBase64())});
    return props;
}

}  // namespace journal
