// A folder of mixed files through "convert": every LUT converts, prose is unclaimed, a
// truncated LUT fails with its reason and the batch goes on (or stops with --fail-fast);
// --keep-tree writes the folder tree, --dry-run writes nothing and says what it would.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>

#include "tests/cli/CliRunner.h"
#include "tests/support/MixedLutFolder.h"

namespace vorn::test {
namespace {

namespace fs = std::filesystem;
const char* const kDavinci = "Cube 3D Davinci";

// Every entry below root by its relative path, with a file's bytes ("/" for a folder).
std::map<std::string, std::string> Snapshot(const std::string& root) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string relative = fs::relative(entry.path(), root).string();
    entries[relative] = entry.is_directory() ? "/" : ReadFile(entry.path().string());
  }
  return entries;
}

std::string CubeName(const std::string& name) {
  return fs::path(name).replace_extension(".cube").filename().string();
}

class CliBatchFolder : public ::testing::Test {
 protected:
  CliBatchFolder() : Folder(WriteMixedFolder(In, "luts")) {}

  TCliResult Run(std::vector<std::string> options) {
    std::vector<std::string> args = {"convert", "--profile", kDavinci, "--output-dir", Out.Path()};
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(Folder);
    return RunCli(args);
  }
  std::string Source(const TFolderEntry& entry) const { return Folder + "/" + entry.Name; }
  std::string Destination(const TFolderEntry& entry, bool keepTree) const {
    const std::string subfolder = keepTree ? SubfolderOfEntry(entry) : "";
    return Out.Path() + (subfolder.empty() ? "" : "/" + subfolder) + "/" + CubeName(entry.Name);
  }
  std::string FailureLine(const TFolderEntry& entry) const {
    return "vorn-lut: " + Source(entry) + ": " + entry.Reason + "\n";
  }

  TempDir In;
  TempDir Out;
  std::string Folder;
};

TEST_F(CliBatchFolder, EveryLutConvertsProseIsUnclaimedAndTheTruncatedFileFails) {
  struct TCase {
    const char* What;
    std::vector<std::string> Options;
    bool FailFast;
    bool KeepTree;
  };
  const std::vector<TCase> cases = {
      {"going on", {}, false, false},
      {"going on, 2 jobs", {"--jobs", "2"}, false, false},
      {"fail-fast", {"--fail-fast"}, true, false},
      {"fail-fast, 2 jobs", {"--fail-fast", "--jobs", "2"}, true, false},
      {"keeping the tree", {"--keep-tree"}, false, true},
  };
  for (const TCase& item : cases) {
    SCOPED_TRACE(item.What);
    fs::remove_all(Out.Path());
    fs::create_directory(Out.Path());
    const TCliResult result = Run(item.Options);

    std::string out, unclaimed, failure, failedList;
    std::map<std::string, std::string> written;  // relative path: "" for a folder's part
    int converted = 0, unclaimedCount = 0, failed = 0;
    for (const TFolderEntry& entry : MixedFolderEntries()) {
      if (!failure.empty() && item.FailFast) break;
      if (entry.Role == TBatchRole::Fails) {
        failure += FailureLine(entry);
        failedList += "  " + Source(entry) + "\n";
        ++failed;
      }
      if (entry.Role == TBatchRole::Unclaimed) {
        unclaimed += "unclaimed\t" + Source(entry) + "\n";
        ++unclaimedCount;
      }
      if (entry.Role != TBatchRole::Converts) continue;
      out += "converted\t" + Source(entry) + "\t" + Destination(entry, item.KeepTree) + "\n";
      ++converted;
      written[fs::relative(Destination(entry, item.KeepTree), Out.Path()).string()];
    }
    EXPECT_EQ(result.Status, 1);
    if (item.FailFast) {
      EXPECT_EQ(result.Out, out);
      EXPECT_EQ(result.Err, failure);
    } else {
      EXPECT_EQ(result.Out, out + unclaimed);
      EXPECT_EQ(result.Err, failure + "vorn-lut: skipped " + std::to_string(unclaimedCount) +
                                " files in the folders that no format claims\n" + "Converted " +
                                std::to_string(converted) + " files, " + std::to_string(failed) +
                                " failed, 0 skipped, " + std::to_string(unclaimedCount) +
                                " unclaimed.\nFailed:\n" + failedList);
    }
    std::map<std::string, std::string> files;
    for (const auto& [path, content] : Snapshot(Out.Path())) {
      if (content != "/") files[path];
    }
    EXPECT_EQ(files, written);
  }
}

