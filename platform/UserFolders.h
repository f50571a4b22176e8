#pragma once
// Folders of the program's own in the user's account.

#include <string>

namespace vorn {

// The program's cache folder: $XDG_CACHE_HOME/vorn-lut, else ~/.cache/vorn-lut, else a
// folder of the user's own in the system's temporary folder. Created (with its parents)
// when missing; raises EFileError when it cannot be made.
std::string ProgramCacheFolder();

}  // namespace vorn
