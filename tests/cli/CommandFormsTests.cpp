// The forms of a command line: outputs named by -o or by a last file, profiles and values
// by number, name, abbreviation or extension, global and short options before or after the
// command, and what a failure says.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "core/VornLut.h"
#include "platform/Files.h"
#include "tests/cli/CliRunner.h"
#include "tests/cli/LutTexts.h"
#include "tests/support/IccTestProfiles.h"
#include "tests/support/TestSupport.h"

namespace vorn::test {
namespace {

const std::string kDavinci = "Cube 3D Davinci";

std::string ProfileNumber(const std::string& name) {
  const auto& profiles = OutputProfiles();
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    if (profiles[i]->Name == name) return std::to_string(i);
  }
  return "";
}

// An extension that one output profile alone writes, or "".
std::string ExtensionOfOneProfile() {
  std::map<std::string, int> owners;
  for (const auto& profile : OutputProfiles()) ++owners[profile->Extension];
  for (const auto& [extension, count] : owners) {
    if (count == 1) return extension;
  }
  return "";
}

std::string FirstLine(const std::string& text) {
  return text.substr(0, text.find('\n'));
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

struct TFormCase {
  std::vector<std::string> Args;
  int Status;
  std::string FirstLine;  // part of the first line of the output (of the errors on failure)
};

class CliForms : public ::testing::Test {
 protected:
  TempDir Temp;
  const std::string Cube = Temp.Write("a.cube", AffineCube());
  const std::string Cube2 = Temp.Write("b.cube", AffineCube());
  const std::string Garbage = Temp.Write("garbage.cube", std::string(3000, '\x93'));
  const std::string Gray = WriteTestProfile(Temp.Path(), "gray.icc", TTestProfile::GrayDisplay);

  std::string Folder(const std::string& name) const {
    MakeFoldersBelow(Temp.Path(), name);
    return Temp.File(name);
  }
};

TEST_F(CliForms, EveryFormGivesItsStatusAndFirstLine) {
  const std::string number = ProfileNumber(kDavinci);
  ASSERT_FALSE(number.empty());
  const std::string one = ExtensionOfOneProfile();
  const std::string hald = Temp.File("id.tif");
  const std::string icc = Temp.File("display.icc");
  const std::string missing = Temp.File("missing");
  const std::string cached = ".cache/vorn-lut";
  const std::vector<TFormCase> cases = {
      // Outputs: the older forms and -o.
      {{"convert", "--profile", kDavinci, "--output-dir", Folder("d1"), Cube},
       0,
       "converted\t" + Cube + "\t" + Temp.File("d1/a.cube")},
      {{"convert", "-p", kDavinci, "-d", Folder("d2"), Cube}, 0, Temp.File("d2/a.cube")},
      {{"convert", "-p", kDavinci, "-o", Temp.File("x1.cube"), Cube},
       0,
       "converted\t" + Cube + "\t" + Temp.File("x1.cube")},
      {{"convert", "-p", number, "--output=" + Temp.File("x2.dat"), Cube}, 0, "x2.dat"},
      {{"convert", "-p", kDavinci, "-j2", "-d", Folder("d3"), Cube, Cube2}, 0, "converted"},
      {{"convert", "-p", kDavinci, "-o", Temp.File("x3.cube"), Cube, Cube2},
       2,
       "--output names the one file written, got 2 sources"},
      {{"convert", "-p", kDavinci, "-o", Temp.File("x4.cube"), "-d", Folder("d4"), Cube},
       2,
       "give one of them"},
      {{"convert", "-p", kDavinci, "-o", missing + "/x.cube", Cube},
       2,
       "the folder '" + missing + "' does not exist"},
      {{"convert", "-p", kDavinci, "-o", Folder("d5"), Cube}, 2, "is a folder, not a file"},
      {{"hald", Temp.File("old.tif")}, 0, "generated\t" + Temp.File("old.tif")},
      {{"hald", "-o", hald}, 0, "generated\t" + hald},
      {{"hald", "--format", "TIFF", "-o", Temp.File("typed")}, 0, Temp.File("typed.tif")},
      {{"hald", "--format", "png", "-o", Temp.File("p")}, 2, "--format must be bmp, jpg or tif"},
      {{"apply", Cube, hald, Temp.File("old.png")}, 0, "applied\t" + hald},
      {{"apply", Cube, hald, "-o", Temp.File("new.png")}, 0, Temp.File("new.png")},
      {{"apply", Cube, hald, Temp.File("a.png"), "-o", Temp.File("b.png")},
       2,
       "needs a LUT and a picture besides -o FILE, got 3 files"},
      {{"lut2icc", "--class", "disp", "-o", icc, Cube}, 0, "converted\t" + Cube + "\t" + icc},
      {{"lut2icc", "--class", "Input", Cube, Temp.File("in.icc")}, 0, "converted"},
      {{"lut2icc", "--class", "printer", Cube, Temp.File("p.icc")},
       2,
       "--class must be display, input or link"},
      {{"lut2icc", "--class", "link", "-o", "-", Cube}, 2, "an ICC profile is binary"},
      {{"icc2lut", "-p", kDavinci, "-s", "3", "-o", Temp.File("i.cube"), icc},
       0,
       "converted\t" + icc + "\t" + Temp.File("i.cube")},
      {{"merge", "-p", kDavinci, "-s", "2", "-f", "-o", Temp.File("m.cube"), Cube, Cube2},
       0,
       "merged\t" + Temp.File("m.cube")},
      // Profiles by name, number, abbreviation or extension.
      {{"convert", "-p", "CUBE 3D DAVINCI", "-o", Temp.File("n1.cube"), Cube}, 0, "n1.cube"},
      {{"convert", "-p", "cube davinci", "-o", Temp.File("n2.cube"), Cube}, 0, "n2.cube"},
      {{"convert", "-p", "cu 3d dav", "-o", Temp.File("n3.cube"), Cube}, 0, "n3.cube"},
      {{"convert", "-p", "cube", "-o", Temp.File("n4.cube"), Cube},
       2,
       "names several output profiles: did you mean"},
      {{"convert", "-p", "Davinky", "-o", Temp.File("n5.cube"), Cube},
       2,
       "unknown output profile 'Davinky'; did you mean"},
      {{"convert", "-p", "xyzzy", "-o", Temp.File("n6.cube"), Cube},
       2,
       "unknown output profile 'xyzzy' (run 'vorn-lut profiles'"},
      {{"convert", "-p", "9999", "-o", Temp.File("n7.cube"), Cube},
       2,
       "there is no output profile number 9999"},
      // Global options before and after the command, short options.
      {{"--strict", "compare", Cube, Cube2}, 0, "First:  " + Cube},
      {{"compare", Cube, Cube2, "--strict"}, 0, "First:  " + Cube},
      {{"merge", "--strict", "-p", kDavinci, "-o", Temp.File("s.cube"), Cube}, 0, "merged"},
      {{"apply", Cube, hald, "--strict", "-o", Temp.File("s.png")}, 0, "applied"},
      {{"info", Cube, "--strict"}, 0, "File: " + Cube},
      {{"-q", "info", Cube}, 0, "File: " + Cube},
      {{"convert", "-q", "-p", kDavinci, "-d", Folder("q"), Cube}, 0, ""},
      {{"-q", "-v", "info", Cube}, 2, "--quiet and --verbose cannot be used together"},
      {{"info", "-f", Cube}, 2, "unknown option '-f' for 'info'"},
      {{"merge", "--input-bits", "10", "-p", kDavinci, "-o", Temp.File("bits.cube"), Cube},
       0,
       "merged"},
      // Failures that name their file once and say what to do.
      {{"info", missing + ".cube"}, 1, missing + ".cube: Cannot open file: No such file"},
      {{"merge", "-p", kDavinci, "-o", missing + "/m.cube", Cube},
       1,
       missing + "/m.cube: the folder '" + missing + "' does not exist: create it first"},
      {{"icc2lut", "-p", kDavinci, Gray, Temp.File("g.cube")},
       1,
       Gray + ": a gray profile describes one channel and cannot become an RGB LUT"},
      {{"apply", Cube, Cube, Temp.File("c.png")}, 1, Cube + ": Cannot read picture: "},
      {{"merge", "-p", kDavinci, "-o", Temp.File("g1.cube"), Cube, Garbage},
       1,
       Garbage + ": the file is not a LUT file of any known format"},
      {{"convert", "-p", kDavinci, "-o", Temp.File("g2.cube"), Garbage},
       1,
       Garbage + ": the file is not a LUT file of any known format"},
  };
  for (const TFormCase& c : cases) {
    std::string shown;
    for (const std::string& arg : c.Args) shown += arg + " ";
    SCOPED_TRACE(shown);
    const TCliResult result = RunCli(c.Args);
    EXPECT_EQ(result.Status, c.Status) << result.Err;
    const std::string first = FirstLine(c.Status == 0 ? result.Out : result.Err);
    EXPECT_NE(first.find(c.FirstLine), std::string::npos) << first;
    if (c.FirstLine.empty()) {
      EXPECT_EQ(result.Out + result.Err, "");
    }
    EXPECT_EQ(result.Err.find(cached), std::string::npos) << result.Err;
    EXPECT_EQ(result.Err.find("System error"), std::string::npos) << result.Err;
    for (const std::string& arg : c.Args) {
      if (!arg.starts_with(Temp.Path())) continue;
      for (const std::string& line : Lines(result.Err)) {
        EXPECT_LE(Occurrences(line, arg + "\""), 0u) << line;
        EXPECT_LE(Occurrences(line, "'" + arg + "'") + Occurrences(line, arg + ":"), 1u) << line;
      }
    }
  }
  if (!one.empty()) {
    const TCliResult byExtension = RunCli({"convert", "-p", one, "-o", Temp.File("e.x"), Cube});
    EXPECT_EQ(byExtension.Status, 0) << one << ": " << byExtension.Err;
  }
}

TEST_F(CliForms, SuggestionsNameTheCandidatesWithTheirNumbers) {
  const std::string davinci = ProfileNumber(kDavinci) + " '" + kDavinci + "'";
  for (const char* typed : {"cube", "Davinky", "cube davinchi"}) {
    const TCliResult result = RunCli({"convert", "-p", typed, "-d", Temp.Path(), Cube});
    EXPECT_EQ(result.Status, 2) << typed;
    EXPECT_NE(result.Err.find(davinci), std::string::npos) << result.Err;
  }
}

TEST_F(CliForms, VerboseNamesEachFilesFormat) {
  const TCliResult result =
      RunCli({"convert", "-v", "-p", kDavinci, "-d", Folder("v"), Cube, Cube2});
  ASSERT_EQ(result.Status, 0) << result.Err;
  EXPECT_NE(result.Err.find(Cube + ": Cube 3D, "), std::string::npos) << result.Err;
  EXPECT_NE(result.Err.find(Cube2 + ": Cube 3D, "), std::string::npos) << result.Err;
}

TEST_F(CliForms, VerboseNamesTheFormatsOfASingleCommandsFiles) {
  const TCliResult result = RunCli({"compare", "-v", Cube, Cube2});
  ASSERT_EQ(result.Status, 0) << result.Err;
  const std::vector<std::string> lines = Lines(result.Err);
  ASSERT_EQ(lines.size(), 3u) << result.Err;
  EXPECT_EQ(lines[0], "vorn-lut: " + Cube + ": Cube 3D");
  EXPECT_EQ(lines[1], "vorn-lut: " + Cube2 + ": Cube 3D");
  EXPECT_TRUE(lines[2].starts_with("vorn-lut: done in ")) << lines[2];
}

// A long single operation says what it does on a terminal, and nothing with --quiet or on a
// pipe.
TEST_F(CliForms, SamplingAProfileShowsItsLineOnATerminal) {
  const std::string icc = Temp.File("d.icc");
  ASSERT_EQ(RunCli({"lut2icc", "--class", "display", Cube, icc}).Status, 0);
  const std::vector<std::string> command = {"icc2lut",           "-p", kDavinci, "-f", "-o",
                                            Temp.File("s.cube"), icc};
  const TCliResult shown = RunCli(command, TErrorStream::Terminal);
  ASSERT_EQ(shown.Status, 0) << shown.Err;
  EXPECT_NE(shown.Err.find("\r\x1b[Ksampling " + icc + " (0 s)"), std::string::npos) << shown.Err;
  EXPECT_TRUE(shown.Err.ends_with("\r\x1b[K")) << shown.Err;
  std::vector<std::string> quiet = command;
  quiet.push_back("-q");
  EXPECT_EQ(RunCli(quiet, TErrorStream::Terminal).Err, "");
  EXPECT_EQ(RunCli(command).Err, "");
}

// "-o -" prints what "-o FILE" writes.
TEST_F(CliForms, StandardOutputHoldsWhatAFileWouldHold) {
  const std::string icc = Temp.File("d.icc");
  ASSERT_EQ(RunCli({"lut2icc", "--class", "display", Cube, icc}).Status, 0);
  const std::vector<std::vector<std::string>> commands = {
      {"convert", "-p", kDavinci, "-s", "3", Cube},
      {"merge", "-p", kDavinci, "-s", "3", Cube, Cube2},
      {"icc2lut", "-p", kDavinci, "-s", "3", icc},
  };
  for (std::size_t i = 0; i < commands.size(); ++i) {
    SCOPED_TRACE(commands[i][0]);
    const std::string file = Temp.File("out" + std::to_string(i) + ".cube");
    std::vector<std::string> toFile = commands[i];
    toFile.insert(toFile.end(), {"-o", file});
    std::vector<std::string> toStandardOutput = commands[i];
    toStandardOutput.insert(toStandardOutput.end(), {"-o", "-"});
    ASSERT_EQ(RunCli(toFile).Status, 0);
    const TCliResult printed = RunCli(toStandardOutput);
    ASSERT_EQ(printed.Status, 0) << printed.Err;
    EXPECT_EQ(printed.Out, ReadFile(file));
  }
}

TEST_F(CliForms, MergeReadsTheFilesWithTheInputBitsGiven) {
  const std::string dl = Temp.Write("id.3dl", Identity3dl12());
  std::vector<std::string> whites;
  for (const char* bits : {"12", "16"}) {
    const std::string merged = Temp.File(std::string("m") + bits + ".cube");
    ASSERT_EQ(
        RunCli({"merge", "-p", kDavinci, "-s", "2", "--input-bits", bits, "-o", merged, dl}).Status,
        0);
    const std::vector<std::string> lines = Lines(ReadFile(merged));
    ASSERT_FALSE(lines.empty());
    whites.push_back(lines.back());
  }
  EXPECT_EQ(whites[0], "1.000000 1.000000 1.000000");
  EXPECT_NE(whites[1], whites[0]);
}

}  // namespace
}  // namespace vorn::test
