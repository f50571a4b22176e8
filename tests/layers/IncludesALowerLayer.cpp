// Compiled with the core layer's view of the sources, this include must succeed, so that
// the failing counterpart fails for the layer and not for the command.
#include "core/LUT.h"
#include "platform/Files.h"
