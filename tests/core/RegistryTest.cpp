#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "core/LUTFormat.h"
#include "formats/FormatToolkit.h"
#include "platform/Files.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

struct FormatRow {
  const char* Name;
  bool Is3D;
};

// The complete format list in detection order.
const std::vector<FormatRow> kAllFormats = {
    {"Cube 3D Truelight", true},
    {"Cube 3D", true},
    {"Autodesk Lustre 3D", true},
    {"Pandora 3D, Technicolor", true},
    {"3DL", true},
    {"Nucoda 3D", true},
    {"Codex 3D", true},
    {"Cube 1D", false},
    {"Clipster 3D", true},
    {"Luther 3D", true},
    {"Colorfront OSD 3D", true},
    {"Davinci DAT 3D", true},
    {"Quantel 3D", true},
    {"Codex 1D, Scratch 1D", false},
    {"Autodesk Lustre 1D", false},
    {"Filmlight Truelight 1D", false},
    {"Quantel 1D", false},
    {"S.two 1D", false},
    {"Nucoda 1D", false},
    {"Colorfront OSD 1D", false},
    {"Fusion 1D", false},
    {"Blackmagic HDLink 1D", false},
    {"Cine-tal 1D", false},
    {"Shake 1D", false},
    {"DaVinci Resolve ilut 1D", false},
    {"DaVinci Resolve olut 1D", false},
    {"Adobe SpeedGrade Look 3D", true},
    {"ASC CDL", true},
    {"PixelFarm PFClean 3D", true},
    {"FSI CFE (Flanders Scientific) 3D", true},
    {"FSI DIT (Flanders Scientific) 3D", true},
    {"MatchLight 3D Cube", true},
    {"Adobe Primeire Look", true},
    {"Panasonic 3D", true},
    {"Hald Image", true},
    {"OBS 3D", true},
    {"Hald CLUT", true},
    {"Imageworks SPI Matrix", true},
    {"Imageworks spi1d", false},
    {"Imageworks spi3d", true},
    {"cineSpace 1D", false},
    {"cineSpace 3D", true},
    {"Nuke vf 3D", true},
    {"Iridas itx 3D", true},
    {"Academy/ASC Common LUT Format", true},
};

struct ProfileRow {
  const char* Name;
  const char* Extension;
  const char* FormatName;
  int DefaultSize;
  int DefaultBits;
  bool SizeSelectable;
  bool BitsSelectable;
};

const std::vector<ProfileRow> kAllProfiles = {
    {"3DL Scratch, Autodesk, Blackmagic, Cine-tal", "3dl", "3DL", 17, 12, false, false},
    {"3DL Fusion", "3dl", "3DL", 33, 12, false, false},
    {"Adobe Premiere Look", "look", "Adobe Primeire Look", 32, 0, false, false},
    {"Adobe SpeedGrade Look", "look", "Adobe SpeedGrade Look 3D", 8, 0, true, false},
    {"Autodesk Lustre 3D", "lut", "Autodesk Lustre 3D", 33, 12, false, false},
    {"Clipster 3D", "txt", "Clipster 3D", 17, 16, false, false},
    {"Codex 3D", "txt", "Codex 3D", 17, 12, false, false},
    {"Colorfront OSD 3D", "3dmesh", "Colorfront OSD 3D", 17, 0, false, false},
    {"Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke", "cube", "Cube 3D", 32, 0, false, false},
    {"Cube 3D Davinci", "cube", "Cube 3D", 33, 0, true, false},
    {"Cube 3D Truelight", "cube", "Cube 3D Truelight", 32, 0, false, false},
    {"Davinci DAT 3D", "dat", "Davinci DAT 3D", 33, 0, false, false},
    {"Dolby DD3", "dd3", "3DL", 17, 12, false, false},
    {"FSI CFE (Flanders Scientific) 3D", "cfe", "FSI CFE (Flanders Scientific) 3D", 17, 0, false,
     false},
    {"FSI DIT (Flanders Scientific) 3D", "dat", "FSI DIT (Flanders Scientific) 3D", 64, 10, false,
     false},
    {"Nucoda 3D", "cms", "Nucoda 3D", 33, 0, true, false},
    {"Luther 3D", "txt", "Luther 3D", 33, 10, false, false},
    {"Open Broadcaster Software 3D PNG", "png", "OBS 3D", 64, 8, false, false},
    {"Pandora 3D, Apple 3D m3d", "m3d", "Pandora 3D, Technicolor", 17, 16, false, false},
    {"Panasonic 3D vlt, Varicam", "vlt", "Panasonic 3D", 17, 0, false, false},
    {"PixelFarm PFClean 3D", "pfl", "PixelFarm PFClean 3D", 16, 8, false, false},
    {"Quantel 3D", "txt", "Quantel 3D", 17, 12, false, false},
    {"Technicolor 3D mga", "mga", "Pandora 3D, Technicolor", 33, 16, false, false},
    {"Autodesk Lustre 1D", "lut", "Autodesk Lustre 1D", 65536, 16, true, true},
    {"Blackmagic HDLink 1D", "txt", "Blackmagic HDLink 1D", 1024, 0, false, false},
    {"Cine-tal 1D", "txt", "Cine-tal 1D", 1024, 10, false, false},
    {"Codex 1D, Sony SRW-1, Scratch 1D", "dat", "Codex 1D, Scratch 1D", 1024, 10, false, false},
    {"Colorfront OSD 1D", "1dlut", "Colorfront OSD 1D", 1024, 0, false, false},
    {"Cube 1D", "cube", "Cube 1D", 4096, 0, false, false},
    {"Filmlight Truelight 1D", "cube", "Filmlight Truelight 1D", 4096, 0, false, false},
    {"Fusion 1D", "alut", "Fusion 1D", 65536, 16, false, false},
    {"Nucoda 1D", "cms", "Nucoda 1D", 4096, 0, false, false},
    {"Quantel 1D", "txt", "Quantel 1D", 1024, 10, false, false},
    {"S.two 1D", "swto.xml", "S.two 1D", 1024, 10, false, false},
    {"Shake 1D", "txt", "Shake 1D", 65536, 16, false, false},
    // Added since, after the numbers scripts rely on.
    {"Hald CLUT", "png", "Hald CLUT", 64, 8, true, true},
    {"cineSpace 3D", "csp", "cineSpace 3D", 33, 0, false, false},
    {"Imageworks spi3d", "spi3d", "Imageworks spi3d", 33, 0, false, false},
    {"Iridas itx", "itx", "Iridas itx 3D", 33, 0, false, false},
    {"cineSpace 1D", "csp", "cineSpace 1D", 4096, 0, false, false},
    {"Imageworks spi1d", "spi1d", "Imageworks spi1d", 4096, 0, false, false},
    {"Academy/ASC Common LUT Format", "clf", "Academy/ASC Common LUT Format", 33, 0, true, false},
};

