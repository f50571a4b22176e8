#include "tests/support/TestSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "core/LUTFormat.h"

extern char** environ;

namespace vorn::test {

std::string TempDir::Write(std::string_view name, std::string_view content) const {
  std::string path = File(name);
  std::ofstream out(path, std::ios::binary);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
  return path;
}

std::string WithoutCounts(const std::string& message) {
  return message.starts_with(kIncompleteFile) ? std::string(kIncompleteFile) : message;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string CorpusDir() {
  std::string dir = VORN_CORPUS_DIR;
  return std::filesystem::is_directory(dir) ? dir : std::string();
}

bool HasProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string_view rest = path != nullptr ? path : "";
  while (!rest.empty()) {
    const std::size_t colon = rest.find(':');
    const std::string dir(rest.substr(0, colon));
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    if (!dir.empty() && ::access((dir + "/" + name).c_str(), X_OK) == 0) return true;
  }
  return false;
}

TProgramResult RunProgram(const std::vector<std::string>& argv) {
  // Standard output goes to a file, so that no pipe can fill up and stall the program.
  const TempDir dir;
  const std::string outPath = dir.File("stdout");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<std::string> words = argv;
  std::vector<char*> pointers;
  for (std::string& word : words) pointers.push_back(word.data());
  pointers.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, pointers[0], &actions, nullptr, pointers.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) throw std::runtime_error("cannot start " + argv.at(0));
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  }
  TProgramResult result;
  result.Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  result.Out = ReadFile(outPath);
  return result;
}

const TLutOutputProfile& ProfileNamed(const std::string& name) {
  for (const auto& profile : OutputProfiles()) {
    if (profile->Name == name) return *profile;
  }
  throw std::runtime_error("no output profile " + name);
}

std::string TProgressRecord::Problem(std::size_t total) const {
  std::string reports;
  for (const auto& [done, of] : Reports_) {
    reports += ' ' + std::to_string(done) + '/' + std::to_string(of);
  }
  const auto wrong = [&](const std::string& what) { return what + ", reports:" + reports; };
  if (Reports_.empty()) return "no report";
  for (std::size_t i = 0; i < Reports_.size(); ++i) {
    if (Reports_[i].second != total) return wrong("a total other than " + std::to_string(total));
    if (Reports_[i].first > total) return wrong("more done than the total");
    if (i > 0 && Reports_[i].first < Reports_[i - 1].first) return wrong("done decreased");
  }
  if (Reports_.back().first != total) return wrong("the last report is short of the total");
  return "";
}

std::string FirstDifference(const std::string& a, const std::string& b) {
  if (a == b) return {};
  std::size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
  return "differ at byte " + std::to_string(at) + " of " + std::to_string(a.size()) + " and " +
         std::to_string(b.size()) + ": \"" + a.substr(at, 40) + "\" against \"" + b.substr(at, 40) +
         "\"";
}

TOnOneCore::TOnOneCore() {
  if (::sched_getaffinity(0, sizeof Before_, &Before_) != 0) {
    throw std::runtime_error("the allowed cores cannot be read");
  }
  int first = 0;
  while (!CPU_ISSET(first, &Before_)) ++first;
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(first, &one);
  if (::sched_setaffinity(0, sizeof one, &one) != 0) {
    throw std::runtime_error("the thread cannot be held to one core");
  }
}

TOnOneCore::~TOnOneCore() {
  ::sched_setaffinity(0, sizeof Before_, &Before_);
}

}  // namespace vorn::test
