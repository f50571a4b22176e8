// "hald" and "apply": the picture commands, their usage errors, the types they write, and
// a Hald image graded by ImageMagick, read back and applied as ImageMagick applies the grade.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "codecs/Pictures.h"
#include "imaging/HaldImage.h"
#include "tests/cli/CliRunner.h"
#include "tests/cli/LutTexts.h"
#include "tests/support/TestSupport.h"

namespace vorn::test {
namespace {

// Every output value is 1 - input.
const std::string kInvertCube =
    Cube2("", "1 1 1\n0 1 1\n1 0 1\n0 0 1\n1 1 0\n0 1 0\n1 0 0\n0 0 0\n");

TBitmap24 Gradient(int width, int height) {
  TBitmap24 picture(width, height);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = picture.ScanLine(y);
    for (int x = 0; x < width; ++x, p += 3) {
      p[0] = static_cast<std::uint8_t>(x * 255 / std::max(1, width - 1));
      p[1] = static_cast<std::uint8_t>(y * 255 / std::max(1, height - 1));
      p[2] = static_cast<std::uint8_t>((x + y) % 256);
    }
  }
  return picture;
}

TEST(CliPictures, HelpAndUsageErrors) {
  for (const char* command : {"hald", "apply"}) {
    const TCliResult help = RunCli({command, "--help"});
    EXPECT_EQ(help.Status, 0) << command;
    EXPECT_EQ(help.Out.rfind(std::string("Usage: vorn-lut ") + command, 0), 0u) << command;
  }
  struct TCase {
    std::vector<std::string> Args;
    const char* Expected;
  };
  const TCase cases[] = {
      {{"hald"}, "needs one output file, got 0 files"},
      {{"hald", "a.tif", "b.tif"}, "needs one output file, got 2 files"},
      {{"hald", "--format", "png", "a"}, "--format must be bmp, jpg or tif, got 'png'"},
      {{"hald", "a.png"}, "cannot tell the picture type of 'a.png'"},
      {{"hald", "--format", "jpg", "a.tif"},
       "--format does not match the extension of 'a.tif': name it .jpg"},
      {{"hald", "--format", "bmp", "a.lut"}, "name it .bmp or leave out --format"},
      {{"hald", "--size", "3", "a.tif"}, "unknown option '--size' for 'hald'"},
      {{"apply", "--overwrite", "a.cube", "b.png", "c.png", "d.png"}, "got 4 files"},
      {{"apply", "a.cube", "b.png"}, "needs a LUT, a picture and an output file, got 2 files"},
      {{"apply", "a.cube", "b.png", "c.gif"}, "cannot tell the picture type of 'c.gif'"},
      {{"apply", "a.cube", "b.png", "c"}, "cannot tell the picture type of 'c'"},
      {{"apply", "--fit", "0", "10", "a.cube", "b.png", "c.png"}, "--fit needs two whole numbers"},
      {{"apply", "--fit", "10x", "10", "a.cube", "b.png", "c.png"}, "got '10x'"},
      {{"apply", "a.cube", "b.png", "c.png", "--fit", "10"}, "--fit needs a width and a height"},
      {{"apply", "--input-bits", "9", "a.cube", "b.png", "c.png"}, "--input-bits must be"},
  };
  for (const TCase& c : cases) {
    const TCliResult result = RunCli(c.Args);
    EXPECT_EQ(result.Status, 2) << c.Args.back() << ": " << result.Err;
    EXPECT_NE(result.Err.find(c.Expected), std::string::npos) << result.Err;
    EXPECT_EQ(result.Out, "");
  }
}

TEST(CliPictures, HaldWritesTheIdentityImageOfTheChosenType) {
  TempDir dir;
  struct TCase {
    std::vector<std::string> Args;  // before OUT
    const char* Out;
    const char* Written;
    const char* DecodeAs;
  };
  const TCase cases[] = {
      {{}, "plain", "plain.tif", "x.tif"},
      {{}, "named.bmp", "named.bmp", "x.bmp"},
      {{"--format", "bmp"}, "typed.bmp", "typed.bmp", "x.bmp"},
      {{"--format", "jpg"}, "typed.JPEG", "typed.JPEG", "x.jpg"},
      {{"--format=tif"}, "dotted.", "dotted.tif", "x.tif"},
      {{}, "photo.JPEG", "photo.JPEG", "x.jpg"},
  };
  for (const TCase& c : cases) {
    std::vector<std::string> args = {"hald"};
    args.insert(args.end(), c.Args.begin(), c.Args.end());
    args.push_back(dir.File(c.Out));
    const TCliResult result = RunCli(args);
    ASSERT_EQ(result.Status, 0) << c.Out << ": " << result.Err;
    EXPECT_EQ(result.Out, "generated\t" + dir.File(c.Written) + "\n");
    const TDecodedPicture picture = DecodePicture(c.DecodeAs, ReadFile(dir.File(c.Written)));
    EXPECT_EQ(picture.BitsPerPixel, 24) << c.Out;
    if (std::string(c.DecodeAs) != "x.jpg") {
      EXPECT_TRUE(picture.Bitmap == MakeHaldImage()) << c.Out;
    }
  }
  // An existing file is replaced only with --overwrite.
  const TCliResult refused = RunCli({"hald", dir.File("plain")});
  EXPECT_EQ(refused.Status, 1);
  EXPECT_NE(refused.Err.find("plain.tif: the file already exists (use --overwrite"),
            std::string::npos)
      << refused.Err;
  EXPECT_EQ(RunCli({"hald", "--overwrite", "--format", "tif", dir.File("plain.tif")}).Status, 0);
  EXPECT_EQ(ReadFile(dir.File("plain.tif")).substr(0, 2), "II");

  const TCliResult failed = RunCli({"hald", dir.File("no/folder/hald.tif")});
  EXPECT_EQ(failed.Status, 1);
  EXPECT_NE(failed.Err.find("hald.tif"), std::string::npos) << failed.Err;
}

TEST(CliPictures, ApplyMapsEveryPixelAndWritesByExtension) {
  TempDir dir;
  const std::string lut = dir.Write("invert.cube", kInvertCube);
  const std::string picture = dir.File("gradient.bmp");
  const TBitmap24 source = Gradient(40, 30);
  SaveBmp(picture, source);
  TBitmap24 inverted = source;
  for (std::size_t i = 0; i < inverted.Stride() * 30; ++i) {
    inverted.Data()[i] = static_cast<std::uint8_t>(255 - inverted.Data()[i]);
  }
  for (const char* name : {"out.png", "out.bmp", "out.TIF", "out.tiff", "out.jpg"}) {
    const TCliResult result = RunCli({"apply", lut, picture, dir.File(name)});
    ASSERT_EQ(result.Status, 0) << name << ": " << result.Err;
    EXPECT_EQ(result.Out, "applied\t" + picture + "\t" + dir.File(name) + "\n");
    const TDecodedPicture written = LoadPicture(dir.File(name));
    ASSERT_EQ(written.Bitmap.Width(), 40) << name;
    ASSERT_EQ(written.Bitmap.Height(), 30) << name;
    if (std::string(name) == "out.jpg") continue;  // lossy
    EXPECT_TRUE(written.Bitmap == inverted) << name;
  }
  const std::string kept = dir.Write("kept.png", "not replaced");
  const TCliResult refused = RunCli({"apply", lut, picture, kept});
  EXPECT_EQ(refused.Status, 1);
  EXPECT_NE(refused.Err.find("the file already exists"), std::string::npos) << refused.Err;
  EXPECT_EQ(ReadFile(kept), "not replaced");
}

TEST(CliPictures, ApplyFitsLikeThePreviewAndNeverEnlarges) {
  TempDir dir;
  const std::string lut = dir.Write("invert.cube", kInvertCube);
  SaveBmp(dir.File("wide.bmp"), Gradient(400, 200));
  SaveJpeg(dir.File("wide.jpg"), Gradient(400, 200), 90, TChromaSubsampling::s420);
  struct TCase {
    const char* Picture;
    const char* Width;
    const char* Height;
    int ExpectedWidth;
    int ExpectedHeight;
  };
  const TCase cases[] = {
      {"wide.bmp", "100", "100", 100, 50},
      {"wide.jpg", "90", "100", 90, 45},
      {"wide.bmp", "1000", "1000", 400, 200},
  };
  for (const TCase& c : cases) {
    const std::string out = dir.File("fitted.png");
    const TCliResult result = RunCli({"apply", "--fit", c.Width, c.Height, "--input-bits", "10",
                                      "--overwrite", lut, dir.File(c.Picture), out});
    ASSERT_EQ(result.Status, 0) << result.Err;
    const TBitmap24 written = LoadPicture(out).Bitmap;
    EXPECT_EQ(written.Width(), c.ExpectedWidth) << c.Picture << " in " << c.Width;
    EXPECT_EQ(written.Height(), c.ExpectedHeight) << c.Picture << " in " << c.Width;
  }
}

TEST(CliPictures, ApplyFailuresNameTheFileAndWriteNothing) {
  TempDir dir;
  const std::string lut = dir.Write("invert.cube", kInvertCube);
  const std::string picture = dir.File("p.bmp");
  SaveBmp(picture, Gradient(4, 4));
  struct TCase {
    std::string Lut;
    std::string Picture;
    const char* Expected;
  };
  const TCase cases[] = {
      {dir.Write("unknown.txt", "no lut here\n"), picture, "no LUT format recognises the file"},
      {dir.Write("short.cube", "LUT_3D_SIZE 2\n0 0 0\n"), picture, "Incomplete file."},
      {lut, dir.File("missing.bmp"), "missing.bmp"},
      {lut, dir.Write("broken.png", "not a png"), "broken.png"},
  };
  for (const TCase& c : cases) {
    const std::string out = dir.File("never.png");
    const TCliResult result = RunCli({"apply", c.Lut, c.Picture, out});
    EXPECT_EQ(result.Status, 1) << result.Err;
    EXPECT_NE(result.Err.find(c.Expected), std::string::npos) << result.Err;
    EXPECT_FALSE(FileExists(out));
  }
}

// A Hald image converts like any LUT file, into each profile of the binary and picture
// formats; what comes back holds the Hald image's values within the coding.
TEST(CliPictures, AHaldImageConvertsToTheBinaryAndPictureProfiles) {
  TempDir dir;
  const std::string hald = dir.File("hald.bmp");
  ASSERT_EQ(RunCli({"hald", hald}).Status, 0);
  struct TCase {
    const char* Profile;
    const char* Written;
    const char* Format;  // read back as; null for the write-only lookup picture
  };
  const TCase cases[] = {
      {"FSI DIT (Flanders Scientific) 3D", "hald.dat", "FSI DIT (Flanders Scientific) 3D"},
      {"PixelFarm PFClean 3D", "hald.pfl", "PixelFarm PFClean 3D"},
      {"Open Broadcaster Software 3D PNG", "hald.png", nullptr},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Profile);
    const TCliResult result =
        RunCli({"convert", "--profile", c.Profile, "--output-dir", dir.Path(), hald});
    ASSERT_EQ(result.Status, 0) << result.Err;
    EXPECT_EQ(result.Out, "converted\t" + hald + "\t" + dir.File(c.Written) + "\n");
    if (c.Format == nullptr) {
      // The Hald values truncate (node 1 is 8, not 8.2): within a code of the identity.
      const TBitmap24 written = LoadPicture(dir.File(c.Written)).Bitmap;
      const TBitmap24 identity = MakeLutImage();
      ASSERT_EQ(written.Width(), identity.Width());
      int largest = 0;
      for (std::size_t i = 0; i < identity.Stride() * identity.Height(); ++i) {
        largest = std::max(largest, std::abs(written.Data()[i] - identity.Data()[i]));
      }
      EXPECT_LE(largest, 1);
      continue;
    }
    const TCliResult info = RunCli({"info", dir.File(c.Written)});
    EXPECT_NE(info.Out.find(std::string("Format: ") + c.Format), std::string::npos) << info.Out;
  }
}

