// vorn-lut convert under faults: links and special files at the destination, colliding
// outputs, full disks and file-size limits, folders it may not write, and sources that are
// not LUT files at all.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "codecs/Pictures.h"
#include "tests/cli/CliRunner.h"
#include "tests/cli/LutTexts.h"
#include "tests/support/FaultSupport.h"
#include "tests/support/TestSupport.h"

namespace vorn::test {
namespace {

namespace fs = std::filesystem;

const std::string kDavinci = "Cube 3D Davinci";

TCliResult Convert(const std::string& outDir, const std::vector<std::string>& files,
                   const std::vector<std::string>& options = {}, const std::string& prefix = {}) {
  std::vector<std::string> args = {"convert", "--profile", kDavinci, "--output-dir", outDir};
  args.insert(args.end(), options.begin(), options.end());
  args.insert(args.end(), files.begin(), files.end());
  return prefix.empty() ? RunCli(args) : RunCliAfter(prefix, args);
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

mode_t TypeOf(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 ? (info.st_mode & S_IFMT) : 0;
}

TEST(CliFaults, ALinkAtTheDestinationIsWrittenThroughOnlyToARegularFile) {
  TempDir source;
  TempDir elsewhere;
  TempDir out;
  const std::string path = source.Write("a.cube", IdentityCube());
  const std::string pipe = elsewhere.File("pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  ASSERT_EQ(::symlink(pipe.c_str(), out.File("a.cube").c_str()), 0);
  TCliResult refused = Convert(out.Path(), {path}, {"--overwrite"});
  EXPECT_EQ(refused.Status, 1);
  EXPECT_TRUE(Contains(refused.Err, out.File("a.cube"))) << refused.Err;
  EXPECT_TRUE(Contains(refused.Err, "which is a named pipe, not a regular file")) << refused.Err;
  EXPECT_EQ(TypeOf(pipe), S_IFMT & S_IFIFO);
  EXPECT_EQ(refused.Out, "");

  const std::string regular = elsewhere.Write("regular.cube", "old\n");
  fs::remove(out.File("a.cube"));
  ASSERT_EQ(::symlink(regular.c_str(), out.File("a.cube").c_str()), 0);
  TCliResult through = Convert(out.Path(), {path}, {"--overwrite"});
  ASSERT_EQ(through.Status, 0) << through.Err;
  EXPECT_EQ(TypeOf(out.File("a.cube")), S_IFMT & S_IFLNK);
  EXPECT_TRUE(Contains(ReadFile(regular), "LUT_3D_SIZE 33"));
}

TEST(CliFaults, ABrokenLinkAtTheDestinationIsAnExistingEntry) {
  TempDir source;
  TempDir out;
  const std::string path = source.Write("a.cube", IdentityCube());
  const std::string link = out.File("a.cube");
  ASSERT_EQ(::symlink("nowhere.cube", link.c_str()), 0);
  TCliResult plain = Convert(out.Path(), {path});
  EXPECT_EQ(plain.Status, 1);
  EXPECT_TRUE(Contains(plain.Err, link + ": the file already exists")) << plain.Err;
  TCliResult skip = Convert(out.Path(), {path}, {"--skip-existing"});
  EXPECT_EQ(skip.Status, 0) << skip.Err;
  EXPECT_EQ(skip.Out, "skipped\t" + path + "\t" + link + "\n");
  TCliResult overwrite = Convert(out.Path(), {path}, {"--overwrite"});
  EXPECT_EQ(overwrite.Status, 1);
  EXPECT_TRUE(Contains(overwrite.Err, "which does not exist")) << overwrite.Err;
  EXPECT_EQ(TypeOf(link), S_IFMT & S_IFLNK);
  EXPECT_EQ(EntriesOf(out.Path()), std::vector<std::string>{"a.cube"});
}

TEST(CliFaults, ADestinationThatIsTheSourceUnderAnotherNameIsRefusedUpFront) {
  TempDir source;
  TempDir out;
  const std::string path = source.Write("a.cube", AffineCube());
  const std::string first = source.Write("first.cube", IdentityCube());
  ASSERT_EQ(::link(path.c_str(), out.File("a.cube").c_str()), 0);
  TCliResult result = Convert(out.Path(), {first, path}, {"--overwrite"});
  EXPECT_EQ(result.Status, 2);
  EXPECT_TRUE(
      Contains(result.Err, path + " -> " + out.File("a.cube") + ", which is the source " + path))
      << result.Err;
  EXPECT_EQ(ReadFile(path), AffineCube());
  EXPECT_EQ(EntriesOf(out.Path()), std::vector<std::string>{"a.cube"});
}

TEST(CliFaults, CollidingOutputsAreRefusedBeforeAnythingIsWritten) {
  TempDir source;
  fs::create_directory(source.File("x"));
  fs::create_directory(source.File("y"));
  const std::string first = source.Write("x/l.cube", IdentityCube());
  const std::string second = source.Write("y/l.cube", AffineCube());
  const std::string third = source.Write("y/l.cfe", AffineCube());
  for (const std::vector<std::string>& options :
       {std::vector<std::string>{}, {"--overwrite"}, {"--skip-existing"}}) {
    SCOPED_TRACE(options.empty() ? "no option" : options[0]);
    TempDir out;
    TCliResult result = Convert(out.Path(), {first, second, third}, options);
    EXPECT_EQ(result.Status, 2);
    EXPECT_TRUE(
        Contains(result.Err, first + ", " + second + ", " + third + " -> " + out.File("l.cube")))
        << result.Err;
    EXPECT_EQ(result.Out, "");
    EXPECT_TRUE(EntriesOf(out.Path()).empty());
  }
  TempDir out;
  TCliResult twice = Convert(out.Path(), {first, first});
  EXPECT_EQ(twice.Status, 2);
  EXPECT_TRUE(Contains(twice.Err, first + ", " + first + " -> ")) << twice.Err;
}

// The output folder on a full disk, or (where no small file system can be mounted) the
// program under a file-size limit: a file that would be rewritten in place keeps its old
// content, a new file leaves nothing behind.
TEST(CliFaults, AFullDiskOrAFileSizeLimitLosesNoFile) {
  TSmallDisk disk(512 * 1024);
  TempDir fallback;
  const std::string out = disk.Mounted() ? disk.Path() : fallback.Path();
  const std::string prefix = disk.Mounted() ? "" : "ulimit -f 200; exec";  // 100 KiB
  const std::string reason = disk.Mounted() ? "No space left on device" : "File too large";
  TempDir source;
  const std::string path = source.Write("a.cube", IdentityCube());
  const std::string other = source.Write("b.cube", IdentityCube());
  const std::string old = "# keep me\n" + IdentityCube();
  const std::string kept = out + "/a.cube";
  std::filesystem::copy_file(path, kept);
  { std::ofstream(kept, std::ios::trunc) << old; }
  ASSERT_EQ(::link(kept.c_str(), (out + "/second-name.cube").c_str()), 0);
  if (disk.Mounted()) disk.Fill();
  const std::vector<std::string> before = EntriesOf(out);

  TCliResult replaced = Convert(out, {path}, {"--overwrite"}, prefix);
  EXPECT_EQ(replaced.Status, 1);
  EXPECT_TRUE(Contains(replaced.Err, reason)) << replaced.Err;
  EXPECT_EQ(ReadFile(kept), old);
  EXPECT_EQ(ReadFile(out + "/second-name.cube"), old);

  TCliResult added = Convert(out, {other}, {}, prefix);
  EXPECT_EQ(added.Status, 1);
  EXPECT_TRUE(Contains(added.Err, out + "/b.cube")) << added.Err;
  EXPECT_EQ(EntriesOf(out), before);
}

TEST(CliFaults, AFolderThatTakesNoNewFiles) {
  TempDir dir;
  ::chmod(dir.Path().c_str(), 0755);
  const std::string path = dir.Write("a.cube", AffineCube());
  ::chmod(path.c_str(), 0644);
  const std::string locked = dir.File("locked");
  fs::create_directory(locked);
  ::chmod(locked.c_str(), 0555);
  TCliResult refused = Convert(locked, {path}, {}, AsNobody());
  EXPECT_EQ(refused.Status, 1);
  EXPECT_TRUE(Contains(refused.Err, locked + "/a.cube")) << refused.Err;
  EXPECT_TRUE(Contains(refused.Err, "Permission denied")) << refused.Err;
  EXPECT_TRUE(EntriesOf(locked).empty());

  // A file the user may write in such a folder is rewritten in place.
  ::chmod(locked.c_str(), 0755);
  const std::string existing = locked + "/a.cube";
  { std::ofstream(existing) << "old\n"; }
  ::chmod(existing.c_str(), 0666);
  ::chmod(locked.c_str(), 0555);
  TCliResult inPlace = Convert(locked, {path}, {"--overwrite"}, AsNobody());
  EXPECT_EQ(inPlace.Status, 0) << inPlace.Err;
  EXPECT_TRUE(Contains(ReadFile(existing), "LUT_3D_SIZE 33"));
  ::chmod(locked.c_str(), 0755);
}

TEST(CliFaults, TheOutputFolderMustBeAFolder) {
  TempDir source;
  const std::string path = source.Write("a.cube", IdentityCube());
  const std::string file = source.Write("plain-file", "x");
  TCliResult notFolder = Convert(file, {path});
  EXPECT_EQ(notFolder.Status, 2);
  EXPECT_TRUE(Contains(notFolder.Err, file + ": the output folder is not a folder"))
      << notFolder.Err;
  TCliResult missing = Convert(source.File("missing"), {path});
  EXPECT_EQ(missing.Status, 2);
  EXPECT_TRUE(Contains(missing.Err, source.File("missing") + ": the output folder does not exist"))
      << missing.Err;
}

TEST(CliFaults, SourcesThatAreNoLutFilesAreNamed) {
  TempDir source;
  TempDir out;
  const std::string pipe = source.File("pipe.cube");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  fs::create_directory(source.File("folder.cube"));
  const std::vector<std::pair<std::string, std::string>> cases = {
      {pipe, "It is not a regular file"},
      {source.File("missing.cube"), "No such file or directory"},
      {source.Write("garbage.cube", std::string(100000, '\x93')),
       "is not a LUT file of any known format"},
  };
  for (const auto& [path, reason] : cases) {
    TCliResult result = Convert(out.Path(), {path});
    EXPECT_EQ(result.Status, 1) << path;
    EXPECT_EQ(result.Err.rfind("vorn-lut: " + path + ": ", 0), 0u) << result.Err;
    EXPECT_TRUE(Contains(result.Err, reason)) << result.Err;
  }
  // A folder stands for the files in it: an empty one converts nothing.
  TCliResult folder = Convert(out.Path(), {source.File("folder.cube")});
  EXPECT_EQ(folder.Status, 0) << folder.Err;
  EXPECT_EQ(folder.Out, "");
  EXPECT_TRUE(EntriesOf(out.Path()).empty());
}

TEST(CliFaults, AFileTooLargeToBeALutIsRefusedBeforeItIsRead) {
  TempDir source;
  const std::string huge = source.File("huge.cube");
  { std::ofstream(huge) << "LUT_3D_SIZE 2\n"; }
  fs::resize_file(huge, std::uintmax_t{3} << 30);  // sparse: costs no disk
  TCliResult result = RunCli({"info", huge});
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(result.Err, "vorn-lut: " + huge +
                            ": The file is too large to be a LUT: it has 3221225472 bytes, and no "
                            "LUT file of any format needs more than 134217728 bytes (128 MiB).\n");
  if (!UnderValgrind()) {
    EXPECT_LT(result.PeakResidentKb, 64 * 1024);
  }
}

// Peak memory stays below twice the file's size plus 64 MB whatever the file holds: here
// millions of empty lines, each of which once cost more than its byte.
TEST(CliFaults, EmptyLinesCostNoMoreMemoryThanTheirBytes) {
  if (UnderValgrind()) GTEST_SKIP() << "memory is measured without Valgrind";
  TempDir source;
  const std::size_t bytes = 24 << 20;
  const std::string path = source.Write("blank.cube", "LUT_3D_SIZE 2\n" + std::string(bytes, '\n'));
  TCliResult result = RunCli({"info", path});
  EXPECT_EQ(result.Status, 1);
  EXPECT_EQ(result.Err, "vorn-lut: " + path +
                            ": Incomplete file. 0 of the 8 values the file declares were read.\n");
  EXPECT_LT(result.PeakResidentKb, static_cast<long>(2 * bytes / 1024 + 64 * 1024));
}

TEST(CliFaults, AnAllocationThatFailsReadsOutOfMemory) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
  if (UnderValgrind()) GTEST_SKIP() << "Valgrind needs more address space than the limit leaves";
  TempDir source;
  TempDir out;
  const std::string path = source.Write("a.cube", IdentityCube());
  // Room to start, none for the 23 MB of a grid of 99 nodes per axis.
  TCliResult result =
      RunCliAfter("ulimit -v 24000; exec", {"convert", "--profile", "Cube 3D Davinci", "--size",
                                            "99", "--output-dir", out.Path(), path});
  EXPECT_EQ(result.Status, 1);
  EXPECT_TRUE(Contains(result.Err, "Out of memory.\n")) << result.Err;
  EXPECT_FALSE(Contains(result.Err, "bad_alloc")) << result.Err;
}

// A cube whose third line looks like values but cannot be read, and its warning.
std::string WriteShiftedCube(const TempDir& dir, const std::string& unreadable) {
  return dir.Write("shifted.cube", "LUT_3D_SIZE 2\n0 0 0\n" + unreadable +
                                       "\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n");
}
const std::string kShiftedCubeWarning =
    "1 line inside the values looks like values but could not be read and was skipped "
    "(line 3); every value after it moved one node or entry earlier.\n";

TEST(CliFaults, SkippedValueLinesAreAWarningOrWithStrictAnError) {
  TempDir source;
  const std::string path = WriteShiftedCube(source, "1e400 0 0");
  const std::string& message = kShiftedCubeWarning;
  TCliResult info = RunCli({"info", path});
  EXPECT_EQ(info.Status, 0);
  EXPECT_EQ(info.Err, "vorn-lut: warning: " + path + ": " + message);
  EXPECT_TRUE(Contains(info.Out, "Dimension: 2"));
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--strict", "info", path}, {"info", "--strict", path}}) {
    TCliResult strict = RunCli(args);
    EXPECT_EQ(strict.Status, 1);
    EXPECT_EQ(strict.Err, "vorn-lut: " + path + ":3: " + message);
  }

  TempDir out;
  TCliResult converted = Convert(out.Path(), {path});
  EXPECT_EQ(converted.Status, 0);
  EXPECT_EQ(converted.Err, "vorn-lut: warning: " + path + ": " + message);
  EXPECT_EQ(converted.Out, "converted\t" + path + "\t" + out.File("shifted.cube") + "\n");
  TempDir strictOut;
  TCliResult refused = RunCli(
      {"--strict", "convert", "--profile", kDavinci, "--output-dir", strictOut.Path(), path});
  EXPECT_EQ(refused.Status, 1);
  EXPECT_EQ(refused.Err, "vorn-lut: " + path + ":3: " + message);
  EXPECT_TRUE(EntriesOf(strictOut.Path()).empty());
}

TEST(CliFaults, EveryCommandThatLoadsALutWarnsOrWithStrictStopsBeforeWriting) {
  TempDir source;
  TempDir out;
  const std::string path = WriteShiftedCube(source, "nan 0 0");
  const std::string& message = kShiftedCubeWarning;
  const std::string picture = source.File("p.bmp");
  SaveBmp(picture, TBitmap24(4, 4));
  struct TCase {
    std::vector<std::string> Args;
    std::string Output;  // "" when the command writes nothing
  };
  const std::vector<TCase> cases = {
      {{"compare", path, path}, ""},
      {{"merge", "--profile", kDavinci, "--output", out.File("m.cube"), path}, out.File("m.cube")},
      {{"lut2icc", "--class", "link", path, out.File("l.icc")}, out.File("l.icc")},
      {{"apply", path, picture, out.File("a.png")}, out.File("a.png")},
  };
  for (const TCase& item : cases) {
    SCOPED_TRACE(item.Args[0]);
    TCliResult warned = RunCli(item.Args);
    EXPECT_EQ(warned.Status, 0) << warned.Err;
    EXPECT_EQ(warned.Err.rfind("vorn-lut: warning: " + path + ": " + message, 0), 0u) << warned.Err;
    if (!item.Output.empty()) {
      EXPECT_TRUE(fs::exists(item.Output));
      fs::remove(item.Output);
    }
    std::vector<std::string> strictArgs = {"--strict"};
    strictArgs.insert(strictArgs.end(), item.Args.begin(), item.Args.end());
    TCliResult strict = RunCli(strictArgs);
    // Each command names the file as it names any file that fails to load.
    EXPECT_EQ(strict.Status, 1);
    EXPECT_TRUE(Contains(strict.Err, path)) << strict.Err;
    EXPECT_TRUE(strict.Err.ends_with(": " + message)) << strict.Err;
    EXPECT_FALSE(!item.Output.empty() && fs::exists(item.Output));
  }
}

TEST(CliFaults, TabsAndLineBreaksInNamesAreEscapedInTheOutput) {
  TempDir source;
  TempDir out;
  const std::string path = source.Write("a\tb\nc\\d.cube", IdentityCube());
  TCliResult result = Convert(out.Path(), {path});
  ASSERT_EQ(result.Status, 0) << result.Err;
  const std::string folder = source.Path();
  EXPECT_EQ(result.Out, "converted\t" + folder + "/a\\tb\\nc\\\\d.cube\t" + out.Path() +
                            "/a\\tb\\nc\\\\d.cube\n");
  EXPECT_TRUE(fs::exists(out.File("a\tb\nc\\d.cube")));
}

}  // namespace
}  // namespace vorn::test
