#include "app/Wiring.h"

#include "app/InstallForm.h"

namespace app {

void wireSubsystems(InstallForm& form) {
    (void)form;
}

}  // namespace app
