#pragma once
// When a paged search stops asking for the next page.

#include <QByteArray>
#include <QString>
#include <set>
#include <utility>

namespace platform::directory {

// One page of a paged search as far as its end is concerned: the cookie the
// server answered with, and the first entry it held ("" for none).
struct PageMark {
    QByteArray cookie;
    QString firstDn;
};

// Watches the pages of one search. A page without entries ends it with what it
// has. A page seen before anywhere in the search (the same cookie with the same
// first entry; a repeated cookie alone is no sign, since Samba keeps one cookie
// for a whole search) means the server would be asked for ever, and so does a
// search that runs past its page budget: twice the pages its size limit needs
// (a server may send short pages), or those of kUnlimitedEntries without one.
class PageGuard {
public:
    static constexpr int kUnlimitedEntries = 10'000'000;

    PageGuard(int sizeLimit, int pageSize);

    // True when the search ends here. Throws ComError (a loop was detected)
    // naming `server` when the server would keep it going.
    bool ends(bool pageHadEntries, const PageMark& page, const QString& server);

    int budget() const { return budget_; }

private:
    std::set<std::pair<QByteArray, QString>> seen_;
    int pages_ = 0;
    int budget_ = 0;
};

}  // namespace platform::directory
