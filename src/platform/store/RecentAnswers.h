#pragma once
// Recipients this thread read by address a moment ago, so that the transfer
// agent routing a report and the sink judging it ask the directory once for a
// party rather than twice, and a run of reports between the same parties once
// in all. "Found" and "no such address" are both kept; a failure never is.
//
// A kept answer must never let the sink drop a report it should keep. The sink
// reads the directory's stamp before it drops; whenever the stamp read differs
// from the last one (the first read included), everything kept is forgotten, so
// every answer still kept was read after the current stamp was first seen and
// is as new as any read now would be.

#include "platform/store/EventDirectory.h"

#include <QHash>
#include <QString>
#include <functional>
#include <optional>

namespace platform::store::recipients {

class RecentAnswers {
public:
    using Clock = std::function<qint64()>;  // milliseconds
    explicit RecentAnswers(Clock clock = {});

    // How long an answer is kept; 0 keeps none. Applies to answers kept before too.
    void setTtl(qint64 ms) { ttlMs_ = ms; }
    // The kept answer for an address (nullptr when there is none): an object,
    // or nothing when no object has that address.
    const std::optional<Recipient>* find(const QString& address) const;
    void keep(const QString& address, std::optional<Recipient> answer);
    // Tells of a stamp just read from the directory.
    void stampRead(const QString& stamp);

private:
    struct Kept {
        qint64 at;
        std::optional<Recipient> answer;
    };
    Clock clock_;
    qint64 ttlMs_ = 60000;
    QString stamp_;
    QHash<QString, Kept> kept_;
};

}  // namespace platform::store::recipients
