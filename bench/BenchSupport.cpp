#include "bench/BenchSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <stdexcept>

namespace vorn::bench {

const TLutOutputProfile& ProfileNamed(const std::string& name) {
  for (const auto& profile : OutputProfiles()) {
    if (profile->Name == name) return *profile;
  }
  throw std::runtime_error("no output profile named " + name);
}

std::unique_ptr<TLUT> SampleGrid(int size, const TGrade& grade) {
  auto lut = std::make_unique<TLUT>();
  lut->Kind = lk3D;
  lut->Size3D = size;
  const double step = 1.0 / (size - 1);
  for (int r = 0; r < size; ++r) {
    for (int g = 0; g < size; ++g) {
      for (int b = 0; b < size; ++b) lut->SetNode(r, g, b, grade(r * step, g * step, b * step));
    }
  }
  return lut;
}

std::string WriteLut(const TTemporaryFolder& dir, const std::string& name, const TLUT& lut,
                     const TLutOutputProfile& profile) {
  const std::string path = dir.File(name);
  SaveLut(path, lut, profile, -1);
  return path;
}

double RunVornLut(const std::vector<std::string>& args) {
  std::vector<std::string> words = {VORN_CLI_PATH};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int started = posix_spawn(&pid, VORN_CLI_PATH, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (started != 0) throw std::runtime_error("cannot start vorn-lut");
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error("vorn-lut " + args.front() + " failed");
  }
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace vorn::bench
