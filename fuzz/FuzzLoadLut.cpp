// libFuzzer target for format detection and loading. Detection looks at the file name as
// well as the content, so every input is loaded with detection under each extension that a
// format or the picture loader looks at: the extensions below and those of every
// registered output profile. The input is written once; each name is a symbolic link to
// it. A raised error is an accepted answer to bad input; a crash, a leak, a hang or a
// sanitizer report is not.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "core/LUT.h"
#include "core/LUTFormat.h"
#include "formats/Registration.h"
#include "platform/Files.h"

namespace {

// Extensions that read-only formats, the Hald image reader and the picture loader
// recognise, plus a name without one for the formats that judge by content alone; the
// output profiles add theirs.
constexpr std::string_view kExtensions[] = {
    "",      ".cube", ".vlt",  ".VLT", ".cfe",    ".3dl",      ".3DL",  ".lut",  ".m3d",
    ".mga",  ".txt",  ".cms",  ".dat", ".3dmesh", ".1dlut",    ".alut", ".ilut", ".olut",
    ".look", ".cc",   ".ccc",  ".cdl", ".xml",    ".swto.xml", ".pfl",  ".mlc",  ".dd3",
    ".bmp",  ".jpg",  ".jpeg", ".tif", ".tiff",   ".png"};
// Those of read-only formats added since, one a line.
constexpr std::string_view kLaterExtensions[] = {
    ".spimtx",
    ".vf",
    ".ctf",
};

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : Fd_(fd) {}
  ~FileDescriptor() {
    if (Fd_ >= 0) close(Fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int Get() const { return Fd_; }

 private:
  int Fd_;
};

void WriteInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
  const FileDescriptor file(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600));
  if (file.Get() < 0) throw std::runtime_error("cannot create " + path);
  std::size_t written = 0;
  while (written < size) {
    const ssize_t n = write(file.Get(), data + written, size - written);
    if (n <= 0) throw std::runtime_error("cannot write " + path);
    written += static_cast<std::size_t>(n);
  }
}

// What outlives single inputs: a private folder for the input files (made once per
// process) and one LUT record, which is too large to create per input.
std::vector<std::string> Extensions() {
  std::vector<std::string> extensions(std::begin(kExtensions), std::end(kExtensions));
  extensions.insert(extensions.end(), std::begin(kLaterExtensions), std::end(kLaterExtensions));
  for (const auto& profile : vorn::OutputProfiles()) {
    const std::string extension = "." + profile->Extension;
    if (std::find(extensions.begin(), extensions.end(), extension) == extensions.end()) {
      extensions.push_back(extension);
    }
  }
  return extensions;
}

// Sources evaluated as a whole (process lists, matrices) are sampled onto a grid this small:
// the sampling is the same code at any size, and each input is loaded once per extension.
constexpr int kSampleSize = 5;

class FuzzSession {
 public:
  FuzzSession() : Dir_("vorn-fuzz"), Lut_(std::make_unique<vorn::TLUT>()) {
    Input_ = Dir_.File("input.data");
    for (const std::string& extension : Extensions()) {
      Paths_.push_back(Dir_.File("input" + extension));
      std::filesystem::create_symlink(Input_, Paths_.back());
    }
  }

  void Run(const std::uint8_t* data, std::size_t size) {
    WriteInput(Input_, data, size);
    for (const std::string& path : Paths_) {
      try {
        vorn::LoadLut(path, *Lut_, -1, -1, {}, kSampleSize);
      } catch (const std::exception&) {
        // A clear refusal of bad input is the expected outcome for most inputs.
      }
    }
  }

 private:
  vorn::TTemporaryFolder Dir_;
  std::unique_ptr<vorn::TLUT> Lut_;
  std::string Input_;
  std::vector<std::string> Paths_;
};

FuzzSession& Session() {
  // libFuzzer hands inputs to a free function, so the session lives for the process.
  static FuzzSession session;
  return session;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  vorn::RegisterBuiltInFormats();
  Session();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Session().Run(data, size);
  return 0;
}
