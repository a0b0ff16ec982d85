#include "milter/Privileges.h"

#include <cerrno>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

namespace milter {

QString becomeUnprivileged(const QString& user, bool named) {
    const QByteArray name = user.toLocal8Bit();
    errno = 0;
    const passwd* pw = ::getpwnam(name.constData());
    if (::geteuid() == 0 || ::getuid() == 0) {
        if (!pw)
            return QStringLiteral("started as root, but the user %1 does not exist (create it, or name another "
                                  "with -u)").arg(user);
        if (pw->pw_uid == 0) return QStringLiteral("the user %1 is root; the milter does not run as root").arg(user);
        const uid_t uid = pw->pw_uid;
        const gid_t gid = pw->pw_gid;
        if (::initgroups(name.constData(), gid) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0)
            return QStringLiteral("cannot become the user %1: %2").arg(user, QString::fromLocal8Bit(std::strerror(errno)));
        // Root must be out of reach for good.
        if (::setuid(0) == 0 || ::geteuid() == 0 || ::getuid() == 0 || ::getegid() == 0)
            return QStringLiteral("still privileged after switching to %1").arg(user);
        return QString();
    }
    if (named && (!pw || pw->pw_uid != ::getuid()))
        return QStringLiteral("only root can switch to the user %1").arg(user);
    return QString();
}

}  // namespace milter
