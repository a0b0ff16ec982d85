// Applying staged changes over recorded writes: the catalog, the store's journal
// recipient and tag, user attributes, and the registration items.
#include "app/Colors.h"
#include "directory/tree/Node.h"
#include "engine/Apply.h"
#include "engine/ApplyServices.h"
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
    void pickJournal(const QString& caption, const QString& dn) {
        stage(f.ui.Label3);
        f.ui.Label3->setCaption(caption);
        f.ui.Text3->setText(dn);
    }
    QStringList writes(const char* prefix) const { return calls.filter(QRegularExpression(QString("^") + prefix)); }
};

TEST_F(Apply, ComPlusInstallNeedsWindows2000CredentialsAndItsAnswerIsTheResult) {
    store("S", oldDn);
    user("a@x", "", false, true, true);
    stageCom(f.ui.CheckRegCom);
    stage(f.ui.Label3, true);
    f.g.strWindowsVersion = "Windows 2000";
    f.ui.txtIdent->setText(" svc ");
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

    // identity and password go to the catalog as typed, on Windows 2000 only
    f.ui.txtPwd->setText("pw");
    EXPECT_EQ(apply(), 1);
    EXPECT_EQ(calls.mid(0, 2), (QStringList{"RemoveComPlusApp", "InstallComPlusApp( svc ,pw)"}));
    calls.clear();
    f.g.strWindowsVersion = "Windows XP";
    installAnswer = -1;
    EXPECT_EQ(apply(), -1);
    EXPECT_EQ(calls.mid(0, 2), (QStringList{"RemoveComPlusApp", "InstallComPlusApp(,)"}));
    EXPECT_TRUE(f.state.blnComPlusInstalled);
    EXPECT_EQ(f.prompt.asked.size(), 1u);

    // uninstalling refreshes the flag; a checked box in black is not staged
    calls.clear();
    app::setForeColor(f.ui.CheckRegCom, app::kBlack);
    stageCom(f.ui.CheckUnRegCom);
    apply();
    EXPECT_EQ(calls.mid(0, 1), QStringList{"RemoveComPlusApp"});
    EXPECT_TRUE(writes("Install").isEmpty());
    EXPECT_FALSE(f.state.blnComPlusInstalled);
}

TEST_F(Apply, NewJournalMailboxAndForwardingMoveTheRegistration) {
    installed = true;
    items.insert(oldDn.toLower());
    store("S", oldDn + N + "Ann <ann@x>" + N + "Both");
    user("a@x", "###NoArcOut", false, false, false);
    pickJournal("New Archive", " " + newDn + " ");
    stage(f.ui.Label4);
    f.ui.Text4->setText("bob@x");
    EXPECT_EQ(apply(), 1);
    // the old forwarding and "Both" go with the old mailbox
    EXPECT_EQ(tree::tag(node), newDn + N + "bob@x");
    EXPECT_EQ(calls, (QStringList{"Save(CN=S,Set," + newDn + ")", "Remove(" + oldDn + ")",
                                  "Create(" + newDn + ",bob@x,)"}));
}

TEST_F(Apply, OldMailboxStillNamedByAnotherStoreKeepsItsItem) {
    installed = true;
    items.insert(oldDn.toLower());
    store("Other", oldDn.toUpper());  // the same mailbox in other letter case
    store("S", oldDn);
    pickJournal("New Archive", newDn);
    apply();
    EXPECT_TRUE(writes("Remove").isEmpty()) << calls.join(" ").toStdString();
    EXPECT_TRUE(items.contains(oldDn.toLower()));
}

TEST_F(Apply, FailedStoreWriteKeepsTheTagAndTheOldRegistration) {
    installed = true;
    items.insert(oldDn.toLower());
    store("S", oldDn + N + "ann@x");
    pickJournal("New Archive", newDn);
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
    f.ui.Text4->setText("bob@x");  // forwarding cannot stand alone
    apply();
    EXPECT_EQ(tree::tag(node), "");
    EXPECT_EQ(calls, (QStringList{"Save(CN=S,Delete,)", "Remove(" + oldDn + ")"}));
}

TEST_F(Apply, BothIsRecordedBesideForwardingOnlyAndCutWhenSwitchedOff) {
    installed = true;
    store("S", oldDn);
    stage(f.ui.Label4);
    f.ui.Label3->setCaption("Old Archive");  // only the forwarding changed: the journal field stays
    f.ui.Text4->setText("Bob <bob@x>");
    f.ui.Check5->setChecked(true);
    stage(f.ui.Check5);
    apply();
    EXPECT_EQ(tree::tag(node), oldDn + N + "Bob <bob@x>" + N + "Both");
    EXPECT_EQ(calls, (QStringList{"Save(CN=S,Keep,)", "Create(" + oldDn + ",Bob <bob@x>,both)"}));

    app::setForeColor(f.ui.Label4, app::kBlack);
    f.ui.Check5->setChecked(false);
    apply();
    EXPECT_EQ(tree::tag(node), oldDn + N + "Bob <bob@x>");

    store("T", oldDn);
    f.ui.Check5->setChecked(true);
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

TEST_F(Apply, EveryoneFullyJournaledLeavesNoItemUnlessAWriteWasDenied) {
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

    setAnswers["a@x"] = -1;  // a denied user is not counted
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

    f.prompt.answers = {app::mb::No, app::mb::Yes};
    apply();
    ASSERT_EQ(f.prompt.asked.size(), 1u);
    EXPECT_EQ(f.prompt.asked[0].text,
              "This Journal Mailbox is used by another Mailbox Store.\rAre you sure you want to change it?");
    EXPECT_EQ(f.prompt.asked[0].style, 308);
    EXPECT_EQ(f.prompt.asked[0].title, "Tavimor");
    EXPECT_EQ(calls, QStringList{"Set(a@x,extensionAttribute10,###NoArcIn)"});

    calls.clear();
    apply();
    EXPECT_EQ(f.prompt.asked.size(), 2u);
    EXPECT_EQ(calls.mid(1), (QStringList{"Remove(" + oldDn + ")", "Create(" + oldDn + ",,)"}));
}

}  // namespace
