#include "platform/UserFolders.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/Exception.h"

namespace vorn {

namespace {

constexpr const char* kProgramFolder = "vorn-lut";

// An environment value that is set to an absolute path (the XDG rules ignore others).
std::string AbsoluteEnvironmentPath(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return {};
  return value;
}

std::filesystem::path CacheBase() {
  const std::string xdg = AbsoluteEnvironmentPath("XDG_CACHE_HOME");
  if (!xdg.empty()) return xdg;
  const std::string home = AbsoluteEnvironmentPath("HOME");
  if (!home.empty()) return std::filesystem::path(home) / ".cache";
  std::error_code ignored;
  return std::filesystem::temp_directory_path(ignored) /
         ("vorn-lut-cache-" + std::to_string(::getuid()));
}

}  // namespace

std::string ProgramCacheFolder() {
  const std::filesystem::path folder = CacheBase() / kProgramFolder;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error || !std::filesystem::is_directory(folder)) {
    throw EFileError("Cannot create the folder \"" + folder.string() + "\". " +
                     (error ? error.message() : std::string("It is not a folder")));
  }
  return folder.string();
}

}  // namespace vorn
