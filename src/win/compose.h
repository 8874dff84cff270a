// The composition root: registers the factories of the upper layers' objects.
#pragma once

namespace qbx {

struct Plugin;

void installSubsystems(Plugin& plugin);

}  // namespace qbx
