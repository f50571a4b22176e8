#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "platform/Exception.h"
#include "platform/FileHandle.h"
#include "platform/Memory.h"

namespace vorn {

namespace {

std::string SystemText(int error) {
  return std::strerror(error);
}

[[noreturn]] void RaiseOpenError(const std::string& path, int error) {
  throw EFileError("Cannot open file \"" + path + "\". " + SystemText(error));
}

// Opens without blocking (a named pipe would wait for a writer) and refuses anything that
// is not a regular file: folders, pipes and devices have no end to read to. Reading a regular
// file ignores O_NONBLOCK, so the flag is left set.
int OpenForReading(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) RaiseOpenError(path, errno);
  FileHandle file(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0) RaiseOpenError(path, errno);
  if (S_ISDIR(info.st_mode)) RaiseOpenError(path, EISDIR);
  if (!S_ISREG(info.st_mode)) {
    throw EFileError("Cannot open file \"" + path + "\". It is not a regular file");
  }
  return file.Release();
}

// Reads up to maxBytes; a read error is reported against the path.
std::string ReadFrom(int fd, const std::string& path, std::size_t maxBytes, std::size_t hint) {
  std::string data;
  const std::size_t initial = std::min(maxBytes, hint > 0 ? hint : std::size_t{65536});
  data.reserve(initial);
  AdviseHugePages(data.data(), initial);
  data.resize(initial);
  std::size_t filled = 0;
  while (filled < maxBytes) {
    if (filled == data.size()) data.resize(std::min(maxBytes, data.size() * 2));
    ssize_t got = ::read(fd, data.data() + filled, data.size() - filled);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw EFileError("Cannot read file \"" + path + "\". " + SystemText(errno));
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  data.resize(filled);
  return data;
}

// As ReadFrom, into a buffer whose new bytes need no zeroing first.
void ReadInto(int fd, const std::string& path, std::size_t hint, TByteBuffer& buffer) {
  buffer.Resize(hint > 0 ? hint : std::size_t{65536});
  std::size_t filled = 0;
  for (;;) {
    if (filled == buffer.Size()) buffer.Resize(buffer.Size() * 2);
    const ssize_t got = ::read(fd, buffer.Data() + filled, buffer.Size() - filled);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw EFileError("Cannot read file \"" + path + "\". " + SystemText(errno));
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  buffer.Resize(filled);
}

std::size_t FileSizeHint(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || info.st_size <= 0) return 0;
  return static_cast<std::size_t>(info.st_size) + 1;  // one more byte to see the end at once
}

}  // namespace

std::string ReadWholeFile(const std::string& path) {
  FileHandle file(OpenForReading(path));
  return ReadFrom(file.Get(), path, static_cast<std::size_t>(-1) / 2, FileSizeHint(file.Get()));
}

std::FILE* OpenStreamForReading(const std::string& path) {
  FileHandle file(OpenForReading(path));
  std::FILE* stream = ::fdopen(file.Get(), "rb");
  if (stream == nullptr) RaiseOpenError(path, errno);
  file.Release();
  return stream;
}

void ReadWholeFileInto(const std::string& path, TByteBuffer& buffer) {
  FileHandle file(OpenForReading(path));
  ReadInto(file.Get(), path, FileSizeHint(file.Get()), buffer);
}

TFileReader::TFileReader(const std::string& path) : Fd_(OpenForReading(path)), Path_(path) {}

TFileReader::~TFileReader() {
  ::close(Fd_);
}

std::size_t TFileReader::Read(char* data, std::size_t size) {
  std::size_t filled = 0;
  while (filled < size) {
    const ssize_t got = ::read(Fd_, data + filled, size - filled);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw EFileError("Cannot read file \"" + Path_ + "\". " + SystemText(errno));
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  return filled;
}

std::string ReadFileBytes(const std::string& path, std::size_t maxBytes) {
  FileHandle file(OpenForReading(path));
  return ReadFrom(file.Get(), path, maxBytes, maxBytes);
}

std::uint64_t FileSizeOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0 || info.st_size < 0) return 0;
  return static_cast<std::uint64_t>(info.st_size);
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

namespace {

bool NameLess(const std::string& left, const std::string& right) {
  auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
  const auto mismatch =
      std::mismatch(left.begin(), left.end(), right.begin(), right.end(), [&](char a, char b) {
        return lower(static_cast<unsigned char>(a)) == lower(static_cast<unsigned char>(b));
      });
  if (mismatch.first == left.end() || mismatch.second == right.end()) {
    if (left.size() != right.size()) return left.size() < right.size();
    return left < right;
  }
  return lower(static_cast<unsigned char>(*mismatch.first)) <
         lower(static_cast<unsigned char>(*mismatch.second));
}

// A link to nothing (or to itself) is passed over; any other entry that cannot be looked at
// (a path longer than the system takes, a folder that may not be searched) is an error.
bool IsBrokenLink(const std::error_code& error) {
  return error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory ||
         error == std::errc::too_many_symbolic_link_levels;
}

// The entry's type as the folder's listing gave it; a link, or an entry whose type could
// not be had, is given as a link for the caller to look at where it leads.
std::filesystem::file_type ListedType(const std::filesystem::directory_entry& entry) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (entry.is_symlink(error) || error) return fs::file_type::symlink;
  if (entry.is_directory(error)) return fs::file_type::directory;
  if (entry.is_regular_file(error)) return fs::file_type::regular;
  return error ? fs::file_type::symlink : fs::file_type::unknown;
}

// visited holds the folders walked so far (by their canonical paths): a link back to one
// of them is not walked again.
void AddFolderTree(const std::filesystem::path& folder, std::vector<std::string>& files,
                   std::set<std::filesystem::path>& visited) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path canonical = fs::canonical(folder, error);
  if (!error && !visited.insert(canonical).second) return;
  // The entries' types come with the listing: files need no look of their own.
  std::vector<std::pair<std::string, fs::file_type>> entries;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    entries.emplace_back(it->path().filename().string(), ListedType(*it));
  }
  if (error) {
    throw EFileError("Cannot read folder \"" + folder.string() + "\". " + error.message());
  }
  std::sort(entries.begin(), entries.end(),
            [](const auto& left, const auto& right) { return NameLess(left.first, right.first); });
  for (const auto& [name, listedType] : entries) {
    const fs::path path = folder / name;
    fs::file_type type = listedType;
    // A folder is looked at before it is walked, so that a path the system cannot take is
    // named as the entry it is.
    if (type == fs::file_type::symlink || type == fs::file_type::directory) {
      const fs::file_status status = fs::status(path, error);
      if (error && !IsBrokenLink(error)) {
        throw EFileError("Cannot read \"" + path.string() + "\". " + error.message());
      }
      type = status.type();
    }
    if (type == fs::file_type::directory) {
      AddFolderTree(path, files, visited);
    } else if (type == fs::file_type::regular) {
      files.push_back(path.string());
    }
  }
}

}  // namespace

