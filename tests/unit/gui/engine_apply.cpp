// Applying the changes staged in the panel model over recorded writes: the
// catalog, the store's journal recipient and tag, user attributes, and the
// registration items.
#include "state/ErrorLog.h"
#include "state/Globals.h"
#include "state/Prompt.h"
#include "engine/Apply.h"
#include "platform/ComError.h"

#include <QRegularExpression>

#include <QSet>
#include <functional>
#include <gtest/gtest.h>

using namespace engine;
using namespace panel;

namespace {
const QString N(QChar(0));
const QString oldDn = QStringLiteral("CN=Old Archive,DC=x");
const QString newDn = QStringLiteral("CN=New Archive,DC=x");

struct Apply : ::testing::Test {
    PanelModel m;
    ApplyServices s;
    state::Globals g;
    state::FormState form;
    state::MemoryErrorLog log;
    state::ScriptedPrompt prompt;
    QStringList otherTags;       // tags of the other stores in the tree
    ApplyEnv env{g, form, prompt, log, {}, {}, [this] { return otherTags; }};
    QStringList calls;           // every write, in order
    QSet<QString> items{oldDn.toLower()};  // journal mailboxes holding a registration item (lower case)
    bool installed = true;       // the hosted application
    int16_t installAnswer = 1;
    bool saveFails = false;
    QHash<QString, int16_t> setAnswers;  // mail -> SetAttribute answer (default 1)
    std::vector<UserRow> rows;

    void SetUp() override {
        s.CheckRegItem = [this](const QString& dn) { return items.contains(dn.toLower()); };
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
    }

    // Loads a store; the one loaded before stays in the tree as another store.
    void store(const QString& name, const QString& tag) {
        if (m.loaded()) otherTags << m.store().tag;
        m.load("CN=" + name, name, tag);
        rows.clear();
    }
    void user(const QString& mail, const QString& stored, bool in, bool out, bool stagedRow) {
        rows.push_back({mail, mail, stored, {in, out}, false, stagedRow});
        m.setUsers(rows);
    }
    bool apply(int16_t& result) { return ApplyStagedChanges(m, s, env, result); }
    int16_t apply() {
        int16_t result = 1;
        EXPECT_TRUE(apply(result));
        return result;
    }
    QStringList writes(const char* prefix) const { return calls.filter(QRegularExpression(QString("^") + prefix)); }
};

TEST_F(Apply, ComPlusInstallNeedsWindows2000CredentialsAndItsAnswerIsTheResult) {
    installed = false;
    store("S", oldDn);
    user("a@x", "", false, true, true);
    m.setInstallCom(true);
    m.removeJournal();
    g.strWindowsVersion = "Windows 2000";
    env.identity = " svc ";
    env.password = "   ";
    int16_t result = 1;
    EXPECT_FALSE(apply(result));
    EXPECT_EQ(result, -1);
    EXPECT_TRUE(calls.isEmpty()) << calls.join(" ").toStdString();
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0].text, "Please fill the Identity and Password fields");
    EXPECT_TRUE(g.blnEventsEnabled);
    EXPECT_EQ(m.store().tag, oldDn);

    // identity and password go to the catalog as typed, on Windows 2000 only
    env.password = "pw";
    EXPECT_EQ(apply(), 1);
    EXPECT_EQ(calls.mid(0, 2), (QStringList{"RemoveComPlusApp", "InstallComPlusApp( svc ,pw)"}));
    calls.clear();
    g.strWindowsVersion = "Windows XP";
    installAnswer = -1;
    EXPECT_EQ(apply(), -1);
    EXPECT_EQ(calls.mid(0, 2), (QStringList{"RemoveComPlusApp", "InstallComPlusApp(,)"}));
    EXPECT_TRUE(form.blnComPlusInstalled);
    EXPECT_EQ(prompt.asked.size(), 1u);

    // uninstalling removes without installing
    calls.clear();
    m.setInstallCom(false);
    m.setUninstallCom(true);
    apply();
    EXPECT_EQ(calls.mid(0, 1), QStringList{"RemoveComPlusApp"});
    EXPECT_TRUE(writes("Install").isEmpty());
}

