#include "ui/DialogFilters.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "codecs/Pictures.h"
#include "core/VornLut.h"

namespace vorn::ui {

namespace {

char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool LessNoCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(LowerAscii(x)) < static_cast<unsigned char>(LowerAscii(y));
  });
}

std::string_view NextPart(std::string_view& rest, char separator) {
  const std::size_t at = rest.find(separator);
  const std::string_view part = rest.substr(0, at);
  rest = at == std::string_view::npos ? std::string_view() : rest.substr(at + 1);
  return part;
}

std::string QtPatterns(std::string_view patterns) {
  std::string result;
  while (!patterns.empty()) {
    std::string_view pattern = NextPart(patterns, ';');
    if (pattern.empty()) continue;
    if (pattern == "*.*") pattern = "*";
    if (!result.empty()) result += ' ';
    result += pattern;
  }
  return result;
}

}  // namespace

std::string PictureFileFilter() {
  std::string patterns;
  for (const std::string& extension : PictureExtensions()) {
    if (!patterns.empty()) patterns += ';';
    patterns += '*' + extension;
  }
  return "Pictures|" + patterns + "|All Files|*.*";
}

std::string QtFilterFromList(std::string_view filter) {
  std::string result;
  while (!filter.empty()) {
    const std::string_view name = NextPart(filter, '|');
    const std::string_view patterns = NextPart(filter, '|');
    if (!result.empty()) result += ";;";
    result += std::string(name) + " (" + QtPatterns(patterns) + ")";
  }
  return result;
}

void SortPathsNoCase(std::vector<std::string>& paths) {
  std::stable_sort(paths.begin(), paths.end(), LessNoCase);
}

std::vector<std::string> ExpandDroppedPaths(const std::vector<std::string>& paths,
                                            std::vector<std::string>* subfolders) {
  std::vector<std::string> dropped = paths;
  SortPathsNoCase(dropped);
  std::vector<std::string> files;
  for (const std::string& path : dropped) {
    std::error_code error;
    if (!std::filesystem::is_directory(path, error) &&
        !std::filesystem::is_regular_file(path, error)) {
      continue;
    }
    const TLutPaths expanded = ExpandLutPaths({path});
    files.insert(files.end(), expanded.Files.begin(), expanded.Files.end());
    // The list shows them too, as files of no known format.
    files.insert(files.end(), expanded.Unclaimed.begin(), expanded.Unclaimed.end());
    if (subfolders != nullptr) {
      subfolders->insert(subfolders->end(), expanded.Subfolders.begin(), expanded.Subfolders.end());
      subfolders->resize(files.size());
    }
  }
  return files;
}

}  // namespace vorn::ui
