// Damaged pictures, pictures whose header the file cannot fill and pictures stored turned,
// through "apply", "info" and the Hald reader: an error naming the file and nothing
// written, or the picture as viewers show it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

#include "codecs/Pictures.h"
#include "core/VornLut.h"
#include "imaging/HaldImage.h"
#include "platform/Files.h"
#include "tests/cli/CliRunner.h"
#include "tests/cli/LutTexts.h"
#include "tests/support/PictureFaults.h"
#include "tests/support/TestSupport.h"

namespace vorn::test {
namespace {

TBitmap24 UpsideDown(const TBitmap24& picture) {
  TBitmap24 flipped(picture.Width(), picture.Height());
  for (int y = 0; y < picture.Height(); ++y)
    std::copy_n(picture.ScanLine(picture.Height() - 1 - y), picture.Stride(), flipped.ScanLine(y));
  return flipped;
}

struct TPictureCase {
  const char* Name;
  std::string Data;
  const char* Problem;
  bool MayHoldALut = true;  // a Hald picture type, which info reads
};

// Every output type, the JPEG one through the banded path for a JPEG picture: an error, a
// new output never made and an existing one left as it was.
void ExpectApplyRefuses(const TempDir& dir, const std::string& lut, const TPictureCase& c) {
  const std::string picture = dir.Write(c.Name, c.Data);
  for (const char* type : {".jpg", ".png", ".bmp", ".tif"}) {
    SCOPED_TRACE(std::string(c.Name) + " to " + type);
    const std::string never = dir.File(std::string("never") + type);
    const std::string kept = dir.Write(std::string("kept") + type, "not replaced");
    for (const std::string& out : {never, kept}) {
      const TCliResult result = RunCli({"apply", "--overwrite", lut, picture, out});
      EXPECT_EQ(result.Status, 1) << result.Err;
      EXPECT_NE(result.Err.find(picture + ": Cannot read picture: "), std::string::npos)
          << result.Err;
      EXPECT_NE(result.Err.find(c.Problem), std::string::npos) << result.Err;
    }
    EXPECT_FALSE(FileExists(never));
    EXPECT_EQ(ReadWholeFile(kept), "not replaced");
  }
}

TEST(CliDamagedPictures, ApplyOfACutOrCorruptPictureWritesNothing) {
  TempDir dir;
  const std::string lut = dir.Write("invert.cube", Cube2("",
                                                         "1 1 1\n0 1 1\n1 0 1\n0 0 1\n"
                                                         "1 1 0\n0 1 0\n1 0 0\n0 0 0\n"));
  const TBitmap24 photograph = TestPhotograph(700, 500);
  const std::string rows = PngRows(photograph);
  const TPictureCase cases[] = {
      {"half.jpg", CutJpeg(JpegWithOrientation(photograph, 0), 0.5),
       "JPEG: Corrupt JPEG data: premature end of data segment"},
      {"extra.png", PngDeclaring(700, 500, rows + rows.substr(0, 3000)), "Too much image data"},
      {"overrun.tif", PackBitsTiffWithOverrun(photograph), "to avoid buffer overrun"},
      {"short.bmp", BmpDeclaring(700, 500, 700 * 3 * 250), "BMP: the file is truncated"},
  };
  for (const TPictureCase& c : cases) ExpectApplyRefuses(dir, lut, c);
}

TEST(CliDamagedPictures, AHugeHeaderIsRefusedByInfoAndApplyWithoutItsPixels) {
  TempDir dir;
  const std::string lut = dir.Write("identity.cube", IdentityCube());
  constexpr int kSide = 16384;
  const TPictureCase cases[] = {
      {"huge.bmp", BmpDeclaring(kSide, kSide, 0), "BMP: the file is truncated"},
      {"huge.jpg", JpegDeclaring(kSide, kSide), "JPEG: the file is too short for a picture"},
      {"huge.png", PngDeclaring(kSide, kSide, std::string(1000, '\0')),
       "PNG: the file is too short for a picture", false},
      {"huge.tif", LzwTiffDeclaring(kSide, kSide), "TIFF: the file is too short"},
  };
  constexpr long kFewerKbThanThePicture = 256 * 1024;  // the picture would take 768 MiB
  for (const TPictureCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string picture = dir.Write(c.Name, c.Data);
    const TCliResult info = RunCli({"info", picture});
    if (c.MayHoldALut) {
      EXPECT_EQ(info.Status, 1);
      EXPECT_NE(info.Err.find(picture + ": Cannot read picture"), std::string::npos) << info.Err;
      EXPECT_NE(info.Err.find(c.Problem), std::string::npos) << info.Err;
    } else {
      EXPECT_NE(info.Out.find("Format: unknown"), std::string::npos) << info.Out;
    }
    EXPECT_LT(info.PeakResidentKb, kFewerKbThanThePicture);
    const std::string out = dir.File("out.png");
    const TCliResult apply = RunCli({"apply", lut, picture, out});
    EXPECT_EQ(apply.Status, 1);
    EXPECT_NE(apply.Err.find(c.Problem), std::string::npos) << apply.Err;
    EXPECT_LT(apply.PeakResidentKb, kFewerKbThanThePicture);
    EXPECT_FALSE(FileExists(out));
  }
}

TEST(CliDamagedPictures, ACutHaldImageIsNoLut) {
  TempDir dir;
  const std::string hald = dir.File("hald.jpg");
  ASSERT_EQ(RunCli({"hald", hald}).Status, 0);
  const std::string cut = dir.Write("cut.jpg", CutJpeg(ReadWholeFile(hald), 0.6));
  const TempDir out;
  const std::vector<std::string> commands[] = {
      {"info", cut}, {"convert", "--profile", "Cube 3D Davinci", "--output-dir", out.Path(), cut}};
  for (const std::vector<std::string>& command : commands) {
    const TCliResult result = RunCli(command);
    EXPECT_EQ(result.Status, 1) << command[0];
    EXPECT_NE(
        result.Err.find(
            cut + ": Cannot read picture: JPEG: Corrupt JPEG data: premature end of data segment"),
        std::string::npos)
        << result.Err;
  }
  EXPECT_TRUE(std::filesystem::is_empty(out.Path()));
}

// Largest difference between the nodes of two 32-node grids, in 8-bit steps.
double LargestNodeDifference(const TLUT& a, const TLUT& b) {
  double worst = 0;
  for (int r = 0; r < kHaldGridNodes; ++r)
    for (int g = 0; g < kHaldGridNodes; ++g)
      for (int bl = 0; bl < kHaldGridNodes; ++bl)
        for (int c = 0; c < 3; ++c)
          worst = std::max(worst, std::abs(a.Node(r, g, bl)[c] - b.Node(r, g, bl)[c]) * 255);
  return worst;
}

TEST(CliOrientedPictures, AHaldImageStoredBottomUpIsTheLutOfTheUprightOne) {
  TempDir dir;
  const TBitmap24 identity = MakeHaldImage();
  struct TCase {
    const char* Upright;
    std::string UprightData;
    const char* Turned;
    std::string TurnedData;
    double Tolerance;  // JPEG's blocks fall elsewhere on the flipped rows
  };
  const TCase cases[] = {
      {"up.tif", TiffWithOrientation(identity, 0), "turned.tif",
       TiffWithOrientation(UpsideDown(identity), 4), 0},
      {"up.jpg", JpegWithOrientation(identity, 0), "turned.jpg",
       JpegWithOrientation(UpsideDown(identity), 4), 6},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Turned);
    TLUT upright;
    TLUT turned;
    LoadLut(dir.Write(c.Upright, c.UprightData), upright);
    LoadLut(dir.Write(c.Turned, c.TurnedData), turned);
    ASSERT_EQ(turned.Size3D, kHaldGridNodes);
    EXPECT_LE(LargestNodeDifference(turned, upright), c.Tolerance);
  }
}

TEST(CliOrientedPictures, ApplyWritesThePictureUprightWithoutTheTag) {
  TempDir dir;
  const std::string lut = dir.Write("identity.cube", IdentityCube());
  const TBitmap24 stored = TestPhotograph(64, 40);
  const std::string turned = dir.Write("turned.jpg", JpegWithOrientation(stored, 6));
  for (const char* type : {".jpg", ".png"}) {
    const std::string out = dir.File(std::string("out") + type);
    const TCliResult result = RunCli({"apply", lut, turned, out});
    ASSERT_EQ(result.Status, 0) << result.Err;
    const TBitmap24 written = LoadPicture(out).Bitmap;
    EXPECT_EQ(written.Width(), 40) << type;
    EXPECT_EQ(written.Height(), 64) << type;
  }
}

}  // namespace
}  // namespace vorn::test
