// What a conversion says it drops because the output profile cannot hold it: a table of
// sources and profiles against the notes, and the notes through a --strict batch.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/Conversion.h"
#include "platform/Files.h"
#include "tests/support/TestLuts.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9f", value);
  return text;
}

// Cube text of a 1D table of CurveGrade.
std::string TableCube(int entries) {
  std::string text = "LUT_1D_SIZE " + std::to_string(entries) + "\n";
  for (int i = 0; i < entries; ++i) {
    const double x = static_cast<double>(i) / (entries - 1);
    const TRGB v = test::CurveGrade({x, x, x});
    text += Number(v.R) + " " + Number(v.G) + " " + Number(v.B) + "\n";
  }
  return text;
}

// The grade's grid behind a shaper that passes its input on.
std::string IdentityShapedCube(int gridSize) {
  auto lut = test::MakeGradeLut(lk1DAnd3D, gridSize, 16);
  for (int i = 0; i < 16; ++i) {
    const double x = i / 15.0;
    lut->SetEntry(i, {x, x, x});
  }
  return test::CubeTextOf(*lut);
}

// A 2-node grid reaching from -0.1 to 2.0.
const char* const kWideCube =
    "LUT_3D_SIZE 2\n-0.1 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n2.0 1 1\n";

struct TNoteCase {
  const char* Name;
  std::string Source;   // Cube text
  const char* Profile;  // output profile
  int Size;             // -1: the profile's default
  std::vector<std::pair<TLossKind, std::string>> Expected;
};

const std::string kCrossTalk17 =
    "a 1D profile holds no grid: the 17-node grid is sampled along its grey axis and its "
    "cross-talk between channels is lost";

std::vector<TNoteCase> NoteCases() {
  const std::string grid33 = test::CubeTextOf(*test::MakeGradeLut(lk3D, 33));
  const std::string grid17 = test::CubeTextOf(*test::MakeGradeLut(lk3D, 17));
  const std::string shaped = test::CubeTextOf(*test::MakeGradeLut(lk1DAnd3D, 17, 64));
  const std::string table = TableCube(4096);
  using enum TLossKind;
  return {
      {"a grid to a float profile of its size", grid33, "Cube 3D Davinci", -1, {}},
      {"a grid in range to integer codes of its size", grid33, "3DL Fusion", -1, {}},
      {"a larger grid to the default size",
       test::CubeTextOf(*test::MakeGradeLut(lk3D, 65)),
       "Cube 3D Davinci",
       -1,
       {{Resampled, "the grid is resampled from 65 to 33 nodes per axis"}}},
      {"a grid to a fixed smaller size",
       grid33,
       "Adobe Premiere Look",
       -1,
       {{Resampled, "the grid is resampled from 33 to 32 nodes per axis"}}},
      {"a smaller grid sampled up", grid17, "Cube 3D Davinci", -1, {}},
      {"a grid to a 1D profile", grid17, "Cube 1D", -1, {{CrossTalk, kCrossTalk17}}},
      {"a shaper before a grid",
       shaped,
       "Cube 3D Davinci",
       17,
       {{Shaper,
         "the profile holds no shaper: the 1D shaper of 64 entries is baked into the "
         "17-node grid"}}},
      {"a shaper that changes nothing", IdentityShapedCube(17), "Cube 3D Davinci", 17, {}},
      {"a shaper and a grid to a 1D profile", shaped, "Cube 1D", -1, {{CrossTalk, kCrossTalk17}}},
      {"a table to a 1D profile of its size", table, "Cube 1D", -1, {}},
      {"a table to fewer entries",
       table,
       "Cine-tal 1D",
       -1,
       {{Resampled, "the table is resampled from 4096 to 1024 entries"}}},
      {"a table to a grid",
       table,
       "Cube 3D Davinci",
       -1,
       {{Resampled, "the 1D table of 4096 entries is sampled on a 33-node grid"}}},
      {"values beyond [0, 1] to integer codes",
       kWideCube,
       "3DL Fusion",
       -1,
       {{Clamped, "values from -0.1 to 2 are clamped to [0, 1]"}}},
      {"values beyond [0, 1] to FSI DIT's codes",
       kWideCube,
       "FSI DIT (Flanders Scientific) 3D",
       -1,
       {{Clamped, "values from -0.1 to 2 are clamped to [0, 1.01488]"}}},
      {"values beyond [0, 1] as reals", kWideCube, "Cube 3D Davinci", 2, {}},
      {"values beyond [0, 1] as codes that are not clamped",
       kWideCube,
       "Panasonic 3D vlt, Varicam",
       -1,
       {}},
  };
}

TEST(ConversionNotes, SayWhatEachProfileCannotHold) {
  test::TempDir temp;
  for (const TNoteCase& item : NoteCases()) {
    SCOPED_TRACE(item.Name);
    const std::string source = temp.Write("source.cube", item.Source);
    const TLutOutputProfile& profile = test::ProfileNamed(item.Profile);
    const int size = item.Size == -1 ? profile.DefaultSize : item.Size;
    const TPreparedConversion prepared =
        PrepareConversion(source, temp.File("out." + profile.Extension), -1, profile, size);
    std::vector<std::pair<TLossKind, std::string>> notes;
    for (const TConversionNote& note : prepared.Notes) {
      EXPECT_EQ(note.File, source);
      notes.emplace_back(note.Kind, note.Message);
    }
    EXPECT_EQ(notes, item.Expected);
    EXPECT_TRUE(prepared.Report.Warnings.empty());
  }
}

// A strict batch converts a file that loses nodes and says so after the file's load warnings
// and before its result.
TEST(ConversionNotes, AreToldInABatchThatStrictDoesNotEnd) {
  test::TempDir in;
  test::TempDir out;
  const std::vector<TBatchFile> files = {
      {in.Write("a.cube", test::CubeTextOf(*test::MakeGradeLut(lk3D, 5)))},
      {in.Write("b.cube", test::CubeTextOf(*test::MakeGradeLut(lk3D, 2)))}};
  std::vector<std::string> events;
  TBatchCallbacks callbacks;
  callbacks.Warning = [&](std::size_t position, const TLoadWarning& warning) {
    events.push_back(std::to_string(position) + " warning " + warning.Message);
  };
  callbacks.Note = [&](std::size_t position, const TConversionNote& note) {
    events.push_back(std::to_string(position) + " note " + ExtractFileName(note.File) + ": " +
                     note.Message);
  };
  callbacks.Finished = [&](std::size_t position, const std::string&, bool converted) {
    events.push_back(std::to_string(position) + (converted ? " converted" : " skipped"));
  };
  TBatchSettings settings{&test::ProfileNamed("Cube 3D Davinci"), 3, -1, out.Path()};
  settings.Strict = true;
  for (int jobs : {1, 2}) {
    SCOPED_TRACE(jobs);
    events.clear();
    settings.Jobs = jobs;
    const TBatchResult result = ConvertBatch(files, settings, callbacks);
    EXPECT_EQ(result.Converted, 2);
    EXPECT_EQ(events, (std::vector<std::string>{
                          "0 note a.cube: the grid is resampled from 5 to 3 nodes per axis",
                          "0 converted", "1 converted"}));
    EXPECT_TRUE(FileExists(out.File("a.cube")));
  }
}

}  // namespace
}  // namespace vorn
