#include "startup/WindowsVersion.h"

namespace startup {

QString versionName(const platform::system::OsVersionInfo& info) {
    switch (info.platformId) {
    case 1:
        switch (info.minorVersion) {
        case 0: return QStringLiteral("Windows 95");
        case 10: return QStringLiteral("Windows 98");
        case 90: return QStringLiteral("Windows Millennium");
        default: return QString();
        }
    case 2:
        if (info.majorVersion == 3) return QStringLiteral("Windows NT 3.51");
        if (info.majorVersion == 4) return QStringLiteral("Windows NT 4.0");
        if (info.majorVersion == 5)
            return info.minorVersion == 0 ? QStringLiteral("Windows 2000") : QStringLiteral("Windows XP");
        if (info.majorVersion >= 6) return QString();
        return QStringLiteral("Failed");
    default:
        return QStringLiteral("Failed");
    }
}

QString GetWindowsVersion(platform::system::SystemProbes& probes) {
    platform::system::OsVersionInfo info;
    if (!probes.versionInfo(info)) info = {};  // a failed call leaves the record zeroed
    return versionName(info);
}

}  // namespace startup
