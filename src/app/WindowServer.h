#pragma once
// The Exchange server the window works on, settled before the store tree is
// built: the one start-up found or was given when it is one of the
// organisation's servers, else one of them chosen.

#include "app/Wiring.h"

namespace app {

class InstallForm;

struct WindowServer {
    ServerSelection selection;
    bool settled = false;  // known to be one of the organisation's servers
};

// Whether the tree may be built: the server is one of the organisation's, or one
// of them is chosen now (and used). Otherwise the error log says why, and the
// next call asks again. A directory that cannot be asked lets the tree's build
// run, which reports it.
bool settleServer(InstallForm& f, WindowServer& server);

}  // namespace app