// The identity Hald image graded by ImageMagick, read back as a 32-node LUT and applied to
// a photograph, against ImageMagick's own result of the same grade on the photograph. A
// 32-node grid and 8-bit pictures on both sides allow 3 codes at 99 % of the values and 8
// at every one.
TEST(CliPictures, AHaldImageGradedElsewhereGradesAPhotographTheSameWay) {
  if (!HasProgram("convert")) GTEST_SKIP() << "ImageMagick's convert is not installed";
  TempDir dir;
  const std::string hald = dir.File("hald.tif");
  const std::string graded = dir.File("graded.tif");
  const std::string photo = std::string(VORN_SOURCE_DIR) + "/assets/sample-photo.png";
  const std::string theirs = dir.File("theirs.png");
  const std::string ours = dir.File("ours.png");
  const std::vector<std::string> grade = {"-modulate", "110,80", "-gamma", "1.2",
                                          "-depth",    "8",      "-type",  "TrueColor"};
  ASSERT_EQ(RunCli({"hald", hald}).Status, 0);
  auto convert = [&](const std::string& in, const std::string& out) {
    std::vector<std::string> argv = {"convert", in};
    argv.insert(argv.end(), grade.begin(), grade.end());
    argv.push_back(out);
    return RunProgram(argv).Status;
  };
  ASSERT_EQ(convert(hald, graded), 0);
  ASSERT_EQ(convert(photo, theirs), 0);

  const TCliResult info = RunCli({"info", graded});
  ASSERT_EQ(info.Status, 0) << info.Err;
  EXPECT_NE(info.Out.find("Format: Hald Image\nType: 3D\nDimension: 32\n"), std::string::npos)
      << info.Out;
  const TCliResult applied = RunCli({"apply", graded, photo, ours});
  ASSERT_EQ(applied.Status, 0) << applied.Err;

  const TBitmap24 a = LoadPicture(ours).Bitmap;
  const TBitmap24 b = LoadPicture(theirs).Bitmap;
  ASSERT_EQ(a.Width(), b.Width());
  ASSERT_EQ(a.Height(), b.Height());
  const std::size_t count = a.Stride() * static_cast<std::size_t>(a.Height());
  std::size_t within3 = 0;
  int largest = 0;
  double total = 0.0;
  for (std::size_t i = 0; i < count; ++i) {
    const int difference = std::abs(a.Data()[i] - b.Data()[i]);
    largest = std::max(largest, difference);
    total += difference;
    if (difference <= 3) ++within3;
  }
  std::printf("Hald round trip: largest difference %d codes, mean %.3f codes, %.3f %% within 3\n",
              largest, total / count, 100.0 * within3 / count);
  EXPECT_LE(largest, 8);
  EXPECT_GE(within3, count * 99 / 100);
}

