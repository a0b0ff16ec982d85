#include "complus/ComPlus.h"

#include "state/ErrorLog.h"
#include "state/Globals.h"
#include "complus/SinkLibrary.h"
#include "complus/WindowsVersion.h"
#include "platform/ComError.h"
#include "platform/audit/Trail.h"
#include "platform/directory/Directory.h"
#include "platform/complus/Catalog.h"
#include "platform/system/SystemProbes.h"

#include <QFileInfo>

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
// case aside) to `act`; nothing happens when there is none, or no catalog.
template <typename Act>
void withApplication(const ComPlus::CatalogFactory& openCatalog, const QString& appName, Act&& act) {
    auto catalog = openCatalog();
    if (!catalog) return;
    CatalogCollection apps = catalog->GetCollection(kApplications);
    apps.Populate();
    const int index = indexOfApplication(apps, appName);
    if (index >= 0) act(*catalog, apps, index);
}

}  // namespace

ComPlus::ComPlus(state::ErrorLog& log, const state::Globals& globals, platform::system::SystemProbes& probes,
                 CatalogFactory openCatalog)
    : log_(log), globals_(globals), probes_(probes), openCatalog_(std::move(openCatalog)) {
    // Looking for the application, or removing it, never makes a catalog: where
    // there is none, there is no application. Only an installation makes one.
    openExisting_ = openCatalog_;
    if (!openCatalog_) {
        openCatalog_ = [] { return Catalog::open(); };
        openExisting_ = [] { return QFileInfo::exists(Catalog::defaultPath()) ? Catalog::open() : nullptr; };
    }
}

// Runs the steps with one handler: the catalog objects the steps hold are
// released while the failure unwinds, then one entry is written.
template <typename Steps>
bool ComPlus::run(Steps&& steps, QString* failure) {
    int32_t number = platform::hr::Fail;
    QString description = QStringLiteral("Unspecified error");
    try {
        steps();
        return true;
    } catch (const platform::ComError& e) {
        number = e.number();
        description = e.description();
    } catch (const std::exception& e) {
        description = QString::fromUtf8(e.what());
    } catch (...) {
    }
    log_.logWithContext(QString(), number, description);
    if (failure) *failure = description;
    return false;
}

void ComPlus::audit(const QString& appName, const QString& before, const QString& after, bool done,
                    const QString& failure) {
    platform::audit::Entry entry;
    entry.who = globals_.strLDAPRoot.isEmpty() ? QString() : platform::directory::signedInAs(globals_.strLDAPRoot);
    entry.action = QString::fromLatin1(platform::audit::kCatalog);
    entry.object = appName;
    entry.before = before;
    entry.after = after;
    entry.done = done;
    entry.error = failure;
    if (const QString problem = platform::audit::record(entry); !problem.isEmpty())
        log_.logWithContext(QString(), platform::hr::Fail, QStringLiteral("The audit trail could not be kept: ") + problem);
}

bool ComPlus::CheckComPlusApp(const QString& appName, QString& identity) {
    bool found = false;
    run([&] {
        withApplication(openExisting_, appName, [&](Catalog& catalog, CatalogCollection& apps, int index) {
            found = true;
            identity = apps.Item(index).Value(QStringLiteral("Identity")).toString();
            catalog.RefreshComponents();
        });
    });
    return found;
}

QString ComPlus::RemoveComPlusApp(const QString& appName) {
    QString before, failure;
    const bool ok = run([&] {
        withApplication(openExisting_, appName, [&](Catalog&, CatalogCollection& apps, int index) {
            before = QStringLiteral("installed, ID ") + apps.Item(index).Key();
            apps.Remove(index);
            apps.SaveChanges();
        });
    }, &failure);
    // Without such an application nothing was written.
    if (!before.isEmpty() || !ok) audit(appName, before, QStringLiteral("absent"), ok, failure);
    return failure;
}

int16_t ComPlus::InstallComPlusApp(const QString& appName, const QString& identity, const QString& password,
                                   const QString& constructorString) {
    const bool windows2000 = isWindows2000(globals_.strWindowsVersion);
    const QString library = sinkLibraryPath(probes_.libraryFolder(), appName);
    QString before, identityUsed, failure;
    const bool ok = run([&] {
        auto catalog = openCatalog_();
        CatalogCollection apps = catalog->GetCollection(kApplications);
        apps.Populate();
        before = indexOfApplication(apps, appName) >= 0 ? QStringLiteral("installed") : QStringLiteral("absent");
        CatalogObject app = apps.Add();
        app.SetValue(QStringLiteral("Name"), appName);
        app.SetValue(QStringLiteral("ApplicationAccessChecksEnabled"), false);
        const QString account = identity.trimmed();
        const QString secret = password.trimmed();
        if (windows2000 && !account.isEmpty() && !secret.isEmpty()) {
            app.SetValue(QStringLiteral("Identity"), account);
            app.SetValue(QStringLiteral("Password"), secret);
            identityUsed = account;
        }
        apps.SaveChanges();

        // The new application is addressed by its ID: another application of
        // the same name may still be in the catalog.
        const QString appId = app.Key();
        catalog->InstallComponent(appId, library, QString(), QString());
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
    }, &failure);
    // The account's name is kept, never its password.
    audit(appName, before,
          QStringLiteral("installed, library %1%2")
              .arg(library, identityUsed.isEmpty() ? QString() : QStringLiteral(", identity ") + identityUsed),
          ok, failure);
    return ok ? 1 : -1;
}

}  // namespace complus
