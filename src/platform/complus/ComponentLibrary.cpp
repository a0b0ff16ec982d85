#include "platform/complus/ComponentLibrary.h"

#include "platform/complus/CatalogErrors.h"
#include "platform/plugin/ComponentIdentity.h"
#include "platform/system/LibraryFolder.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <dlfcn.h>

namespace platform::complus {
namespace {

// The loader keeps one copy of a library per file name: loading a path again
// answers the copy already in memory, even when a new build was renamed over
// the file since. So each version of a file is loaded by a name of its own: a
// link named after the file's device, inode and change time, in a folder only
// this user can write, that leads to the descriptor of the checked file. A
// file replaced on disk loads afresh; an unchanged one answers the copy in
// memory. The link goes again once the file is loaded. Every folder on the
// file's own path is writable by this user or root only, and the descriptor
// stays open meanwhile, so nobody can swap the file in between. `loaderName`
// is the name the loader was given ("" when none could be made).
void* openVersion(const system::TrustedFile& file, QString& loaderName) {
    struct stat st {};
    const QByteArray descriptor = QFile::encodeName(file.loadPath());
    if (::stat(descriptor.constData(), &st) != 0) return ::dlopen(descriptor.constData(), RTLD_NOW | RTLD_LOCAL);
    QTemporaryDir folder(QStringLiteral("/tmp/tavimor-library-XXXXXX"));
    if (!folder.isValid()) return ::dlopen(descriptor.constData(), RTLD_NOW | RTLD_LOCAL);
    loaderName = folder.filePath(QStringLiteral("%1-%2-%3.%4-%5")
                                     .arg(st.st_dev)
                                     .arg(st.st_ino)
                                     .arg(st.st_ctim.tv_sec)
                                     .arg(st.st_ctim.tv_nsec)
                                     .arg(QFileInfo(QFileInfo(file.loadPath()).symLinkTarget()).fileName()));
    const QByteArray name = QFile::encodeName(loaderName);
    if (::symlink(descriptor.constData(), name.constData()) != 0) return nullptr;
    return ::dlopen(name.constData(), RTLD_NOW | RTLD_LOCAL);
}

}  // namespace

std::shared_ptr<ComponentModule> ComponentModule::load(const QString& path) {
    // A relative path would depend on the working folder: the check refuses it.
    const system::TrustedFile file(path);
    if (path.isEmpty() || file.missing())
        fail(err::FileDoesNotExist, QStringLiteral("The file %1 does not exist").arg(path));
    if (!file.ok())
        fail(err::NotTrusted, QStringLiteral("The library %1 is not trusted: %2").arg(path, file.refusal()));

    std::shared_ptr<ComponentModule> module(new ComponentModule);
    module->path_ = QFileInfo(path).absoluteFilePath();
    QString loaderName;
    module->handle_ = openVersion(file, loaderName);
    if (!module->handle_) {
        const char* why = ::dlerror();
        QString reason = QString::fromLocal8Bit(why ? why : "unknown reason");
        if (!loaderName.isEmpty()) reason.replace(loaderName, path);
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
