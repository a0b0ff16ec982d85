#pragma once
// Where the event-sink library of an application is looked for: the process's
// current directory + "/" + application name + the platform's library suffix.

#include <QString>

namespace complus {

inline constexpr const char* kSinkLibrarySuffix = ".so";

inline QString sinkLibraryPath(const QString& currentDirectory, const QString& appName) {
    return currentDirectory + QLatin1Char('/') + appName + QLatin1String(kSinkLibrarySuffix);
}

}  // namespace complus
