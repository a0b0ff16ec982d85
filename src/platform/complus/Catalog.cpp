#include "platform/complus/Catalog.h"

#include "platform/complus/CatalogDatabase.h"
#include "platform/complus/CatalogErrors.h"
#include "platform/complus/CatalogRows.h"
#include "platform/complus/ComponentLibrary.h"

#include <QFileInfo>

#include <array>
#include <cstdlib>
#include <optional>

namespace platform::complus {
namespace {

using Statement = sqlite::Statement;

constexpr std::array kStartTypes = {"SERVICE_BOOT_START", "SERVICE_SYSTEM_START", "SERVICE_AUTO_START",
                                    "SERVICE_DEMAND_START", "SERVICE_DISABLED"};
constexpr std::array kErrorControls = {"SERVICE_ERROR_IGNORE", "SERVICE_ERROR_NORMAL", "SERVICE_ERROR_SEVERE",
                                       "SERVICE_ERROR_CRITICAL"};

template <typename List>
void requireOneOf(const List& allowed, const QString& value, const char* what) {
    for (const char* a : allowed)
        if (value == QLatin1String(a)) return;
    fail(hr::InvalidArg, QStringLiteral("\"%1\" is not a valid %2").arg(value, QLatin1String(what)));
}

void requireOptionalFile(const QString& path) {
    if (!path.isEmpty() && !QFileInfo(path).isFile())
        fail(err::FileDoesNotExist, QStringLiteral("The file %1 does not exist").arg(path));
}

}  // namespace

Catalog::Catalog(const QString& path, Access access) : db_(openCatalogDatabase(path, access == Access::ReadOnly)) {}
Catalog::~Catalog() = default;

QString Catalog::defaultPath() {
    const char* env = std::getenv("TAVIMOR_COMPLUS_CATALOG");
    if (env && *env) return QString::fromLocal8Bit(env);
    return QStringLiteral("/var/lib/tavimor/complus/catalog.db");
}

std::unique_ptr<Catalog> Catalog::open() { return std::make_unique<Catalog>(defaultPath()); }

const QString& Catalog::path() const { return db_->path(); }

CatalogCollection Catalog::GetCollection(const QString& name, const QString& key) {
    const CollectionSchema* schema = schemaFor(name);
    if (!schema) fail(err::ObjectDoesNotExist, QStringLiteral("The collection %1 does not exist").arg(name));
    if (schema->related == key.isEmpty())
        fail(hr::InvalidArg, schema->related
                                 ? QStringLiteral("The %1 collection needs the key of an application").arg(name)
                                 : QStringLiteral("The %1 collection takes no key").arg(name));
    return CatalogCollection(db_, *schema, key);
}

QString Catalog::resolveApplication(const QString& appIdOrName) {
    const auto id = rows::findApplication(*db_, appIdOrName);
    if (!id) fail(err::ObjectDoesNotExist, QStringLiteral("The application %1 does not exist").arg(appIdOrName));
    return *id;
}

void Catalog::InstallComponent(const QString& appIdOrName, const QString& dll, const QString& tlb,
                               const QString& psdll) {
    const CollectionSchema& schema = componentsSchema();
    sqlite::Transaction tx(*db_);
    const QString appId = resolveApplication(appIdOrName);
    const ComponentInfo info = identifyComponentLibrary(dll);
    requireOptionalFile(tlb);
    requireOptionalFile(psdll);
    if (rows::nameExists(*db_, schema, info.progId))
        fail(err::ComponentExists, QStringLiteral("The component %1 is already installed").arg(info.progId));
    auto entry = CatalogEntry::create(schema, appId);
    entry->assign(*schema.find(QStringLiteral("Name")), info.progId);
    entry->assign(*schema.find(QStringLiteral("DLL")), QFileInfo(dll).absoluteFilePath());
    entry->assign(*schema.find(QStringLiteral("Version")), info.version);
    rows::insert(*db_, *entry);
    tx.commit();
}

void Catalog::RefreshComponents() {
    const CollectionSchema& schema = componentsSchema();
    const PropertySpec& version = *schema.find(QStringLiteral("Version"));
    sqlite::Transaction tx(*db_);
    std::vector<std::shared_ptr<CatalogEntry>> components;
    Statement apps(*db_, "SELECT id FROM objects WHERE collection = ?1");
    apps.bind(1, applicationsSchema().name);
    while (apps.step())
        for (auto& c : rows::load(*db_, schema, apps.text(0))) components.push_back(std::move(c));
    // A recorded library that fails the trust check is not loaded; the others are
    // still refreshed, then the first refusal is reported.
    std::optional<ComError> refused;
    for (auto& c : components) {
        ComponentInfo info;
        try {
            info = identifyComponentLibrary(c->values.at(QStringLiteral("DLL")).toString());
        } catch (const ComError& e) {
            if (e.number() == err::NotTrusted && !refused) refused = e;
            continue;
        }
        if (info.progId != c->values.at(QStringLiteral("Name")).toString() ||
            info.version == c->values.at(version.name).toString())
            continue;
        c->assign(version, info.version);
        rows::update(*db_, *c);
    }
    tx.commit();
    if (refused) throw *refused;
}

void Catalog::CreateServiceForApplication(const QString& appIdOrName, const QString& serviceName,
                                          const QString& startType, const QString& errorControl,
                                          const QString& dependencies, const QString& runAs,
                                          const QString& password, bool desktopOk) {
    if (serviceName.trimmed().isEmpty()) fail(hr::InvalidArg, QStringLiteral("The service name is empty"));
    requireOneOf(kStartTypes, startType, "service start type");
    requireOneOf(kErrorControls, errorControl, "service error control");

    sqlite::Transaction tx(*db_);
    const QString appId = resolveApplication(appIdOrName);
    Statement taken(*db_, "SELECT name FROM services WHERE name = ?1 OR application_id = ?2");
    taken.bind(1, serviceName).bind(2, appId);
    if (taken.step())
        fail(err::ServiceExists, QStringLiteral("The service %1 already exists").arg(taken.text(0)));
    Statement(*db_,
              "INSERT INTO services(name, application_id, start_type, error_control, dependencies, run_as, "
              "password, desktop_ok) VALUES(?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)")
        .bind(1, serviceName)
        .bind(2, appId)
        .bind(3, startType)
        .bind(4, errorControl)
        .bind(5, dependencies)
        .bind(6, runAs)
        .bind(7, password)
        .bind(8, desktopOk)
        .run();
    tx.commit();
}

std::vector<ServiceRegistration> Catalog::Services() {
    std::vector<ServiceRegistration> out;
    Statement s(*db_,
                "SELECT application_id, name, start_type, error_control, dependencies, run_as, password, "
                "desktop_ok FROM services ORDER BY name");
    while (s.step())
        out.push_back({s.text(0), s.text(1), s.text(2), s.text(3), s.text(4), s.text(5), s.text(6),
                       s.integer(7) != 0});
    return out;
}

}  // namespace platform::complus
