#include "imaging/LutToIcc.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>

#include "core/TextTools.h"
#include "core/VornLut.h"
#include "imaging/ICCLib.h"
#include "imaging/IccTables.h"
#include "imaging/IccText.h"
#include "imaging/LutInverse.h"
#include "platform/Convert.h"
#include "platform/Files.h"

namespace vorn {

namespace {

constexpr double kGamma = 1.8;
// Grids of the directions that are sampled rather than copied from the LUT.
constexpr int kSampledGridSize = 33;
// The Lab grid of an input profile is refined up to this many nodes, each LUT node staying a
// node, so that interpolating in Lab stays close to the LUT's interpolation in RGB.
constexpr int kRefinedGridLimit = 65;

// How device values are coded: sRGB's curve, or the 1.8 gamma table of Capture One.
class TDeviceCoding {
 public:
  TDeviceCoding(const TGammaTable* table, const TSRGBReference& reference)
      : Table_(table), Reference_(reference) {}

  bool Active() const { return Table_ != nullptr; }
  // A device value to the sRGB-coded value the LUT takes.
  double ToLut(double device) const {
    return Active() ? Reference_.Encode(TableValue(device)) : device;
  }
  // A LUT output to the device value.
  double ToDevice(double lutValue) const {
    return Active() ? TableInverse(Reference_.Decode(lutValue)) : lutValue;
  }

 private:
  double TableValue(double x) const;
  double TableInverse(double y) const;

