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

}  // namespace

QStringList Envelope::recipients() const {
    QStringList out;
    for (const QStringList* list : {&to, &cc, &bcc})
        for (const QString& e : *list) out << entryAddress(e);
    return out;
}

QString entryAddress(const QString& entry) {
    QString a = entry.section(QLatin1Char(','), 0, 0).trimmed();
    const qsizetype lt = a.lastIndexOf(QLatin1Char('<'));
    const qsizetype gt = a.lastIndexOf(QLatin1Char('>'));
    if (lt >= 0 && gt > lt) a = a.mid(lt + 1, gt - lt - 1).trimmed();
    return a;
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
    QString lines = QStringLiteral("Sender: %1\r\nSubject: %2\r\nMessage-ID: %3\r\n")
                        .arg(envelope.sender, envelope.subject, envelope.messageId);
    const std::pair<const char*, const QStringList*> fields[] = {
        {"To", &envelope.to}, {"Cc", &envelope.cc}, {"Bcc", &envelope.bcc}};
    for (const auto& [name, list] : fields)
        for (const QString& e : *list) lines += QString::fromLatin1(name) + QStringLiteral(": ") + e + QStringLiteral("\r\n");

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

    Ref<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(original.constData(), original.size()));
    Ref<GMimeParser> parser(g_mime_parser_new_with_stream(stream.p));
    Ref<GMimeMessage> inner(g_mime_parser_construct_message(parser.p, nullptr));
    Ref<GMimeMessagePart> attached(g_mime_message_part_new_with_message("rfc822", inner.p));
    g_mime_multipart_add(parts.p, GMIME_OBJECT(attached.p));
    g_mime_message_set_mime_part(report.p, GMIME_OBJECT(parts.p));
    return toText(GMIME_OBJECT(report.p));
}

std::optional<Envelope> readEnvelope(const QByteArray& mime) {
    if (mime.isEmpty()) return std::nullopt;
    initMime();
    Ref<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(mime.constData(), mime.size()));
    Ref<GMimeParser> parser(g_mime_parser_new_with_stream(stream.p));
    Ref<GMimeMessage> message(g_mime_parser_construct_message(parser.p, nullptr));
    if (!message.p) return std::nullopt;
    GMimeObject* body = g_mime_message_get_mime_part(message.p);
    if (!body || !GMIME_IS_MULTIPART(body) || g_mime_multipart_get_count(GMIME_MULTIPART(body)) < 1)
        return std::nullopt;
    GMimeObject* first = g_mime_multipart_get_part(GMIME_MULTIPART(body), 0);
    if (!GMIME_IS_TEXT_PART(first)) return std::nullopt;
    char* raw = g_mime_text_part_get_text(GMIME_TEXT_PART(first));
    const QString text = QString::fromUtf8(raw ? raw : "");
    g_free(raw);

    Envelope e;
    bool sawSender = false;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon <= 0) continue;
        const QString name = line.left(colon).trimmed();
        const QString value = line.mid(colon + 1).trimmed();
        auto is = [&](const char* n) { return name.compare(QLatin1String(n), Qt::CaseInsensitive) == 0; };
        if (is("Sender")) {
            e.sender = entryAddress(value);
            sawSender = true;
        } else if (is("Subject")) {
            e.subject = value;
        } else if (is("Message-ID")) {
            e.messageId = value;
        } else if (is("To") || is("Cc") || is("Bcc")) {
            QStringList& list = is("To") ? e.to : (is("Cc") ? e.cc : e.bcc);
            // Entries written several to a line are split; a group note stays with its member.
            QString current;
            for (const QString& piece : value.split(QLatin1Char(','))) {
                const QString p = piece.trimmed();
                if (p.isEmpty()) continue;
                const bool note = p.startsWith(QLatin1String("Expanded:"), Qt::CaseInsensitive) ||
                                  p.startsWith(QLatin1String("Forwarded:"), Qt::CaseInsensitive);
                if (note && !current.isEmpty()) {
                    current += QStringLiteral(", ") + p;
                } else if (!note) {
                    if (!current.isEmpty()) list << current;
                    current = p;
                }
            }
            if (!current.isEmpty()) list << current;
        }
    }
    if (!sawSender) return std::nullopt;
    return e;
}

std::vector<ReportProperty> reportProperties(const Envelope& envelope, const QByteArray& mime) {
    constexpr int text = 8, boolean = 11;
    return {
        {QStringLiteral("DAV:contentclass"), text, QStringLiteral("urn:content-class:message")},
        {QStringLiteral("http://schemas.microsoft.com/exchange/outlookmessageclass"), text, QStringLiteral("IPM.Note")},
        {QStringLiteral("urn:schemas:httpmail:subject"), text, envelope.subject},
        {QStringLiteral("urn:schemas:mailheader:message-id"), text, envelope.messageId},
        {QStringLiteral("DAV:ishidden"), boolean, QStringLiteral("false")},
        {kMimeProperty, text, QString::fromUtf8(mime)},
    };
}

}  // namespace journal
