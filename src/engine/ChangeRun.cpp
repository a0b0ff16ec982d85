#include "engine/ChangeRun.h"

#include "engine/ChangeAudit.h"
#include "platform/ComError.h"
#include "state/ErrorLog.h"
#include "state/Globals.h"
#include "state/Prompt.h"

#include <optional>

namespace engine {
namespace {

using Kind = ChangeStep::Kind;

struct Failure {
    int32_t number;
    QString description;
};

// Runs one call of a target: its failure, when it failed.
template <typename F>
std::optional<Failure> attempt(F&& call) {
    try {
        call();
        return std::nullopt;
    } catch (const platform::ComError& e) {
        return Failure{e.number(), e.description()};
    } catch (const std::exception& e) {
        return Failure{platform::hr::Fail, QString::fromUtf8(e.what())};
    }
}

constexpr int kSharedJournalStyle = state::mb::YesNo | state::mb::Exclamation | state::mb::DefaultButton2;  // 308

class Run {
public:
    Run(const ChangePlan& plan, const ChangeFacts& facts, panel::PanelModel& model, ChangeTargets& targets,
        const ChangeEnv& env)
        : steps_(plan.steps), facts_(facts), m_(model), t_(targets), env_(env) {}

    ChangeReport run() {
        for (size_t i = 0; i < steps_.size() && report_.started;) {
            if (steps_[i].kind == Kind::Marker) {
                i = writeMarkers(i);
                continue;
            }
            runStep(i);
            ++i;
        }
        return std::move(report_);
    }

private:
    void outcome(const ChangeStep& s, bool done, const QString& why = {}) { report_.steps.push_back({s, done, why}); }
    void outcome(const ChangeStep& s, const std::optional<Failure>& failure) {
        outcome(s, !failure, failure ? failure->description : QString());
    }
    // A write's outcome, also kept in the audit trail.
    void wrote(const ChangeStep& s, bool done, const QString& why = {}) {
        outcome(s, done, why);
        platform::audit::Entry entry = auditEntry(s, done, why);
        if (!who_) who_ = t_.signedInAs();
        entry.who = *who_;
        const QString problem = t_.audit(entry);
        if (!problem.isEmpty() && !auditFailed_)
            env_.log.logWithContext(QString(), platform::hr::Fail,
                                    QStringLiteral("The audit trail could not be kept: ") + problem);
        auditFailed_ = auditFailed_ || !problem.isEmpty();
    }
    void wrote(const ChangeStep& s, const std::optional<Failure>& failure) {
        wrote(s, !failure, failure ? failure->description : QString());
    }

    void runStep(size_t i) {
        const ChangeStep& s = steps_[i];
        switch (s.kind) {
        case Kind::AskCredentials:
            env_.prompt.ask(QString::fromLatin1(kFillIdentityText), state::mb::Exclamation,
                            QString::fromLatin1(state::kAppName));
            report_.result = -1;
            report_.started = false;
            return outcome(s, true);
        case Kind::RemoveComPlus:
            return outcome(s, attempt([&] { t_.removeComPlus(); }));
        case Kind::InstallComPlus: {
            const auto failure = attempt([&] {
                report_.result = t_.installComPlus(s.withCredentials ? env_.identity : QString(),
                                                   s.withCredentials ? env_.password : QString());
            });
            if (failure) return outcome(s, failure);
            return outcome(s, report_.result > 0, report_.result > 0 ? QString() : QStringLiteral("not installed"));
        }
        case Kind::CheckComPlus:
            return outcome(s, attempt([&] { env_.form.blnComPlusInstalled = t_.comPlusInstalled(); }));
        case Kind::JournalRecipient:
            return writeRecipient(i);
        case Kind::Forwarding:
            m_.setTag(s.after);
            return outcome(s, true);
        case Kind::RemoveOldRegistration: {
            const std::optional<bool> exists = regItemExists(s);
            if (exists && *exists) return wrote(s, attempt([&] { t_.removeRegItem(s.target); }));
            if (exists) return outcome(s, false, QStringLiteral("it holds none"));
            return;
        }
        case Kind::AskSharedJournal:
            if (!currentItemKnown(s)) return;
            if (!*exists_) return outcome(s, false, QStringLiteral("it holds none"));
            agreed_ = env_.prompt.ask(QString::fromLatin1(kSharedJournalText), kSharedJournalStyle,
                                      QString::fromLatin1(state::kAppName)) == state::mb::Yes;
            return outcome(s, true, agreed_ ? QString() : QStringLiteral("answered No"));
        case Kind::RemoveRegistration: {
            if (!currentItemKnown(s)) return;
            if (!*exists_) return outcome(s, false, QStringLiteral("it holds none"));
            if (s.shared && !agreed_) return outcome(s, false, QStringLiteral("answered No"));
            wrote(s, attempt([&] { t_.removeRegItem(s.target); }));
            exists_ = regItemExists(s);
            unreadable_ = !exists_;
            return;
        }
        case Kind::CreateRegistration:
            if (!currentItemKnown(s)) return;
            if (*exists_) return outcome(s, false, QStringLiteral("it holds one"));
            if (!env_.form.blnComPlusInstalled)
                return outcome(s, false, QStringLiteral("the COM+ application is not installed"));
            if (!s.needed && !userUnwritten_)
                return outcome(s, false, QStringLiteral("every listed user is fully journaled"));
            return wrote(s, attempt([&] { t_.createRegItem(s.target, s.forwarding, s.both); }));
        case Kind::Marker:
            return;
        }
    }

