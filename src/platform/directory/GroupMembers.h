#pragma once
// The members of a group, read in full.

#include <QString>
#include <QStringList>

namespace platform::directory {

// Every value of the group's `member` attribute, as distinguished names, in the
// order the server gives them, however many (values past a server's range limit,
// 1,500 on Active Directory, are read slice by slice). `serverPath` is as for
// search() ("LDAP://host", "GC://host" or "" for this computer's domain
// controller). Throws ComError when the directory fails or the group cannot be read.
QStringList groupMemberDns(const QString& serverPath, const QString& groupDn);

}  // namespace platform::directory
