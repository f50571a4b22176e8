// WriteWholeFile and TFileReplacement: a file is replaced only by complete content, never through a
// link to something that is not a regular file, and never truncated before its new content fits.

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/random.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/Exception.h"
#include "platform/FileHandle.h"
#include "platform/Files.h"

namespace vorn {

namespace {

constexpr std::string_view kTemporaryPrefix = "/.vorn-";
// The piece in which an unnamed file that cannot be linked in is copied to a named one.
constexpr std::uint64_t kCopyBytes = std::uint64_t{1} << 20;

std::string SystemText(int error) {
  return std::strerror(error);
}

[[noreturn]] void RaiseWriteError(const std::string& path, int error) {
  throw EFileError("Cannot create or write file \"" + path + "\". System error, code " +
                   std::to_string(error) + ": " + SystemText(error));
}

[[noreturn]] void RaiseRefusal(const std::string& path, const std::string& reason) {
  throw EFileError("Cannot write file \"" + path + "\": " + reason + ".");
}

std::string KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "a special file";
}

std::string LinkContent(const std::string& path) {
  std::string text(PATH_MAX, '\0');
  const ssize_t length = ::readlink(path.c_str(), text.data(), text.size());
  text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return text;
}

mode_t CurrentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

// The file that writing to a destination replaces, and what the replacement keeps of it.
struct TWriteTarget {
  std::string Path;
  bool Exists = false;
  mode_t Mode = 0;
  uid_t Owner = 0;
  gid_t Group = 0;
  bool HardLinked = false;
};

TWriteTarget ResolveTarget(const std::string& path, TWriteMode mode) {
  TWriteTarget target{path};
  // A new file takes its name only as it is linked in, which fails on a taken name: a look
  // now would repeat that, and in a folder that others write to it waits on their writes.
  if (mode == TWriteMode::CreateNew) return target;
  struct stat entry {};
  if (::lstat(path.c_str(), &entry) != 0) {
    if (errno != ENOENT) RaiseWriteError(path, errno);
    return target;
  }
  struct stat file = entry;
  if (S_ISLNK(entry.st_mode)) {
    const std::string named = LinkContent(path);
    if (::stat(path.c_str(), &file) != 0) {
      const int error = errno;
      if (error == ENOENT) {
        RaiseRefusal(path, "it is a symbolic link to \"" + named + "\", which does not exist");
      }
      RaiseRefusal(path,
                   "it is a symbolic link that cannot be followed (" + SystemText(error) + ")");
    }
    if (!S_ISREG(file.st_mode)) {
      RaiseRefusal(path, "it is a symbolic link to \"" + named + "\", which is " +
                             KindOf(file.st_mode) + ", not a regular file");
    }
    // The link stays a link: the file it names is replaced.
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
    if (!real) RaiseWriteError(path, errno);
    target.Path = real.get();
  } else if (!S_ISREG(entry.st_mode)) {
    RaiseRefusal(path, "it is " + KindOf(entry.st_mode) + ", not a regular file");
  }
  target.Exists = true;
  target.Mode = file.st_mode & 07777;
  target.Owner = file.st_uid;
  target.Group = file.st_gid;
  target.HardLinked = file.st_nlink > 1;
  return target;
}

std::string FolderOf(const std::string& path) {
  const std::string folder = ExtractFileDir(path);
  return folder.empty() ? std::string(".") : folder;
}

bool IsPermissionError(int error) {
  return error == EACCES || error == EPERM || error == EROFS;
}

void WriteAll(int fd, std::string_view data, off_t offset, const std::string& path) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t put =
        ::pwrite(fd, data.data() + done, data.size() - done, offset + static_cast<off_t>(done));
    if (put < 0) {
      if (errno == EINTR) continue;
      RaiseWriteError(path, errno);
    }
    done += static_cast<std::size_t>(put);
  }
}

// Fills data from the file at offset; the bytes are known to be there.
void ReadAll(int fd, std::string& data, off_t offset, const std::string& path) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t got =
        ::pread(fd, data.data() + done, data.size() - done, offset + static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) RaiseWriteError(path, got < 0 ? errno : EIO);
    done += static_cast<std::size_t>(got);
  }
}

// The replacement takes over the permission bits and, where the process may give files
// away, the owner of the file it replaces.
void FinishContent(int fd, const TWriteTarget& target, const std::string& path) {
  if (!target.Exists) return;
  if (::fchmod(fd, target.Mode) != 0) RaiseWriteError(path, errno);
  (void)!::fchown(fd, target.Owner, target.Group);
}

// ---- In place, after reserving the space --------------------------------------------------

void CheckFileSizeLimit(std::size_t size, const std::string& path) {
  struct rlimit limit {};
  if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      size > limit.rlim_cur) {
    RaiseWriteError(path, EFBIG);
  }
}

