// DNS answers to an SRV question, as a name server (or anyone who can answer
// in its place) sends them: any bytes either read as SRV targets or as none,
// never past the message, and the order to try them keeps every target once.

#include "FuzzTarget.h"
#include "platform/directory/SrvRecords.h"

#include <algorithm>

TV_FUZZ_TARGET(srv_answer)(const uint8_t* data, size_t size) {
    using namespace platform::directory;
    // The parser is handed exactly the bytes received, in a buffer of that size,
    // so that reading past them is caught.
    std::vector<unsigned char> message(data, data + size);
    const std::vector<SrvTarget> records =
        parseSrvAnswer(message.empty() ? nullptr : message.data(), static_cast<int>(message.size()));
    // Each record needs at least a 12-byte header, 11 bytes of record and 7 of data.
    TV_FUZZ_CHECK(records.size() * 18 <= size, QString::number(records.size()));
    const std::vector<SrvTarget> ordered = orderSrvTargets(records, [](uint32_t max) { return max / 2; });
    TV_FUZZ_CHECK(ordered.size() <= records.size(), QString::number(ordered.size()));
    for (size_t i = 1; i < ordered.size(); ++i)
        TV_FUZZ_CHECK(ordered[i - 1].priority <= ordered[i].priority, ordered[i].host);
    for (const SrvTarget& t : ordered) {
        TV_FUZZ_CHECK(!t.host.isEmpty() && t.host != QStringLiteral("."), t.host);
        const auto same = [&](const SrvTarget& r) { return r.host == t.host && r.port == t.port; };
        TV_FUZZ_CHECK(std::count_if(ordered.begin(), ordered.end(), same) ==
                          std::count_if(records.begin(), records.end(), same),
                      t.host);
    }
}
