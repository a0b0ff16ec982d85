#pragma once
// The registry of hosted applications (the COMAdminCatalog of this platform):
// applications, the components installed into them, and the services that run
// them. One Catalog is one open connection to the catalog file; create it for a
// task and let it go afterwards. Every call throws ComError (CatalogErrors.h).

#include "platform/complus/CatalogCollection.h"

#include <QString>
#include <memory>
#include <vector>

namespace platform::sqlite { class Database; }

namespace platform::complus {

// A service registered for an application, with the arguments it was given.
struct ServiceRegistration {
    QString applicationId;
    QString serviceName;
    QString startType;
    QString errorControl;
    QString dependencies;
    QString runAs;
    QString password;
    bool desktopOk = false;
};

class Catalog {
public:
    // Opens (creating when missing, owner-only) the catalog file at `path`; for
    // reading only, an existing file only (ReadOnly: every change fails).
    enum class Access { ReadWrite, ReadOnly };
    explicit Catalog(const QString& path, Access access = Access::ReadWrite);
    ~Catalog();
    Catalog(Catalog&&) noexcept = default;
    Catalog& operator=(Catalog&&) noexcept = default;

    // $TAVIMOR_COMPLUS_CATALOG, else /var/lib/tavimor/complus/catalog.db.
    static QString defaultPath();
    // The catalog at defaultPath().
    static std::unique_ptr<Catalog> open();

    const QString& path() const;

    // "Applications" (no key), or "Components" with the key ("ID") of an
    // application. Unknown names throw ObjectDoesNotExist.
    CatalogCollection GetCollection(const QString& name, const QString& key = QString());

    // Installs the component class of `dll` into the application named by its ID
    // or name (first match, letter case ignored). The type library and proxy/stub
    // library are optional; when given they must exist. The library must pass
    // the trust check before it is loaded or recorded (NotTrusted otherwise).
    void InstallComponent(const QString& appIdOrName, const QString& dll, const QString& tlb,
                          const QString& psdll);
    // Re-reads the installed components' libraries and records their current
    // version; a component whose library is gone or no longer names the same
    // class keeps what was recorded. A recorded library that fails the trust
    // check is not loaded: the others are refreshed, then NotTrusted is thrown.
    void RefreshComponents();
    // Registers a service that runs the application.
    void CreateServiceForApplication(const QString& appIdOrName, const QString& serviceName,
                                     const QString& startType, const QString& errorControl,
                                     const QString& dependencies, const QString& runAs,
                                     const QString& password, bool desktopOk);
    // The registered services, in name order.
    std::vector<ServiceRegistration> Services();

private:
    QString resolveApplication(const QString& appIdOrName);

    std::shared_ptr<sqlite::Database> db_;
};

}  // namespace platform::complus
