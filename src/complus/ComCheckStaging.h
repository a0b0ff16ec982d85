#pragma once
// The click handlers of "Install COM+ object" (CheckRegCom) and "Uninstall COM+
// object" (CheckUnRegCom) only stage the action: a checked box turns red and the
// Refresh button becomes "Change"; an unchecked box turns black and the button
// reads "Refresh" again. Nothing happens while the program's own changes run
// (blnEventsEnabled False).

#include "state/Forward.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace complus {

inline constexpr uint32_t kStagedForeColor = 255;  // red, 0x00BBGGRR
inline constexpr uint32_t kPlainForeColor = 0;     // black

struct ComCheckStaging {
    uint32_t boxForeColor;
    bool changesPending;
    QString command1Caption;
};

// What a click on either box sets, given the box's value after the click (1 or
// more is checked); nothing when events are disabled.
std::optional<ComCheckStaging> stageComCheckClick(bool eventsEnabled, int boxValue);

// The controls the handler changes; the main window implements it over the
// clicked box and Command1.
class ComCheckView {
public:
    virtual ~ComCheckView() = default;
    virtual void setBoxForeColor(uint32_t color) = 0;
    virtual void setCommand1Caption(const QString& caption) = 0;
};

// The whole handler: reads blnEventsEnabled, sets blnChangesPending and the view.
void onComCheckClick(state::Globals& globals, int boxValue, ComCheckView& view);

}  // namespace complus
