#pragma once

#include "platform/Export.h"

namespace vorn {

// Fills the registry: every format in detection order, then every output profile. Every
// program calls it once at start-up, before anything looks at the registry; later calls
// change nothing.
VORN_API void RegisterBuiltInFormats();

}  // namespace vorn
