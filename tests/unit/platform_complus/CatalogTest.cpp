// The catalog: where its file lives and who may read it, the Applications
// collection's objects and properties, and when changes reach the file.

#include "platform/complus/CatalogErrors.h"
#include "support/TempCatalog.h"
#include "support/Thrown.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform::complus;
using namespace testing_support;

namespace {

QStringList namesIn(const TempCatalog& t) {
    Catalog catalog = t.open();
    CatalogCollection apps = applications(catalog);
    QStringList names;
    for (int i = 0; i < apps.Count(); ++i) names << apps.Item(i).Name();
    return names;
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::lstat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st.st_mode & 0777;
}
}  // namespace

// A name with quotes and SQL in it is stored verbatim.
TEST(CatalogCollection, NewApplicationsGetBracedIdsAndAreReadBackInOrder) {
    TempCatalog t;
    const QString second = QStringLiteral("O'Brien\"; DROP TABLE objects; --");
    QString firstId;
    {
        Catalog catalog = t.open();
        CatalogCollection apps = applications(catalog);
        CatalogObject a = apps.Add();
        a.SetValue(QStringLiteral("Name"), QStringLiteral("First"));
        firstId = a.Key();
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\{[0-9a-fA-F-]{36}\\}$")).match(firstId).hasMatch());
        CatalogObject b = apps.Add();
        b.SetValue(QStringLiteral("name"), second);  // names of properties ignore case
        b.SetValue(QStringLiteral("ApplicationAccessChecksEnabled"), false);
        EXPECT_NE(b.Key(), firstId);
        EXPECT_EQ(apps.SaveChanges(), 2);
    }
    Catalog catalog = t.open();
    CatalogCollection apps = applications(catalog);
    ASSERT_EQ(apps.Count(), 2);
    EXPECT_EQ(apps.Item(0).Name(), QStringLiteral("First"));
    EXPECT_EQ(apps.Item(0).Key(), firstId);
    EXPECT_EQ(apps.Item(1).Name(), second);
    EXPECT_FALSE(apps.Item(1).Value(QStringLiteral("ApplicationAccessChecksEnabled")).toBool());
    EXPECT_TRUE(apps.Item(0).Value(QStringLiteral("ApplicationAccessChecksEnabled")).toBool());  // the default
}

TEST(CatalogCollection, ChangesWithoutSaveChangesAreLost) {
    TempCatalog t;
    {
        Catalog catalog = t.open();
        addApp(catalog, QStringLiteral("Kept"));
        CatalogCollection apps = applications(catalog);
        apps.Add().SetValue(QStringLiteral("Name"), QStringLiteral("Unsaved"));
        apps.Item(0).SetValue(QStringLiteral("Identity"), QStringLiteral("DOM\\someone"));
        apps.Remove(0);
        EXPECT_EQ(apps.Count(), 1);
    }
    EXPECT_EQ(namesIn(t), QStringList{QStringLiteral("Kept")});
    Catalog catalog = t.open();
    CatalogCollection apps = applications(catalog);
    EXPECT_EQ(apps.Item(0).Value(QStringLiteral("Identity")).toString(), QStringLiteral("Interactive User"));
}

TEST(CatalogCollection, AReadOnlyPropertyAndAMissingNameAreRefused) {
    TempCatalog t;
    Catalog catalog = t.open();
    CatalogCollection apps = applications(catalog);
    CatalogObject a = apps.Add();
    EXPECT_EQ(errorOf([&] { a.SetValue(QStringLiteral("ID"), QStringLiteral("{0}")); }), platform::hr::InvalidArg);

    a.SetValue(QStringLiteral("Name"), QStringLiteral("  "));
    EXPECT_EQ(errorOf([&] { apps.SaveChanges(); }), err::ObjectInvalid);
    EXPECT_TRUE(namesIn(t).isEmpty());
    a.SetValue(QStringLiteral("Name"), QStringLiteral("Named"));  // still pending, saved now
    EXPECT_EQ(apps.SaveChanges(), 1);
    EXPECT_EQ(namesIn(t), QStringList{QStringLiteral("Named")});
}