// Allocates the blocks for size bytes without changing the file, so that a full disk shows
// before anything is written. Where the file system cannot reserve, the writing goes on.
void ReserveSpace(int fd, off_t oldSize, off_t size, const std::string& path) {
  if (size == 0 || ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) == 0) return;
  int error = errno;
  if (error == EOPNOTSUPP || error == ENOSYS) {
    if (size <= oldSize) return;
    // The portable reservation writes zeros past the old end only.
    error = ::posix_fallocate(fd, oldSize, size - oldSize);
    if (error == 0 || error == EOPNOTSUPP || error == ENOSYS || error == EINVAL) return;
  }
  // Give back what a partial reservation took past the end.
  (void)!::ftruncate(fd, oldSize);
  RaiseWriteError(path, error);
}

void WriteInPlace(const TWriteTarget& target, std::string_view data, const std::string& path) {
  FileHandle file(::open(target.Path.c_str(), O_WRONLY | O_CLOEXEC));
  if (file.Get() < 0) RaiseWriteError(path, errno);
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0) RaiseWriteError(path, errno);
  const auto size = static_cast<off_t>(data.size());
  CheckFileSizeLimit(data.size(), path);
  ReserveSpace(file.Get(), info.st_size, size, path);
  WriteAll(file.Get(), data, 0, path);
  if (::ftruncate(file.Get(), size) != 0) RaiseWriteError(path, errno);
  if (file.Close() != 0) RaiseWriteError(path, errno);
}

// ---- Beside the target, then linked in ------------------------------------------------------

std::string RandomSuffix() {
  static constexpr char kLetters[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char bytes[8] = {};
  if (::getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
    const auto seed = static_cast<unsigned>(::getpid()) ^ static_cast<unsigned>(::time(nullptr));
    for (std::size_t i = 0; i < sizeof bytes; ++i) bytes[i] = static_cast<unsigned char>(seed >> i);
  }
  std::string suffix;
  for (unsigned char byte : bytes) suffix += kLetters[byte % (sizeof kLetters - 1)];
  return suffix;
}

// Gives the unnamed file of fd a name; 0 or the error.
int LinkUnnamed(int fd, const std::string& name) {
  const std::string handle = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, handle.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
  const int error = errno;
  if (error != ENOENT || ::access("/proc/self/fd", F_OK) == 0) return error;
  // Without /proc only a process that may open files by handle can link one in.
  return ::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0 ? 0 : errno;
}

bool CannotLink(int error) {
  return error == EPERM || error == ENOENT || error == EOPNOTSUPP;
}

// Gives the complete named temporary file the target's name. A new file takes the name
// only while no entry has it, as a hard link does: EEXIST otherwise, the temporary file kept.
// 0 or the error.
int RenameInto(const std::string& from, const std::string& to, TWriteMode mode) {
  if (mode == TWriteMode::Replace) return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  const int error = errno;
  // Some file systems know no RENAME_NOREPLACE (EINVAL); an old kernel no renameat2.
  if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP) return error;
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  ::unlink(from.c_str());
  return 0;
}

// Links the complete unnamed file in under the target's name: directly when the name is
// free, through a temporary name renamed over the target otherwise. False when the system
// offers no way to link it; nothing has changed then.
bool LinkIn(FileHandle& file, const TWriteTarget& target, TWriteMode mode,
            const std::string& path) {
  if (!target.Exists) {
    const int error = LinkUnnamed(file.Get(), target.Path);
    if (error != 0) {
      if (CannotLink(error)) return false;
      // EEXIST: something took the name since it was looked at; it is not replaced unasked.
      if (error == EEXIST && mode == TWriteMode::CreateNew) throw EFileExists(path);
      RaiseWriteError(path, error);
    }
    if (file.Close() != 0) {
      const int closeError = errno;
      ::unlink(target.Path.c_str());
      RaiseWriteError(path, closeError);
    }
    return true;
  }
  const std::string folder = FolderOf(target.Path);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const std::string name = folder + std::string(kTemporaryPrefix) + RandomSuffix();
    const int error = LinkUnnamed(file.Get(), name);
    if (error == EEXIST) continue;
    if (error != 0) {
      if (CannotLink(error)) return false;
      RaiseWriteError(path, error);
    }
    int failure = file.Close() != 0 ? errno : 0;
    if (failure == 0 && ::rename(name.c_str(), target.Path.c_str()) != 0) failure = errno;
    if (failure != 0) {
      ::unlink(name.c_str());
      RaiseWriteError(path, failure);
    }
    return true;
  }
  RaiseWriteError(path, EEXIST);
}

// Where the file system has no unnamed files: a named temporary file, renamed over the
// target. A process killed meanwhile leaves it behind. -1 when the folder takes no new
// files and the target exists: it is then rewritten in place.
int OpenNamedTemporary(const TWriteTarget& target, const std::string& path, std::string& name) {
  name = FolderOf(target.Path) + std::string(kTemporaryPrefix) + "XXXXXX";
  const int fd = ::mkstemp(name.data());
  if (fd < 0) {
    const int error = errno;
    name.clear();
    if (target.Exists && IsPermissionError(error)) return fd;
    RaiseWriteError(path, error);
  }
  return fd;
}

}  // namespace

