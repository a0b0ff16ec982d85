// Start-up discovery against the lab, with this host's own probes.

#include "startup/Cluster.h"
#include "startup/IdentityDefaults.h"
#include "startup/StartupDiscovery.h"
#include "support/FakeProbes.h"
#include "support/Lab.h"

#include <gtest/gtest.h>
#include <unistd.h>

using namespace startup;

namespace {
QString shortHostName() {
    char host[256] = {};
    gethostname(host, sizeof host - 1);
    return QString::fromLocal8Bit(host).section('.', 0, 0).toLower();
}

class StartupLab : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_LAB(); }
    void run(platform::system::SystemProbes& with) { RunStartupDiscovery(g, form, with, facts); }
    testing_support::FakeProbes probes;
    DirectoryFacts facts;
    state::Globals g;
    state::FormState form;
};
}  // namespace

TEST_F(StartupLab, DiscoveryReportsTheLabsValues) {
    auto host = platform::system::makeHostProbes();
    run(*host);
    EXPECT_EQ(form.strCurrentUserEmailAddress.toLower(), "administrator@tavimor.lab");
    EXPECT_EQ(g.strLDAPRoot, "LDAP://" + testing_support::labEnv("LAB_DC_HOST"));
    ASSERT_TRUE(g.conAD);
    EXPECT_EQ(form.ShortComputerName, shortHostName());
    EXPECT_EQ(form.DomainDNSName, "tavimor.lab");
    EXPECT_EQ(form.ComputerName, shortHostName() + ".tavimor.lab");
    const QString folder = host->listStoreRoot().value(0, "tavimor.lab");
    EXPECT_EQ(g.strHttpMailboxRoot, "http://" + form.ComputerName + "/exadmin/" + folder + "/mbx");
    EXPECT_EQ(g.strFileMailboxRoot, "file://./backofficestorage/" + folder + "/mbx");
    EXPECT_EQ(GetWindowsUserName(*host), "Administrator");
    EXPECT_EQ(FillIdentityField(g, *host), "TAVIMOR\\Administrator");  // the domain's NetBIOS name
}

TEST_F(StartupLab, ClusterNodeTakesTheVirtualServerFromTheUsersHomeServer) {
    probes.registryKeys.insert("Cluster");
    run(probes);
    // The administrator's home server is this computer's Exchange server.
    EXPECT_EQ(form.ClusterName, shortHostName().toUpper());
    EXPECT_EQ(form.ComputerName, shortHostName().toUpper());
    EXPECT_TRUE(g.strHttpMailboxRoot.startsWith("http://" + shortHostName().toUpper() + "/exadmin/"));
}