std::vector<std::string> FilesInFolderTree(const std::string& folder) {
  std::vector<std::string> files;
  std::set<std::filesystem::path> visited;
  AddFolderTree(folder, files, visited);
  return files;
}

std::optional<std::unordered_set<std::string>> EntryNamesIn(const std::string& folder) {
  namespace fs = std::filesystem;
  std::unordered_set<std::string> names;
  std::error_code error;
  fs::directory_iterator it(folder.empty() ? std::string(".") : folder, error);
  if (error) {
    if (error == std::errc::no_such_file_or_directory) return names;
    return std::nullopt;
  }
  for (fs::directory_iterator end; it != end; it.increment(error)) {
    if (error) return std::nullopt;
    names.insert(it->path().filename().string());
  }
  return names;
}

namespace {

bool IsWithin(const std::filesystem::path& path, const std::filesystem::path& folder) {
  auto [inFolder, inPath] = std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
  return inFolder == folder.end();
}

[[noreturn]] void RaiseInTheWay(const std::string& path) {
  throw EFileError("Cannot create the folder \"" + path +
                   "\": an entry that is not a folder is in the way.");
}

// The entry at path, made a folder first when there is none.
struct stat FolderEntry(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0) return info;
  if (errno != ENOENT) throw EFileError("Cannot read \"" + path + "\". " + SystemText(errno));
  if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
    throw EFileError("Cannot create the folder \"" + path + "\". " + SystemText(errno));
  }
  if (::lstat(path.c_str(), &info) != 0) {
    throw EFileError("Cannot read \"" + path + "\". " + SystemText(errno));
  }
  return info;
}

}  // namespace

void MakeFoldersBelow(const std::string& base, const std::string& relative) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path top = fs::canonical(base.empty() ? "/" : base, error);
  if (error) throw EFileError("Cannot open folder \"" + base + "\". " + error.message());
  std::string path = base;
  std::size_t start = 0;
  while (start <= relative.size()) {
    const std::size_t end = std::min(relative.find('/', start), relative.size());
    const std::string name = relative.substr(start, end - start);
    start = end + 1;
    if (name.empty() || name == ".") continue;
    if (name == "..") {
      throw EFileError("The folder \"" + relative + "\" leads out of \"" + base + "\".");
    }
    path += "/" + name;
    const struct stat info = FolderEntry(path);
    if (S_ISLNK(info.st_mode)) {
      const fs::path target = fs::canonical(path, error);
      if (error || !IsWithin(target, top)) {
        throw EFileError("Cannot create the folder \"" + path +
                         "\": it is a symbolic link that leads out of \"" + base + "\".");
      }
      if (!fs::is_directory(target, error)) RaiseInTheWay(path);
    } else if (!S_ISDIR(info.st_mode)) {
      RaiseInTheWay(path);
    }
  }
}

std::string ExtractFileName(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExtractFileDir(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return std::string();
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string ExtractFileExt(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return path.substr(dot);
}

std::string ChangeFileExt(const std::string& path, const std::string& newExt) {
  std::string ext = ExtractFileExt(path);
  return path.substr(0, path.size() - ext.size()) + newExt;
}

}  // namespace vorn

namespace vorn {

TTemporaryFolder::TTemporaryFolder(const std::string& prefix) {
  std::error_code error;
  std::string pattern =
      (std::filesystem::temp_directory_path(error) / (prefix + "-XXXXXX")).string();
  if (error || ::mkdtemp(pattern.data()) == nullptr) {
    throw EFileError("Cannot create a temporary folder \"" + pattern + "\". " +
                     SystemText(error ? error.value() : errno));
  }
  Path_ = pattern;
}

TTemporaryFolder::~TTemporaryFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(Path_, ignored);
}

}  // namespace vorn
