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

// Which records each picker offers, with which icon, is compared with
// ldapsearch by the pickers' lab tests (system mailboxes in any letter case,
// disabled accounts, every kind of recipient). Here: what the lab cannot show.
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

TEST(PickerRows, TheJournalMailboxIsLeftOutInAnyLetterCase) {
    EXPECT_FALSE(recipientRow(record(user("anna")), "cn=ANNA"));
    EXPECT_EQ(recipientRow(record(user("ben")), "CN=anna")->subItems, QStringList({"CN=ben", "ben@x"}));
}
