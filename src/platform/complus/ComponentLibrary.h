#pragma once
// Component libraries: loading a library file, checking that it identifies a
// component class (see ComponentIdentity.h), and keeping it loaded for callers
// that use more of it than its identity.

#include <QString>
#include <memory>

namespace platform::complus {

struct ComponentInfo {
    QString progId;    // "Library.Class"
    QString version;
};

// A loaded component library whose identity has been read. The library stays
// loaded while the object lives.
class ComponentModule {
public:
    // The file must pass the trust check of platform/system/LibraryFolder.h
    // first. Throws FileDoesNotExist when the file is absent, NotTrusted when it
    // fails the check (then it is not loaded), LoadLibraryFailed when it is not a
    // loadable library, NoClassIdentity when it names no class.
    static std::shared_ptr<ComponentModule> load(const QString& path);
    ~ComponentModule();
    ComponentModule(const ComponentModule&) = delete;
    ComponentModule& operator=(const ComponentModule&) = delete;

    const ComponentInfo& info() const { return info_; }
    const QString& path() const { return path_; }
    // An exported symbol, or null.
    void* symbol(const char* name) const;

private:
    ComponentModule() = default;
    void* handle_ = nullptr;
    QString path_;
    ComponentInfo info_;
};

// Reads the identity of a component library: loads it, copies its answer and
// unloads it again. Throws as ComponentModule::load.
ComponentInfo identifyComponentLibrary(const QString& path);

}  // namespace platform::complus
