#include "imaging/HaldClut.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <string_view>

#include "codecs/Pictures.h"
#include "core/LUTFormat.h"
#include "core/TextTools.h"
#include "platform/Convert.h"
#include "platform/Files.h"

namespace vorn {

namespace {

constexpr double kTop16 = 65535.0;
constexpr int kObsSide = 512;
constexpr int kObsNodes = 64;
constexpr int kObsTilesPerRow = kObsSide / kObsNodes;

// Where a grid's nodes lie in a square picture: the standard Hald order, or OBS's tiles.
struct TGridLayout {
  enum class TOrder : std::uint8_t { Hald, ObsTiles } Order;
  int Nodes;
  int Side;

  std::size_t PixelOf(int r, int g, int b) const {
    if (Order == TOrder::Hald) {
      return static_cast<std::size_t>(r) +
             static_cast<std::size_t>(Nodes) *
                 (static_cast<std::size_t>(g) + static_cast<std::size_t>(Nodes) * b);
    }
    const std::size_t x = static_cast<std::size_t>(b % kObsTilesPerRow * kObsNodes + r);
    const std::size_t y = static_cast<std::size_t>(b / kObsTilesPerRow * kObsNodes + g);
    return x + y * static_cast<std::size_t>(Side);
  }
};

TGridLayout HaldLayout(int level) {
  return {TGridLayout::TOrder::Hald, level * level, level * level * level};
}
constexpr TGridLayout kObsLayout{TGridLayout::TOrder::ObsTiles, kObsNodes, kObsSide};

bool IsReadablePictureName(const std::string& path) {
  return IsPictureExtension(path);
}

bool IsPngName(const std::string& path) {
  return UpperCase(ExtractFileExt(path)) == ".PNG";
}

// The file's bytes and the size its header declares.
struct THeaderedFile {
  std::string Data;
  TPictureHeader Header;
};

// What claims(file) answers for a picture file of at most kMaxLutFileBytes; false for a
// larger one, and for a picture that does not decode: it is left to no format rather than
// raised while every format is asked (loading it names the problem).
template <class Claims>
bool ClaimsPicture(const std::string& path, Claims&& claims) {
  if (FileSizeOf(path) > kMaxLutFileBytes) return false;
  THeaderedFile file;
  file.Data = ReadWholeFile(path);
  try {
    file.Header = ReadPictureHeader(path, file.Data);
    return claims(file);
  } catch (const EPictureError&) {
    return false;
  }
}

// Every picture at 16 bits per channel: PNG as stored, the 8-bit decoders' values times 257.
TPicture48 DecodeFullDepth(const std::string& path, std::string_view data) {
  if (IsPngName(path)) return DecodePng48(path, data);
  const TDecodedPicture decoded = DecodePicture(path, data);
  const TBitmap24& bitmap = decoded.Bitmap;
  TPicture48 picture{bitmap.Width(), bitmap.Height(), {}};
  picture.Rgb.resize(std::size_t{3} * bitmap.Width() * bitmap.Height());
  std::uint16_t* out = picture.Rgb.data();
  for (int y = 0; y < bitmap.Height(); ++y) {
    const std::uint8_t* pixel = bitmap.ScanLine(y);
    for (int x = 0; x < bitmap.Width(); ++x, pixel += 3, out += 3) {
      out[0] = static_cast<std::uint16_t>(pixel[2] * 257);
      out[1] = static_cast<std::uint16_t>(pixel[1] * 257);
      out[2] = static_cast<std::uint16_t>(pixel[0] * 257);
    }
  }
  return picture;
}

// The summed absolute steps between neighbouring nodes along green and blue (red steps are
// the same in both layouts): the layout that really holds the grid gives the smoother one.
double GreenBlueVariation(const TPicture48& picture, const TGridLayout& layout) {
  const int n = layout.Nodes;
  double sum = 0.0;
  auto step = [&](std::size_t a, std::size_t b) {
    for (std::size_t c = 0; c < 3; ++c) {
      sum += std::abs(static_cast<int>(picture.Rgb[3 * a + c]) -
                      static_cast<int>(picture.Rgb[3 * b + c]));
    }
  };
  for (int b = 0; b < n; ++b) {
    for (int g = 0; g < n; ++g) {
      for (int r = 0; r < n; ++r) {
        const std::size_t here = layout.PixelOf(r, g, b);
        if (g + 1 < n) step(here, layout.PixelOf(r, g + 1, b));
        if (b + 1 < n) step(here, layout.PixelOf(r, g, b + 1));
      }
    }
  }
  return sum;
}

// A 512 x 512 picture holds either OBS's tiles or a level-8 Hald CLUT; ties go to OBS (a
// picture of one colour reads the same either way).
bool ObsLayoutFitsBetter(const TPicture48& picture) {
  return GreenBlueVariation(picture, kObsLayout) <= GreenBlueVariation(picture, HaldLayout(8));
}

bool IsObsShape(const TPictureHeader& header) {
  return header.Width == kObsSide && header.Height == kObsSide;
}

TRGB NodeOfPixel(const TPicture48& picture, std::size_t pixel) {
  const std::uint16_t* rgb = picture.Rgb.data() + 3 * pixel;
  return {rgb[0] / kTop16, rgb[1] / kTop16, rgb[2] / kTop16};
}

void ReadGridWhole(const TPicture48& picture, const TGridLayout& layout, TLUT& lut) {
  const int n = layout.Nodes;
  for (int b = 0; b < n; ++b)
    for (int g = 0; g < n; ++g)
      for (int r = 0; r < n; ++r)
        lut.SetNode(r, g, b, NodeOfPixel(picture, layout.PixelOf(r, g, b)));
}

// Where a node of an m-node axis falls on the picture's n-node axis.
struct TAxisPoint {
  int Low;
  int High;
  double Weight;  // of High
};

TAxisPoint AxisPoint(int index, int m, int n) {
  const double position = static_cast<double>(index) * (n - 1) / (m - 1);
  const int low = std::min(static_cast<int>(position), n - 1);
  return {low, std::min(low + 1, n - 1), position - low};
}

// The picture's grid sampled trilinearly on m nodes per axis.
void ReadGridSampled(const TPicture48& picture, const TGridLayout& layout, int m, TLUT& lut) {
  const int n = layout.Nodes;
  for (int b = 0; b < m; ++b) {
    const TAxisPoint pb = AxisPoint(b, m, n);
    for (int g = 0; g < m; ++g) {
      const TAxisPoint pg = AxisPoint(g, m, n);
      for (int r = 0; r < m; ++r) {
        const TAxisPoint pr = AxisPoint(r, m, n);
        double sum[3] = {0.0, 0.0, 0.0};
        for (int corner = 0; corner < 8; ++corner) {
          const double weight = (corner & 1 ? pr.Weight : 1.0 - pr.Weight) *
                                (corner & 2 ? pg.Weight : 1.0 - pg.Weight) *
                                (corner & 4 ? pb.Weight : 1.0 - pb.Weight);
          if (weight == 0.0) continue;
          const TRGB node = NodeOfPixel(
              picture, layout.PixelOf(corner & 1 ? pr.High : pr.Low, corner & 2 ? pg.High : pg.Low,
                                      corner & 4 ? pb.High : pb.Low));
          sum[0] += weight * node.R;
          sum[1] += weight * node.G;
          sum[2] += weight * node.B;
        }
        lut.SetNode(r, g, b, {sum[0], sum[1], sum[2]});
      }
    }
  }
}

void ReadGrid(const TPicture48& picture, const TGridLayout& layout, TLUT& lut) {
  const int nodes = std::min(layout.Nodes, kDeepestWholeHaldLevel * kDeepestWholeHaldLevel);
  lut.Kind = lk3D;
  lut.Size3D = nodes;
  lut.ReserveGrid(nodes);
  if (nodes == layout.Nodes) {
    ReadGridWhole(picture, layout, lut);
  } else {
    ReadGridSampled(picture, layout, nodes, lut);
  }
}

std::string SidesText(const TPictureHeader& header) {
  return IntToStr(header.Width) + " x " + IntToStr(header.Height);
}

// A value clamped to [0, 1] (NaN as 0) as a code of 0..top, halves to even.
std::uint16_t Code(double value, double top) {
  if (!(value > 0.0)) return 0;
  return static_cast<std::uint16_t>(RoundHalfEven(std::min(value, 1.0) * top));
}

bool IsTiffName(const std::string& path) {
  const std::string extension = UpperCase(ExtractFileExt(path));
  return extension == ".TIF" || extension == ".TIFF";
}

// Writes the picture of a grid laid out as layout whose node (r, g, b) is nodeAt(r, g, b).
template <class NodeAt>
void WriteGridPicture(const TGridLayout& layout, const std::string& path, int bits, TWriteMode mode,
                      NodeAt&& nodeAt) {
  const int n = layout.Nodes;
  const bool deep = bits == 16 && !IsTiffName(path);
  const double top = deep ? kTop16 : 255.0;
  TPicture48 picture{layout.Side, layout.Side, {}};
  picture.Rgb.resize(std::size_t{3} * layout.Side * layout.Side);
  for (int b = 0; b < n; ++b)
    for (int g = 0; g < n; ++g)
      for (int r = 0; r < n; ++r) {
        const TRGB node = nodeAt(r, g, b);
        std::uint16_t* out = picture.Rgb.data() + 3 * layout.PixelOf(r, g, b);
        out[0] = Code(node.R, top);
        out[1] = Code(node.G, top);
        out[2] = Code(node.B, top);
      }
  if (deep) {
    SavePng48(path, picture, mode);
    return;
  }
  TBitmap24 bitmap(layout.Side, layout.Side);
  std::uint8_t* pixel = bitmap.Data();
  for (std::size_t i = 0; i < picture.Rgb.size(); i += 3, pixel += 3) {
    pixel[0] = static_cast<std::uint8_t>(picture.Rgb[i + 2]);
    pixel[1] = static_cast<std::uint8_t>(picture.Rgb[i + 1]);
    pixel[2] = static_cast<std::uint8_t>(picture.Rgb[i]);
  }
  if (IsTiffName(path)) {
    SaveTiff(path, bitmap, mode);
  } else {
    SavePng(path, bitmap, mode);
  }
}

}  // namespace

int HaldLevelOfSides(int width, int height) {
  if (width != height) return 0;
  for (int level = kMinHaldLevel; level <= kMaxHaldLevel; ++level) {
    if (level * level * level == width) return level;
  }
  return 0;
}

int HaldLevelForGrid(int nodes) {
  int level = kMinHaldLevel;
  while (level < kDeepestWholeHaldLevel && level * level < nodes) ++level;
  return level;
}

bool IsHaldClutFile(const std::string& path) {
  if (!IsReadablePictureName(path)) return false;
  return ClaimsPicture(path, [&](const THeaderedFile& file) {
    if (HaldLevelOfSides(file.Header.Width, file.Header.Height) == 0) return false;
    if (IsPngName(path) && IsObsShape(file.Header)) {
      return !ObsLayoutFitsBetter(DecodePng48(path, file.Data));
    }
    return true;
  });
}

void ReadHaldClut(const std::string& path, TLUT& lut) {
  const std::string data = ReadWholeFile(path);
  const TPictureHeader header = ReadPictureHeader(path, data);
  const int level = HaldLevelOfSides(header.Width, header.Height);
  if (level == 0) {
    throw ELUTError(
        "The picture is not a Hald CLUT: a Hald CLUT of level L is a square of "
        "L^3 pixels a side, L from 2 to 16 (8 x 8 to 4096 x 4096), this one has " +
        SidesText(header) + " pixels.");
  }
  ReadGrid(DecodeFullDepth(path, data), HaldLayout(level), lut);
}

bool IsObsLookupPictureFile(const std::string& path) {
  if (!IsPngName(path)) return false;
  return ClaimsPicture(path, [&](const THeaderedFile& file) {
    return IsObsShape(file.Header) && ObsLayoutFitsBetter(DecodePng48(path, file.Data));
  });
}

void ReadObsLookupPicture(const std::string& path, TLUT& lut) {
  const std::string data = ReadWholeFile(path);
  const TPictureHeader header = ReadPictureHeader(path, data);
  if (!IsObsShape(header)) {
    throw ELUTError("The picture is not an OBS lookup picture: that is a PNG of " +
                    IntToStr(kObsSide) + " x " + IntToStr(kObsSide) + " pixels, this one has " +
                    SidesText(header) + " pixels.");
  }
  ReadGrid(DecodePng48(path, data), kObsLayout, lut);
}

namespace {

// The grid of n nodes that a picture holds: lut itself, or lut sampled on n nodes.
const TLUT& GridOf(const TLUT& lut, int n, std::unique_ptr<TLUT>& sampled) {
  if (lut.Kind == lk3D && lut.Size3D == n) return lut;
  sampled = std::make_unique<TLUT>();
  sampled->Kind = lk3D;
  sampled->Size3D = n;
  sampled->ResampleFrom(lut);
  return *sampled;
}

// A table has no grid size of its own: it gets the grid of an OBS picture, level 8.
int GridNodesOf(const TLUT& lut) {
  return lut.HasGrid() ? lut.Size3D : kObsNodes;
}

}  // namespace

void WriteHaldClut(const TLUT& lut, const std::string& path, int bits, TWriteMode mode) {
  const TGridLayout layout = HaldLayout(HaldLevelForGrid(GridNodesOf(lut)));
  std::unique_ptr<TLUT> sampled;
  const TLUT& grid = GridOf(lut, layout.Nodes, sampled);
  WriteGridPicture(layout, path, bits, mode,
                   [&](int r, int g, int b) { return grid.GetNode(r, g, b); });
}

void WriteIdentityHaldClut(int level, const std::string& path, int bits, TWriteMode mode) {
  const double step = 1.0 / (level * level - 1);
  WriteGridPicture(HaldLayout(level), path, bits, mode, [&](int r, int g, int b) {
    return TRGB{r * step, g * step, b * step};
  });
}

void WriteObsLookupPicture(const TLUT& lut, const std::string& path, TWriteMode mode) {
  std::unique_ptr<TLUT> sampled;
  const TLUT& grid = GridOf(lut, kObsNodes, sampled);
  WriteGridPicture(kObsLayout, path, 8, mode,
                   [&](int r, int g, int b) { return grid.GetNode(r, g, b); });
}

}  // namespace vorn
