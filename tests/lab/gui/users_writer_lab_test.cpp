// The attribute writer against the lab directory: writes, clears, addresses with
// apostrophes, objects that are not persons, and a denied write.
#include "state/Prompt.h"
#include "tree_lab_form.h"
#include "users/AttributeWriter.h"

#include <gtest/gtest.h>
#include <optional>

using namespace testing_support;
using users::SetAttribute;
using users::SetAttributeByMail;

namespace {

const QString kAttr = QStringLiteral("extensionAttribute10");

QString dnOf(const QString& mail) {
    return ldapsearchValues("(mail=" + filterValue(mail) + ")", "distinguishedName").value(0);
}
std::optional<QString> stored(const QString& mail) { return attributeAt(dnOf(mail), kAttr); }

class WriterLab : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_LAB(); }
    // Every address a test touches gets its value back.
    QString touch(const QString& mail) {
        attributes.keep(dnOf(mail), kAttr);
        return mail;
    }

    app::ScriptedPrompt prompt;
    AttributeKeeper attributes;
};

TEST_F(WriterLab, WritesAndClearsThroughLdapAlsoFromAGlobalCatalogBase) {
    const QString mail = touch("marker.none@tavimor.lab");
    ASSERT_EQ(stored(mail), std::nullopt);
    EXPECT_EQ(SetAttribute(prompt, labRoot(), mail, kAttr, QStringLiteral("###NoArcIn")), 1);
    EXPECT_EQ(stored(mail), "###NoArcIn");
    EXPECT_EQ(SetAttribute(prompt, labRoot(), mail, kAttr, QVariant()), 1);
    EXPECT_EQ(stored(mail), std::nullopt);
    // a global-catalog base: searched and written over LDAP
    EXPECT_EQ(SetAttribute(prompt, labRoot("GC"), mail, kAttr, QStringLiteral("###NoArcOut")), 1);
    EXPECT_EQ(stored(mail), "###NoArcOut");
    EXPECT_EQ(SetAttributeByMail(prompt, labRoot(), mail, kAttr, QVariant()), 1);
    EXPECT_EQ(stored(mail), std::nullopt);
    EXPECT_EQ(SetAttribute(prompt, labRoot(), mail, kAttr, QVariant()), 1);  // already clear: no failure
    EXPECT_TRUE(prompt.asked.empty());
}

TEST_F(WriterLab, AnAddressWithAnApostropheIsFoundByBoth) {
    const QString mail = touch("o'brien@tavimor.lab");
    EXPECT_EQ(SetAttribute(prompt, labRoot(), mail, kAttr, QStringLiteral("it's ###NoArcIn")), 1);
    EXPECT_EQ(stored(mail), "it's ###NoArcIn");
    EXPECT_EQ(SetAttributeByMail(prompt, labRoot(), mail, kAttr, QStringLiteral("###NoArcOut")), 1);
    EXPECT_EQ(stored(mail), "###NoArcOut");
    // the quoting cannot be broken out of to reach other objects
    EXPECT_EQ(SetAttribute(prompt, labRoot(), "x' OR mail='*", kAttr, QStringLiteral("hacked")), -1);
    EXPECT_TRUE(ldapsearchValues("(" + kAttr + "=hacked)", "mail").isEmpty());
}

// Every write that did not happen answers -1; only a denial shows a message.
TEST_F(WriterLab, OnlyPersonsAreFoundByMailAndFailuresAnswerFailureWithoutAMessage) {
    const QString group = touch("staff@tavimor.lab");
    EXPECT_EQ(SetAttributeByMail(prompt, labRoot(), group, kAttr, QStringLiteral("grp")), -1);
    EXPECT_EQ(stored(group), std::nullopt);
    EXPECT_EQ(SetAttribute(prompt, labRoot(), group, kAttr, QStringLiteral("grp")), 1);
    EXPECT_EQ(stored(group), "grp");
    // no such object, and an attribute the schema does not know: -1 with the
    // failure for the caller, no message
    platform::ResumeNext failure;
    EXPECT_EQ(SetAttribute(prompt, labRoot(), "nobody@tavimor.lab", kAttr, QStringLiteral("x"), &failure), -1);
    EXPECT_EQ(failure.number(), platform::hr::NoSuchObject);
    const QString user = touch("marker.none@tavimor.lab");
    EXPECT_EQ(SetAttribute(prompt, labRoot(), user, "noSuchAttributeAnywhere", QStringLiteral("x"), &failure), -1);
    EXPECT_NE(failure.number(), platform::hr::NoSuchObject);
    EXPECT_TRUE(prompt.asked.empty());
}

TEST_F(WriterLab, ADeniedWriteIsShownOncePerCallAndAnswersMinusOne) {
    const QString mail = touch("marker.in@tavimor.lab");
    const QByteArray oldDn = qgetenv("LDAPBINDDN");
    const QByteArray oldPw = qgetenv("TAVIMOR_BIND_PASSWORD_FILE");
    qputenv("LDAPBINDDN", labEnv("LAB_LIMITED_BINDDN").toUtf8());
    qputenv("TAVIMOR_BIND_PASSWORD_FILE", labEnv("LAB_LIMITED_PASSWORD_FILE").toUtf8());
    platform::directory::resetConnectionCache();
    const int16_t first = SetAttribute(prompt, labRoot(), mail, kAttr, QVariant());
    const int16_t second = SetAttributeByMail(prompt, labRoot(), mail, kAttr, QStringLiteral("x"));
    qputenv("LDAPBINDDN", oldDn);
    qputenv("TAVIMOR_BIND_PASSWORD_FILE", oldPw);
    platform::directory::resetConnectionCache();

    EXPECT_EQ(first, -1);
    EXPECT_EQ(second, -1);
    ASSERT_EQ(prompt.asked.size(), 2u);
    for (const auto& a : prompt.asked) EXPECT_EQ(a.text, "Insufficient access rights.\r\nSorry, you can not change this parameter.");
    EXPECT_EQ(stored(mail), "###NoArcIn");
}

}  // namespace
