// Which server the programs work on: the command line before TAVIMOR_SERVER before
// this computer, names matched short or DNS and in any case, and what start-up
// does with a server that is none of the organisation's.
#include "startup/ServerChoice.h"
#include "support/Lab.h"

#include <gtest/gtest.h>

using namespace startup;
using Action = ServerDecision::Action;

TEST(ServerChoice, TheOptionComesBeforeTheEnvironmentBeforeThisComputer) {
    testing_support::EnvScope env;
    const struct { const char* option; const char* environment; const char* wanted; } cases[] = {
        {"exch02", "exch03", "exch02"}, {" ", " exch03 ", "exch03"}, {"", nullptr, ""}, {"", "", ""}};
    for (const auto& c : cases) {
        env.set("TAVIMOR_SERVER", c.environment);
        EXPECT_EQ(requestedServer(c.option), c.wanted) << c.option << "|" << (c.environment ? c.environment : "unset");
    }
}

TEST(ServerChoice, NamesMatchShortOrDnsInAnyCaseAsTheOrganisationSpellsThem) {
    const QStringList servers{"EVS01", "Exch-02"};
    const struct { const char* name; const char* match; } cases[] = {
        {"evs01", "EVS01"}, {"EXCH-02.corp.example", "Exch-02"}, {"exch", ""}, {"evs01x.corp.example", ""},
        {"", ""},           {".corp.example", ""}};
    for (const auto& c : cases) EXPECT_EQ(matchServer(c.name, servers), c.match) << c.name;
}

TEST(ServerChoice, ANameThatIsNoServerOffersTheOrganisationsServersAndSaysWhy) {
    const QStringList servers{"EVS01", "VM"};
    const ServerDecision use = decideServer("vm.corp.example", false, servers, "");
    EXPECT_EQ(use.action, Action::Use);
    EXPECT_EQ(use.server, "VM");

    const ServerDecision mine = decideServer("ws7.corp.example", false, servers, "");
    EXPECT_EQ(mine.action, Action::Choose);
    EXPECT_EQ(mine.servers, servers);
    EXPECT_EQ(mine.reason, "This computer (ws7) is not an Exchange server of the organisation.");
    EXPECT_EQ(mine.message, mine.reason + " The organisation's Exchange servers: EVS01, VM.");
    const ServerDecision named = decideServer("bad\nname", true, servers, "");
    EXPECT_EQ(named.action, Action::Choose);
    EXPECT_TRUE(named.reason.startsWith("The server bad?name named by --server or TAVIMOR_SERVER is not"));

    EXPECT_EQ(decideServer("vm", false, {}, "").action, Action::NoServer);
    const ServerDecision unread = decideServer("vm", false, {}, "Can't contact LDAP server");
    EXPECT_EQ(unread.action, Action::Unchecked);
    EXPECT_EQ(unread.server, "vm");
    EXPECT_TRUE(unread.message.endsWith("Can't contact LDAP server"));
}
