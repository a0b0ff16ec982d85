#pragma once
// The refresh cycle of the main window: check the COM+ application, show its state,
// reset the store panel and rebuild the store tree. Every step that calls into
// another subsystem is guarded, so a failure there is logged and the cycle still
// ends with the default pointer and the window's events enabled.

#include "panel/InstallFormUi.h"
#include "state/ErrorLog.h"
#include "state/Globals.h"

#include <QString>
#include <functional>

namespace app {

struct RefreshSteps {
    // Answers whether the application "Tavimor" is installed; when it is, writes the
    // account it runs under to `identity`.
    std::function<bool(QString& identity)> checkComPlusApp;
    // The account proposed for the application on Windows 2000.
    std::function<QString()> proposeIdentity;
    // Rebuilds the store tree (and loads the remembered store).
    std::function<void()> getMailboxStores;
    // The program's library folder and whether a file exists (the sink library).
    std::function<QString()> libraryFolder;
    std::function<bool(const QString& path)> fileExists;
};

void RefreshLists(panel::InstallFormUi& ui, state::Globals& g, state::FormState& form, state::ErrorLog& log,
                  const RefreshSteps& steps);

// Empties the store panel's choices (with the window's events off).
void resetStorePanel(panel::InstallFormUi& ui);

}  // namespace app
