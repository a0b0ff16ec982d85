#include "startup/Cluster.h"

#include "directory/Queries.h"

namespace startup {

bool RegKeyExists(platform::system::SystemProbes& probes, platform::system::RegistryRoot root,
                  const QString& keyPath, const QString&) {
    try {
        return probes.registryKeyExists(root, keyPath);
    } catch (...) {
        return false;
    }
}

bool IsClusterNode(platform::system::SystemProbes& probes) {
    return RegKeyExists(probes, platform::system::RegistryRoot::LocalMachine, QStringLiteral("Cluster"), QString());
}

QString GetWindowsUserName(platform::system::SystemProbes& probes) {
    // The name comes back in a buffer of 255 characters, terminating zero included.
    const QString name = probes.userName();
    return name.size() > 254 ? QString() : name;
}

QString clusterNameFromHomeServer(const QString& homeServer) {
    QString value = homeServer.toUpper();
    const int at = value.lastIndexOf(QStringLiteral("CN="));
    if (at >= 0 && value.size() - (at + 3) >= 2) value = value.mid(at + 3);
    return value;
}

void GetClusterName(state::Globals& g, state::FormState& form, platform::system::SystemProbes& probes) {
    form.ClusterName.clear();
    platform::ResumeNext resume;
    QString user;
    resume([&] { user = GetWindowsUserName(probes); });
    resume([&] {
        if (!g.conAD) return;
        auto rs = g.conAD->execute(directory::queries::homeServerOfUser(g.strLDAPRoot, user),
                                   platform::directory::PropertySet::A);
        if (!rs.eof()) {
            const QVariant v = rs.field(QStringLiteral("msExchHomeServerName"));
            form.ClusterName = clusterNameFromHomeServer(v.isNull() ? QString() : v.toString());
        }
        rs.close();
    });
}

}  // namespace startup
