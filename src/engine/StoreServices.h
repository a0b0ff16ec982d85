#pragma once
// What the store load asks of the store, the directory and Change: the
// registration item check, an address's object class, and the writing of the
// staged edits. liveServices is the real behaviour; tests put fakes in its place.

#include "engine/ChangePlan.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

namespace platform::system {
class SystemProbes;
}
namespace users {
struct UserListModels;
}

namespace engine {

struct StoreLoad;
struct ChangeReport;

class StoreServices {
public:
    virtual ~StoreServices() = default;
    // Does the event registration item exist in the journal mailbox? With a
    // `tag`, that store tag is also rewritten from the item's settings.
    virtual bool checkRegItem(const QString& mailboxDn, QString* tag) = 0;
    // Class of the object with a mail address ("user", "group", "contact", "pf").
    virtual QString objectType(const QString& address) = 0;
    // Writes the changes staged in the panel model to the loaded store before it
    // is reloaded. May change `result`; answers false when the run must stop at
    // once (result is then returned).
    virtual bool applyStagedChanges(int16_t& result) = 0;
};

// The real services of `load`: the store's registration item, the directory's
// classification, and Change planned from the panel model and `facts` and run
// against the catalog, the directory and the store. `list` gives the user
// list's order (without it, the model's order). `onReport`, when set, is told
// what each Change did, step by step, before the store is loaded again.
std::shared_ptr<StoreServices> liveServices(StoreLoad& load, platform::system::SystemProbes& probes,
                                            const users::UserListModels* list,
                                            std::function<void(const ChangeReport&)> onReport = {});

// What a Change plan is made from besides the panel model: the user list's
// staged rows as the administrator sees them, the other stores' tags, and
// whether the hosted application's account is typed in.
ChangeFacts changeFacts(const StoreLoad& load, const users::UserListModels* list);

}  // namespace engine
