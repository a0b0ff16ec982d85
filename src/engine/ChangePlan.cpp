#include "engine/ChangePlan.h"

#include "rules/Markers.h"
#include "state/Globals.h"
#include "rules/StoreTag.h"

#include <QSet>

namespace engine {

using namespace rules;
using Kind = ChangeStep::Kind;

namespace {

JournalRecipientChange journalRecipientChange(const panel::StagedRecipient& journal) {
    const QString dn = trimBlanks(journal.value);
    if (journal.picked() && !dn.isEmpty()) return {JournalRecipientChange::Kind::Set, dn};
    if (journal.staged()) return {JournalRecipientChange::Kind::Delete, {}};
    return {};
}

// The store tag after a journal recipient write: the picked mailbox, none when
// it was removed, else the journal field as it was; then the newly picked
// forwarding text beside it. "Both" is dropped (its own box puts it back).
QString rebuiltStoreTag(const QString& oldTag, const JournalRecipientChange& change,
                        const panel::StagedRecipient& forwarding) {
    QString dn;
    if (change.kind == JournalRecipientChange::Kind::Set)
        dn = change.dn;
    else if (change.kind == JournalRecipientChange::Kind::Keep)
        dn = journalPart(oldTag);
    return composeStoreTag(dn, forwarding.picked() ? trimBlanks(forwarding.value) : QString());
}

// How many of `tags` name the journal mailbox `journal` (letter case ignored).
int storesNaming(const QString& journal, const QStringList& tags) {
    int count = 0;
    for (const QString& tag : tags)
        if (journalPart(tag).compare(journal, Qt::CaseInsensitive) == 0) ++count;
    return count;
}

// The model's rows in the list's order; rows the list does not name follow.
std::vector<const panel::UserRow*> rowsInListOrder(const panel::PanelModel& model, const QStringList& order) {
    std::vector<const panel::UserRow*> rows;
    QSet<const panel::UserRow*> seen;
    for (const QString& mail : order) {
        const panel::UserRow* row = model.user(mail);
        if (row && !seen.contains(row)) rows.push_back(row), seen.insert(row);
    }
    for (const panel::UserRow& row : model.users())
        if (!seen.contains(&row)) rows.push_back(&row);
    return rows;
}

ChangeStep step(Kind kind, const QString& target = {}) {
    ChangeStep s{kind, target, {}, {}, {}, false, false, {}, false, false};
    return s;
}

// A value on a line of its own: quoted, with quotes, backslashes and control
// characters escaped, so a value can neither end the line nor look like another.
QString quoted(const QString& value) {
    QString out = QStringLiteral("\"");
    for (const QChar c : value) {
        if (c == u'"' || c == u'\\')
            out += u'\\', out += c;
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar(u'0'));
        else
            out += c;
    }
    return out + u'"';
}

QString valueOrNone(const QString& value) { return value.isEmpty() ? QStringLiteral("(none)") : quoted(value); }

QString onOff(bool on) { return on ? QStringLiteral("on") : QStringLiteral("off"); }

}  // namespace

QString markerValue(const panel::UserRow& row) { return rules::composeMarkers(row.stored, row.switches); }