// "hald --level" writes the identity standard Hald CLUT: its side, depth and name follow
// the options, and it reads back as the identity grid of L^2 nodes.
TEST(CliHald, TheLevelWritesTheIdentityHaldClutOfThatLevel) {
  TempDir dir;
  struct TCase {
    std::vector<std::string> Options;
    const char* Name;
    const char* Written;
    int Side;
    int BitsPerPixel;
  };
  const TCase cases[] = {
      {{"--level", "8"}, "eight", "eight.png", 512, 24},
      {{"--level", "4", "--bits", "16"}, "four.png", "four.png", 64, 48},
      {{"--level", "6"}, "six.tif", "six.tif", 216, 24},
      {{"--level", "2"}, "two.PNG", "two.PNG", 8, 24},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    std::vector<std::string> args = {"hald"};
    args.insert(args.end(), c.Options.begin(), c.Options.end());
    args.push_back(dir.File(c.Name));
    const TCliResult result = RunCli(args);
    ASSERT_EQ(result.Status, 0) << result.Err;
    EXPECT_EQ(result.Out, "generated\t" + dir.File(c.Written) + "\n");
    const TPictureHeader header = ReadPictureHeader(c.Written, ReadWholeFile(dir.File(c.Written)));
    EXPECT_EQ(header.Width, c.Side);
    EXPECT_EQ(header.BitsPerPixel, c.BitsPerPixel);
    const TCliResult info = RunCli({"info", dir.File(c.Written)});
    EXPECT_NE(info.Out.find("Format: Hald CLUT"), std::string::npos) << info.Out;
  }
}

