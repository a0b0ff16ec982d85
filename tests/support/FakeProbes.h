#pragma once
// Probes that play a computer of the test's choosing.

#include "platform/system/SystemProbes.h"

#include <QSet>

namespace testing_support {

class FakeProbes : public platform::system::SystemProbes {
public:
    QString user = "Administrator";
    bool versionOk = true;
    platform::system::OsVersionInfo version{6, 2, 9200, 2, {}};
    QSet<QString> registryKeys;            // keys under HKEY_LOCAL_MACHINE
    QString computer = "VM";
    std::optional<QString> lanGroup;
    QStringList storeRoot;
    QString libraryDir = "/opt/tavimor";
    QSet<QString> files;

    QString userName() override { return user; }
    bool versionInfo(platform::system::OsVersionInfo& info) override {
        if (!versionOk) return false;
        info = version;
        return true;
    }
    bool registryKeyExists(platform::system::RegistryRoot root, const QString& key) override {
        return root == platform::system::RegistryRoot::LocalMachine && registryKeys.contains(key);
    }
    QString environment(const QString&) override { return {}; }
    QString computerName() override { return computer; }
    std::optional<QString> workstationLanGroup(const QString&) override { return lanGroup; }
    QStringList listStoreRoot() override { return storeRoot; }
    QString libraryFolder() override { return libraryDir; }
    bool fileExists(const QString& path) override { return files.contains(path); }

    // Plays a Windows version: platform id, major, minor.
    void playWindows(uint32_t platformId, uint32_t major, uint32_t minor) { version = {major, minor, 0, platformId, {}}; }
};

}  // namespace testing_support
