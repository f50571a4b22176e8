// "convert": the per-file pipeline, output naming, option checks against the profile and
// the batch rules for existing files and failures.

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <map>

#include "tests/cli/CliRunner.h"
#include "tests/cli/LutTexts.h"
#include "tests/support/TestSupport.h"

namespace vorn::test {
namespace {

namespace fs = std::filesystem;

const std::string kDavinci = "Cube 3D Davinci";

// What "info --values" tells about one file.
struct TListedLut {
  std::string Format;
  int Size = 0;
  std::vector<std::string> Comments;
  std::vector<std::vector<double>> Nodes;  // r g b R G B
};

std::vector<double> Numbers(const std::string& line) {
  std::vector<double> numbers;
  const char* p = line.data();
  const char* end = p + line.size();
  while (p < end) {
    double value = 0;
    auto [next, ec] = std::from_chars(p, end, value);
    if (ec != std::errc()) return {};
    numbers.push_back(value);
    p = next < end ? next + 1 : next;
  }
  return numbers;
}

TListedLut ListValues(const std::string& path) {
  TCliResult result = RunCli({"info", "--values", path});
  EXPECT_EQ(result.Status, 0) << result.Err;
  TListedLut lut;
  for (const std::string& line : Lines(result.Out)) {
    if (line.rfind("File: ", 0) == 0 || line.rfind("Type: ", 0) == 0 || line.empty()) continue;
    if (line.rfind("Format: ", 0) == 0) {
      lut.Format = line.substr(8);
    } else if (line.rfind("Dimension: ", 0) == 0) {
      lut.Size = std::stoi(line.substr(11));
    } else if (std::vector<double> numbers = Numbers(line); numbers.size() == 6) {
      lut.Nodes.push_back(numbers);
    } else {
      lut.Comments.push_back(line);
    }
  }
  return lut;
}

// The "Dimension" that plain "info" reports, or 0.
int ListedSize(const std::string& path) {
  for (const std::string& line : Lines(RunCli({"info", path}).Out)) {
    if (line.rfind("Dimension: ", 0) == 0) return std::stoi(line.substr(11));
  }
  return 0;
}

std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TCliResult Convert(const std::string& profile, const std::string& outDir,
                   const std::vector<std::string>& files,
                   const std::vector<std::string>& options = {}) {
  std::vector<std::string> args = {"convert", "--profile", profile, "--output-dir", outDir};
  args.insert(args.end(), options.begin(), options.end());
  args.insert(args.end(), files.begin(), files.end());
  return RunCli(args);
}

struct TRoundTrip {
  std::string Profile;
  std::string Extension;
  std::string ReadBackFormat;
  int Size;
  double Tolerance;  // 6 decimals, or half a 12-bit code step
  bool KeepsComments;
};

TEST(CliConvert, RoundTripsThroughEveryCubeFamilyProfile) {
  const std::vector<TRoundTrip> trips = {
      {"Cube 3D Adobe Photoshop, AfterEffects, Iridas, Nuke", "cube", "Cube 3D", 32, 5e-7, true},
      {kDavinci, "cube", "Cube 3D", 33, 5e-7, true},
      {"Cube 3D Truelight", "cube", "Cube 3D Truelight", 32, 5e-7, false},
      {"FSI CFE (Flanders Scientific) 3D", "cfe", "FSI CFE (Flanders Scientific) 3D", 17, 5e-7,
       false},
      {"Panasonic 3D vlt, Varicam", "vlt", "Panasonic 3D", 17, 0.5 / 4095 + 1e-9, true},
      {"Codex 3D", "txt", "Codex 3D", 17, 0.5 / 4095 + 1e-9, false},
      {"Luther 3D", "txt", "Luther 3D", 33, 0.5 / 1023 + 1e-9, false},
      {"Colorfront OSD 3D", "3dmesh", "Colorfront OSD 3D", 17, 5e-7, false},
      {"Davinci DAT 3D", "dat", "Davinci DAT 3D", 33, 5e-7, false},
  };
  TempDir source;
  const std::string path = source.Write("affine.cube", AffineCube());
  for (const TRoundTrip& trip : trips) {
    SCOPED_TRACE(trip.Profile);
    TempDir out;
    TCliResult result = Convert(trip.Profile, out.Path(), {path});
    ASSERT_EQ(result.Status, 0) << result.Err;
    const std::string written = out.File("affine." + trip.Extension);
    EXPECT_EQ(result.Out, "converted\t" + path + "\t" + written + "\n");
    TListedLut lut = ListValues(written);
    EXPECT_EQ(lut.Format, trip.ReadBackFormat);
    ASSERT_EQ(lut.Size, trip.Size);
    ASSERT_EQ(lut.Nodes.size(), static_cast<std::size_t>(trip.Size * trip.Size * trip.Size));
    const double step = 1.0 / (trip.Size - 1);
    for (const std::vector<double>& node : lut.Nodes) {
      const double r = node[0] * step, g = node[1] * step, b = node[2] * step;
      ASSERT_NEAR(node[3], AffineR(r, g, b), trip.Tolerance);
      ASSERT_NEAR(node[4], AffineG(r, g, b), trip.Tolerance);
      ASSERT_NEAR(node[5], AffineB(r, g, b), trip.Tolerance);
    }
    if (trip.KeepsComments) {
      EXPECT_EQ(lut.Comments, (std::vector<std::string>{"affine test grid", "second comment",
                                                        "Converted by Vorn LUT Converter"}));
    } else {
      EXPECT_TRUE(lut.Comments.empty());
    }
  }
}

// The source's bits per color decide its values, and so what is written.
TEST(CliConvert, InputBitsDecideHowA3dlSourceIsRead) {
  TempDir source;
  const std::string path = source.Write("id.3dl", Identity3dl12());
  for (const char* bits : {"", "12"}) {
    SCOPED_TRACE(bits);
    TempDir out;
    std::vector<std::string> options = {"--size", "2"};
    if (*bits) options.insert(options.end(), {"--input-bits", bits});
    ASSERT_EQ(Convert(kDavinci, out.Path(), {path}, options).Status, 0);
    TListedLut lut = ListValues(out.File("id.cube"));
    ASSERT_EQ(lut.Nodes.size(), 8u);
    // Estimated, the codes are 14-bit; given, 12-bit.
    const double white = *bits ? 1.0 : 0.249954;
    EXPECT_EQ(lut.Nodes.back(), (std::vector<double>{1, 1, 1, white, white, white}));
    EXPECT_EQ(lut.Nodes[1], (std::vector<double>{0, 0, 1, 0, 0, white}));
  }
}

TEST(CliConvert, ReplacesOnlyTheLastExtension) {
  TempDir source;
  TempDir out;
  const std::string dotted = source.Write("grade.v2.cube", IdentityCube());
  const std::string bare = source.Write("noextension", IdentityCube());
  TCliResult result = Convert("FSI CFE (Flanders Scientific) 3D", out.Path(), {dotted, bare});
  ASSERT_EQ(result.Status, 0) << result.Err;
  EXPECT_EQ(FilesIn(out.Path()), (std::vector<std::string>{"grade.v2.cfe", "noextension.cfe"}));
  EXPECT_EQ(Lines(result.Out),
            (std::vector<std::string>{"converted\t" + dotted + "\t" + out.File("grade.v2.cfe"),
                                      "converted\t" + bare + "\t" + out.File("noextension.cfe")}));
}

TEST(CliConvert, AProfileCanBeGivenByItsListedNumber) {
  TempDir source;
  TempDir byName;
  TempDir byNumber;
  const std::string path = source.Write("a.cube", AffineCube());
  std::string number;
  for (const std::string& line : Lines(RunCli({"profiles"}).Out)) {
    std::vector<std::string> fields = Fields(line);
    if (fields.size() > 1 && fields[1] == "FSI CFE (Flanders Scientific) 3D") number = fields[0];
  }
  ASSERT_FALSE(number.empty());
  ASSERT_EQ(Convert("FSI CFE (Flanders Scientific) 3D", byName.Path(), {path}).Status, 0);
  ASSERT_EQ(Convert(number, byNumber.Path(), {path}).Status, 0);
  EXPECT_EQ(ReadFile(byNumber.File("a.cfe")), ReadFile(byName.File("a.cfe")));
}

TEST(CliConvert, SizeIsUsedAndCappedForASelectableProfile) {
  TempDir source;
  const std::string path = source.Write("a.cube", IdentityCube());
  TempDir defaultSize;
  ASSERT_EQ(Convert(kDavinci, defaultSize.Path(), {path}).Status, 0);
  EXPECT_EQ(ListedSize(defaultSize.File("a.cube")), 33);
  TempDir chosen;
  ASSERT_EQ(Convert(kDavinci, chosen.Path(), {path}, {"--size", "5"}).Status, 0);
  EXPECT_EQ(ListedSize(chosen.File("a.cube")), 5);
  TempDir capped;
  ASSERT_EQ(Convert(kDavinci, capped.Path(), {path}, {"--size=150"}).Status, 0);
  EXPECT_EQ(ListedSize(capped.File("a.cube")), 99);
  TempDir huge;
  ASSERT_EQ(Convert(kDavinci, huge.Path(), {path}, {"--size", "99999999999"}).Status, 0);
  EXPECT_EQ(ListedSize(huge.File("a.cube")), 99);
}

TEST(CliConvert, RefusedOptionValuesWriteNothing) {
  TempDir source;
  const std::string path = source.Write("a.cube", IdentityCube());
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"Cube 3D Truelight", {"--size", "17"}},  // fixed size
      {kDavinci, {"--size", "1"}},
      {kDavinci, {"--size", "0"}},
      {kDavinci, {"--size", "-4"}},
      {kDavinci, {"--size", "17x"}},
      {kDavinci, {"--bits", "10"}},  // fixed bit depth
      {kDavinci, {"--bits", "9"}},
      {kDavinci, {"--input-bits", "7"}},
  };
  for (const auto& [profile, options] : cases) {
    TempDir out;
    TCliResult result = Convert(profile, out.Path(), {path}, options);
    EXPECT_EQ(result.Status, 2) << options[0] << " " << options[1];
    EXPECT_NE(result.Err.find(options[0]), std::string::npos) << result.Err;
    EXPECT_TRUE(FilesIn(out.Path()).empty()) << options[0] << " " << options[1];
    EXPECT_EQ(result.Out, "");
  }
  TCliResult fixedSize = Convert("Cube 3D Truelight", source.Path(), {path}, {"--size", "17"});
  EXPECT_NE(fixedSize.Err.find("Cube 3D Truelight"), std::string::npos) << fixedSize.Err;
}

