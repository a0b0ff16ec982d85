#include "platform/complus/ComponentLibrary.h"

#include "platform/complus/CatalogErrors.h"
#include "platform/complus/ComponentIdentity.h"
#include "platform/system/LibraryFolder.h"

#include <QFile>

#include <dlfcn.h>

namespace platform::complus {

LoadedLibrary::LoadedLibrary(const QString& path) {
    // A relative path would depend on the working folder: the check refuses it.
    const system::TrustedFile file(path);
    if (file.missing() || path.isEmpty())
        fail(err::FileDoesNotExist, QStringLiteral("The file %1 does not exist").arg(path));
    if (!file.ok())
        fail(err::NotTrusted, QStringLiteral("The library %1 is not trusted: %2").arg(path, file.refusal()));
    // The open, checked file is what is loaded, not whatever the path names now.
    handle_ = ::dlopen(QFile::encodeName(file.loadPath()).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* why = ::dlerror();
        QString reason = QString::fromLocal8Bit(why ? why : "unknown reason");
        reason.replace(file.loadPath(), path);
        fail(err::LoadLibraryFailed, QStringLiteral("The library %1 could not be loaded: %2").arg(path, reason));
    }
}

LoadedLibrary::~LoadedLibrary() {
    if (handle_) ::dlclose(handle_);
}

void* LoadedLibrary::symbol(const char* name) const { return ::dlsym(handle_, name); }

ComponentInfo identifyComponentLibrary(const QString& path) {
    const LoadedLibrary library(path);
    auto identify = reinterpret_cast<TvComponentIdentityFn>(library.symbol(kComponentIdentitySymbol));
    const TvComponentIdentity* id = identify ? identify() : nullptr;
    if (!id || id->abi != TV_COMPONENT_ABI || !id->progId || !*id->progId)
        fail(err::NoClassIdentity, QStringLiteral("The library %1 does not identify a component class").arg(path));
    return {QString::fromUtf8(id->progId), QString::fromUtf8(id->version ? id->version : "")};
}

}  // namespace platform::complus
