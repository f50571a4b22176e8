#include "tests/support/FaultSupport.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace vorn::test {

namespace {
constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;
}  // namespace

TSmallDisk::TSmallDisk(std::size_t bytes) {
  std::string pattern = (std::filesystem::temp_directory_path() / "vorn-disk-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make " + pattern);
  Path_ = pattern;
  const std::string options = "size=" + std::to_string(bytes) + ",mode=0777";
  Mounted_ = ::mount("tmpfs", Path_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0;
}

TSmallDisk::~TSmallDisk() {
  if (Mounted_) ::umount2(Path_.c_str(), MNT_DETACH);
  std::error_code ignored;
  std::filesystem::remove_all(Path_, ignored);
}

void TSmallDisk::Fill() const {
  const std::string path = Path_ + "/filler";
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) throw std::runtime_error("cannot create " + path);
  static const char zeros[4096] = {};
  while (::write(fd, zeros, sizeof zeros) > 0) {
  }
  // The last partial block, byte by byte.
  while (::write(fd, zeros, 1) > 0) {
  }
  ::close(fd);
}

int RunInChild(const TChildLimits& limits, const std::function<int()>& body) {
  const pid_t pid = ::fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    if (limits.Unprivileged && ::geteuid() == 0) {
      if (::setgroups(0, nullptr) != 0 || ::setgid(kNoGroup) != 0 || ::setuid(kNobody) != 0) {
        ::_exit(125);
      }
    }
    ::signal(SIGXFSZ, limits.FileSizeSignalKills ? SIG_DFL : SIG_IGN);
    if (limits.FileSizeLimit > 0) {
      const rlimit limit{limits.FileSizeLimit, limits.FileSizeLimit};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
    }
    int status = 124;
    try {
      status = body();
    } catch (...) {
      status = 123;
    }
    ::_exit(status);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::vector<std::string> EntriesOf(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename());
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool UnderValgrind() {
  return std::getenv("VORN_UNDER_VALGRIND") != nullptr;
}

bool IsRoot() {
  return ::geteuid() == 0;
}

void GiveToNobody(const std::string& path) {
  if (IsRoot() && ::chown(path.c_str(), kNobody, kNoGroup) != 0) {
    throw std::runtime_error("cannot give " + path + " away");
  }
}

}  // namespace vorn::test
