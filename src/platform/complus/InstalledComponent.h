#pragma once
// The library of an installed component class: the catalog is asked which
// application holds a component of that ProgID, and that library is loaded and
// must identify the same class. Libraries stay loaded for the life of the process
// (a sink keeps its caches between calls), one load per file.

#include "platform/complus/ComponentLibrary.h"

#include <QString>
#include <memory>

namespace platform::complus {

// The loaded library of the component class `progId` (letter case ignored) in the
// catalog at `catalogPath`, which is opened for reading only and never created;
// null when no application holds such a component or its library does not load
// or names another class. Throws ComError only when the catalog itself cannot be
// read (missing, unreadable, or refused for its owner or mode).
std::shared_ptr<ComponentModule> loadInstalledComponent(const QString& catalogPath, const QString& progId);

}  // namespace platform::complus
