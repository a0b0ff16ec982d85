// Staging by the panel's check boxes, name labels and Browse buttons.
#include "engine_form.h"

#include "kit/Colors.h"
#include "panel/PanelEvents.h"
#include "platform/ComError.h"

#include <gtest/gtest.h>

using testing_support::EngineForm;

namespace {

class PanelTest : public ::testing::Test {
protected:
    // A store loaded with a journal mailbox, a forwarding recipient and "both",
    // nothing staged, as a load leaves the panel.
    void SetUp() override {
        panel::connectPanel(f.panelEditing(), pickers, f.log);
        panel::InstallFormUi& ui = f.ui;
        panel::BusyScope loading(f.panel);
        for (QCheckBox* box : {ui.Check3, ui.Check4, ui.Check5}) box->setEnabled(true), box->setChecked(true);
        ui.Label3->setCaption("Journal Box");
        ui.Label4->setCaption("Forward Person");
        for (QWidget* browse : {ui.Command3, ui.Command6}) browse->setEnabled(true);
    }

    panel::InstallFormUi& ui() { return f.ui; }

    // A control's marker: red text for a value put in, red ground for one taken out.
    static void expectColors(const QWidget* w, uint32_t fore, uint32_t back) {
        EXPECT_EQ(kit::foreColor(w), fore) << w->metaObject()->className();
        EXPECT_EQ(kit::backColor(w), back) << w->metaObject()->className();
    }
    void expectNothingStaged() {
        f.expectPending(false, false);
        for (QWidget* w : {(QWidget*)ui().Label3, (QWidget*)ui().Label4, (QWidget*)ui().Check5})
            expectColors(w, kit::kBlack, kit::kButtonFace);
    }

    EngineForm f;
    panel::PanelPickers pickers;
};

TEST_F(PanelTest, BothAloneGivesChangeWithoutResetAndUncheckingArchiveRemovesAllAtOnce) {
    ui().Check5->click();  // off
    expectColors(ui().Check5, kit::kBlack, kit::kRed);
    f.expectPending(true, false);
    ui().Check5->click();  // on again: still staged, now red text; the removal must clear that marker
    expectColors(ui().Check5, kit::kRed, kit::kButtonFace);
    EXPECT_FALSE(ui().Command4->isEnabled());

    ui().Check3->click();

    EXPECT_FALSE(ui().Check3->isChecked());
    for (kit::CaptionLabel* name : {ui().Label3, ui().Label4}) {
        EXPECT_EQ(name->caption(), "");
        expectColors(name, kit::kBlack, kit::kRed);
    }
    // "both" is switched off without a marker of its own
    EXPECT_FALSE(ui().Check5->isChecked());
    EXPECT_FALSE(ui().Check5->isEnabled());
    expectColors(ui().Check5, kit::kBlack, kit::kButtonFace);
    EXPECT_FALSE(ui().Check4->isChecked());
    for (QWidget* w : {(QWidget*)ui().Check4, (QWidget*)ui().Command3, (QWidget*)ui().Command6})
        EXPECT_FALSE(w->isEnabled()) << w->metaObject()->className();
    f.expectPending(true, true);
    EXPECT_TRUE(f.panel.journal().removed() && f.panel.forwarding().removed());
    EXPECT_FALSE(f.panel.both());
}

TEST_F(PanelTest, UncheckingForwardToStagesRemovalOfTheRecipientOnly) {
    ui().Check5->click();  // staged off
    ui().Check4->click();

    EXPECT_EQ(kit::backColor(ui().Label4), kit::kRed);
    EXPECT_FALSE(ui().Command6->isEnabled());
    EXPECT_FALSE(ui().Check5->isEnabled());
    EXPECT_FALSE(ui().Check5->isChecked());
    EXPECT_EQ(kit::backColor(ui().Check5), kit::kButtonFace) << "the marker of \"both\" is dropped";
    EXPECT_EQ(kit::backColor(ui().Label3), kit::kButtonFace) << "the journal mailbox stays";
    EXPECT_TRUE(ui().Check3->isChecked());
    f.expectPending(true, true);
    EXPECT_TRUE(f.panel.forwarding().removed());
    EXPECT_FALSE(f.panel.journal().staged());
}

TEST_F(PanelTest, CheckingArchiveOrForwardAloneStagesNothing) {
    // a store without journal mailbox or forwarding, as a load shows it
    f.panel.beginBusy();
    ui().Label3->setCaption("");
    ui().Label4->setCaption("");
    for (QCheckBox* box : {ui().Check3, ui().Check4, ui().Check5}) box->setChecked(false);
    for (QWidget* browse : {ui().Command3, ui().Command6}) browse->setEnabled(false);
    f.panel.endBusy();

    ui().Check3->click();
    EXPECT_TRUE(ui().Command3->isEnabled());
    ui().Check4->click();
    EXPECT_TRUE(ui().Command6->isEnabled());
    expectNothingStaged();
    EXPECT_FALSE(f.panel.anyStaged());
}

TEST_F(PanelTest, PickedNamesAreStagedAndARecipientStartsWithoutBoth) {
    panel::pickJournalMailbox(f.panel, "Other Journal", "CN=Other");  // as the mailbox picker does
    EXPECT_EQ(ui().Label3->caption(), "Other Journal");
    expectColors(ui().Label3, kit::kRed, kit::kButtonFace);
    f.expectPending(true, true);

    ui().Check4->setEnabled(false);
    panel::pickJournalMailbox(f.panel, "Third Journal", "CN=Third");
    EXPECT_TRUE(ui().Check4->isEnabled()) << "forwarding becomes possible with a journal mailbox";

    panel::pickForwardingRecipient(f.panel, "New Person", "New Person <new@lab>");
    EXPECT_EQ(ui().Label4->caption(), "New Person");
    expectColors(ui().Label4, kit::kRed, kit::kButtonFace);
    EXPECT_FALSE(ui().Check5->isChecked());
    EXPECT_TRUE(ui().Check5->isEnabled());
    expectColors(ui().Check5, kit::kBlack, kit::kButtonFace);  // unchecked quietly, no marker

    // keeping "both" takes a click of its own, which is marked
    ui().Check5->click();
    EXPECT_TRUE(ui().Check5->isChecked());
    EXPECT_EQ(kit::foreColor(ui().Check5), kit::kRed);
}

TEST_F(PanelTest, GuardedHandlersAreInertWhileALoadRuns) {
    f.panel.beginBusy();
    for (QCheckBox* box : {ui().Check5, ui().Check4, ui().Check3}) box->click();
    ui().Label3->setCaption("");
    ui().Label4->setCaption("Somebody");
    expectNothingStaged();
    // nothing but the boxes' own values changed
    for (QWidget* w : {(QWidget*)ui().Command3, (QWidget*)ui().Command6, (QWidget*)ui().Check5}) EXPECT_TRUE(w->isEnabled());
}

TEST_F(PanelTest, BrowseShowsThePickersAndAFailingPickerIsLogged) {
    int mailbox = 0, recipient = 0;
    pickers.showSelectMailbox = [&] { ++mailbox; };
    pickers.showSelectRecipient = [&] {
        ++recipient;
        throw platform::ComError(platform::hr::ServerDown, "The server is not operational.");
    };
    f.panel.beginBusy();  // the buttons are not guarded
    ui().Command3->click();
    ui().Command6->click();
    EXPECT_EQ(mailbox, 1);
    EXPECT_EQ(recipient, 1);
    EXPECT_TRUE(f.log.text().contains("ERROR: -2147016646 The server is not operational."));
    EXPECT_TRUE(f.log.shown());
}

}  // namespace
