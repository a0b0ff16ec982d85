#pragma once
// The program's surroundings as the store tool takes them: the store root
// (TAVIMOR_STORE_ROOT) and its domain folder, the directory (LDAPURI and the
// bind variables), and the two mailbox roots the registration routines use.

#include "store/RegistrationContext.h"

#include <QString>
#include <memory>

namespace storetool {

class StoreEnvironment {
public:
    // Throws ComError when the store root holds no store or, `withDirectory`,
    // the directory cannot be reached. Without it the first domain folder of the
    // store root is taken.
    static std::unique_ptr<StoreEnvironment> open(bool withDirectory);

    const QString& domainFolder() const { return domainFolder_; }
    // A store URL as given, or a path below the domain folder in the file form.
    QString urlOf(const QString& urlOrPath) const;
    // The registration routines' context over this environment.
    store::RegistrationContext context();
    state::Globals& globals() { return g_; }

private:
    QString domainFolder_;
    state::Globals g_;
    state::MemoryErrorLog log_;
    QString tag_;
};

// The domain folder of the store root that names `domain` (letter case ignored),
// else the first one; "" when the root holds none.
QString chooseDomainFolder(const QStringList& storeRootEntries, const QString& domain);

}  // namespace storetool
