// Compiled with the core layer's view of the sources, this include must fail: the core may
// not use the formats above it.
#include "formats/CubeFormats.h"
