#include "platform/store/RecentAnswers.h"

#include <QDateTime>

namespace platform::store::recipients {

namespace {
QString keyOf(const QString& address) { return address.trimmed().toLower(); }
}  // namespace

RecentAnswers::RecentAnswers(Clock clock)
    : clock_(clock ? std::move(clock) : Clock([] { return QDateTime::currentMSecsSinceEpoch(); })) {}

const std::optional<Recipient>* RecentAnswers::find(const QString& address) const {
    if (ttlMs_ <= 0) return nullptr;
    const auto it = kept_.constFind(keyOf(address));
    if (it == kept_.constEnd()) return nullptr;
    const qint64 age = clock_() - it->at;
    return age >= 0 && age < ttlMs_ ? &it->answer : nullptr;
}

void RecentAnswers::keep(const QString& address, std::optional<Recipient> answer) {
    if (ttlMs_ <= 0) return;
    // A long run of distinct addresses must not grow the table without bound.
    if (kept_.size() >= 50000) kept_.clear();
    kept_.insert(keyOf(address), Kept{clock_(), std::move(answer)});
}

void RecentAnswers::stampRead(const QString& stamp) {
    if (stamp == stamp_ && !stamp.isEmpty()) return;
    kept_.clear();
    stamp_ = stamp;
}

}  // namespace platform::store::recipients
