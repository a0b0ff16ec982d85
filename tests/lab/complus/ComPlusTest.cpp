// Check, installation and removal of the hosted application "Tavimor" against
// real catalog files, with the sink library of the build folder.

#include "app/state/ErrorLog.h"
#include "app/state/Globals.h"
#include "complus/ComPlus.h"
#include "complus/ComPlusPanel.h"
#include "platform/complus/Catalog.h"
#include "platform/complus/CatalogErrors.h"
#include "platform/system/SystemProbes.h"
#include "unit/platform_complus/TempCatalog.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace platform::complus;
using complus::ComPlus;

namespace {

class Probes : public platform::system::SystemProbes {
public:
    QString currentDir;
    QString userName() override { return {}; }
    bool versionInfo(platform::system::OsVersionInfo&) override { return false; }
    bool registryKeyExists(platform::system::RegistryRoot, const QString&) override { return false; }
    QString environment(const QString&) override { return {}; }
    QString computerName() override { return {}; }
    std::optional<QString> workstationLanGroup(const QString&) override { return std::nullopt; }
    QStringList listStoreRoot() override { return {}; }
    QString currentDirectory() override { return currentDir; }
    bool fileExists(const QString& path) override { return QFileInfo(path).isFile(); }
};

const QString kTavimor = QStringLiteral("Tavimor");

class ComPlusLab : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFileInfo::exists(testsupport::sinkLibrary())) << "build the tavimor_sink target first";
        app::setClockForTesting([] { return QDateTime(QDate(2003, 4, 5), QTime(6, 7, 8)); });
        probes.currentDir = testsupport::buildDir();
        globals.strWindowsVersion = QStringLiteral("Windows XP");
    }
    void TearDown() override { app::setClockForTesting(nullptr); }

    ComPlus comPlus() {
        return ComPlus(log, globals, probes, [this] { return std::make_unique<Catalog>(catalogPath); });
    }
    Catalog catalog() { return Catalog(catalogPath); }

    // Applications in catalog order, as (name, identity).
    std::vector<std::pair<QString, QString>> apps() {
        Catalog c = catalog();
        CatalogCollection a = c.GetCollection(QStringLiteral("Applications"));
        a.Populate();
        std::vector<std::pair<QString, QString>> out;
        for (int i = 0; i < a.Count(); ++i)
            out.emplace_back(a.Item(i).Name(), a.Item(i).Value(QStringLiteral("Identity")).toString());
        return out;
    }
    CatalogObject app(Catalog& c, int index) {
        CatalogCollection a = c.GetCollection(QStringLiteral("Applications"));
        a.Populate();
        return a.Item(index);
    }
    CatalogCollection components(Catalog& c, int appIndex) {
        CatalogCollection comps = c.GetCollection(QStringLiteral("Components"), app(c, appIndex).Key());
        comps.Populate();
        return comps;
    }
    void addApp(const QString& name, const QString& identity = QString()) {
        Catalog c = catalog();
        CatalogCollection a = c.GetCollection(QStringLiteral("Applications"));
        a.Populate();
        CatalogObject o = a.Add();
        o.SetValue(QStringLiteral("Name"), name);
        if (!identity.isEmpty()) o.SetValue(QStringLiteral("Identity"), identity);
        a.SaveChanges();
    }
    QString entry(int32_t number, const QString& description) {
        return app::formatEntryWithContext(app::timestamp(), QString(), number, description);
    }

    testsupport::TempCatalog temp;
    QString catalogPath = temp.path();
    app::MemoryErrorLog log;
    app::Globals globals;
    Probes probes;
};

}  // namespace

TEST_F(ComPlusLab, InstallOutsideWindows2000RunsTheSinkAsALocalSystemService) {
    EXPECT_EQ(comPlus().InstallComPlusApp(kTavimor, QStringLiteral("DOM\\x"), QStringLiteral("pw"), QString()), 1);
    EXPECT_EQ(log.text(), QString());
    QString identity = QStringLiteral("before");
    EXPECT_TRUE(comPlus().CheckComPlusApp(kTavimor, identity));
    EXPECT_EQ(identity, QStringLiteral("Interactive User"));  // typed account ignored

    Catalog c = catalog();
    CatalogObject a = app(c, 0);
    EXPECT_EQ(a.Name(), kTavimor);
    EXPECT_FALSE(a.Value(QStringLiteral("ApplicationAccessChecksEnabled")).toBool());
    EXPECT_EQ(a.Value(QStringLiteral("Password")).toString(), QString());
    CatalogCollection comps = components(c, 0);
    ASSERT_EQ(comps.Count(), 1);
    EXPECT_EQ(comps.Item(0).Name(), QStringLiteral("Tavimor.TavimorCls"));
    EXPECT_FALSE(comps.Item(0).Value(QStringLiteral("ConstructionEnabled")).toBool());  // no constructor string

    const auto services = c.Services();
    ASSERT_EQ(services.size(), 1u);
    const ServiceRegistration& s = services[0];
    EXPECT_EQ(s.applicationId, a.Key());
    EXPECT_EQ(s.serviceName, kTavimor);
    EXPECT_EQ(s.startType, QStringLiteral("SERVICE_AUTO_START"));
    EXPECT_EQ(s.errorControl, QStringLiteral("SERVICE_ERROR_NORMAL"));
    EXPECT_EQ(s.dependencies, QString());
    EXPECT_EQ(s.runAs, QStringLiteral(".\\localsystem"));
    EXPECT_EQ(s.password, QString());
    EXPECT_FALSE(s.desktopOk);
}

