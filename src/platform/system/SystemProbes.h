#pragma once
// Questions the program asks of the computer it runs on. The POSIX implementation
// answers them for this host; tests substitute their own to play other systems
// (Windows 2000, Windows Server 2003, a cluster node, a workgroup computer).

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>

namespace platform::system {

// The operating system's version record. platformId 2 is the NT family,
// 1 the Windows 9x family; 0 means the record could not be filled.
struct OsVersionInfo {
    uint32_t majorVersion = 0;
    uint32_t minorVersion = 0;
    uint32_t buildNumber = 0;
    uint32_t platformId = 0;
    QString servicePack;
};

enum class RegistryRoot { LocalMachine, CurrentUser };

class SystemProbes {
public:
    virtual ~SystemProbes() = default;

    // Logon name of the user running the program ("" when unknown).
    virtual QString userName() = 0;
    // Fills the version record; false when the system does not answer.
    virtual bool versionInfo(OsVersionInfo& info) = 0;
    // Whether a registry key exists (and may be opened).
    virtual bool registryKeyExists(RegistryRoot root, const QString& keyPath) = 0;
    // An environment variable ("" when unset).
    virtual QString environment(const QString& name) = 0;
    // This computer's name as the network knows it (short form).
    virtual QString computerName() = 0;
    // The LAN group (domain or workgroup) of the named workstation; empty optional
    // when the workstation service cannot be asked.
    virtual std::optional<QString> workstationLanGroup(const QString& server) = 0;
    // Entry names of the Exchange store's file-system root, directories included.
    virtual QStringList listStoreRoot() = 0;
    // The program's library folder (where the sink library is looked for; never
    // the working folder), and whether a file exists.
    virtual QString libraryFolder() = 0;
    virtual bool fileExists(const QString& path) = 0;
};

// The probes of this host.
std::unique_ptr<SystemProbes> makeHostProbes();

}  // namespace platform::system
