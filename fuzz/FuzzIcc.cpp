// libFuzzer target for the ICC path: every input is opened as a profile through ICCLib, its
// class read, and the transforms of the ICC-to-LUT dialog built from it both ways (as the
// profile and as the second colour space beside the standard sRGB profile), each sampled on
// a small grid and along the grey axis. A raised error is an accepted answer to a broken
// profile; a crash, a leak, a hang or a sanitizer report is not.

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>

#include "core/LUT.h"
#include "imaging/ICCLib.h"
#include "imaging/IccToLut.h"
#include "platform/Files.h"

namespace {

void WriteInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0) throw std::runtime_error("cannot create " + path);
  std::size_t written = 0;
  while (written < size) {
    const ssize_t n = write(fd, data + written, size - written);
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  close(fd);
  if (written < size) throw std::runtime_error("cannot write " + path);
}

void SampleChain(const std::string& icc, const std::string& second, bool invert, vorn::TLUT& lut) {
  try {
    vorn::TIccChain chain = vorn::BuildIccChain(icc, second, invert);
    (void)vorn::ProfileClassName(chain.Class);
    if (!chain.Transform) return;
    vorn::SampleTransform(*chain.Transform, true, 3, lut);
    vorn::SampleTransform(*chain.Transform, false, 16, lut);
  } catch (const std::exception&) {
    // A clear refusal of a broken profile.
  }
}

class FuzzSession {
 public:
  FuzzSession()
      : Dir_("vorn-fuzz-icc"),
        Lut_(std::make_unique<vorn::TLUT>()),
        Srgb_(vorn::GetSRGBProfileName()) {
    Input_ = Dir_.File("input.icc");
  }

  void Run(const std::uint8_t* data, std::size_t size) {
    WriteInput(Input_, data, size);
    try {
      const vorn::TProfileHandle profile = vorn::OpenProfile(Input_);
      (void)vorn::GetProfileClass(profile);
    } catch (const std::exception&) {
      return;  // not a profile LittleCMS opens: nothing further reads it
    }
    SampleChain(Input_, "", false, *Lut_);
    SampleChain(Input_, "", true, *Lut_);
    SampleChain(Srgb_, Input_, false, *Lut_);
  }

 private:
  vorn::TTemporaryFolder Dir_;
  std::unique_ptr<vorn::TLUT> Lut_;
  std::string Srgb_;
  std::string Input_;
};

FuzzSession& Session() {
  // libFuzzer hands inputs to a free function, so the session lives for the process.
  static FuzzSession session;
  return session;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  Session();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Session().Run(data, size);
  return 0;
}