  const TGammaTable* Table_;
  const TSRGBReference& Reference_;
};

double TDeviceCoding::TableValue(double x) const {
  const TGammaTable& t = *Table_;
  const double position = std::clamp(x, 0.0, 1.0) * (kGammaTableSize - 1);
  const int lower = std::min(static_cast<int>(position), kGammaTableSize - 2);
  const double fraction = position - lower;
  return ((1.0 - fraction) * t[lower] + fraction * t[lower + 1]) / 65535.0;
}

double TDeviceCoding::TableInverse(double y) const {
  const TGammaTable& t = *Table_;
  const double code = std::clamp(y, 0.0, 1.0) * 65535.0;
  int low = 0;
  int high = kGammaTableSize - 1;
  while (high - low > 1) {
    const int middle = (low + high) / 2;
    (t[middle] < code ? low : high) = middle;
  }
  const double span = static_cast<double>(t[high]) - t[low];
  const double fraction = span > 0.0 ? std::clamp((code - t[low]) / span, 0.0, 1.0) : 0.0;
  return (low + fraction) / (kGammaTableSize - 1);
}

// The curve before the grid at input x: the table's output, taken (for a LUT with a grid)
// to the coordinate the grid reads through the grid's domain, clamped as the grid clamps.
double ShaperValue(const TLUT& lut, int channel, double x) {
  TRGB out = lut.HasTable() ? lut.Evaluate1D({x, x, x}) : TRGB{x, x, x};
  if (lut.HasGrid()) {
    const TRGB t = lut.GridDomain.ToUnit(out);
    out = {std::clamp(t.R, 0.0, 1.0), std::clamp(t.G, 0.0, 1.0), std::clamp(t.B, 0.0, 1.0)};
  }
  return channel == 0 ? out.R : (channel == 1 ? out.G : out.B);
}

// The LUT's 1D table after the device coding; the table itself when it fits a lut16 curve.
TCurveTables ShaperCurves(const TLUT& lut, const TDeviceCoding& coding) {
  if (!coding.Active() && lut.HasDefaultDomains() && lut.Size1D >= 2 &&
      lut.Size1D <= kMaxCurveEntries) {
    TCurveTables tables;
    for (int c = 0; c < 3; ++c) {
      tables.Channels[c].resize(static_cast<std::size_t>(lut.Size1D));
      for (int i = 0; i < lut.Size1D; ++i) tables.Channels[c][i] = lut.Entry(i)[c];
    }
    return tables;
  }
  return SampleCurves(kMaxCurveEntries,
                      [&](int c, double d) { return ShaperValue(lut, c, coding.ToLut(d)); });
}

// The curves on the device input side: the shaper when the LUT has one, the grid's domain.
TCurveTables DeviceInputCurves(const TLUT& lut, const TDeviceCoding& coding) {
  if (lut.HasTable() || !lut.HasDefaultDomains()) return ShaperCurves(lut, coding);
  if (!coding.Active()) return IdentityCurves();
  return SampleCurves(kMaxCurveEntries, [&](int, double d) { return coding.ToLut(d); });
}

TCurveTables DeviceOutputCurves(const TDeviceCoding& coding) {
  if (!coding.Active()) return IdentityCurves();
  return SampleCurves(kMaxCurveEntries, [&](int, double v) { return coding.ToDevice(v); });
}

// The LUT's grid at coordinate x (0 to 1 on each axis, whatever its domain).
TRGB GridAt(const TLUT& lut, const TRGB& x) {
  return lut.Evaluate3D(lut.GridDomain.FromUnit(x));
}

// The LUT's grid node for node, or the identity of 2 nodes when it has none.
TGridTable GridOf(const TLUT& lut) {
  if (!lut.HasGrid() || lut.Size3D < 2) {
    return SampleGrid(2, [&](const TRGB& x) { return lut.HasGrid() ? GridAt(lut, x) : x; });
  }
  const double last = lut.Size3D - 1;
  return SampleGrid(lut.Size3D, [&](const TRGB& x) {
    return lut.GetNode(static_cast<int>(std::lround(x.R * last)),
                       static_cast<int>(std::lround(x.G * last)),
                       static_cast<int>(std::lround(x.B * last)));
  });
}

std::array<double, 9> Scaled(const std::array<double, 9>& m, double factor) {
  std::array<double, 9> result = m;
  for (double& v : result) v *= factor;
  return result;
}

struct TRecipe {
  const TLUT& Lut;
  const TSRGBReference& Reference;
  const TDeviceCoding& Coding;
};

// Link: device in, LUT, device out.
TLut16Tables LinkTables(const TRecipe& r) {
  TLut16Tables tables;
  tables.Input = DeviceInputCurves(r.Lut, r.Coding);
  tables.Grid = GridOf(r.Lut);
  tables.Output = DeviceOutputCurves(r.Coding);
  return tables;
}

// PCS XYZ to device: sRGB's matrix and the inverse of its curve give sRGB-coded values
// (clamped per channel before anything interpolates), then afterCoding, the grid and the
// output curves.
TLut16Tables FromXYZTables(const TRecipe& r, const std::function<double(int, double)>& afterCoding,
                           TGridTable grid, TCurveTables output) {
  TLut16Tables tables;
  tables.Matrix = Scaled(r.Reference.Inverse(), kXYZEncodingTop);
  tables.Input = SampleCurves(kMaxCurveEntries, [&](int c, double linear) {
    return afterCoding(c, r.Reference.Encode(linear));
  });
  tables.Grid = std::move(grid);
  tables.Output = std::move(output);
  return tables;
}

// Device to PCS XYZ: the input curves, then a grid of the sRGB-coded colour that encodedOf
// gives for its node, stored as XYZ over white coded with sRGB's curve per channel (greys
// interpolate as in sRGB), and output curves that decode it.
TLut16Tables ToXYZTables(const TRecipe& r, TCurveTables input, int gridSize,
                         const std::function<TRGB(const TRGB&)>& encodedOf) {
  TLut16Tables tables;
  tables.Input = std::move(input);
  const TRGB white = r.Reference.White();
  tables.Grid = SampleGrid(gridSize, [&](const TRGB& x) {
    const TRGB xyz = r.Reference.ToXYZ(encodedOf(x));
    return TRGB{r.Reference.Encode(xyz.R / white.R), r.Reference.Encode(xyz.G / white.G),
                r.Reference.Encode(xyz.B / white.B)};
  });
  const double whites[3] = {white.R, white.G, white.B};
  tables.Output = SampleCurves(kMaxCurveEntries, [&](int c, double v) {
    return whites[c] * r.Reference.Decode(v) / kXYZEncodingTop;
  });
  return tables;
}

TCurveTables CodingCurves(const TDeviceCoding& coding) {
  if (!coding.Active()) return IdentityCurves();
  return SampleCurves(kMaxCurveEntries, [&](int, double d) { return coding.ToLut(d); });
}

// Display, PCS XYZ to device: the LUT exactly (a 1D LUT's table as the output curves, a
// shaper folded into the curves before the grid).
TLut16Tables DisplayForwardTables(const TRecipe& r) {
  const TLUT& lut = r.Lut;
  const bool shaperFirst = lut.Kind == lk1DAnd3D || (lut.HasGrid() && !lut.HasDefaultDomains());
  TCurveTables output = DeviceOutputCurves(r.Coding);
  if (lut.Kind == lk1D) {
    output = r.Coding.Active() ? SampleCurves(kMaxCurveEntries,
                                              [&](int c, double x) {
                                                return r.Coding.ToDevice(ShaperValue(lut, c, x));
                                              })
                               : ShaperCurves(lut, r.Coding);
  }
  return FromXYZTables(
      r, [&](int c, double x) { return shaperFirst ? ShaperValue(lut, c, x) : x; }, GridOf(lut),
      std::move(output));
}

// Display, device to PCS XYZ: the LUT's inverse.
TLut16Tables DisplayInverseTables(const TRecipe& r) {
  TLutInverse inverse(r.Lut);
  return ToXYZTables(r, CodingCurves(r.Coding), kSampledGridSize,
                     [&](const TRGB& device) { return inverse(device); });
}

// Input, device to PCS Lab: the LUT, then sRGB's colorimetry in Lab. Lab keeps the darks
// exact to a few 1/10000 (16-bit XYZ would lose up to 0.002 in dark saturated colours), and
// the grid is refined so that interpolating Lab stays close to the LUT's interpolation in
// RGB.
TLut16Tables InputForwardTables(const TRecipe& r) {
  TLut16Tables tables;
  tables.Input = DeviceInputCurves(r.Lut, r.Coding);
  const bool grid = r.Lut.HasGrid() && r.Lut.Size3D >= 2;
  const int cells = grid ? r.Lut.Size3D - 1 : 1;
  const int size = std::max(1, (kRefinedGridLimit - 1) / cells) * cells + 1;
  tables.Grid = SampleGrid(size, [&](const TRGB& x) {
    return EncodeLabV2(r.Reference.ToXYZ(grid ? GridAt(r.Lut, x) : x));
  });
  return tables;
}

// Input, PCS Lab to device: sRGB from Lab (clipped to its gamut), then the LUT's inverse.
// A Lab grid is coarse at the edge of the sRGB gamut, where clipped and unclipped nodes
// share a cell: there the inverse is off by a few 1/100.
TLut16Tables InputInverseTables(const TRecipe& r) {
  TLut16Tables tables;
  TLutInverse inverse(r.Lut);
  tables.Grid = SampleGrid(kSampledGridSize, [&](const TRGB& lab) {
    return inverse(r.Reference.FromXYZ(DecodeLabV2(lab)));
  });
  tables.Output = DeviceOutputCurves(r.Coding);
  return tables;
}

void WriteTag(const TLcmsContext& context, void* profile, cmsTagSignature signature,
              const void* data) {
  if (!cmsWriteTag(profile, signature, data)) {
    throw EICCError("Cannot write the ICC profile: " + context.Reason("a tag was refused") + ".");
  }
}

void WriteRawTag(const TLcmsContext& context, void* profile, cmsTagSignature signature,
                 const std::string& bytes) {
  if (!cmsWriteRawTag(profile, signature, bytes.data(),
                      static_cast<cmsUInt32Number>(bytes.size()))) {
    throw EICCError("Cannot write the ICC profile: " + context.Reason("a tag was refused") + ".");
  }
}

void WriteTables(const TLcmsContext& context, void* profile, cmsTagSignature signature,
                 const TLut16Tables& tables) {
  const TLcmsPipeline pipeline = MakePipeline(context, tables);
  WriteTag(context, profile, signature, pipeline.get());
}

void SetHeader(void* profile, TLutIccClass profileClass) {
  cmsSetProfileVersion(profile, 2.4);
  cmsSetColorSpace(profile, cmsSigRgbData);
  cmsSetHeaderRenderingIntent(profile, INTENT_PERCEPTUAL);
  switch (profileClass) {
    case TLutIccClass::Display:
      cmsSetDeviceClass(profile, cmsSigDisplayClass);
      cmsSetPCS(profile, cmsSigXYZData);
      break;
    case TLutIccClass::Input:
      cmsSetDeviceClass(profile, cmsSigInputClass);
      cmsSetPCS(profile, cmsSigLabData);
      break;
    case TLutIccClass::DeviceLink:
      cmsSetDeviceClass(profile, cmsSigLinkClass);
      cmsSetPCS(profile, cmsSigRgbData);
      break;
  }
}

// A display profile's relative colorimetric tags share the perceptual tags' data: the LUT is
// one mapping whatever the intent, and a reader that asks which intents the profile supports
// (LittleCMS's cmsIsIntentSupported) finds both. An input profile goes without them: readers
// fall back to AToB0 for that intent, and LittleCMS then takes the profile's black to be black
// when black-point compensation is asked for in a relative colorimetric chain, where with
// AToB1 it would detect a lifted black and compensate it away (docs/icc.md). A device link
// keeps the single table its header's intent names.
void LinkColorimetricTags(const TLcmsContext& context, void* profile) {
  if (!cmsLinkTag(profile, cmsSigAToB1Tag, cmsSigAToB0Tag) ||
      !cmsLinkTag(profile, cmsSigBToA1Tag, cmsSigBToA0Tag)) {
    throw EICCError("Cannot write the ICC profile: " + context.Reason("a tag was refused") + ".");
  }
}

void WriteMapping(const TLcmsContext& context, void* profile, const TRecipe& recipe,
                  TLutIccClass profileClass) {
  switch (profileClass) {
    case TLutIccClass::Display:
      WriteTables(context, profile, cmsSigAToB0Tag, DisplayInverseTables(recipe));
      WriteTables(context, profile, cmsSigBToA0Tag, DisplayForwardTables(recipe));
      LinkColorimetricTags(context, profile);
      break;
    case TLutIccClass::Input:
      WriteTables(context, profile, cmsSigAToB0Tag, InputForwardTables(recipe));
      WriteTables(context, profile, cmsSigBToA0Tag, InputInverseTables(recipe));
      break;
    case TLutIccClass::DeviceLink:
      WriteTables(context, profile, cmsSigAToB0Tag, LinkTables(recipe));
      break;
  }
}

}  // namespace

TGammaTable MakeCaptureOneGammaTable() {
  TGammaTable table{};
  for (int i = 0; i < kGammaTableSize; ++i) {
    const double value = std::pow(i / static_cast<double>(kGammaTableSize - 1), kGamma) * 65535.0;
    table[i] = static_cast<std::uint16_t>(RoundHalfEven(value));
  }
  return table;
}

std::string BuildIccProfile(const TLUT& lut, const TLutToIccOptions& options) {
  const TSRGBReference reference;
  const TDeviceCoding coding(options.CaptureOneGamma, reference);
  const TRecipe recipe{lut, reference, coding};

  const auto context = MakeLcmsContext();
  const TProfileHandle handle(context, cmsCreateProfilePlaceholder(context->Id()));
  if (!handle) throw EICCError("Cannot create an ICC profile: out of memory.");
  cmsHPROFILE profile = handle.Native();
  SetHeader(profile, options.Class);
  WriteRawTag(*context, profile, cmsSigProfileDescriptionTag,
              TextDescriptionTag(options.Description));
  WriteRawTag(*context, profile, cmsSigCopyrightTag, AsciiTextTag(options.Copyright));
  if (options.Class == TLutIccClass::DeviceLink) {
    // A device link carries the sequence of profiles it was made from: here just itself.
    WriteRawTag(*context, profile, cmsSigProfileSequenceDescTag, UnknownDeviceSequenceTag());
  } else {
    WriteTag(*context, profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
  }
  WriteMapping(*context, profile, recipe, options.Class);
  return SaveProfileToBytes(handle, "the ICC profile");
}

std::optional<TLoadWarning> ClippedValuesWarning(const std::string& lutPath, const TLUT& lut) {
  const TValueRange range = OutputValueRange(lut);
  if (range.Finite && range.Low >= 0.0 && range.High <= 1.0) return std::nullopt;
  std::string message = "values from " + NumberText(range.Low) + " to " + NumberText(range.High) +
                        " were clipped to [0, 1]";
  if (!range.Finite) message += " (with values that are not finite numbers)";
  return TLoadWarning{lutPath, 0, message + " in the ICC profile."};
}

void ConvertLutToIcc(const std::string& lutPath, const std::string& profilePath,
                     const TLutToIccOptions& options, const TWarningHandler& onWarning,
                     TWriteMode mode, int inputBits) {
  auto lut = std::make_unique<TLUT>();
  TLoadReport report = LoadLutFile(lutPath, *lut, inputBits);
  RequireLutData(*lut, lutPath);
  if (auto clipped = ClippedValuesWarning(lutPath, *lut)) report.Warnings.push_back(*clipped);
  ReportWarnings(report, onWarning);
  const std::string profile = BuildIccProfile(*lut, options);
  WriteWholeFile(profilePath, profile, mode);
}

}  // namespace vorn
