#include "FormFixture.h"

#include "kit/Colors.h"
#include "kit/MousePointer.h"
#include "platform/store/StoreConnection.h"
#include "users/ListItem.h"

#include <QApplication>

using namespace app;
using namespace kit;
using testing_gui::FormTest;

TEST_F(FormTest, LoadSetsCaptionAndHourglassAndRunsStartUpOnce) {
    int discoveries = 0;
    form->hooks().startupDiscovery = [&](InstallForm& f) {
        ++discoveries;
        f.globals().strWindowsVersion = QStringLiteral("Windows XP");
        throw platform::ComError(platform::hr::ServerDown, QStringLiteral("no directory"));
    };
    form->Form_Load();
    form->Form_Load();
    EXPECT_EQ(discoveries, 1);
    EXPECT_EQ(mousePointer(form.get()), vbHourglass);
    // Start-up reports nothing, even when a step fails.
    EXPECT_TRUE(form->errorLog().text().isEmpty());
    EXPECT_EQ(form->globals().strWindowsVersion, QStringLiteral("Windows XP"));

    form->Form_Deactivate();
    EXPECT_EQ(mousePointer(form.get()), vbDefault);
}

TEST_F(FormTest, OnlyTheFirstActivationBuildsColumnsRefreshesAndSelectsTheRememberedUser) {
    sinkPresent();
    form->resize(1200, 800);
    bool firstTimeDuringRefresh = true;
    form->hooks().getMailboxStores = [&](InstallForm& f) {
        ++storeTreeBuilds;
        firstTimeDuringRefresh = f.state().blnNotFirstTime;
        for (const char* mail : {"a@lab", "b@lab", "c@lab"}) {
            auto* item = new QTreeWidgetItem(f.ui().ListView1, {QString::fromLatin1(mail)});
            users::setItemKey(item, QString::fromLatin1(mail));
        }
    };
    form->state().strLastSelectedItemKey = QStringLiteral("B@lab");
    form->show();
    QApplication::processEvents();
    QApplication::processEvents();
    // later activations (the window shown again after a picker) do nothing
    form->hide();
    form->show();
    QApplication::processEvents();

    QTreeWidget* list = ui().ListView1;
    ASSERT_EQ(list->columnCount(), 3);
    EXPECT_EQ(storeTreeBuilds, 1);
    EXPECT_FALSE(firstTimeDuringRefresh);
    EXPECT_TRUE(form->state().blnNotFirstTime);
    ASSERT_NE(list->currentItem(), nullptr);
    EXPECT_EQ(list->currentItem()->text(0), QStringLiteral("b@lab"));
    EXPECT_TRUE(list->currentItem()->isSelected());
}

TEST_F(FormTest, ComPlusBoxesStageOnlyWhileEventsAreEnabled) {
    form->globals().blnEventsEnabled = false;
    ui().CheckRegCom->setChecked(true);
    EXPECT_EQ(foreColor(ui().CheckRegCom), kBlack);
    EXPECT_FALSE(form->globals().blnChangesPending);
    EXPECT_EQ(ui().Command1->text(), QStringLiteral("Refresh"));
    ui().CheckRegCom->setChecked(false);

    form->globals().blnEventsEnabled = true;
    for (QCheckBox* box : {ui().CheckRegCom, ui().CheckUnRegCom})
        for (bool staged : {true, false}) {
            box->click();
            EXPECT_EQ(foreColor(box), staged ? kRed : kBlack);
            EXPECT_EQ(form->globals().blnChangesPending, staged);
            EXPECT_EQ(ui().Command1->text(), staged ? QStringLiteral("Change") : QStringLiteral("Refresh"));
        }
}

TEST_F(FormTest, RefreshButtonRefreshesOrAppliesAndThenRefreshesOnlyOnSuccess) {
    sinkPresent();
    int result = -1;
    QTreeWidgetItem* applied = nullptr;
    QTreeWidgetItem* store = loadedStore();
    form->hooks().applyChanges = [&](InstallForm& f, QTreeWidgetItem* node) {
        applied = node;
        EXPECT_EQ(mousePointer(&f), vbHourglass);
        return result;
    };
    // nothing staged: the log is cleared (the rest of that is ErrorLogTest's) and the lists refreshed
    form->errorLog().logWithoutContext(1, QStringLiteral("old"));
    ui().Command1->click();
    EXPECT_EQ(applied, nullptr);
    EXPECT_EQ(storeTreeBuilds, 1);
    EXPECT_TRUE(form->errorLog().text().isEmpty());

    form->globals().blnChangesPending = true;
    ui().Command1->click();
    EXPECT_EQ(applied, store);
    EXPECT_EQ(storeTreeBuilds, 1);  // failed: staged state kept, no refresh
    EXPECT_EQ(mousePointer(form.get()), vbDefault);

    result = 1;
    ui().Command1->click();
    EXPECT_EQ(storeTreeBuilds, 2);
}

TEST_F(FormTest, ResetReloadsTheLoadedStoreAndAFailingHandlerNeverEscapes) {
    QTreeWidgetItem* store = loadedStore();
    ui().TreeView1->setEnabled(false);
    ui().Command4->setEnabled(true);
    QTreeWidgetItem* reloaded = nullptr;
    bool pendingDuringReload = true;
    form->hooks().nodeClick = [&](InstallForm& f, QTreeWidgetItem* node) {
        reloaded = node;
        pendingDuringReload = f.globals().blnChangesPending;
    };
    form->globals().blnChangesPending = true;
    ui().Command4->click();
    EXPECT_EQ(reloaded, store);
    EXPECT_FALSE(pendingDuringReload);
    EXPECT_TRUE(ui().TreeView1->isEnabled());

    // a failing handler is logged, never thrown out of the click
    form->hooks().nodeClick = [](InstallForm&, QTreeWidgetItem*) {
        throw platform::ComError(platform::hr::Fail, QStringLiteral("boom"));
    };
    form->globals().blnEventsEnabled = false;
    ui().Command4->setEnabled(true);
    EXPECT_NO_THROW(ui().Command4->click());
    EXPECT_TRUE(form->errorLog().text().contains(QStringLiteral("boom")));
    EXPECT_FALSE(ui().txtErr->isHidden());
    EXPECT_TRUE(form->globals().blnEventsEnabled);
    EXPECT_EQ(mousePointer(form.get()), vbDefault);
}

TEST_F(FormTest, ExitClosesThePickersThenTheWindowAndReleasesTheConnections) {
    bool pickersClosed = false;
    form->hooks().closePickers = [&](InstallForm& f) {
        pickersClosed = true;
        EXPECT_TRUE(f.isVisible());
    };
    form->globals().conAD = std::make_shared<platform::directory::DirectoryConnection>();
    form->globals().conAD->open();
    form->globals().conExOLEDB = std::make_shared<platform::store::StoreConnection>();  // never opened
    const auto directory = form->globals().conAD;
    form->show();
    QApplication::processEvents();
    ui().Command2->click();
    EXPECT_TRUE(pickersClosed);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(form->globals().conAD, nullptr);
    EXPECT_FALSE(directory->isOpen());
    EXPECT_EQ(form->globals().conExOLEDB, nullptr);
}
