#include "startup/StartupDiscovery.h"
#include "support/FakeProbes.h"

#include <gtest/gtest.h>

using namespace app::startup;
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
    app::Globals g;
    app::FormState form;
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
