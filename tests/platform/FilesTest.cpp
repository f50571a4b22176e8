#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/Exception.h"
#include "platform/Files.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

TEST(Files, OpenErrorNamesTheFileAndTheSystemReason) {
  try {
    ReadWholeFile("/nonexistent-folder/y.cube");
    FAIL() << "no error";
  } catch (const EFileError& e) {
    EXPECT_STREQ(e.what(),
                 "Cannot open file \"/nonexistent-folder/y.cube\". No such file or directory");
  }
}

TEST(Files, ReadsWholeFilesAndHeads) {
  test::TempDir dir;
  std::string content(10000, 'a');
  content[5000] = '\0';
  std::string path = dir.Write("a.txt", content);
  EXPECT_EQ(ReadWholeFile(path), content);
  EXPECT_EQ(ReadFileBytes(path, 4096), content.substr(0, 4096));
  EXPECT_EQ(ReadFileBytes(dir.Write("short", "abc"), 4096), "abc");
  EXPECT_EQ(ReadWholeFile(dir.Write("empty", "")), "");
}

TEST(Files, ReadingAFolderIsAnOpenError) {
  test::TempDir dir;
  EXPECT_THROW(ReadWholeFile(dir.Path()), EFileError);
}

TEST(Files, WriteReplacesTheFileAndKeepsItsPermissions) {
  test::TempDir dir;
  std::string path = dir.Write("out.cube", "old content that is longer");
  ::chmod(path.c_str(), 0640);
  WriteWholeFile(path, "new");
  EXPECT_EQ(test::ReadFile(path), "new");
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
  // No temporary file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(Files, FailedWriteNamesTheFileAndLeavesNothingBehind) {
  test::TempDir dir;
  std::string path = dir.File("missing-folder/out.cube");
  try {
    WriteWholeFile(path, "data");
    FAIL() << "no error";
  } catch (const EFileError& e) {
    std::string message = e.what();
    EXPECT_NE(message.find(path), std::string::npos) << message;
    EXPECT_NE(message.find("code 2"), std::string::npos) << message;
    EXPECT_NE(message.find("No such file or directory"), std::string::npos) << message;
  }
  // A target that is a folder cannot be replaced; the folder stays.
  std::filesystem::create_directory(dir.File("folder.cube"));
  EXPECT_THROW(WriteWholeFile(dir.File("folder.cube"), "x"), EFileError);
  EXPECT_TRUE(DirectoryExists(dir.File("folder.cube")));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(Files, ReplacingThroughALinkKeepsTheLink) {
  test::TempDir dir;
  std::string real = dir.Write("real.cube", "old");
  std::string link = dir.File("link.cube");
  ASSERT_EQ(::symlink(real.c_str(), link.c_str()), 0);
  WriteWholeFile(link, "new");
  struct stat info {};
  ASSERT_EQ(::lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  EXPECT_EQ(test::ReadFile(real), "new");
}

TEST(Files, ReplacingAHardLinkedFileKeepsBothNames) {
  test::TempDir dir;
  std::string first = dir.Write("a.cube", "old");
  std::string second = dir.File("b.cube");
  ASSERT_EQ(::link(first.c_str(), second.c_str()), 0);
  WriteWholeFile(first, "new");
  EXPECT_EQ(test::ReadFile(second), "new");
}

TEST(Files, LongFileNamesCanBeWritten) {
  test::TempDir dir;
  std::string path = dir.File(std::string(250, 'n') + ".cube");
  WriteWholeFile(path, "data");
  EXPECT_EQ(test::ReadFile(path), "data");
}

TEST(Files, PipesAndDevicesAreRefusedWithoutWaiting) {
  test::TempDir dir;
  std::string pipe = dir.File("pipe.cube");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  try {
    ReadFileBytes(pipe, 4096);
    FAIL() << "a pipe was read";
  } catch (const EFileError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot open file \"" + pipe + "\". It is not a regular file");
  }
  EXPECT_THROW(ReadWholeFile("/dev/zero"), EFileError);
}

TEST(TemporaryFolder, IsPrivateAndGoesAwayWithItsContent) {
  std::string path;
  {
    TTemporaryFolder folder("vorn-files-test");
    path = folder.Path();
    EXPECT_NE(ExtractFileName(path).find("vorn-files-test-"), std::string::npos);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    std::filesystem::create_directory(folder.File("sub"));
    WriteWholeFile(folder.File("sub/a.cube"), "x");
  }
  EXPECT_FALSE(DirectoryExists(path));
}

TEST(Files, PathParts) {
  EXPECT_EQ(ExtractFileName("/a/b/c.cube"), "c.cube");
  EXPECT_EQ(ExtractFileName("c.cube"), "c.cube");
  EXPECT_EQ(ExtractFileDir("/a/b/c.cube"), "/a/b");
  EXPECT_EQ(ExtractFileDir("/c.cube"), "/");
  EXPECT_EQ(ExtractFileDir("c.cube"), "");
  EXPECT_EQ(ExtractFileExt("/a.b/c"), "");
  EXPECT_EQ(ExtractFileExt("/a/c.tar.gz"), ".gz");
  EXPECT_EQ(ChangeFileExt("/a/look.txt", ".swto.xml"), "/a/look.swto.xml");
  EXPECT_EQ(ChangeFileExt("/a.d/look", ".cube"), "/a.d/look.cube");
  EXPECT_EQ(ChangeFileExt("a.b.cube", ".cfe"), "a.b.cfe");
}

TEST(Files, ExistenceTests) {
  test::TempDir dir;
  std::string path = dir.Write("x", "1");
  EXPECT_TRUE(FileExists(path));
  EXPECT_FALSE(FileExists(dir.Path()));
  EXPECT_TRUE(DirectoryExists(dir.Path()));
  EXPECT_FALSE(FileExists(dir.File("y")));
}

TEST(Files, FolderTreesListTheirFilesInNameOrderAndNeverLoop) {
  namespace fs = std::filesystem;
  test::TempDir dir;
  for (const char* folder : {"tree/b-folder/deeper", "tree/A-folder", "tree/empty"}) {
    fs::create_directories(dir.File(folder));
  }
  for (const char* file : {"tree/b.cube", "tree/B.cube", "tree/a.cube", "tree/b-folder/z.cube",
                           "tree/b-folder/deeper/x.txt", "tree/A-folder/c.cube", "tree/c"}) {
    dir.Write(file, "1");
  }
  // A link back to the top and a link to a file inside it.
  fs::create_directory_symlink(dir.File("tree"), dir.File("tree/b-folder/loop"));
  fs::create_symlink(dir.File("tree/c"), dir.File("tree/d-link"));

  // Names compare ignoring case ("-" sorts before "."), then by their bytes.
  const std::string top = dir.File("tree");
  EXPECT_EQ(
      FilesInFolderTree(top),
      (std::vector<std::string>{top + "/A-folder/c.cube", top + "/a.cube",
                                top + "/b-folder/deeper/x.txt", top + "/b-folder/z.cube",
                                top + "/B.cube", top + "/b.cube", top + "/c", top + "/d-link"}));
  EXPECT_EQ(FilesInFolderTree(top + "/empty"), std::vector<std::string>{});
  EXPECT_THROW(FilesInFolderTree(dir.File("missing")), EFileError);
}

// A chain of folders whose path is longer than PATH_MAX, made and removed through folder
// handles (paths that long cannot be used whole).
class TDeepFolder {
 public:
  explicit TDeepFolder(const std::string& top) : Name_(200, 'd') {
    int fd = ::open(top.c_str(), O_RDONLY | O_DIRECTORY);
    std::size_t length = top.size();
    while (length <= PATH_MAX) {
      EXPECT_EQ(::mkdirat(fd, Name_.c_str(), 0700), 0);
      Folders_.push_back(fd);
      fd = ::openat(fd, Name_.c_str(), O_RDONLY | O_DIRECTORY);
      length += Name_.size() + 1;
    }
    ::close(::openat(fd, "deep.cube", O_WRONLY | O_CREAT, 0600));
    Folders_.push_back(fd);
  }
  ~TDeepFolder() {
    ::unlinkat(Folders_.back(), "deep.cube", 0);
    ::close(Folders_.back());
    Folders_.pop_back();
    for (; !Folders_.empty(); Folders_.pop_back()) {
      ::unlinkat(Folders_.back(), Name_.c_str(), AT_REMOVEDIR);
      ::close(Folders_.back());
    }
  }
  const std::string& Name() const { return Name_; }

 private:
  std::string Name_;
  std::vector<int> Folders_;
};

TEST(Files, AFolderTreeNamesWhatItCannotLookAt) {
  test::TempDir dir;
  const std::string top = dir.File("tree");
  ASSERT_EQ(::mkdir(top.c_str(), 0700), 0);
  const TDeepFolder deep(top);
  std::string message = "no error";
  try {
    FilesInFolderTree(top);
  } catch (const EFileError& error) {
    message = error.what();
  }
  EXPECT_EQ(message.rfind("Cannot read \"" + top + "/" + deep.Name() + "/", 0), 0u) << message;
  EXPECT_NE(message.find("\". File name too long"), std::string::npos) << message;
}

// Folders of a kept tree are made below the output folder, never through a link that leads
// out of it, and never over an entry that is not a folder.
TEST(MakeFoldersBelow, MakesMissingFoldersAndRefusesWhatLeadsOutOrIsInTheWay) {
  struct TCase {
    const char* What;
    std::function<void(const test::TempDir& out, const std::string& outside)> Prepare;
    const char* Relative;
    const char* Error;  // part of the message, or null when the folders are made
  };
  const std::vector<TCase> cases = {
      {"two new levels", {}, "a/b", nullptr},
      {"an existing level",
       [](auto& out, auto&) { std::filesystem::create_directory(out.File("a")); }, "a/b", nullptr},
      {"a link inside",
       [](auto& out, auto&) {
         std::filesystem::create_directory(out.File("kept"));
         std::filesystem::create_directory_symlink(out.File("kept"), out.File("a"));
       },
       "a/b", nullptr},
      {"a link that leads out",
       [](auto& out, auto& outside) {
         std::filesystem::create_directory_symlink(outside, out.File("a"));
       },
       "a/b", "a symbolic link that leads out of"},
      {"a file in the way", [](auto& out, auto&) { out.Write("a", "x"); }, "a/b",
       "an entry that is not a folder is in the way"},
      {"a parent step", {}, "a/../../b", "leads out of"},
  };
  for (const TCase& item : cases) {
    SCOPED_TRACE(item.What);
    test::TempDir out;
    test::TempDir outside;
    if (item.Prepare) item.Prepare(out, outside.Path());
    if (item.Error == nullptr) {
      MakeFoldersBelow(out.Path(), item.Relative);
      EXPECT_TRUE(DirectoryExists(out.File(item.Relative)));
      continue;
    }
    try {
      MakeFoldersBelow(out.Path(), item.Relative);
      ADD_FAILURE() << "made " << item.Relative;
    } catch (const EFileError& error) {
      EXPECT_NE(std::string(error.what()).find(item.Error), std::string::npos) << error.what();
    }
    EXPECT_TRUE(std::filesystem::is_empty(outside.Path()));
  }
}

}  // namespace
}  // namespace vorn
