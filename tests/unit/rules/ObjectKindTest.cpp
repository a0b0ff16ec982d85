#include "rules/ObjectKind.h"

#include <gtest/gtest.h>

// Every caller (window, pickers, registration, the store's event service) reads
// the kind through this one rule, so a domain-local group must expand like any group.
TEST(ObjectKind, AccountTypesAndTheMapiFlagGiveTheKind) {
    const struct { QVariant type, mapi; const char* kind; } rows[] = {
        {QStringLiteral("805306368"), {}, "user"},        {QString(""), {}, "user"},
        {QStringLiteral("268435456"), {}, "group"},       {QStringLiteral("268435457"), {}, "group"},
        {QStringLiteral("536870912"), {}, "group"},       {QStringLiteral("536870913"), {}, "group"},
        {QStringLiteral("805306369"), {}, "contact"},     {QVariant(), QStringLiteral("TRUE"), "contact"},
        {QVariant(), QVariant(), "pf"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(rules::objectTypeFromFields(r.type, r.mapi), QString::fromLatin1(r.kind)) << r.type.toString().toStdString();
}