TEST_F(CliBatchFolder, DryRunWritesNothingAndSaysWhatItWould) {
  struct TCase {
    const char* What;
    std::vector<std::string> Options;
    int Status;
    const char* ActionForExisting;  // what a.cube, whose output exists, gets
    bool KeepTree;
  };
  const std::vector<TCase> cases = {
      {"refusing", {}, 1, nullptr, false},
      {"overwriting", {"--overwrite"}, 0, "would replace", false},
      {"skipping", {"--skip-existing"}, 0, "would skip", false},
      {"keeping the tree", {"--overwrite", "--keep-tree"}, 0, "would replace", true},
  };
  Out.Write("a.cube", "old\n");
  const TFolderEntry existing = MixedFolderEntries().front();
  for (const TCase& item : cases) {
    for (bool json : {false, true}) {
      SCOPED_TRACE(std::string(item.What) + (json ? ", JSON" : ""));
      const auto outBefore = Snapshot(Out.Path());
      const auto inBefore = Snapshot(In.Path());
      std::vector<std::string> options = item.Options;
      options.push_back("--dry-run");
      if (json) options.push_back("--json");
      const TCliResult result = Run(options);
      EXPECT_EQ(result.Status, item.Status) << result.Err;
      EXPECT_EQ(Snapshot(Out.Path()), outBefore);
      EXPECT_EQ(Snapshot(In.Path()), inBefore);

      std::vector<std::vector<std::string>> expected;  // source, destination, action
      for (const TFolderEntry& entry : MixedFolderEntries()) {
        if (entry.Role == TBatchRole::Unclaimed) continue;
        const bool exists = entry.Name == existing.Name;
        const char* action = exists ? item.ActionForExisting : "would convert";
        expected.push_back({Source(entry), Destination(entry, item.KeepTree),
                            action != nullptr ? action : "failed"});
      }
      std::vector<std::vector<std::string>> listed;
      if (json) {
        const nlohmann::json document = nlohmann::json::parse(result.Out);
        for (const auto& file : document["files"]) {
          listed.push_back({file["source"], file["destination"], file["action"]});
        }
        EXPECT_EQ(document["summary"]["failed"], item.Status);
        EXPECT_EQ(document["summary"]["unclaimed"], 7);
        EXPECT_EQ(document["unclaimed"].size(), 7u);
      } else {
        for (const std::string& line : Lines(result.Out)) {
          const std::vector<std::string> fields = Fields(line);
          if (fields.front() != "unclaimed") listed.push_back({fields[1], fields[2], fields[0]});
        }
        if (item.ActionForExisting == nullptr) {
          expected.erase(expected.begin());  // printed as an error instead
        }
      }
      EXPECT_EQ(listed, expected);
      EXPECT_EQ(
          result.Err.find(Out.File("a.cube") + ": the file already exists") != std::string::npos,
          item.ActionForExisting == nullptr)
          << result.Err;
    }
  }
}

TEST_F(CliBatchFolder, TheKeptTreeIsMadeSafelyAndCheckedForCollisions) {
  TempDir outside;
  struct TCase {
    const char* What;
    std::function<void()> Prepare;
    std::vector<std::string> Files;  // besides the folder
    bool KeepTree;
    int Status;
    const char* Message;  // on standard error
  };
  const std::string twin = In.Write("c.vlt", IdentityVlt());  // c.cube like looks/c.vlt
  const std::vector<TCase> cases = {
      {"a file in the way",
       [&] { Out.Write("looks", "a file\n"); },
       {},
       true,
       1,
       "an entry that is not a folder is in the way"},
      {"a link that leads out",
       [&] { fs::create_directory_symlink(outside.Path(), Out.File("looks")); },
       {},
       true,
       1,
       "a symbolic link that leads out of"},
      {"a link that stays inside",
       [&] {
         fs::create_directory(Out.File("kept"));
         fs::create_directory_symlink(Out.File("kept"), Out.File("looks"));
       },
       {},
       true,
       1,
       nullptr},
      {"two outputs of one name, flattened", [] {}, {twin}, false, 2, "would overwrite each other"},
      {"two outputs of one name, kept apart", [] {}, {twin}, true, 1, nullptr},
  };
  for (const TCase& item : cases) {
    SCOPED_TRACE(item.What);
    fs::remove_all(Out.Path());
    fs::create_directory(Out.Path());
    item.Prepare();
    std::vector<std::string> options = item.Files;
    if (item.KeepTree) options.insert(options.begin(), "--keep-tree");
    const TCliResult result = Run(options);
    EXPECT_EQ(result.Status, item.Status) << result.Err;
    const std::string looks = Out.File("looks");
    if (item.Message != nullptr) {
      EXPECT_NE(result.Err.find(item.Message), std::string::npos) << result.Err;
    } else {
      // Only the truncated file failed: the looks went below the output folder.
      EXPECT_NE(result.Err.find("2 failed"), std::string::npos) << result.Err;
      EXPECT_TRUE(fs::exists(looks + "/night/d.cube"));
    }
    if (item.Status == 1 && item.Message != nullptr) {
      EXPECT_NE(result.Err.find("\"" + looks + "\""), std::string::npos) << "names the entry";
      EXPECT_TRUE(fs::is_empty(outside.Path())) << "nothing went through the link";
      EXPECT_TRUE(fs::exists(Out.File("a.cube"))) << "the files at the top were written";
    }
  }
}

TEST_F(CliBatchFolder, InfoPrintsEveryFileAndEachFailureInItsPlace) {
  for (const bool failFast : {false, true}) {
    SCOPED_TRACE(failFast ? "fail-fast" : "going on");
    std::vector<std::string> args = {"info", Folder};
    if (failFast) args.insert(args.begin() + 1, "--fail-fast");
    const TCliResult result = RunCli(args);
    std::vector<std::string> described, expected;
    std::string errors;
    for (const TFolderEntry& entry : MixedFolderEntries()) {
      if (entry.Role == TBatchRole::Fails) errors += FailureLine(entry);
      if (entry.Role == TBatchRole::Fails && failFast) break;
      if (entry.Role == TBatchRole::Converts) expected.push_back(Source(entry));
    }
    for (const std::string& line : Lines(result.Out)) {
      if (line.starts_with("File: ")) described.push_back(line.substr(6));
    }
    EXPECT_EQ(result.Status, 1);
    EXPECT_EQ(described, expected);
    EXPECT_EQ(result.Err, errors);
    EXPECT_EQ(result.Out.find("Skipped 7 files") != std::string::npos, !failFast) << result.Out;
  }
}

}  // namespace
}  // namespace vorn::test
