#pragma once
// The refresh cycle of the main window: check the COM+ application, show its state,
// reset the store panel and rebuild the store tree. Every step that calls into
// another subsystem is guarded, so a failure there is logged and the cycle still
// ends with the default pointer and the window's events enabled.

#include "app/InstallFormUi.h"
#include "app/state/ErrorLog.h"
#include "app/state/Globals.h"

#include <QString>
#include <functional>

namespace app {

struct RefreshSteps {
    // Answers whether the application "Tavimor" is installed; when it is, writes the
    // account it runs under to `identity`.
    std::function<bool(QString& identity)> checkComPlusApp;
    // Proposes an account in txtIdent.
    std::function<void()> fillIdentityField;
    // Rebuilds the store tree (and loads the remembered store).
    std::function<void()> getMailboxStores;
    // Where the sink library is expected, and whether it is there.
    std::function<QString()> sinkLibraryPath;
    std::function<bool(const QString& path)> fileExists;
};

void RefreshLists(InstallFormUi& ui, Globals& g, FormState& form, ErrorLog& log, const RefreshSteps& steps);

// The informational entry of a refresh that finds no sink library.
QString missingSinkEntry(const QString& stamp, const QString& path);

// Empties the store panel's choices (with the window's events off).
void resetStorePanel(InstallFormUi& ui);

}  // namespace app