TEST(CliHald, LevelOptionsThatCannotBeWrittenAreRefused) {
  TempDir dir;
  struct TCase {
    std::vector<std::string> Args;
    const char* Message;
  };
  const TCase cases[] = {
      {{"hald", "--level", "17", "x.png"}, "--level needs a whole number from 2 to 16"},
      {{"hald", "--level", "1", "x.png"}, "--level needs a whole number from 2 to 16"},
      {{"hald", "--level", "8", "x.jpg"}, "a Hald CLUT is written as PNG or TIFF"},
      {{"hald", "--level", "8", "--bits", "16", "x.tif"}, "--bits 16 needs a PNG"},
      {{"hald", "--level", "8", "--bits", "10", "x.png"}, "--bits must be 8 or 16"},
      {{"hald", "--level", "8", "--format", "tif", "x.tif"},
       "--format cannot be used with --level"},
      {{"hald", "--bits", "16", "x.tif"}, "--bits is for a Hald CLUT"},
  };
  for (const TCase& c : cases) {
    const TCliResult result = RunCli(c.Args);
    EXPECT_EQ(result.Status, 2) << c.Message;
    EXPECT_NE(result.Err.find(c.Message), std::string::npos) << result.Err;
  }
}

}  // namespace
}  // namespace vorn::test
