#pragma once
// Creates the controls of the main window, named after their roles, and lays them
// out: store tree on the left; on the right the store panel, the COM+ group and
// the Refresh/Exit buttons; the error log above the status bar.

#include "panel/InstallFormUi.h"

class QMainWindow;

namespace app {

panel::InstallFormUi buildInstallForm(QMainWindow* form);

}  // namespace app