    // The store's journal recipient. A failed write is logged with the store's
    // name; the store then keeps its tag, so the steps after it are planned again
    // from that tag.
    void writeRecipient(size_t i) {
        const ChangeStep s = steps_[i];
        const auto failure = attempt([&] { t_.saveJournalRecipient(s.target, s.recipient); });
        if (s.recipient.kind == JournalRecipientChange::Kind::Keep)
            outcome(s, failure);  // nothing is written
        else
            wrote(s, failure);
        if (!failure) {
            m_.setTag(s.after);
            return;
        }
        env_.log.logWithContext(s.target, failure->number, failure->description);
        ChangeFacts facts = facts_;
        facts.recipientUnwritten = true;
        steps_.resize(i + 1);
        for (const ChangeStep& later : planChange(m_, facts).steps)
            if (later.kind > Kind::JournalRecipient) steps_.push_back(later);
    }

    // The markers of the consecutive user steps from `first`, written together.
    // Each user not written is named in the error log with the failure; once
    // the directory is unreachable the users left are not tried, and one entry
    // says which users were written and which were not. Answers the next step.
    size_t writeMarkers(size_t first) {
        size_t end = first;
        std::vector<users::AttributeWrite> writes;
        for (; end < steps_.size() && steps_[end].kind == Kind::Marker; ++end)
            writes.push_back({steps_[end].target, steps_[end].after.isEmpty() ? QVariant() : QVariant(steps_[end].after)});
        QStringList written, notWritten;
        bool unreachable = false;
        size_t answered = 0;
        const auto answer = [&](size_t index, const users::WriteAnswer& a) {
            const ChangeStep& s = steps_[first + index];
            answered = index + 1;
            if (!unreachable && a.result > 0) {
                written << s.target;
                return wrote(s, true);
            }
            notWritten << s.target;
            userUnwritten_ = true;
            if (unreachable) return wrote(s, false, QStringLiteral("not tried: the directory is unreachable"));
            const int32_t number = a.number != 0 ? a.number : platform::hr::Fail;
            const QString why = a.number != 0 ? a.description : QStringLiteral("Not written.");
            env_.log.logWithContext(s.target, number, why);
            unreachable = number == platform::hr::ServerDown;
            wrote(s, false, why);
        };
        const auto failure = attempt([&] { t_.writeMarkers(writes, answer); });
        for (size_t k = answered; k < writes.size(); ++k)
            answer(k, {-1, failure ? failure->number : platform::hr::Fail,
                       failure ? failure->description : QStringLiteral("Not written.")});
        if (!notWritten.isEmpty())
            env_.log.logWithContext(
                m_.store().name, platform::hr::Fail,
                QStringLiteral("%1 of %2 users written. Written: %3. Not written: %4.")
                    .arg(written.size())
                    .arg(written.size() + notWritten.size())
                    .arg(written.isEmpty() ? QStringLiteral("none") : written.join(QStringLiteral(", ")),
                         notWritten.join(QStringLiteral(", "))));
        return end;
    }

    // Whether the mailbox holds the item; nothing when it could not be read
    // (logged, and the step is not done: nothing is created in it or removed
    // from it).
    std::optional<bool> regItemExists(const ChangeStep& s) {
        bool exists = false;
        const auto failure = attempt([&] { exists = t_.regItemExists(s.target); });
        if (!failure) return exists;
        const QString why =
            QStringLiteral("The journal mailbox could not be read; its registration is left as it is. ") +
            failure->description;
        env_.log.logWithContext(s.target, failure->number, why);
        outcome(s, false, why);
        return std::nullopt;
    }

    // The current journal mailbox's item is read once, before its first step;
    // when it could not be read, none of its steps is done.
    bool currentItemKnown(const ChangeStep& s) {
        if (!unreadable_ && !exists_) {
            exists_ = regItemExists(s);
            unreadable_ = !exists_;
            return exists_.has_value();
        }
        if (unreadable_) outcome(s, false, QStringLiteral("the journal mailbox could not be read"));
        return !unreadable_;
    }

    std::vector<ChangeStep> steps_;
    const ChangeFacts& facts_;
    panel::PanelModel& m_;
    ChangeTargets& t_;
    const ChangeEnv& env_;
    ChangeReport report_;
    std::optional<bool> exists_;  // the current journal mailbox holds the item
    bool unreadable_ = false;     // ... could not be read
    bool agreed_ = false;         // Yes to the sharing question
    bool userUnwritten_ = false;  // some staged user was not written
    std::optional<QString> who_;  // who the writes are made as, once asked
    bool auditFailed_ = false;    // the trail could not keep an entry (said once)
};

}  // namespace

ChangeReport runChange(const ChangePlan& plan, const ChangeFacts& facts, panel::PanelModel& model,
                       ChangeTargets& targets, const ChangeEnv& env) {
    return Run(plan, facts, model, targets, env).run();
}

QString reportText(const ChangeReport& report) {
    QString text;
    for (const StepOutcome& o : report.steps)
        text += (o.done ? QStringLiteral("done: ") : QStringLiteral("not done: ")) + stepText(o.step) +
                (o.why.isEmpty() ? QString() : QStringLiteral(" (") + o.why + u')') + u'\n';
    return text;
}

}  // namespace engine
