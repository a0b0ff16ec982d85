#include "storetool/Delivery.h"

#include "journal/JournalReport.h"
#include "platform/store/EventDirectory.h"
#include "platform/store/Store.h"
#include "store/Items.h"
#include "store/JournalMailbox.h"

#include <QUuid>

namespace storetool {

namespace rc = platform::store::recipients;
namespace ps = platform::store;

Deliverer::Deliverer(StoreEnvironment& env) : env_(env) {}
Deliverer::~Deliverer() = default;

std::vector<Deliverer::Party> Deliverer::expand(const QString& address) {
    const auto r = rc::byAddress(address);
    if (!r) return {{address, QString()}};
    if (r->kind != QLatin1String("group")) return {{r->mail.isEmpty() ? address : r->mail, r->homeMdb}};
    std::vector<Party> out;
    if (const auto members = rc::membersOf(r->dn))
        for (const rc::Recipient& m : *members)
            if (!m.mail.isEmpty()) out.push_back({m.mail + QStringLiteral(", Expanded: ") + r->mail, m.homeMdb});
    return out;
}

QString Deliverer::journalOf(const QString& homeMdb) {
    if (homeMdb.isEmpty()) return QString();
    const QString key = homeMdb.toLower();
    if (!journals_.contains(key)) journals_.insert(key, rc::journalRecipientOf(homeMdb).value_or(QString()));
    return journals_.value(key);
}

QString Deliverer::folderOf(const QString& journalDn, QString& journalMail) {
    const QString key = journalDn.toLower();
    if (!folders_.contains(key)) {
        QString folder;
        store::RegistrationContext ctx = env_.context();
        if (const auto mailbox = store::resolveJournalMailbox(ctx, journalDn, true)) {
            journalMail = mailbox->mail;
            if (mailbox->publicFolder) {
                folder = store::GetPublicFolderURL(ctx, store::publicFolderRoot(env_.globals()), mailbox->mail, false);
            } else {
                for (const QString& base : store::mailboxCandidates(env_.globals(), *mailbox)) {
                    try {
                        folder = store::folderUrlOf(base, mailbox->folderName(), nullptr);
                        ps::StoreRecord probe;
                        probe.open(folder);
                        break;
                    } catch (const platform::ComError&) {
                        folder.clear();
                    }
                }
            }
        }
        folders_.insert(key, {folder, journalMail});
    }
    journalMail = folders_.value(key).second;
    return folders_.value(key).first;
}

SavedReport Deliverer::save(const QString& journalDn, const QByteArray& original, const journal::Envelope& envelope) {
    QString journalMail;
    const QString folder = folderOf(journalDn, journalMail);
    if (folder.isEmpty()) {
        SavedReport out;
        out.journalDn = journalDn;
        out.problem = QStringLiteral("the journal recipient has no folder in the store");
        return out;
    }
    SavedReport out = saveInto(folder, journalMail, envelope, original);
    out.journalDn = journalDn;
    return out;
}

SavedReport Deliverer::saveInto(const QString& folderUrl, const QString& journalMail, const journal::Envelope& envelope,
                                const QByteArray& original) {
    SavedReport out;
    out.folderUrl = folderUrl;
    const QByteArray report = journal::buildReport(envelope, original, journalMail);
    out.itemUrl = folderUrl + QLatin1Char('/') + QUuid::createUuid().toString(QUuid::WithoutBraces) +
                  QStringLiteral(".eml");
    // One connection for the run. The report appears whole or not at all: the
    // store makes the item with its properties in one write transaction, after
    // the sink has run (a cancelled save writes nothing but what the sink
    // forwarded).
    if (!connection_) {
        connection_ = std::make_unique<ps::StoreConnection>();
        connection_->open(folderUrl);
    }
    ps::StoreRecord rec;
    rec.open(out.itemUrl, connection_.get(), ps::adMode::ReadWrite,
             ps::adCreate::CreateNonCollection | ps::adCreate::CreateOnUpdate);
    for (const journal::ReportProperty& p : journal::reportProperties(envelope, report))
        rec.setField(p.name, platform::store::detail::coerce(p.value, p.type));
    try {
        rec.update();
        out.kept = true;
    } catch (const platform::ComError& e) {
        if (e.number() != ps::err::EventCancelled) throw;
        out.problem = QStringLiteral("the sink cancelled the save");
    }
    return out;
}

std::vector<SavedReport> Deliverer::journal(journal::Envelope& e, const QStringList* const (&recipients)[3],
                                            const QByteArray& original) {
    QStringList journals;
    auto note = [&](const QString& homeMdb) {
        const QString j = journalOf(homeMdb);
        if (!j.isEmpty() && !journals.contains(j, Qt::CaseInsensitive)) journals << j;
    };
    if (const auto sender = rc::byAddress(e.sender)) note(sender->homeMdb);
    QStringList* const lists[] = {&e.to, &e.cc, &e.bcc};
    for (int i = 0; i < 3; ++i)
        for (const QString& a : *recipients[i])
            for (const Party& p : expand(a)) {
                *lists[i] << p.entry;
                note(p.homeMdb);
            }
    std::vector<SavedReport> saved;
    for (const QString& j : journals) saved.push_back(save(j, original, e));
    return saved;
}

std::vector<SavedReport> Deliverer::deliver(const Message& m) {
    journal::Envelope e;
    e.sender = m.from;
    e.subject = m.subject;
    e.messageId = QStringLiteral("<%1@%2>").arg(QUuid::createUuid().toString(QUuid::WithoutBraces), env_.domainFolder());
    const QByteArray original = journal::composeMessage(m.from, m.to, m.cc, m.subject, e.messageId,
                                                        QStringLiteral("Delivered by tavimor-store.\n"));
    return journal(e, {&m.to, &m.cc, &m.bcc}, original);
}

std::vector<SavedReport> Deliverer::deliver(const RawMessage& m) {
    // Addresses as an MTA may write them: "a@x" or "<a@x>".
    auto bare = [](QString a) {
        a = a.trimmed();
        return a.startsWith(QLatin1Char('<')) && a.endsWith(QLatin1Char('>')) ? a.mid(1, a.size() - 2).trimmed() : a;
    };
    journal::Envelope e;
    // The null reverse path (a bounce) names the store's mail daemon, an
    // address no user has, so the recipients alone decide.
    e.sender = bare(m.sender).isEmpty() ? QStringLiteral("MAILER-DAEMON@") + env_.domainFolder() : bare(m.sender);
    const journal::OriginalHeaders h = journal::originalHeaders(m.data);
    e.subject = h.subject;
    e.messageId = h.messageId;
    // The envelope decides who the parties are; the headers only say how each
    // is shown: To or Cc as the message names it, Bcc when it does not.
    QStringList to, cc, bcc;
    for (const QString& recipient : m.recipients) {
        const QString r = bare(recipient);
        if (!r.isEmpty()) (h.to.contains(r, Qt::CaseInsensitive) ? to : h.cc.contains(r, Qt::CaseInsensitive) ? cc : bcc) << r;
    }
    return journal(e, {&to, &cc, &bcc}, m.data);
}

}  // namespace storetool
