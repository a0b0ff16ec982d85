// What Change writes: the plan made from the panel model (as text, the way a dry
// run shows it), and the run of a plan over recorded writes of the catalog, the
// store's journal recipient, user attributes and the registration items.
#include "engine/ChangePlan.h"
#include "engine/ChangeRun.h"
#include "platform/ComError.h"
#include "state/ErrorLog.h"
#include "state/Globals.h"
#include "state/Prompt.h"

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
const QString kCheck = QStringLiteral("check COM+ application \"Tavimor\"");
QString removeItem(const QString& dn) { return "remove the registration item from \"" + dn + "\" if it holds one"; }
QString createItem(const QString& dn, const QString& fwd, bool both, bool needed = true) {
    return "create the registration item in \"" + dn + "\" (forwarding " + fwd + ", Both " + (both ? "on" : "off") +
           ") if it holds none and the COM+ application is installed" +
           (needed ? "" : ", only after a user write failed");
}

UserRow row(const QString& mail, const QString& stored, bool staged, rules::Switches s) {
    return {mail, mail, stored, s, false, staged};
}

// Each case: a store's tag and one user, what is staged, and the plan's lines.
TEST(ChangePlan, StagedSettingsGiveTheirStepsInChangesOrder) {
    using Stage = std::function<void(PanelModel&)>;
    const QString oldItemGone = removeItem(oldDn) + " (no store names it now)";
    const struct { QString tag; QStringList others; bool userMarked; Stage stage; ChangeFacts facts; QStringList lines; } cases[] = {
        // a new mailbox: the old forwarding and "Both" go with the old mailbox
        {oldDn + N + "Ann <ann@x>" + N + "Both", {}, true,
         [](PanelModel& p) { p.pickJournal("New Archive", " " + newDn + " "), p.pickForwarding("bob", "bob@x"); }, {},
         {kCheck, "journal recipient of \"CN=S\": set \"" + newDn + "\"",
          "forwarding of \"CN=S\": \"Ann <ann@x>\", Both on -> \"bob@x\", Both off", oldItemGone,
          removeItem(newDn), createItem(newDn, "\"bob@x\"", false)}},
        // removed: the untick drops the forwarding picked before; no item is left to rebuild
        {oldDn + N + "ann@x", {}, false, [](PanelModel& p) { p.pickForwarding("bob", "bob@x"), p.removeJournal(); }, {},
         {kCheck, "journal recipient of \"CN=S\": delete", "forwarding of \"CN=S\": \"ann@x\", Both off -> (none), Both off",
          oldItemGone}},
        // the old mailbox still named by another store keeps its item
        {oldDn, {"", oldDn.toUpper()}, true, [](PanelModel& p) { p.pickJournal("New", newDn); }, {},
         {kCheck, "journal recipient of \"CN=S\": set \"" + newDn + "\"", "forwarding of \"CN=S\": (none), Both off -> (none), Both off",
          removeItem(newDn), createItem(newDn, "(none)", false)}},
        // "Both" alone without forwarding records nothing; nobody marked: no item needed
        {oldDn, {}, false, [](PanelModel& p) { p.setBoth(true); }, {},
         {kCheck, "forwarding of \"CN=S\": (none), Both off -> (none), Both off", removeItem(oldDn),
          createItem(oldDn, "(none)", false, false)}},
        // a mailbox another store names (in other letter case) is only touched after a Yes
        {oldDn + N + "ann@x", {oldDn.toUpper()}, false, [](PanelModel& p) { p.setBoth(true); }, {},
         {kCheck, "forwarding of \"CN=S\": \"ann@x\", Both off -> \"ann@x\", Both on",
          "ask \"This Journal Mailbox is used by another Mailbox Store.\\x0dAre you sure you want to change it?\" if \"" +
              oldDn + "\" holds the registration item",
          removeItem(oldDn) + " and the answer is Yes", createItem(oldDn, "\"ann@x\"", true)}},
        // the application: on Windows 2000 only with identity and password
        {"", {}, false, [](PanelModel& p) { p.setInstallCom(true); }, {{}, {}, true, false},
         {"ask \"Please fill the Identity and Password fields\"; nothing is written"}},
        {"", {}, false, [](PanelModel& p) { p.setInstallCom(true); }, {{}, {}, true, true},
         {"remove COM+ application \"Tavimor\"", "install COM+ application \"Tavimor\" under the typed identity", kCheck}},
        {"", {}, false, [](PanelModel& p) { p.setUninstallCom(true); }, {{}, {}, false, false},
         {"remove COM+ application \"Tavimor\"", kCheck}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines.join(" | ").toStdString());
        PanelModel m;
        m.load("CN=S", "S", c.tag);
        m.setUsers({row("a@x", "", false, {true, !c.userMarked})});
        c.stage(m);
        ChangeFacts facts = c.facts;
        facts.otherTags = c.others;
        const ChangePlan plan = planChange(m, facts);
        EXPECT_EQ(planText(plan), c.lines.join('\n') + '\n');
        EXPECT_EQ(plan.refused, c.lines.size() == 1);
    }
}

