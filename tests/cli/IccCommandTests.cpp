// "lut2icc", "icc2lut" and "merge" end to end: a LUT written as a profile of each class
// comes back through icc2lut, and two independent readers, LittleCMS's transicc and
// ArgyllCMS's icclu, map colours through the written profile as the LUT does; the option
// rules, the refusals and the order of a merge.

#include <gtest/gtest.h>
#include <lcms2.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <sstream>

#include "core/LUTFormat.h"
#include "imaging/ICCLib.h"
#include "imaging/LutToIcc.h"
#include "platform/Files.h"
#include "tests/cli/CliRunner.h"
#include "tests/support/IccTestProfiles.h"
#include "tests/support/TestLuts.h"
#include "tests/support/TestSupport.h"

namespace vorn::test {
namespace {

double MaxDifference(const TRGB& a, const TRGB& b) {
  return std::max({std::fabs(a.R - b.R), std::fabs(a.G - b.G), std::fabs(a.B - b.B)});
}

// A 3D output profile whose size can be chosen, by number.
std::string SizedGridProfile() {
  for (std::size_t i = 0; i < OutputProfiles().size(); ++i) {
    const TLutOutputProfile& profile = *OutputProfiles()[i];
    if (profile.SizeSelectable && GetFormat(profile.FormatIndex)->Is3D) return std::to_string(i);
  }
  return {};
}

std::unique_ptr<TLUT> ReadLut(const std::string& path) {
  auto lut = std::make_unique<TLUT>();
  LoadLut(path, *lut, -1);
  return lut;
}

std::vector<TRGB> ParseColours(const std::string& text, double scale) {
  std::vector<TRGB> colours;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    TRGB c;
    if (words >> c.R >> c.G >> c.B) colours.push_back({c.R / scale, c.G / scale, c.B / scale});
  }
  return colours;
}

std::string ColourLines(const std::vector<TRGB>& colours, double scale) {
  std::string text;
  char line[96];
  for (const TRGB& c : colours) {
    std::snprintf(line, sizeof line, "%.6f %.6f %.6f\n", c.R * scale, c.G * scale, c.B * scale);
    text += line;
  }
  return text;
}

// The 17-node grid, then 1,000 random colours.
std::vector<TRGB> TestColours() {
  std::vector<TRGB> colours;
  for (int r = 0; r < 17; ++r) {
    for (int g = 0; g < 17; ++g) {
      for (int b = 0; b < 17; ++b) colours.push_back({r / 16.0, g / 16.0, b / 16.0});
    }
  }
  std::mt19937 random(17);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int i = 0; i < 1000; ++i) colours.push_back({unit(random), unit(random), unit(random)});
  return colours;
}
constexpr std::size_t kGridColours = 17 * 17 * 17;

struct TCase {
  const char* Name;
  TLutKind Kind;
  const char* Class;
};

// Printed by name: the bytes gtest prints otherwise include the struct's padding.
void PrintTo(const TCase& item, std::ostream* out) {
  *out << item.Name;
}

class IccCommands : public ::testing::TestWithParam<TCase> {
 protected:
  // Colours through a tool; input and output are text lines of three numbers.
  std::vector<TRGB> Through(const std::string& tool, const std::vector<std::string>& args,
                            const std::vector<TRGB>& colours, double scale) {
    const std::string input =
        Temp.Write("colours-" + std::to_string(++Runs_) + ".txt", ColourLines(colours, scale));
    const TCliResult result = RunProgram(tool, args, input);
    EXPECT_EQ(result.Status, 0) << tool << ": " << result.Err
                                << " (install it with scripts/install-deps.sh)";
    return ParseColours(result.Out, scale);
  }

