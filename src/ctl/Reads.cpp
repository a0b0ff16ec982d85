// The read commands: stores, users, report, audit.

#include "ctl/Commands.h"
#include "ctl/Exit.h"
#include "ctl/Output.h"
#include "ctl/Session.h"
#include "ctl/StoreView.h"
#include "engine/StoreTree.h"
#include "platform/ComError.h"
#include "platform/audit/AuditCommand.h"
#include "platform/exchange/ExchangeServer.h"
#include "platform/exchange/MailboxStoreDB.h"
#include "platform/exchange/StorageGroup.h"
#include "rules/StoreTag.h"
#include "state/Progress.h"
#include "users/UserList.h"

#include <optional>

namespace ctl {
namespace {

using platform::exchange::ExchangeServer;
using platform::exchange::MailboxStoreDB;
using platform::exchange::StorageGroup;

void jsonOption(QCommandLineParser& p) { p.addOption({QStringLiteral("json"), QStringLiteral("Print JSON.")}); }
void jsonOrCsvOptions(QCommandLineParser& p) {
    jsonOption(p);
    p.addOption({QStringLiteral("csv"), QStringLiteral("Print CSV, with a header line.")});
}

void auditOptions(QCommandLineParser& p) {
    jsonOption(p);
    p.addOption({QStringLiteral("since"),
                  QStringLiteral("Entries from TIME on: ISO 8601 (UTC without a zone) or -N[smhd]."),
                  QStringLiteral("TIME")});
}

// The trail is read by the audit layer, which needs no directory.
int audit(Invocation& in) {
    QStringList args{QStringLiteral("audit")};
    if (in.parser.isSet(QStringLiteral("since"))) args << QStringLiteral("--since") << in.parser.value(QStringLiteral("since"));
    if (in.parser.isSet(QStringLiteral("json"))) args << QStringLiteral("--json");
    return platform::audit::auditCommand(args, in.out, in.err);
}

Format formatOf(const QCommandLineParser& p) {
    const bool json = p.optionNames().contains(QStringLiteral("json"));
    const bool csv = p.optionNames().contains(QStringLiteral("csv"));
    if (json && csv) throw Error(kUsage, QStringLiteral("--json and --csv exclude each other"));
    return json ? Format::Json : csv ? Format::Csv : Format::Text;
}

QString server(const Invocation& inv) { return inv.parser.value(QStringLiteral("server")); }

int stores(Invocation& inv) {
    const Format format = formatOf(inv.parser);
    Session& s = inv.session();
    s.open(server(inv));
    inv.out << storesText(s.serverName(), storesOf(s.tree()), format);
    return kSuccess;
}

int usersOfStore(Invocation& inv) {
    const Format format = formatOf(inv.parser);
    Session& s = inv.session();
    s.open(server(inv), inv.args.at(0));
    QTreeWidgetItem* node = findStore(s.tree(), inv.args.at(0));
    s.show(node);
    std::vector<const panel::UserRow*> rows;
    for (const size_t i : s.usersInListOrder()) rows.push_back(&s.panel().users().at(i));
    inv.out << usersText(storeOf(node), rows, format);
    return s.partial().isEmpty() ? kSuccess : kUnreachable;
}

// Every store of every server of the organisation, its users read as the
// list reads them; those with a switch off are reported.
int report(Invocation& inv) {
    const Format format = formatOf(inv.parser);
    Session& s = inv.session();
    s.openDirectory(server(inv));
    panel::PanelModel model;
    state::NoProgress progress;
    const users::UserListFill fill{model, s.globals(), s.form(), s.log(), progress};
    QList<ReportRow> rows;
    for (const QString& name : platform::exchange::organisationServerNames()) {
        const ExchangeServer server = ExchangeServer::open(name);
        for (const QString& groupEntry : server.StorageGroups()) {
            const std::optional<StorageGroup> group = tree::openGroup(groupEntry);
            if (!group) continue;
            for (const QString& storeEntry : group->MailboxStoreDBs()) {
                const MailboxStoreDB store = MailboxStoreDB::open(storeEntry);
                const QString dn = store.fieldText(QStringLiteral("distinguishedName"));
                users::GetUsersWithMailboxes(fill, dn, rules::trimBlanks(store.fieldText(MailboxStoreDB::kJournalRecipient)),
                                             true);
                s.takeLog(QStringLiteral("the users of %1 could not be read").arg(dn));
                for (const panel::UserRow& user : model.users())
                    if (user.switches.anyOff()) rows.push_back({user, server.Name(), group->Name(), store.Name(), dn});
            }
        }
    }
    inv.out << reportText(rows, format);
    return s.partial().isEmpty() ? kSuccess : kUnreachable;
}

}  // namespace

std::vector<Command> readCommands() {
    return {
        {QStringLiteral("stores"), QString(),
         QStringLiteral("The storage groups and mailbox stores of the server, each with its mode, journal mailbox, "
                        "forwarding recipient and Both, as the window's tree shows them."),
         QString(), 0, 0, false, jsonOption, stores},
        {QStringLiteral("users"), QStringLiteral("STORE"),
         QStringLiteral("The users of a store with their \"Journal ingoing\" and \"Journal outgoing\" switches, as the "
                        "window's list shows them."),
         kStoreHelp, 1, 1, false, jsonOrCsvOptions, usersOfStore},
        {QStringLiteral("report"), QString(),
         QStringLiteral("Every user of the organisation who is excluded from journaling in either direction, with "
                        "server, storage group and store."),
         QString(), 0, 0, false, jsonOrCsvOptions, report},
        {QStringLiteral("audit"), QString(),
         QStringLiteral("The audit trail: every write the window and tavimorctl made, with who, when, the object, "
                        "before -> after, and done or failed. Exit 1 when part of the trail could not be read."),
         QString(), 0, 0, false, auditOptions, audit},
    };
}

}  // namespace ctl
