// Check, installation and removal of the hosted application "Tavimor" against
// real catalog files, with the sink library of the build folder.

#include "state/ErrorLog.h"
#include "state/Globals.h"
#include "complus/ComPlus.h"
#include "platform/audit/Trail.h"
#include "platform/complus/CatalogErrors.h"
#include "support/FakeProbes.h"
#include "support/TempCatalog.h"
#include "platform/system/SystemProbes.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace platform::complus;
using namespace testing_support;
using complus::ComPlus;

namespace {

const QString kTavimor = QStringLiteral("Tavimor");

class ComPlusLab : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFileInfo::exists(sinkLibrary())) << "build the tavimor_sink target first";
        state::setClockForTesting([] { return QDateTime(QDate(2003, 4, 5), QTime(6, 7, 8)); });
        probes.libraryDir = buildDir();
        globals.strWindowsVersion = QStringLiteral("Windows XP");
    }
    void TearDown() override { state::setClockForTesting(nullptr); }

    ComPlus comPlus() {
        return ComPlus(log, globals, probes, [this] { return std::make_unique<Catalog>(catalogPath); });
    }
    int install(const QString& identity = {}, const QString& password = {}, const QString& constructor = {}) {
        return comPlus().InstallComPlusApp(kTavimor, identity, password, constructor);
    }
    Catalog catalog() { return Catalog(catalogPath); }

    // Applications in catalog order, as name and identity.
    QStringList apps() {
        Catalog c = catalog();
        CatalogCollection a = applications(c);
        QStringList out;
        for (int i = 0; i < a.Count(); ++i) out << a.Item(i).Name() + "|" + a.Item(i).Value("Identity").toString();
        return out;
    }
    CatalogObject app(Catalog& c, int index) { return applications(c).Item(index); }
    CatalogCollection components(Catalog& c, int appIndex) { return componentsOf(c, app(c, appIndex).Key()); }
    void addApp(const QString& name, const QString& identity = QString()) {
        Catalog c = catalog();
        testing_support::addApp(c, name, identity);
    }
    QString entry(int32_t number, const QString& description) {
        return state::formatEntryWithContext(state::timestamp(), QString(), number, description);
    }

    TempCatalog temp;
    QString catalogPath = temp.path();
    state::MemoryErrorLog log;
    state::Globals globals;
    FakeProbes probes;
};

}  // namespace

TEST_F(ComPlusLab, InstallOutsideWindows2000RunsTheSinkAsALocalSystemService) {
    comPlus().RemoveComPlusApp(kTavimor);  // nothing to remove yet: quietly nothing
    EXPECT_EQ(install(QStringLiteral("DOM\\x"), QStringLiteral("pw")), 1);
    EXPECT_EQ(log.text(), QString());
    QString identity = QStringLiteral("before");
    EXPECT_TRUE(comPlus().CheckComPlusApp(kTavimor, identity));
    EXPECT_EQ(identity, QStringLiteral("Interactive User"));  // typed account ignored

    Catalog c = catalog();
    CatalogObject a = app(c, 0);
    EXPECT_FALSE(a.Value(QStringLiteral("ApplicationAccessChecksEnabled")).toBool());
    EXPECT_EQ(a.Value(QStringLiteral("Password")).toString(), QString());
    CatalogCollection comps = components(c, 0);
    ASSERT_EQ(comps.Count(), 1);
    EXPECT_FALSE(comps.Item(0).Value(QStringLiteral("ConstructionEnabled")).toBool());  // no constructor string

    const auto services = c.Services();
    ASSERT_EQ(services.size(), 1u);
    const ServiceRegistration& s = services[0];
    EXPECT_EQ(QStringList({s.applicationId, s.serviceName, s.startType, s.errorControl, s.dependencies, s.runAs,
                           s.password}),
              QStringList({a.Key(), kTavimor, "SERVICE_AUTO_START", "SERVICE_ERROR_NORMAL", "", ".\\localsystem", ""}));
    EXPECT_FALSE(s.desktopOk);

    // Removed and installed again: one application; removed: nothing left.
    comPlus().RemoveComPlusApp(kTavimor);
    EXPECT_EQ(install(), 1);
    EXPECT_EQ(apps().size(), 1);
    comPlus().RemoveComPlusApp(kTavimor);
    EXPECT_FALSE(comPlus().CheckComPlusApp(kTavimor, identity));
    EXPECT_TRUE(catalog().Services().empty());
    EXPECT_EQ(log.text(), QString());
}

TEST_F(ComPlusLab, ALibraryPlantedInTheWorkingFolderIsNeverLoaded) {
    // Not a library at all: loading it would fail the install.
    QTemporaryDir work;
    QFile planted(work.filePath(QStringLiteral("Tavimor.so")));
    ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
    planted.write("planted");
    planted.close();
    const QString saved = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(work.path()));
    const auto host = platform::system::makeHostProbes();
    const int result =
        ComPlus(log, globals, *host, [this] { return std::make_unique<Catalog>(catalogPath); })
            .InstallComPlusApp(kTavimor, {}, {}, {});
    QDir::setCurrent(saved);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(log.text(), QString());
    Catalog c = catalog();
    ASSERT_EQ(components(c, 0).Count(), 1);
    EXPECT_EQ(QFileInfo(components(c, 0).Item(0).Value(QStringLiteral("DLL")).toString()).canonicalFilePath(),
              QFileInfo(sinkLibrary()).canonicalFilePath());
}

