#pragma once
// The operating-system version name: "Windows 95", "Windows 98", "Windows
// Millennium", "Windows NT 3.51", "Windows NT 4.0", "Windows 2000", "Windows XP"
// (also for Windows Server 2003, version 5.2), "" for versions the table does not
// name, and "Failed" when the version record could not be read.

#include "platform/system/SystemProbes.h"

#include <QString>

namespace startup {

QString versionName(const platform::system::OsVersionInfo& info);
QString GetWindowsVersion(platform::system::SystemProbes& probes);

}  // namespace startup
