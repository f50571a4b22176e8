#pragma once
// Values of options that name one of a list (output profiles, --class, --format): the
// number, the exact name, any letter case, the extension when one entry alone owns it, or a
// unique abbreviation of the name's words ("3dl fus" for "3DL Fusion"). A text that names
// none or several raises EUsageError listing the entries it could have meant.

#include <cstddef>
#include <string>
#include <vector>

namespace vorn::cli {

struct TChoice {
  std::string Name;
  std::vector<std::string> Extensions;  // without the dot; matched whole, any case
};

struct TChoiceList {
  std::string Option;     // "--profile"
  std::string What;       // "output profile"
  bool Numbered = false;  // entries may be named by their index and are listed with it
  std::string ListHint;   // " (run 'vorn-lut profiles' to list them)", or ""
  std::vector<TChoice> Entries;
};

// The index of the entry text names.
std::size_t MatchChoice(const TChoiceList& list, const std::string& text);

}  // namespace vorn::cli