  // LittleCMS's transicc, perceptual, not precalculated, 0 to 255 floating point.
  std::vector<TRGB> Transicc(const std::string& profile, const std::vector<TRGB>& colours) {
    const std::string cls = GetParam().Class;
    std::vector<std::string> args = {"-n", "-t0", "-c0"};
    if (cls == "link") {
      args.push_back("-l" + profile);
    } else if (cls == "input") {
      args.insert(args.end(), {"-i" + profile, "-o" + SRGB});
    } else {
      args.insert(args.end(), {"-i" + SRGB, "-o" + profile});
    }
    return Through("transicc", args, colours, 255.0);
  }

  // ArgyllCMS's icclu, one profile at a time through the connection space.
  std::vector<TRGB> Icclu(const std::string& profile, const std::vector<TRGB>& colours) {
    const std::string cls = GetParam().Class;
    if (cls == "link") return Through("icclu", {"-v0", "-ff", "-ip", profile}, colours, 1.0);
    const std::string pcs = cls == "input" ? "-pl" : "-px";
    const std::string first = cls == "input" ? profile : SRGB;
    const std::string second = cls == "input" ? SRGB : profile;
    const std::vector<TRGB> connection =
        Through("icclu", {"-v0", "-ff", "-ip", pcs, first}, colours, 1.0);
    // The connection space is not in 0..1: pass the numbers through unscaled.
    return Through("icclu", {"-v0", "-fb", "-ip", pcs, second}, connection, 1.0);
  }

  void ExpectMapsAsTheLut(const std::vector<TRGB>& mapped, const std::vector<TRGB>& colours,
                          const TLUT& lut, const char* reader) {
    ASSERT_EQ(mapped.size(), colours.size()) << reader;
    double worstGrid = 0.0;
    double worstRandom = 0.0;
    for (std::size_t i = 0; i < colours.size(); ++i) {
      double& worst = i < kGridColours ? worstGrid : worstRandom;
      worst = std::max(worst, MaxDifference(mapped[i], lut.Evaluate(colours[i])));
    }
    EXPECT_LE(worstGrid, 0.002) << reader;
    EXPECT_LE(worstRandom, 0.01) << reader;
  }

  TempDir Temp;
  const std::string SRGB = GetSRGBProfileName();

 private:
  int Runs_ = 0;
};

TEST_P(IccCommands, TheWrittenProfileMapsAsTheLutInEveryReader) {
  const auto lut = MakeGradeLut(GetParam().Kind);
  const std::string profile = Temp.File("grade.icc");
  if (GetParam().Kind == lk1D) {
    // No registered format may read a 1D file yet: the profile is written in-process.
    const std::string cls = GetParam().Class;
    const TLutIccClass profileClass = cls == "input"     ? TLutIccClass::Input
                                      : cls == "display" ? TLutIccClass::Display
                                                         : TLutIccClass::DeviceLink;
    WriteWholeFile(profile, BuildIccProfile(*lut, {profileClass, "grade", "Copyright (c)"}));
  } else {
    const std::string cube = Temp.Write("grade.cube", CubeTextOf(*lut));
    const TCliResult written = RunCli({"lut2icc", "--class", GetParam().Class, cube, profile});
    ASSERT_EQ(written.Status, 0) << written.Err;
    EXPECT_EQ(written.Out, "converted\t" + cube + "\t" + profile + "\n");
  }

  const std::string grid = SizedGridProfile();
  ASSERT_FALSE(grid.empty()) << "no 3D output profile with a selectable size";
  const std::string back = Temp.File("back.cube");
  const TCliResult sampled = RunCli({"icc2lut", "--profile", grid, "--size", "17", profile, back});
  ASSERT_EQ(sampled.Status, 0) << sampled.Err;
  const auto again = ReadLut(back);
  ASSERT_EQ(again->Size3D, 17);
  double worst = 0.0;
  for (int r = 0; r < 17; ++r) {
    for (int g = 0; g < 17; ++g) {
      for (int b = 0; b < 17; ++b) {
        worst = std::max(worst, MaxDifference(again->GetNode(r, g, b),
                                              lut->Evaluate({r / 16.0, g / 16.0, b / 16.0})));
      }
    }
  }
  EXPECT_LE(worst, 0.002);

  const std::vector<TRGB> colours = TestColours();
  ExpectMapsAsTheLut(Transicc(profile, colours), colours, *lut, "transicc");
  ExpectMapsAsTheLut(Icclu(profile, colours), colours, *lut, "icclu");
}

