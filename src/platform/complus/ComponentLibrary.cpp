#include "platform/complus/ComponentLibrary.h"

#include "platform/complus/CatalogErrors.h"
#include "platform/complus/ComponentIdentity.h"

#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

namespace platform::complus {
namespace {

class LoadedLibrary {
public:
    explicit LoadedLibrary(const QString& path) {
        handle_ = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!handle_) {
            const char* why = ::dlerror();
            fail(err::LoadLibraryFailed, QStringLiteral("The library %1 could not be loaded: %2")
                                             .arg(path, QString::fromLocal8Bit(why ? why : "unknown reason")));
        }
    }
    ~LoadedLibrary() { ::dlclose(handle_); }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    void* symbol(const char* name) const { return ::dlsym(handle_, name); }

private:
    void* handle_ = nullptr;
};

}  // namespace

ComponentInfo identifyComponentLibrary(const QString& path) {
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile())
        fail(err::FileDoesNotExist, QStringLiteral("The file %1 does not exist").arg(path));

    // A path without a slash would make the loader search its own folders.
    const LoadedLibrary library(file.absoluteFilePath());
    auto identify = reinterpret_cast<TvComponentIdentityFn>(library.symbol(kComponentIdentitySymbol));
    const TvComponentIdentity* id = identify ? identify() : nullptr;
    if (!id || id->abi != TV_COMPONENT_ABI || !id->progId || !*id->progId)
        fail(err::NoClassIdentity, QStringLiteral("The library %1 does not identify a component class").arg(path));
    return {QString::fromUtf8(id->progId), QString::fromUtf8(id->version ? id->version : "")};
}

}  // namespace platform::complus
