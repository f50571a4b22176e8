// The batch shared by the window and the command line, and how its errors read.

#include <gtest/gtest.h>

#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "core/Conversion.h"
#include "core/ErrorReport.h"
#include "platform/Files.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

const char* kIdentityCube =
    "LUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n";

const TLutOutputProfile& CubeProfile() {
  for (const auto& profile : OutputProfiles()) {
    if (profile->Name == "Cube 3D Davinci") return *profile;
  }
  throw std::runtime_error("no Cube 3D Davinci profile");
}

class ConvertBatchTest : public ::testing::Test {
 protected:
  test::TempDir In;
  test::TempDir Out;
  std::vector<std::string> Events;

  TBatchCallbacks Recording(std::vector<TOverwriteAnswer> answers = {}) {
    TBatchCallbacks callbacks;
    callbacks.AskOverwrite = [this, answers](const std::string& destination) mutable {
      Events.push_back("ask " + ExtractFileName(destination));
      const TOverwriteAnswer answer = answers.front();
      answers.erase(answers.begin());
      return answer;
    };
    callbacks.Progress = [this](std::size_t position, double percent) {
      Events.push_back("progress " + std::to_string(position) + " " +
                       std::to_string(static_cast<int>(percent)));
      return true;
    };
    callbacks.Finished = [this](std::size_t position, const std::string&, bool converted) {
      Events.push_back((converted ? "converted " : "skipped ") + std::to_string(position));
    };
    return callbacks;
  }
  TBatchSettings Settings() { return {&CubeProfile(), 3, -1, Out.Path()}; }
};

TEST_F(ConvertBatchTest, CheckedFilesInOrderWithQuestionsBeforeProgress) {
  const std::vector<TBatchFile> files = {{In.Write("a.cube", kIdentityCube), -1, true},
                                         {In.Write("b.cube", kIdentityCube), -1, false},
                                         {In.Write("c.cube", kIdentityCube), -1, true},
                                         {In.Write("d.cube", kIdentityCube), -1, true}};
  WriteWholeFile(Out.File("c.cube"), "old");
  WriteWholeFile(Out.File("d.cube"), "old");
  const TBatchResult result =
      ConvertBatch(files, Settings(), Recording({TOverwriteAnswer::No, TOverwriteAnswer::Yes}));

  EXPECT_EQ(Events,
            (std::vector<std::string>{"progress 0 25", "converted 0", "ask c.cube", "skipped 2",
                                      "ask d.cube", "progress 3 100", "converted 3"}));
  EXPECT_EQ(result.Converted, 2);
  EXPECT_EQ(result.Skipped, 1);
  EXPECT_FALSE(result.Cancelled);
  EXPECT_EQ(test::ReadFile(Out.File("c.cube")), "old");
  EXPECT_FALSE(FileExists(Out.File("b.cube")));
}

TEST_F(ConvertBatchTest, CancelFromTheQuestionOrTheProgressEndsQuietly) {
  const std::vector<TBatchFile> files = {{In.Write("a.cube", kIdentityCube)},
                                         {In.Write("b.cube", kIdentityCube)}};
  WriteWholeFile(Out.File("b.cube"), "old");
  EXPECT_TRUE(ConvertBatch(files, Settings(), Recording({TOverwriteAnswer::Cancel})).Cancelled);
  EXPECT_EQ(test::ReadFile(Out.File("b.cube")), "old");

  TBatchCallbacks stop;
  stop.Progress = [](std::size_t position, double) { return position == 0; };
  const TBatchResult result = ConvertBatch(files, Settings(), stop);
  EXPECT_TRUE(result.Cancelled);
  EXPECT_EQ(result.Converted, 1);
  EXPECT_EQ(test::ReadFile(Out.File("b.cube")), "old");
}

TEST_F(ConvertBatchTest, TheFirstErrorEndsTheBatchNamingItsFile) {
  const std::string broken = In.Write("b.cube", "LUT_3D_SIZE 2\n0 0 0\n");
  const std::vector<TBatchFile> files = {
      {In.Write("a.cube", kIdentityCube)}, {broken}, {In.Write("c.cube", kIdentityCube)}};
  try {
    ConvertBatch(files, Settings(), {});
    FAIL() << "the batch went past an incomplete file";
  } catch (const ELUTError& error) {
    EXPECT_STREQ(error.what(), kIncompleteFile);
    EXPECT_EQ(error.File(), broken);
  }
  EXPECT_TRUE(FileExists(Out.File("a.cube")));
  EXPECT_FALSE(FileExists(Out.File("c.cube")));

  try {
    ConvertBatch({{In.Path()}}, Settings(), {});
    FAIL() << "a folder was converted";
  } catch (const Exception& error) {
    EXPECT_EQ(LineText(ReportError(error)), In.Path() + ": is a folder, not a LUT file");
  }
}

const TLutOutputProfile& PremiereProfile() {
  for (const auto& profile : OutputProfiles()) {
    if (profile->Name == "Adobe Premiere Look") return *profile;
  }
  throw std::runtime_error("no Adobe Premiere Look profile");
}

