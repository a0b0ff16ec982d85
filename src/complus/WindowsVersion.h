#pragma once
// Windows 2000 runs the hosted application under a typed account; every later
// system runs it as a service. strWindowsVersion names the system.

#include <QString>

namespace complus {

inline bool isWindows2000(const QString& windowsVersion) {
    return windowsVersion == QLatin1String("Windows 2000");
}

}  // namespace complus
