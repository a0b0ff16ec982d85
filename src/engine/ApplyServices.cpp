#include "engine/ApplyServices.h"

#include "state/ErrorLog.h"
#include "state/Globals.h"
#include "state/Prompt.h"
#include "complus/ComPlus.h"
#include "platform/exchange/MailboxStoreDB.h"
#include "store/Registration.h"
#include "store/RegistrationContext.h"
#include "users/AttributeWriter.h"

namespace engine {
namespace {

const QString kApplication = QString::fromLatin1(state::kAppName);

void saveJournalRecipient(const QString& storeDn, const JournalRecipientChange& change) {
    using platform::exchange::MailboxStoreDB;
    MailboxStoreDB store = MailboxStoreDB::open(storeDn);
    if (change.kind == JournalRecipientChange::Kind::Set)
        store.setField(MailboxStoreDB::kJournalRecipient, change.dn);
    else if (change.kind == JournalRecipientChange::Kind::Delete)
        store.deleteField(MailboxStoreDB::kJournalRecipient);
    store.Save();
}

}  // namespace

ApplyServices applyServices(state::Globals& g, state::FormState&, state::ErrorLog& log, state::Prompt& prompt,
                            platform::system::SystemProbes& probes) {
    ApplyServices s;
    auto comPlus = [&log, &g, &probes] { return complus::ComPlus(log, g, probes); };
    s.RemoveComPlusApp = [comPlus] { comPlus().RemoveComPlusApp(kApplication); };
    s.InstallComPlusApp = [comPlus](const QString& identity, const QString& password) {
        return comPlus().InstallComPlusApp(kApplication, identity, password, QString());
    };
    s.CheckComPlusApp = [comPlus] {
        QString identity;
        return comPlus().CheckComPlusApp(kApplication, identity);
    };
    s.SaveJournalRecipient = saveJournalRecipient;
    s.SetAttribute = [&prompt, &g](const QString& mail, const QString& attribute, const QVariant& value) {
        platform::ResumeNext failure;
        const int16_t result = users::SetAttribute(prompt, g.strLDAPRoot, mail, attribute, value, &failure);
        if (result <= 0 && failure.number() != 0) throw platform::ComError(failure.number(), failure.description());
        return result;
    };
    // The apply never refreshes a tag from the item: it decides the tag itself.
    const auto registration = [&g, &log] { return store::RegistrationContext{g, log, {}, {}, {}}; };
    s.CheckRegItem = [registration](const QString& dn) { return store::RegItemExists(registration(), dn); };
    s.RemoveRegItem = [registration](const QString& dn) { store::RemoveRegItem(registration(), dn); };
    s.CreateRegItem = [registration](const QString& dn, const QString& forwarding, bool both) {
        store::CreateRegItem(registration(), dn, forwarding, both);
    };
    return s;
}

}  // namespace engine
