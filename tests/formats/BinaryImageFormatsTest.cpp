// The FSI DIT binary grid, PFClean and MatchLight files, and the two picture formats as
// the registry sees them.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <string>

#include "codecs/Pictures.h"
#include "formats/FormatToolkit.h"
#include "imaging/HaldImage.h"
#include "tests/support/TestLuts.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

constexpr std::size_t kFsiHeader = 128;
constexpr std::size_t kFsiFileBytes = 128 + 1048576;

const TLutOutputProfile& Profile(const std::string& name) {
  for (const auto& p : OutputProfiles())
    if (p->Name == name) return *p;
  throw std::runtime_error("no profile " + name);
}

std::unique_ptr<TLUT> IdentityGrid(int n) {
  return test::SampledGrid(n, [](double r, double g, double b) { return TRGB{r, g, b}; });
}

std::uint32_t WordAt(const std::string& file, std::size_t node) {
  const std::size_t at = kFsiHeader + 4 * node;
  std::uint32_t word = 0;
  for (int i = 3; i >= 0; --i) word = word << 8 | static_cast<std::uint8_t>(file[at + i]);
  return word;
}

std::uint32_t Word(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
  return red | green << 10 | blue << 20;
}

class BinaryImageFormats : public ::testing::Test {
 protected:
  test::TempDir Dir;
  std::unique_ptr<TLUT> Lut = std::make_unique<TLUT>();
};

// ---- FSI DIT ---------------------------------------------------------------------------

TEST_F(BinaryImageFormats, FsiDitHeaderBytesAndChecksums) {
  const std::string path = Dir.File("identity.dat");
  SaveLut(path, *IdentityGrid(64), Profile("FSI DIT (Flanders Scientific) 3D"), -1);
  const std::string file = test::ReadFile(path);
  ASSERT_EQ(file.size(), kFsiFileBytes);
  EXPECT_EQ(file.substr(0, 8), std::string("\x99\x02\x34\x42\x02\x00\x00\x01", 8));
  EXPECT_EQ(file.substr(8, 32), std::string(32, '\0'));
  EXPECT_EQ(file.substr(44, 4), std::string("\x00\x00\x10\x00", 4));
  EXPECT_EQ(file.substr(48, 16), "Vorn LUT Convert");
  EXPECT_EQ(file.substr(64, 63), std::string(63, '\0'));

  std::uint32_t dataSum = 0;
  for (std::size_t i = kFsiHeader; i < file.size(); ++i)
    dataSum += static_cast<std::uint8_t>(file[i]);
  std::uint32_t stored = 0;
  for (int i = 43; i >= 40; --i) stored = stored << 8 | static_cast<std::uint8_t>(file[i]);
  EXPECT_EQ(stored, dataSum);
  unsigned headerSum = 0;
  for (std::size_t i = 0; i < 127; ++i) headerSum += static_cast<std::uint8_t>(file[i]);
  EXPECT_EQ(static_cast<std::uint8_t>(file[127]), (2 * headerSum) % 256);
  // Bytes 0-126 of this header without its data checksum add up to 273 + 3 + 16 + 1467.
  unsigned fixedPart = 0;
  for (std::size_t i = 0; i < 127; ++i) {
    if (i < 40 || i > 43) fixedPart += static_cast<std::uint8_t>(file[i]);
  }
  EXPECT_EQ(fixedPart, 273u + 3 + 16 + 1467);
}

TEST_F(BinaryImageFormats, FsiDitWordsFollowTheGridRedFastest) {
  const std::string path = Dir.File("identity.dat");
  SaveLut(path, *IdentityGrid(64), Profile("FSI DIT (Flanders Scientific) 3D"), -1);
  const std::string file = test::ReadFile(path);
  struct TCase {
    std::size_t Index;
    std::uint32_t Expected;
  };
  const TCase cases[] = {
      {0, 0},
      {1, Word(16, 0, 0)},                          // node [1][0][0]
      {64, Word(0, 16, 0)},                         // node [0][1][0]
      {4096, Word(0, 0, 16)},                       // node [0][0][1]
      {5 + 64 * 7 + 4096 * 9, Word(80, 112, 144)},  // node [5][7][9]
      {262143, Word(1008, 1008, 1008)},
  };
  for (const TCase& c : cases) EXPECT_EQ(WordAt(file, c.Index), c.Expected) << c.Index;
}