TEST(CliConvert, AnExistingDestinationIsAnErrorThatNamesIt) {
  TempDir source;
  TempDir out;
  const std::string path = source.Write("a.cube", IdentityCube());
  const std::string existing = out.Write("a.cube", "keep me\n");
  TCliResult result = Convert(kDavinci, out.Path(), {path});
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(result.Err.rfind("vorn-lut: " + existing + ": ", 0), 0u) << result.Err;
  EXPECT_NE(result.Err.find("--overwrite"), std::string::npos);
  EXPECT_EQ(ReadFile(existing), "keep me\n");
}

TEST(CliConvert, SkipExistingKeepsTheFileAndGoesOn) {
  TempDir source;
  TempDir out;
  const std::string a = source.Write("a.cube", IdentityCube());
  const std::string b = source.Write("b.cube", IdentityCube());
  const std::string existing = out.Write("a.cube", "keep me\n");
  TCliResult result = Convert(kDavinci, out.Path(), {a, b}, {"--skip-existing"});
  ASSERT_EQ(result.Status, 0) << result.Err;
  EXPECT_EQ(ReadFile(existing), "keep me\n");
  EXPECT_EQ(ListedSize(out.File("b.cube")), 33);
  EXPECT_EQ(Lines(result.Out),
            (std::vector<std::string>{"skipped\t" + a + "\t" + existing,
                                      "converted\t" + b + "\t" + out.File("b.cube")}));
}

