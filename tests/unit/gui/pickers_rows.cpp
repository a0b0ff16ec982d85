// Which directory records the pickers offer, and as what.
#include "pickers/PickerRows.h"

#include <QHash>
#include <gtest/gtest.h>

using namespace pickers;

namespace {

// A record from attribute values; attributes not given are absent (null).
RecordFields record(QHash<QString, QVariant> values) {
    return [values](const QString& name) { return values.value(name.toLower()); };
}

QHash<QString, QVariant> user(const QString& alias, const QString& uac = "512") {
    return {{"name", alias.toUpper()},
            {"mailnickname", alias},
            {"mail", alias + "@tavimor.lab"},
            {"distinguishedname", "CN=" + alias + ",OU=Staff,DC=tavimor,DC=lab"},
            {"samaccounttype", "805306368"},
            {"useraccountcontrol", uac}};
}

// Look-up that must not be reached.
const NameLookup kNoLookup = [](const QString& dn, QString&) -> QString {
    ADD_FAILURE() << "looked up " << dn.toStdString();
    return {};
};

}  // namespace

TEST(PickerRows, SystemMailboxAliasesInAnyCaseAreRecognised) {
    for (const char* alias : {"SystemMailbox{1F2}", "SYSTEMMAILBOX{x", "systemmailbox{", "sYSTEMmAILBOX{9}"})
        EXPECT_TRUE(isSystemMailboxAlias(alias)) << alias;
    for (const char* alias : {"SystemMailbox", "SystemMailbox {", "xSystemMailbox{", ""})
        EXPECT_FALSE(isSystemMailboxAlias(alias)) << alias;
}

TEST(PickerRows, JournalMailboxRowTakesOnlyNormalUserAccountsWithMail) {
    const auto row = journalMailboxRow(record(user("anna")), kNoLookup);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->key, "anna@tavimor.lab");
    EXPECT_EQ(row->name, "ANNA");
    EXPECT_EQ(row->icon, "user");
    EXPECT_EQ(row->tag, "user");
    EXPECT_EQ(row->subItems, QStringList({"CN=anna,OU=Staff,DC=tavimor,DC=lab", "anna@tavimor.lab", ""}));

    const auto disabled = journalMailboxRow(record(user("dora", "514")), kNoLookup);
    ASSERT_TRUE(disabled);
    EXPECT_EQ(disabled->icon, "userdisabled");
    EXPECT_EQ(disabled->tag, "userdisabled");

    auto system = user("SystemMailbox{AB}");
    auto group = user("staff");
    group["samaccounttype"] = "268435456";
    auto machine = user("host");
    machine["samaccounttype"] = "805306369";
    auto noType = user("contact");
    noType.remove("samaccounttype");
    auto noMail = user("nomail");
    noMail.remove("mail");
    for (const auto& values : {system, group, machine, noType, noMail})
        EXPECT_FALSE(journalMailboxRow(record(values), kNoLookup)) << values.value("mailnickname").toString().toStdString();
}

TEST(PickerRows, ForwardToShowsTheRecipientsNameAndAddressWhenItHasOne) {
    auto forwarding = user("fwd.user");
    forwarding["altrecipient"] = "CN=Target,OU=Staff,DC=tavimor,DC=lab";
    const auto withAddress = [](const QString& dn, QString& mail) {
        EXPECT_EQ(dn, "CN=Target,OU=Staff,DC=tavimor,DC=lab");
        mail = "target@tavimor.lab";
        return QString("Target Person");
    };
    EXPECT_EQ(journalMailboxRow(record(forwarding), withAddress)->subItems.value(2),
              "Target Person <target@tavimor.lab>");

    const auto blankAddress = [](const QString&, QString& mail) {
        mail = "   ";
        return QString("Target Person");
    };
    EXPECT_EQ(journalMailboxRow(record(forwarding), blankAddress)->subItems.value(2), "Target Person");

    // A recipient that is not found leaves the address untouched: nothing of an
    // earlier look-up may show up.
    const auto notFound = [](const QString&, QString&) { return QString(); };
    EXPECT_EQ(journalMailboxRow(record(forwarding), notFound)->subItems.value(2), "");
}

TEST(PickerRows, RecipientKindsFollowAccountTypeAndMapiFlag) {
    const QVariant null;
    EXPECT_EQ(recipientKind("805306368", "512", null), "user");
    EXPECT_EQ(recipientKind("805306368", "514", null), "userdisabled");
    EXPECT_EQ(recipientKind("805306368", null, null), "user");
    EXPECT_EQ(recipientKind("268435456", null, null), "group");
    EXPECT_EQ(recipientKind("268435457", null, null), "group");
    EXPECT_EQ(recipientKind("536870912", null, "TRUE"), "contact");
    EXPECT_EQ(recipientKind(null, null, "TRUE"), "contact");
    EXPECT_EQ(recipientKind(null, null, null), "pf");
}

TEST(PickerRows, RecipientRowLeavesOutTheJournalMailboxAndSystemMailboxes) {
    const QString journal = "CN=anna,OU=Staff,DC=tavimor,DC=lab";
    EXPECT_FALSE(recipientRow(record(user("anna")), journal.toUpper()));
    EXPECT_TRUE(recipientRow(record(user("anna")), ""));
    EXPECT_FALSE(recipientRow(record(user("SystemMAILBOX{1}")), ""));

    const auto row = recipientRow(record(user("ben")), journal);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->icon, "user");
    EXPECT_EQ(row->tag, "");
    EXPECT_EQ(row->subItems, QStringList({"CN=ben,OU=Staff,DC=tavimor,DC=lab", "ben@tavimor.lab"}));

    const auto folder = recipientRow(record({{"name", "Sales Folder"},
                                             {"mail", "sales-folder@tavimor.lab"},
                                             {"mailnickname", "sales-folder"},
                                             {"distinguishedname", "CN=Sales Folder,DC=x"}}),
                                     journal);
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->icon, "pf");
    EXPECT_EQ(folder->tag, "pf");
}

TEST(PickerRows, NameWithAddress) {
    EXPECT_EQ(nameWithAddress("Ann", "ann@x"), "Ann <ann@x>");
    EXPECT_EQ(nameWithAddress("Ann", ""), "Ann");
    EXPECT_EQ(nameWithAddress("Ann", "  "), "Ann");
}