// Blank credentials never get here: the apply refuses them first (engine_apply).
TEST_F(ComPlusLab, Windows2000SetsTheTrimmedAccountAndNoService) {
    globals.strWindowsVersion = QStringLiteral("Windows 2000");
    EXPECT_EQ(install(QStringLiteral("  DOM\\svc "), QStringLiteral(" pw ")), 1);
    Catalog c = catalog();
    EXPECT_EQ(app(c, 0).Value(QStringLiteral("Identity")).toString(), QStringLiteral("DOM\\svc"));
    EXPECT_EQ(app(c, 0).Value(QStringLiteral("Password")).toString(), kSecretMask);
    EXPECT_TRUE(c.Services().empty());
    EXPECT_EQ(log.text(), QString());
}

TEST_F(ComPlusLab, NamesDifferingInCaseCountOnlyTheFirstIsRemovedAndAnInstallMakesItsOwn) {
    addApp(QStringLiteral("Other"));
    addApp(QStringLiteral("TAVIMOR"), QStringLiteral("DOM\\first"));
    addApp(QStringLiteral("Tavimor"), QStringLiteral("DOM\\second"));
    QString identity;
    EXPECT_TRUE(comPlus().CheckComPlusApp(kTavimor, identity));
    EXPECT_EQ(identity, QStringLiteral("DOM\\first"));

    comPlus().RemoveComPlusApp(kTavimor);
    EXPECT_EQ(apps(), QStringList({"Other|Interactive User", "Tavimor|DOM\\second"}));
    EXPECT_TRUE(comPlus().CheckComPlusApp(kTavimor, identity));
    EXPECT_EQ(identity, QStringLiteral("DOM\\second"));

    // Beside a namesake the component goes into a new application.
    EXPECT_EQ(install(), 1);
    Catalog c = catalog();
    EXPECT_EQ(components(c, 1).Count(), 0);
    ASSERT_EQ(components(c, 2).Count(), 1);
    ASSERT_EQ(c.Services().size(), 1u);
    EXPECT_EQ(c.Services()[0].applicationId, app(c, 2).Key());
    EXPECT_EQ(log.text(), QString());
}

TEST_F(ComPlusLab, InstallWithoutTheLibraryLeavesAnEmptyApplicationAndLogs) {
    probes.libraryDir = temp.dir.path();
    EXPECT_EQ(install(), -1);
    EXPECT_EQ(log.text(), entry(err::FileDoesNotExist,
                                QStringLiteral("The file %1/Tavimor.so does not exist").arg(temp.dir.path())));
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
    EXPECT_EQ(install({}, {}, QStringLiteral("unused")), -1);
    EXPECT_EQ(log.text(), entry(err::ServiceExists, QStringLiteral("The service Tavimor already exists")));
    Catalog c = catalog();
    EXPECT_EQ(components(c, 1).Count(), 1);
    EXPECT_EQ(components(c, 1).Item(0).Value(QStringLiteral("ConstructorString")).toString(), QString());

    // On Windows 2000 no service is registered, so the same catalog works.
    globals.strWindowsVersion = QStringLiteral("Windows 2000");
    comPlus().RemoveComPlusApp(kTavimor);
    EXPECT_EQ(install(), 1);
}

TEST_F(ComPlusLab, AnUnusableCatalogMakesEveryRoutineLogAndFail) {
    catalogPath = sinkLibrary() + QStringLiteral("/catalog.db");  // below a file
    QString identity = QStringLiteral("kept");
    EXPECT_FALSE(comPlus().CheckComPlusApp(kTavimor, identity));
    EXPECT_EQ(identity, QStringLiteral("kept"));
    QTemporaryDir dir;  // both failures in the audit trail
    qputenv("TAVIMOR_AUDIT_FILE", dir.filePath("audit.jsonl").toUtf8());
    const QDateTime start = QDateTime::currentDateTimeUtc();
    EXPECT_FALSE(comPlus().RemoveComPlusApp(kTavimor).isEmpty());
    EXPECT_EQ(install(), -1);
    QStringList trail;
    for (const platform::audit::Entry& e : platform::audit::readTrail(start, nullptr))
        if (e.object == kTavimor && !e.done && !e.error.isEmpty()) trail << e.action + " -> " + e.after;
    qunsetenv("TAVIMOR_AUDIT_FILE");
    EXPECT_EQ(trail, (QStringList{"catalog -> absent", "catalog -> installed, library " + sinkLibrary()}));
    const QString prefix = QStringLiteral("[") + state::timestamp() + QStringLiteral("]  - ERROR: -2147467259 ");
    EXPECT_EQ(log.text().count(prefix), 3);
    EXPECT_TRUE(log.text().startsWith(prefix));
}

TEST_F(ComPlusLab, LookingForOrRemovingTheApplicationNeverMakesACatalogAnInstallationDoes) {
    QTemporaryDir dir;
    const QString path = dir.filePath("catalog.db");
    const QByteArray saved = qgetenv("TAVIMOR_COMPLUS_CATALOG");
    qputenv("TAVIMOR_COMPLUS_CATALOG", QFile::encodeName(path));
    ComPlus byDefault(log, globals, probes);
    QString identity;
    EXPECT_FALSE(byDefault.CheckComPlusApp(kTavimor, identity));
    EXPECT_EQ(byDefault.RemoveComPlusApp(kTavimor), QString());
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_EQ(byDefault.InstallComPlusApp(kTavimor, {}, {}, {}), 1) << log.text().toStdString();
    EXPECT_TRUE(byDefault.CheckComPlusApp(kTavimor, identity));
    qputenv("TAVIMOR_COMPLUS_CATALOG", saved);
    EXPECT_EQ(log.text(), QString());
}