TEST(CliConvert, OverwriteReplacesTheFile) {
  TempDir source;
  TempDir out;
  const std::string path = source.Write("a.cube", IdentityCube());
  const std::string existing = out.Write("a.cube", "replace me\n");
  TCliResult result = Convert(kDavinci, out.Path(), {path}, {"--overwrite"});
  ASSERT_EQ(result.Status, 0) << result.Err;
  EXPECT_EQ(ListedSize(existing), 33);
}

TEST(CliConvert, AFileCanBeConvertedOntoItself) {
  TempDir dir;
  const std::string path = dir.Write("a.cube", AffineCube());
  TCliResult result = Convert(kDavinci, dir.Path() + "/", {path}, {"--overwrite", "--size", "3"});
  ASSERT_EQ(result.Status, 0) << result.Err;
  EXPECT_EQ(result.Out, "converted\t" + path + "\t" + path + "\n");
  TListedLut lut = ListValues(path);
  ASSERT_EQ(lut.Size, 3);
  ASSERT_EQ(lut.Nodes.size(), 27u);
  EXPECT_NEAR(lut.Nodes[13][3], AffineR(0.5, 0.5, 0.5), 5e-7);  // node (1, 1, 1)
  EXPECT_NEAR(lut.Nodes[13][5], AffineB(0.5, 0.5, 0.5), 5e-7);
}

