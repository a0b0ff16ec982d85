// Applying staged changes: the pure decisions, and the whole apply over recorded
// writes (catalog, journal recipient, user attributes, registration items).
#include "app/Colors.h"
#include "directory/tree/Node.h"
#include "engine/Apply.h"
#include "engine/ApplyDecisions.h"
#include "engine/ApplyServices.h"
#include "engine/StoreTag.h"
#include "engine_form.h"
#include "users/ListItem.h"

#include <QSet>
#include <gtest/gtest.h>

using namespace engine;
using testing_support::EngineForm;

namespace {
const QString N(QChar(0));
const QString oldDn = QStringLiteral("CN=Old Archive,DC=x");
const QString newDn = QStringLiteral("CN=New Archive,DC=x");

// ---- decisions -------------------------------------------------------------

TEST(ApplyDecisions, RebuiltTagTakesTheChosenMailboxAndOnlyNewForwarding) {
    const QString old = oldDn + N + "Ann <ann@x>" + N + "Both";
    // a new mailbox drops the old forwarding and "Both"
    EXPECT_EQ(rebuiltStoreTag(old, newDn, "New Archive", ""), newDn);
    EXPECT_EQ(rebuiltStoreTag(old, newDn, "New Archive", "bob@x"), newDn + N + "bob@x");
    // the shown name cleared: no journal, and forwarding cannot stand alone
    EXPECT_EQ(rebuiltStoreTag(old, "", "", "bob@x"), "");
    // only forwarding changed: the journal field stays
    EXPECT_EQ(rebuiltStoreTag(old, "", "Old Archive", "bob@x"), oldDn + N + "bob@x");
    EXPECT_EQ(rebuiltStoreTag(old, "", "Old Archive", ""), oldDn);
}

TEST(ApplyDecisions, RegistrationIsCreatedOnlyWhenMissingInstalledAndNeeded) {
    EXPECT_TRUE(shouldCreateRegItem(false, true, 5, 4, ""));
    EXPECT_TRUE(shouldCreateRegItem(false, true, 5, 5, "ann@x"));
    EXPECT_FALSE(shouldCreateRegItem(false, true, 5, 5, ""));
    EXPECT_FALSE(shouldCreateRegItem(true, true, 5, 4, "ann@x"));
    EXPECT_FALSE(shouldCreateRegItem(false, false, 5, 4, "ann@x"));
    EXPECT_TRUE(shouldCreateRegItem(false, true, 0, 0, "ann@x"));
}

// ---- the whole apply ---------------------------------------------------------

struct Apply : ::testing::Test {
    EngineForm f;
    ApplyServices s;
    QStringList calls;           // every write, in order
    QSet<QString> items;         // journal mailboxes holding a registration item (lower case)
    bool installed = false;      // the hosted application
    int16_t installAnswer = 1;
    bool saveFails = false;
    QHash<QString, int16_t> setAnswers;  // mail -> SetAttribute answer (default 1)
    QTreeWidgetItem* node = nullptr;

    void SetUp() override {
        f.ui.txtIdent = new QLineEdit(&f.form);
        f.ui.txtPwd = new QLineEdit(&f.form);
        f.ctx.hooks.CheckRegItem = [this](const QString& dn, bool) { return items.contains(dn.toLower()); };
        s.RemoveComPlusApp = [this] { calls << "RemoveComPlusApp", installed = false; };
        s.InstallComPlusApp = [this](const QString& id, const QString& pw) {
            calls << "InstallComPlusApp(" + id + "," + pw + ")";
            installed = true;
            return installAnswer;
        };
        s.CheckComPlusApp = [this] { return installed; };
        s.SaveJournalRecipient = [this](const QString& store, const JournalRecipientChange& c) {
            static const char* kinds[] = {"Keep", "Set", "Delete"};
            calls << QString("Save(%1,%2,%3)").arg(store, kinds[int(c.kind)], c.dn);
            if (saveFails) throw platform::ComError(platform::hr::AccessDenied, "denied");
        };
        s.SetAttribute = [this](const QString& mail, const QString& attr, const QVariant& v) {
            calls << "Set(" + mail + "," + attr + "," + (v.isNull() ? QString("null") : v.toString()) + ")";
            return setAnswers.value(mail, 1);
        };
        s.RemoveRegItem = [this](const QString& dn) {
            calls << "Remove(" + dn + ")";
            items.remove(dn.toLower());
        };
        s.CreateRegItem = [this](const QString& dn, const QString& fwd, bool both) {
            calls << "Create(" + dn + "," + fwd + "," + (both ? "both" : "") + ")";
            items.insert(dn.toLower());
        };
        f.g.blnChangesPending = true;
    }

