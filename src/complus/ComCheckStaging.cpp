#include "complus/ComCheckStaging.h"

#include "state/Globals.h"

namespace complus {

std::optional<ComCheckStaging> stageComCheckClick(bool eventsEnabled, int boxValue) {
    if (!eventsEnabled) return std::nullopt;
    if (boxValue >= 1) return ComCheckStaging{kStagedForeColor, true, QStringLiteral("Change")};
    return ComCheckStaging{kPlainForeColor, false, QStringLiteral("Refresh")};
}

void onComCheckClick(state::Globals& globals, int boxValue, ComCheckView& view) {
    const auto staging = stageComCheckClick(globals.blnEventsEnabled, boxValue);
    if (!staging) return;
    view.setBoxForeColor(staging->boxForeColor);
    globals.blnChangesPending = staging->changesPending;
    view.setCommand1Caption(staging->command1Caption);
}

}  // namespace complus
