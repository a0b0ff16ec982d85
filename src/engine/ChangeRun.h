#pragma once
// Runs a change plan against the catalog, the store and the directory: the
// steps in the plan's order, the questions where the plan asks them, each step
// reported as done or not, and each write of the directory and the store kept
// in the audit trail, done or failed. Every failure of a target is a platform::ComError;
// a step that fails is skipped, and what depends on it follows what was written
// (a store whose journal recipient was not written keeps its tag, a user whose
// marker was not written keeps the registration item needed).

#include "engine/ChangePlan.h"
#include "platform/audit/Entry.h"
#include "state/Forward.h"
#include "users/AttributeWriter.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace platform::system {
class SystemProbes;
}

namespace engine {

// Where a plan is written. Each call throws platform::ComError when it fails.
class ChangeTargets {
public:
    virtual ~ChangeTargets() = default;
    // The hosted application "Tavimor" in the catalog.
    virtual void removeComPlus() = 0;
    virtual int16_t installComPlus(const QString& identity, const QString& password) = 0;  // 1 or -1
    virtual bool comPlusInstalled() = 0;
    // The journal recipient of the store with that distinguished name, as one change.
    virtual void saveJournalRecipient(const QString& storeDn, const JournalRecipientChange& change) = 0;
    // extensionAttribute10 of the users, in the order given; `answer` is called
    // for each in that order (a denial has been shown to the administrator by
    // then). Once the directory is unreachable the users left are not tried.
    virtual void writeMarkers(const std::vector<users::AttributeWrite>& writes, const users::WriteAnswers& answer) = 0;
    // The registration item in a journal mailbox. regItemExists throws when the
    // mailbox could not be read (neither answer holds).
    virtual bool regItemExists(const QString& mailboxDn) = 0;
    virtual void removeRegItem(const QString& mailboxDn) = 0;
    virtual void createRegItem(const QString& mailboxDn, const QString& forwarding, bool both) = 0;
    // The audit trail of the writes above (the catalog keeps its own): who the
    // directory says they are made as, asked once per run at its first write,
    // and the entry of one write kept ("" when kept, else the problem).
    virtual QString signedInAs() = 0;
    virtual QString audit(const platform::audit::Entry& entry) = 0;
};

// The real targets; failures are logged to `log` where their routines log.
std::unique_ptr<ChangeTargets> liveTargets(state::Globals& g, state::ErrorLog& log, state::Prompt& prompt,
                                           platform::system::SystemProbes& probes);

// What the run reads and tells besides the model and the targets.
struct ChangeEnv {
    state::Globals& g;
    state::FormState& form;
    state::Prompt& prompt;
    state::ErrorLog& log;
    QString identity;  // typed for the COM+ application (Windows 2000 only)
    QString password;
};

struct StepOutcome {
    ChangeStep step;
    bool done = false;
    QString why;  // when not done: the failure, or why the step did not apply
};

struct ChangeReport {
    bool started = true;  // false: the plan refused (nothing written)
    int16_t result = 1;   // -1 when refused; else the installation's answer, when one ran
    std::vector<StepOutcome> steps;
};

// Runs `plan`, made by planChange from `model` and `facts`. The loaded store's
// tag in `model` follows what was written.
ChangeReport runChange(const ChangePlan& plan, const ChangeFacts& facts, panel::PanelModel& model,
                       ChangeTargets& targets, const ChangeEnv& env);

// One line per step: "done: ..." or "not done: ... (why)".
QString reportText(const ChangeReport& report);

}  // namespace engine
