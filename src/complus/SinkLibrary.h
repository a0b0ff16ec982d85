#pragma once
// Where the event-sink library of an application is looked for: the program's
// library folder + "/" + application name + the platform's library suffix.

#include <QString>

namespace complus {

inline constexpr const char* kSinkLibrarySuffix = ".so";

inline QString sinkLibraryPath(const QString& libraryFolder, const QString& appName) {
    return libraryFolder + QLatin1Char('/') + appName + QLatin1String(kSinkLibrarySuffix);
}

}  // namespace complus
