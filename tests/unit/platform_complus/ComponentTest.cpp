// Installing component libraries into applications and their Components
// collection. The service registrations are checked with the arguments the
// program passes by ComPlusLab.

#include "platform/complus/CatalogErrors.h"
#include "platform/complus/InstalledComponent.h"
#include "support/TempCatalog.h"
#include "support/Thrown.h"

#include <QFile>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

using namespace platform::complus;
using namespace testing_support;

namespace {

// A real shared library that names no component class.
QString foreignLibrary() {
    Dl_info info{};
    dladdr(reinterpret_cast<void*>(&sqlite3_libversion), &info);
    return QString::fromLocal8Bit(info.dli_fname);
}

class CatalogComponents : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QFileInfo::exists(sinkLibrary())) << "build the tavimor_sink target first"; }
    TempCatalog t;
    Catalog catalog = t.open();
};

}  // namespace

TEST_F(CatalogComponents, InstallRecordsTheLibrarysClassUnderTheApplication) {
    const QString other = addApp(catalog, QStringLiteral("Other"));
    const QString appId = addApp(catalog, QStringLiteral("Tavimor"));
    catalog.InstallComponent(QStringLiteral("TAVIMOR"), sinkLibrary(), QString(), QString());
    CatalogCollection components = componentsOf(catalog, appId.toUpper());
    ASSERT_EQ(components.Count(), 1);
    CatalogObject c = components.Item(0);
    EXPECT_EQ(c.Name(), QStringLiteral("Tavimor.TavimorCls"));
    EXPECT_EQ(c.Value(QStringLiteral("DLL")).toString(), QFileInfo(sinkLibrary()).absoluteFilePath());
    // One class lives in one application only.
    EXPECT_EQ(errorOf([&] { catalog.InstallComponent(other, sinkLibrary(), QString(), QString()); }),
              err::ComponentExists);
}

TEST_F(CatalogComponents, InstallRefusesMissingForeignAndUnloadableLibraries) {
    const QString appId = addApp(catalog, QStringLiteral("Tavimor"));
    auto install = [&](const QString& app, const QString& dll) {
        return errorOf([&] { catalog.InstallComponent(app, dll, QString(), QString()); });
    };
    EXPECT_EQ(install(appId, t.dir.path()), err::FileDoesNotExist);  // a folder is no library

    QFile junk(t.dir.filePath(QStringLiteral("junk.so")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a library");
    junk.close();
    EXPECT_EQ(install(appId, junk.fileName()), err::LoadLibraryFailed);
    EXPECT_EQ(install(appId, foreignLibrary()), err::NoClassIdentity);
    EXPECT_EQ(install(QStringLiteral("Nobody"), sinkLibrary()), err::ObjectDoesNotExist);
    EXPECT_EQ(componentsOf(catalog, appId).Count(), 0);
}

TEST_F(CatalogComponents, ALibraryOthersCouldChangeIsNeitherRecordedNorLoaded) {
    const QString appId = addApp(catalog, QStringLiteral("Tavimor"));
    const QString copy = t.dir.filePath(QStringLiteral("Tavimor.so"));
    ASSERT_TRUE(QFile::copy(sinkLibrary(), copy));
    const auto owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    ASSERT_TRUE(QFile::setPermissions(copy, owner | QFile::WriteGroup));
    const auto refused = thrown([&] { catalog.InstallComponent(appId, copy, QString(), QString()); });
    EXPECT_EQ(refused.number, err::NotTrusted);
    EXPECT_TRUE(refused.description.startsWith("The library " + copy + " is not trusted: ")) << refused.description.toStdString();
    EXPECT_EQ(componentsOf(catalog, appId).Count(), 0);

    // Recorded while sound, then opened to others: the refresh refuses it.
    ASSERT_TRUE(QFile::setPermissions(copy, owner));
    catalog.InstallComponent(appId, copy, QString(), QString());
    ASSERT_TRUE(QFile::setPermissions(copy, owner | QFile::WriteOther));
    EXPECT_EQ(errorOf([&] { catalog.RefreshComponents(); }), err::NotTrusted);
    ASSERT_TRUE(QFile::setPermissions(copy, owner));
    EXPECT_EQ(errorOf([&] { catalog.RefreshComponents(); }), 0);
}

// A new build renamed over the library while the process runs: the catalog
// check and the event service read the file now on disk, not the copy the
// process loaded first; the event service opens the catalog for reading only.
TEST_F(CatalogComponents, ALibraryReplacedOnDiskIsReadAfreshAndTheEventServiceOnlyReadsTheCatalog) {
    const QString appId = addApp(catalog, QStringLiteral("Tavimor"));
    const QString copy = t.dir.filePath(QStringLiteral("Tavimor.so")), build = t.dir.filePath(QStringLiteral("new.so"));
    ASSERT_TRUE(QFile::copy(sinkLibrary(), copy));
    const std::shared_ptr<ComponentModule> held = ComponentModule::load(copy);  // kept loaded meanwhile
    catalog.InstallComponent(appId, copy, QString(), QString());
    // The new build differs in its version string only.
    const QByteArray version = '\0' + held->info().version.toLatin1() + '\0';
    QByteArray next = version;
    next[next.size() - 2] = version.at(version.size() - 2) == '9' ? '8' : '9';
    QFile in(copy), out(build);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly));
    ASSERT_TRUE(out.write(in.readAll().replace(version, next)) > 0 && out.flush());
    ASSERT_EQ(::rename(QFile::encodeName(build).constData(), QFile::encodeName(copy).constData()), 0);

    const QString expected = QString::fromLatin1(next.mid(1, next.size() - 2));
    EXPECT_EQ(identifyComponentLibrary(copy).version, expected);
    catalog.RefreshComponents();
    EXPECT_EQ(componentsOf(catalog, appId).Item(0).Value(QStringLiteral("Version")).toString(), expected);
    EXPECT_NE(errorOf([&] { loadInstalledComponent(t.dir.filePath("none.db"), QStringLiteral("Tavimor.TavimorCls")); }), 0);
    EXPECT_FALSE(QFileInfo::exists(t.dir.filePath("none.db")));
}

// The event service keeps the catalog's answer between saves: a class removed,
// installed again, or a catalog opened to others is seen at the next save.
TEST_F(CatalogComponents, TheEventServiceSeesEveryChangeOfTheCatalog) {
    const QString cls = QStringLiteral("Tavimor.TavimorCls");
    const QString appId = addApp(catalog, QStringLiteral("Tavimor"));
    EXPECT_EQ(loadInstalledComponent(t.path(), cls), nullptr);
    catalog.InstallComponent(appId, sinkLibrary(), QString(), QString());
    EXPECT_NE(loadInstalledComponent(t.path(), cls), nullptr);
    for (int round = 0; round < 3; ++round) {  // changes quicker than the clock ticks
        CatalogCollection components = componentsOf(catalog, appId);
        components.Remove(0);
        components.SaveChanges();
        EXPECT_EQ(loadInstalledComponent(t.path(), cls), nullptr) << round;
        catalog.InstallComponent(appId, sinkLibrary(), QString(), QString());
        EXPECT_NE(loadInstalledComponent(t.path(), cls), nullptr) << round;
    }
    ASSERT_TRUE(QFile::setPermissions(t.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    EXPECT_EQ(errorOf([&] { loadInstalledComponent(t.path(), cls); }), platform::hr::AccessDenied);
}
