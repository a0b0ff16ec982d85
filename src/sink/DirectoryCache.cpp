#include "sink/DirectoryCache.h"

#include <QDateTime>

namespace sink {

DirectoryCache::DirectoryCache(qint64 ttlMs, Clock clock)
    : ttlMs_(ttlMs), clock_(clock ? std::move(clock) : Clock([] { return QDateTime::currentMSecsSinceEpoch(); })) {}

void DirectoryCache::clear() {
    const std::lock_guard guard(lock_);
    stamp_.clear();
    byAddress_.clear();
    byDn_.clear();
    journals_.clear();
    groups_.clear();
}

template <typename T, typename F>
Status DirectoryCache::cached(QHash<QString, Entry<T>>& table, const QString& key, T& out, F&& ask) {
    const QString k = key.toLower();
    const qint64 now = clock_();
    {
        const std::lock_guard guard(lock_);
        const auto it = table.constFind(k);
        if (it != table.constEnd() && it->expires > now) {
            out = it->value;
            return it->status;
        }
    }
    T value{};
    const Status s = ask(value);
    if (s == Status::Ok || s == Status::NotFound) {
        const std::lock_guard guard(lock_);
        // A long run of distinct keys must not grow the table without bound.
        if (table.size() > 50000) table.clear();
        table.insert(k, Entry<T>{now + ttlMs_, s, value});
    }
    out = value;
    return s;
}

bool DirectoryCache::answersAreCurrent() {
    QString now;
    const Status s = backend_->directoryStamp(now);
    if (s == Status::Ok && !now.isEmpty()) {
        const std::lock_guard guard(lock_);
        if (now == stamp_) return true;
    }
    clear();
    // Answers read from here on are at least as new as this stamp.
    const std::lock_guard guard(lock_);
    if (s == Status::Ok) stamp_ = now;
    return false;
}

Status DirectoryCache::findAddress(const QString& address, DirObject& out) {
    return cached(byAddress_, address, out, [&](DirObject& v) { return backend_->findAddress(address, v); });
}

Status DirectoryCache::findDn(const QString& dn, DirObject& out) {
    return cached(byDn_, dn, out, [&](DirObject& v) { return backend_->findDn(dn, v); });
}

Status DirectoryCache::journalRecipient(const QString& storeDn, QString& recipientDn) {
    return cached(journals_, storeDn, recipientDn,
                  [&](QString& v) { return backend_->journalRecipient(storeDn, v); });
}

Status DirectoryCache::groupMembers(const QString& groupDn, std::vector<DirObject>& members) {
    return cached(groups_, groupDn, members,
                  [&](std::vector<DirObject>& v) { return backend_->groupMembers(groupDn, v); });
}

}  // namespace sink