    QTreeWidgetItem* store(const QString& name, const QString& tag) { return node = f.addStore(name, "CN=" + name, tag); }

    QTreeWidgetItem* user(const QString& mail, const QString& stored, bool in, bool out, bool stagedRow) {
        auto* item = new users::ListItem(f.ui.ListView1);
        users::setItemKey(item, mail);
        users::setItemTag(item, stored);
        users::setSwitch(item, 1, in);
        users::setSwitch(item, 2, out);
        if (stagedRow) users::setItemForeColor(item, app::kRed);
        return item;
    }

    void stage(QWidget* w, bool cleared = false) {
        if (cleared)
            app::setBackColor(w, app::kRed);
        else
            app::setForeColor(w, app::kRed);
    }
    void stageCom(QCheckBox* box) {
        box->setChecked(true);
        app::setForeColor(box, app::kRed);
    }

    bool apply(int16_t& result) { return ApplyStagedChanges(f.ctx, s, node, result); }
    int16_t apply() {
        int16_t result = 1;
        EXPECT_TRUE(apply(result));
        return result;
    }
    QStringList writes(const char* prefix) const { return calls.filter(QRegularExpression(QString("^") + prefix)); }
};

TEST_F(Apply, Windows2000WithoutPasswordAsksAndWritesNothing) {
    store("S", oldDn);
    user("a@x", "", false, true, true);
    stageCom(f.ui.CheckRegCom);
    stage(f.ui.Label3, true);
    f.g.strWindowsVersion = "Windows 2000";
    f.ui.txtIdent->setText("TAVIMOR\\svc");
    f.ui.txtPwd->setText("   ");
    int16_t result = 1;
    EXPECT_FALSE(apply(result));
    EXPECT_EQ(result, -1);
    EXPECT_TRUE(calls.isEmpty()) << calls.join(" ").toStdString();
    ASSERT_EQ(f.prompt.asked.size(), 1u);
    EXPECT_EQ(f.prompt.asked[0].text, "Please fill the Identity and Password fields");
    EXPECT_EQ(f.prompt.asked[0].style, 48);
    EXPECT_EQ(f.prompt.asked[0].title, "Tavimor");
    EXPECT_TRUE(f.g.blnEventsEnabled);
    EXPECT_EQ(tree::tag(node), oldDn);
}

TEST_F(Apply, ComPlusInstallReplacesTheApplicationAndItsAnswerIsTheResult) {
    store("S", "");
    stageCom(f.ui.CheckRegCom);
    // identity and password only go to the catalog on Windows 2000, as typed
    f.ui.txtIdent->setText(" svc ");
    f.ui.txtPwd->setText("pw");
    installAnswer = -1;
    EXPECT_EQ(apply(), -1);
    EXPECT_EQ(calls, (QStringList{"RemoveComPlusApp", "InstallComPlusApp(,)"}));
    EXPECT_TRUE(f.state.blnComPlusInstalled);

    calls.clear();
    installAnswer = 1;
    f.g.strWindowsVersion = "Windows 2000";
    EXPECT_EQ(apply(), 1);
    EXPECT_EQ(calls, (QStringList{"RemoveComPlusApp", "InstallComPlusApp( svc ,pw)"}));
    EXPECT_TRUE(f.prompt.asked.empty());
}

TEST_F(Apply, ComPlusUninstallRefreshesTheInstalledFlag) {
    store("S", "");
    installed = true;
    f.state.blnComPlusInstalled = true;
    stageCom(f.ui.CheckUnRegCom);
    // checked but black is not staged
    f.ui.CheckRegCom->setChecked(true);
    EXPECT_EQ(apply(), 1);
    EXPECT_EQ(calls, QStringList{"RemoveComPlusApp"});
    EXPECT_FALSE(f.state.blnComPlusInstalled);
}

TEST_F(Apply, NewJournalMailboxMovesTheRegistration) {
    installed = true;
    items.insert(oldDn.toLower());
    store("S", oldDn + N + "Ann <ann@x>" + N + "Both");
    user("a@x", "###NoArcOut", false, false, false);
    stage(f.ui.Label3);
    f.ui.Label3->setCaption("New Archive");
    f.ui.Text3->setText(" " + newDn + " ");
    EXPECT_EQ(apply(), 1);
    EXPECT_EQ(tree::tag(node), newDn);
    EXPECT_EQ(calls, (QStringList{"Save(CN=S,Set," + newDn + ")", "Remove(" + oldDn + ")", "Create(" + newDn + ",,)"}));
}

TEST_F(Apply, OldMailboxStillNamedByAnotherStoreKeepsItsItem) {
    installed = true;
    items.insert(oldDn.toLower());
    store("Other", oldDn.toUpper());  // the same mailbox in other letter case
    store("S", oldDn);
    stage(f.ui.Label3);
    f.ui.Label3->setCaption("New Archive");
    f.ui.Text3->setText(newDn);
    apply();
    EXPECT_TRUE(writes("Remove").isEmpty()) << calls.join(" ").toStdString();
    EXPECT_TRUE(items.contains(oldDn.toLower()));
}

TEST_F(Apply, FailedStoreWriteKeepsTheTagAndTheOldRegistration) {
    installed = true;
    items.insert(oldDn.toLower());
    store("S", oldDn + N + "ann@x");
    stage(f.ui.Label3);
    f.ui.Label3->setCaption("New Archive");
    f.ui.Text3->setText(newDn);
    saveFails = true;
    EXPECT_EQ(apply(), 1);
    EXPECT_EQ(tree::tag(node), oldDn + N + "ann@x");
    // the item of the unchanged settings is rebuilt as before
    EXPECT_EQ(calls.mid(1), (QStringList{"Remove(" + oldDn + ")", "Create(" + oldDn + ",ann@x,)"}));
    EXPECT_TRUE(f.prompt.asked.empty());
}

TEST_F(Apply, RemovedJournalMailboxDeletesRecipientTagAndItem) {
    installed = true;
    items.insert(oldDn.toLower());
    store("S", oldDn + N + "ann@x" + N + "Both");
    user("a@x", "###NoArcIn", false, true, false);
    stage(f.ui.Label3, true);
    stage(f.ui.Label4, true);
    f.ui.Label3->setCaption("");
    f.ui.Label4->setCaption("");
    apply();
    EXPECT_EQ(tree::tag(node), "");
    EXPECT_EQ(calls, (QStringList{"Save(CN=S,Delete,)", "Remove(" + oldDn + ")"}));
}

TEST_F(Apply, NewForwardingAndBothAreRecordedAndPassedToTheItem) {
    installed = true;
    store("S", oldDn);
    stage(f.ui.Label4);
    f.ui.Label3->setCaption("Old Archive");
    f.ui.Label4->setCaption("Bob");
    f.ui.Text4->setText("Bob <bob@x>");
    f.ui.Check5->setChecked(true);
    stage(f.ui.Check5);
    apply();
    EXPECT_EQ(tree::tag(node), oldDn + N + "Bob <bob@x>" + N + "Both");
    EXPECT_EQ(calls, (QStringList{"Save(CN=S,Keep,)", "Create(" + oldDn + ",Bob <bob@x>,both)"}));
}

TEST_F(Apply, BothSwitchedOffCutsItAndBothWithoutForwardingRecordsNothing) {
    store("S", oldDn + N + "ann@x" + N + "Both");
    stage(f.ui.Check5, true);
    apply();
    EXPECT_EQ(tree::tag(node), oldDn + N + "ann@x");

    store("T", oldDn);
    f.ui.Check5->setChecked(true);
    app::setBackColor(f.ui.Check5, app::kButtonFace);
    stage(f.ui.Check5);
    apply();
    EXPECT_EQ(tree::tag(node), oldDn);
}

TEST_F(Apply, StagedUsersAreWrittenAndEveryUserCounted) {
    installed = true;
    items.insert(oldDn.toLower());
    store("S", oldDn);
    user("in@x", "###NoArcIn", true, true, true);          // switched back on: cleared
    user("free@x", "text###noarcout", true, false, true);   // marker recomposed, text kept
    user("plain@x", "###NoArcIn", false, true, false);      // not staged: not written
    EXPECT_EQ(apply(), 1);
    EXPECT_EQ(writes("Set"), (QStringList{"Set(in@x,extensionAttribute10,null)",
                                          "Set(free@x,extensionAttribute10,text###NoArcOut)"}));
    // two users keep markers: the item is rebuilt
    EXPECT_EQ(calls.mid(2), (QStringList{"Remove(" + oldDn + ")", "Create(" + oldDn + ",,)"}));
}

TEST_F(Apply, EveryoneFullyJournaledWithoutForwardingLeavesNoItem) {
    installed = true;
    items.insert(oldDn.toLower());
    store("S", oldDn);
    user("a@x", "###NoArcIn###NoArcOut", true, true, true);
    // other text stays in the value, but the user is fully journaled
    user("b@x", "cost centre 7###NoArcOut", true, true, true);
    user("c@x", "", true, true, false);
    apply();
    EXPECT_EQ(writes("Set").size(), 2);
    EXPECT_EQ(writes("Remove"), QStringList{"Remove(" + oldDn + ")"});
    EXPECT_TRUE(writes("Create").isEmpty());
    EXPECT_FALSE(items.contains(oldDn.toLower()));
}

TEST_F(Apply, AUserWhoseWriteWasDeniedIsNotCountedSoTheItemStays) {
    installed = true;
    store("S", oldDn);
    user("a@x", "###NoArcIn", true, true, true);
    setAnswers["a@x"] = -1;
    apply();
    EXPECT_EQ(writes("Create"), QStringList{"Create(" + oldDn + ",,)"});
}

TEST_F(Apply, WithoutTheApplicationNoItemIsCreated) {
    items.insert(oldDn.toLower());
    store("S", oldDn + N + "ann@x");
    user("a@x", "", false, false, true);
    apply();
    EXPECT_FALSE(f.state.blnComPlusInstalled);
    EXPECT_EQ(writes("Remove"), QStringList{"Remove(" + oldDn + ")"});
    EXPECT_TRUE(writes("Create").isEmpty());
}

TEST_F(Apply, SharedJournalMailboxIsOnlyRebuiltWhenTheAdministratorAgrees) {
    installed = true;
    items.insert(oldDn.toLower());
    store("A", oldDn + N + "ann@x");
    store("B", oldDn);
    user("a@x", "", false, true, true);

    f.prompt.answers = {app::mb::No};
    apply();
    ASSERT_EQ(f.prompt.asked.size(), 1u);
    EXPECT_EQ(f.prompt.asked[0].text,
              "This Journal Mailbox is used by another Mailbox Store.\rAre you sure you want to change it?");
    EXPECT_EQ(f.prompt.asked[0].style, 308);
    EXPECT_EQ(f.prompt.asked[0].title, "Tavimor");
    EXPECT_EQ(calls, QStringList{"Set(a@x,extensionAttribute10,###NoArcIn)"});

    calls.clear();
    f.prompt.answers = {app::mb::Yes};
    apply();
    EXPECT_EQ(f.prompt.asked.size(), 2u);
    EXPECT_EQ(calls.mid(1), (QStringList{"Remove(" + oldDn + ")", "Create(" + oldDn + ",,)"}));
}

}  // namespace
