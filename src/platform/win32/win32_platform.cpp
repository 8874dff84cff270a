// Placeholder: the Win32 services are being written.
#include "platform/platform.h"

namespace qbx {
Platform systemPlatform() { return Platform{}; }
}  // namespace qbx
