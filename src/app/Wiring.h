#pragma once
// Connects the main window to the subsystems of the program: start-up discovery,
// the COM+ check, the store tree and the change engine.

namespace app {

class InstallForm;

void wireSubsystems(InstallForm& form);

}  // namespace app
