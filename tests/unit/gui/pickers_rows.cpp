// Which directory records the pickers offer, and as what.
#include "pickers/PickerRows.h"

#include <QHash>
#include <gtest/gtest.h>

using namespace pickers;

namespace {

using Values = QHash<QString, QVariant>;  // attribute (lower case) -> value; absent = null

RecordFields record(Values values) {
    return [values](const QString& name) { return values.value(name.toLower()); };
}

Values user(const QString& alias, const QString& uac = "512") {
    return {{"name", alias.toUpper()},          {"mailnickname", alias},
            {"mail", alias + "@x"},             {"distinguishedname", "CN=" + alias},
            {"samaccounttype", "805306368"},    {"useraccountcontrol", uac}};
}

Values with(Values v, const QString& attribute, const QVariant& value) {
    if (value.isNull())
        v.remove(attribute);
    else
        v[attribute] = value;
    return v;
}

const NameLookup kNotFound = [](const QString&, QString&) { return QString(); };

}  // namespace

TEST(PickerRows, JournalMailboxesAreNormalUserAccountsWithMailThatAreNoSystemMailboxes) {
    const auto row = journalMailboxRow(record(user("anna")), kNotFound);
    ASSERT_TRUE(row);
    EXPECT_EQ(row->key, "anna@x");
    EXPECT_EQ(row->name, "ANNA");
    EXPECT_EQ(row->tag, "user");
    EXPECT_EQ(row->subItems, QStringList({"CN=anna", "anna@x", ""}));
    EXPECT_EQ(journalMailboxRow(record(user("dora", "514")), kNotFound)->icon, "userdisabled");
    EXPECT_TRUE(journalMailboxRow(record(user("SystemMailbox")), kNotFound));

    for (const Values& v : {user("sYSTEMmAILBOX{1}"), with(user("pc"), "samaccounttype", "805306369"),
                            with(user("c"), "samaccounttype", {}), with(user("nomail"), "mail", {})})
        EXPECT_FALSE(journalMailboxRow(record(v), kNotFound)) << v.value("mailnickname").toString().toStdString();
}

TEST(PickerRows, ForwardToIsTheRecipientsNameWithItsAddressWhenItHasOne) {
    const Values forwarding = with(user("fwd"), "altrecipient", "CN=Target");
    const auto forwardTo = [&](const NameLookup& lookup) {
        return journalMailboxRow(record(forwarding), lookup)->subItems.value(2);
    };
    EXPECT_EQ(forwardTo([](const QString& dn, QString& mail) {
                  mail = "t@x";
                  return dn == "CN=Target" ? QString("Target") : QString();
              }),
              "Target <t@x>");
    EXPECT_EQ(forwardTo([](const QString&, QString& mail) {
                  mail = "  ";
                  return QString("Target");
              }),
              "Target");
    // A recipient that is not found leaves the address as it was: empty, never
    // one from an earlier look-up.
    EXPECT_EQ(forwardTo(kNotFound), "");
}

TEST(PickerRows, RecipientsOfEveryKindButSystemMailboxesAndTheJournalMailbox) {
    EXPECT_FALSE(recipientRow(record(user("anna")), "cn=ANNA"));
    EXPECT_TRUE(recipientRow(record(user("anna")), ""));
    EXPECT_FALSE(recipientRow(record(user("SystemMAILBOX{1}")), ""));
    EXPECT_EQ(recipientRow(record(user("ben")), "CN=anna")->subItems, QStringList({"CN=ben", "ben@x"}));

    // Any other account type is a contact; neither account type nor MAPI flag: a public folder.
    const auto kind = [](const QVariant& type, const QVariant& mapi) {
        return recipientRow(record(with(with(user("r"), "samaccounttype", type), "mapirecipient", mapi)), "");
    };
    EXPECT_EQ(kind("536870912", "TRUE")->icon, "contact");
    EXPECT_EQ(kind("536870912", "TRUE")->tag, "");
    EXPECT_EQ(kind({}, {})->icon, "pf");
    EXPECT_EQ(kind({}, {})->tag, "pf");
}
