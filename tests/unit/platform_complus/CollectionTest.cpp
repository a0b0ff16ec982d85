// Applications collection: objects, their properties, and when changes reach the
// catalog file.

#include "TempCatalog.h"
#include "platform/complus/CatalogErrors.h"

#include <QRegularExpression>

using namespace platform::complus;
using testsupport::errorOf;
using testsupport::TempCatalog;

namespace {

CatalogCollection populatedApps(Catalog& catalog) {
    CatalogCollection apps = catalog.GetCollection(QStringLiteral("Applications"));
    apps.Populate();
    return apps;
}

void addApps(const TempCatalog& t, const QStringList& names) {
    Catalog catalog = t.open();
    CatalogCollection apps = populatedApps(catalog);
    for (const QString& n : names) apps.Add().SetValue(QStringLiteral("Name"), n);
    apps.SaveChanges();
}

QStringList namesIn(const TempCatalog& t) {
    Catalog catalog = t.open();
    CatalogCollection apps = populatedApps(catalog);
    QStringList names;
    for (int i = 0; i < apps.Count(); ++i) names << apps.Item(i).Name();
    return names;
}

}  // namespace

TEST(CatalogCollection, NewApplicationHasDefaultsAndBracedIdAndIsReadBackInOrder) {
    TempCatalog t;
    QString firstId;
    {
        Catalog catalog = t.open();
        CatalogCollection apps = populatedApps(catalog);
        EXPECT_EQ(apps.Count(), 0);
        CatalogObject a = apps.Add();
        a.SetValue(QStringLiteral("Name"), QStringLiteral("First"));
        firstId = a.Key();
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\{[0-9a-fA-F-]{36}\\}$")).match(firstId).hasMatch());
        EXPECT_EQ(a.Value(QStringLiteral("ID")).toString(), firstId);
        EXPECT_EQ(a.Value(QStringLiteral("Identity")).toString(), QStringLiteral("Interactive User"));
        EXPECT_TRUE(a.Value(QStringLiteral("ApplicationAccessChecksEnabled")).toBool());
        CatalogObject b = apps.Add();
        b.SetValue(QStringLiteral("name"), QStringLiteral("Second"));  // names of properties ignore case
        b.SetValue(QStringLiteral("ApplicationAccessChecksEnabled"), false);
        EXPECT_NE(b.Key(), firstId);
        EXPECT_EQ(apps.SaveChanges(), 2);
    }
    Catalog catalog = t.open();
    CatalogCollection apps = populatedApps(catalog);
    ASSERT_EQ(apps.Count(), 2);
    EXPECT_EQ(apps.Item(0).Name(), QStringLiteral("First"));
    EXPECT_EQ(apps.Item(0).Key(), firstId);
    EXPECT_TRUE(apps.Item(0).Value(QStringLiteral("ApplicationAccessChecksEnabled")).toBool());
    EXPECT_EQ(apps.Item(1).Name(), QStringLiteral("Second"));
    EXPECT_EQ(apps.Item(1).Value(QStringLiteral("ApplicationAccessChecksEnabled")).toBool(), false);
}

TEST(CatalogCollection, ChangesWithoutSaveChangesAreLost) {
    TempCatalog t;
    addApps(t, {QStringLiteral("Kept")});
    {
        Catalog catalog = t.open();
        CatalogCollection apps = populatedApps(catalog);
        apps.Add().SetValue(QStringLiteral("Name"), QStringLiteral("Unsaved"));
        apps.Item(0).SetValue(QStringLiteral("Identity"), QStringLiteral("DOM\\someone"));
        apps.Remove(0);
        EXPECT_EQ(apps.Count(), 1);
    }
    EXPECT_EQ(namesIn(t), QStringList{QStringLiteral("Kept")});
    Catalog catalog = t.open();
    CatalogCollection apps = populatedApps(catalog);
    apps.Item(0).SetValue(QStringLiteral("Identity"), QStringLiteral("DOM\\someone"));
    apps.Populate();  // a new read drops what was pending
    EXPECT_EQ(apps.Item(0).Value(QStringLiteral("Identity")).toString(), QStringLiteral("Interactive User"));
    apps.SaveChanges();
    EXPECT_EQ(populatedApps(catalog).Item(0).Value(QStringLiteral("Identity")).toString(),
              QStringLiteral("Interactive User"));
}

