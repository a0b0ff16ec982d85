// The event sink of per-user journaling. For now the library only identifies its
// class to the application catalog, which installs it into the hosted
// application "Tavimor".

#include "platform/complus/ComponentIdentity.h"

extern "C" __attribute__((visibility("default"))) const TvComponentIdentity* tv_component_identity(void) {
    static const TvComponentIdentity identity{TV_COMPONENT_ABI, "Tavimor.TavimorCls", "0.1"};
    return &identity;
}
