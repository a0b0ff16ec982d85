// Staging by the panel's check boxes, name labels and Browse buttons.
#include "engine_form.h"

#include "app/Colors.h"
#include "engine/PanelEvents.h"
#include "platform/ComError.h"

#include <gtest/gtest.h>

using testing_support::EngineForm;

namespace {

class PanelTest : public ::testing::Test {
protected:
    // A store loaded with a journal mailbox, a forwarding recipient and "both",
    // nothing staged, as a load leaves the panel.
    void SetUp() override {
        engine::connectPanel(f.ctx);
        app::InstallFormUi& ui = f.ui;
        for (QCheckBox* box : {ui.Check3, ui.Check4, ui.Check5}) {
            box->setEnabled(true);
            box->setChecked(true);
        }
        ui.Label3->setCaption("Journal Box");
        ui.Label4->setCaption("Forward Person");
        ui.Command3->setEnabled(true);
        ui.Command6->setEnabled(true);
        ui.Command1->setText("Refresh");
        ui.Command4->setEnabled(false);
        f.g.blnEventsEnabled = true;
    }

    app::InstallFormUi& ui() { return f.ui; }

    void expectNothingStaged() {
        EXPECT_FALSE(f.g.blnChangesPending);
        EXPECT_EQ(ui().Command1->text(), "Refresh");
        EXPECT_FALSE(ui().Command4->isEnabled());
        for (QWidget* w : {(QWidget*)ui().Label3, (QWidget*)ui().Label4, (QWidget*)ui().Check5}) {
            EXPECT_EQ(app::foreColor(w), app::kBlack) << w->metaObject()->className();
            EXPECT_EQ(app::backColor(w), app::kButtonFace) << w->metaObject()->className();
        }
    }

    void expectStagedWithReset() {
        EXPECT_TRUE(f.g.blnChangesPending);
        EXPECT_EQ(ui().Command1->text(), "Change");
        EXPECT_TRUE(ui().Command4->isEnabled());
    }

