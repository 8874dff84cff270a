#include "win/compose.h"

#include "core/plugin.h"

namespace qbx {

void installSubsystems(Plugin& /*plugin*/) {
    // Statistics, scripting, variables, the tray module and the dialog register here as they
    // are built; until then their start-up steps find no object.
}

}  // namespace qbx