TEST(CliConvert, TwoSourcesWithOneDestinationCollide) {
  TempDir source;
  TempDir out;
  const std::string cube = source.Write("shot.cube", IdentityCube());
  const std::string vlt = source.Write("shot.vlt", IdentityVlt());
  TCliResult result = Convert(kDavinci, out.Path(), {cube, vlt});
  EXPECT_EQ(result.Status, 2);
  EXPECT_NE(result.Err.find(cube + ", " + vlt + " -> " + out.File("shot.cube")), std::string::npos)
      << result.Err;
  EXPECT_EQ(result.Out, "");
  EXPECT_TRUE(FilesIn(out.Path()).empty());
}

TEST(CliConvert, WithFailFastTheFirstFailureEndsTheBatch) {
  TempDir source;
  TempDir out;
  const std::string first = source.Write("first.cube", IdentityCube());
  const std::string broken = source.Write("broken.cube", TruncatedCube());
  const std::string last = source.Write("last.cube", IdentityCube());
  TCliResult result = Convert(kDavinci, out.Path(), {first, broken, last}, {"--fail-fast"});
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(result.Err, "vorn-lut: " + broken +
                            ": Incomplete file. 3 of the 8 values the file declares were read.\n");
  EXPECT_EQ(FilesIn(out.Path()), (std::vector<std::string>{"first.cube"}));
  EXPECT_EQ(result.Out, "converted\t" + first + "\t" + out.File("first.cube") + "\n");
}

TEST(CliConvert, UnreadableSourcesAreNamed) {
  TempDir source;
  TempDir out;
  const std::string missing = source.File("missing.cube");
  const std::string notLut = source.Write("notes.cube", "just words\n");
  for (const std::string& path : {missing, notLut}) {
    TCliResult result = Convert(kDavinci, out.Path(), {path});
    EXPECT_EQ(result.Status, 1) << path;
    EXPECT_EQ(result.Err.rfind("vorn-lut: " + path + ": ", 0), 0u) << result.Err;
    EXPECT_GT(result.Err.size(), ("vorn-lut: " + path + ": \n").size()) << result.Err;
  }
  EXPECT_TRUE(FilesIn(out.Path()).empty());
}

TEST(CliConvert, AMissingOutputFolderIsNamed) {
  TempDir source;
  const std::string path = source.Write("a.cube", IdentityCube());
  const std::string folder = source.File("not-there");
  TCliResult result = Convert(kDavinci, folder, {path});
  EXPECT_EQ(result.Status, 2);
  EXPECT_EQ(result.Err.rfind("vorn-lut: " + folder + ": ", 0), 0u) << result.Err;
  EXPECT_FALSE(fs::exists(folder));
}

TEST(CliConvert, JobsMustBeAWholeNumberOfAtLeastOne) {
  TempDir source;
  const std::string path = source.Write("a.cube", IdentityCube());
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--jobs", "0"}, "--jobs must be a whole number of at least 1, got '0'"},
      {{"--jobs", "x"}, "--jobs must be a whole number of at least 1, got 'x'"},
      {{"-j", "1.5"}, "--jobs must be a whole number of at least 1, got '1.5'"},
      {{"--jobs=-2"}, "--jobs must be a whole number of at least 1, got '-2'"},
      {{"-j", "99999999999"}, "--jobs must be a whole number of at least 1, got '99999999999'"},
      {{"--jobs"}, "option --jobs needs a value"},
  };
  for (const auto& [options, message] : cases) {
    SCOPED_TRACE(options[0]);
    TempDir out;
    std::vector<std::string> args = {"convert",      "--profile", kDavinci,
                                     "--output-dir", out.Path(),  path};
    args.insert(args.end(), options.begin(), options.end());
    TCliResult result = RunCli(args);
    EXPECT_EQ(result.Status, 2);
    EXPECT_NE(result.Err.find(message), std::string::npos) << result.Err;
    EXPECT_TRUE(FilesIn(out.Path()).empty());
  }
}

