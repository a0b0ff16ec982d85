// The event sink of per-user journaling, "Tavimor.TavimorCls": the component
// identity the application catalog reads, and the save event the store calls
// for every report saved into a journal folder that holds its registration.

#include "platform/plugin/ComponentIdentity.h"
#include "platform/plugin/EventSink.h"
#include "sink/DirectoryCache.h"
#include "sink/HostServices.h"
#include "sink/Journaler.h"
#include "sink/SinkLog.h"

#include <mutex>

#define TV_EXPORT extern "C" __attribute__((visibility("default")))

TV_EXPORT const TvComponentIdentity* tv_component_identity(void) {
    static const TvComponentIdentity identity{TV_COMPONENT_ABI, "Tavimor.TavimorCls", TAVIMOR_VERSION};
    return &identity;
}

TV_EXPORT int tv_sink_onsyncsave(const tv_sink_host* host, const tv_sink_event* event) {
    // Whatever goes wrong in here, the report is kept: an exception never
    // crosses into the store.
    try {
        if (!host || !event || host->abi < 1) return TV_SINK_CONTINUE;
        static sink::DirectoryCache cache;
        static sink::SyslogLog log;
        static std::mutex lock;
        const std::lock_guard guard(lock);
        sink::HostServices services(*host);
        // Directory answers are kept 60 seconds unless the host process says otherwise.
        bool set = false;
        const int seconds = qEnvironmentVariableIntValue("TAVIMOR_SINK_CACHE_SECONDS", &set);
        cache.setTtl(set && seconds >= 0 ? seconds * 1000LL : 60000);
        cache.setBackend(&services);
        const sink::Verdict v = sink::journal(sink::eventOf(*event), cache, log);
        cache.setBackend(nullptr);
        return v == sink::Verdict::Drop ? TV_SINK_ABORT : TV_SINK_CONTINUE;
    } catch (...) {
        return TV_SINK_CONTINUE;
    }
}
