// libFuzzer target for format detection and loading. Detection looks at the file name as
// well as the content, so every input is written once under each extension that a format
// or the picture loader looks at, and loaded with detection from there. A raised error is
// an accepted answer to bad input; a crash, a leak, a hang or a sanitizer report is not.

#include <fcntl.h>
#include <unistd.h>

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

#include "core/LUT.h"
#include "core/LUTFormat.h"
#include "formats/Registration.h"
#include "platform/Files.h"

namespace {

// Extensions that formats, the Hald image reader and the picture loader recognise, plus
// a name without one for the formats that judge by content alone.
constexpr std::string_view kExtensions[] = {
    "",      ".cube", ".vlt",  ".VLT", ".cfe",    ".3dl",      ".3DL",  ".lut",  ".m3d",
    ".mga",  ".txt",  ".cms",  ".dat", ".3dmesh", ".1dlut",    ".alut", ".ilut", ".olut",
    ".look", ".cc",   ".ccc",  ".cdl", ".xml",    ".swto.xml", ".pfl",  ".mlc",  ".dd3",
    ".bmp",  ".jpg",  ".jpeg", ".tif", ".tiff",   ".png"};

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
class FuzzSession {
 public:
  FuzzSession() : Dir_("vorn-fuzz"), Lut_(std::make_unique<vorn::TLUT>()) {}

  void Run(const std::uint8_t* data, std::size_t size) {
    for (std::string_view extension : kExtensions) {
      const std::string path = Dir_.File("input" + std::string(extension));
      WriteInput(path, data, size);
      try {
        vorn::LoadLut(path, *Lut_, -1);
      } catch (const std::exception&) {
        // A clear refusal of bad input is the expected outcome for most inputs.
      }
      // Each input starts from an empty folder, so a crash reproduces from the input alone.
      std::error_code ignored;
      std::filesystem::remove(path, ignored);
    }
  }

 private:
  vorn::TTemporaryFolder Dir_;
  std::unique_ptr<vorn::TLUT> Lut_;
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
