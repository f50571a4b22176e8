#pragma once
// File services: whole-file reads and writes, existence tests. Failures raise EFileError
// with a message that names the file and gives the system's reason.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vorn {

// The whole content of the file.
std::string ReadWholeFile(const std::string& path);

// At most maxBytes from the start of the file (fewer when the file is shorter).
std::string ReadFileBytes(const std::string& path, std::size_t maxBytes);

// Replaces the file with data. The data goes to a temporary file beside the target,
// which then takes the target's place, so a failed write leaves an existing file as it
// was.
void WriteWholeFile(const std::string& path, std::string_view data);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// The files in folder and, recursively, in its subfolders, in name order: each folder's
// entries sorted by name ignoring ASCII case (names equal but for case by their bytes), a
// subfolder's files standing in the subfolder's place. Links are followed, but no folder
// is walked twice, so a link back up cannot loop. Entries that are neither files nor
// folders (sockets, broken links) are passed over. A folder that cannot be read raises
// EFileError.
std::vector<std::string> FilesInFolderTree(const std::string& folder);

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
