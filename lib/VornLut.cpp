#include "lib/VornLut.h"

namespace vorn {

const char* LibraryVersion() {
  return VORN_VERSION;
}

}  // namespace vorn
