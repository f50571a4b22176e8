#include "imaging/IccToLut.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "core/VornLut.h"
#include "platform/Convert.h"
#include "platform/Files.h"

namespace vorn {

namespace {

constexpr double kFullCode = 65535.0;
// Entries of a 1D table sampled between two reports: a few milliseconds of work.
constexpr int kEntriesPerReport = 4096;

std::uint16_t SampleCode(int index, int size) {
  return static_cast<std::uint16_t>(
      RoundHalfEven(static_cast<double>(index) / (size - 1) * kFullCode));
}

TRGB Normalised(const TICCColor& color) {
  return {color.R / kFullCode, color.G / kFullCode, color.B / kFullCode};
}

TICCColor Translate(const TTransformHandle& transform, const TICCColor& in) {
  TICCColor out;
  if (!TranslateColor(transform, in, out)) {
    throw EICCError("The colour transformation failed for the colour (" + IntToStr(in.R) + ", " +
                    IntToStr(in.G) + ", " + IntToStr(in.B) + "): " + transform.LastError() + ".");
  }
  return out;
}

void SampleGrid(const TTransformHandle& transform, int size, TLUT& lut,
                const TProgressCallback& progress) {
  lut.Kind = lk3D;
  lut.Size3D = size;
  for (int r = 0; r < size; ++r) {
    for (int g = 0; g < size; ++g) {
      for (int b = 0; b < size; ++b) {
        const TICCColor in{SampleCode(r, size), SampleCode(g, size), SampleCode(b, size)};
        lut.SetNode(r, g, b, Normalised(Translate(transform, in)));
      }
    }
    ReportProgress(progress, static_cast<std::size_t>(r) + 1, static_cast<std::size_t>(size));
  }
}

void SampleGreyAxis(const TTransformHandle& transform, int size, TLUT& lut,
                    const TProgressCallback& progress) {
  lut.Kind = lk1D;
  lut.Size1D = size;
  for (int i = 0; i < size; ++i) {
    const std::uint16_t code = SampleCode(i, size);
    lut.SetEntry(i, Normalised(Translate(transform, {code, code, code})));
    if ((i + 1) % kEntriesPerReport == 0 || i + 1 == size) {
      ReportProgress(progress, static_cast<std::size_t>(i) + 1, static_cast<std::size_t>(size));
    }
  }
}

void CheckSampleSize(int size) {
  if (size < 2) {
    throw EICCError("The LUT size " + IntToStr(size) +
                    " is too small: a LUT needs at least 2 nodes or entries.");
  }
}

}  // namespace

bool ClassBuildsTransform(TProfileClass profileClass) {
  return profileClass == kClassInput || profileClass == kClassDisplay ||
         profileClass == kClassOutput || profileClass == kClassLink;
}

bool ClassTakesSecondProfile(TProfileClass profileClass) {
  return profileClass == kClassInput || profileClass == kClassDisplay ||
         profileClass == kClassOutput;
}

std::string NoTransformMessage(TProfileClass profileClass) {
  return "A profile of the type \"" + ProfileClassName(profileClass) +
         "\" describes no colour transformation of its own: only input, display, output and "
         "device link profiles can be converted to a LUT.";
}

TIccChain BuildIccChain(const std::string& iccPath, const std::string& secondPath, bool invert) {
  const std::string secondFile =
      !secondPath.empty() && FileExists(secondPath) ? secondPath : GetSRGBProfileName();
  TProfileHandle second = OpenProfile(secondFile);
  TProfileHandle source = OpenProfile(iccPath);
  TIccChain chain;
  chain.Class = GetProfileClass(source);
  if (invert && chain.Class == kClassLink) {
    throw EICCError("The device link profile \"" + iccPath + "\" cannot be inverted.");
  }
  const TProfileHandle* from = invert ? &second : &source;
  const TProfileHandle* to = invert ? &source : &second;
  switch (chain.Class) {
    case kClassLink:
      chain.Transform = CreateTransform(source, nullptr);
      break;
    case kClassDisplay:
    case kClassOutput:
      // Colours of the second colour space into the device's values (or back, inverted).
      chain.Transform = CreateTransform(*to, from);
      break;
    case kClassInput:
      // The input device's values into the second colour space (or back, inverted).
      chain.Transform = CreateTransform(*from, to);
      break;
    default:
      break;
  }
  return chain;
}

void PreviewTransform(const TTransformHandle& transform, TBitmap24& picture) {
  for (int y = 0; y < picture.Height(); ++y) {
    std::uint8_t* pixel = picture.ScanLine(y);
    for (int x = 0; x < picture.Width(); ++x, pixel += 3) {
      const TICCColor in{static_cast<std::uint16_t>(pixel[2] << 8),
                         static_cast<std::uint16_t>(pixel[1] << 8),
                         static_cast<std::uint16_t>(pixel[0] << 8)};
      const TICCColor out = Translate(transform, in);
      pixel[2] = static_cast<std::uint8_t>(out.R >> 8);
      pixel[1] = static_cast<std::uint8_t>(out.G >> 8);
      pixel[0] = static_cast<std::uint8_t>(out.B >> 8);
    }
  }
}

void SampleTransform(const TTransformHandle& transform, bool is3D, int size, TLUT& lut,
                     const TProgressCallback& progress) {
  CheckSampleSize(size);
  if (is3D) {
    SampleGrid(transform, std::min(size, kMaxOutputSize3D), lut, progress);
  } else {
    SampleGreyAxis(transform, std::min(size, kMaxOutputSize1D), lut, progress);
  }
}

void ConvertIccToLut(const TIccToLutJob& job, const TProgressCallback& progress) {
  const TLUTFormat* format = job.Output != nullptr ? GetFormat(job.Output->FormatIndex) : nullptr;
  if (format == nullptr) throw EICCError("No LUT format was chosen for the output.");
  CheckSampleSize(job.Size);
  const TIccChain chain = BuildIccChain(job.IccPath, job.SecondPath, job.Invert);
  if (!chain.Transform) throw EICCError(NoTransformMessage(chain.Class));
  auto lut = std::make_unique<TLUT>();
  SampleTransform(*chain.Transform, format->Is3D, job.Size, *lut, progress);
  SaveLut(job.LutPath, *lut, *job.Output, job.Bits, {}, job.Mode);
}

}  // namespace vorn
