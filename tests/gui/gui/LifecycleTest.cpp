#include "FormFixture.h"

#include "kit/Colors.h"
#include "kit/MousePointer.h"
#include "platform/store/StoreConnection.h"

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
        std::vector<panel::UserRow> rows;
        for (const char* mail : {"a@lab", "b@lab", "c@lab"})
            rows.push_back({QString::fromLatin1(mail), QString::fromLatin1(mail), {}, {}, false, false});
        f.panel().setUsers(rows);
    };
    form->state().strLastSelectedItemKey = QStringLiteral("B@lab");
    form->show();
    QApplication::processEvents();
    QApplication::processEvents();
    // later activations (the window shown again after a picker) do nothing
    form->hide();
    form->show();
    QApplication::processEvents();

    QTreeView* list = ui().ListView1;
    ASSERT_EQ(list->model()->columnCount(), 3);
    EXPECT_EQ(list->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Journal outgoing"));
    EXPECT_EQ(storeTreeBuilds, 1);
    EXPECT_FALSE(firstTimeDuringRefresh);
    EXPECT_TRUE(form->state().blnNotFirstTime);
    ASSERT_TRUE(list->currentIndex().isValid());
    EXPECT_EQ(list->currentIndex().data().toString(), QStringLiteral("b@lab"));
    EXPECT_TRUE(list->selectionModel()->isRowSelected(list->currentIndex().row(), {}));
}

TEST_F(FormTest, ComPlusBoxesStageOnlyTheAdministratorsClicks) {
    // values the program sets, and clicks while a load runs, stage nothing
    ui().CheckRegCom->setChecked(true);
    EXPECT_EQ(foreColor(ui().CheckRegCom), kBlack);
    EXPECT_FALSE(form->panel().anyStaged());
    EXPECT_EQ(ui().Command1->text(), QStringLiteral("Refresh"));
    ui().CheckRegCom->setChecked(false);
    form->panel().beginBusy();
    ui().CheckRegCom->click();
    EXPECT_FALSE(form->panel().installCom());
    EXPECT_FALSE(ui().CheckRegCom->isChecked());
    form->panel().endBusy();

    for (QCheckBox* box : {ui().CheckRegCom, ui().CheckUnRegCom})
        for (bool staged : {true, false}) {
            box->click();
            EXPECT_EQ(foreColor(box), staged ? kRed : kBlack);
            EXPECT_EQ(form->panel().anyStaged(), staged);
            EXPECT_EQ(ui().Command1->text(), staged ? QStringLiteral("Change") : QStringLiteral("Refresh"));
        }
}

// Unticking a COM+ box takes back that box's action alone: a user's switch
// staged before stays staged and is what Change then writes.
TEST_F(FormTest, UntickingAComPlusBoxKeepsTheOtherStagedEdits) {
    loadedStore();
    form->panel().setUsers({{QStringLiteral("a@lab"), QStringLiteral("a"), {}, {}, false, false}});
    form->panel().setSwitch(0, 1, false);
    for (QCheckBox* box : {ui().CheckRegCom, ui().CheckUnRegCom}) {
        box->click(), box->click();
        EXPECT_EQ(foreColor(box), kBlack);
        EXPECT_EQ(ui().Command1->text(), QStringLiteral("Change")) << box->objectName().toStdString();
        EXPECT_TRUE(ui().Command4->isEnabled());
        EXPECT_FALSE(form->panel().installCom() || form->panel().uninstallCom());
    }
    // Change applies the staged switch instead of refreshing it away
    int applied = 0;
    form->hooks().applyChanges = [&](InstallForm& f, QTreeWidgetItem*) {
        EXPECT_TRUE(f.panel().user(QStringLiteral("a@lab"))->staged);
        return ++applied, -1;
    };
    ui().Command1->click();
    EXPECT_EQ(applied, 1);
    EXPECT_EQ(storeTreeBuilds, 0);
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

    form->panel().setBoth(true);
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
        pendingDuringReload = f.panel().anyStaged();
    };
    form->panel().setUsers({{QStringLiteral("a@lab"), QStringLiteral("a"), {}, {}, false, false}});
    form->panel().setSwitch(0, 2, false);
    ui().Command4->click();
    EXPECT_EQ(reloaded, store);
    EXPECT_FALSE(pendingDuringReload);
    EXPECT_TRUE(ui().TreeView1->isEnabled());

    // a failing handler is logged, never thrown out of the click
    form->hooks().nodeClick = [](InstallForm&, QTreeWidgetItem*) {
        throw platform::ComError(platform::hr::Fail, QStringLiteral("boom"));
    };
    ui().Command4->setEnabled(true);
    EXPECT_NO_THROW(ui().Command4->click());
    EXPECT_TRUE(form->errorLog().text().contains(QStringLiteral("boom")));
    EXPECT_FALSE(ui().txtErr->isHidden());
    EXPECT_FALSE(form->panel().busy());
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
