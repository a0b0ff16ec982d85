#pragma once
// Writes the changes staged on the selected store, in this order: the hosted COM+
// application (install or removal), the store's journal recipient and the store
// tag, "Both", the exclusion markers of every staged user, removal of the old
// journal mailbox's registration item, and the rebuild of the current one from the
// store's settings. The store is reloaded afterwards by ProcessMailboxStore.

#include <cstdint>

class QTreeWidgetItem;

namespace engine {

struct Context;
struct ApplyServices;

inline constexpr const char* kFillIdentityText = "Please fill the Identity and Password fields";
inline constexpr const char* kSharedJournalText =
    "This Journal Mailbox is used by another Mailbox Store.\rAre you sure you want to change it?";

// Answers false when the apply refused to start (Windows 2000 without identity or
// password: nothing written, `result` -1); otherwise true, with `result` the
// install's answer when the application was installed. Failing steps are skipped.
// Fits Hooks::ApplyStagedChanges.
bool ApplyStagedChanges(Context& ctx, const ApplyServices& services, QTreeWidgetItem* node, int16_t& result);

}  // namespace engine
