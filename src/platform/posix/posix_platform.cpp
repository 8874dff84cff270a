// Placeholder: the native stand-ins are being written.
#include "platform/platform.h"

namespace qbx {
Platform systemPlatform() { return Platform{}; }
}  // namespace qbx