INSTANTIATE_TEST_SUITE_P(
    EveryClass, IccCommands,
    ::testing::Values(TCase{"Input3D", lk3D, "input"}, TCase{"Input1D", lk1D, "input"},
                      TCase{"Input1DAnd3D", lk1DAnd3D, "input"},
                      TCase{"Display3D", lk3D, "display"}, TCase{"Display1D", lk1D, "display"},
                      TCase{"Display1DAnd3D", lk1DAnd3D, "display"}, TCase{"Link3D", lk3D, "link"},
                      TCase{"Link1D", lk1D, "link"}, TCase{"Link1DAnd3D", lk1DAnd3D, "link"}),
    [](const ::testing::TestParamInfo<TCase>& info) { return std::string(info.param.Name); });

class IccCommandRules : public ::testing::Test {
 protected:
  TempDir Temp;
  const std::string Cube = Temp.Write("Night look.cube", CubeTextOf(*MakeGradeLut(lk3D, 5)));
  const std::string Grid = SizedGridProfile();
};

TEST_F(IccCommandRules, Lut2IccNamesTheProfileAfterTheFileAndKeepsTheTextsGiven) {
  const std::string plain = Temp.File("plain.icc");
  ASSERT_EQ(RunCli({"lut2icc", "--class", "display", Cube, plain}).Status, 0);
  const std::string texts = Temp.File("texts.icc");
  ASSERT_EQ(RunCli({"lut2icc", "--class=input", "--description", "Show LUT", "--copyright",
                    "Copyright (c) Vorn", "--capture-one-gamma", Cube, texts})
                .Status,
            0);
  auto info = [](const std::string& path, cmsInfoType type) {
    const TProfileHandle profile(cmsOpenProfileFromFile(path.c_str(), "r"));
    char text[128] = {};
    cmsGetProfileInfoASCII(profile.Native(), type, "en", "US", text, sizeof text);
    const cmsProfileClassSignature profileClass = cmsGetDeviceClass(profile.Native());
    return std::make_pair(std::string(text), profileClass);
  };
  EXPECT_EQ(info(plain, cmsInfoDescription),
            std::make_pair(std::string("Night look"), cmsSigDisplayClass));
  EXPECT_EQ(info(plain, cmsInfoCopyright).first, "Copyright (c)");
  EXPECT_EQ(info(texts, cmsInfoDescription),
            std::make_pair(std::string("Show LUT"), cmsSigInputClass));
  EXPECT_EQ(info(texts, cmsInfoCopyright).first, "Copyright (c) Vorn");
}

