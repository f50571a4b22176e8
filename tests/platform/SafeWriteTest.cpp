// Replacing files under faults: links and special files at the destination, full disks and
// file-size limits, and a process that dies while it writes.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "platform/Exception.h"
#include "platform/Files.h"
#include "tests/support/FaultSupport.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

using test::EntriesOf;
using test::ReadFile;

mode_t EntryType(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
  return info.st_mode & S_IFMT;
}

std::string Message(const std::function<void()>& action) {
  try {
    action();
  } catch (const EFileError& error) {
    return error.what();
  }
  return "no error";
}

struct TRefusedTarget {
  const char* What;
  // Makes out.cube (and what it links to) in the folder; returns the expected reason.
  std::function<std::string(const test::TempDir&)> Make;
};

TEST(SafeWrite, LinksToAnythingButARegularFileAndSpecialFilesAreRefused) {
  const std::vector<TRefusedTarget> cases = {
      {"link to a named pipe",
       [](const test::TempDir& dir) {
         ::mkfifo(dir.File("pipe").c_str(), 0600);
         EXPECT_EQ(::symlink(dir.File("pipe").c_str(), dir.File("out.cube").c_str()), 0);
         return "it is a symbolic link to \"" + dir.File("pipe") +
                "\", which is a named pipe, not a regular file.";
       }},
      {"link to a folder",
       [](const test::TempDir& dir) {
         EXPECT_EQ(::symlink(dir.Path().c_str(), dir.File("out.cube").c_str()), 0);
         return "it is a symbolic link to \"" + dir.Path() +
                "\", which is a folder, not a regular file.";
       }},
      {"dangling link",
       [](const test::TempDir& dir) {
         EXPECT_EQ(::symlink("nowhere.cube", dir.File("out.cube").c_str()), 0);
         return std::string("it is a symbolic link to \"nowhere.cube\", which does not exist.");
       }},
      {"looping link",
       [](const test::TempDir& dir) {
         EXPECT_EQ(::symlink("out.cube", dir.File("out.cube").c_str()), 0);
         return std::string(
             "it is a symbolic link that cannot be followed (Too many levels of symbolic links).");
       }},
      {"named pipe",
       [](const test::TempDir& dir) {
         ::mkfifo(dir.File("out.cube").c_str(), 0600);
         return std::string("it is a named pipe, not a regular file.");
       }},
      {"folder",
       [](const test::TempDir& dir) {
         std::filesystem::create_directory(dir.File("out.cube"));
         return std::string("it is a folder, not a regular file.");
       }},
  };
  for (const TRefusedTarget& item : cases) {
    SCOPED_TRACE(item.What);
    test::TempDir dir;
    const std::string reason = item.Make(dir);
    const std::string target = dir.File("out.cube");
    const mode_t type = EntryType(target);
    EXPECT_EQ(Message([&] { WriteWholeFile(target, "LUT_3D_SIZE 2\n"); }),
              "Cannot write file \"" + target + "\": " + reason);
    EXPECT_EQ(EntryType(target), type);
    if (item.What == std::string("link to a named pipe")) {
      EXPECT_EQ(EntryType(dir.File("pipe")), S_IFIFO);
    }
  }
}

TEST(SafeWrite, ALinkToADeviceLeavesTheDeviceAlone) {
  test::TempDir dir;
  const std::string device = dir.File("null");
  if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) {
    GTEST_SKIP() << "this process may not make device files";
  }
  ASSERT_EQ(::symlink(device.c_str(), dir.File("out.cube").c_str()), 0);
  EXPECT_EQ(Message([&] { WriteWholeFile(dir.File("out.cube"), "x\n"); }),
            "Cannot write file \"" + dir.File("out.cube") + "\": it is a symbolic link to \"" +
                device + "\", which is a character device, not a regular file.");
  EXPECT_EQ(EntryType(device), S_IFCHR);
}