// Every job count prints, warns, fails and writes as one job does.
TEST(CliConvert, EveryJobCountPrintsAndWritesWhatOneJobDoes) {
  TempDir source;
  const std::vector<std::string> mixed = {
      source.Write("a.cube", AffineCube()),
      source.Write("b.3dl", Identity3dl12()),
      source.Write("c.vlt", IdentityVlt()),
      source.Write("d.cube", "LUT_3D_SIZE 2\n0 0 0\n1e400 0 0\n" + std::string(kIdentityLines)),
      source.Write("e.cfe", IdentityCfe()),
      source.Write("f.cube", IdentityCube()),
      source.Write("g.cube", IdentityTruelight()),
  };
  std::vector<std::string> failing = mixed;
  failing.insert(failing.begin() + 3, source.Write("broken.cube", TruncatedCube()));
  struct TCase {
    const char* What;
    std::vector<std::string> Files;
    std::vector<std::string> Options;
    int Status;
    std::size_t Lines;  // on standard output
    bool Warns;         // d.cube is reached
  };
  const std::vector<TCase> cases = {
      {"skipping, with the report", mixed, {"--skip-existing", "--report"}, 0, 7, true},
      {"overwriting", mixed, {"--overwrite", "--size", "3"}, 0, 7, true},
      {"an existing file refused", mixed, {"--fail-fast"}, 1, 4, true},
      {"a failing file", failing, {"--overwrite", "--fail-fast"}, 1, 3, false},
      {"an existing file refused, going on", mixed, {}, 1, 6, true},
      {"a failing file, going on", failing, {"--overwrite"}, 1, 7, true},
  };
  for (const TCase& item : cases) {
    TCliResult oneJob;
    std::map<std::string, std::string> written;
    for (const char* jobs : {"1", "2", "4"}) {
      SCOPED_TRACE(std::string(item.What) + ", jobs " + jobs);
      TempDir out;
      out.Write("e.cube", "old\n");
      std::vector<std::string> options = item.Options;
      options.insert(options.end(), {"--jobs", jobs});
      TCliResult result = Convert(kDavinci, out.Path(), item.Files, options);
      for (std::string* text : {&result.Out, &result.Err}) {
        for (std::size_t at; (at = text->find(out.Path())) != std::string::npos;) {
          text->replace(at, out.Path().size(), "OUT");
        }
      }
      std::map<std::string, std::string> files;
      for (const std::string& name : FilesIn(out.Path())) files[name] = ReadFile(out.File(name));
      if (std::string(jobs) == "1") {
        oneJob = result;
        written = files;
        EXPECT_EQ(result.Status, item.Status) << result.Err;
        EXPECT_EQ(Lines(result.Out).size(), item.Lines) << result.Out;
        EXPECT_EQ(result.Err.find("d.cube: 1 line inside the values") != std::string::npos,
                  item.Warns)
            << result.Err;
      }
      EXPECT_EQ(result.Status, oneJob.Status);
      EXPECT_EQ(result.Out, oneJob.Out);
      EXPECT_EQ(result.Err, oneJob.Err);
      EXPECT_EQ(files, written);
    }
  }
}

TEST(CliConvert, ShowsProgressOnlyOnATerminalAndForSeveralFiles) {
  TempDir source;
  const std::string a = source.Write("a.cube", IdentityCube());
  const std::string b = source.Write("b.cube", IdentityCube());
  const std::vector<std::string> common = {"convert", "--profile", kDavinci, "--overwrite",
                                           "--output-dir"};
  auto run = [&](const std::vector<std::string>& files, TErrorStream stream) {
    TempDir out;
    std::vector<std::string> args = common;
    args.push_back(out.Path());
    args.insert(args.end(), files.begin(), files.end());
    return RunCli(args, stream);
  };
  TCliResult terminal = run({a, b}, TErrorStream::Terminal);
  ASSERT_EQ(terminal.Status, 0) << terminal.Err;
  EXPECT_NE(terminal.Err.find("[1/2] a.cube"), std::string::npos) << terminal.Err;
  EXPECT_NE(terminal.Err.find("[2/2] b.cube"), std::string::npos) << terminal.Err;
  // The line is wiped at the end.
  EXPECT_EQ(terminal.Err.substr(terminal.Err.size() - 4), "\r\x1b[K");
  EXPECT_EQ(Lines(terminal.Out).size(), 2u);

  EXPECT_EQ(run({a}, TErrorStream::Terminal).Err, "");
  EXPECT_EQ(run({a, b}, TErrorStream::Pipe).Err, "");
}

}  // namespace
}  // namespace vorn::test
