// Standard Hald CLUTs and OBS lookup pictures through the registry: pictures made here
// node by node (independently of the writers), detected, loaded and compared with the grid
// they hold.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "codecs/Pictures.h"
#include "formats/FormatToolkit.h"
#include "platform/Files.h"
#include "tests/support/TestLuts.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

using TGrade = std::function<TRGB(double, double, double)>;

TRGB Identity(double r, double g, double b) {
  return {r, g, b};
}

// A grade whose every node differs, so that a wrong node or channel order shows.
TRGB Graded(double r, double g, double b) {
  return {0.02 + 0.9 * std::pow(r, 0.8), 0.5 * g + 0.3 * b * b + 0.1 * r,
          std::sqrt(0.6 * b + 0.3 * g + 0.1 * r * r)};
}

// The level's picture, pixel p holding node (p % n, p / n % n, p / n^2) at 16 bits.
TPicture48 HaldPicture(int level, const TGrade& grade) {
  const int n = level * level, side = n * level;
  TPicture48 picture{side, side, std::vector<std::uint16_t>(std::size_t{3} * side * side)};
  for (std::size_t p = 0; p < std::size_t{1} * side * side; ++p) {
    const double step = 1.0 / (n - 1);
    const TRGB value = grade(p % n * step, p / n % n * step, p / n / n * step);
    picture.Rgb[3 * p] = static_cast<std::uint16_t>(std::lround(value.R * 65535));
    picture.Rgb[3 * p + 1] = static_cast<std::uint16_t>(std::lround(value.G * 65535));
    picture.Rgb[3 * p + 2] = static_cast<std::uint16_t>(std::lround(value.B * 65535));
  }
  return picture;
}

TBitmap24 To24(const TPicture48& picture) {
  TBitmap24 bitmap(picture.Width, picture.Height);
  for (std::size_t i = 0; i < picture.Rgb.size(); ++i) {
    bitmap.Data()[i / 3 * 3 + 2 - i % 3] =
        static_cast<std::uint8_t>((picture.Rgb[i] * 255 + 32767) / 65535);
  }
  return bitmap;
}

enum class TFileKind { Png8, Png16, Tiff8, Tiff16, Jpeg, Bmp };

struct TKindCase {
  TFileKind Kind;
  const char* Name;
  double Tolerance;  // in units of 1.0
};

const TKindCase kKinds[] = {
    {TFileKind::Png8, "hald8.png", 0.5 / 255 + 0.5 / 65535},
    {TFileKind::Png16, "hald16.png", 0.5 / 65535 + 1e-12},
    {TFileKind::Tiff8, "hald8.tif", 0.5 / 255 + 0.5 / 65535},
    // Read through the 8-bit TIFF decoder.
    {TFileKind::Tiff16, "hald16.tif", 0.5 / 255 + 0.5 / 65535},
    // Quality 100 without subsampling; the grid's jumps at the ends of rows ring.
    {TFileKind::Jpeg, "hald.jpg", 12.0 / 255},
    {TFileKind::Bmp, "hald.bmp", 0.5 / 255 + 0.5 / 65535},
};

// Writes the picture as kind; false when the kind needs ImageMagick and it is absent.
bool SaveAs(TFileKind kind, const TPicture48& picture, const std::string& path,
            const test::TempDir& dir) {
  switch (kind) {
    case TFileKind::Png8:
      SavePng(path, To24(picture));
      return true;
    case TFileKind::Png16:
      SavePng48(path, picture);
      return true;
    case TFileKind::Tiff8:
      SaveTiff(path, To24(picture));
      return true;
    case TFileKind::Tiff16: {
      if (!test::HasProgram("convert")) return false;
      const std::string png = dir.File("deep.png");
      SavePng48(png, picture);
      return test::RunProgram({"convert", png, "-depth", "16", path}).Status == 0;
    }
    case TFileKind::Jpeg:
      SaveJpeg(path, To24(picture), 100, TChromaSubsampling::None);
      return true;
    case TFileKind::Bmp:
      SaveBmp(path, To24(picture));
      return true;
  }
  return false;
}

double LargestDifference(const TLUT& lut, const TGrade& grade) {
  const int n = lut.Size3D;
  double largest = 0.0;
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b) {
        const TRGB want = grade(r / (n - 1.0), g / (n - 1.0), b / (n - 1.0));
        const TRGB got = lut.GetNode(r, g, b);
        largest = std::max({largest, std::fabs(got.R - want.R), std::fabs(got.G - want.G),
                            std::fabs(got.B - want.B)});
      }
  return largest;
}

