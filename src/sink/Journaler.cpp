#include "sink/Journaler.h"

#include "journal/JournalReport.h"
#include "rules/ForwardingText.h"
#include "rules/Markers.h"

#include <QSet>

namespace sink {
namespace {

const QString kForwardAddress = QStringLiteral("Tavimor_FWDAddress");
const QString kForwardAndSave = QStringLiteral("Tavimor_FWDAndSave");

bool same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

QString localPart(const QString& mail) {
    const qsizetype at = mail.lastIndexOf(QLatin1Char('@'));
    return at >= 1 ? mail.left(at) : mail;
}

// The directory could not answer: the report is kept whatever else is known.
struct DirectoryDown {
    QString what;
};

// The report cannot be judged with certainty: it is kept.
struct InDoubt {
    QString why;
};

class Decision {
public:
    Decision(const SaveEvent& e, Services& s) : e_(e), s_(s) {}

    // Whether the party counts for this folder; its markers go to `switches`.
    bool counts(const DirObject& party, rules::Switches& switches) {
        if (party.kind != QLatin1String("user") || party.homeMdb.isEmpty()) return false;
        QString journalDn;
        const Status js = s_.journalRecipient(party.homeMdb, journalDn);
        if (js == Status::NotFound) return false;
        if (js != Status::Ok) throw DirectoryDown{QStringLiteral("the journal recipient of ") + party.homeMdb};
        DirObject journal;
        const Status os = s_.findDn(journalDn, journal);
        if (os == Status::NotFound) return false;
        if (os != Status::Ok) throw DirectoryDown{journalDn};
        const bool isThisFolder =
            e_.folderIsPublic
                ? journal.kind == QLatin1String("pf") && same(journal.mail, e_.folderOwner)
                : journal.kind != QLatin1String("pf") &&
                      ((!journal.alias.isEmpty() && same(journal.alias, e_.folderOwner)) ||
                       (!journal.mail.isEmpty() && same(localPart(journal.mail), e_.folderOwner)));
        if (!isThisFolder) return false;
        switches = rules::readMarkers(party.markers);
        return true;
    }

    // The parties an address stands for: the object itself, or a group's members.
    // Only "no object has this address" means none; every other failure is doubt.
    std::vector<DirObject> parties(const QString& address) {
        DirObject o;
        const Status st = s_.findAddress(address, o);
        if (st == Status::NotFound) return {};
        if (st != Status::Ok) throw DirectoryDown{address};
        if (o.kind != QLatin1String("group")) return {o};
        std::vector<DirObject> members;
        if (s_.groupMembers(o.dn, members) != Status::Ok) throw DirectoryDown{QStringLiteral("the members of ") + o.dn};
        looked_ += static_cast<int>(members.size());
        if (looked_ > kMaxPartiesPerReport)
            throw InDoubt{QStringLiteral("more than %1 parties to look up").arg(kMaxPartiesPerReport)};
        return members;
    }

    // The address of an envelope entry; doubt when it names none or several.
    static QString addressOf(const QString& entry) {
        const auto a = journal::entryAddress(entry);
        if (!a) throw InDoubt{QStringLiteral("the envelope entry \"%1\" names no single address").arg(entry)};
        return *a;
    }