ChangePlan planChange(const panel::PanelModel& model, const ChangeFacts& facts) {
    ChangePlan plan;
    std::vector<ChangeStep>& steps = plan.steps;
    const QString store = model.store().dn;
    if (model.installCom() && facts.windows2000 && !facts.credentialsTyped) {
        steps.push_back(step(Kind::AskCredentials));
        plan.refused = true;
        return plan;
    }
    if (model.installCom()) {
        steps.push_back(step(Kind::RemoveComPlus));
        steps.push_back(step(Kind::InstallComPlus));
        steps.back().withCredentials = facts.windows2000;
    }
    if (model.uninstallCom()) steps.push_back(step(Kind::RemoveComPlus));
    steps.push_back(step(Kind::CheckComPlus));

    // The store's journal recipient, then the tag that forwarding and "Both" leave.
    QString tag = model.store().tag;
    QString oldTag;
    const bool recipient = (model.journal().staged() || model.forwarding().staged()) && !facts.recipientUnwritten;
    QString newTag = tag;
    if (recipient) {
        ChangeStep write = step(Kind::JournalRecipient, store);
        write.recipient = journalRecipientChange(model.journal());
        write.before = tag;
        newTag = rebuiltStoreTag(tag, write.recipient, model.forwarding());
        write.after = newTag;
        steps.push_back(write);
        oldTag = tag;
    }
    if (model.both()) newTag = withBoth(newTag, *model.both());
    if (recipient || model.both()) {
        ChangeStep forwarding = step(Kind::Forwarding, store);
        forwarding.before = tag;
        forwarding.after = newTag;
        steps.push_back(forwarding);
        tag = newTag;
    }

    // The staged users' markers in the list's order; every listed user counts.
    int fullyJournaled = 0;
    for (const panel::UserRow& row : model.users())
        if (!row.switches.anyOff()) ++fullyJournaled;
    for (const panel::UserRow* row : rowsInListOrder(model, facts.listOrder)) {
        if (!row->staged) continue;
        ChangeStep marker = step(Kind::Marker, row->mail);
        marker.before = row->stored;
        marker.after = markerValue(*row);
        steps.push_back(marker);
    }

    // The mailbox the store journaled into before loses its item when no store
    // names it any more.
    if (!oldTag.isEmpty()) {
        const QString oldJournal = journalPart(oldTag);
        if (storesNaming(oldJournal, facts.otherTags + QStringList{tag}) == 0)
            steps.push_back(step(Kind::RemoveOldRegistration, oldJournal));
    }

    // The item of the current settings is removed and, when needed, created
    // afresh; a mailbox another store names only after the administrator agrees.
    if (!tag.isEmpty()) {
        const StoreTag parts = readStoreTag(tag);
        const bool shared = storesNaming(journalPart(parts.journal), facts.otherTags) > 0;
        if (shared) steps.push_back(step(Kind::AskSharedJournal, parts.journal));
        ChangeStep remove = step(Kind::RemoveRegistration, parts.journal);
        remove.shared = shared;
        steps.push_back(remove);
        ChangeStep create = step(Kind::CreateRegistration, parts.journal);
        create.forwarding = parts.forwarding;
        create.both = parts.both;
        create.needed = static_cast<int>(model.users().size()) != fullyJournaled || !parts.forwarding.isEmpty();
        steps.push_back(create);
    }
    return plan;
}

QString stepText(const ChangeStep& s) {
    const QString app = quoted(QString::fromLatin1(state::kAppName));
    switch (s.kind) {
    case Kind::AskCredentials:
        return QStringLiteral("ask %1; nothing is written").arg(quoted(QString::fromLatin1(kFillIdentityText)));
    case Kind::RemoveComPlus:
        return QStringLiteral("remove COM+ application %1").arg(app);
    case Kind::InstallComPlus:
        return QStringLiteral("install COM+ application %1%2")
            .arg(app, s.withCredentials ? QStringLiteral(" under the typed identity") : QString());
    case Kind::CheckComPlus:
        return QStringLiteral("check COM+ application %1").arg(app);
    case Kind::JournalRecipient: {
        const QString what = s.recipient.kind == JournalRecipientChange::Kind::Set      ? "set " + quoted(s.recipient.dn)
                             : s.recipient.kind == JournalRecipientChange::Kind::Delete ? QStringLiteral("delete")
                                                                                        : QStringLiteral("keep");
        return QStringLiteral("journal recipient of %1: %2").arg(quoted(s.target), what);
    }
    case Kind::Forwarding: {
        const StoreTag before = readStoreTag(s.before), after = readStoreTag(s.after);
        return QStringLiteral("forwarding of %1: %2, Both %3 -> %4, Both %5")
            .arg(quoted(s.target), valueOrNone(before.forwarding), onOff(before.both), valueOrNone(after.forwarding),
                 onOff(after.both));
    }
    case Kind::Marker:
        return QStringLiteral("extensionAttribute10 of %1: %2 -> %3")
            .arg(quoted(s.target), valueOrNone(s.before), valueOrNone(s.after));
    case Kind::RemoveOldRegistration:
        return QStringLiteral("remove the registration item from %1 if it holds one (no store names it now)")
            .arg(quoted(s.target));
    case Kind::AskSharedJournal:
        return QStringLiteral("ask %1 if %2 holds the registration item")
            .arg(quoted(QString::fromLatin1(kSharedJournalText)), quoted(s.target));
    case Kind::RemoveRegistration:
        return QStringLiteral("remove the registration item from %1 if it holds one%2")
            .arg(quoted(s.target), s.shared ? QStringLiteral(" and the answer is Yes") : QString());
    case Kind::CreateRegistration:
        return QStringLiteral("create the registration item in %1 (forwarding %2, Both %3) if it holds none and the "
                              "COM+ application is installed%4")
            .arg(quoted(s.target), valueOrNone(s.forwarding), onOff(s.both),
                 s.needed ? QString() : QStringLiteral(", only after a user write failed"));
    }
    return {};
}

QString planText(const ChangePlan& plan) {
    QStringList lines;
    for (const ChangeStep& s : plan.steps) lines << stepText(s);
    return lines.join(u'\n') + (lines.isEmpty() ? QString() : QStringLiteral("\n"));
}

}  // namespace engine
