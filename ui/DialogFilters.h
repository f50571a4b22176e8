#pragma once
// File-list filters and the ordering of picked files. Qt-free, so that the rules can be
// checked without a window.

#include <string>
#include <string_view>
#include <vector>

namespace vorn::ui {

// Filter of "Add LUTs". "*dat" without a dot is meant: it matches any name ending in dat.
inline constexpr const char* kLutFileFilter =
    "LUT Files|*.cube;*.lut;*.m3d;*.3dl;*.txt;*.cms;*.mga;*.xml;*.3dmesh;*dat;*.alut;*.ilut;"
    "*.olut;*.1dlut;*.look;*.cc;*.pfl;*.cfe;*.dd3;*.mlc;*.vlt;"
    "*.spi1d;*.spi3d;*.csp;*.vf;*.itx;"
    "*.bmp;*.jpg;*.jpeg;*.tif;*.tiff|"
    "All Files|*.*";

// "Pictures|*.bmp;*.jpg;...|All Files|*.*" from the extensions the picture decoders read.
std::string PictureFileFilter();

// Turns "Name|*.a;*.b|Other|*.*" into Qt's "Name (*.a *.b);;Other (*)". Every pattern is
// kept as written, except "*.*", which means every file and so becomes "*" (a name without
// a dot would not match "*.*" here).
std::string QtFilterFromList(std::string_view filter);

// Ascending order ignoring ASCII case; names equal but for case keep their order.
void SortPathsNoCase(std::vector<std::string>& paths);

// The files to add for dropped paths, taken in the order of SortPathsNoCase: each path
// expanded by ExpandLutPaths, as "vorn-lut" takes folders, with a folder's files that no
// format claims following its claimed ones (the list shows them as unknown). Paths that are
// neither files nor folders are left out; a folder that cannot be read raises. subfolders,
// when given, receives for each file the folder that holds it below the dropped folder
// (TLutPaths::Subfolders; "" for the unclaimed files and those dropped by themselves).
std::vector<std::string> ExpandDroppedPaths(const std::vector<std::string>& paths,
                                            std::vector<std::string>* subfolders = nullptr);

}  // namespace vorn::ui