TEST(HaldClut, EveryLevelFromTwoToTenReadsFromEveryPictureType) {
  test::TempDir dir;
  const int haldClut = IndexOfFormat("Hald CLUT");
  auto lut = std::make_unique<TLUT>();
  for (const bool graded : {false, true}) {
    const TGrade grade = graded ? TGrade(Graded) : TGrade(Identity);
    for (int level = 2; level <= 10; ++level) {
      if (!graded && level % 4 != 2) continue;  // the identity at levels 2, 6 and 10
      const TPicture48 picture = HaldPicture(level, grade);
      for (const TKindCase& kind : kKinds) {
        SCOPED_TRACE(std::string(kind.Name) + " level " + std::to_string(level) +
                     (graded ? " graded" : " identity"));
        const std::string path = dir.File(kind.Name);
        if (!SaveAs(kind.Kind, picture, path, dir)) continue;
        // A level-8 picture holding the grid in the Hald order is not OBS's.
        EXPECT_EQ(DetectFormat(path), haldClut);
        LoadLut(path, *lut);
        ASSERT_EQ(lut->Kind, lk3D);
        ASSERT_EQ(lut->Size3D, level * level);
        EXPECT_LE(LargestDifference(*lut, grade), kind.Tolerance);
      }
    }
  }
}

// Levels past 10 hold more nodes than a record: the grid is sampled down onto 100 nodes.
TEST(HaldClut, ADeeperLevelIsSampledDownOntoTheNodesOfLevelTen) {
  test::TempDir dir;
  const std::string path = dir.File("level11.png");
  auto lut = std::make_unique<TLUT>();
  struct TCase {
    TGrade Grade;
    double Tolerance;  // half a 16-bit code, plus the interpolation between nodes
  };
  // The grade's square root rises steeply between the picture's first nodes.
  const TCase cases[] = {{Identity, 0.5 / 65535 + 1e-9}, {Graded, 2e-3}};
  for (const TCase& c : cases) {
    SavePng48(path, HaldPicture(11, c.Grade));
    EXPECT_EQ(DetectFormat(path), IndexOfFormat("Hald CLUT"));
    LoadLut(path, *lut);
    ASSERT_EQ(lut->Size3D, 100);
    EXPECT_LE(LargestDifference(*lut, c.Grade), c.Tolerance);
  }
}

TEST(HaldClut, TheProfileWritesTheLevelThatHoldsTheSizeAndReadsBack) {
  test::TempDir dir;
  struct TCase {
    int Size;
    int Bits;
    int Side;  // of the picture written
    int Nodes;
  };
  const TCase cases[] = {{2, 8, 8, 4},     {4, 16, 8, 4},     {17, 8, 125, 25},  {33, 16, 216, 36},
                         {64, 8, 512, 64}, {64, 16, 512, 64}, {99, 8, 1000, 100}};
  const TLutOutputProfile& profile = test::ProfileNamed("Hald CLUT");
  auto loaded = std::make_unique<TLUT>();
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Size) + " nodes, " + std::to_string(c.Bits) + " bits");
    const std::string path = dir.File("out" + std::to_string(c.Size) + ".png");
    const auto source = test::SampledGrid(c.Size, Graded);
    SaveLut(path, *source, profile, c.Bits);
    const TPictureHeader header = ReadPictureHeader(path, test::ReadFile(path));
    EXPECT_EQ(header.Width, c.Side);
    EXPECT_EQ(header.BitsPerPixel, 3 * c.Bits);
    EXPECT_EQ(DetectFormat(path), profile.FormatIndex);
    LoadLut(path, *loaded);
    ASSERT_EQ(loaded->Size3D, c.Nodes);
    // Each node is the source's value at that node, within half a code.
    double largest = 0.0;
    for (int r = 0; r < c.Nodes; ++r)
      for (int g = 0; g < c.Nodes; ++g)
        for (int b = 0; b < c.Nodes; ++b) {
          const double s = 1.0 / (c.Nodes - 1);
          const TRGB want = source->Evaluate({r * s, g * s, b * s});
          const TRGB got = loaded->GetNode(r, g, b);
          largest = std::max({largest, std::fabs(got.R - want.R), std::fabs(got.G - want.G),
                              std::fabs(got.B - want.B)});
        }
    EXPECT_LE(largest, 0.5 / (std::ldexp(1.0, c.Bits) - 1) + 1e-9);
  }
}

// The shape is read from the header: a square that is no cube, or a picture that is not
// square, is no Hald CLUT; loading one as a Hald CLUT names its size.
TEST(HaldClut, OtherShapesAreNotClaimedAndAreRefusedByName) {
  test::TempDir dir;
  struct TCase {
    int Width, Height;
  };
  const TCase cases[] = {{100, 100}, {64, 512}, {4, 4}, {4097, 4097}};
  const TLUTFormat* format = GetFormat(IndexOfFormat("Hald CLUT"));
  auto lut = std::make_unique<TLUT>();
  for (const TCase& c : cases) {
    const std::string path = dir.File("shape.png");
    SavePng(path, TBitmap24(c.Width, c.Height));
    EXPECT_FALSE(format->IsFormat(path)) << c.Width << " x " << c.Height;
    try {
      TLoadContext context;
      format->Load(path, *lut, context);
      ADD_FAILURE() << c.Width << " x " << c.Height << " loaded";
    } catch (const ELUTError& error) {
      EXPECT_NE(std::string(error.what())
                    .find(std::to_string(c.Width) + " x " + std::to_string(c.Height)),
                std::string::npos)
          << error.what();
    }
  }
  EXPECT_FALSE(format->IsFormat(dir.Write("cube.txt", "512 x 512")));
}

