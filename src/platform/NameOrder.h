#pragma once
// The order in which people of the user's locale read names: every list and
// picker sorts its rows with this one comparison, as Windows' list views
// compare text. Case does not count.

#include <QString>

namespace platform {

// Less than, equal to or greater than zero as `a` sorts before, with or after
// `b` by the collation of the user's locale (LC_ALL, LC_COLLATE, LANG). The C
// and POSIX locales have no reading order of their own; the common Unicode
// order (as English reads it) stands in for theirs, so that Å, Ö and Ł sort
// beside A, O and L rather than after Z.
int compareNames(const QString& a, const QString& b);

// The locale whose collation compareNames follows.
QString nameOrderLocale();

}  // namespace platform
