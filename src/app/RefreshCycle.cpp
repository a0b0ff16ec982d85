#include "app/RefreshCycle.h"

#include "kit/CaptionLabel.h"
#include "app/ComPlusPanelView.h"
#include "kit/MousePointer.h"
#include "kit/StatusPanels.h"
#include "complus/SinkLibrary.h"
#include "complus/WindowsVersion.h"
#include "platform/ComError.h"

namespace app {
namespace {

// Runs one step of the cycle; a failure is logged and the cycle goes on.
template <typename F>
void guarded(state::ErrorLog& log, F&& step) {
    platform::ResumeNext run;
    if (!run(std::forward<F>(step))) log.logWithoutContext(run.number(), run.description());
}

complus::ComPlusFacts comPlusFacts(const state::Globals& g, state::ErrorLog& log, const RefreshSteps& steps) {
    complus::ComPlusFacts facts;
    guarded(log, [&] { facts.installed = steps.checkComPlusApp && steps.checkComPlusApp(facts.identity); });
    facts.windows2000 = complus::isWindows2000(g.strWindowsVersion);
    if (!facts.installed) {
        guarded(log, [&] {
            facts.libraryFolder = steps.libraryFolder ? steps.libraryFolder() : QString();
            const QString library = complus::sinkLibraryPath(facts.libraryFolder, QString::fromLatin1(state::kAppName));
            facts.libraryPresent = steps.fileExists && steps.fileExists(library);
        });
        facts.stamp = state::timestamp();
    }
    return facts;
}

}  // namespace

void resetStorePanel(panel::InstallFormUi& ui) {
    ui.Command3->setEnabled(false);
    ui.Check1->setEnabled(false);
    ui.Check2->setEnabled(false);
    ui.Label3->setCaption(QString());
    ui.Check3->setChecked(false);
    ui.Label4->setCaption(QString());
    ui.Check4->setChecked(false);
    ui.Check5->setChecked(false);
}

void RefreshLists(panel::InstallFormUi& ui, state::Globals& g, state::FormState& form, state::ErrorLog& log,
                  const RefreshSteps& steps) {
    kit::setMousePointer(ui.form, kit::vbHourglass);

    const complus::ComPlusFacts facts = comPlusFacts(g, log, steps);
    form.blnComPlusInstalled = facts.installed;
    const complus::ComPlusPanel panel = complus::decideComPlusPanel(facts, steps.proposeIdentity);
    if (!panel.logEntry.isEmpty()) log.prepend(panel.logEntry);
    applyComPlusPanel(panel, ui);
    kit::setPanelText(ui.StatusBar1, QStringLiteral("text"), panel.statusText);

    resetStorePanel(ui);

    if (steps.getMailboxStores) guarded(log, steps.getMailboxStores);

    kit::setMousePointer(ui.form, kit::vbDefault);
}

}  // namespace app