// The staged users in the list's order, whatever order the model read them in;
// a user the list does not name comes last, unstaged users are not written.
TEST(ChangePlan, MarkersGoFromTheFirstListRowToTheLast) {
    PanelModel m;
    m.load("CN=S", "S", "");
    m.setUsers({row("a@x", "###NoArcIn", true, {true, true}), row("b@x", "keep###noarcout", true, {false, false}),
                row("c@x", "", false, {false, true}), row("d@x", "x\n\"y\"", true, {true, false})});
    const ChangePlan plan = planChange(m, {{"C@X", "b@x", "nobody@x", "A@x", "b@x"}, {}, false, false});
    EXPECT_EQ(planText(plan), kCheck + "\n"
                              "extensionAttribute10 of \"b@x\": \"keep###noarcout\" -> \"keep###NoArcIn###NoArcOut\"\n"
                              "extensionAttribute10 of \"a@x\": \"###NoArcIn\" -> (none)\n"
                              "extensionAttribute10 of \"d@x\": \"x\\x0a\\\"y\\\"\" -> \"x\\x0a\\\"y\\\"###NoArcOut\"\n");
}

struct Targets : ChangeTargets {
    QStringList calls;  // every write, in order
    QSet<QString> items{oldDn.toLower()};  // mailboxes holding a registration item
    bool installed = true, saveFails = false, unreadable = false;
    int16_t installAnswer = 1;
    QHash<QString, users::WriteAnswer> answers;  // mail -> answer (default: written)

    void removeComPlus() override { calls << "RemoveComPlusApp", installed = false; }
    int16_t installComPlus(const QString& id, const QString& pw) override {
        calls << "InstallComPlusApp(" + id + "," + pw + ")";
        installed = true;
        return installAnswer;
    }
    bool comPlusInstalled() override { return installed; }
    void saveJournalRecipient(const QString& store, const JournalRecipientChange& c) override {
        static const char* kinds[] = {"Keep", "Set", "Delete"};
        calls << QString("Save(%1,%2,%3)").arg(store, kinds[int(c.kind)], c.dn);
        if (saveFails) throw platform::ComError(platform::hr::AccessDenied, "denied");
    }
    void writeMarkers(const std::vector<users::AttributeWrite>& writes, const users::WriteAnswers& answer) override {
        for (size_t i = 0; i < writes.size(); ++i) {
            calls << "Set(" + writes[i].mail + "," + (writes[i].value.isNull() ? "null" : writes[i].value.toString()) + ")";
            const users::WriteAnswer a = answers.value(writes[i].mail);
            answer(i, a);
            if (a.number == platform::hr::ServerDown) return;  // the rest are not tried
        }
    }
    bool regItemExists(const QString& dn) override {
        if (unreadable) throw platform::ComError(platform::hr::ServerDown, "The server is not operational.");
        return items.contains(dn.toLower());
    }
    void removeRegItem(const QString& dn) override { calls << "Remove(" + dn + ")", items.remove(dn.toLower()); }
    void createRegItem(const QString& dn, const QString& fwd, bool both) override {
        calls << "Create(" + dn + "," + fwd + "," + (both ? "both" : "") + ")";
        items.insert(dn.toLower());
    }
    int asked = 0;  // signedInAs
    QStringList trail;  // the audit entries, as text
    QString signedInAs() override { return ++asked, "dn:CN=Admin"; }
    QString audit(const platform::audit::Entry& e) override {
        trail << e.who + " " + e.action + " " + e.object + ": " + e.before + " -> " + e.after +
                     (e.done ? " done" : " failed: " + e.error);
        return {};
    }
};

struct Change : ::testing::Test {
    PanelModel m;
    Targets t;
    state::Globals g;
    state::FormState form;
    state::MemoryErrorLog log;
    state::ScriptedPrompt prompt;
    ChangeFacts facts;
    ChangeEnv env{g, form, prompt, log, " svc ", "pw"};

