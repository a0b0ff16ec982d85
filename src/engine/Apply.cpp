#include "engine/Apply.h"

#include "state/ErrorLog.h"
#include "state/Globals.h"
#include "state/Prompt.h"
#include "complus/WindowsVersion.h"
#include "rules/StoreTag.h"
#include "platform/ComError.h"

#include <optional>

namespace engine {

using namespace rules;
namespace {

const QString kMarkerAttribute = QStringLiteral("extensionAttribute10");
constexpr int kSharedJournalStyle = state::mb::YesNo | state::mb::Exclamation | state::mb::DefaultButton2;  // 308

class Apply {
public:
    Apply(panel::PanelModel& model, const ApplyServices& services, const ApplyEnv& env)
        : m_(model), s_(services), env_(env) {}

    bool run(int16_t& result) {
        if (m_.installCom()) {
            if (!credentialsComplete()) {
                env_.prompt.ask(QString::fromLatin1(kFillIdentityText), state::mb::Exclamation,
                                QString::fromLatin1(state::kAppName));
                env_.g.blnEventsEnabled = true;
                result = -1;
                return false;
            }
            installComPlus(result);
        }
        if (m_.uninstallCom()) resume_([&] { s_.RemoveComPlusApp(); });
        resume_([&] { env_.form.blnComPlusInstalled = s_.CheckComPlusApp(); });
        if (m_.journal().staged() || m_.forwarding().staged()) writeJournalRecipient();
        if (m_.both()) m_.setTag(withBoth(m_.store().tag, *m_.both()));
        const UserCounts counts = writeUserMarkers();
        removeOldRegistration();
        rebuildRegistration(counts);
        return true;
    }

private:
    // On Windows 2000 the application runs under the typed account, so both fields
    // must be filled before anything is written.
    bool credentialsComplete() const {
        if (!complus::isWindows2000(env_.g.strWindowsVersion)) return true;
        return !trimBlanks(env_.identity).isEmpty() && !trimBlanks(env_.password).isEmpty();
    }

    void installComPlus(int16_t& result) {
        const bool w2k = complus::isWindows2000(env_.g.strWindowsVersion);
        const QString identity = w2k ? env_.identity : QString();
        const QString password = w2k ? env_.password : QString();
        resume_([&] { s_.RemoveComPlusApp(); });
        resume_([&] { result = s_.InstallComPlusApp(identity, password); });
    }

    // The store's journal recipient; the tag follows only a write that succeeded.
    // A failed write is logged with the store's name.
    void writeJournalRecipient() {
        const JournalRecipientChange change = journalRecipientChange(m_.journal());
        platform::ResumeNext write;
        if (!write([&] { s_.SaveJournalRecipient(m_.store().dn, change); })) {
            env_.log.logWithContext(m_.store().dn, write.number(), write.description());
            return;
        }
        oldTag_ = m_.store().tag;
        m_.setTag(rebuiltStoreTag(oldTag_, m_.journal(), m_.forwarding()));
    }

    // Writes the markers of the staged rows and counts every listed user that
    // was not to be written or was written. Each user not written is named in the
    // error log with the failure; once the directory is unreachable the users
    // left are not tried, and one entry says which users were written and which
    // were not.
    UserCounts writeUserMarkers() {
        UserCounts counts;
        QStringList written, notWritten;
        bool unreachable = false;
        for (const panel::UserRow& row : m_.users()) {
            if (row.staged) {
                if (unreachable) {
                    notWritten << row.mail;
                    continue;
                }
                const QVariant value = markerValue(row.stored, row.switches);
                int16_t result = 0;
                platform::ResumeNext write;
                if (!write([&] { result = s_.SetAttribute(row.mail, kMarkerAttribute, value); }) || result <= 0) {
                    const int32_t number = write.number() != 0 ? write.number() : platform::hr::Fail;
                    const QString why = write.number() != 0 ? write.description() : QStringLiteral("Not written.");
                    env_.log.logWithContext(row.mail, number, why);
                    notWritten << row.mail;
                    unreachable = number == platform::hr::ServerDown;
                    continue;
                }
                written << row.mail;
            }
            // A user counts by the switches, also when other text stays in the value.
            if (row.switches.anyOff())
                ++counts.marked;
            else
                ++counts.fullyJournaled;
        }
        if (!notWritten.isEmpty())
            env_.log.logWithContext(
                m_.store().name, platform::hr::Fail,
                QStringLiteral("%1 of %2 users written. Written: %3. Not written: %4.")
                    .arg(written.size())
                    .arg(written.size() + notWritten.size())
                    .arg(written.isEmpty() ? QStringLiteral("none") : written.join(QStringLiteral(", ")),
                         notWritten.join(QStringLiteral(", "))));
        return counts;
    }

