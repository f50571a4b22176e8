#include "tests/cli/CliRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>
#include <utility>

extern char** environ;

namespace vorn::test {

namespace {

class TFd {
 public:
  TFd() = default;
  explicit TFd(int fd) : Fd_(fd) {}
  ~TFd() { Close(); }
  TFd(TFd&& other) noexcept : Fd_(std::exchange(other.Fd_, -1)) {}
  TFd& operator=(TFd&& other) noexcept {
    if (this != &other) {
      Close();
      Fd_ = std::exchange(other.Fd_, -1);
    }
    return *this;
  }
  int Get() const { return Fd_; }
  void Close() {
    if (Fd_ >= 0) ::close(Fd_);
    Fd_ = -1;
  }

 private:
  int Fd_ = -1;
};

struct TPipe {
  TFd Read;
  TFd Write;
};

TPipe MakePipe() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  return {TFd(fds[0]), TFd(fds[1])};
}

// A pseudo-terminal pair: the program writes to the follower, the test reads the leader.
struct TTerminal {
  TFd Leader;
  TFd Follower;
};

TTerminal MakeTerminal() {
  TFd leader(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
  if (leader.Get() < 0 || ::grantpt(leader.Get()) != 0 || ::unlockpt(leader.Get()) != 0) {
    throw std::runtime_error("no pseudo-terminal");
  }
  TFd follower(::open(::ptsname(leader.Get()), O_RDWR | O_NOCTTY | O_CLOEXEC));
  if (follower.Get() < 0) throw std::runtime_error("cannot open the pseudo-terminal");
  return {std::move(leader), std::move(follower)};
}

class TFileActions {
 public:
  TFileActions() { posix_spawn_file_actions_init(&Actions_); }
  ~TFileActions() { posix_spawn_file_actions_destroy(&Actions_); }
  TFileActions(const TFileActions&) = delete;
  TFileActions& operator=(const TFileActions&) = delete;
  posix_spawn_file_actions_t* Get() { return &Actions_; }

 private:
  posix_spawn_file_actions_t Actions_;
};

// Reads both streams until both are closed, so that neither pipe fills up and blocks
// the child. A terminal leader reports EIO once the child's side is gone.
void Drain(int outFd, int errFd, std::string& out, std::string& err) {
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  std::string* targets[2] = {&out, &err};
  int open = 2;
  char buffer[65536];
  while (open > 0) {
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("poll failed");
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        targets[i]->append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        fds[i].fd = -1;
        --open;
      }
    }
  }
}

int WaitFor(pid_t pid, long& peakResidentKb) {
  int status = 0;
  rusage usage{};
  while (::wait4(pid, &status, 0, &usage) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  }
  peakResidentKb = usage.ru_maxrss;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + WTERMSIG(status);
}

}  // namespace

namespace {

TCliResult Run(const std::string& program, bool searchPath, std::vector<std::string> words,
               TErrorStream errorStream, const std::string& inputPath);

}  // namespace

TCliResult RunCli(const std::vector<std::string>& args, TErrorStream errorStream) {
  std::vector<std::string> words = {VORN_CLI_PATH};
  words.insert(words.end(), args.begin(), args.end());
  return Run(VORN_CLI_PATH, false, words, errorStream, "/dev/null");
}

TCliResult RunCliAfter(const std::string& prefix, const std::vector<std::string>& args) {
  std::vector<std::string> words = {"/bin/sh", "-c", prefix + " \"$0\" \"$@\"", VORN_CLI_PATH};
  words.insert(words.end(), args.begin(), args.end());
  return Run("/bin/sh", false, words, TErrorStream::Pipe, "/dev/null");
}

TCliResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& inputPath) {
  std::vector<std::string> words = {program};
  words.insert(words.end(), args.begin(), args.end());
  return Run(program, true, words, TErrorStream::Pipe, inputPath);
}

std::string AsNobody() {
  return ::geteuid() == 0 ? "exec setpriv --reuid=65534 --regid=65534 --clear-groups" : "exec";
}

namespace {

TCliResult Run(const std::string& program, bool searchPath, std::vector<std::string> words,
               TErrorStream errorStream, const std::string& inputPath) {
  TPipe out = MakePipe();
  TPipe errPipe;
  TTerminal terminal;
  if (errorStream == TErrorStream::Terminal) {
    terminal = MakeTerminal();
  } else {
    errPipe = MakePipe();
  }
  const int errWrite =
      errorStream == TErrorStream::Terminal ? terminal.Follower.Get() : errPipe.Write.Get();
  const int errRead =
      errorStream == TErrorStream::Terminal ? terminal.Leader.Get() : errPipe.Read.Get();

  TFileActions actions;
  posix_spawn_file_actions_addopen(actions.Get(), 0, inputPath.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(actions.Get(), out.Write.Get(), 1);
  posix_spawn_file_actions_adddup2(actions.Get(), errWrite, 2);

  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);

  pid_t pid = 0;
  const int started =
      searchPath ? posix_spawnp(&pid, program.c_str(), actions.Get(), nullptr, argv.data(), environ)
                 : posix_spawn(&pid, program.c_str(), actions.Get(), nullptr, argv.data(), environ);
  if (started != 0) throw std::runtime_error("cannot start " + program);
  out.Write.Close();
  errPipe.Write.Close();
  terminal.Follower.Close();

  TCliResult result;
  Drain(out.Read.Get(), errRead, result.Out, result.Err);
  result.Status = WaitFor(pid, result.PeakResidentKb);
  return result;
}

}  // namespace

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = line.find('\t', start);
    fields.push_back(
        line.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return fields;
    start = end + 1;
  }
}

}  // namespace vorn::test