    // Keep reason, or "" to drop (every party was read, and none counts).
    QString keepReason(const journal::Envelope& env) {
        const QString sender = addressOf(env.sender);
        QStringList recipients;
        QSet<QString> seen;
        for (const QString& entry : env.recipients()) {
            const QString a = addressOf(entry);
            if (seen.contains(a.toLower())) continue;
            seen.insert(a.toLower());
            recipients << a;
            if (1 + recipients.size() > kMaxPartiesPerReport)
                throw InDoubt{QStringLiteral("more than %1 parties to look up").arg(kMaxPartiesPerReport)};
        }
        looked_ = 1 + static_cast<int>(recipients.size());
        rules::Switches sw;
        for (const DirObject& party : parties(sender))
            if (counts(party, sw) && sw.outgoing) return QStringLiteral("sender %1 is journaled").arg(sender);
        for (const QString& r : recipients)
            for (const DirObject& party : parties(r))
                if (counts(party, sw) && sw.ingoing)
                    return QStringLiteral("recipient %1 is journaled").arg(party.mail.isEmpty() ? r : party.mail);
        return QString();
    }

private:
    const SaveEvent& e_;
    Services& s_;
    int looked_ = 0;
};

// The folders a forward goes to: (folder URL, address for the outbound queue or "").
struct Target {
    QString folder;
    QString outsideAddress;
    QString label;
};

Status targetOf(Services& s, const DirObject& o, const QString& address, std::vector<Target>& out, QString& why) {
    QString url;
    Status st;
    if (o.kind == QLatin1String("pf")) {
        st = s.publicFolder(o.mail, url);
    } else if (o.kind == QLatin1String("user")) {
        st = s.mailboxInbox(o.alias, url);
        if (st == Status::NotFound) st = s.mailboxInbox(localPart(o.mail), url);
    } else {
        // A contact, or an address the directory does not know: it leaves the
        // organisation through the outbound queue.
        const QString outside = o.kind == QLatin1String("contact") && !o.mail.isEmpty() ? o.mail : address;
        if (outside.trimmed().isEmpty()) {
            why = QStringLiteral("%1 has no address").arg(o.dn.isEmpty() ? QStringLiteral("the recipient") : o.dn);
            return Status::NotFound;
        }
        st = s.outboundQueue(url);
        if (st == Status::Ok) out.push_back({url, outside, outside});
        else why = QStringLiteral("the outbound queue cannot be reached");
        return st;
    }
    if (st == Status::Ok) out.push_back({url, QString(), o.mail.isEmpty() ? address : o.mail});
    else why = QStringLiteral("no store folder for %1").arg(o.mail.isEmpty() ? address : o.mail);
    return st;
}

// Copies the report to the forwarding recipient; answers "" or what failed.
QString forward(const SaveEvent& e, Services& s, const QString& address, Log& log) {
    DirObject o;
    const Status st = s.findAddress(address, o);
    if (st != Status::Ok && st != Status::NotFound)
        return QStringLiteral("the directory cannot answer for %1").arg(address);
    std::vector<Target> targets;
    QString why;
    if (st == Status::NotFound) {
        o = DirObject{};
        o.kind = QStringLiteral("other");
        if (targetOf(s, o, address, targets, why) != Status::Ok) return why;
    } else if (o.kind == QLatin1String("group")) {
        std::vector<DirObject> members;
        if (s.groupMembers(o.dn, members) != Status::Ok) return QStringLiteral("the members of %1 cannot be read").arg(address);
        for (const DirObject& m : members) {
            if (m.mail.isEmpty()) {
                log.error(QStringLiteral("not forwarding %1 to %2 of %3: the member has no address").arg(e.itemUrl, m.dn, address));
                continue;
            }
            if (targetOf(s, m, m.mail, targets, why) != Status::Ok) return why;
        }
        if (targets.empty()) return QStringLiteral("no member of the group %1 can receive it").arg(address);
    } else if (targetOf(s, o, address, targets, why) != Status::Ok) {
        return why;
    }
    for (const Target& t : targets) {
        std::vector<Property> copy = e.item;
        if (!t.outsideAddress.isEmpty())
            copy.push_back({QStringLiteral("urn:schemas:mailheader:to"), 8, t.outsideAddress});
        QString result;
        if (s.saveItem(t.folder, copy, result) != Status::Ok)
            return QStringLiteral("saving in %1 failed: %2").arg(t.folder, result);
        log.info(QStringLiteral("forwarded %1 to %2 as %3").arg(e.itemUrl, t.label, result));
    }
    return QString();
}

}  // namespace

Verdict journal(const SaveEvent& e, Services& s, Log& log) {
    const journal::ReadReport report = journal::readReport(SaveEvent::valueOf(e.item, journal::kMimeProperty).toUtf8());
    if (report.kind == journal::ReadReport::NotReport) return Verdict::Keep;  // not a journal report: left alone
    if (report.kind == journal::ReadReport::Unreadable) {
        log.error(QStringLiteral("kept %1 unexamined: the report cannot be read: %2").arg(e.itemUrl, report.problem));
        return Verdict::Keep;
    }
    const journal::Envelope* envelope = &report.envelope;

    QString reason;
    try {
        reason = Decision(e, s).keepReason(*envelope);
        // A drop rests only on answers the directory still gives: answers kept
        // from earlier that may have changed since are asked again.
        if (reason.isEmpty() && !s.answersAreCurrent()) reason = Decision(e, s).keepReason(*envelope);
    } catch (const DirectoryDown& down) {
        log.error(QStringLiteral("kept %1 unexamined: the directory cannot answer for %2").arg(e.itemUrl, down.what));
        return Verdict::Keep;
    } catch (const InDoubt& doubt) {
        log.error(QStringLiteral("kept %1 unexamined: %2").arg(e.itemUrl, doubt.why));
        return Verdict::Keep;
    }
    if (reason.isEmpty()) {
        log.info(QStringLiteral("dropped %1 (message %2): no journaled party").arg(e.itemUrl, envelope->messageId));
        return Verdict::Drop;
    }

    const QString fwd = rules::splitForwardingText(SaveEvent::valueOf(e.registration, kForwardAddress)).address;
    if (fwd.isEmpty()) {
        log.info(QStringLiteral("kept %1 (message %2): %3").arg(e.itemUrl, envelope->messageId, reason));
        return Verdict::Keep;
    }
    const QString failure = forward(e, s, fwd, log);
    if (!failure.isEmpty()) {
        log.error(QStringLiteral("kept %1 in the journal folder: forwarding to %2 failed: %3").arg(e.itemUrl, fwd, failure));
        return Verdict::Keep;
    }
    if (SaveEvent::has(e.registration, kForwardAndSave)) {
        log.info(QStringLiteral("kept %1 (message %2): %3; also forwarded").arg(e.itemUrl, envelope->messageId, reason));
        return Verdict::Keep;
    }
    log.info(QStringLiteral("forwarded %1 (message %2) only: %3").arg(e.itemUrl, envelope->messageId, reason));
    return Verdict::Drop;
}

QString SaveEvent::valueOf(const std::vector<Property>& props, const QString& name) {
    for (const Property& p : props)
        if (same(p.name, name)) return p.value.value_or(QString());
    return QString();
}

bool SaveEvent::has(const std::vector<Property>& props, const QString& name) {
    for (const Property& p : props)
        if (same(p.name, name) && p.value) return true;
    return false;
}

}  // namespace sink