// A file rewritten in place (it has a second hard link, or its folder takes no new files)
// that cannot take the new content keeps the old one. The child runs as the programs do,
// with SIGXFSZ ignored, and as nobody for the locked folder.
struct TInPlaceCase {
  const char* What;
  bool HardLinked;
};

void ExpectOldContentKept(const std::string& folder, const test::TChildLimits& limits,
                          const TInPlaceCase& item, const std::string& expectedReason) {
  SCOPED_TRACE(item.What);
  const std::string old(3000, 'o');
  const std::string target = folder + "/out.cube";
  const std::string second = folder + "/second-name.cube";
  test::TempDir staging;
  WriteWholeFile(target, old);
  ::chmod(target.c_str(), 0666);
  if (item.HardLinked) {
    ASSERT_EQ(::link(target.c_str(), second.c_str()), 0);
  }
  if (!item.HardLinked) ::chmod(folder.c_str(), 0755);  // nobody may not add files here
  test::TChildLimits childLimits = limits;
  childLimits.Unprivileged = !item.HardLinked;
  const int status = test::RunInChild(childLimits, [&] {
    try {
      WriteWholeFile(target, std::string(200000, 'n'));
    } catch (const EFileError& error) {
      return std::string(error.what()).find(expectedReason) != std::string::npos ? 1 : 2;
    }
    return 0;
  });
  EXPECT_EQ(status, 1) << "1: refused with \"" << expectedReason << "\"";
  EXPECT_TRUE(ReadFile(target) == old) << "the old content is gone";
  if (item.HardLinked) {
    EXPECT_TRUE(ReadFile(second) == old) << "the old content is gone from the second name";
  }
  ::unlink(second.c_str());
}

const TInPlaceCase kInPlaceCases[] = {{"hard-linked file", true},
                                      {"writable file in a locked folder", false}};

TEST(SafeWrite, InPlaceRewritesKeepTheOldContentUnderAFileSizeLimit) {
  for (const TInPlaceCase& item : kInPlaceCases) {
    test::TempDir dir;
    ::chmod(dir.Path().c_str(), 0755);
    const std::string folder = dir.File("luts");
    std::filesystem::create_directory(folder);
    ExpectOldContentKept(folder, {100000, false, false}, item, "File too large");
  }
}

TEST(SafeWrite, InPlaceRewritesKeepTheOldContentOnAFullDisk) {
  for (const TInPlaceCase& item : kInPlaceCases) {
    test::TSmallDisk disk(256 * 1024);
    if (!disk.Mounted()) GTEST_SKIP() << "no small file system can be mounted here";
    const std::string folder = disk.Path() + "/luts";
    std::filesystem::create_directory(folder);
    WriteWholeFile(folder + "/out.cube", std::string(3000, 'o'));
    disk.Fill();
    ::unlink((folder + "/out.cube").c_str());
    ExpectOldContentKept(folder, {}, item, "No space left on device");
  }
}

TEST(SafeWrite, InPlaceRewritesWorkWhenTheContentFits) {
  test::TempDir dir;
  ::chmod(dir.Path().c_str(), 0755);
  const std::string folder = dir.File("locked");
  std::filesystem::create_directory(folder);
  const std::string target = folder + "/out.cube";
  WriteWholeFile(target, std::string(5000, 'o'));
  ::chmod(target.c_str(), 0666);
  ::chmod(folder.c_str(), 0755);
  const int status = test::RunInChild({0, false, true}, [&] {
    WriteWholeFile(target, "short\n");
    return 0;
  });
  ASSERT_EQ(status, 0);
  EXPECT_EQ(ReadFile(target), "short\n");
  EXPECT_EQ(EntriesOf(folder), std::vector<std::string>{"out.cube"});
}

