// Installing component libraries into applications, their Components
// collection, and the service registrations that run applications.

#include "TempCatalog.h"
#include "platform/complus/CatalogErrors.h"

#include <QFile>
#include <QFileInfo>
#include <dlfcn.h>
#include <sqlite3.h>

using namespace platform::complus;
using testsupport::errorOf;
using testsupport::TempCatalog;

namespace {

QString addApp(Catalog& catalog, const QString& name) {
    CatalogCollection apps = catalog.GetCollection(QStringLiteral("Applications"));
    apps.Populate();
    CatalogObject app = apps.Add();
    app.SetValue(QStringLiteral("Name"), name);
    apps.SaveChanges();
    return app.Key();
}

CatalogCollection componentsOf(Catalog& catalog, const QString& appId) {
    CatalogCollection c = catalog.GetCollection(QStringLiteral("Components"), appId.toUpper());
    c.Populate();
    return c;
}

// A real shared library that names no component class.
QString foreignLibrary() {
    Dl_info info{};
    dladdr(reinterpret_cast<void*>(&sqlite3_libversion), &info);
    return QString::fromLocal8Bit(info.dli_fname);
}

}  // namespace

TEST(CatalogComponents, InstallRecordsTheLibrarysClassUnderTheApplication) {
    ASSERT_TRUE(QFileInfo::exists(testsupport::sinkLibrary())) << "build the tavimor_sink target first";
    TempCatalog t;
    Catalog catalog = t.open();
    const QString other = addApp(catalog, QStringLiteral("Other"));
    const QString appId = addApp(catalog, QStringLiteral("Tavimor"));
    catalog.InstallComponent(QStringLiteral("TAVIMOR"), testsupport::sinkLibrary(), QString(), QString());

    EXPECT_EQ(componentsOf(catalog, other).Count(), 0);
    CatalogCollection components = componentsOf(catalog, appId);
    ASSERT_EQ(components.Count(), 1);
    CatalogObject c = components.Item(0);
    EXPECT_EQ(c.Name(), QStringLiteral("Tavimor.TavimorCls"));
    EXPECT_EQ(c.Value(QStringLiteral("DLL")).toString(), QFileInfo(testsupport::sinkLibrary()).absoluteFilePath());
    EXPECT_EQ(c.Value(QStringLiteral("Version")).toString(), QStringLiteral("0.1"));
    EXPECT_FALSE(c.Value(QStringLiteral("ConstructionEnabled")).toBool());

    c.SetValue(QStringLiteral("ConstructionEnabled"), true);
    c.SetValue(QStringLiteral("ConstructorString"), QStringLiteral("a=b"));
    EXPECT_EQ(errorOf([&] { c.SetValue(QStringLiteral("Name"), QStringLiteral("x")); }), platform::hr::InvalidArg);
    EXPECT_EQ(errorOf([&] { components.Add(); }), err::NotImplemented);
    components.SaveChanges();
    catalog.RefreshComponents();
    CatalogObject reread = componentsOf(catalog, appId).Item(0);
    EXPECT_TRUE(reread.Value(QStringLiteral("ConstructionEnabled")).toBool());
    EXPECT_EQ(reread.Value(QStringLiteral("ConstructorString")).toString(), QStringLiteral("a=b"));

    // One class lives in one application only.
    EXPECT_EQ(errorOf([&] {
                  catalog.InstallComponent(other, testsupport::sinkLibrary(), QString(), QString());
              }),
              err::ComponentExists);
}

TEST(CatalogComponents, InstallRefusesMissingForeignAndUnloadableLibraries) {
    ASSERT_TRUE(QFileInfo::exists(testsupport::sinkLibrary()));
    TempCatalog t;
    Catalog catalog = t.open();
    const QString appId = addApp(catalog, QStringLiteral("Tavimor"));
    auto install = [&](const QString& app, const QString& dll, const QString& tlb = QString()) {
        return errorOf([&] { catalog.InstallComponent(app, dll, tlb, QString()); });
    };
    EXPECT_EQ(install(appId, t.dir.filePath(QStringLiteral("Tavimor.so"))), err::FileDoesNotExist);
    EXPECT_EQ(install(appId, QString()), err::FileDoesNotExist);
    EXPECT_EQ(install(appId, t.dir.path()), err::FileDoesNotExist);  // a folder is no library

    QFile junk(t.dir.filePath(QStringLiteral("junk.so")));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("not a library");
    junk.close();
    EXPECT_EQ(install(appId, junk.fileName()), err::LoadLibraryFailed);
    EXPECT_EQ(install(appId, foreignLibrary()), err::NoClassIdentity);
    EXPECT_EQ(install(QStringLiteral("Nobody"), testsupport::sinkLibrary()), err::ObjectDoesNotExist);
    EXPECT_EQ(install(appId, testsupport::sinkLibrary(), t.dir.filePath(QStringLiteral("none.tlb"))),
              err::FileDoesNotExist);
    EXPECT_EQ(componentsOf(catalog, appId).Count(), 0);
}

