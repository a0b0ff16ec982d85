#pragma once
// The Exchange servers of the organisation, for the report and for the message
// that names them when --server names none of them.

#include <QString>
#include <QStringList>

namespace ctl {

// The names of the organisation's Exchange servers, sorted without regard to
// case, read through `serverPath` ("LDAP://host"). Throws platform::ComError.
// (The one place that lists them: the server chooser's list goes here.)
QStringList organisationServers(const QString& serverPath);

}  // namespace ctl
