#pragma once
// Reads the identity of a component library: loads the file, calls its identity
// function (see ComponentIdentity.h), copies the answer and unloads it again.

#include <QString>

namespace platform::complus {

struct ComponentInfo {
    QString progId;    // "Library.Class"
    QString version;
};

// Throws FileDoesNotExist when the file is absent, LoadLibraryFailed when it is
// not a loadable library, NoClassIdentity when it names no class.
ComponentInfo identifyComponentLibrary(const QString& path);

}  // namespace platform::complus