    // Fewer than `limit` stores (the loaded one with its new tag included) name
    // this journal mailbox.
    bool fewerStoresName(const QString& journal, int limit) const {
        QStringList tags = env_.otherTags ? env_.otherTags() : QStringList();
        tags << m_.store().tag;
        int count = 0;
        for (const QString& tag : tags)
            if (journalPart(tag).compare(journal, Qt::CaseInsensitive) == 0) ++count;
        return count < limit;
    }

    // Whether the mailbox holds the item; nothing when it could not be read
    // (logged: then nothing is created in it or removed from it).
    std::optional<bool> regItemExists(const QString& dn) {
        if (!s_.CheckRegItem) return false;
        bool exists = false;
        platform::ResumeNext check;
        if (check([&] { exists = s_.CheckRegItem(dn); })) return exists;
        env_.log.logWithContext(dn, check.number(),
                                QStringLiteral("The journal mailbox could not be read; its registration is left as it "
                                               "is. ") + check.description());
        return std::nullopt;
    }

    // The mailbox that journaled the store before loses its item when no store
    // names it any more.
    void removeOldRegistration() {
        if (oldTag_.isEmpty()) return;
        const QString oldJournal = journalPart(oldTag_);
        if (regItemExists(oldJournal).value_or(false) && fewerStoresName(oldJournal, 1))
            resume_([&] { s_.RemoveRegItem(oldJournal); });
    }

    // The item of the current settings is removed and, when still needed, created
    // afresh. A journal mailbox that another store names is only touched when the
    // administrator agrees.
    void rebuildRegistration(const UserCounts& counts) {
        const QString tag = m_.store().tag;
        if (tag.isEmpty()) return;
        const StoreTag parts = readStoreTag(tag);
        std::optional<bool> exists = regItemExists(parts.journal);
        if (!exists) return;
        if (*exists && (fewerStoresName(journalPart(parts.journal), 2) || askSharedJournal())) {
            resume_([&] { s_.RemoveRegItem(parts.journal); });
            exists = regItemExists(parts.journal);
            if (!exists) return;
        }
        if (shouldCreateRegItem(*exists, env_.form.blnComPlusInstalled, static_cast<int>(m_.users().size()),
                                counts.fullyJournaled, parts.forwarding))
            resume_([&] { s_.CreateRegItem(parts.journal, parts.forwarding, parts.both); });
    }

    bool askSharedJournal() {
        return env_.prompt.ask(QString::fromLatin1(kSharedJournalText), kSharedJournalStyle,
                               QString::fromLatin1(state::kAppName)) == state::mb::Yes;
    }

    panel::PanelModel& m_;
    const ApplyServices& s_;
    const ApplyEnv& env_;
    platform::ResumeNext resume_;
    QString oldTag_;
};

}  // namespace

bool ApplyStagedChanges(panel::PanelModel& model, const ApplyServices& services, const ApplyEnv& env, int16_t& result) {
    return Apply(model, services, env).run(result);
}

}  // namespace engine
