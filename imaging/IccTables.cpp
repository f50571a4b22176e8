#include "imaging/IccTables.h"

#include <algorithm>
#include <cmath>

#include "platform/Convert.h"

namespace vorn {

namespace {

double Clamp01(double v) {
  if (!(v > 0.0)) return 0.0;
  return v > 1.0 ? 1.0 : v;
}

std::uint16_t Code16(double v) {
  return static_cast<std::uint16_t>(RoundHalfEven(Clamp01(v) * 65535.0));
}

std::array<double, 9> Inverted(const std::array<double, 9>& m) {
  const double det = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[1] * (m[3] * m[8] - m[5] * m[6]) +
                     m[2] * (m[3] * m[7] - m[4] * m[6]);
  if (!(std::fabs(det) > 1e-12)) throw EICCError("The sRGB profile has a singular matrix.");
  return {(m[4] * m[8] - m[5] * m[7]) / det, (m[2] * m[7] - m[1] * m[8]) / det,
          (m[1] * m[5] - m[2] * m[4]) / det, (m[5] * m[6] - m[3] * m[8]) / det,
          (m[0] * m[8] - m[2] * m[6]) / det, (m[2] * m[3] - m[0] * m[5]) / det,
          (m[3] * m[7] - m[4] * m[6]) / det, (m[1] * m[6] - m[0] * m[7]) / det,
          (m[0] * m[4] - m[1] * m[3]) / det};
}

TRGB Multiply(const std::array<double, 9>& m, const TRGB& v) {
  return {m[0] * v.R + m[1] * v.G + m[2] * v.B, m[3] * v.R + m[4] * v.G + m[5] * v.B,
          m[6] * v.R + m[7] * v.G + m[8] * v.B};
}

TLcmsToneCurve TabulatedCurve(const TLcmsContext& context, const std::vector<double>& values) {
  std::vector<cmsUInt16Number> codes(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) codes[i] = Code16(values[i]);
  TLcmsToneCurve curve(cmsBuildTabulatedToneCurve16(
      context.Id(), static_cast<cmsUInt32Number>(codes.size()), codes.data()));
  if (!curve) throw EICCError("Cannot build a tone curve: " + context.Reason("out of memory"));
  return curve;
}

cmsStage* CurveStage(const TLcmsContext& context, const TCurveTables& tables) {
  TLcmsToneCurve curves[3] = {TabulatedCurve(context, tables.Channels[0]),
                              TabulatedCurve(context, tables.Channels[1]),
                              TabulatedCurve(context, tables.Channels[2])};
  cmsToneCurve* raw[3] = {curves[0].get(), curves[1].get(), curves[2].get()};
  return cmsStageAllocToneCurves(context.Id(), 3, raw);  // copies the curves
}

void Append(const TLcmsContext& context, cmsPipeline* pipeline, cmsStage* stage) {
  if (stage == nullptr || !cmsPipelineInsertStage(pipeline, cmsAT_END, stage)) {
    if (stage != nullptr) cmsStageFree(stage);
    throw EICCError("Cannot build a profile table: " + context.Reason("out of memory"));
  }
}

}  // namespace

TCurveTables IdentityCurves() {
  TCurveTables tables;
  for (auto& channel : tables.Channels) channel = {0.0, 1.0};
  return tables;
}

TCurveTables SampleCurves(int entries, const std::function<double(int, double)>& f) {
  TCurveTables tables;
  for (int c = 0; c < 3; ++c) {
    tables.Channels[c].resize(static_cast<std::size_t>(entries));
    for (int i = 0; i < entries; ++i) {
      tables.Channels[c][i] = f(c, static_cast<double>(i) / (entries - 1));
    }
  }
  return tables;
}

TGridTable SampleGrid(int size, const std::function<TRGB(const TRGB&)>& f) {
  TGridTable grid;
  grid.Size = size;
  grid.Codes.reserve(static_cast<std::size_t>(size) * size * size * 3);
  const double step = 1.0 / (size - 1);
  for (int r = 0; r < size; ++r) {
    for (int g = 0; g < size; ++g) {
      for (int b = 0; b < size; ++b) {
        const TRGB v = f({r * step, g * step, b * step});
        grid.Codes.push_back(Code16(v.R));
        grid.Codes.push_back(Code16(v.G));
        grid.Codes.push_back(Code16(v.B));
      }
    }
  }
  return grid;
}

TLcmsPipeline MakePipeline(const TLcmsContext& context, const TLut16Tables& tables) {
  TLcmsPipeline pipeline(cmsPipelineAlloc(context.Id(), 3, 3));
  if (!pipeline)
    throw EICCError("Cannot build a profile table: " + context.Reason("out of memory"));
  if (tables.Matrix) {
    Append(context, pipeline.get(),
           cmsStageAllocMatrix(context.Id(), 3, 3, tables.Matrix->data(), nullptr));
  }
  Append(context, pipeline.get(), CurveStage(context, tables.Input));
  const cmsUInt32Number points[3] = {static_cast<cmsUInt32Number>(tables.Grid.Size),
                                     static_cast<cmsUInt32Number>(tables.Grid.Size),
                                     static_cast<cmsUInt32Number>(tables.Grid.Size)};
  Append(context, pipeline.get(),
         cmsStageAllocCLut16bitGranular(context.Id(), points, 3, 3, tables.Grid.Codes.data()));
  Append(context, pipeline.get(), CurveStage(context, tables.Output));
  return pipeline;
}

TSRGBReference::TSRGBReference() : Profile_(OpenProfile(GetSRGBProfileName())) {
  const cmsTagSignature colorants[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag,
                                        cmsSigBlueColorantTag};
  Curve_ = static_cast<const cmsToneCurve*>(cmsReadTag(Profile_.Native(), cmsSigRedTRCTag));
  const cmsUInt32Number entries =
      Curve_ != nullptr ? cmsGetToneCurveEstimatedTableEntries(Curve_) : 0;
  if (entries < 2)
    throw EICCError("The sRGB profile \"" + Profile_.Path() + "\" has no tone curve.");
  const cmsUInt16Number* table = cmsGetToneCurveEstimatedTable(Curve_);
  Table_.assign(table, table + entries);
  for (int c = 0; c < 3; ++c) {
    const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(Profile_.Native(), colorants[c]));
    if (xyz == nullptr) {
      throw EICCError("The sRGB profile \"" + Profile_.Path() + "\" has no colorants.");
    }
    Matrix_[c] = xyz->X;
    Matrix_[3 + c] = xyz->Y;
    Matrix_[6 + c] = xyz->Z;
  }
  Inverse_ = Inverted(Matrix_);
}

