#pragma once
// The binary contract between the catalog and a component library. A library that
// can be installed into an application exports one C function, named by
// kComponentIdentitySymbol, that answers a static record naming its class. The
// catalog loads the library, calls it, copies the record and unloads the library.

#ifdef __cplusplus
extern "C" {
#endif

#define TV_COMPONENT_ABI 1

struct TvComponentIdentity {
    int abi;              /* TV_COMPONENT_ABI */
    const char* progId;   /* "Library.Class" */
    const char* version;  /* the library's version, free text */
};

typedef const struct TvComponentIdentity* (*TvComponentIdentityFn)(void);

#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
namespace platform::plugin {
inline constexpr const char* kComponentIdentitySymbol = "tv_component_identity";
}
#endif
