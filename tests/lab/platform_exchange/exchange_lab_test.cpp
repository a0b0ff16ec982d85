// The Exchange management objects against the lab's configuration partition,
// compared with what ldapsearch reads there independently. Which storage groups
// and stores the tree lists, the recovery group left out, is compared with
// ldapsearch by the store tree's lab test; setting and deleting a store's journal
// recipient is checked through Change (engine_apply_lab_test).
#include "platform/exchange/ExchangeServer.h"
#include "platform/exchange/MailboxStoreDB.h"
#include "support/Lab.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

using namespace platform::exchange;
using namespace testing_support;
using testing_support::errorOf;

namespace {

QString serverName() { return labEnv("LAB_EXCHANGE_SERVER"); }

TEST(ExchangeServerLab, EveryServerOpensByNameInAnyCaseOrFqdnAndUnknownNamesFail) {
    REQUIRE_LAB();
    ASSERT_FALSE(serverName().isEmpty());
    const QStringList names = ldapsearchValues("(objectClass=msExchExchangeServer)", "cn", configNc());
    ASSERT_GE(names.size(), 2) << "the lab has a cluster's virtual server beside the host";
    for (const QString& n : names) EXPECT_EQ(ExchangeServer::open(n.toLower()).Name(), n);

    const ExchangeServer s = ExchangeServer::open(serverName().toLower() + "." + labEnv("LAB_DNS_DOMAIN"));
    EXPECT_EQ(s.distinguishedName().toLower(), exchangeServerDn().toLower());
    const QString version = ldapsearchValues("(objectClass=*)", "serialNumber", exchangeServerDn()).value(0);
    EXPECT_TRUE(version.startsWith("Version ")) << version.toStdString();
    EXPECT_EQ(s.ExchangeVersion(), version);
    // its MTA, read with fieldText, is compared with ldapsearch by the store tree's lab test

    // filter characters in a name are taken literally
    for (const char* unknown : {"no-such-server.example", "", "*", "x)(cn=*"})
        EXPECT_EQ(errorOf([&] { ExchangeServer::open(unknown); }), platform::hr::NoSuchObject) << unknown;
}

TEST(MailboxStoreDBLab, MissingStoreIsNotCreated) {
    REQUIRE_LAB();
    const QString dn = "CN=No Such Store,CN=InformationStore," + exchangeServerDn();
    EXPECT_EQ(errorOf([&] { MailboxStoreDB::open(dn); }), platform::hr::NoSuchObject);
    EXPECT_TRUE(ldapsearchValues("(objectClass=*)", "distinguishedName", dn).isEmpty());
    // a storage group is not a mailbox store
    EXPECT_EQ(errorOf([] { MailboxStoreDB::open(ExchangeServer::open(serverName()).StorageGroups().first()); }),
              platform::hr::NoSuchObject);
}
}  // namespace