double TSRGBReference::Decode(double encoded) const {
  return cmsEvalToneCurveFloat(Curve_, static_cast<cmsFloat32Number>(Clamp01(encoded)));
}

// The inverse of the curve's table with linear interpolation between its entries.
double TSRGBReference::Encode(double linear) const {
  const double code = Clamp01(linear) * 65535.0;
  const int last = static_cast<int>(Table_.size()) - 1;
  if (code <= Table_[0]) return 0.0;
  if (code >= Table_[last]) return 1.0;
  const auto above = std::upper_bound(Table_.begin(), Table_.end(), code);
  const int high = static_cast<int>(above - Table_.begin());
  const int low = high - 1;
  const double span = Table_[high] - Table_[low];
  const double fraction = span > 0.0 ? (code - Table_[low]) / span : 0.0;
  return (low + fraction) / last;
}

TRGB TSRGBReference::ToXYZ(const TRGB& encoded) const {
  return Multiply(Matrix_, {Decode(encoded.R), Decode(encoded.G), Decode(encoded.B)});
}

TRGB TSRGBReference::FromXYZ(const TRGB& xyz) const {
  const TRGB linear = Multiply(Inverse_, xyz);
  return {Encode(linear.R), Encode(linear.G), Encode(linear.B)};
}

TRGB TSRGBReference::White() const {
  return ToXYZ({1.0, 1.0, 1.0});
}

TRGB EncodeLabV2(const TRGB& xyz) {
  const cmsCIEXYZ in{xyz.R, xyz.G, xyz.B};
  cmsCIELab lab;
  cmsXYZ2Lab(nullptr, &lab, &in);
  cmsUInt16Number codes[3];
  cmsFloat2LabEncodedV2(codes, &lab);
  return {codes[0] / 65535.0, codes[1] / 65535.0, codes[2] / 65535.0};
}

// Version 2 Lab: L* 0 to 100 is 0 to 0xFF00, a* and b* -128 to 127.996 are 0 to 0xFFFF.
TRGB DecodeLabV2(const TRGB& encoded) {
  const cmsCIELab lab{encoded.R * 65535.0 / 652.8, encoded.G * 65535.0 / 256.0 - 128.0,
                      encoded.B * 65535.0 / 256.0 - 128.0};
  cmsCIEXYZ xyz;
  cmsLab2XYZ(nullptr, &xyz, &lab);
  return {xyz.X, xyz.Y, xyz.Z};
}

}  // namespace vorn
