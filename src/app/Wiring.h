#pragma once
// Connects the main window to the subsystems of the program: start-up discovery,
// the COM+ check, the store tree and the change engine.

#include "state/ServerChooser.h"

#include <QString>

namespace app {

class InstallForm;

// The server the window works on: the one asked for (--server or TAVIMOR_SERVER,
// "" for this computer), and who offers the organisation's servers when that is
// none of them. Without a chooser, or when the choice is cancelled, the error log
// says why and the tree stays empty; the next Refresh asks again.
struct ServerSelection {
    QString requested;
    state::ServerChooser* chooser = nullptr;
};

void wireSubsystems(InstallForm& form, ServerSelection server = {});

}  // namespace app