TEST(CatalogCollection, RemoveTakesOnlyTheIndexedObjectAndPropertyChangesPersist) {
    TempCatalog t;
    addApps(t, {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    {
        Catalog catalog = t.open();
        CatalogCollection apps = populatedApps(catalog);
        apps.Remove(1);
        EXPECT_EQ(apps.Item(1).Name(), QStringLiteral("C"));
        apps.Item(1).SetValue(QStringLiteral("Identity"), QStringLiteral("DOM\\svc"));
        EXPECT_EQ(apps.SaveChanges(), 2);
    }
    EXPECT_EQ(namesIn(t), (QStringList{QStringLiteral("A"), QStringLiteral("C")}));
    Catalog catalog = t.open();
    EXPECT_EQ(populatedApps(catalog).Item(1).Value(QStringLiteral("Identity")).toString(), QStringLiteral("DOM\\svc"));
}

TEST(CatalogCollection, PasswordIsWriteOnlyAndStored) {
    TempCatalog t;
    {
        Catalog catalog = t.open();
        CatalogCollection apps = populatedApps(catalog);
        CatalogObject a = apps.Add();
        EXPECT_EQ(a.Value(QStringLiteral("Password")).toString(), QString());
        a.SetValue(QStringLiteral("Password"), QStringLiteral("s3cret"));
        EXPECT_EQ(a.Value(QStringLiteral("Password")).toString(), kSecretMask);
        apps.SaveChanges();
    }
    Catalog catalog = t.open();
    EXPECT_EQ(populatedApps(catalog).Item(0).Value(QStringLiteral("Password")).toString(), kSecretMask);
}

TEST(CatalogCollection, BadIndexUnknownOrReadOnlyPropertyAndMissingNameAreRefused) {
    TempCatalog t;
    Catalog catalog = t.open();
    CatalogCollection apps = populatedApps(catalog);
    EXPECT_EQ(errorOf([&] { apps.Item(0); }), platform::hr::InvalidArg);
    EXPECT_EQ(errorOf([&] { apps.Remove(-1); }), platform::hr::InvalidArg);
    CatalogObject a = apps.Add();
    EXPECT_EQ(errorOf([&] { a.Value(QStringLiteral("Colour")); }), platform::hr::InvalidArg);
    EXPECT_EQ(errorOf([&] { a.SetValue(QStringLiteral("Colour"), 1); }), platform::hr::InvalidArg);
    EXPECT_EQ(errorOf([&] { a.SetValue(QStringLiteral("ID"), QStringLiteral("{0}")); }), platform::hr::InvalidArg);
    EXPECT_EQ(errorOf([&] { apps.Item(1); }), platform::hr::InvalidArg);

    a.SetValue(QStringLiteral("Name"), QStringLiteral("  "));
    EXPECT_EQ(errorOf([&] { apps.SaveChanges(); }), err::ObjectInvalid);
    EXPECT_TRUE(namesIn(t).isEmpty());
    a.SetValue(QStringLiteral("Name"), QStringLiteral("Named"));  // still pending, saved now
    EXPECT_EQ(apps.SaveChanges(), 1);
    EXPECT_EQ(namesIn(t), QStringList{QStringLiteral("Named")});
}

TEST(CatalogCollection, SaveChangesIsAllOrNothingWhenAnObjectVanished) {
    TempCatalog t;
    addApps(t, {QStringLiteral("Shared")});
    Catalog mine = t.open();
    CatalogCollection apps = populatedApps(mine);
    {
        Catalog other = t.open();
        CatalogCollection theirs = populatedApps(other);
        theirs.Remove(0);
        theirs.SaveChanges();
    }
    apps.Add().SetValue(QStringLiteral("Name"), QStringLiteral("New"));
    apps.Item(0).SetValue(QStringLiteral("Identity"), QStringLiteral("DOM\\x"));
    EXPECT_EQ(errorOf([&] { apps.SaveChanges(); }), err::ObjectErrors);
    EXPECT_TRUE(namesIn(t).isEmpty());
    apps.Remove(0);  // drop the vanished one; the new one is still pending
    EXPECT_EQ(apps.SaveChanges(), 1);
    EXPECT_EQ(namesIn(t), QStringList{QStringLiteral("New")});
}

TEST(CatalogCollection, ValuesWithQuotesAndSqlAreStoredVerbatim) {
    TempCatalog t;
    const QString name = QStringLiteral("O'Brien\"; DROP TABLE objects; --");
    addApps(t, {name, QStringLiteral("Next")});
    EXPECT_EQ(namesIn(t), (QStringList{name, QStringLiteral("Next")}));
}

TEST(Catalog, UnknownCollectionOrWrongKeyIsRefused) {
    TempCatalog t;
    Catalog catalog = t.open();
    EXPECT_EQ(errorOf([&] { catalog.GetCollection(QStringLiteral("Roles")); }), err::ObjectDoesNotExist);
    EXPECT_EQ(errorOf([&] { catalog.GetCollection(QStringLiteral("Components")); }), platform::hr::InvalidArg);
    EXPECT_EQ(errorOf([&] { catalog.GetCollection(QStringLiteral("Applications"), QStringLiteral("{x}")); }),
              platform::hr::InvalidArg);
    CatalogCollection components = catalog.GetCollection(QStringLiteral("Components"), QStringLiteral("{NOPE}"));
    EXPECT_EQ(errorOf([&] { components.Populate(); }), err::ObjectDoesNotExist);
}