TEST(CatalogComponents, RemovingAnApplicationRemovesItsComponentsAndService) {
    ASSERT_TRUE(QFileInfo::exists(testsupport::sinkLibrary()));
    TempCatalog t;
    Catalog catalog = t.open();
    const QString appId = addApp(catalog, QStringLiteral("Tavimor"));
    catalog.InstallComponent(appId, testsupport::sinkLibrary(), QString(), QString());
    catalog.CreateServiceForApplication(appId, QStringLiteral("Tavimor"), QStringLiteral("SERVICE_AUTO_START"),
                                        QStringLiteral("SERVICE_ERROR_NORMAL"), QString(),
                                        QStringLiteral(".\\localsystem"), QString(), false);
    CatalogCollection apps = catalog.GetCollection(QStringLiteral("Applications"));
    apps.Populate();
    apps.Remove(0);
    apps.SaveChanges();
    EXPECT_TRUE(catalog.Services().empty());
    EXPECT_EQ(errorOf([&] { componentsOf(catalog, appId); }), err::ObjectDoesNotExist);

    // The class and the service name are free again.
    const QString again = addApp(catalog, QStringLiteral("Tavimor"));
    catalog.InstallComponent(again, testsupport::sinkLibrary(), QString(), QString());
    catalog.CreateServiceForApplication(again, QStringLiteral("Tavimor"), QStringLiteral("SERVICE_AUTO_START"),
                                        QStringLiteral("SERVICE_ERROR_NORMAL"), QString(),
                                        QStringLiteral(".\\localsystem"), QString(), false);
    EXPECT_EQ(componentsOf(catalog, again).Count(), 1);
}

TEST(CatalogServices, RegistrationKeepsItsArgumentsAndIsUniquePerNameAndApplication) {
    TempCatalog t;
    Catalog catalog = t.open();
    const QString appId = addApp(catalog, QStringLiteral("Tavimor"));
    const QString second = addApp(catalog, QStringLiteral("Second"));
    catalog.CreateServiceForApplication(QStringLiteral("tavimor"), QStringLiteral("TavSvc"),
                                        QStringLiteral("SERVICE_DEMAND_START"), QStringLiteral("SERVICE_ERROR_SEVERE"),
                                        QStringLiteral("RpcSs"), QStringLiteral("DOM\\svc"), QStringLiteral("pw'1"),
                                        true);
    const auto services = catalog.Services();
    ASSERT_EQ(services.size(), 1u);
    const ServiceRegistration& s = services[0];
    EXPECT_EQ(s.applicationId, appId);
    EXPECT_EQ(s.serviceName, QStringLiteral("TavSvc"));
    EXPECT_EQ(s.startType, QStringLiteral("SERVICE_DEMAND_START"));
    EXPECT_EQ(s.errorControl, QStringLiteral("SERVICE_ERROR_SEVERE"));
    EXPECT_EQ(s.dependencies, QStringLiteral("RpcSs"));
    EXPECT_EQ(s.runAs, QStringLiteral("DOM\\svc"));
    EXPECT_EQ(s.password, QStringLiteral("pw'1"));
    EXPECT_TRUE(s.desktopOk);

    auto create = [&](const QString& app, const QString& name, const QString& start, const QString& control) {
        return errorOf([&] {
            catalog.CreateServiceForApplication(app, name, start, control, QString(), QString(), QString(), false);
        });
    };
    const QString autoStart = QStringLiteral("SERVICE_AUTO_START");
    const QString normal = QStringLiteral("SERVICE_ERROR_NORMAL");
    EXPECT_EQ(create(second, QStringLiteral("tavsvc"), autoStart, normal), err::ServiceExists);
    EXPECT_EQ(create(appId, QStringLiteral("Another"), autoStart, normal), err::ServiceExists);
    EXPECT_EQ(create(second, QStringLiteral("S2"), QStringLiteral("SOMETIMES"), normal), platform::hr::InvalidArg);
    EXPECT_EQ(create(second, QStringLiteral("S2"), autoStart, QStringLiteral("PANIC")), platform::hr::InvalidArg);
    EXPECT_EQ(create(second, QStringLiteral(" "), autoStart, normal), platform::hr::InvalidArg);
    EXPECT_EQ(create(QStringLiteral("Nobody"), QStringLiteral("S2"), autoStart, normal), err::ObjectDoesNotExist);
    EXPECT_EQ(catalog.Services().size(), 1u);
}
