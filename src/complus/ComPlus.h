#pragma once
// The hosted application of the event sink: whether it exists, its removal, and
// its installation with the sink library of the current directory. Each routine
// opens its own catalog and releases it before returning; a failure ends the
// routine and writes one entry without context to the error log. Each removal
// and installation is kept in the audit trail, done or failed.

#include "state/Forward.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

namespace platform::complus {
class Catalog;
}
namespace platform::system {
class SystemProbes;
}

namespace complus {

class ComPlus {
public:
    using CatalogFactory = std::function<std::unique_ptr<platform::complus::Catalog>()>;

    // `openCatalog` defaults to the catalog at its standard location.
    ComPlus(state::ErrorLog& log, const state::Globals& globals, platform::system::SystemProbes& probes,
            CatalogFactory openCatalog = {});

    // True when an application of that name exists (letter case ignored); then
    // `identity` receives its "Identity". Otherwise `identity` is left as it was.
    bool CheckComPlusApp(const QString& appName, QString& identity);
    // Removes the first application of that name: "" when it was removed or
    // there is none, else the failure (logged).
    QString RemoveComPlusApp(const QString& appName);
    // Creates the application and installs the sink library into it: 1 on
    // success, -1 on failure (steps already done stay done).
    int16_t InstallComPlusApp(const QString& appName, const QString& identity, const QString& password,
                              const QString& constructorString);

private:
    template <typename Steps>
    bool run(Steps&& steps, QString* failure = nullptr);
    // The audit trail's entry of a write of the application `appName`.
    void audit(const QString& appName, const QString& before, const QString& after, bool done, const QString& failure);

    state::ErrorLog& log_;
    const state::Globals& globals_;
    platform::system::SystemProbes& probes_;
    CatalogFactory openCatalog_;
    CatalogFactory openExisting_;  // nullptr where there is no catalog
};

}  // namespace complus
