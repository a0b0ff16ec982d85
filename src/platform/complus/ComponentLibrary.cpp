#include "platform/complus/ComponentLibrary.h"

#include "platform/complus/CatalogErrors.h"
#include "platform/complus/ComponentIdentity.h"

#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

namespace platform::complus {

std::shared_ptr<ComponentModule> ComponentModule::load(const QString& path) {
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile())
        fail(err::FileDoesNotExist, QStringLiteral("The file %1 does not exist").arg(path));

    // A path without a slash would make the loader search its own folders.
    std::shared_ptr<ComponentModule> module(new ComponentModule);
    module->path_ = file.absoluteFilePath();
    module->handle_ = ::dlopen(QFile::encodeName(module->path_).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!module->handle_) {
        const char* why = ::dlerror();
        fail(err::LoadLibraryFailed, QStringLiteral("The library %1 could not be loaded: %2")
                                         .arg(path, QString::fromLocal8Bit(why ? why : "unknown reason")));
    }
    auto identify = reinterpret_cast<TvComponentIdentityFn>(module->symbol(kComponentIdentitySymbol));
    const TvComponentIdentity* id = identify ? identify() : nullptr;
    if (!id || id->abi != TV_COMPONENT_ABI || !id->progId || !*id->progId)
        fail(err::NoClassIdentity, QStringLiteral("The library %1 does not identify a component class").arg(path));
    module->info_ = {QString::fromUtf8(id->progId), QString::fromUtf8(id->version ? id->version : "")};
    return module;
}

ComponentModule::~ComponentModule() {
    if (handle_) ::dlclose(handle_);
}

void* ComponentModule::symbol(const char* name) const { return ::dlsym(handle_, name); }

ComponentInfo identifyComponentLibrary(const QString& path) { return ComponentModule::load(path)->info(); }

}  // namespace platform::complus