TEST_F(IccCommandRules, RefusalsNameTheProblemAndWriteNothing) {
  const std::string display = WriteTestProfile(Temp.Path(), "display.icc", TTestProfile::Display);
  const std::string link = WriteTestProfile(Temp.Path(), "link.icc", TTestProfile::DeviceLink);
  const std::string abstract =
      WriteTestProfile(Temp.Path(), "abstract.icc", TTestProfile::Abstract);
  const std::string existing = Temp.Write("existing.cube", "keep me\n");
  const std::string out = Temp.File("out.cube");
  const std::string missing = Temp.File("missing.icc");
  const std::string words = Temp.Write("words.cube", "no lut\n");
  const struct {
    std::vector<std::string> Args;
    int Status;
    std::string Message;
  } cases[] = {
      {{"icc2lut", "--profile", Grid, display, existing},
       1,
       existing + ": the file already exists (use --overwrite to replace it)"},
      {{"lut2icc", "--class", "input", Cube, existing}, 1, existing + ": the file already exists"},
      {{"merge", "--profile", Grid, "--output", existing, Cube},
       1,
       existing + ": the file already exists"},
      {{"icc2lut", "--profile", Grid, "--invert", link, out},
       2,
       "it has one direction, so --invert cannot be used with it"},
      {{"icc2lut", "--profile", Grid, "--second", display, link, out},
       2,
       "--second cannot be used with it"},
      {{"icc2lut", "--profile", Grid, abstract, out},
       1,
       "A profile of the type \"Abstract Profile\" describes no colour transformation"},
      {{"icc2lut", "--profile", Grid, missing, out}, 1, missing + ": the file does not exist"},
      {{"icc2lut", "--profile", Grid, "--second", missing, display, out},
       1,
       missing + ": the file does not exist"},
      {{"icc2lut", "--profile", Grid, Cube, out}, 1, Cube + ": Cannot open the ICC profile: "},
      {{"icc2lut", "--profile", Grid, "--size", "1", display, out}, 2, "--size must be at least 2"},
      {{"icc2lut", "--profile", Grid, "--bits", "10", display, out}, 2, "has a fixed bit depth"},
      {{"icc2lut", "--profile", Grid, display}, 2, "'icc2lut' needs two files"},
      {{"icc2lut", display, out}, 2, "'icc2lut' needs --profile NAME|NUMBER"},
      {{"lut2icc", "--class", "printer", Cube, out}, 2, "--class must be display, input or link"},
      {{"lut2icc", Cube, out}, 2, "'lut2icc' needs --class"},
      {{"lut2icc", "--class", "input", "--description", "", Cube, out}, 2, "needs a text"},
      {{"lut2icc", "--class", "input", words, out}, 1, "is not a LUT file of any known format"},
      {{"merge", "--profile", Grid, Cube}, 2, "'merge' needs --output FILE"},
      {{"merge", "--profile", Grid, "--output", out, Cube, words},
       1,
       words + ": the file is not a LUT file of any known format"},
      {{"merge", "--profile", Grid, "--output", out, Cube, missing},
       1,
       missing + ": the file does not exist"},
  };
  for (const auto& c : cases) {
    const TCliResult result = RunCli(c.Args);
    EXPECT_EQ(result.Status, c.Status) << c.Args[0] << " " << c.Message << ": " << result.Err;
    EXPECT_NE(result.Err.find(c.Message), std::string::npos) << result.Err;
    EXPECT_EQ(result.Out, "");
    EXPECT_FALSE(FileExists(out)) << c.Message;
    EXPECT_EQ(ReadFile(existing), "keep me\n");
  }
  EXPECT_EQ(RunCli({"icc2lut", "--profile", Grid, "--overwrite", display, existing}).Status, 0);
  EXPECT_NE(ReadFile(existing), "keep me\n");
}

