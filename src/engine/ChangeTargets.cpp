// The catalog, the store and the directory as a change plan writes them.
#include "engine/ChangeRun.h"

#include "complus/ComPlus.h"
#include "platform/ComError.h"
#include "platform/audit/Trail.h"
#include "platform/directory/Directory.h"
#include "platform/exchange/MailboxStoreDB.h"
#include "state/Globals.h"
#include "store/Registration.h"
#include "store/RegistrationContext.h"
#include "users/AttributeWriter.h"

namespace engine {
namespace {

const QString kApplication = QString::fromLatin1(state::kAppName);
const QString kMarkerAttribute = QStringLiteral("extensionAttribute10");

class LiveTargets : public ChangeTargets {
public:
    LiveTargets(state::Globals& g, state::ErrorLog& log, state::Prompt& prompt, platform::system::SystemProbes& probes)
        : g_(g), log_(log), prompt_(prompt), probes_(probes) {}

    // A removal that failed is a step not done (the catalog's routine logged why).
    void removeComPlus() override {
        if (const QString failure = comPlus().RemoveComPlusApp(kApplication); !failure.isEmpty())
            throw platform::ComError(platform::hr::Fail, failure);
    }
    int16_t installComPlus(const QString& identity, const QString& password) override {
        return comPlus().InstallComPlusApp(kApplication, identity, password, QString());
    }
    bool comPlusInstalled() override {
        QString identity;
        return comPlus().CheckComPlusApp(kApplication, identity);
    }

    void saveJournalRecipient(const QString& storeDn, const JournalRecipientChange& change) override {
        using platform::exchange::MailboxStoreDB;
        MailboxStoreDB store = MailboxStoreDB::open(storeDn);
        if (change.kind == JournalRecipientChange::Kind::Set)
            store.setField(MailboxStoreDB::kJournalRecipient, change.dn);
        else if (change.kind == JournalRecipientChange::Kind::Delete)
            store.deleteField(MailboxStoreDB::kJournalRecipient);
        store.Save();
    }

    void writeMarkers(const std::vector<users::AttributeWrite>& writes, const users::WriteAnswers& answer) override {
        users::SetAttributes(prompt_, g_.strLDAPRoot, kMarkerAttribute, writes, answer);
    }

    // The plan decides the tag itself: the item never rewrites it here.
    bool regItemExists(const QString& mailboxDn) override { return store::RegItemExists(registration(), mailboxDn); }
    void removeRegItem(const QString& mailboxDn) override { store::RemoveRegItem(registration(), mailboxDn); }
    void createRegItem(const QString& mailboxDn, const QString& forwarding, bool both) override {
        store::CreateRegItem(registration(), mailboxDn, forwarding, both);
    }

    QString signedInAs() override { return platform::directory::signedInAs(g_.strLDAPRoot); }
    QString audit(const platform::audit::Entry& entry) override { return platform::audit::record(entry); }

private:
    complus::ComPlus comPlus() { return complus::ComPlus(log_, g_, probes_); }
    store::RegistrationContext registration() { return store::RegistrationContext{g_, log_, {}, {}, {}}; }

    state::Globals& g_;
    state::ErrorLog& log_;
    state::Prompt& prompt_;
    platform::system::SystemProbes& probes_;
};

}  // namespace

std::unique_ptr<ChangeTargets> liveTargets(state::Globals& g, state::ErrorLog& log, state::Prompt& prompt,
                                           platform::system::SystemProbes& probes) {
    return std::make_unique<LiveTargets>(g, log, prompt, probes);
}

}  // namespace engine