// How the content reaches the target: an unnamed file linked in, a named file renamed over
// it, or held here and written in place (which needs its size before it touches the file).
struct TFileReplacement::TState {
  enum class TWay : std::uint8_t { Unnamed, Named, InPlace };
  std::string Path;
  TWriteMode Mode = TWriteMode::Replace;
  TWriteTarget Target;
  TWay Way = TWay::Unnamed;
  std::optional<FileHandle> File;
  std::string TemporaryName;  // of a named file, until it is renamed
  std::string Held;           // the content written in place
  std::uint64_t Written = 0;

  void OpenNamed() {
    File.emplace(OpenNamedTemporary(Target, Path, TemporaryName));
    Way = File->Get() < 0 ? TWay::InPlace : TWay::Named;
  }
  void Append(std::string_view data) {
    if (Way == TWay::InPlace) {
      Held.append(data);
      return;
    }
    WriteAll(File->Get(), data, static_cast<off_t>(Written), Path);
    Written += data.size();
  }
  // The unnamed file could not be linked in: its content goes to a named file instead.
  void MoveToNamedFile() {
    FileHandle unnamed(File->Release());
    OpenNamed();
    std::string piece(std::min<std::uint64_t>(Written, kCopyBytes), '\0');
    const std::uint64_t size = std::exchange(Written, 0);
    for (std::uint64_t done = 0; done < size; done += piece.size()) {
      piece.resize(std::min<std::uint64_t>(size - done, kCopyBytes));
      ReadAll(unnamed.Get(), piece, static_cast<off_t>(done), Path);
      Append(piece);
    }
  }
  void CommitNamed() {
    FinishContent(File->Get(), Target, Path);
    if (!Target.Exists && ::fchmod(File->Get(), 0666 & ~CurrentUmask()) != 0) {
      RaiseWriteError(Path, errno);
    }
    if (File->Close() != 0) RaiseWriteError(Path, errno);
    const int error = RenameInto(TemporaryName, Target.Path, Mode);
    if (error == EEXIST && Mode == TWriteMode::CreateNew) throw EFileExists(Path);
    if (error != 0) RaiseWriteError(Path, error);
    TemporaryName.clear();
  }
  void Commit() {
    if (Way == TWay::Unnamed) {
      FinishContent(File->Get(), Target, Path);
      if (LinkIn(*File, Target, Mode, Path)) return;
      MoveToNamedFile();
    }
    if (Way == TWay::InPlace) return WriteInPlace(Target, Held, Path);
    CommitNamed();
  }
};

TFileReplacement::TFileReplacement(const std::string& path, TWriteMode mode)
    : State_(std::make_unique<TState>()) {
  TState& state = *State_;
  state.Path = path;
  state.Mode = mode;
  state.Target = ResolveTarget(path, mode);
  if (state.Target.HardLinked) {
    state.Way = TState::TWay::InPlace;
    return;
  }
  // A new file gets the usual permissions (0666 less the umask) from open itself.
  state.File.emplace(::open(FolderOf(state.Target.Path).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC,
                            state.Target.Exists ? 0600 : 0666));
  if (state.File->Get() >= 0) return;
  const int error = errno;
  if (IsPermissionError(error)) {
    if (!state.Target.Exists) RaiseWriteError(path, error);
    state.Way = TState::TWay::InPlace;
    return;
  }
  // No unnamed files here (EOPNOTSUPP from the file system, EISDIR or EINVAL from an
  // older kernel); other errors come back from the named file too.
  state.OpenNamed();
}

TFileReplacement::~TFileReplacement() {
  if (State_ && !State_->TemporaryName.empty()) ::unlink(State_->TemporaryName.c_str());
}

void TFileReplacement::Write(std::string_view data) {
  if (!State_) throw Exception("A file replacement is committed only once.");
  State_->Append(data);
}

void TFileReplacement::Commit() {
  if (!State_) throw Exception("A file replacement is committed only once.");
  State_->Commit();
  State_.reset();
}

void WriteWholeFile(const std::string& path, std::string_view data, TWriteMode mode) {
  TFileReplacement file(path, mode);
  file.Write(data);
  file.Commit();
}

void ReportFileSizeLimitAsError() {
  ::signal(SIGXFSZ, SIG_IGN);
}

bool EntryExists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

bool FileIdentity(const std::string& path, TFileId& id) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return false;
  id = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
  return true;
}

bool SameFile(const std::string& first, const std::string& second) {
  TFileId a;
  TFileId b;
  return FileIdentity(first, a) && FileIdentity(second, b) && a == b;
}

bool SameEntry(const std::string& first, const std::string& second) {
  return ExtractFileName(first) == ExtractFileName(second) &&
         SameFile(FolderOf(first), FolderOf(second));
}

}  // namespace vorn
