// Applying switch changes staged for 1,000 users of the large lab store through
// the change plan and its run (each written as extensionAttribute10, as Change
// does: the users found by a few searches, the writes sent without waiting for
// each answer),
// beside one ldapmodify batch making the same number of modifications: it puts
// every value back as it was, so the lab ends as it started. Prints details,
// then one line:
//   apply: ours=SECONDS baseline=SECONDS ratio=R peak_mb=M
// Exits 2 when the large lab is not available.

#include "BenchSupport.h"
#include "engine/ChangePlan.h"
#include "engine/ChangeRun.h"
#include "platform/system/SystemProbes.h"
#include "panel/PanelModel.h"
#include "state/ErrorLog.h"
#include "state/Globals.h"
#include "state/Prompt.h"

#include <QCoreApplication>

using namespace platform::directory;

namespace {

constexpr int kUsers = 1000;

// The real directory writes; the catalog and the store are left out (nothing
// is staged there).
struct DirectoryOnly : engine::ChangeTargets {
    explicit DirectoryOnly(std::unique_ptr<engine::ChangeTargets> live) : live(std::move(live)) {}
    void removeComPlus() override {}
    int16_t installComPlus(const QString&, const QString&) override { return 1; }
    bool comPlusInstalled() override { return false; }
    void saveJournalRecipient(const QString&, const engine::JournalRecipientChange&) override {}
    void writeMarkers(const std::vector<users::AttributeWrite>& writes, const users::WriteAnswers& answer) override {
        live->writeMarkers(writes, answer);
    }
    bool regItemExists(const QString&) override { return false; }
    void removeRegItem(const QString&) override {}
    void createRegItem(const QString&, const QString&, bool) override {}
    // The audit trail as the program keeps it: its cost is part of the apply.
    QString signedInAs() override { return live->signedInAs(); }
    QString audit(const platform::audit::Entry& entry) override { return live->audit(entry); }
    std::unique_ptr<engine::ChangeTargets> live;
};

// The first users of the store with an address, as a load reads them.
std::vector<panel::UserRow> usersOf(const QString& root, const QString& store) {
    DirectoryConnection c;
    c.open();
    RecordSet rs = c.execute("SELECT mail, extensionAttribute10, distinguishedName FROM '" + root +
                                 "' WHERE homeMDB='" + QString(store).replace("'", "''") +
                                 "' AND objectCategory='person' AND mail='*'",
                             PropertySet::B);
    std::vector<panel::UserRow> rows;
    for (; !rs.eof() && rows.size() < kUsers; rs.moveNext()) {
        const QString stored = rs.text("extensionAttribute10");
        rows.push_back({rs.text("mail"), rs.text("distinguishedName"), stored, rules::readMarkers(stored), false, true});
    }
    return rows;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("LAB_LDAP_ARGS")) {
        std::fprintf(stderr, "apply: the large lab is not configured (bench/run sets it up)\n");
        return 2;
    }
    state::Globals g;
    state::FormState form;
    state::MemoryErrorLog log;
    state::ScriptedPrompt prompt;
    g.strLDAPRoot = "LDAP://" + qEnvironmentVariable("LAB_DC_HOST");
    const QString store = bench::largestStore(g.strLDAPRoot);
    std::vector<panel::UserRow> rows = usersOf(g.strLDAPRoot, store);
    if (rows.size() < kUsers) {
        std::fprintf(stderr, "apply: the store holds %zu users, %d needed\n", rows.size(), kUsers);
        return 2;
    }
    // Every user's "Journal ingoing" switch flipped.
    panel::PanelModel model;
    model.load(store, QStringLiteral("bench"), QString());
    std::vector<panel::UserRow> staged = rows;
    for (panel::UserRow& row : staged) row.switches.ingoing = !row.switches.ingoing;
    model.setUsers(staged);

    const std::unique_ptr<platform::system::SystemProbes> probes = platform::system::makeHostProbes();
    DirectoryOnly targets(engine::liveTargets(g, log, prompt, *probes));
    const engine::ChangeEnv env{g, form, prompt, log, {}, {}};
    QElapsedTimer timer;
    timer.start();
    engine::ChangeFacts facts;
    for (const panel::UserRow& row : staged) facts.listOrder << row.mail;
    engine::runChange(engine::planChange(model, facts), facts, model, targets, env);
    const double ours = timer.nsecsElapsed() / 1e9;

    std::vector<std::pair<QString, QString>> stored;
    for (const panel::UserRow& row : rows) stored.emplace_back(row.name, row.stored);  // name: the DN here
    int modified = -1;
    const double baseline = bench::ldapmodifySeconds(bench::restoringLdif(stored), &modified);

    std::printf("apply: %zu users of %s written by the engine, %s; ldapmodify exit %d\n", rows.size(),
                qPrintable(store), log.text().isEmpty() ? "no failure" : qPrintable(log.text().left(300)),
                modified);
    bench::report("apply", ours, baseline);
    return log.text().isEmpty() && modified == 0 ? 0 : 1;
}
