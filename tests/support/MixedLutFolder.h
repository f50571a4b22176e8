#pragma once
// A folder as users hand it to a batch: LUTs of several formats in a tree of subfolders,
// prose and data files beside them, a truncated LUT and files whose extension says LUT but
// whose content is something else. vorn-lut's and the window's batch tests share it.

#include <filesystem>
#include <string>
#include <vector>

#include "tests/cli/LutTexts.h"
#include "tests/support/TestSupport.h"

namespace vorn::test {

enum class TBatchRole { Converts, Unclaimed, Fails };

struct TFolderEntry {
  std::string Name;  // below the folder, in the order the folder walk lists it
  std::string Content;
  TBatchRole Role;
  std::string Reason = {};  // of a failing entry, as the reader words it
};

inline std::vector<TFolderEntry> MixedFolderEntries() {
  using enum TBatchRole;
  return {
      {"a.cube", IdentityCube(), Converts},
      {"b.3dl", Identity3dl12(), Converts},
      {"empty.cube", "", Unclaimed},
      {"LICENSE", "Permission is hereby granted, free of charge, to any person.\n", Unclaimed},
      {"looks/broken.3dl", "0 1023\n0 0 0\n0 0 4095\n0 4095 0\n", Fails,
       "Incomplete file. 3 of the 8 values the file declares were read."},
      {"looks/c.vlt", IdentityVlt(), Converts},
      {"looks/night/d.cfe", IdentityCfe(), Converts},
      // A picture under a 3DL name: claimed by its extension, it fails to read.
      {"looks/still.3dl", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), Fails,
       "Incomplete file. 0 values were read; the file declares no size."},
      {"looks/truelight.cube", IdentityTruelight(), Converts},
      {"make.sh", "#!/bin/sh\nvorn-lut convert --profile 0 --output-dir out *.cube\n", Unclaimed},
      {"meta.json", "{\"lut\": \"a.cube\", \"size\": 2}\n", Unclaimed},
      {"notes.txt", "The night grade is too warm; try the c look at 33 nodes.\n", Unclaimed},
      {"README.md", "# Looks\n\nCube and 3DL files for the night shots.\n", Unclaimed},
      {"sizes.csv", "name,size\na.cube,2\nb.3dl,2\n", Unclaimed},
  };
}

// Writes the entries below dir/folder and returns that folder's path.
inline std::string WriteMixedFolder(const TempDir& dir, const std::string& folder) {
  for (const TFolderEntry& entry : MixedFolderEntries()) {
    const std::string name = folder + "/" + entry.Name;
    std::filesystem::create_directories(std::filesystem::path(dir.File(name)).parent_path());
    dir.Write(name, entry.Content);
  }
  return dir.File(folder);
}

// The folder part of an entry's name ("" at the top).
inline std::string SubfolderOfEntry(const TFolderEntry& entry) {
  const std::size_t slash = entry.Name.find_last_of('/');
  return slash == std::string::npos ? std::string() : entry.Name.substr(0, slash);
}

}  // namespace vorn::test
