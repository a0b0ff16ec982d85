// The probes of a Linux host. What Windows keeps in its registry, version record
// and workstation service is read from the places a Linux system keeps it.

#include "platform/directory/Directory.h"
#include "platform/system/LibraryFolder.h"
#include "platform/system/SystemProbes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <pwd.h>
#include <unistd.h>

namespace platform::system {
namespace {

QString storeRoot() {
    const QString configured = qEnvironmentVariable("TAVIMOR_STORE_ROOT");
    return configured.isEmpty() ? QStringLiteral("/var/lib/tavimor/backofficestorage") : configured;
}

// The workgroup line of a Samba configuration, if there is one.
std::optional<QString> sambaWorkgroup(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) return std::nullopt;
    static const QRegularExpression re(QStringLiteral("^\\s*workgroup\\s*=\\s*(\\S.*?)\\s*$"),
                                       QRegularExpression::CaseInsensitiveOption);
    QTextStream in(&f);
    while (!in.atEnd()) {
        const auto m = re.match(in.readLine());
        if (m.hasMatch()) return m.captured(1);
    }
    return std::nullopt;
}

class HostProbes : public SystemProbes {
public:
    QString userName() override {
        // The account the program signs in to the directory with is the logged-on
        // user as far as the directory is concerned; without one, the login name.
        try {
            const QString logon = directory::SystemInfo::logonName();
            if (!logon.isEmpty()) return logon;
        } catch (const ComError&) {
        }
        if (const passwd* pw = getpwuid(geteuid())) return QString::fromLocal8Bit(pw->pw_name);
        return QString();
    }

    bool versionInfo(OsVersionInfo& info) override {
        // A current NT-family system as far as the version table is concerned:
        // the version record Windows hands to programs that declare nothing.
        info = OsVersionInfo{};
        info.platformId = 2;
        info.majorVersion = 6;
        info.minorVersion = 2;
        info.buildNumber = 9200;
        return true;
    }

    bool registryKeyExists(RegistryRoot root, const QString& keyPath) override {
        // HKEY_LOCAL_MACHINE\Cluster exists on a cluster node: on Linux, a node
        // configured for Corosync/Pacemaker.
        if (root == RegistryRoot::LocalMachine && keyPath.compare(QStringLiteral("Cluster"), Qt::CaseInsensitive) == 0)
            return QFileInfo::exists(QStringLiteral("/etc/corosync/corosync.conf")) ||
                   QFileInfo::exists(QStringLiteral("/var/lib/pacemaker/cib/cib.xml"));
        return false;
    }

    QString environment(const QString& name) override { return qEnvironmentVariable(name.toLocal8Bit().constData()); }

    QString computerName() override {
        char host[256] = {};
        if (gethostname(host, sizeof host - 1) != 0) return QString();
        return QString::fromLocal8Bit(host).section(u'.', 0, 0).toUpper();
    }

    std::optional<QString> workstationLanGroup(const QString&) override {
        // The domain this computer signs in to, else the Samba workgroup.
        try {
            const QString domain = directory::SystemInfo::netbiosDomain();
            if (!domain.isEmpty()) return domain;
        } catch (const ComError&) {
        }
        return sambaWorkgroup(QStringLiteral("/etc/samba/smb.conf"));
    }

    QStringList listStoreRoot() override {
        return QDir(storeRoot()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    }

    QString libraryFolder() override { return programLibraryFolder(); }

    bool fileExists(const QString& path) override { return QFileInfo::exists(path); }
};

}  // namespace

std::unique_ptr<SystemProbes> makeHostProbes() { return std::make_unique<HostProbes>(); }

}  // namespace platform::system
