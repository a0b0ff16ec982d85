// The change commands: set, journal, forward, complus. Each stages its edits on
// the panel model of the store it names, as the window's clicks do, and runs
// the window's Change (or, with --dry-run, prints its plan).

#include "ctl/Commands.h"
#include "ctl/Exit.h"
#include "ctl/Session.h"
#include "ctl/StoreView.h"
#include "ctl/UsersFile.h"
#include "directory/Queries.h"
#include "directory/tree/Node.h"
#include "engine/Directory.h"
#include "panel/PanelEvents.h"
#include "pickers/PickerRows.h"
#include "platform/ComError.h"
#include "platform/directory/Directory.h"
#include "rules/StoreTag.h"

namespace ctl {
namespace {

using engine::ChangeStep;

QString server(const Invocation& inv) { return inv.parser.value(QStringLiteral("server")); }

bool isSet(const Invocation& inv, const char* option) {
    return inv.parser.optionNames().contains(QLatin1String(option));
}

// An option given at most once.
QString single(const Invocation& inv, const char* option) {
    const QStringList values = inv.parser.values(QLatin1String(option));
    if (values.size() > 1) throw Error(kUsage, QStringLiteral("--%1 is given more than once").arg(QLatin1String(option)));
    return values.value(0);
}

std::optional<bool> onOffOption(const Invocation& inv, const char* option) {
    if (!isSet(inv, option)) return std::nullopt;
    bool ok = true;
    const std::optional<bool> v = switchValue(single(inv, option), ok);
    if (!ok || !v) throw Error(kUsage, QStringLiteral("--%1 is on or off").arg(QLatin1String(option)));
    return v;
}

// Opens the session and shows the store the command names.
Session& showStore(Invocation& inv, const QString& ref) {
    Session& s = inv.session();
    s.open(server(inv), ref);
    s.show(findStore(s.tree(), ref));
    return s;
}

// The other stores of the tree that name `mailbox` as their journal mailbox.
QStringList storesNaming(Session& s, const QString& mailbox) {
    QStringList names;
    const QTreeWidgetItem* shown = engine::loadedNode(s.panel(), s.tree());
    for (const StoreView& v : storesOf(s.tree()))
        if (v.node != shown && v.journalDn.compare(mailbox, Qt::CaseInsensitive) == 0) names << pathOf(v);
    return names;
}

// Change would ask whether to change a journal mailbox another store shares:
// without --shared that question has no answer, and nothing is written.
void refuseUnansweredSharing(Invocation& inv, Session& s, const engine::ChangePlan& plan) {
    if (inv.prompt.shared()) return;
    for (const ChangeStep& step : plan.steps) {
        if (step.kind != ChangeStep::Kind::AskSharedJournal) continue;
        // The question is asked only when the mailbox holds the registration item.
        bool holds = false;
        platform::ResumeNext run;
        run([&] { holds = s.load().checkRegItem(step.target); });
        if (!holds) continue;
        throw Error(kRefused,
                    QStringLiteral("the journal mailbox %1 is shared with %2 and holds its registration item; Change "
                                   "asks whether to replace it. Answer with --shared keep (leave the item as it is) or "
                                   "--shared replace (write this store's settings into it). Nothing was written.")
                        .arg(step.target, storesNaming(s, step.target).join(QStringLiteral(", "))));
    }
}

bool namesUser(const ChangeStep& step) { return step.kind == ChangeStep::Kind::Marker; }
bool mustBeDone(const ChangeStep& step) {
    using K = ChangeStep::Kind;
    return step.kind == K::JournalRecipient || step.kind == K::RemoveComPlus || step.kind == K::InstallComPlus ||
           step.kind == K::CheckComPlus;
}

// Prints the plan (--dry-run) or runs Change, and answers the exit code.
int finish(Invocation& inv, Session& s) {
    if (!s.panel().anyStaged()) {
        inv.out << "Nothing to change.\n";
        return kSuccess;
    }
    const engine::ChangePlan plan = s.plan();
    if (isSet(inv, "dry-run")) {
        inv.out << engine::planText(plan);
        return kSuccess;
    }
    if (plan.refused)
        throw Error(kRefused, QStringLiteral("the COM+ application needs an identity and a password here, which "
                                             "tavimorctl does not take. Nothing was written."));
    refuseUnansweredSharing(inv, s, plan);

    QString runLog;
    const std::optional<engine::ChangeReport> report = s.change(runLog);
    int code = kSuccess;
    if (report) inv.out << engine::reportText(*report);
    inv.out.flush();
    if (!report) {
        inv.err << "tavimorctl: Change stopped before it reported what it wrote.\n";
        code = kWritesFailed;
    } else if (!report->started) {
        code = kRefused;
    } else {
        for (const engine::StepOutcome& o : report->steps) {
            if (o.done) continue;
            if (namesUser(o.step))
                inv.err << "tavimorctl: not written: " << o.step.target << ": " << o.why << "\n";
            else if (mustBeDone(o.step))
                inv.err << "tavimorctl: not done: " << engine::stepText(o.step) << " (" << o.why << ")\n";
            else
                continue;
            code = kWritesFailed;
        }
    }
    if (!runLog.isEmpty()) {
        inv.err << runLog << "\n";
        if (code == kSuccess) code = kWritesFailed;
    }
    for (const QString& message : inv.prompt.messages()) inv.err << "tavimorctl: " << message << "\n";
    if (!inv.prompt.refusals().isEmpty()) {
        for (const QString& question : inv.prompt.refusals())
            inv.err << "tavimorctl: refused, no answer was given to: " << question << "\n";
        code = kRefused;
    }
    return code;
}

// ---- set --------------------------------------------------------------------

void setOptions(QCommandLineParser& p) {
    p.addOption({QStringLiteral("user"), QStringLiteral("A user of the store by mail address (repeatable)."),
                 QStringLiteral("ADDR")});
    p.addOption({QStringLiteral("in"), QStringLiteral("\"Journal ingoing\" of every --user."), QStringLiteral("on|off")});
    p.addOption({QStringLiteral("out"), QStringLiteral("\"Journal outgoing\" of every --user."), QStringLiteral("on|off")});
    p.addOption({QStringLiteral("users-from"),
                 QStringLiteral("CSV lines address,in,out (on, off or empty for unchanged)."), QStringLiteral("FILE")});
}

int set(Invocation& inv) {
    std::vector<UserSetting> settings;
    const std::optional<bool> in = onOffOption(inv, "in"), out = onOffOption(inv, "out");
    const QStringList users = inv.parser.values(QStringLiteral("user"));
    if ((in || out) && users.isEmpty()) throw Error(kUsage, QStringLiteral("--in and --out apply to the --user given"));
    if (!users.isEmpty() && !in && !out) throw Error(kUsage, QStringLiteral("--user needs --in or --out"));
    for (const QString& u : users) settings.push_back({u.trimmed(), in, out});
    if (isSet(inv, "users-from")) {
        const QString file = single(inv, "users-from");
        for (UserSetting& u : parseUsers(readUsersFile(file), file)) settings.push_back(std::move(u));
    }
    if (settings.empty()) throw Error(kUsage, QStringLiteral("set needs --user or --users-from"));

    Session& s = showStore(inv, inv.args.at(0));
    panel::PanelModel& model = s.panel();
    QStringList unknown;
    for (const UserSetting& u : settings)
        if (!model.user(u.address)) unknown << u.address;
    if (!unknown.isEmpty())
        throw Error(kUsage, QStringLiteral("not users of %1: %2. Nothing was written.")
                                .arg(model.store().name, unknown.join(QStringLiteral(", "))));
    for (const UserSetting& u : settings) {
        const panel::UserRow* row = model.user(u.address);
        const size_t index = static_cast<size_t>(row - model.users().data());
        if (u.ingoing && *u.ingoing != row->switches.ingoing) model.setSwitch(index, 1, *u.ingoing);
        if (u.outgoing && *u.outgoing != row->switches.outgoing) model.setSwitch(index, 2, *u.outgoing);
    }
    return finish(inv, s);
}

// ---- journal and forward ----------------------------------------------------

using Fields = pickers::RecordFields;

// The row a picker offers for `address`, from its own query and rules.
template <typename RowFor>
std::optional<pickers::PickerRow> pickerRow(Session& s, const QString& query, const QString& address, RowFor rowFor) {
    const state::Globals& g = s.globals();
    if (!g.conAD || !g.conAD->isOpen())
        throw Error(kUnreachable, QStringLiteral("the directory connection is not open"));
    platform::directory::RecordSet rs = g.conAD->execute(query, platform::directory::PropertySet::B);
    const Fields fields = [&rs](const QString& name) { return rs.field(name); };
    for (; !rs.eof(); rs.moveNext()) {
        if (rs.text(QStringLiteral("mail")).trimmed().compare(address.trimmed(), Qt::CaseInsensitive) != 0) continue;
        if (std::optional<pickers::PickerRow> row = rowFor(fields)) return row;
    }
    return std::nullopt;
}

void journalOptions(QCommandLineParser& p) {
    p.addOption({QStringLiteral("mailbox"), QStringLiteral("The new journal mailbox, by mail address."),
                 QStringLiteral("ADDR")});
    p.addOption({QStringLiteral("none"), QStringLiteral("Remove the journal mailbox (and any forwarding).")});
}

int journal(Invocation& inv) {
    const bool none = isSet(inv, "none");
    if (none == isSet(inv, "mailbox")) throw Error(kUsage, QStringLiteral("journal needs --mailbox ADDR or --none"));
    const QString address = single(inv, "mailbox");
    Session& s = showStore(inv, inv.args.at(0));
    if (none) {
        s.panel().removeJournal();
        return finish(inv, s);
    }
    const QString root = s.globals().strLDAPRoot;
    const auto row = pickerRow(s, directory::queries::journalMailboxCandidates(root, s.globals().strResponsibleMTAServer),
                               address, [&root](const Fields& f) {
                                   return pickers::journalMailboxRow(f, [&root](const QString& dn, QString& mail) {
                                       return engine::GetNameByDN(root, dn, mail);
                                   });
                               });
    if (!row)
        throw Error(kUsage, QStringLiteral("%1 is no mailbox the journal mailbox can be: a user with a mailbox on "
                                           "this server (%2)")
                                .arg(address, s.form().ComputerName));
    if (!row->subItems.value(2).trimmed().isEmpty())
        throw Error(kRefused, QStringLiteral("%1 forwards its mail to %2. The window asks to delete that forwarding "
                                             "rule first; remove it (altRecipient), then run this again. Nothing was "
                                             "written.")
                                  .arg(address, row->subItems.value(2)));
    panel::pickJournalMailbox(s.panel(), row->name, row->subItems.value(0));
    return finish(inv, s);
}

void forwardOptions(QCommandLineParser& p) {
    p.addOption({QStringLiteral("to"), QStringLiteral("The forwarding recipient, by mail address."), QStringLiteral("ADDR")});
    p.addOption({QStringLiteral("none"), QStringLiteral("Remove the forwarding recipient.")});
    p.addOption({QStringLiteral("both"), QStringLiteral("Deliver forwarded messages to the journal mailbox too."),
                 QStringLiteral("on|off")});
}

int forward(Invocation& inv) {
    const bool none = isSet(inv, "none"), to = isSet(inv, "to");
    const std::optional<bool> both = onOffOption(inv, "both");
    if (none && to) throw Error(kUsage, QStringLiteral("--to and --none exclude each other"));
    if (!none && !to && !both) throw Error(kUsage, QStringLiteral("forward needs --to ADDR, --none or --both"));
    const QString address = single(inv, "to");
    Session& s = showStore(inv, inv.args.at(0));
    panel::PanelModel& model = s.panel();
    const QString journalDn = rules::trimBlanks(rules::journalPart(model.store().tag));
    if (journalDn.isEmpty())
        throw Error(kRefused, QStringLiteral("%1 has no journal mailbox, and forwarding needs one (tavimorctl journal "
                                             "STORE --mailbox ADDR). Nothing was written.")
                                  .arg(model.store().name));
    if (none) model.removeForwarding();
    if (to) {
        const auto row = pickerRow(s, directory::queries::forwardingCandidates(s.globals().strLDAPRoot), address,
                                   [&journalDn](const Fields& f) { return pickers::recipientRow(f, journalDn); });
        const QString name = row ? rules::trimBlanks(row->name) : QString();
        if (name.isEmpty())
            throw Error(kUsage, QStringLiteral("%1 is no recipient forwarding can go to (a named user, contact, group or "
                                               "public folder with that address, other than the journal mailbox)")
                                    .arg(address));
        panel::pickForwardingRecipient(model, name, pickers::nameWithAddress(name, rules::trimBlanks(row->subItems.value(1))));
    }
    if (both) {
        const bool forwarding = model.forwarding().staged() ? model.forwarding().picked()
                                                            : !rules::readStoreTag(model.store().tag).forwarding.isEmpty();
        if (!forwarding)
            throw Error(kRefused, QStringLiteral("--both needs a forwarding recipient. Nothing was written."));
        model.setBoth(*both);
    }
    return finish(inv, s);
}

// ---- complus ----------------------------------------------------------------

void complusOptions(QCommandLineParser& p) {
    p.addOption({QStringLiteral("store"),
                 QStringLiteral("The store whose Change runs it (default: the tree's first store); its "
                                "registration item is written again as Change writes it."),
                 QStringLiteral("STORE")});
}

int complusCommand(Invocation& inv) {
    const QString action = inv.args.at(0);
    if (action != QLatin1String("install") && action != QLatin1String("remove"))
        throw Error(kUsage, QStringLiteral("complus install or complus remove"));
    Session& s = inv.session();
    s.open(server(inv), isSet(inv, "store") ? single(inv, "store") : QString());
    QTreeWidgetItem* node = isSet(inv, "store") ? findStore(s.tree(), single(inv, "store"))
                                                : storesOf(s.tree()).value(0).node;
    if (!node) throw Error(kRefused, QStringLiteral("the server shows no mailbox store to run Change on"));
    s.show(node);
    const bool installed = s.form().blnComPlusInstalled;
    if (action == QLatin1String("install")) {
        if (installed) {
            inv.out << "The COM+ application \"Tavimor\" is installed already.\n";
            return kSuccess;
        }
        s.panel().setInstallCom(true);
    } else {
        if (!installed) {
            inv.out << "The COM+ application \"Tavimor\" is not installed.\n";
            return kSuccess;
        }
        s.panel().setUninstallCom(true);
    }
    return finish(inv, s);
}

}  // namespace

std::vector<Command> changeCommands() {
    return {
        {QStringLiteral("set"), QStringLiteral("STORE"),
         QStringLiteral("Set users' \"Journal ingoing\" and \"Journal outgoing\" switches: --user ADDR (repeatable) "
                        "with --in/--out, or --users-from FILE."),
         kStoreHelp, 1, 1, true, setOptions, set},
        {QStringLiteral("journal"), QStringLiteral("STORE"),
         QStringLiteral("Set the store's journal mailbox (--mailbox ADDR) or remove it (--none)."), kStoreHelp, 1, 1, true,
         journalOptions, journal},
        {QStringLiteral("forward"), QStringLiteral("STORE"),
         QStringLiteral("Set the store's forwarding recipient (--to ADDR) or remove it (--none); --both on|off."),
         kStoreHelp, 1, 1,
         true, forwardOptions, forward},
        {QStringLiteral("complus"), QStringLiteral("install|remove"),
         QStringLiteral("Install or remove the COM+ application \"Tavimor\" (the event sink's host)."),
         QStringLiteral("install or remove."), 1, 1, true,
         complusOptions, complusCommand},
    };
}

}  // namespace ctl
