#include "platform/complus/ComponentLibrary.h"

#include "platform/complus/CatalogErrors.h"
#include "platform/plugin/ComponentIdentity.h"
#include "platform/system/LibraryFolder.h"

#include <QFile>
#include <QFileInfo>

#include <dlfcn.h>

namespace platform::complus {

std::shared_ptr<ComponentModule> ComponentModule::load(const QString& path) {
    // A relative path would depend on the working folder: the check refuses it.
    const system::TrustedFile file(path);
    if (path.isEmpty() || file.missing())
        fail(err::FileDoesNotExist, QStringLiteral("The file %1 does not exist").arg(path));
    if (!file.ok())
        fail(err::NotTrusted, QStringLiteral("The library %1 is not trusted: %2").arg(path, file.refusal()));

    std::shared_ptr<ComponentModule> module(new ComponentModule);
    module->path_ = QFileInfo(path).absoluteFilePath();
    // The file is loaded by the real path of the checked file. Every folder on
    // that path is writable by this user or root only, so nobody else can swap
    // the file in between. (Loading by the descriptor's name would not do: the
    // loader matches libraries by name, and a descriptor number is reused.)
    const QString loadPath = QFileInfo(file.loadPath()).symLinkTarget();
    module->handle_ = ::dlopen(QFile::encodeName(loadPath).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!module->handle_) {
        const char* why = ::dlerror();
        QString reason = QString::fromLocal8Bit(why ? why : "unknown reason");
        reason.replace(loadPath, path);
        fail(err::LoadLibraryFailed, QStringLiteral("The library %1 could not be loaded: %2").arg(path, reason));
    }
    auto identify = reinterpret_cast<TvComponentIdentityFn>(module->symbol(plugin::kComponentIdentitySymbol));
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