// The look's own file is asked about by the batch, its cube by the output format: declining
// the cube skips the file with neither written.
TEST_F(ConvertBatchTest, APremiereLookAsksAboutItsCubeAndNoWritesNeitherFile) {
  const std::vector<TBatchFile> files = {{In.Write("a.cube", kIdentityCube)},
                                         {In.Write("b.cube", kIdentityCube)}};
  WriteWholeFile(Out.File("a.cube"), "old");
  WriteWholeFile(Out.File("b.cube"), "old");
  TBatchCallbacks callbacks = Recording();
  std::vector<bool> answers = {false, true};
  callbacks.AskReplaceCompanion = [&](const std::string& companion) {
    Events.push_back("companion " + ExtractFileName(companion));
    const bool answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  };
  const TBatchSettings settings{&PremiereProfile(), 32, -1, Out.Path()};
  const TBatchResult result = ConvertBatch(files, settings, callbacks);

  EXPECT_EQ(Events,
            (std::vector<std::string>{"progress 0 50", "companion a.cube", "skipped 0",
                                      "progress 1 100", "companion b.cube", "converted 1"}));
  EXPECT_EQ(result.Converted, 1);
  EXPECT_EQ(result.Skipped, 1);
  EXPECT_FALSE(FileExists(Out.File("a.look")));
  EXPECT_EQ(test::ReadFile(Out.File("a.cube")), "old");
  EXPECT_TRUE(FileExists(Out.File("b.look")));
  TLUT cube;
  LoadLut(Out.File("b.cube"), cube);
  EXPECT_EQ(cube.Size3D, 32);

  // Without the question an existing cube ends the batch with an error that names it.
  try {
    ConvertBatch({files[0]}, settings, {});
    FAIL() << "the cube was replaced without asking";
  } catch (const Exception& error) {
    EXPECT_EQ(LineText(ReportError(error)), files[0].Path + ": The " + Out.File("a.cube") +
                                                " file already exists and is not replaced.");
  }
  EXPECT_FALSE(FileExists(Out.File("a.look")));
}

// A 1D file whose entry lines all failed loads as an empty table, which is not converted.
TEST_F(ConvertBatchTest, AnEmptyTableIsNotConverted) {
  const std::string empty = In.Write("empty.1dlut", "no entry here\n");
  try {
    ConvertBatch({{empty}}, Settings(), {});
    FAIL() << "an empty table was converted";
  } catch (const ELUTError& error) {
    EXPECT_EQ(LineText(ReportError(error)), empty + ": The file holds no 1D entries to convert.");
  }
  EXPECT_FALSE(FileExists(Out.File("empty.cube")));
}

TEST(ErrorReport, TheMessageStaysAndThePlaceIsAdded) {
  EConvertError conversion("'2x' is not a valid integer value");
  conversion.NoteFile("/luts/a.cube");
  conversion.NoteLine(2);
  conversion.NoteFile("/elsewhere");  // the innermost place counts
  const TErrorReport located = ReportError(conversion);
  EXPECT_EQ(BoxText(located), "'2x' is not a valid integer value\n\nFile: /luts/a.cube, line 2");
  EXPECT_EQ(LineText(located), "/luts/a.cube:2: '2x' is not a valid integer value");

  const TErrorReport named =
      ReportError(EFileError("Cannot open file \"/a/b.cube\"."), "/a/b.cube");
  EXPECT_EQ(BoxText(named), "Cannot open file \"/a/b.cube\".");
  EXPECT_EQ(LineText(named), "/a/b.cube: Cannot open file \"/a/b.cube\".");

  EXPECT_EQ(BoxText(ReportError(std::bad_alloc(), "/big.cube")),
            "Out of memory.\n\nFile: /big.cube");
  EXPECT_EQ(LineText(ReportError(std::runtime_error(""))), "Unknown error.");
}

TEST(ExpandLutPaths, FoldersGiveTheirClaimedFilesAndListTheRest) {
  test::TempDir dir;
  std::filesystem::create_directories(dir.File("luts/sub"));
  const std::string b = dir.Write("luts/b.cube", kIdentityCube);
  const std::string a = dir.Write("luts/sub/a.cube", kIdentityCube);
  const std::string notes = dir.Write("luts/notes.txt", "no LUT\n");
  const std::string picture = dir.Write("luts/sub/z.png", "no LUT either\n");
  const std::string loose = dir.Write("loose.txt", "named on its own\n");

  const TLutPaths paths = ExpandLutPaths({loose, dir.File("luts"), dir.File("missing.cube")});
  // Files named on their own stay, claimed or not; the commands report on them.
  EXPECT_EQ(paths.Files, (std::vector<std::string>{loose, b, a, dir.File("missing.cube")}));
  EXPECT_EQ(paths.Unclaimed, (std::vector<std::string>{notes, picture}));
}

}  // namespace
}  // namespace vorn