// One unstaged user whose markers keep the item needed unless said otherwise.
TEST_F(Apply, StoreSettingsDecideTheRecipientTheTagAndTheRegistration) {
    using Stage = std::function<void(PanelModel&)>;
    const struct { QString tag, marker; bool item, app; Stage stage; QString tagAfter; QStringList calls; } cases[] = {
        // a new mailbox: the old forwarding and "Both" go with the old mailbox
        {oldDn + N + "Ann <ann@x>" + N + "Both", "###NoArcOut", true, true,
         [](PanelModel& p) { p.pickJournal("New Archive", " " + newDn + " "), p.pickForwarding("bob", "bob@x"); },
         newDn + N + "bob@x", {"Save(CN=S,Set," + newDn + ")", "Remove(" + oldDn + ")", "Create(" + newDn + ",bob@x,)"}},
        // removed: the untick drops the forwarding picked before
        {oldDn + N + "ann@x" + N + "Both", "###NoArcIn", true, true,
         [](PanelModel& p) { p.pickForwarding("bob", "bob@x"), p.removeJournal(); }, "",
         {"Save(CN=S,Delete,)", "Remove(" + oldDn + ")"}},
        // only the forwarding changed: the journal field stays, "Both" is recorded beside it
        {oldDn, "", false, true, [](PanelModel& p) { p.pickForwarding("Bob", "Bob <bob@x>"), p.setBoth(true); },
         oldDn + N + "Bob <bob@x>" + N + "Both", {"Save(CN=S,Keep,)", "Create(" + oldDn + ",Bob <bob@x>,both)"}},
        // without the application no item is created
        {oldDn + N + "ann@x", "###NoArcIn", true, false, [](PanelModel&) {}, oldDn + N + "ann@x",
         {"Remove(" + oldDn + ")"}},
        // "Both" switched off is cut; without a forwarding it is not recorded
        {oldDn + N + "ann@x" + N + "Both", "", true, true, [](PanelModel& p) { p.setBoth(false); }, oldDn + N + "ann@x",
         {"Remove(" + oldDn + ")", "Create(" + oldDn + ",ann@x,)"}},
        {oldDn, "", true, true, [](PanelModel& p) { p.setBoth(true); }, oldDn, {"Remove(" + oldDn + ")"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tag.toStdString());
        calls.clear();
        items = c.item ? QSet<QString>{oldDn.toLower()} : QSet<QString>{};
        installed = c.app;
        m.load("CN=S", "S", c.tag);
        rows = {{"a@x", "a@x", c.marker, rules::readMarkers(c.marker), false, false}};
        m.setUsers(rows);
        c.stage(m);
        apply();
        EXPECT_EQ(m.store().tag, c.tagAfter);
        EXPECT_EQ(calls, c.calls) << calls.join(" | ").toStdString();
        EXPECT_EQ(form.blnComPlusInstalled, c.app);
    }
}

TEST_F(Apply, FailedStoreWriteKeepsTheTagAndTheOldRegistration) {
    store("S", oldDn + N + "ann@x");
    m.pickJournal("New Archive", newDn);
    saveFails = true;
    EXPECT_EQ(apply(), 1);
    EXPECT_EQ(m.store().tag, oldDn + N + "ann@x");
    // the item of the unchanged settings is rebuilt as before
    EXPECT_EQ(calls.mid(1), (QStringList{"Remove(" + oldDn + ")", "Create(" + oldDn + ",ann@x,)"}));
    EXPECT_TRUE(prompt.asked.empty());
    EXPECT_TRUE(log.text().contains("CN=S - ERROR: -2147024891 denied")) << log.text().toStdString();
}

// How markers are recomposed is users_markers.cpp's; here which users are written
// and counted, and when that leaves the item needed.
TEST_F(Apply, StagedUsersAreWrittenAndAnItemIsLeftOnlyWhileSomeoneKeepsAMarker) {
    store("S", oldDn);
    user("in@x", "###NoArcIn", true, true, true);                   // switched back on: cleared
    user("free@x", "cost centre 7###noarcout", true, true, true);    // text kept, fully journaled
    user("plain@x", "", true, true, false);                         // not staged: not written
    EXPECT_EQ(apply(), 1);
    EXPECT_EQ(writes("Set"), (QStringList{"Set(in@x,extensionAttribute10,null)",
                                          "Set(free@x,extensionAttribute10,cost centre 7)"}));
    EXPECT_EQ(writes("Remove"), QStringList{"Remove(" + oldDn + ")"});
    EXPECT_TRUE(writes("Create").isEmpty());

    setAnswers["in@x"] = -1;  // a denied user is not counted, and is named
    apply();
    EXPECT_EQ(writes("Create"), QStringList{"Create(" + oldDn + ",,)"});
    EXPECT_TRUE(log.text().contains("] in@x - ERROR: ")) << log.text().toStdString();
}

// A directory lost during the apply: the users after it are not tried, none of
// the unwritten ones is counted, and the log says who was written and who not.
TEST_F(Apply, AnOutageDuringTheApplyIsReportedUserByUser) {
    store("S", oldDn);
    user("a@x", "", false, true, true);
    user("b@x", "", true, true, true);
    user("c@x", "", true, true, true);
    s.SetAttribute = [this](const QString& mail, const QString&, const QVariant&) -> int16_t {
        calls << "Set(" + mail + ")";
        if (mail == "b@x") throw platform::ComError(platform::hr::ServerDown, "The server is not operational.");
        return 1;
    };
    apply();
    EXPECT_EQ(writes("Set"), (QStringList{"Set(a@x)", "Set(b@x)"}));
    EXPECT_TRUE(log.text().contains("] b@x - ERROR: -2147016646 The server is not operational."));
    EXPECT_TRUE(log.text().contains("] S - ERROR: -2147467259 1 of 3 users written. Written: a@x. Not written: b@x, c@x."))
        << log.text().toStdString();
    // b and c count as not fully journaled: the item stays needed
    EXPECT_EQ(writes("Create"), QStringList{"Create(" + oldDn + ",,)"});
}

// A registration check that could not read the mailbox is neither answer:
// nothing is removed from it or created in it, and the log says why.
TEST_F(Apply, AnUnreadableJournalMailboxIsLeftAlone) {
    store("S", oldDn);
    user("a@x", "", false, true, true);
    m.pickJournal("New Archive", newDn);
    s.CheckRegItem = [](const QString&) -> bool {
        throw platform::ComError(platform::hr::ServerDown, "The server is not operational.");
    };
    apply();
    EXPECT_TRUE(writes("Remove").isEmpty());
    EXPECT_TRUE(writes("Create").isEmpty());
    EXPECT_TRUE(log.text().contains("] " + newDn + " - ERROR: -2147016646 The journal mailbox could not be read"))
        << log.text().toStdString();
}

TEST_F(Apply, SharedJournalMailboxIsOnlyRebuiltWhenTheAdministratorAgrees) {
    store("A", oldDn.toUpper() + N + "ann@x");  // the same mailbox in other letter case
    store("B", oldDn);
    user("a@x", "", false, true, true);

    prompt.answers = {state::mb::No, state::mb::Yes};
    apply();
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0].text,
              "This Journal Mailbox is used by another Mailbox Store.\rAre you sure you want to change it?");
    EXPECT_EQ(calls, QStringList{"Set(a@x,extensionAttribute10,###NoArcIn)"});

    calls.clear();
    apply();
    EXPECT_EQ(prompt.asked.size(), 2u);
    EXPECT_EQ(calls.mid(1), (QStringList{"Remove(" + oldDn + ")", "Create(" + oldDn + ",,)"}));

    // moved to another mailbox: the old one, still named by A, keeps its item
    calls.clear();
    m.pickJournal("New Archive", newDn);
    apply();
    EXPECT_TRUE(writes("Remove").isEmpty()) << calls.join(" ").toStdString();
    EXPECT_TRUE(items.contains(oldDn.toLower()));
}

// An unticked box means "none": the pick made before it is dropped, and ticking
// the box again brings no pick back.
TEST_F(Apply, UntickAfterAPickDropsThePick) {
    store("S", oldDn + N + "ann@x");
    m.pickJournal("New Archive", newDn);
    m.removeJournal();
    apply();
    EXPECT_EQ(writes("Save"), QStringList{"Save(CN=S,Delete,)"});
    EXPECT_EQ(m.store().tag, "");

    calls.clear();
    store("T", oldDn);
    m.pickForwarding("Bob", "Bob <bob@x>");
    m.removeForwarding();
    apply();
    EXPECT_EQ(writes("Save"), QStringList{"Save(CN=T,Keep,)"});
    EXPECT_EQ(m.store().tag, oldDn);

    // a new pick after the untick is what counts
    m.leaveStaged();
    m.pickJournal("New Archive", newDn);
    m.removeJournal();
    m.pickJournal("Other", "CN=Other");
    apply();
    EXPECT_EQ(m.store().tag, "CN=Other");
}

}  // namespace
