#include "milter/Milter.h"

#include "milter/MessageBuffer.h"
#include "milter/MilterLog.h"

#include <libmilter/mfapi.h>

#include <QElapsedTimer>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include <memory>
#include <optional>

namespace milter {

namespace {

const Options* settings = nullptr;
DeliveryWorker* deliveries = nullptr;

// What one connection carries: the message under way, and the protocol
// steps the MTA agreed not to wait for an answer to.
struct Connection {
    bool leadingSpace = false;
    unsigned long noReply = 0;
    std::optional<MessageBuffer> message;
};

Connection* connectionOf(SMFICTX* ctx) {
    auto* c = static_cast<Connection*>(smfi_getpriv(ctx));
    if (!c) {
        c = new Connection;
        smfi_setpriv(ctx, c);
    }
    return c;
}

QString macro(SMFICTX* ctx, const char* name) {
    const char* v = smfi_getsymval(ctx, const_cast<char*>(name));
    return v ? QString::fromUtf8(v) : QString();
}

// A reply text the MTA passes on: printable, without libmilter's '%'.
QByteArray replyText(const QString& text) {
    QByteArray out;
    for (const char c : text.toUtf8()) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7f) out += ' ';
        else if (c == '%') out += "%%";
        else out += c;
    }
    return out.left(400);
}

// The answer to a step: none when the MTA agreed not to wait for one.
sfsistat next(const Connection* c, unsigned long step) { return c->noReply & step ? SMFIS_NOREPLY : SMFIS_CONTINUE; }

sfsistat onNegotiate(SMFICTX* ctx, unsigned long f0, unsigned long f1, unsigned long f2, unsigned long f3,
                     unsigned long* pf0, unsigned long* pf1, unsigned long* pf2, unsigned long* pf3) {
    Connection* c = connectionOf(ctx);
    *pf0 = 0;  // no changes to the message
    unsigned long wanted = SMFIP_HDR_LEADSPC;
    // Only the end of the message is ever answered otherwise, so on a local
    // socket the MTA skips the steps the milter has no use for and streams
    // the others without waiting. Not over TCP: there the MTA's small unanswered
    // writes would wait for delayed acknowledgements.
    if (settings->localSocket())
        wanted |= SMFIP_NOCONNECT | SMFIP_NOHELO | SMFIP_NODATA | SMFIP_NOEOH | SMFIP_NOUNKNOWN | SMFIP_NR_MAIL |
                  SMFIP_NR_RCPT | SMFIP_NR_HDR | SMFIP_NR_BODY;
    *pf1 = f1 & wanted;
    *pf2 = *pf3 = 0;
    c->leadingSpace = (*pf1 & SMFIP_HDR_LEADSPC) != 0;
    c->noReply = *pf1 & (SMFIP_NR_MAIL | SMFIP_NR_RCPT | SMFIP_NR_HDR | SMFIP_NR_BODY);
    return SMFIS_CONTINUE;
}

sfsistat onEnvFrom(SMFICTX* ctx, char** argv) {
    Connection* c = connectionOf(ctx);
    c->message.emplace(settings->maxSizeBytes);
    c->message->setSender(envelopeAddress(argv[0]));
    return next(c, SMFIP_NR_MAIL);
}

sfsistat onEnvRcpt(SMFICTX* ctx, char** argv) {
    Connection* c = connectionOf(ctx);
    if (c->message) c->message->addRecipient(envelopeAddress(argv[0]));
    return next(c, SMFIP_NR_RCPT);
}

sfsistat onHeader(SMFICTX* ctx, char* name, char* value) {
    Connection* c = connectionOf(ctx);
    if (c->message) c->message->addHeader(name, value, c->leadingSpace);
    return next(c, SMFIP_NR_HDR);
}