TEST(CatalogCollection, SaveChangesIsAllOrNothingWhenAnObjectVanished) {
    TempCatalog t;
    Catalog mine = t.open();
    addApp(mine, QStringLiteral("Shared"));
    CatalogCollection apps = applications(mine);
    {
        Catalog other = t.open();
        CatalogCollection theirs = applications(other);
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

TEST(Catalog, ComponentsOfAnApplicationThatIsGoneAreRefused) {
    TempCatalog t;
    Catalog catalog = t.open();
    CatalogCollection components = catalog.GetCollection(QStringLiteral("Components"), QStringLiteral("{NOPE}"));
    EXPECT_EQ(errorOf([&] { components.Populate(); }), err::ObjectDoesNotExist);
}

TEST(CatalogFile, IsCreatedOwnerOnlyInOwnerOnlyFolders) {
    TempCatalog t;
    const QString path = t.dir.filePath(QStringLiteral("a/b/catalog.db"));
    const mode_t callers = ::umask(0);  // the modes must not depend on the caller's umask
    {
        Catalog catalog(path);
        addApp(catalog, QStringLiteral("Tavimor"));
    }
    ::umask(callers);
    EXPECT_EQ(modeOf(path), 0600u);
    EXPECT_EQ(modeOf(t.dir.filePath(QStringLiteral("a/b"))), 0700u);
    EXPECT_EQ(modeOf(t.dir.filePath(QStringLiteral("a"))), 0700u);
}

// The catalog holds an identity's password: a file others could use, or one
// that belongs to someone else, is refused for writing and for reading, and
// reading never creates one.
TEST(CatalogFile, AFileOthersCanUseOrOwnIsRefusedAndReadingCreatesNothing) {
    TempCatalog t;
    const QString path = t.dir.filePath(QStringLiteral("catalog.db"));
    const QByteArray native = QFile::encodeName(path);
    { Catalog first(path); }
    std::vector<std::tuple<mode_t, uid_t, const char*>> cases{{0644, 0, "(mode 0644)"}, {0602, 0, "0600 or stricter"}};
    if (::geteuid() == 0) cases.push_back({0600, 65534, "it belongs to another user (uid 65534)"});
    for (const auto& [mode, owner, says] : cases) {
        ASSERT_EQ(::chmod(native.constData(), mode) + ::chown(native.constData(), owner ? owner : ::geteuid(), -1), 0);
        for (Catalog::Access access : {Catalog::Access::ReadWrite, Catalog::Access::ReadOnly}) {
            const QString why = thrown([&] { Catalog c(path, access); }).description;
            EXPECT_TRUE(why.startsWith("The catalog " + path + " is refused: ") && why.contains(says)) << why.toStdString();
        }
        EXPECT_EQ(modeOf(path), mode);  // refused, not changed
    }
    ASSERT_EQ(::chmod(native.constData(), 0600) + ::chown(native.constData(), ::geteuid(), -1), 0);
    Catalog reader(path, Catalog::Access::ReadOnly);
    EXPECT_NE(errorOf([&] { addApp(reader, QStringLiteral("Tavimor")); }), 0);
    EXPECT_NE(errorOf([&] { Catalog c(t.dir.filePath(QStringLiteral("none/catalog.db")), Catalog::Access::ReadOnly); }), 0);
    EXPECT_FALSE(QFileInfo::exists(t.dir.filePath(QStringLiteral("none"))));
}

TEST(CatalogFile, UnusableLocationsAreComErrors) {
    TempCatalog t;
    const QString file = t.dir.filePath(QStringLiteral("plain"));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not a catalog database, just text that is long enough to be read");
    f.close();
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0600), 0);
    EXPECT_EQ(errorOf([&] { Catalog c(file); }), platform::hr::Fail);
    if (::geteuid() != 0) {
        const QString locked = t.dir.filePath(QStringLiteral("locked"));
        ASSERT_EQ(::mkdir(QFile::encodeName(locked).constData(), 0500), 0);
        EXPECT_EQ(errorOf([&] { Catalog c(locked + QStringLiteral("/catalog.db")); }), platform::hr::AccessDenied);
    }
}