TEST_F(BinaryImageFormats, FsiDitCodesStayInsideTheirFields) {
  auto lut = IdentityGrid(64);
  lut->SetNode(0, 0, 0, {-0.5, 1.5, -2.0});
  lut->SetNode(1, 0, 0, {1023.4 / 1008, 1.0 / 32, 3.0 / 32});  // 1023.4, 31.5, 94.5
  const std::string path = Dir.File("clamped.dat");
  SaveLut(path, *lut, Profile("FSI DIT (Flanders Scientific) 3D"), -1);
  const std::string file = test::ReadFile(path);
  EXPECT_EQ(WordAt(file, 0), Word(0, 1023, 0));
  EXPECT_EQ(WordAt(file, 1), Word(1023, 32, 94));  // halves to even

  LoadLut(path, *Lut);
  EXPECT_EQ(Lut->GetNode(0, 0, 0), (TRGB{0.0, 1023 / 1008.0, 0.0}));
  EXPECT_EQ(Lut->GetNode(1, 0, 0), (TRGB{1023 / 1008.0, 32 / 1008.0, 94 / 1008.0}));
  // Clamping would write NaN as 0: it is refused, and the file written before stays.
  lut->SetNode(0, 0, 0, {0.5, NAN, 0.5});
  EXPECT_THROW(SaveLut(path, *lut, Profile("FSI DIT (Flanders Scientific) 3D"), -1), Exception);
  EXPECT_EQ(WordAt(test::ReadFile(path), 0), Word(0, 1023, 0));
}

TEST_F(BinaryImageFormats, FsiDitAlwaysHolds64NodesAndReadsCodesOver1008) {
  // A 17-node grid is sampled on 64 nodes; read back, the identity stays within a code.
  const std::string path = Dir.File("small.dat");
  GetFormat(IndexOfFormat("FSI DIT (Flanders Scientific) 3D"))->Save(path, *IdentityGrid(17), 10);
  LoadLut(path, *Lut);
  EXPECT_EQ(Lut->FormatIndex, IndexOfFormat("FSI DIT (Flanders Scientific) 3D"));
  EXPECT_EQ(Lut->Kind, lk3D);
  EXPECT_EQ(Lut->Size3D, 64);
  EXPECT_EQ(Lut->GetNode(63, 32, 1), (TRGB{1.0, 512 / 1008.0, 16 / 1008.0}));

  // Bits 30 and 31 are ignored.
  std::string file = test::ReadFile(path);
  const std::uint32_t word = 0xC0000000u | Word(1023, 1009, 0);
  for (int i = 0; i < 4; ++i) file[kFsiHeader + i] = static_cast<char>(word >> (8 * i));
  LoadLut(Dir.Write("edited.dat", file), *Lut);
  EXPECT_EQ(Lut->GetNode(0, 0, 0), (TRGB{1023 / 1008.0, 1009 / 1008.0, 0.0}));
}