TEST_F(IccCommandRules, Icc2LutSamplesAsTheDialogDoesInvertedAndWithASecondProfile) {
  const std::string display = WriteTestProfile(Temp.Path(), "display.icc", TTestProfile::Display);
  const std::string second = WriteTestProfile(Temp.Path(), "second.icc", TTestProfile::DisplayV4);
  const TProfileHandle displayProfile = OpenProfile(display);
  const TProfileHandle secondProfile = OpenProfile(second);
  const TProfileHandle srgb = OpenProfile(GetSRGBProfileName());
  const struct {
    std::vector<std::string> Options;
    const TProfileHandle* From;
    const TProfileHandle* To;
  } cases[] = {{{}, &srgb, &displayProfile},
               {{"--invert"}, &displayProfile, &srgb},
               {{"--second", second}, &secondProfile, &displayProfile},
               {{"--second", second, "--invert"}, &displayProfile, &secondProfile}};
  for (const auto& c : cases) {
    const std::string out = Temp.File("out.cube");
    std::vector<std::string> args = {"icc2lut", "--profile", Grid, "--size", "5", "--overwrite"};
    args.insert(args.end(), c.Options.begin(), c.Options.end());
    args.insert(args.end(), {display, out});
    ASSERT_EQ(RunCli(args).Status, 0);
    const auto lut = ReadLut(out);
    const TTransformHandle reference = CreateTransform(*c.From, c.To);
    for (int r = 0; r < 5; ++r) {
      for (int b = 0; b < 5; ++b) {
        const auto code = [](int i) {
          return static_cast<std::uint16_t>(std::lround(i * 65535 / 4.0));
        };
        TICCColor expected;
        ASSERT_TRUE(TranslateColor(reference, {code(r), code(2), code(b)}, expected));
        EXPECT_LE(MaxDifference(lut->GetNode(r, 2, b),
                                {expected.R / 65535.0, expected.G / 65535.0, expected.B / 65535.0}),
                  1e-6);
      }
    }
  }
}

TEST_F(IccCommandRules, MergeAppliesTheFilesInTheOrderGiven) {
  auto grid = [&](const char* name, TRGB (*f)(const TRGB&)) {
    auto lut = std::make_unique<TLUT>();
    lut->Kind = lk3D;
    lut->Size3D = 17;
    for (int r = 0; r < 17; ++r)
      for (int g = 0; g < 17; ++g)
        for (int b = 0; b < 17; ++b) lut->SetNode(r, g, b, f({r / 16.0, g / 16.0, b / 16.0}));
    return Temp.Write(name, CubeTextOf(*lut));
  };
  const std::string darker = grid("darker.cube", [](const TRGB& c) {
    return TRGB{0.5 * c.R, 0.5 * c.G, 0.5 * c.B};
  });
  const std::string lifted = grid("lifted.cube", [](const TRGB& c) {
    return TRGB{0.2 + 0.8 * c.R, 0.2 + 0.8 * c.G, 0.2 + 0.8 * c.B};
  });
  const std::string first = Temp.File("first.cube");
  const std::string second = Temp.File("second.cube");
  const TCliResult merged =
      RunCli({"merge", "--profile", Grid, "--size", "9", "--output", first, darker, lifted});
  ASSERT_EQ(merged.Status, 0) << merged.Err;
  EXPECT_EQ(merged.Out, "merged\t" + first + "\n");
  ASSERT_EQ(
      RunCli({"merge", "--profile", Grid, "--size=9", "--output=" + second, lifted, darker}).Status,
      0);
  const auto a = ReadLut(first);
  const auto b = ReadLut(second);
  ASSERT_EQ(a->Size3D, 9);
  EXPECT_NEAR(a->GetNode(0, 0, 0).R, 0.2, 1e-6);  // darkened, then lifted
  EXPECT_NEAR(b->GetNode(0, 0, 0).R, 0.1, 1e-6);  // lifted, then darkened
  EXPECT_NEAR(a->GetNode(8, 8, 8).G, 0.6, 1e-6);
  EXPECT_NEAR(b->GetNode(8, 8, 8).G, 0.5, 1e-6);
}

TEST(IccCommandHelp, EachCommandDescribesItself) {
  for (const char* command : {"icc2lut", "lut2icc", "merge"}) {
    const TCliResult result = RunCli({command, "--help"});
    EXPECT_EQ(result.Status, 0);
    EXPECT_EQ(result.Out.rfind(std::string("Usage: vorn-lut ") + command, 0), 0u) << result.Out;
  }
  const TCliResult overview = RunCli({"--help"});
  for (const char* command : {"icc2lut", "lut2icc", "merge"}) {
    EXPECT_NE(overview.Out.find(std::string("  ") + command + "  "), std::string::npos) << command;
  }
}

}  // namespace
}  // namespace vorn::test
