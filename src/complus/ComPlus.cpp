#include "complus/ComPlus.h"

#include "state/ErrorLog.h"
#include "state/Globals.h"
#include "complus/SinkLibrary.h"
#include "complus/WindowsVersion.h"
#include "platform/ComError.h"
#include "platform/complus/Catalog.h"
#include "platform/system/SystemProbes.h"

namespace complus {

using platform::complus::Catalog;
using platform::complus::CatalogCollection;
using platform::complus::CatalogObject;

namespace {

const QString kApplications = QStringLiteral("Applications");

int indexOfApplication(const CatalogCollection& apps, const QString& appName) {
    for (int i = 0; i < apps.Count(); ++i)
        if (apps.Item(i).Name().compare(appName, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

// Opens the catalog's applications and hands the first one of that name (letter
// case aside) to `act`; nothing happens when there is none.
template <typename Act>
void withApplication(const ComPlus::CatalogFactory& openCatalog, const QString& appName, Act&& act) {
    auto catalog = openCatalog();
    CatalogCollection apps = catalog->GetCollection(kApplications);
    apps.Populate();
    const int index = indexOfApplication(apps, appName);
    if (index >= 0) act(*catalog, apps, index);
}

}  // namespace

ComPlus::ComPlus(state::ErrorLog& log, const state::Globals& globals, platform::system::SystemProbes& probes,
                 CatalogFactory openCatalog)
    : log_(log), globals_(globals), probes_(probes), openCatalog_(std::move(openCatalog)) {
    if (!openCatalog_) openCatalog_ = [] { return Catalog::open(); };
}

// Runs the steps with one handler: the catalog objects the steps hold are
// released while the failure unwinds, then one entry is written.
template <typename Steps>
bool ComPlus::run(Steps&& steps) {
    try {
        steps();
        return true;
    } catch (const platform::ComError& e) {
        log_.logWithContext(QString(), e.number(), e.description());
    } catch (const std::exception& e) {
        log_.logWithContext(QString(), platform::hr::Fail, QString::fromUtf8(e.what()));
    } catch (...) {
        log_.logWithContext(QString(), platform::hr::Fail, QStringLiteral("Unspecified error"));
    }
    return false;
}

bool ComPlus::CheckComPlusApp(const QString& appName, QString& identity) {
    bool found = false;
    run([&] {
        withApplication(openCatalog_, appName, [&](Catalog& catalog, CatalogCollection& apps, int index) {
            found = true;
            identity = apps.Item(index).Value(QStringLiteral("Identity")).toString();
            catalog.RefreshComponents();
        });
    });
    return found;
}

void ComPlus::RemoveComPlusApp(const QString& appName) {
    run([&] {
        withApplication(openCatalog_, appName, [](Catalog&, CatalogCollection& apps, int index) {
            apps.Remove(index);
            apps.SaveChanges();
        });
    });
}

int16_t ComPlus::InstallComPlusApp(const QString& appName, const QString& identity, const QString& password,
                                   const QString& constructorString) {
    const bool windows2000 = isWindows2000(globals_.strWindowsVersion);
    const bool ok = run([&] {
        auto catalog = openCatalog_();
        CatalogCollection apps = catalog->GetCollection(kApplications);
        apps.Populate();
        CatalogObject app = apps.Add();
        app.SetValue(QStringLiteral("Name"), appName);
        app.SetValue(QStringLiteral("ApplicationAccessChecksEnabled"), false);
        const QString account = identity.trimmed();
        const QString secret = password.trimmed();
        if (windows2000 && !account.isEmpty() && !secret.isEmpty()) {
            app.SetValue(QStringLiteral("Identity"), account);
            app.SetValue(QStringLiteral("Password"), secret);
        }
        apps.SaveChanges();

        // The new application is addressed by its ID: another application of
        // the same name may still be in the catalog.
        const QString appId = app.Key();
        catalog->InstallComponent(appId, sinkLibraryPath(probes_.libraryFolder(), appName), QString(),
                                  QString());
        catalog->RefreshComponents();
        if (!windows2000)
            catalog->CreateServiceForApplication(appId, appName, QStringLiteral("SERVICE_AUTO_START"),
                                                 QStringLiteral("SERVICE_ERROR_NORMAL"), QString(),
                                                 QStringLiteral(".\\localsystem"), QString(), false);
        if (constructorString.isEmpty()) return;

        CatalogCollection components =
            catalog->GetCollection(QStringLiteral("Components"), app.Value(QStringLiteral("ID")).toString().toUpper());
        components.Populate();
        const QString prefix = appName + QLatin1Char('.');
        for (int i = 0; i < components.Count(); ++i) {
            CatalogObject component = components.Item(i);
            if (!component.Name().startsWith(prefix, Qt::CaseSensitive)) continue;
            component.SetValue(QStringLiteral("ConstructionEnabled"), true);
            component.SetValue(QStringLiteral("ConstructorString"), constructorString);
            components.SaveChanges();
            break;
        }
    });
    return ok ? 1 : -1;
}

}  // namespace complus
