#pragma once
// The members of a group, read in full.

#include <QString>
#include <QStringList>

namespace platform::directory {

// Every value of the group's `member` attribute, as distinguished names, in the
// order the server gives them. `serverPath` is as for search() ("LDAP://host",
// "GC://host" or "" for this computer's domain controller). Throws ComError when
// the directory fails or the group cannot be read.
QStringList groupMemberDns(const QString& serverPath, const QString& groupDn);

}  // namespace platform::directory
