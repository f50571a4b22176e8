#include "cli/Choice.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <string_view>

#include "cli/Args.h"

namespace vorn::cli {

namespace {

// Candidates beyond this are counted, not named.
constexpr std::size_t kMaxNamedCandidates = 8;

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
  return lower;
}

bool IsWordCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}

// The lower-case words of a name: "3DL Scratch, Autodesk" gives "3dl", "scratch", "autodesk".
std::vector<std::string> Words(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  for (char c : Lower(text)) {
    if (IsWordCharacter(c)) {
      word.push_back(c);
    } else if (!word.empty()) {
      words.push_back(std::move(word));
      word.clear();
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

bool IsDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// Every typed word begins a word of the name.
bool Abbreviates(const std::vector<std::string>& typed, const std::vector<std::string>& name) {
  return std::all_of(typed.begin(), typed.end(), [&](const std::string& word) {
    return std::any_of(name.begin(), name.end(),
                       [&](const std::string& whole) { return whole.starts_with(word); });
  });
}

std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// A misspelt word: one edit off for short words, two for longer ones.
bool NearlyNames(const std::vector<std::string>& typed, const TChoice& entry) {
  std::vector<std::string> words = Words(entry.Name);
  for (const std::string& extension : entry.Extensions) words.push_back(Lower(extension));
  return std::all_of(typed.begin(), typed.end(), [&](const std::string& word) {
    const std::size_t allowed = word.size() <= 4 ? 1 : 2;
    return std::any_of(words.begin(), words.end(), [&](const std::string& whole) {
      return EditDistance(word, whole) <= allowed ||
             EditDistance(word, whole.substr(0, word.size())) <= allowed - 1;
    });
  });
}

std::string Quote(const std::string& text) {
  return "'" + text + "'";
}

std::string Candidate(const TChoiceList& list, std::size_t index) {
  const std::string name = Quote(list.Entries[index].Name);
  return list.Numbered ? std::to_string(index) + " " + name : name;
}

// "A, B or C", at most kMaxNamedCandidates of them.
std::string CandidateList(const TChoiceList& list, const std::vector<std::size_t>& indexes) {
  std::string text;
  const std::size_t named = std::min(indexes.size(), kMaxNamedCandidates);
  for (std::size_t i = 0; i < named; ++i) {
    if (i > 0) text += i + 1 == indexes.size() ? " or " : ", ";
    text += Candidate(list, indexes[i]);
  }
  if (named < indexes.size()) {
    text += " and " + std::to_string(indexes.size() - named) + " more";
  }
  return text;
}

std::vector<std::size_t> Matching(const TChoiceList& list, auto&& matches) {
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < list.Entries.size(); ++i) {
    if (matches(list.Entries[i])) found.push_back(i);
  }
  return found;
}

std::size_t ByNumber(const TChoiceList& list, const std::string& text) {
  long long number = LLONG_MAX;
  std::from_chars(text.data(), text.data() + text.size(), number);
  if (number < static_cast<long long>(list.Entries.size())) return static_cast<std::size_t>(number);
  throw EUsageError("there is no " + list.What + " number " + text + list.ListHint);
}

[[noreturn]] void RaiseUnknown(const TChoiceList& list, const std::string& text,
                               const std::vector<std::string>& typed) {
  const std::vector<std::size_t> near =
      Matching(list, [&](const TChoice& entry) { return NearlyNames(typed, entry); });
  const std::string guess = near.empty() ? "" : "; did you mean " + CandidateList(list, near) + "?";
  if (list.Numbered)
    throw EUsageError("unknown " + list.What + " " + Quote(text) + guess + list.ListHint);
  std::vector<std::size_t> all(list.Entries.size());
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
  std::string names = CandidateList(list, all);
  names.erase(std::remove(names.begin(), names.end(), '\''), names.end());
  throw EUsageError(list.Option + " must be " + names + ", got " + Quote(text) + guess);
}

}  // namespace

std::size_t MatchChoice(const TChoiceList& list, const std::string& text) {
  for (std::size_t i = 0; i < list.Entries.size(); ++i) {
    if (list.Entries[i].Name == text) return i;
  }
  if (list.Numbered && IsDigits(text)) return ByNumber(list, text);
  const std::string lower = Lower(text);
  std::vector<std::size_t> found =
      Matching(list, [&](const TChoice& entry) { return Lower(entry.Name) == lower; });
  if (found.size() == 1) return found.front();
  const std::string extension = lower.starts_with('.') ? lower.substr(1) : lower;
  const std::vector<std::size_t> owners = Matching(list, [&](const TChoice& entry) {
    return std::any_of(entry.Extensions.begin(), entry.Extensions.end(),
                       [&](const std::string& owned) { return Lower(owned) == extension; });
  });
  if (owners.size() == 1) return owners.front();
  const std::vector<std::string> typed = Words(text);
  found = Matching(list, [&](const TChoice& entry) {
    return !typed.empty() && Abbreviates(typed, Words(entry.Name));
  });
  if (found.size() == 1 && owners.empty()) return found.front();
  for (std::size_t owner : owners) {
    if (std::find(found.begin(), found.end(), owner) == found.end()) found.push_back(owner);
  }
  std::sort(found.begin(), found.end());
  if (found.empty()) RaiseUnknown(list, text, typed);
  throw EUsageError(list.Option + " " + Quote(text) + " names several " + list.What +
                    "s: did you mean " + CandidateList(list, found) + "?" + list.ListHint);
}

}  // namespace vorn::cli
