#include "startup/IdentityDefaults.h"
#include "startup/StartupDiscovery.h"
#include "startup/WindowsVersion.h"
#include "support/FakeProbes.h"

#include <gtest/gtest.h>

using namespace startup;
using testing_support::FakeProbes;

namespace {

// A directory of the test's choosing; an empty value plays a failing call.
class FakeFacts : public DirectoryFacts {
public:
    QString userDn = "CN=Administrator,CN=Users,DC=corp,DC=example";
    QString domain = "Corp.Example";
    QHash<QString, QVariant> bound;  // "path|property" -> value

    QString userDistinguishedName() override {
        if (userDn.isNull()) throw platform::ComError(platform::hr::Fail, "no ADSystemInfo");
        return userDn;
    }
    QString domainDNSName() override {
        if (domain.isNull()) throw platform::ComError(platform::hr::Fail, "not a domain member");
        return domain;
    }
    QVariant boundProperty(const QString& path, const QString& property) override {
        const auto it = bound.constFind(path + "|" + property);
        if (it == bound.constEnd()) throw platform::ComError(platform::hr::NoSuchObject, "no such object");
        return it.value();
    }
};

class StartupDiscovery : public ::testing::Test {
protected:
    // What start-up found: mail, directory root, computer, both mailbox roots, version.
    QStringList run() {
        RunStartupDiscovery(g, form, probes, facts);
        return {form.strCurrentUserEmailAddress, g.strLDAPRoot, form.ComputerName, g.strHttpMailboxRoot,
                g.strFileMailboxRoot, g.strWindowsVersion};
    }
    FakeProbes probes;
    FakeFacts facts;
    state::Globals g;
    state::FormState form;
};

}  // namespace

TEST_F(StartupDiscovery, DomainMemberGetsItsNamesRootsAndVersion) {
    probes.computer = "EXCH01";
    facts.bound["LDAP://CN=Administrator,CN=Users,DC=corp,DC=example|EmailAddress"] = " admin@corp.example ";
    facts.bound["LDAP://RootDSE|dnshostname"] = "dc7.corp.example";
    EXPECT_EQ(run(), QStringList({"admin@corp.example", "LDAP://dc7.corp.example", "exch01.corp.example",
                                  "http://exch01.corp.example/exadmin/corp.example/mbx",
                                  "file://./backofficestorage/corp.example/mbx", ""}));
    ASSERT_TRUE(g.conAD);
    EXPECT_TRUE(g.conAD->isOpen());
    EXPECT_EQ(form.ShortComputerName, "exch01");
    EXPECT_EQ(form.DomainDNSName, "corp.example");
}

TEST_F(StartupDiscovery, GlobalCatalogAndStoreListingAreFallbacks) {
    probes.storeRoot = {"Corp.Example.Folder", "second"};
    probes.playWindows(2, 5, 0);
    // The user is only found through the global catalog, and only GC answers RootDSE.
    facts.bound["GC://CN=Administrator,CN=Users,DC=corp,DC=example|EmailAddress"] = "gc@corp.example";
    facts.bound["GC://RootDSE|dnshostname"] = "gc1.corp.example";
    EXPECT_EQ(run(), QStringList({"gc@corp.example", "GC://gc1.corp.example", "vm.corp.example",
                                  "http://vm.corp.example/exadmin/Corp.Example.Folder/mbx",
                                  "file://./backofficestorage/Corp.Example.Folder/mbx", "Windows 2000"}));
}

TEST_F(StartupDiscovery, WorkgroupComputerKeepsEmptyValuesAndALoneDot) {
    facts.userDn = QString();   // no ADSystemInfo
    facts.domain = QString();   // not a domain member
    EXPECT_EQ(run(), QStringList({"", "", "vm.", "http://vm./exadmin//mbx", "file://./backofficestorage//mbx", ""}));
    EXPECT_EQ(form.DomainDNSName, "");
}

TEST_F(StartupDiscovery, ClusterNodeWithoutDirectoryKeepsItsOwnName) {
    probes.registryKeys.insert("Cluster");
    EXPECT_EQ(run().value(2), "vm.corp.example");  // the home-server query fails: no base
    EXPECT_EQ(form.ClusterName, "");
}

// Only "Windows 2000" changes what the program does (the COM+ account).
TEST(WindowsVersion, Windows2000IsToldApartFromItsNeighbours) {
    const struct { uint32_t platform, major, minor; const char* name; } rows[] = {
        {2, 5, 0, "Windows 2000"}, {2, 5, 1, "Windows XP"}, {2, 4, 0, "Windows NT 4.0"}, {2, 6, 0, ""},
        {1, 4, 0, "Windows 95"},   {0, 5, 0, "Failed"},
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

TEST(IdentityDefaults, DnsFormFromTheCategoryAndNetbiosFormWins) {
    EXPECT_EQ(dnsDomainFromCategory("CN=Person,CN=Schema,CN=Configuration,DC=tavimor,DC=lab"), "tavimor.lab");
    EXPECT_EQ(dnsDomainFromCategory("CN=Person,CN=Schema,dc=corp, DC=example,DC=com"), "corp.example.com");
    EXPECT_EQ(dnsDomainFromCategory("CN=Person"), "");

    FakeProbes probes;
    probes.user = "jo";
    state::Globals g;  // no directory: only the NetBIOS form can apply
    probes.lanGroup = "WORKGROUP";
    EXPECT_EQ(FillIdentityField(g, probes), "WORKGROUP\\jo");
    probes.lanGroup.reset();
    EXPECT_EQ(FillIdentityField(g, probes), "");
    EXPECT_EQ(GetNetBIOSDomainName(probes), "");
}
