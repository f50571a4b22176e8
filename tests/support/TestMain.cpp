// The entry of every test program but the window's: the registry is filled first, as the
// programs do at start-up.

#include <gtest/gtest.h>

#include "formats/Registration.h"

int main(int argc, char** argv) {
  vorn::RegisterBuiltInFormats();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
