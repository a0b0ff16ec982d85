#pragma once
// LDAP result codes as the numbers and texts a Windows directory client reports.

#include "platform/ComError.h"

namespace platform::directory {

// The number for an LDAP result code (access denied is 0x80070005).
int32_t numberForLdapResult(int resultCode);
QString descriptionForLdapResult(int resultCode);
[[noreturn]] void throwLdapError(int resultCode, const QString& detail = QString());

}  // namespace platform::directory
