#include "app/RefreshCycle.h"

#include "app/CaptionLabel.h"
#include "app/ComPlusPanel.h"
#include "app/MousePointer.h"
#include "app/StatusPanels.h"
#include "platform/ComError.h"

namespace app {
namespace {

// Runs one step of the cycle; a failure is logged and the cycle goes on.
template <typename F>
void guarded(ErrorLog& log, F&& step) {
    platform::ResumeNext run;
    if (!run(std::forward<F>(step))) log.logWithoutContext(run.number(), run.description());
}

}  // namespace

QString missingSinkEntry(const QString& stamp, const QString& path) {
    return QLatin1Char('[') + stamp + QStringLiteral("] File ") + path +
           QStringLiteral(" not found. COM+ object installation is impossible.\r\n\r\n");
}

void resetStorePanel(InstallFormUi& ui) {
    ui.Command3->setEnabled(false);
    ui.Check1->setEnabled(false);
    ui.Check2->setEnabled(false);
    ui.Text3->clear();
    ui.Label3->setCaption(QString());
    ui.Check3->setChecked(false);
    ui.Text4->clear();
    ui.Label4->setCaption(QString());
    ui.Check4->setChecked(false);
    ui.Check5->setChecked(false);
}

void RefreshLists(InstallFormUi& ui, Globals& g, FormState& form, ErrorLog& log, const RefreshSteps& steps) {
    setMousePointer(ui.form, vbHourglass);
    ui.ListView1->clear();

    ComPlusFacts facts;
    guarded(log, [&] {
        QString identity;
        facts.installed = steps.checkComPlusApp && steps.checkComPlusApp(identity);
        facts.identity = identity;
    });
    form.blnComPlusInstalled = facts.installed;
    facts.windows2000 = g.strWindowsVersion == QLatin1String("Windows 2000");
    const QString sinkPath = steps.sinkLibraryPath ? steps.sinkLibraryPath() : QString();
    if (!facts.installed)
        guarded(log, [&] { facts.sinkPresent = steps.fileExists && steps.fileExists(sinkPath); });

    const ComPlusPanel panel = decideComPlusPanel(facts);
    if (panel.fillIdentityField && steps.fillIdentityField) guarded(log, steps.fillIdentityField);
    if (panel.reportMissingSink) log.prepend(missingSinkEntry(timestamp(), sinkPath));
    applyComPlusPanel(panel, ui);

    setPanelText(ui.StatusBar1, QStringLiteral("text"), panel.statusText);

    g.blnEventsEnabled = false;
    resetStorePanel(ui);

    if (steps.getMailboxStores) guarded(log, steps.getMailboxStores);

    setMousePointer(ui.form, vbDefault);
    g.blnEventsEnabled = true;
}

}  // namespace app
