#pragma once
// Component libraries: loaded only after the file passed the trust check of
// platform/system/LibraryFolder.h, and identified through their identity
// function (see ComponentIdentity.h).

#include <QString>

namespace platform::complus {

struct ComponentInfo {
    QString progId;    // "Library.Class"
    QString version;
};

// A component library loaded for as long as the object lives. Every load of a
// component library goes through here.
class LoadedLibrary {
public:
    // Throws FileDoesNotExist when the file is absent, AccessDenied when it fails
    // the trust check (then it is not loaded), LoadLibraryFailed when it is not a
    // loadable library.
    explicit LoadedLibrary(const QString& path);
    ~LoadedLibrary();
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    void* symbol(const char* name) const;

private:
    void* handle_ = nullptr;
};

// Loads the library, calls its identity function, copies the answer and unloads
// it again. Throws as LoadedLibrary does, and NoClassIdentity when the library
// names no class.
ComponentInfo identifyComponentLibrary(const QString& path);

}  // namespace platform::complus
