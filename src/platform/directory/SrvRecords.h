#pragma once
// DNS SRV records (RFC 2782): the look-up, the reading of an answer, and the
// order in which a client tries the targets.

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace platform::directory {

struct SrvTarget {
    QString host;
    uint16_t port = 0;
    uint16_t priority = 0;
    uint16_t weight = 0;
};

// The SRV records of a DNS answer message; a malformed message reads as none.
std::vector<SrvTarget> parseSrvAnswer(const unsigned char* message, int length);

// RFC 2782 order: lowest priority first; within a priority, a weighted random
// draw (weight 0 records get a small chance). `random(n)` answers a number in
// [0, n]. A lone "." target means the service is not offered: no targets.
std::vector<SrvTarget> orderSrvTargets(std::vector<SrvTarget> records,
                                       const std::function<uint32_t(uint32_t)>& random);

// Asks the system's resolver (or, when given, the name server at
// `nameServer`, "IPv4[:port]", port 53 by default) for the SRV records of
// `name`, within a few seconds; answers them in the order to try. An answer of
// any size is read whole (over TCP when it does not fit a datagram). Nothing
// when there are none or DNS fails.
std::vector<SrvTarget> lookupSrv(const QString& name, const QString& nameServer = QString());

}  // namespace platform::directory
