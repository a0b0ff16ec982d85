#pragma once
// Small directory look-ups of the store panel.

#include <QString>
#include <cstdint>

namespace engine {

// Display name of the directory object with distinguished name `strDN` ("" when
// there is none, it has no display name, or the directory cannot be read); its
// mail address goes to `strMail` ("" when it has none). `strMail` is left as it
// was when no object is found. Uses a connection of its own.
QString GetNameByDN(const QString& ldapRoot, const QString& strDN, QString& strMail);

}  // namespace engine