sfsistat onBody(SMFICTX* ctx, unsigned char* data, size_t size) {
    Connection* c = connectionOf(ctx);
    if (c->message) c->message->addBody(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    return next(c, SMFIP_NR_BODY);
}

sfsistat onEom(SMFICTX* ctx) {
    Connection* c = connectionOf(ctx);
    if (!c->message) return SMFIS_CONTINUE;
    const MessageBuffer m = std::move(*c->message);
    c->message.reset();
    const QString queueId = macro(ctx, "i");
    const QString what = QStringLiteral("%1: from <%2>, %3 recipient(s), %4 bytes")
                             .arg(escaped(queueId.isEmpty() ? QStringLiteral("-") : queueId), escaped(m.sender()))
                             .arg(m.recipients().size())
                             .arg(m.size());
    if (m.oversize())
        log(Severity::Warning, QStringLiteral("%1: above the limit of %2 bytes; journaling its headers and a note")
                                   .arg(what)
                                   .arg(settings->maxSizeBytes));
    QElapsedTimer took;
    took.start();
    const Verdict v = deliveries->deliver({m.sender(), m.recipients(), m.message()},
                                          std::chrono::seconds(settings->timeoutSeconds));
    const QString time = QStringLiteral(" in %1 ms").arg(took.elapsed());
    if (v.stored && v.kept + v.dropped == 0) {
        log(Severity::Info, QStringLiteral("%1: not journaled: no party is homed on a journaled store (%2)").arg(what, time.mid(1)));
        return SMFIS_CONTINUE;
    }
    if (v.stored) {
        log(Severity::Info, QStringLiteral("%1: journaled%4 (%2 report(s) kept, %3 dropped by the rule)")
                                .arg(what)
                                .arg(v.kept)
                                .arg(v.dropped)
                                .arg(time));
        return SMFIS_CONTINUE;
    }
    if (settings->acceptOnFailure) {
        log(Severity::Error, QStringLiteral("%1: ACCEPTED UNJOURNALED (--on-failure accept): %2").arg(what, escaped(v.problem)));
        return SMFIS_CONTINUE;
    }
    log(Severity::Error, QStringLiteral("%1: temporary failure answered: %2").arg(what, escaped(v.problem)));
    QByteArray text = replyText(QStringLiteral("Journaling unavailable, try again later: ") + v.problem);
    smfi_setreply(ctx, const_cast<char*>("451"), const_cast<char*>("4.3.0"), text.data());
    return SMFIS_TEMPFAIL;
}

sfsistat onAbort(SMFICTX* ctx) {
    connectionOf(ctx)->message.reset();
    return SMFIS_CONTINUE;
}

sfsistat onClose(SMFICTX* ctx) {
    delete static_cast<Connection*>(smfi_getpriv(ctx));
    smfi_setpriv(ctx, nullptr);
    return SMFIS_CONTINUE;
}

QString openToGroup(const QString& socket) {
    const QByteArray path = QFile::encodeName(socket.section(QLatin1Char(':'), 1));
    struct stat st {};
    QString why;
    if (::lstat(path.constData(), &st) != 0) why = QString::fromLocal8Bit(std::strerror(errno));
    else if (!S_ISSOCK(st.st_mode)) why = QStringLiteral("it is not a socket");
    else if (::chmod(path.constData(), 0660) != 0) why = QString::fromLocal8Bit(std::strerror(errno));
    return why.isEmpty() ? QString() : QStringLiteral("cannot open the socket %1 to the group: %2").arg(socket, why);
}

}  // namespace

QString listen(const Options& options) {
    settings = &options;
    smfiDesc desc{};
    desc.xxfi_name = const_cast<char*>("tavimor-milter");
    desc.xxfi_version = SMFI_VERSION;
    desc.xxfi_flags = SMFIF_NONE;
    desc.xxfi_envfrom = onEnvFrom;
    desc.xxfi_envrcpt = onEnvRcpt;
    desc.xxfi_header = onHeader;
    desc.xxfi_body = onBody;
    desc.xxfi_eom = onEom;
    desc.xxfi_abort = onAbort;
    desc.xxfi_close = onClose;
    desc.xxfi_negotiate = onNegotiate;
    QByteArray socket = options.socket.toLocal8Bit();
    if (smfi_setconn(socket.data()) != MI_SUCCESS) return QStringLiteral("libmilter refuses the socket %1").arg(options.socket);
    // libmilter's own wait for the MTA, longer than the MTA's for us.
    smfi_settimeout(options.timeoutSeconds + 600);
    if (smfi_register(desc) != MI_SUCCESS) return QStringLiteral("libmilter refused the filter's registration");
    if (smfi_opensocket(true) != MI_SUCCESS)
        return QStringLiteral("cannot listen on %1 (in use, or no permission to create it)").arg(options.socket);
    // A local socket is open to the milter's group too, which the MTA's account
    // joins (or the group of a setgid folder it lies in); never to others.
    return options.localSocket() ? openToGroup(options.socket) : QString();
}

int serve(const Options& options, DeliveryWorker& worker) {
    settings = &options;
    deliveries = &worker;
    const int r = smfi_main();
    deliveries = nullptr;
    return r;
}

}  // namespace milter
