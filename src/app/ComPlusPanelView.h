#pragma once
// Shows a COM+ panel decision on the main window's controls: the install and
// uninstall boxes, the identity and password fields and the state label.

#include "panel/InstallFormUi.h"
#include "complus/ComPlusPanel.h"

namespace app {

void applyComPlusPanel(const complus::ComPlusPanel& panel, panel::InstallFormUi& ui);

}  // namespace app
