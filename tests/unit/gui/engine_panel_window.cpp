// The main window, wired as the program wires it, hands the administrator's panel
// and list edits to the staging handlers and the Browse buttons to the pickers.
#include "kit/CaptionLabel.h"
#include "kit/Colors.h"
#include "app/InstallForm.h"
#include "app/Wiring.h"
#include "panel/Context.h"
#include "support/FakeProbes.h"
#include "users/ListItem.h"

#include <QMouseEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(PanelInWindow, EditsReachTheHandlersAndBrowseReachesThePickers) {
    testing_support::FakeProbes probes;
    app::ScriptedPrompt prompt;
    app::InstallForm form(probes, prompt);
    app::wireSubsystems(form);
    app::InstallFormUi& ui = form.ui();
    engine::Hooks& hooks = form.context().hooks;
    ASSERT_TRUE(hooks.ShowSelectMailbox && hooks.ShowSelectRecipient && form.hooks().closePickers);

    int mailboxPickers = 0;
    hooks.ShowSelectMailbox = [&] { ++mailboxPickers; };
    form.globals().blnEventsEnabled = true;

    ui.Check3->setEnabled(true);
    ui.Check3->click();  // checked: Browse becomes available
    ASSERT_TRUE(ui.Command3->isEnabled());
    ui.Command3->click();
    EXPECT_EQ(mailboxPickers, 1);

    ui.Check3->click();  // unchecked: the journal mailbox is staged for removal
    EXPECT_EQ(app::backColor(ui.Label3), app::kRed);
    EXPECT_EQ(ui.Command1->text(), "Change");

    // the user list: a bulk box and a movement over the list
    ui.ListView1->setColumnCount(3);
    auto* row = new users::ListItem;
    users::setSwitch(row, 1, false);
    users::setSwitch(row, 2, true);
    ui.ListView1->addTopLevelItem(row);
    ui.Check1->setEnabled(true);
    ui.Check1->click();
    EXPECT_EQ(users::subItemImage(row, 1), users::kChecked);
    EXPECT_EQ(users::itemForeColor(row), app::kRed);

    ui.TreeView1->setEnabled(false);
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(ui.ListView1->viewport(), &move);
    EXPECT_TRUE(ui.TreeView1->isEnabled());
}

}  // namespace