TEST(SafeWrite, AProcessKilledWhileWritingLeavesNoTemporaryFile) {
  for (const bool existing : {false, true}) {
    SCOPED_TRACE(existing ? "replacing a file" : "a new file");
    test::TempDir dir;
    const std::string target = dir.File("out.cube");
    if (existing) WriteWholeFile(target, "old\n");
    const int status = test::RunInChild({65536, true, false}, [&] {
      WriteWholeFile(target, std::string(1 << 20, 'n'));
      return 0;
    });
    EXPECT_EQ(status, 128 + SIGXFSZ);
    EXPECT_EQ(EntriesOf(dir.Path()),
              existing ? std::vector<std::string>{"out.cube"} : std::vector<std::string>{});
    if (existing) {
      EXPECT_EQ(ReadFile(target), "old\n");
    }
  }
}

TEST(SafeWrite, NewFilesGetTheUsualPermissions) {
  test::TempDir dir;
  const mode_t mask = ::umask(022);
  WriteWholeFile(dir.File("new.cube"), "x\n");
  ::umask(mask);
  struct stat info {};
  ASSERT_EQ(::stat(dir.File("new.cube").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}

// A replacement written in pieces: until Commit the destination keeps its old content (or
// stays absent) and nothing else appears beside it; the pieces then make the file, through
// a link to it, over a file with a second hard link, and with the replaced file's mode.
struct TPieceCase {
  const char* What;
  bool Link;  // the destination is a symbolic link, and stays one
  // Makes the destination in the folder; returns the file whose content it names.
  std::function<std::string(const test::TempDir&)> Make;
};

TEST(SafeWrite, APieceWiseReplacementChangesNothingUntilItIsCommitted) {
  const std::vector<TPieceCase> cases = {
      {"a new file", false, [](const test::TempDir& dir) { return dir.File("out.cube"); }},
      {"an existing file", false,
       [](const test::TempDir& dir) { return dir.Write("out.cube", "old\n"); }},
      {"a link to a file", true,
       [](const test::TempDir& dir) {
         const std::string real = dir.Write("real.cube", "old\n");
         EXPECT_EQ(::symlink("real.cube", dir.File("out.cube").c_str()), 0);
         return real;
       }},
      {"a file with a second hard link", false,
       [](const test::TempDir& dir) {
         const std::string target = dir.Write("out.cube", "old\n");
         EXPECT_EQ(::link(target.c_str(), dir.File("second.cube").c_str()), 0);
         return dir.File("second.cube");
       }},
  };
  const std::vector<std::string> pieces = {"LUT_3D_SIZE 2\n", "", std::string(70000, 'v'), "\n"};
  for (const TPieceCase& item : cases) {
    for (const bool commit : {false, true}) {
      SCOPED_TRACE(std::string(item.What) + (commit ? ", committed" : ", abandoned"));
      test::TempDir dir;
      const std::string target = dir.File("out.cube");
      const std::string named = item.Make(dir);
      if (EntryExists(named)) ::chmod(named.c_str(), 0640);
      const std::string before = EntryExists(named) ? ReadFile(named) : "absent";
      const std::vector<std::string> entries = EntriesOf(dir.Path());
      {
        TFileReplacement file(target);
        std::string all;
        for (const std::string& piece : pieces) {
          file.Write(piece);
          all += piece;
          EXPECT_EQ(EntryExists(named) ? ReadFile(named) : "absent", before);
        }
        if (commit) {
          file.Commit();
          EXPECT_TRUE(ReadFile(named) == all) << "the pieces do not make the file";
          EXPECT_EQ(EntryType(target), item.Link ? S_IFLNK : S_IFREG);
        }
      }
      if (!commit) {
        EXPECT_EQ(EntryExists(named) ? ReadFile(named) : "absent", before);
      }
      EXPECT_EQ(EntriesOf(dir.Path()),
                commit && before == "absent" ? std::vector<std::string>{"out.cube"} : entries);
      if (commit && before != "absent") {
        struct stat info {};
        ASSERT_EQ(::stat(named.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0640u);
      }
    }
  }
}

TEST(SafeWrite, APieceWiseReplacementRefusesWhatWholeWritesRefuse) {
  test::TempDir dir;
  std::filesystem::create_directory(dir.File("folder"));
  ASSERT_EQ(::symlink("folder", dir.File("out.cube").c_str()), 0);
  EXPECT_EQ(Message([&] { TFileReplacement file(dir.File("out.cube")); }),
            "Cannot write file \"" + dir.File("out.cube") +
                "\": it is a symbolic link to \"folder\", which is a folder, not a regular file.");
}

// An exclusive create never replaces a name that is taken, whether it was taken before the
// write began or by another writer while the content was being written.
TEST(SafeWrite, AnExclusiveCreateLeavesATakenNameAlone) {
  struct TTakenCase {
    const char* What;
    bool BeforeWrite;
    std::function<void(const std::string& target)> Take;
  };
  const std::vector<TTakenCase> cases = {
      {"a file, before", true, [](const std::string& t) { WriteWholeFile(t, "theirs\n"); }},
      {"a dangling link, before", true,
       [](const std::string& t) { ASSERT_EQ(::symlink("nowhere", t.c_str()), 0); }},
      {"a file, meanwhile", false, [](const std::string& t) { WriteWholeFile(t, "theirs\n"); }},
      {"another exclusive writer, meanwhile", false,
       [](const std::string& t) { WriteWholeFile(t, "theirs\n", TWriteMode::CreateNew); }},
  };
  for (const TTakenCase& item : cases) {
    SCOPED_TRACE(item.What);
    test::TempDir dir;
    const std::string target = dir.File("out.cube");
    if (item.BeforeWrite) item.Take(target);
    const auto write = [&] {
      TFileReplacement file(target, TWriteMode::CreateNew);
      file.Write("ours\n");
      if (!item.BeforeWrite) item.Take(target);
      file.Commit();
    };
    const std::vector<std::string> entries =
        item.BeforeWrite ? EntriesOf(dir.Path()) : std::vector<std::string>{"out.cube"};
    EXPECT_EQ(Message(write), "The file \"" + target + "\" already exists and is not replaced.");
    EXPECT_EQ(EntriesOf(dir.Path()), entries);
    if (EntryType(target) == S_IFREG) {
      EXPECT_EQ(ReadFile(target), "theirs\n");
    }
  }
  test::TempDir dir;
  WriteWholeFile(dir.File("new.cube"), "ours\n", TWriteMode::CreateNew);
  EXPECT_EQ(ReadFile(dir.File("new.cube")), "ours\n");
}

TEST(Files, EntriesAndFilesAreComparedAsFiles) {
  test::TempDir dir;
  const std::string file = dir.Write("a.cube", "x");
  ASSERT_EQ(::link(file.c_str(), dir.File("hard.cube").c_str()), 0);
  ASSERT_EQ(::symlink(file.c_str(), dir.File("soft.cube").c_str()), 0);
  ASSERT_EQ(::symlink("nowhere", dir.File("dangling.cube").c_str()), 0);
  std::filesystem::create_directory(dir.File("sub"));
  EXPECT_TRUE(EntryExists(dir.File("dangling.cube")));
  EXPECT_FALSE(FileExists(dir.File("dangling.cube")));
  EXPECT_FALSE(EntryExists(dir.File("missing.cube")));

  EXPECT_TRUE(SameFile(file, dir.File("hard.cube")));
  EXPECT_TRUE(SameFile(file, dir.File("soft.cube")));
  EXPECT_FALSE(SameFile(file, dir.File("dangling.cube")));
  EXPECT_FALSE(SameEntry(file, dir.File("hard.cube")));
  EXPECT_TRUE(SameEntry(file, dir.File("sub/../a.cube")));
  EXPECT_TRUE(SameEntry(file, dir.File("./a.cube")));
}

}  // namespace
}  // namespace vorn