TEST_F(ComPlusLab, RemoveThenInstallAgainSucceedsEachTime) {
    for (int round = 0; round < 2; ++round) {
        comPlus().RemoveComPlusApp(kTavimor);
        EXPECT_EQ(comPlus().InstallComPlusApp(kTavimor, QString(), QString(), QString()), 1) << round;
    }
    EXPECT_EQ(apps().size(), 1u);
    EXPECT_EQ(log.text(), QString());
    comPlus().RemoveComPlusApp(kTavimor);
    QString identity = QStringLiteral("kept");
    EXPECT_FALSE(comPlus().CheckComPlusApp(kTavimor, identity));
    EXPECT_EQ(identity, QStringLiteral("kept"));
    EXPECT_TRUE(catalog().Services().empty());
}

TEST_F(ComPlusLab, Windows2000SetsTheTrimmedAccountOnlyWhenBothAreGiven) {
    globals.strWindowsVersion = QStringLiteral("Windows 2000");
    EXPECT_EQ(comPlus().InstallComPlusApp(kTavimor, QStringLiteral("  DOM\\svc "), QStringLiteral(" pw "), QString()), 1);
    {
        Catalog c = catalog();
        EXPECT_EQ(app(c, 0).Value(QStringLiteral("Identity")).toString(), QStringLiteral("DOM\\svc"));
        EXPECT_EQ(app(c, 0).Value(QStringLiteral("Password")).toString(), kSecretMask);
        EXPECT_TRUE(c.Services().empty());
    }
    const std::pair<QString, QString> blanks[] = {{QStringLiteral("   "), QStringLiteral("pw")},
                                                 {QStringLiteral("DOM\\svc"), QStringLiteral("  ")}};
    for (const auto& [identity, password] : blanks) {
        comPlus().RemoveComPlusApp(kTavimor);
        EXPECT_EQ(comPlus().InstallComPlusApp(kTavimor, identity, password, QString()), 1);
        Catalog c = catalog();
        EXPECT_EQ(app(c, 0).Value(QStringLiteral("Identity")).toString(), QStringLiteral("Interactive User"));
        EXPECT_EQ(app(c, 0).Value(QStringLiteral("Password")).toString(), QString());
    }
    EXPECT_EQ(log.text(), QString());
}

TEST_F(ComPlusLab, NamesDifferingInCaseCountAndOnlyTheFirstIsRemoved) {
    addApp(QStringLiteral("Other"));
    addApp(QStringLiteral("TAVIMOR"), QStringLiteral("DOM\\first"));
    addApp(QStringLiteral("Tavimor"), QStringLiteral("DOM\\second"));
    QString identity;
    EXPECT_TRUE(comPlus().CheckComPlusApp(kTavimor, identity));
    EXPECT_EQ(identity, QStringLiteral("DOM\\first"));

    comPlus().RemoveComPlusApp(kTavimor);
    EXPECT_EQ(apps(), (std::vector<std::pair<QString, QString>>{{QStringLiteral("Other"), QStringLiteral("Interactive User")},
                                                                 {kTavimor, QStringLiteral("DOM\\second")}}));
    EXPECT_TRUE(comPlus().CheckComPlusApp(kTavimor, identity));
    EXPECT_EQ(identity, QStringLiteral("DOM\\second"));
    EXPECT_EQ(log.text(), QString());
}

TEST_F(ComPlusLab, TheComponentGoesIntoTheNewApplicationNotAnOlderNamesake) {
    addApp(kTavimor);
    EXPECT_EQ(comPlus().InstallComPlusApp(kTavimor, QString(), QString(), QString()), 1);
    Catalog c = catalog();
    EXPECT_EQ(components(c, 0).Count(), 0);
    EXPECT_EQ(components(c, 1).Count(), 1);
    ASSERT_EQ(c.Services().size(), 1u);
    EXPECT_EQ(c.Services()[0].applicationId, app(c, 1).Key());
}

TEST_F(ComPlusLab, InstallWithoutTheLibraryLeavesAnEmptyApplicationAndLogs) {
    probes.currentDir = temp.dir.path();
    EXPECT_EQ(comPlus().InstallComPlusApp(kTavimor, QString(), QString(), QString()), -1);
    const QString expected = entry(err::FileDoesNotExist, QStringLiteral("The file %1/Tavimor.so does not exist")
                                                              .arg(temp.dir.path()));
    EXPECT_EQ(log.text(), expected);
    EXPECT_TRUE(log.text().startsWith(QStringLiteral("[") + app::timestamp() + QStringLiteral("]  - ERROR: -2146368476 ")));
    EXPECT_FALSE(log.shown());  // the caller shows the log

    QString identity;
    EXPECT_TRUE(comPlus().CheckComPlusApp(kTavimor, identity));
    Catalog c = catalog();
    EXPECT_EQ(components(c, 0).Count(), 0);
    EXPECT_TRUE(c.Services().empty());  // the steps after the failure did not run
}

