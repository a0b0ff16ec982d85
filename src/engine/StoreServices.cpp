#include "engine/StoreServices.h"

#include "complus/WindowsVersion.h"
#include "directory/ObjectType.h"
#include "engine/ChangeRun.h"
#include "engine/StoreLoad.h"
#include "rules/StoreTag.h"
#include "state/Globals.h"
#include "store/Registration.h"
#include "store/RegistrationContext.h"
#include "users/UserListModel.h"

namespace engine {
namespace {

class LiveServices : public StoreServices {
public:
    LiveServices(StoreLoad& s, platform::system::SystemProbes& probes, const users::UserListModels* list,
                 std::function<void(const ChangeReport&)> onReport)
        : s_(s), list_(list), targets_(liveTargets(s.g, s.log, s.prompt, probes)), onReport_(std::move(onReport)) {}

    bool checkRegItem(const QString& mailboxDn, QString* tag) override {
        store::RegistrationContext reg{s_.g, s_.log, [tag] { return tag ? *tag : QString(); },
                                       [tag](const QString& t) {
                                           if (tag) *tag = t;
                                       },
                                       {}};
        return store::CheckRegItem(reg, mailboxDn, tag != nullptr);
    }

    QString objectType(const QString& address) override { return directory::GetObjectType(s_.g.strLDAPRoot, address); }

    bool applyStagedChanges(int16_t& result) override {
        const ChangeFacts facts = changeFacts(s_, list_);
        const ChangeEnv env{s_.g, s_.form, s_.prompt, s_.log, s_.ui.txtIdent->text(), s_.ui.txtPwd->text()};
        const ChangeReport report = runChange(planChange(s_.panel, facts), facts, s_.panel, *targets_, env);
        result = report.result;
        if (onReport_) onReport_(report);
        return report.started;
    }

private:
    StoreLoad& s_;
    const users::UserListModels* list_;
    std::unique_ptr<ChangeTargets> targets_;
    std::function<void(const ChangeReport&)> onReport_;
};

}  // namespace

std::shared_ptr<StoreServices> liveServices(StoreLoad& load, platform::system::SystemProbes& probes,
                                            const users::UserListModels* list,
                                            std::function<void(const ChangeReport&)> onReport) {
    return std::make_shared<LiveServices>(load, probes, list, std::move(onReport));
}

ChangeFacts changeFacts(const StoreLoad& s, const users::UserListModels* list) {
    ChangeFacts facts;
    if (list)
        for (const size_t i : list->stagedInListOrder()) facts.listOrder << s.panel.users().at(i).mail;
    facts.otherTags = otherStoreTags(s.panel, s.tree);
    facts.windows2000 = complus::isWindows2000(s.g.strWindowsVersion);
    facts.credentialsTyped =
        !rules::trimBlanks(s.ui.txtIdent->text()).isEmpty() && !rules::trimBlanks(s.ui.txtPwd->text()).isEmpty();
    return facts;
}

}  // namespace engine