    EngineForm f;
};

TEST_F(PanelTest, UncheckingArchiveMailboxStagesRemovalOfJournalAndForwardingAtOnce) {
    ui().Check5->click();  // "both" staged off first: the removal must clear that marker
    ui().Check5->click();
    ASSERT_EQ(app::foreColor(ui().Check5), app::kRed);

    ui().Check3->click();

    EXPECT_FALSE(ui().Check3->isChecked());
    EXPECT_EQ(ui().Label3->caption(), "");
    EXPECT_EQ(app::backColor(ui().Label3), app::kRed);
    EXPECT_EQ(app::foreColor(ui().Label3), app::kBlack);
    EXPECT_EQ(ui().Label4->caption(), "");
    EXPECT_EQ(app::backColor(ui().Label4), app::kRed);
    EXPECT_EQ(app::foreColor(ui().Label4), app::kBlack);
    // "both" is switched off without a marker of its own
    EXPECT_FALSE(ui().Check5->isChecked());
    EXPECT_FALSE(ui().Check5->isEnabled());
    EXPECT_EQ(app::foreColor(ui().Check5), app::kBlack);
    EXPECT_EQ(app::backColor(ui().Check5), app::kButtonFace);
    EXPECT_FALSE(ui().Check4->isChecked());
    for (QWidget* w : {(QWidget*)ui().Check4, (QWidget*)ui().Command3, (QWidget*)ui().Command6})
        EXPECT_FALSE(w->isEnabled()) << w->metaObject()->className();
    expectStagedWithReset();
    EXPECT_TRUE(f.g.blnEventsEnabled);
}

TEST_F(PanelTest, UncheckingForwardToStagesRemovalOfTheRecipientOnly) {
    ui().Check5->click();  // staged off
    ui().Check4->click();

    EXPECT_EQ(app::backColor(ui().Label4), app::kRed);
    EXPECT_FALSE(ui().Command6->isEnabled());
    EXPECT_FALSE(ui().Check5->isEnabled());
    EXPECT_FALSE(ui().Check5->isChecked());
    EXPECT_EQ(app::backColor(ui().Check5), app::kButtonFace) << "the marker of \"both\" is dropped";
    EXPECT_EQ(app::backColor(ui().Label3), app::kButtonFace) << "the journal mailbox stays";
    EXPECT_TRUE(ui().Check3->isChecked());
    expectStagedWithReset();
}

TEST_F(PanelTest, CheckingArchiveOrForwardAloneStagesNothing) {
    // a store without journal mailbox or forwarding
    f.g.blnEventsEnabled = false;
    ui().Label3->setCaption("");
    ui().Label4->setCaption("");
    ui().Check3->setChecked(false);
    ui().Check4->setChecked(false);
    ui().Check5->setChecked(false);
    ui().Command3->setEnabled(false);
    ui().Command6->setEnabled(false);
    f.g.blnEventsEnabled = true;

    ui().Check3->click();
    EXPECT_TRUE(ui().Command3->isEnabled());
    ui().Check4->click();
    EXPECT_TRUE(ui().Command6->isEnabled());
    expectNothingStaged();
}

TEST_F(PanelTest, PickedNamesAreStagedAndARecipientStartsWithoutBoth) {
    ui().Label3->setCaption("Other Journal");  // as the mailbox picker writes it
    EXPECT_EQ(app::foreColor(ui().Label3), app::kRed);
    EXPECT_EQ(app::backColor(ui().Label3), app::kButtonFace);
    expectStagedWithReset();

    ui().Check4->setEnabled(false);
    ui().Label3->setCaption("Third Journal");
    EXPECT_TRUE(ui().Check4->isEnabled()) << "forwarding becomes possible with a journal mailbox";

    ui().Label4->setCaption("New Person <new@lab>");
    EXPECT_EQ(app::foreColor(ui().Label4), app::kRed);
    EXPECT_EQ(app::backColor(ui().Label4), app::kButtonFace);
    EXPECT_FALSE(ui().Check5->isChecked());
    EXPECT_TRUE(ui().Check5->isEnabled());
    EXPECT_EQ(app::foreColor(ui().Check5), app::kBlack) << "unchecked quietly, no marker";
    EXPECT_EQ(app::backColor(ui().Check5), app::kButtonFace);

    // keeping "both" takes a click of its own, which is marked
    ui().Check5->click();
    EXPECT_TRUE(ui().Check5->isChecked());
    EXPECT_EQ(app::foreColor(ui().Check5), app::kRed);
}

TEST_F(PanelTest, BothAloneGivesChangeWhileResetStaysDisabled) {
    ui().Check5->click();  // off
    EXPECT_EQ(app::backColor(ui().Check5), app::kRed);
    EXPECT_EQ(app::foreColor(ui().Check5), app::kBlack);
    EXPECT_TRUE(f.g.blnChangesPending);
    EXPECT_EQ(ui().Command1->text(), "Change");
    EXPECT_FALSE(ui().Command4->isEnabled());

    ui().Check5->click();  // on again: still staged, now red text
    EXPECT_EQ(app::foreColor(ui().Check5), app::kRed);
    EXPECT_EQ(app::backColor(ui().Check5), app::kButtonFace);
    EXPECT_FALSE(ui().Command4->isEnabled());
}

TEST_F(PanelTest, GuardedHandlersAreInertWhileEventsAreDisabled) {
    f.g.blnEventsEnabled = false;
    ui().Check5->click();
    ui().Check4->click();
    ui().Check3->click();
    ui().Label3->setCaption("");
    ui().Label4->setCaption("Somebody");
    expectNothingStaged();
    // nothing but the boxes' own values changed
    EXPECT_TRUE(ui().Command3->isEnabled());
    EXPECT_TRUE(ui().Command6->isEnabled());
    EXPECT_TRUE(ui().Check5->isEnabled());
    EXPECT_FALSE(f.g.blnEventsEnabled);
}

TEST_F(PanelTest, BrowseShowsThePickersAndAFailingPickerIsLogged) {
    int mailbox = 0, recipient = 0;
    f.ctx.hooks.ShowSelectMailbox = [&] { ++mailbox; };
    f.ctx.hooks.ShowSelectRecipient = [&] {
        ++recipient;
        throw platform::ComError(platform::hr::ServerDown, "The server is not operational.");
    };
    f.g.blnEventsEnabled = false;  // the buttons are not guarded
    ui().Command3->click();
    ui().Command6->click();
    EXPECT_EQ(mailbox, 1);
    EXPECT_EQ(recipient, 1);
    EXPECT_TRUE(f.log.text().contains("ERROR: -2147016646 The server is not operational."));
    EXPECT_TRUE(f.log.shown());

}

}  // namespace