    void store(const QString& tag, std::vector<UserRow> rows = {}) {
        m.load("CN=S", "S", tag);
        m.setUsers(std::move(rows));
    }
    ChangeReport run() { return runChange(planChange(m, facts), facts, m, t, env); }
    QStringList writes(const char* prefix) const { return t.calls.filter(QRegularExpression(QString("^") + prefix)); }
};

TEST_F(Change, ARefusedPlanWritesNothingAndTheInstallsAnswerIsTheResult) {
    t.installed = false;
    store(oldDn, {row("a@x", "", true, {false, true})});
    m.setInstallCom(true);
    facts.windows2000 = true;
    ChangeReport report = run();
    EXPECT_FALSE(report.started);
    EXPECT_EQ(report.result, -1);
    EXPECT_TRUE(t.calls.isEmpty()) << t.calls.join(" ").toStdString();
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0].text, "Please fill the Identity and Password fields");

    // the typed account goes to the catalog as typed, on Windows 2000 only
    facts.credentialsTyped = true;
    EXPECT_EQ(run().result, 1);
    EXPECT_EQ(t.calls.mid(0, 2), (QStringList{"RemoveComPlusApp", "InstallComPlusApp( svc ,pw)"}));
    t.calls.clear();
    facts.windows2000 = false;
    t.installAnswer = -1;
    report = run();
    EXPECT_EQ(report.result, -1);
    EXPECT_EQ(t.calls.mid(0, 2), (QStringList{"RemoveComPlusApp", "InstallComPlusApp(,)"}));
    EXPECT_TRUE(form.blnComPlusInstalled);
    EXPECT_EQ(reportText(report).section('\n', 1, 1), "not done: install COM+ application \"Tavimor\" (not installed)");
}

TEST_F(Change, AFailedStoreWriteKeepsTheTagAndTheOldRegistration) {
    store(oldDn + N + "ann@x");
    m.pickJournal("New Archive", newDn);
    t.saveFails = true;
    EXPECT_EQ(run().result, 1);
    EXPECT_EQ(m.store().tag, oldDn + N + "ann@x");
    // the item of the unchanged settings is rebuilt as before
    EXPECT_EQ(t.calls.mid(1), (QStringList{"Remove(" + oldDn + ")", "Create(" + oldDn + ",ann@x,)"}));
    EXPECT_TRUE(log.text().contains("CN=S - ERROR: -2147024891 denied")) << log.text().toStdString();

    // written: the tag follows, the old mailbox loses its item
    t.saveFails = false;
    t.calls.clear();
    run();
    EXPECT_EQ(m.store().tag, newDn);
    EXPECT_EQ(t.calls, (QStringList{"Save(CN=S,Set," + newDn + ")", "Remove(" + oldDn + ")"}));
}

// Each user not written is logged in the list's order, then one entry names who
// was written and who not; once the directory is unreachable the users left are
// not tried. A user not written keeps the registration item needed.
TEST_F(Change, UsersAreWrittenAndReportedInTheListsOrder) {
    store(oldDn, {row("a@x", "###NoArcIn", true, {true, true}), row("b@x", "", true, {true, true}),
                  row("c@x", "", true, {true, true}), row("d@x", "", true, {true, true})});
    facts.listOrder = {"d@x", "c@x", "b@x", "a@x"};
    t.items.clear();
    t.answers["c@x"] = {-1, platform::hr::AccessDenied, "Access is denied."};
    t.answers["a@x"] = {-1, 0, {}};
    run();
    EXPECT_EQ(writes("Set"), (QStringList{"Set(d@x,null)", "Set(c@x,null)", "Set(b@x,null)", "Set(a@x,null)"}));
    const QString text = log.text();  // newest first
    const auto at = [&](const QString& s) { return text.indexOf(s); };
    EXPECT_GE(at("] c@x - ERROR: -2147024891 Access is denied."), 0) << text.toStdString();
    EXPECT_LT(at("] a@x - ERROR: -2147467259 Not written."), at("] c@x - ERROR: "));
    EXPECT_LT(at("] S - ERROR: -2147467259 2 of 4 users written. Written: d@x, b@x. Not written: c@x, a@x."),
              at("] a@x - ERROR: "));
    EXPECT_EQ(writes("Create"), QStringList{"Create(" + oldDn + ",,)"});

    t.calls.clear();
    log.setText({});
    t.answers = {{"c@x", {-1, platform::hr::ServerDown, "The server is not operational."}}};
    const ChangeReport report = run();
    EXPECT_EQ(writes("Set"), (QStringList{"Set(d@x,null)", "Set(c@x,null)"}));
    EXPECT_EQ(log.text().count(" - ERROR: "), 2) << log.text().toStdString();
    EXPECT_TRUE(log.text().contains("1 of 4 users written. Written: d@x. Not written: c@x, b@x, a@x."));
    EXPECT_TRUE(reportText(report).contains(
        "not done: extensionAttribute10 of \"a@x\": \"###NoArcIn\" -> (none) (not tried: the directory is unreachable)"));
}

