#pragma once
// File services: whole-file and piecewise reads and writes, existence tests. Failures raise
// EFileError with a message that names the file and gives the system's reason.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace vorn {

// The whole content of the file.
std::string ReadWholeFile(const std::string& path);
// A stream over a regular file for libraries that read on demand; the caller closes it.
// Raises the same errors as ReadWholeFile for a file that cannot be opened.
std::FILE* OpenStreamForReading(const std::string& path);

class TByteBuffer;
// The whole content of the file into buffer (its earlier content is replaced).
void ReadWholeFileInto(const std::string& path, TByteBuffer& buffer);

// At most maxBytes from the start of the file (fewer when the file is shorter).
std::string ReadFileBytes(const std::string& path, std::size_t maxBytes);

// Whether a write may replace what is at its destination. CreateNew creates the file
// exclusively: the complete content is linked in under the name only while no entry of any
// kind has it (renameat2 with RENAME_NOREPLACE, or linkat where the file system does not
// offer that), so that of two writers racing for one name exactly one succeeds and the
// other raises EFileExists, leaving the first one's file untouched.
enum class TWriteMode { CreateNew, Replace };

// Replaces the file with data, so that a failure leaves an existing file as it was:
// - the data goes to a temporary file beside the target, unnamed (O_TMPFILE) where the
//   file system offers it, so that a killed process leaves nothing behind, named
//   ".vorn-XXXXXX" otherwise; it is linked in under the target's name only when complete;
// - a symbolic link to a regular file is written through (the link stays a link); a link
//   to anything else, a dangling or looping link, and an entry that is not a regular file
//   (a folder, a named pipe, a device) are refused with a message that names them;
// - a file with further hard links, or one in a folder that takes no new files, is
//   rewritten in place, after the space for the new content is reserved: a full disk or a
//   file-size limit fails before the old content is touched.
// With TWriteMode::CreateNew an existing entry raises EFileExists instead.
void WriteWholeFile(const std::string& path, std::string_view data,
                    TWriteMode mode = TWriteMode::Replace);

// WriteWholeFile in pieces, for content that is not held whole: Write appends, Commit
// replaces the file with everything written, with the same safety and the same rules for
// links, permissions and owners. The target is looked at (and refused) when the object is
// made; until Commit the file is untouched, and an object that goes away without Commit (an
// exception meanwhile) leaves nothing behind. A file rewritten in place (further hard links,
// a folder that takes no new files) has its content held in memory until Commit, which
// reserves the space before it writes.
class TFileReplacement {
 public:
  explicit TFileReplacement(const std::string& path, TWriteMode mode = TWriteMode::Replace);
  ~TFileReplacement();
  TFileReplacement(const TFileReplacement&) = delete;
  TFileReplacement& operator=(const TFileReplacement&) = delete;

  void Write(std::string_view data);
  void Commit();

 private:
  struct TState;
  std::unique_ptr<TState> State_;
};

// Reads a file from its start in pieces, for readers that never need it whole.
class TFileReader {
 public:
  explicit TFileReader(const std::string& path);
  ~TFileReader();
  TFileReader(const TFileReader&) = delete;
  TFileReader& operator=(const TFileReader&) = delete;

  // Fills up to size bytes at data; fewer only at the end of the file, 0 there.
  std::size_t Read(char* data, std::size_t size);

 private:
  int Fd_ = -1;
  std::string Path_;
};

// Writes beyond the process's file-size limit (ulimit -f) then fail with "File too large"
// instead of ending the program with SIGXFSZ. Called once by each program at start-up.
void ReportFileSizeLimitAsError();

// The size in bytes of the file the path leads to; 0 when it cannot be found.
std::uint64_t FileSizeOf(const std::string& path);
// An existing file that is not a folder (symbolic links followed).
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// True when the folder has an entry of that name of any kind: a dangling or looping
// symbolic link counts too.
bool EntryExists(const std::string& path);
// A file as the system knows it, whatever its names.
struct TFileId {
  std::uint64_t Device = 0;
  std::uint64_t Inode = 0;
  auto operator<=>(const TFileId&) const = default;
};
// The identity of the file the path leads to (symbolic links followed); false when there is
// none.
bool FileIdentity(const std::string& path, TFileId& id);
// True when both paths lead to one file (the same device and inode, symbolic links
// followed), whatever their names; false when either is missing.
bool SameFile(const std::string& first, const std::string& second);
// True when both paths are one directory entry: the same name in the same folder (the
// folders compared as files).
bool SameEntry(const std::string& first, const std::string& second);

// The files in folder and, recursively, in its subfolders, in name order: each folder's
// entries sorted by name ignoring ASCII case (names equal but for case by their bytes), a
// subfolder's files standing in the subfolder's place. Links are followed, but no folder
// is walked twice, so a link back up cannot loop. Entries that are neither files nor
// folders (sockets, broken links) are passed over. A folder that cannot be read, and an
// entry that cannot be looked at (a path longer than the system allows), raise EFileError
// that names it with the system's reason.
std::vector<std::string> FilesInFolderTree(const std::string& folder);
// The names of the folder's entries ("" is the current folder); nothing when it cannot be
// listed, no names when there is no such folder.
std::optional<std::unordered_set<std::string>> EntryNamesIn(const std::string& folder);

// Makes the folders of relative ("a/b") below base where they are missing, one level at a
// time, as a batch that keeps a folder tree needs them. An existing folder is used as it
// is; a symbolic link is gone through only when it leads to a folder inside base (links
// that lead out are refused, as is a relative path with ".."). An entry that is not a
// folder in the way raises EFileError naming it.
void MakeFoldersBelow(const std::string& base, const std::string& relative);

// Path helpers on "/"-separated paths.
std::string ExtractFileName(const std::string& path);
// The folder part without a trailing separator ("/" stays "/").
std::string ExtractFileDir(const std::string& path);
// The last extension with its dot ("" when the name has none).
std::string ExtractFileExt(const std::string& path);
// The name with its last extension replaced by newExt (given with its dot); a name
// without an extension gets newExt appended.
std::string ChangeFileExt(const std::string& path, const std::string& newExt);

}  // namespace vorn

namespace vorn {

// A new private folder under the system's temporary folder, removed with everything in it
// when the object goes away. Raises EFileError when the folder cannot be made.
class TTemporaryFolder {
 public:
  explicit TTemporaryFolder(const std::string& prefix = "vorn");
  ~TTemporaryFolder();
  TTemporaryFolder(const TTemporaryFolder&) = delete;
  TTemporaryFolder& operator=(const TTemporaryFolder&) = delete;

  const std::string& Path() const { return Path_; }
  // Path of an entry inside the folder.
  std::string File(std::string_view name) const { return Path_ + "/" + std::string(name); }

 private:
  std::string Path_;
};

}  // namespace vorn