TEST_F(BinaryImageFormats, FsiDitShortFilesAreIncompleteOrNotClaimed) {
  const int fsi = IndexOfFormat("FSI DIT (Flanders Scientific) 3D");
  const std::string magic("\x99\x02\x34\x42", 4);
  struct TCase {
    const char* Name;
    std::string Content;
    bool Claimed;
  };
  const TCase cases[] = {
      {"empty.dat", "", false},
      {"three.dat", magic.substr(0, 3), false},
      {"magic.dat", magic, true},
      {"header.dat", magic + std::string(124, '\0'), true},
      {"one-short.dat", magic + std::string(kFsiFileBytes - 5, '\0'), true},
      {"other.dat", "\x98\x02\x34\x42" + std::string(kFsiFileBytes - 4, '\0'), false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string path = Dir.Write(c.Name, c.Content);
    EXPECT_EQ(GetFormat(fsi)->IsFormat(path), c.Claimed);
    if (!c.Claimed) continue;
    try {
      LoadLut(path, *Lut);
      FAIL() << "a short file loaded";
    } catch (const ELUTError& error) {
      EXPECT_STREQ(test::WithoutCounts(error.what()).c_str(), "Incomplete file.");
    }
    EXPECT_EQ(Lut->Kind, lk3D);
    EXPECT_EQ(Lut->Size3D, 64);
  }
}

// ---- PFClean 3D --------------------------------------------------------------------------

std::string PFClean(const std::string& maximum, const std::string& size, const std::string& cube) {
  return "<?xml version=\"1.0\"?>\n<lut type=\"ascii\">\n<maximum>" + maximum +
         "</maximum>\n<size>" + size + "</size>\n<cube>\n" + cube + "</cube>\n</lut>\n";
}

TEST_F(BinaryImageFormats, PFCleanNodesGoBlueFastestAndDivideByTheMaximum) {
  const std::string path =
      Dir.Write("order.pfl", PFClean("255", "2",
                                     "255 0 128\n0 0 255\n\nnot a node\n0 255 0\r\n0 255 255\r"
                                     "255 0 0\n255 0 255\n255 255 0\n255 255 255\n"));
  LoadLut(path, *Lut);
  EXPECT_EQ(Lut->FormatIndex, IndexOfFormat("PixelFarm PFClean 3D"));
  EXPECT_EQ(Lut->Kind, lk3D);
  EXPECT_EQ(Lut->Size3D, 2);
  EXPECT_EQ(Lut->GetNode(0, 0, 0), (TRGB{1.0, 0.0, 128 / 255.0}));
  EXPECT_EQ(Lut->GetNode(0, 0, 1), (TRGB{0.0, 0.0, 1.0}));  // the second line
  EXPECT_EQ(Lut->GetNode(0, 1, 0), (TRGB{0.0, 1.0, 0.0}));
  EXPECT_EQ(Lut->GetNode(1, 0, 0), (TRGB{1.0, 0.0, 0.0}));
  EXPECT_EQ(Lut->GetNode(1, 1, 1), (TRGB{1.0, 1.0, 1.0}));
}

// Nodes without a line would keep whatever the record held before (in the window, the
// previous file's values).
TEST_F(BinaryImageFormats, PFCleanMissingLinesAreIncomplete) {
  try {
    LoadLut(Dir.Write("short.pfl", PFClean("1023", "2", "1023 1023 1023\n")), *Lut);
    FAIL() << "loaded";
  } catch (const ELUTError& error) {
    EXPECT_EQ(test::WithoutCounts(error.Message()), kIncompleteFile);
  }
}

TEST_F(BinaryImageFormats, PFCleanRefusesBadSizesAndMaxima) {
  struct TCase {
    const char* Name;
    std::string Content;
    const char* Message;
  };
  const TCase cases[] = {
      {"max0.pfl", PFClean("0", "2", "0 0 0\n"),
       "The largest code 0 is not valid: integer codes need a largest code of at least 1."},
      {"maxneg.pfl", PFClean("-255", "2", "0 0 0\n"),
       "The largest code -255 is not valid: integer codes need a largest code of at least 1."},
      {"size101.pfl", PFClean("255", "101", "0 0 0\n"), kGridSizeLimitMessage},
      {"size0.pfl", PFClean("255", "0", "0 0 0\n"),
       "The grid size 0 is not valid: a 3D LUT needs at least 1 node per axis."},
      {"nocube.pfl", "<lut><maximum>255</maximum><size>2</size><cubes></cubes></lut>",
       "The \"cube\" node is not found"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string path = Dir.Write(c.Name, c.Content);
    try {
      LoadLut(path, *Lut, IndexOfFormat("PixelFarm PFClean 3D"));
      FAIL() << "loaded";
    } catch (const Exception& error) {
      EXPECT_STREQ(error.what(), c.Message);
    }
  }
  EXPECT_THROW(LoadLut(Dir.Write("text.pfl", PFClean("255", "two", "")), *Lut), EConvertError);
}

TEST_F(BinaryImageFormats, PFCleanWritesCodesAtTheProfileDepth) {
  auto lut = IdentityGrid(2);
  lut->SetNode(1, 1, 1, {0.5, 1.2, -0.1});
  const std::string path = Dir.File("out.pfl");
  SaveLut(path, *lut, Profile("PixelFarm PFClean 3D"), -1);
  EXPECT_EQ(test::ReadFile(path),
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<lut type=\"ascii\">\n<maximum>255</maximum>\n<size>2</size>\n<cube>\n"
            "0 0 0\n0 0 255\n0 255 0\n0 255 255\n255 0 0\n255 0 255\n255 255 0\n128 255 0\n"
            "</cube>\n</lut>\n");
  EXPECT_EQ(DetectFormat(path), IndexOfFormat("PixelFarm PFClean 3D"));
}

// ---- MatchLight ----------------------------------------------------------------------------

std::string MatchLight(const std::string& header, const std::string& values) {
  return "# MatchLight\n" + header + values;
}

const char* kShaper2 = "15 7.5 0\n0 0 15\n";
const char* kGrid2 = "0 0 0\n0 0 1\n0 1 0\n0 1 1\n1 0 0\n1 0 1\n1 1 0\n1 1 0.5\n";

TEST_F(BinaryImageFormats, MatchLightReadsTheShaperThenTheGridBlueFastest) {
  const std::string path = Dir.Write(
      "look.mlc", MatchLight("lutS 2\ncubeS 2\n", std::string(kShaper2) + "skip me\n" + kGrid2));
  LoadLut(path, *Lut);
  EXPECT_EQ(Lut->FormatIndex, IndexOfFormat("MatchLight 3D Cube"));
  EXPECT_EQ(Lut->Kind, lk1DAnd3D);
  EXPECT_EQ(Lut->Size1D, 2);
  EXPECT_EQ(Lut->Size3D, 2);
  EXPECT_EQ(Lut->GetEntry(0), (TRGB{1.0, 0.5, 0.0}));
  EXPECT_EQ(Lut->GetEntry(1), (TRGB{0.0, 0.0, 1.0}));
  EXPECT_EQ(Lut->GetNode(0, 0, 1), (TRGB{0.0, 0.0, 1.0}));
  EXPECT_EQ(Lut->GetNode(1, 0, 0), (TRGB{1.0, 0.0, 0.0}));
  EXPECT_EQ(Lut->GetNode(1, 1, 1), (TRGB{1.0, 1.0, 0.5}));

  // Keywords in any case and order; no shaper means a plain grid.
  LoadLut(Dir.Write("plain.txt", MatchLight("CUBES 2\nLUTS 0\n", kGrid2)), *Lut);
  EXPECT_EQ(Lut->Kind, lk3D);
  EXPECT_EQ(Lut->GetNode(1, 1, 1), (TRGB{1.0, 1.0, 0.5}));
}

TEST_F(BinaryImageFormats, MatchLightFilesEndingEarlyAreIncomplete) {
  const std::string grid = kGrid2;
  const std::string cases[] = {
      MatchLight("lutS 2\n", ""),
      MatchLight("lutS 2\ncubeS 2\n", "15 15 15\n"),
      MatchLight("lutS 2\ncubeS 2\n", kShaper2 + grid.substr(0, grid.rfind("1 1 0\n"))),
  };
  for (const std::string& content : cases) {
    SCOPED_TRACE(content);
    try {
      LoadLut(Dir.Write("short.mlc", content), *Lut, IndexOfFormat("MatchLight 3D Cube"));
      FAIL() << "loaded";
    } catch (const ELUTError& error) {
      EXPECT_STREQ(test::WithoutCounts(error.what()).c_str(), "Incomplete file.");
      EXPECT_EQ(error.Line(), 0);
    }
  }
}

TEST_F(BinaryImageFormats, MatchLightRefusesCountsBeyondTheRecord) {
  struct TCase {
    const char* Header;
    const char* Message;
    int Line;
  };
  const TCase cases[] = {
      {"lutS 100002\ncubeS 2\n",
       "The 1D size 100002 is too large: a 1D table holds at most 100001 entries.", 2},
      {"lutS -1\ncubeS 2\n", "The 1D size -1 is not valid: a 1D LUT needs at least 0 entries.", 2},
      {"lutS 2\ncubeS 101\n", kGridSizeLimitMessage, 3},
      {"lutS 2\ncubeS 0\n",
       "The grid size 0 is not valid: a 3D LUT needs at least 1 node per axis.", 3},
      {"lutS 2 cubeS 2\n", "'2 cubeS 2' is not a valid integer value", 2},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Header);
    try {
      LoadLut(Dir.Write("counts.mlc", MatchLight(c.Header, kGrid2)), *Lut,
              IndexOfFormat("MatchLight 3D Cube"));
      FAIL() << "loaded";
    } catch (const Exception& error) {
      EXPECT_STREQ(error.what(), c.Message);
      EXPECT_EQ(error.Line(), c.Line);
    }
  }
}

// ---- Pictures --------------------------------------------------------------------------

TEST_F(BinaryImageFormats, HaldImagesAreDetectedLastAndTheLookupPictureIsWriteOnly) {
  const std::string hald = Dir.File("graded.tif");
  SaveTiff(hald, MakeHaldImage());
  EXPECT_EQ(DetectFormat(hald), IndexOfFormat("Hald Image"));
  LoadLut(hald, *Lut);
  EXPECT_EQ(Lut->Size3D, 32);
  EXPECT_EQ(Lut->GetNode(31, 0, 5), (TRGB{1.0, 0.0, 41 / 255.0}));
  // The format does not write: Hald images are made by their own command.
  EXPECT_THROW(GetFormat(IndexOfFormat("Hald Image"))->Save(Dir.File("none.tif"), *Lut, 8),
               Exception);
  EXPECT_FALSE(FileExists(Dir.File("none.tif")));

  const TLUTFormat* obs = GetFormat(IndexOfFormat("OBS 3D"));
  const std::string png = Dir.File("lookup.png");
  SaveLut(png, *IdentityGrid(64), Profile("Open Broadcaster Software 3D PNG"), -1);
  // OBS's pictures are read too (tests/formats/HaldClutTest.cpp).
  EXPECT_TRUE(obs->CanRead());
  EXPECT_TRUE(obs->IsFormat(png));
  EXPECT_EQ(DetectFormat(png), IndexOfFormat("OBS 3D"));
  EXPECT_EQ(LoadPicture(png).Bitmap, MakeLutImage());
}

}  // namespace
}  // namespace vorn