// A registration check that could not read the mailbox is neither answer:
// nothing is removed from it or created in it, and the log says why.
TEST_F(Change, AnUnreadableJournalMailboxIsLeftAlone) {
    store(oldDn, {row("a@x", "", true, {false, true})});
    m.pickJournal("New Archive", newDn);
    t.unreadable = true;
    run();
    EXPECT_TRUE(writes("Remove").isEmpty());
    EXPECT_TRUE(writes("Create").isEmpty());
    EXPECT_TRUE(log.text().contains("] " + newDn + " - ERROR: -2147016646 The journal mailbox could not be read"))
        << log.text().toStdString();
}

TEST_F(Change, ASharedJournalMailboxIsOnlyRebuiltWhenTheAdministratorAgrees) {
    facts.otherTags = {oldDn.toUpper() + N + "ann@x"};
    store(oldDn, {row("a@x", "", true, {false, true})});
    prompt.answers = {state::mb::No, state::mb::Yes};
    run();
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0].style, 308);
    EXPECT_EQ(t.calls, QStringList{"Set(a@x,###NoArcIn)"});

    t.calls.clear();
    run();
    EXPECT_EQ(prompt.asked.size(), 2u);
    EXPECT_EQ(t.calls.mid(1), (QStringList{"Remove(" + oldDn + ")", "Create(" + oldDn + ",,)"}));

    // without an item in the mailbox nothing is asked
    t.items.clear();
    t.installed = false;
    run();
    EXPECT_EQ(prompt.asked.size(), 2u);
}

// An unticked box means "none": the pick made before it is dropped, and ticking
// the box again brings no pick back.
TEST_F(Change, UntickAfterAPickDropsThePick) {
    store(oldDn + N + "ann@x");
    m.pickJournal("New Archive", newDn);
    m.removeJournal();
    run();
    EXPECT_EQ(writes("Save"), QStringList{"Save(CN=S,Delete,)"});
    EXPECT_EQ(m.store().tag, "");

    t.calls.clear();
    store(oldDn);
    m.pickForwarding("Bob", "Bob <bob@x>");
    m.removeForwarding();
    run();
    EXPECT_EQ(writes("Save"), QStringList{"Save(CN=S,Keep,)"});
    EXPECT_EQ(m.store().tag, oldDn);

    m.leaveStaged();
    m.pickJournal("New Archive", newDn);
    m.removeJournal();
    m.pickJournal("Other", "CN=Other");
    run();
    EXPECT_EQ(m.store().tag, "CN=Other");
}

// Every write of the run is kept in the audit trail with the plan's before and
// after, done or failed; who the writes are made as is asked once; what is not
// written (a mailbox without an item) leaves no entry.
TEST_F(Change, EachWriteIsKeptInTheAuditTrail) {
    store(oldDn + N + "ann@x", {row("a@x", "###NoArcIn", true, {true, true}), row("b@x", "", true, {true, false})});
    facts.listOrder = {"a@x", "b@x"};
    m.pickJournal("New Archive", newDn);
    t.answers["b@x"] = {-1, platform::hr::AccessDenied, "Access is denied."};
    run();
    const QString who = "dn:CN=Admin ";
    EXPECT_EQ(t.trail, (QStringList{who + "journal-recipient CN=S: " + oldDn + " -> " + newDn + " done",
                                    who + "marker a@x: ###NoArcIn ->  done",
                                    who + "marker b@x:  -> ###NoArcOut failed: Access is denied.",
                                    who + "registration-item " + oldDn + ": present -> none done",
                                    who + "registration-item " + newDn + ": none -> present, forwarding none, Both off done"}));
    EXPECT_EQ(t.asked, 1);

    t.trail.clear();
    store(oldDn, {});
    m.removeJournal();
    t.saveFails = true;
    run();
    EXPECT_EQ(t.trail.value(0), who + "journal-recipient CN=S: " + oldDn + " ->  failed: denied");
}

}  // namespace