TEST_F(ComPlusLab, AFailedServiceRegistrationAnswersFailureAndKeepsWhatWasDone) {
    addApp(QStringLiteral("Squatter"));
    catalog().CreateServiceForApplication(QStringLiteral("Squatter"), kTavimor, QStringLiteral("SERVICE_AUTO_START"),
                                          QStringLiteral("SERVICE_ERROR_NORMAL"), QString(), QString(), QString(),
                                          false);
    EXPECT_EQ(comPlus().InstallComPlusApp(kTavimor, QString(), QString(), QStringLiteral("unused")), -1);
    EXPECT_EQ(log.text(), entry(err::ServiceExists, QStringLiteral("The service Tavimor already exists")));
    EXPECT_TRUE(log.text().contains(QStringLiteral("]  - ERROR: -2147023823 The service")));
    Catalog c = catalog();
    EXPECT_EQ(components(c, 1).Count(), 1);
    EXPECT_EQ(components(c, 1).Item(0).Value(QStringLiteral("ConstructorString")).toString(), QString());

    // On Windows 2000 no service is registered, so the same catalog works.
    globals.strWindowsVersion = QStringLiteral("Windows 2000");
    comPlus().RemoveComPlusApp(kTavimor);
    EXPECT_EQ(comPlus().InstallComPlusApp(kTavimor, QString(), QString(), QString()), 1);
}

TEST_F(ComPlusLab, AConstructorStringGoesOnTheApplicationsComponent) {
    EXPECT_EQ(comPlus().InstallComPlusApp(kTavimor, QString(), QString(), QStringLiteral("server=x;it's")), 1);
    Catalog c = catalog();
    CatalogObject component = components(c, 0).Item(0);
    EXPECT_TRUE(component.Value(QStringLiteral("ConstructionEnabled")).toBool());
    EXPECT_EQ(component.Value(QStringLiteral("ConstructorString")).toString(), QStringLiteral("server=x;it's"));
}

TEST_F(ComPlusLab, AnUnusableCatalogMakesEveryRoutineLogAndFail) {
    catalogPath = testsupport::sinkLibrary() + QStringLiteral("/catalog.db");  // below a file
    QString identity = QStringLiteral("kept");
    EXPECT_FALSE(comPlus().CheckComPlusApp(kTavimor, identity));
    EXPECT_EQ(identity, QStringLiteral("kept"));
    comPlus().RemoveComPlusApp(kTavimor);
    EXPECT_EQ(comPlus().InstallComPlusApp(kTavimor, QString(), QString(), QString()), -1);
    const QString prefix = QStringLiteral("[") + app::timestamp() + QStringLiteral("]  - ERROR: -2147467259 ");
    EXPECT_EQ(log.text().count(prefix), 3);
    EXPECT_TRUE(log.text().startsWith(prefix));
}

TEST_F(ComPlusLab, RefreshReportsTheMissingLibraryEachTimeNewestFirst) {
    probes.currentDir = temp.dir.path();
    ComPlus cp = comPlus();
    log.setText(QStringLiteral("older\r\n"));
    complus::ComPlusPanel p = complus::refreshComPlusPanel(cp, log, globals, probes, nullptr);
    EXPECT_FALSE(p.installed);
    EXPECT_EQ(p.CheckRegCom.enabled, false);
    app::setClockForTesting([] { return QDateTime(QDate(2003, 4, 5), QTime(6, 7, 9)); });
    complus::refreshComPlusPanel(cp, log, globals, probes, nullptr);
    const QString first = QStringLiteral("File %1/Tavimor.so not found. ").arg(temp.dir.path());
    ASSERT_EQ(log.text().count(first), 2);
    EXPECT_TRUE(log.text().startsWith(QStringLiteral("[") + app::timestamp() + QStringLiteral("] ") + first));
    EXPECT_TRUE(log.text().endsWith(QStringLiteral("impossible.\r\n\r\nolder\r\n")));

    probes.currentDir = testsupport::buildDir();
    const QString before = log.text();
    p = complus::refreshComPlusPanel(cp, log, globals, probes, nullptr);
    EXPECT_EQ(p.CheckRegCom.enabled, true);
    EXPECT_EQ(cp.InstallComPlusApp(kTavimor, QString(), QString(), QString()), 1);
    p = complus::refreshComPlusPanel(cp, log, globals, probes, nullptr);
    EXPECT_TRUE(p.installed);
    EXPECT_EQ(p.label8Caption, QStringLiteral("COM+ object \"Tavimor\" is installed."));
    EXPECT_EQ(log.text(), before);
}
