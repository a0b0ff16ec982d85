#include "platform/directory/SrvRecords.h"

#include <arpa/inet.h>
#include <arpa/nameser.h>
#include <netinet/in.h>
#include <resolv.h>

#include <QRandomGenerator>
#include <algorithm>
#include <cstring>

namespace platform::directory {
namespace {

// The largest DNS message (its length is a 16-bit field).
constexpr size_t kMaxDnsMessage = 65535;

}  // namespace

std::vector<SrvTarget> parseSrvAnswer(const unsigned char* message, int length) {
    std::vector<SrvTarget> out;
    ns_msg handle;
    if (!message || length <= 0 || ns_initparse(message, length, &handle) != 0) return out;
    const int count = ns_msg_count(handle, ns_s_an);
    for (int i = 0; i < count; ++i) {
        ns_rr rr;
        if (ns_parserr(&handle, ns_s_an, i, &rr) != 0) break;
        if (ns_rr_type(rr) != ns_t_srv || ns_rr_rdlen(rr) < 7) continue;
        const unsigned char* rd = ns_rr_rdata(rr);
        SrvTarget t;
        t.priority = ns_get16(rd);
        t.weight = ns_get16(rd + 2);
        t.port = ns_get16(rd + 4);
        char name[NS_MAXDNAME] = {};
        if (ns_name_uncompress(ns_msg_base(handle), ns_msg_end(handle), rd + 6, name, sizeof name) < 0) continue;
        t.host = QString::fromLatin1(name);
        out.push_back(std::move(t));
    }
    return out;
}

std::vector<SrvTarget> orderSrvTargets(std::vector<SrvTarget> records,
                                       const std::function<uint32_t(uint32_t)>& random) {
    std::vector<SrvTarget> ordered;
    if (records.size() == 1 && (records[0].host.isEmpty() || records[0].host == QStringLiteral(".")))
        return ordered;
    records.erase(std::remove_if(records.begin(), records.end(),
                                 [](const SrvTarget& t) { return t.host.isEmpty() || t.host == QStringLiteral("."); }),
                  records.end());
    std::stable_sort(records.begin(), records.end(),
                     [](const SrvTarget& a, const SrvTarget& b) { return a.priority < b.priority; });
    auto begin = records.begin();
    while (begin != records.end()) {
        auto end = std::find_if(begin, records.end(),
                                [&](const SrvTarget& t) { return t.priority != begin->priority; });
        std::vector<SrvTarget> group(begin, end);
        // Zero weights first, as the RFC puts them, so they keep a small chance.
        std::stable_partition(group.begin(), group.end(), [](const SrvTarget& t) { return t.weight == 0; });
        while (!group.empty()) {
            uint32_t sum = 0;
            for (const SrvTarget& t : group) sum += t.weight;
            const uint32_t pick = random(sum);
            uint32_t running = 0;
            auto chosen = group.begin();
            for (auto it = group.begin(); it != group.end(); ++it) {
                running += it->weight;
                if (running >= pick) {
                    chosen = it;
                    break;
                }
            }
            ordered.push_back(*chosen);
            group.erase(chosen);
        }
        begin = end;
    }
    return ordered;
}

std::vector<SrvTarget> lookupSrv(const QString& name, const QString& nameServer) {
    struct __res_state state;
    std::memset(&state, 0, sizeof state);
    if (res_ninit(&state) != 0) return {};
    // Two tries of two seconds per server: a dead name server costs little.
    state.retrans = 2;
    state.retry = 2;
    if (!nameServer.isEmpty()) {
        const int colon = nameServer.indexOf(u':');
        const QString ip = colon < 0 ? nameServer : nameServer.left(colon);
        const int port = colon < 0 ? 53 : nameServer.mid(colon + 1).toInt();
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<uint16_t>(port));
        if (port > 0 && port < 65536 && inet_pton(AF_INET, ip.toLatin1().constData(), &addr.sin_addr) == 1) {
            state.nscount = 1;
            state.nsaddr_list[0] = addr;
        }
    }
    // The resolver answers the length of the whole answer even when it did not
    // fit (a large domain's answer comes over TCP): ask again with room for it.
    const QByteArray qname = name.toUtf8();
    std::vector<unsigned char> answer(8192);
    int n = res_nquery(&state, qname.constData(), ns_c_in, ns_t_srv, answer.data(), static_cast<int>(answer.size()));
    if (n > static_cast<int>(answer.size())) {
        answer.resize(std::min<size_t>(static_cast<size_t>(n), kMaxDnsMessage));
        n = res_nquery(&state, qname.constData(), ns_c_in, ns_t_srv, answer.data(), static_cast<int>(answer.size()));
    }
    res_nclose(&state);
    if (n <= 0) return {};
    // Never more than was received, should the answer have grown meanwhile.
    return orderSrvTargets(parseSrvAnswer(answer.data(), std::min(n, static_cast<int>(answer.size()))),
                           [](uint32_t max) { return max == 0 ? 0u : QRandomGenerator::global()->bounded(max + 1); });
}

}  // namespace platform::directory
