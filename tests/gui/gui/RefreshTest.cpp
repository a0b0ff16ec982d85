#include "FormFixture.h"

#include "kit/CaptionLabel.h"
#include "kit/MousePointer.h"
#include "kit/StatusPanels.h"

using namespace app;
using namespace kit;
using namespace panel;
using testing_gui::FormTest;

namespace {
const QString kNotInstalled = QStringLiteral("COM+ object \"Tavimor\" is not installed.");

QList<QWidget*> accountControls(InstallFormUi& ui) {
    return {ui.txtIdent, ui.txtPwd, ui.LabelIdentity, ui.LabelIdentityHelp, ui.LabelPassword};
}
}  // namespace

// The panel's decisions are tested without widgets; these check that each of
// the three states reaches the window's controls.
TEST_F(FormTest, MissingSinkLibraryIsLoggedOnEveryRefreshWithoutShowingTheLog) {
    form->globals().strWindowsVersion = QStringLiteral("Windows XP");
    form->RefreshLists();
    form->RefreshLists();
    EXPECT_EQ(form->errorLog().text().count(QStringLiteral("Tavimor.so not found.")), 2);
    EXPECT_TRUE(ui().txtErr->isHidden());
    EXPECT_FALSE(ui().CheckRegCom->isEnabled());
    EXPECT_FALSE(ui().CheckUnRegCom->isEnabled());
    EXPECT_EQ(ui().Label8->text(), kNotInstalled);
    EXPECT_EQ(statusPanel(ui().StatusBar1, QStringLiteral("text"))->text(),
              QStringLiteral("Tavimor disabled globally. Install COM+ object to enable it."));
    for (QWidget* w : accountControls(ui())) EXPECT_TRUE(w->isHidden()) << w->objectName().toStdString();
}

TEST_F(FormTest, InstalledShowsTheAccountReadOnlyOnWindows2000AndNotInstalledAsksForIt) {
    comPlusInstalled = true;
    comPlusIdentity = QStringLiteral("LAB\\svc-journal");
    form->globals().strWindowsVersion = QStringLiteral("Windows 2000");
    ui().CheckUnRegCom->setChecked(true);
    form->RefreshLists();
    EXPECT_TRUE(form->state().blnComPlusInstalled);
    EXPECT_TRUE(ui().CheckUnRegCom->isEnabled());
    EXPECT_FALSE(ui().CheckUnRegCom->isChecked());
    EXPECT_FALSE(ui().txtIdent->isHidden());
    EXPECT_FALSE(ui().txtIdent->isEnabled());
    EXPECT_EQ(ui().txtIdent->text(), comPlusIdentity);
    EXPECT_TRUE(ui().txtPwd->isHidden());
    EXPECT_EQ(ui().LabelPassword->text(), QStringLiteral("Password: ********"));

    comPlusInstalled = false;
    sinkPresent();
    ui().txtPwd->setText(QStringLiteral("old"));
    form->RefreshLists();
    EXPECT_EQ(identityProposals, 1);
    EXPECT_EQ(ui().txtIdent->text(), QStringLiteral("LAB\\admin"));
    EXPECT_TRUE(ui().CheckRegCom->isEnabled());
    for (QWidget* w : accountControls(ui())) EXPECT_FALSE(w->isHidden()) << w->objectName().toStdString();
    EXPECT_TRUE(ui().txtPwd->isEnabled());
    EXPECT_TRUE(ui().txtPwd->text().isEmpty());
    EXPECT_EQ(ui().LabelPassword->text(), QStringLiteral("Password:"));
    EXPECT_TRUE(form->errorLog().text().isEmpty());
}

TEST_F(FormTest, RefreshResetsThePanelAndRebuildsTheTreeWithEventsOff) {
    sinkPresent();
    form->globals().strWindowsVersion = QStringLiteral("Windows XP");
    form->panel().setUsers({{QStringLiteral("someone@x"), QStringLiteral("someone"), {}, {}, false, false}});
    for (QCheckBox* box : {ui().Check3, ui().Check4, ui().Check5}) box->setChecked(true);
    ui().Label3->setCaption(QStringLiteral("Journal"));
    ui().Label4->setCaption(QStringLiteral("Fwd"));
    for (QWidget* w : {(QWidget*)ui().Command3, (QWidget*)ui().Check1, (QWidget*)ui().Check2}) w->setEnabled(true);

    form->RefreshLists();

    EXPECT_EQ(ui().ListView1->model()->rowCount(), 0);
    for (QWidget* w : {(QWidget*)ui().Command3, (QWidget*)ui().Check1, (QWidget*)ui().Check2})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    for (QCheckBox* box : {ui().Check3, ui().Check4, ui().Check5})
        EXPECT_FALSE(box->isChecked()) << box->objectName().toStdString();
    for (auto* name : {ui().Label3, ui().Label4}) EXPECT_TRUE(name->caption().isEmpty());
    EXPECT_EQ(storeTreeBuilds, 1);
    EXPECT_FALSE(eventsDuringTree);
    EXPECT_FALSE(form->panel().busy());
    EXPECT_EQ(mousePointer(form.get()), vbDefault);
}

TEST_F(FormTest, AFailingStoreTreeIsLoggedAndTheRefreshStillEnds) {
    sinkPresent();
    storeTreeFails = true;
    form->RefreshLists();
    EXPECT_FALSE(form->panel().busy());
    EXPECT_EQ(mousePointer(form.get()), vbDefault);
    EXPECT_TRUE(form->errorLog().text().contains(QStringLiteral("ERROR: %1 down").arg(platform::hr::ServerDown)));
}