// The registered formats must be the full list with the missing ones left out, in the same
// relative order; every profile of a registered format must be there in order, naming it.
TEST(Registry, FormatsFollowTheFullListInOrder) {
  auto& formats = LutFormats();
  ASSERT_FALSE(formats.empty());
  std::size_t next = 0;
  for (const auto& format : formats) {
    while (next < kAllFormats.size() && format->Name != kAllFormats[next].Name) ++next;
    ASSERT_LT(next, kAllFormats.size()) << format->Name << " is out of order or unknown";
    EXPECT_EQ(format->Is3D, kAllFormats[next].Is3D) << format->Name;
    ++next;
  }
  for (const char* name : {"Cube 3D Truelight",
                           "Cube 3D",
                           "Autodesk Lustre 3D",
                           "Pandora 3D, Technicolor",
                           "3DL",
                           "Nucoda 3D",
                           "Codex 3D",
                           "Cube 1D",
                           "Clipster 3D",
                           "Luther 3D",
                           "Colorfront OSD 3D",
                           "Davinci DAT 3D",
                           "Quantel 3D",
                           "Codex 1D, Scratch 1D",
                           "Autodesk Lustre 1D",
                           "Filmlight Truelight 1D",
                           "Quantel 1D",
                           "S.two 1D",
                           "Nucoda 1D",
                           "Colorfront OSD 1D",
                           "Fusion 1D",
                           "Blackmagic HDLink 1D",
                           "Cine-tal 1D",
                           "Shake 1D",
                           "DaVinci Resolve ilut 1D",
                           "DaVinci Resolve olut 1D",
                           "Adobe SpeedGrade Look 3D",
                           "ASC CDL",
                           "PixelFarm PFClean 3D",
                           "FSI CFE (Flanders Scientific) 3D",
                           "FSI DIT (Flanders Scientific) 3D",
                           "MatchLight 3D Cube",
                           "Adobe Primeire Look",
                           "Panasonic 3D",
                           "Hald Image",
                           "OBS 3D",
                           "Imageworks SPI Matrix",
                           "Hald CLUT",
                           "Academy/ASC Common LUT Format"}) {
    EXPECT_GE(IndexOfFormat(name), 0) << name;
  }
  EXPECT_EQ(IndexOfFormat("Cube 3D Truelight"), 0);
  EXPECT_EQ(IndexOfFormat("Cube 3D"), 1);
}

TEST(Registry, ProfilesFollowTheFullTableForTheRegisteredFormats) {
  std::vector<const ProfileRow*> expected;
  for (const ProfileRow& row : kAllProfiles) {
    if (IndexOfFormat(row.FormatName) >= 0) expected.push_back(&row);
  }
  auto& profiles = OutputProfiles();
  ASSERT_EQ(profiles.size(), expected.size());
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    const TLutOutputProfile& p = *profiles[i];
    const ProfileRow& e = *expected[i];
    EXPECT_EQ(p.Name, e.Name);
    EXPECT_EQ(p.Extension, e.Extension) << e.Name;
    EXPECT_EQ(p.FormatIndex, IndexOfFormat(e.FormatName)) << e.Name;
    EXPECT_EQ(p.DefaultSize, e.DefaultSize) << e.Name;
    EXPECT_EQ(p.DefaultBits, e.DefaultBits) << e.Name;
    EXPECT_EQ(p.SizeSelectable, e.SizeSelectable) << e.Name;
    EXPECT_EQ(p.BitsSelectable, e.BitsSelectable) << e.Name;
    EXPECT_EQ(&GetOutputProfile(static_cast<int>(i)), &p);
  }
}

