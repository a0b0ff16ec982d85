#pragma once
// The choice of an Exchange server when the one start-up found is none of the
// organisation's. The window asks through this interface, so tests can answer.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace state {

class ServerChooser {
public:
    virtual ~ServerChooser() = default;
    // Offers `servers` with `reason` above them; the server chosen, or none when
    // the choice was cancelled.
    virtual std::optional<QString> choose(const QStringList& servers, const QString& reason) = 0;
};

// A chooser that records what it was offered and answers from a script.
class ScriptedServerChooser : public ServerChooser {
public:
    struct Offer {
        QStringList servers;
        QString reason;
    };
    std::optional<QString> choose(const QStringList& servers, const QString& reason) override {
        offers.push_back({servers, reason});
        return answer;
    }
    std::vector<Offer> offers;
    std::optional<QString> answer;  // none: cancelled
};

}  // namespace state
