#pragma once
// Writes the changes staged on the loaded store, in this order: the hosted COM+
// application (install or removal), the store's journal recipient and the store
// tag, "Both", the exclusion markers of every staged user, removal of the old
// journal mailbox's registration item, and the rebuild of the current one from the
// store's settings. Everything is read from the panel model and written to the
// store it names; the store is reloaded afterwards by ProcessMailboxStore.

#include "engine/ApplyServices.h"
#include "panel/PanelModel.h"
#include "state/Forward.h"

#include <QStringList>
#include <cstdint>
#include <functional>

namespace engine {

inline constexpr const char* kFillIdentityText = "Please fill the Identity and Password fields";
inline constexpr const char* kSharedJournalText =
    "This Journal Mailbox is used by another Mailbox Store.\rAre you sure you want to change it?";

// What the apply reads and tells besides the model and the writes.
struct ApplyEnv {
    state::Globals& g;
    state::FormState& form;
    state::Prompt& prompt;
    state::ErrorLog& log;
    QString identity;  // typed for the COM+ application (Windows 2000 only)
    QString password;
    // The tags of every tree node other than the loaded store's.
    std::function<QStringList()> otherTags;
};

// Answers false when the apply refused to start (Windows 2000 without identity or
// password: nothing written, `result` -1); otherwise true, with `result` the
// install's answer when the application was installed. Failing steps are skipped.
// The loaded store's tag in `model` follows what was written.
bool ApplyStagedChanges(panel::PanelModel& model, const ApplyServices& services, const ApplyEnv& env, int16_t& result);

}  // namespace engine