// OBS's tiles: node (r, g, b) at (64 (b % 8) + r, 64 (b / 8) + g).
TPicture48 ObsPicture(const TGrade& grade) {
  TPicture48 picture{512, 512, std::vector<std::uint16_t>(std::size_t{3} * 512 * 512)};
  for (int y = 0; y < 512; ++y)
    for (int x = 0; x < 512; ++x) {
      const TRGB value = grade(x % 64 / 63.0, y % 64 / 63.0, (y / 64 * 8 + x / 64) / 63.0);
      std::uint16_t* out = picture.Rgb.data() + 3 * (std::size_t{512} * y + x);
      out[0] = static_cast<std::uint16_t>(std::lround(value.R * 255) * 257);
      out[1] = static_cast<std::uint16_t>(std::lround(value.G * 255) * 257);
      out[2] = static_cast<std::uint16_t>(std::lround(value.B * 255) * 257);
    }
  return picture;
}

TEST(ObsLookupPicture, TilesReadAsTheirGridAndAreToldApartFromALevelEightHaldClut) {
  test::TempDir dir;
  const std::string path = dir.File("lookup.png");
  auto lut = std::make_unique<TLUT>();
  struct TCase {
    TGrade Grade;
    bool Tiles;
  };
  const TCase cases[] = {{Identity, true}, {Graded, true}, {Identity, false}, {Graded, false}};
  for (const TCase& c : cases) {
    SavePng(path, To24(c.Tiles ? ObsPicture(c.Grade) : HaldPicture(8, c.Grade)));
    EXPECT_EQ(DetectFormat(path), IndexOfFormat(c.Tiles ? "OBS 3D" : "Hald CLUT"));
    LoadLut(path, *lut);
    ASSERT_EQ(lut->Size3D, 64);
    EXPECT_LE(LargestDifference(*lut, c.Grade), 0.5 / 255 + 1e-9);
  }
}

TEST(ObsLookupPicture, OurWrittenPictureReadsBackWithinHalfACode) {
  test::TempDir dir;
  auto loaded = std::make_unique<TLUT>();
  for (int size : {17, 64}) {
    const auto source = test::SampledGrid(size, Graded);
    const std::string path = dir.File("obs" + std::to_string(size) + ".png");
    SaveLut(path, *source, test::ProfileNamed("Open Broadcaster Software 3D PNG"), -1);
    EXPECT_EQ(DetectFormat(path), IndexOfFormat("OBS 3D"));
    LoadLut(path, *loaded);
    ASSERT_EQ(loaded->Size3D, 64);
    double largest = 0.0;
    for (int r = 0; r < 64; ++r)
      for (int g = 0; g < 64; ++g)
        for (int b = 0; b < 64; ++b) {
          const TRGB want = source->Evaluate({r / 63.0, g / 63.0, b / 63.0});
          const TRGB got = loaded->GetNode(r, g, b);
          largest = std::max({largest, std::fabs(got.R - want.R), std::fabs(got.G - want.G),
                              std::fabs(got.B - want.B)});
        }
    EXPECT_LE(largest, 0.5 / 255 + 1e-9) << size;
  }
}

constexpr const char* kObsLuts = "/usr/share/obs/obs-plugins/obs-filters/LUTs";

TEST(ObsLookupPicture, TheShippedPicturesLoadAndOriginalIsTheIdentity) {
  if (!std::filesystem::is_directory(kObsLuts)) GTEST_SKIP() << kObsLuts << " is absent";
  auto lut = std::make_unique<TLUT>();
  int pictures = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kObsLuts)) {
    const std::string path = entry.path().string();
    if (entry.path().extension() != ".png") continue;
    SCOPED_TRACE(path);
    EXPECT_EQ(DetectFormat(path), IndexOfFormat("OBS 3D"));
    LoadLut(path, *lut);
    EXPECT_EQ(lut->Size3D, 64);
    ++pictures;
  }
  EXPECT_GT(pictures, 0);
  LoadLut(std::string(kObsLuts) + "/original.png", *lut);
  EXPECT_LE(LargestDifference(*lut, Identity), 0.5 / 255);
}

}  // namespace
}  // namespace vorn
