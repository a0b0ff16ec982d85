#include "startup/Cluster.h"
#include "startup/IdentityDefaults.h"
#include "startup/WindowsVersion.h"
#include "support/FakeProbes.h"

#include <gtest/gtest.h>

using namespace app::startup;
using testing_support::FakeProbes;

TEST(WindowsVersion, TheWholeTable) {
    const struct { uint32_t platform, major, minor; const char* name; } rows[] = {
        {1, 4, 0, "Windows 95"},       {1, 4, 10, "Windows 98"},     {1, 4, 90, "Windows Millennium"},
        {1, 4, 3, ""},                 {1, 9, 10, "Windows 98"},     {2, 3, 51, "Windows NT 3.51"},
        {2, 4, 0, "Windows NT 4.0"},   {2, 5, 0, "Windows 2000"},    {2, 5, 1, "Windows XP"},
        {2, 5, 2, "Windows XP"},       {2, 6, 0, ""},                {2, 10, 0, ""},
        {2, 2, 0, "Failed"},           {0, 5, 0, "Failed"},          {3, 5, 0, "Failed"},
    };
    FakeProbes probes;
    for (const auto& r : rows) {
        probes.playWindows(r.platform, r.major, r.minor);
        EXPECT_EQ(GetWindowsVersion(probes), QString::fromLatin1(r.name)) << r.platform << " " << r.major << "." << r.minor;
    }
    probes.playWindows(2, 5, 0);
    probes.versionOk = false;  // a failed call leaves the record zeroed
    EXPECT_EQ(GetWindowsVersion(probes), "Failed");
}

TEST(Cluster, TheNameIsTheLastCnOfTheHomeServer) {
    EXPECT_EQ(clusterNameFromHomeServer(
                  "/o=Org/ou=First Administrative Group/cn=Configuration/cn=Servers/cn=Evs01"),
              "EVS01");
    // One character after the last CN= is not a name: the whole value is taken.
    EXPECT_EQ(clusterNameFromHomeServer("/o=Org/cn=Servers/cn=E"), "/O=ORG/CN=SERVERS/CN=E");
    EXPECT_EQ(clusterNameFromHomeServer("no marker"), "NO MARKER");
    EXPECT_EQ(clusterNameFromHomeServer(""), "");
}

TEST(IdentityDefaults, DnsFormFromTheCategoryAndNetbiosFormWins) {
    EXPECT_EQ(dnsDomainFromCategory("CN=Person,CN=Schema,CN=Configuration,DC=tavimor,DC=lab"), "tavimor.lab");
    EXPECT_EQ(dnsDomainFromCategory("CN=Person,CN=Schema,dc=corp, DC=example,DC=com"), "corp.example.com");
    EXPECT_EQ(dnsDomainFromCategory("CN=Person"), "");

    FakeProbes probes;
    probes.user = "jo";
    app::Globals g;  // no directory: only the NetBIOS form can apply
    probes.lanGroup = "WORKGROUP";
    EXPECT_EQ(FillIdentityField(g, probes), "WORKGROUP\\jo");
    probes.lanGroup.reset();
    EXPECT_EQ(FillIdentityField(g, probes), "");
    EXPECT_EQ(GetNetBIOSDomainName(probes), "");
}