// With every format registered, the two lists are the full tables, whole.
TEST(Registry, TheFullRegistryIsBothTablesWhole) {
  auto& formats = LutFormats();
  if (formats.size() < kAllFormats.size()) {
    GTEST_SKIP() << formats.size() << " of " << kAllFormats.size()
                 << " formats registered: their order is checked above";
  }
  ASSERT_EQ(formats.size(), kAllFormats.size());
  for (std::size_t i = 0; i < formats.size(); ++i) {
    EXPECT_EQ(formats[i]->Name, kAllFormats[i].Name) << i;
    EXPECT_EQ(formats[i]->Is3D, kAllFormats[i].Is3D) << i;
  }
  ASSERT_EQ(OutputProfiles().size(), kAllProfiles.size());
  for (std::size_t i = 0; i < kAllProfiles.size(); ++i) {
    EXPECT_EQ(GetOutputProfile(static_cast<int>(i)).Name, kAllProfiles[i].Name) << i;
  }
}

TEST(Registry, GetFormatAnswersNoneOutOfRange) {
  EXPECT_EQ(GetFormat(-1), nullptr);
  EXPECT_EQ(GetFormat(static_cast<int>(LutFormats().size())), nullptr);
  EXPECT_EQ(GetFormat(static_cast<int>(kAllFormats.size())), nullptr);
  EXPECT_NE(GetFormat(0), nullptr);
}

TEST(DetectFormat, EachDetectionReadsTheFileAfresh) {
  test::TempDir dir;
  const std::string path = dir.Write("a.cube", "LUT_3D_SIZE 2\n");
  EXPECT_EQ(DetectFormat(path), IndexOfFormat("Cube 3D"));
  WriteWholeFile(path, "LUT_3D_SIZE 2\nLUT_3D_VERSION 2.0.0\n");
  EXPECT_EQ(DetectFormat(path), IndexOfFormat("FSI CFE (Flanders Scientific) 3D"));
  WriteWholeFile(path, "no keywords\n");
  EXPECT_EQ(DetectFormat(path), -1);
}

TEST(LoadLut, AnUnknownFileLeavesFormatIndexAtMinusOneAndNoComments) {
  test::TempDir dir;
  std::string path = dir.Write("x.cube", "not a lut at all\n");
  EXPECT_EQ(DetectFormat(path), -1);
  TLUT lut;
  lut.FormatIndex = 3;
  lut.Comments = {"old"};
  LoadLut(path, lut, -1);
  EXPECT_EQ(lut.FormatIndex, -1);
  EXPECT_TRUE(lut.Comments.empty());
}

TEST(LoadLut, AFailedLoadDoesNotSetTheFormatIndex) {
  test::TempDir dir;
  std::string path = dir.Write("short.cube", "LUT_3D_SIZE 2\n0 0 0\n1 0 0\n");
  TLUT lut;
  try {
    LoadLut(path, lut, -1);
    FAIL();
  } catch (const ELUTError& e) {
    EXPECT_STREQ(e.what(), "Incomplete file. 2 of the 8 values the file declares were read.");
  }
  EXPECT_EQ(lut.FormatIndex, -1);
  // The kind and the size of the file are set all the same.
  EXPECT_EQ(lut.Kind, lk3D);
  EXPECT_EQ(lut.Size3D, 2);
  lut.FormatIndex = 0;
  EXPECT_THROW(LoadLut(path, lut, IndexOfFormat("Cube 3D")), ELUTError);
  EXPECT_EQ(lut.FormatIndex, 0);
}

TEST(LoadLut, AMissingFileRaisesTheFileError) {
  TLUT lut;
  EXPECT_THROW(LoadLut("/no/such/dir/a.cube", lut, -1), Exception);
  EXPECT_THROW(DetectFormat("/no/such/dir/a.cube"), Exception);
}

TEST(SaveLut, WritesThroughTheProfilesFormat) {
  test::TempDir dir;
  TLUT lut;
  lut.Kind = lk3D;
  lut.Size3D = 2;
  lut.Size1D = 2;  // what the 1D writers write
  for (const auto& profile : OutputProfiles()) {
    std::string path = dir.File("out." + profile->Extension);
    SaveLut(path, lut, *profile, -1);
    if (!GetFormat(profile->FormatIndex)->CanRead()) continue;  // write only: never detected
    // An itx file is a cube file: the cube format, registered before, claims it.
    if (profile->Extension == "itx") {
      EXPECT_EQ(DetectFormat(path), IndexOfFormat("Cube 3D"));
      continue;
    }
    // Dolby's .dd3 files are written by the 3DL format, which knows its files by ".3dl".
    const bool detected = profile->Extension != "dd3";
    EXPECT_EQ(DetectFormat(path), detected ? profile->FormatIndex : -1) << profile->Name;
  }
}

}  // namespace
}  // namespace vorn
