#include "FormFixture.h"

#include "kit/CaptionLabel.h"
#include "kit/MousePointer.h"
#include "kit/StatusPanels.h"

using namespace app;
using testing_gui::FormTest;

namespace {
const QString kNotInstalled = QStringLiteral("COM+ object \"Tavimor\" is not installed.");

QList<QWidget*> accountControls(InstallFormUi& ui) {
    return {ui.txtIdent, ui.txtPwd, ui.LabelIdentity, ui.LabelIdentityHelp, ui.LabelPassword};
}
}  // namespace

TEST_F(FormTest, MissingSinkLibraryIsReportedOnEveryRefreshNewestFirst) {
    tickingClock();
    form->globals().strWindowsVersion = QStringLiteral("Windows XP");
    form->RefreshLists();
    form->RefreshLists();

    // The clock ticks once per entry: the second refresh's entry comes first.
    const QString entry = QStringLiteral("[%1] File /opt/tavimor/Tavimor.so not found. "
                                         "COM+ object installation is impossible.\r\n\r\n");
    const QLocale loc = QLocale::system();
    auto stamp = [&](int s) {
        const QDateTime t(QDate(2024, 3, 1), QTime(10, 0, s));
        return loc.toString(t.date(), QLocale::ShortFormat) + ' ' + loc.toString(t.time(), QLocale::LongFormat);
    };
    EXPECT_EQ(form->errorLog().text(), entry.arg(stamp(2)) + entry.arg(stamp(1)));
    EXPECT_TRUE(ui().txtErr->isHidden());  // written, not shown

    EXPECT_EQ(panelText(ui().StatusBar1, QStringLiteral("text")),
              QStringLiteral("Tavimor disabled globally. Install COM+ object to enable it."));
    EXPECT_FALSE(ui().CheckRegCom->isEnabled());
    EXPECT_FALSE(ui().CheckUnRegCom->isEnabled());
    EXPECT_FALSE(ui().Label8->isHidden());
    EXPECT_EQ(ui().Label8->text(), kNotInstalled);
    for (QWidget* w : accountControls(ui())) EXPECT_TRUE(w->isHidden()) << w->objectName().toStdString();
    EXPECT_FALSE(form->state().blnComPlusInstalled);
}

TEST_F(FormTest, InstalledShowsTheStateOnXpAndTheAccountReadOnlyOnWindows2000) {
    comPlusInstalled = true;
    comPlusIdentity = QStringLiteral("LAB\\svc-journal");
    form->globals().strWindowsVersion = QStringLiteral("Windows XP");
    ui().CheckUnRegCom->setChecked(true);
    form->RefreshLists();
    EXPECT_TRUE(form->state().blnComPlusInstalled);
    EXPECT_EQ(panelText(ui().StatusBar1, QStringLiteral("text")), QString());
    EXPECT_FALSE(ui().CheckRegCom->isEnabled());
    EXPECT_TRUE(ui().CheckUnRegCom->isEnabled());
    EXPECT_FALSE(ui().CheckUnRegCom->isChecked());
    EXPECT_TRUE(ui().txtIdent->isHidden());
    EXPECT_EQ(ui().Label8->text(), QStringLiteral("COM+ object \"Tavimor\" is installed."));

    form->globals().strWindowsVersion = QStringLiteral("Windows 2000");
    form->RefreshLists();
    EXPECT_FALSE(ui().txtIdent->isHidden());
    EXPECT_FALSE(ui().txtIdent->isEnabled());
    EXPECT_EQ(ui().txtIdent->text(), comPlusIdentity);
    EXPECT_TRUE(ui().txtPwd->isHidden());
    EXPECT_EQ(ui().LabelPassword->text(), QStringLiteral("Password: ********"));
    EXPECT_TRUE(ui().Label8->isHidden());
    EXPECT_TRUE(form->errorLog().text().isEmpty());
}

TEST_F(FormTest, NotInstalledWithSinkOnWindows2000AsksForAccountAndPassword) {
    sinkPresent();
    form->globals().strWindowsVersion = QStringLiteral("Windows 2000");
    ui().txtPwd->setText(QStringLiteral("old"));
    form->RefreshLists();

    EXPECT_EQ(identityProposals, 1);
    EXPECT_EQ(ui().txtIdent->text(), QStringLiteral("LAB\\admin"));
    EXPECT_TRUE(ui().CheckRegCom->isEnabled());
    EXPECT_FALSE(ui().CheckUnRegCom->isEnabled());
    for (QWidget* w : accountControls(ui())) EXPECT_FALSE(w->isHidden()) << w->objectName().toStdString();
    EXPECT_TRUE(ui().txtPwd->isEnabled());
    EXPECT_TRUE(ui().txtPwd->text().isEmpty());
    EXPECT_EQ(ui().LabelPassword->text(), QStringLiteral("Password:"));
    EXPECT_TRUE(ui().Label8->isHidden());
    EXPECT_TRUE(form->errorLog().text().isEmpty());
}

TEST_F(FormTest, RefreshResetsThePanelAndRebuildsTheTreeWithEventsOff) {
    sinkPresent();
    form->globals().strWindowsVersion = QStringLiteral("Windows XP");
    ui().ListView1->setColumnCount(3);
    new QTreeWidgetItem(ui().ListView1, {QStringLiteral("someone")});
    for (QCheckBox* box : {ui().Check3, ui().Check4, ui().Check5}) box->setChecked(true);
    ui().Label3->setCaption(QStringLiteral("Journal"));
    ui().Label4->setCaption(QStringLiteral("Fwd"));
    for (QWidget* w : {(QWidget*)ui().Command3, (QWidget*)ui().Check1, (QWidget*)ui().Check2}) w->setEnabled(true);
    form->globals().blnEventsEnabled = true;

    form->RefreshLists();

    EXPECT_EQ(ui().ListView1->topLevelItemCount(), 0);
    for (QWidget* w : {(QWidget*)ui().Command3, (QWidget*)ui().Check1, (QWidget*)ui().Check2})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    for (QCheckBox* box : {ui().Check3, ui().Check4, ui().Check5})
        EXPECT_FALSE(box->isChecked()) << box->objectName().toStdString();
    EXPECT_TRUE(ui().Label3->caption().isEmpty());
    EXPECT_TRUE(ui().Label4->caption().isEmpty());
    EXPECT_EQ(storeTreeBuilds, 1);
    EXPECT_FALSE(eventsDuringTree);
    EXPECT_TRUE(form->globals().blnEventsEnabled);
    EXPECT_EQ(mousePointer(form.get()), vbDefault);
    EXPECT_TRUE(ui().CheckRegCom->isEnabled());
    EXPECT_EQ(ui().Label8->text(), kNotInstalled);
}

TEST_F(FormTest, AFailingStoreTreeIsLoggedAndTheRefreshStillEnds) {
    sinkPresent();
    storeTreeFails = true;
    form->RefreshLists();
    EXPECT_TRUE(form->globals().blnEventsEnabled);
    EXPECT_EQ(mousePointer(form.get()), vbDefault);
    EXPECT_TRUE(form->errorLog().text().contains(QStringLiteral("ERROR: %1 down").arg(platform::hr::ServerDown)));
}
