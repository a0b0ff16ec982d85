#pragma once
// When a paged search stops asking for the next page.

#include <QByteArray>
#include <QString>

namespace platform::directory {

// One page of a paged search as far as its end is concerned: the cookie the
// server answered with, and the first entry it held ("" for none).
struct PageMark {
    QByteArray cookie;
    QString firstDn;
};

// A server that answers a page without entries, or the same cookie with the
// same page again, would be asked for ever: the search ends with what it has.
// A repeated cookie alone is no sign, since Samba keeps one cookie for the
// whole search.
inline bool pagedSearchEnds(bool pageHadEntries, const PageMark& page, const PageMark& previous) {
    return !pageHadEntries || (page.cookie == previous.cookie && page.firstDn == previous.firstDn);
}

}  // namespace platform::directory
