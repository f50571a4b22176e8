// The batch shared by the window and the command line, and how its errors read.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <iterator>
#include <map>
#include <mutex>
#include <new>
#include <string>
#include <vector>

#include "core/Conversion.h"
#include "core/ErrorReport.h"
#include "platform/Files.h"
#include "tests/support/FaultSupport.h"
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
  // The collisions found (described by Describe) and, when there are any, the batch refused
  // before it asks or writes anything.
  void ExpectCollisions(const std::vector<TBatchFile>& files, const test::TempDir& in,
                        const test::TempDir& out,
                        const std::vector<std::vector<std::string>>& expected);

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

const std::string kBrokenMessage =
    "Incomplete file. 1 of the 8 values the file declares were read.";

TEST_F(ConvertBatchTest, TheFirstErrorEndsTheBatchNamingItsFile) {
  const std::string broken = In.Write("b.cube", "LUT_3D_SIZE 2\n0 0 0\n");
  const std::vector<TBatchFile> files = {
      {In.Write("a.cube", kIdentityCube)}, {broken}, {In.Write("c.cube", kIdentityCube)}};
  try {
    ConvertBatch(files, Settings(), {});
    FAIL() << "the batch went past an incomplete file";
  } catch (const ELUTError& error) {
    EXPECT_STREQ(error.what(), "Incomplete file. 1 of the 8 values the file declares were read.");
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

// Longer than the hand-over window of every job count: the reports keep list order, and with
// FailFast nothing after the broken file is written.
TEST_F(ConvertBatchTest, LongBatchesReportInOrderAndStopAtTheFirstBrokenFile) {
  constexpr std::size_t kFiles = 150;
  struct TCase {
    int Jobs;
    std::size_t Broken;
    bool FailFast;
  };
  const TCase cases[] = {{1, 70, true}, {2, 0, true},   {2, 70, true}, {2, 149, true},
                         {4, 97, true}, {2, 70, false}, {4, 3, false}};
  for (const TCase& item : cases) {
    SCOPED_TRACE("jobs " + std::to_string(item.Jobs) + ", broken " + std::to_string(item.Broken) +
                 (item.FailFast ? ", fail fast" : ""));
    test::TempDir in;
    test::TempDir out;
    std::vector<TBatchFile> files;
    for (std::size_t i = 0; i < kFiles; ++i) {
      const bool broken = i == item.Broken;
      files.push_back({in.Write(std::to_string(1000 + i) + ".cube",
                                broken ? "LUT_3D_SIZE 2\n0 0 0\n" : kIdentityCube)});
    }
    Events.clear();
    TBatchCallbacks callbacks = Recording();
    callbacks.Progress = {};
    callbacks.Failed = [this](std::size_t position, const std::exception_ptr&) {
      Events.push_back("failed " + std::to_string(position));
    };
    TBatchSettings settings{&CubeProfile(), 3, -1, out.Path()};
    settings.Jobs = item.Jobs;
    settings.FailFast = item.FailFast;
    std::vector<std::string> expected;
    for (std::size_t i = 0; i <= (item.FailFast ? item.Broken : kFiles - 1); ++i) {
      expected.push_back((i == item.Broken ? "failed " : "converted ") + std::to_string(i));
    }
    if (item.FailFast) {
      EXPECT_THROW(ConvertBatch(files, settings, callbacks), ELUTError);
    } else {
      EXPECT_EQ(ConvertBatch(files, settings, callbacks).Failed, 1);
    }
    EXPECT_EQ(Events, expected);
    EXPECT_EQ(test::EntriesOf(out.Path()).size(), item.FailFast ? item.Broken : kFiles - 1);
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

// A 1D file whose entry lines all failed loads as an empty table, a look that refers to its
// LUT instead of holding one as no LUT: neither is converted into a made-up LUT.
TEST_F(ConvertBatchTest, FilesWithoutValuesAreNotConverted) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {In.Write("empty.1dlut", "no entry here\n"), "The file holds no 1D entries to convert."},
      {In.Write("refers.look",
                "<look><shaders><shader><parameters><LUT>\"a.cube\"</LUT></parameters></shader>"
                "</shaders></look>\n"),
       "The file holds no LUT data to convert."},
  };
  for (const auto& [source, message] : cases) {
    try {
      ConvertBatch({{source}}, Settings(), {});
      ADD_FAILURE() << source << " was converted";
    } catch (const ELUTError& error) {
      EXPECT_EQ(LineText(ReportError(error)), source + ": " + message);
    }
  }
  EXPECT_TRUE(test::EntriesOf(Out.Path()).empty());
}

// Sources named as files in In, (optionally) existing entries in Out, and the collisions
// the batch must name before it writes anything.
struct TCollisionCase {
  const char* What;
  std::vector<std::string> Sources;  // names in In; "sub/x" makes the folder
  std::function<void(const test::TempDir& in, const test::TempDir& out)> Prepare;
  // Per collision: the source names, then "->", then the destination names, then
  // optionally "!" and the name of the overwritten source.
  std::vector<std::vector<std::string>> Expected;
};

std::vector<std::string> Describe(const TOutputCollision& collision, const test::TempDir& in,
                                  const test::TempDir& out) {
  auto relative = [](const std::string& path, const test::TempDir& dir) {
    return path.substr(dir.Path().size() + 1);
  };
  std::vector<std::string> words;
  for (const std::string& source : collision.Sources) words.push_back(relative(source, in));
  words.push_back("->");
  for (const std::string& destination : collision.Destinations) {
    words.push_back(relative(destination, out));
  }
  if (!collision.OverwrittenSource.empty()) {
    words.push_back("!");
    words.push_back(relative(collision.OverwrittenSource, in));
  }
  return words;
}

TEST_F(ConvertBatchTest, FilesThatWouldOverwriteEachOthersOutputAreNamedBeforeAnythingIsWritten) {
  auto none = [](const test::TempDir&, const test::TempDir&) {};
  const std::vector<TCollisionCase> cases = {
      {"one name in two folders",
       {"x/l.cube", "y/l.cube"},
       none,
       {{"x/l.cube", "y/l.cube", "->", "l.cube"}}},
      {"two extensions",
       {"x.cube", "x.cfe", "z.cube"},
       none,
       {{"x.cube", "x.cfe", "->", "x.cube"}}},
      {"a file given twice", {"a.cube", "a.cube"}, none, {{"a.cube", "a.cube", "->", "a.cube"}}},
      {"outputs that are links of one file",
       {"a.cube", "b.cube"},
       [](const test::TempDir&, const test::TempDir& out) {
         WriteWholeFile(out.File("a.cube"), "old");
         ASSERT_EQ(::link(out.File("a.cube").c_str(), out.File("b.cube").c_str()), 0);
       },
       {{"a.cube", "b.cube", "->", "a.cube", "b.cube"}}},
      {"an output that is another source",
       {"q.cube", "a.cube"},
       [](const test::TempDir& in, const test::TempDir& out) {
         ASSERT_EQ(::link(in.File("q.cube").c_str(), out.File("a.cube").c_str()), 0);
       },
       {{"a.cube", "->", "a.cube", "!", "q.cube"}}},
      {"every file its own output", {"a.cube", "b.cube", "sub/c.cube"}, none, {}},
  };
  // With 100 more files of their own outputs the output folder is listed once instead of
  // each name being looked up: the same collisions either way.
  for (const bool large : {false, true}) {
    for (const TCollisionCase& item : cases) {
      SCOPED_TRACE(std::string(item.What) + (large ? ", in a large batch" : ""));
      test::TempDir in;
      test::TempDir out;
      std::vector<TBatchFile> files;
      for (const std::string& name : item.Sources) {
        std::filesystem::create_directories(std::filesystem::path(in.File(name)).parent_path());
        files.push_back({in.Write(name, kIdentityCube)});
      }
      for (int i = 0; i < (large ? 100 : 0); ++i) {
        files.push_back({in.Write("own" + std::to_string(i) + ".cube", kIdentityCube)});
      }
      item.Prepare(in, out);
      ExpectCollisions(files, in, out, item.Expected);
    }
  }
}

// The survey says which destinations an entry already has: files, and links to nothing.
TEST_F(ConvertBatchTest, TheSurveyNamesTheDestinationsThatExist) {
  for (const int count : {3, 100}) {
    SCOPED_TRACE(count);
    std::vector<TBatchFile> files;
    for (int i = 0; i < count; ++i) {
      files.push_back({In.Write("l" + std::to_string(i) + ".cube", kIdentityCube)});
    }
    test::TempDir out;
    WriteWholeFile(out.File("l1.cube"), "old");
    ASSERT_EQ(::symlink("nowhere", out.File("l2.cube").c_str()), 0);
    const TDestinationSurvey survey =
        SurveyDestinations(files, {&CubeProfile(), 3, -1, out.Path(), true});
    std::vector<int> existing;
    for (int i = 0; i < count; ++i) {
      if (survey.Existing[static_cast<std::size_t>(i)]) existing.push_back(i);
    }
    EXPECT_EQ(existing, (std::vector<int>{1, 2}));
    EXPECT_TRUE(survey.Collisions.empty());
  }
}

void ConvertBatchTest::ExpectCollisions(const std::vector<TBatchFile>& files,
                                        const test::TempDir& in, const test::TempDir& out,
                                        const std::vector<std::vector<std::string>>& expected) {
  const std::vector<std::string> before = test::EntriesOf(out.Path());
  TBatchSettings settings{&CubeProfile(), 3, -1, out.Path(), true};
  std::vector<std::vector<std::string>> found;
  for (const TOutputCollision& collision : FindOutputCollisions(files, settings)) {
    found.push_back(Describe(collision, in, out));
  }
  EXPECT_EQ(found, expected);
  if (expected.empty()) return;
  try {
    ConvertBatch(files, settings, Recording({TOverwriteAnswer::Yes, TOverwriteAnswer::Yes}));
    ADD_FAILURE() << "the batch ran";
  } catch (const EOutputCollision& error) {
    EXPECT_EQ(error.Collisions().size(), expected.size());
    EXPECT_NE(std::string(error.what()).find(in.File(expected[0][0])), std::string::npos)
        << error.what();
  }
  EXPECT_TRUE(Events.empty());
  EXPECT_EQ(test::EntriesOf(out.Path()), before);
}

TEST_F(ConvertBatchTest, WithoutRefusingTheWindowsBatchAsksAboutAnEarlierFilesOutput) {
  const std::vector<TBatchFile> files = {{In.Write("x.cube", kIdentityCube)},
                                         {In.Write("x.cfe", kIdentityCube)}};
  ConvertBatch(files, Settings(), Recording({TOverwriteAnswer::No}));
  EXPECT_EQ(Events,
            (std::vector<std::string>{"progress 0 50", "converted 0", "ask x.cube", "skipped 1"}));
}

TEST_F(ConvertBatchTest, ADestinationThatIsTheSourceUnderAnotherNameIsRefused) {
  for (const bool hard : {true, false}) {
    SCOPED_TRACE(hard ? "hard link" : "symbolic link");
    test::TempDir in;
    test::TempDir out;
    const std::string source = in.Write("a.cube", kIdentityCube);
    const std::string destination = out.File("a.cube");
    ASSERT_EQ(hard ? ::link(source.c_str(), destination.c_str())
                   : ::symlink(source.c_str(), destination.c_str()),
              0);
    try {
      ConvertBatch({{source}}, {&CubeProfile(), 3, -1, out.Path()},
                   Recording({TOverwriteAnswer::Yes}));
      ADD_FAILURE() << "the source was overwritten";
    } catch (const Exception& error) {
      EXPECT_EQ(error.File(), source);
      EXPECT_NE(std::string(error.what()).find("is this source file under another name"),
                std::string::npos)
          << error.what();
    }
    EXPECT_EQ(test::ReadFile(source), kIdentityCube);
  }
  // The source's own entry may be replaced: converting a file onto itself.
  const std::string itself = In.Write("self.cube", kIdentityCube);
  ConvertBatch({{itself}}, {&CubeProfile(), 3, -1, In.Path()}, Recording({TOverwriteAnswer::Yes}));
  TLUT lut;
  LoadLut(itself, lut);
  EXPECT_EQ(lut.Size3D, 3);
}

TEST_F(ConvertBatchTest, ABrokenLinkAtTheDestinationCountsAsExisting) {
  ASSERT_EQ(::symlink("nowhere.cube", Out.File("a.cube").c_str()), 0);
  const TBatchResult result = ConvertBatch({{In.Write("a.cube", kIdentityCube)}}, Settings(),
                                           Recording({TOverwriteAnswer::No}));
  EXPECT_EQ(Events, (std::vector<std::string>{"ask a.cube", "skipped 0"}));
  EXPECT_EQ(result.Skipped, 1);
  EXPECT_TRUE(EntryExists(Out.File("a.cube")));
  EXPECT_FALSE(FileExists(Out.File("a.cube")));
}

// Sources by name: "broken" ones end early, "warn" ones skip a value line, 3dl ones are
// 12-bit identities, the rest identity cubes with a comment.
std::string SourceText(const std::string& name) {
  if (name.find("broken") != std::string::npos) return "LUT_3D_SIZE 2\n0 0 0\n";
  if (name.find("warn") != std::string::npos) {
    return "LUT_3D_SIZE 2\n0 0 0\n1e400 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n";
  }
  if (name.ends_with(".3dl")) {
    std::string text = "0 1023\n";
    for (int node = 0; node < 8; ++node) {
      text += std::to_string(4095 * (node >> 2)) + " " + std::to_string(4095 * (node >> 1 & 1)) +
              " " + std::to_string(4095 * (node & 1)) + "\n";
    }
    return text;
  }
  return "# " + name + "\n" + kIdentityCube;
}

const std::string kSkippedLineWarning =
    "1 line inside the values looks like values but could not be read and was skipped (line 3); "
    "every value after it moved one node or entry earlier.";

std::map<std::string, std::string> Contents(const std::string& folder) {
  std::map<std::string, std::string> contents;
  for (const std::string& name : test::EntriesOf(folder)) {
    contents[name] = test::ReadFile(folder + "/" + name);
  }
  return contents;
}

// A batch run at every job count hears the callbacks of one job, in its order, and writes the
// same bytes.
struct TJobsCase {
  const char* What;
  std::vector<std::string> Sources;   // names in In; "x/..." in a subfolder
  std::vector<std::string> Existing;  // names in Out that hold "old" before the batch
  std::vector<TOverwriteAnswer> Answers;
  bool Strict;
  std::vector<std::string> Expected;  // the events with one job
  bool FailFast = true;
};

TEST_F(ConvertBatchTest, EveryJobCountHearsAndWritesWhatOneJobDoes) {
  using enum TOverwriteAnswer;
  const std::vector<TJobsCase> cases = {
      {"formats, warnings and every answer",
       {"a.cube", "b.3dl", "x/b.cube", "warn.cube", "d.cube", "e.cube", "f.3dl", "x/a.3dl",
        "g.cube"},
       {"d.cube", "e.cube"},
       {Yes, Yes, No, Yes},
       false,
       {"converted 0", "converted 1", "ask b.cube", "converted 2", "warning 3", "converted 3",
        "ask d.cube", "converted 4", "ask e.cube", "skipped 5", "converted 6", "ask a.cube",
        "converted 7", "converted 8"}},
      {"a failing file",
       {"a.cube", "b.3dl", "broken.cube", "d.cube", "e.3dl", "f.cube"},
       {},
       {},
       false,
       {"converted 0", "converted 1", "failed 2", "error broken.cube: " + kBrokenMessage}},
      {"a failing file after a skipped one",
       {"a.cube", "b.cube", "c.3dl", "broken.cube", "e.cube"},
       {"b.cube", "e.cube"},
       {No, Yes},
       false,
       {"converted 0", "ask b.cube", "skipped 1", "converted 2", "failed 3",
        "error broken.cube: " + kBrokenMessage}},
      {"a strict warning",
       {"a.cube", "b.3dl", "warn.cube", "d.cube"},
       {},
       {},
       true,
       {"converted 0", "converted 1", "failed 2", "error warn.cube:3: " + kSkippedLineWarning}},
      {"cancel answered",
       {"a.cube", "b.3dl", "c.cube", "d.cube"},
       {"c.cube"},
       {Cancel},
       false,
       {"converted 0", "converted 1", "ask c.cube", "cancelled"}},
      {"a failing file, going on",
       {"a.cube", "b.3dl", "broken.cube", "d.cube", "e.3dl", "f.cube"},
       {},
       {},
       false,
       {"converted 0", "converted 1", "failed 2", "converted 3", "converted 4", "converted 5",
        "1 failed"},
       false},
      {"strict warnings, a failing file and a declined destination, going on",
       {"a.cube", "warn.cube", "broken.cube", "d.cube", "e.cube", "f.3dl"},
       {"d.cube", "e.cube"},
       {No, Yes},
       true,
       {"converted 0", "failed 1", "failed 2", "ask d.cube", "skipped 3", "ask e.cube",
        "converted 4", "converted 5", "2 failed"},
       false},
  };
  for (const TJobsCase& item : cases) {
    test::TempDir in;
    std::vector<TBatchFile> files;
    for (const std::string& name : item.Sources) {
      std::filesystem::create_directories(std::filesystem::path(in.File(name)).parent_path());
      files.push_back({in.Write(name, SourceText(name))});
    }
    std::map<std::string, std::string> written;
    for (const int jobs : {1, 2, 4}) {
      SCOPED_TRACE(std::string(item.What) + ", jobs " + std::to_string(jobs));
      test::TempDir out;
      for (const std::string& name : item.Existing) WriteWholeFile(out.File(name), "old");
      Events.clear();
      TBatchCallbacks callbacks = Recording(item.Answers);
      callbacks.Progress = {};
      callbacks.Warning = [this](std::size_t position, const TLoadWarning&) {
        Events.push_back("warning " + std::to_string(position));
      };
      callbacks.Failed = [this](std::size_t position, const std::exception_ptr&) {
        Events.push_back("failed " + std::to_string(position));
      };
      std::mutex afterWriteMutex;
      std::vector<std::string> afterWrite;
      callbacks.AfterWrite = [&](std::size_t position, const std::string& destination) {
        EXPECT_TRUE(FileExists(destination));
        const std::lock_guard lock(afterWriteMutex);
        afterWrite.push_back("converted " + std::to_string(position));
      };
      TBatchSettings settings{&CubeProfile(), 3, -1, out.Path(), false, item.Strict};
      settings.Jobs = jobs;
      settings.FailFast = item.FailFast;
      try {
        const TBatchResult result = ConvertBatch(files, settings, callbacks);
        if (result.Cancelled) Events.push_back("cancelled");
        if (!item.FailFast) Events.push_back(std::to_string(result.Failed) + " failed");
      } catch (const Exception& error) {
        Events.push_back("error " + LineText(ReportError(error)).substr(in.Path().size() + 1));
      }
      EXPECT_EQ(Events, item.Expected);
      std::vector<std::string> converted;
      std::copy_if(Events.begin(), Events.end(), std::back_inserter(converted),
                   [](const std::string& event) { return event.starts_with("converted"); });
      std::sort(afterWrite.begin(), afterWrite.end());
      EXPECT_EQ(afterWrite, converted);
      if (jobs == 1) written = Contents(out.Path());
      EXPECT_EQ(Contents(out.Path()), written);
    }
  }
}

// Cancelling starts no further file; the files already started are written and reported.
TEST_F(ConvertBatchTest, ACancelStartsNoFurtherFile) {
  std::vector<TBatchFile> files;
  for (int i = 0; i < 12; ++i) {
    const std::string name = std::to_string(i) + ".cube";
    files.push_back({In.Write(name, kIdentityCube)});
  }
  auto convertedFirst = [&](std::size_t count, const test::TempDir& out) {
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < count; ++i) expected.push_back("converted " + std::to_string(i));
    EXPECT_EQ(Events, expected);
    EXPECT_EQ(test::EntriesOf(out.Path()).size(), count);
  };
  for (const int jobs : {1, 2, 4}) {
    SCOPED_TRACE("Progress, jobs " + std::to_string(jobs));
    test::TempDir out;
    Events.clear();
    TBatchCallbacks callbacks = Recording();
    callbacks.Progress = [](std::size_t position, double) { return position < 3; };
    TBatchSettings settings{&CubeProfile(), 3, -1, out.Path()};
    settings.Jobs = jobs;
    EXPECT_TRUE(ConvertBatch(files, settings, callbacks).Cancelled);
    convertedFirst(3, out);
  }
  // The first file is held on its worker until the calling thread waits for it and cancels.
  for (const int jobs : {2, 4}) {
    SCOPED_TRACE("Waiting, jobs " + std::to_string(jobs));
    test::TempDir out;
    Events.clear();
    std::vector<std::size_t> started;
    TBatchCallbacks callbacks = Recording();
    callbacks.Progress = [&](std::size_t position, double) {
      started.push_back(position);
      return true;
    };
    std::promise<void> waited;
    std::shared_future<void> cancelled = waited.get_future().share();
    bool asked = false;
    callbacks.Waiting = [&] {
      if (!asked) waited.set_value();
      asked = true;
      return false;
    };
    callbacks.AfterWrite = [&](std::size_t position, const std::string&) {
      if (position == 0) cancelled.wait_for(std::chrono::seconds(60));
    };
    TBatchSettings settings{&CubeProfile(), 3, -1, out.Path()};
    settings.Jobs = jobs;
    EXPECT_TRUE(ConvertBatch(files, settings, callbacks).Cancelled);
    EXPECT_TRUE(asked);
    ASSERT_GT(started.size(), 1u);
    EXPECT_LT(started.size(), files.size());
    convertedFirst(started.size(), out);
  }
}

// Files after one that fails to be written may be written meanwhile by other workers: each
// of them is reported before the error, none goes unreported.
TEST_F(ConvertBatchTest, NoWrittenFileGoesUnreportedAfterAWriteError) {
  const std::string pipe = In.File("pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  std::vector<TBatchFile> files;
  for (const char* name : {"a.cube", "p.cube", "c.cube", "d.cube", "e.cube", "f.cube"}) {
    files.push_back({In.Write(name, kIdentityCube)});
  }
  for (const int jobs : {1, 2, 4}) {
    SCOPED_TRACE("jobs " + std::to_string(jobs));
    test::TempDir out;
    ASSERT_EQ(::symlink(pipe.c_str(), out.File("p.cube").c_str()), 0);
    Events.clear();
    TBatchCallbacks callbacks = Recording();
    callbacks.AskOverwrite = [](const std::string&) { return TOverwriteAnswer::Yes; };
    callbacks.AskOverwriteEarly = true;
    callbacks.Progress = {};
    TBatchSettings settings{&CubeProfile(), 3, -1, out.Path()};
    settings.Jobs = jobs;
    EXPECT_THROW(ConvertBatch(files, settings, callbacks), EFileError);
    std::vector<std::string> reported = {"converted 0"};
    std::vector<std::string> written = {"a.cube", "p.cube"};
    for (std::size_t i = 2; i < files.size(); ++i) {
      if (!FileExists(out.File(ExtractFileName(files[i].Path)))) continue;
      reported.push_back("converted " + std::to_string(i));
      written.push_back(ExtractFileName(files[i].Path));
    }
    EXPECT_EQ(Events, reported);
    std::sort(written.begin(), written.end());
    EXPECT_EQ(test::EntriesOf(out.Path()), written);
    if (jobs == 1) {
      EXPECT_EQ(written.size(), 2u) << "one job stops at the failing file";
    }
  }
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
  // A picture that detection cannot decode is one more file no format claims.
  const std::string damaged = dir.Write("luts/sub/y.jpg", "not a JPEG\n");
  const std::string loose = dir.Write("loose.txt", "named on its own\n");

  for (const int jobs : {1, 2, 4}) {
    SCOPED_TRACE("jobs " + std::to_string(jobs));
    const TLutPaths paths =
        ExpandLutPaths({loose, dir.File("luts"), dir.File("missing.cube")}, jobs);
    // Files named on their own stay, claimed or not; the commands report on them.
    EXPECT_EQ(paths.Files, (std::vector<std::string>{loose, b, a, dir.File("missing.cube")}));
    EXPECT_EQ(paths.Unclaimed, (std::vector<std::string>{notes, damaged, picture}));
    EXPECT_EQ(paths.Subfolders, (std::vector<std::string>{"", "", "sub", ""}));
    // A folder's files keep the format that claimed them; files named alone are detected
    // when they are loaded.
    const int cube = DetectFormat(b);
    EXPECT_EQ(paths.Formats, (std::vector<int>{-1, cube, cube, -1}));
  }
  // A folder named with trailing separators gives the same subfolders.
  EXPECT_EQ(ExpandLutPaths({dir.File("luts//")}).Subfolders, (std::vector<std::string>{"", "sub"}));
}

}  // namespace
}  // namespace vorn
