#include "formats/HeaderClaims.h"

#include <algorithm>

#include "core/TextTools.h"

namespace vorn {

namespace {

constexpr std::size_t kHeadBytes = 4096;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\f' || c == '\v';
}

bool ContinuesName(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

std::string_view SkipBlanks(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  return text.substr(i);
}

bool IsAllBlank(std::string_view text) {
  return SkipBlanks(text).empty();
}

bool FollowedByInteger(std::string_view rest) {
  if (rest.empty()) return false;
  const bool separated = IsBlank(rest[0]) || rest[0] == ':' || rest[0] == '=';
  rest = SkipBlanks(rest);
  if (!rest.empty() && (rest[0] == ':' || rest[0] == '=')) {
    rest = SkipBlanks(rest.substr(1));
  } else if (!separated) {
    return false;
  }
  if (!rest.empty() && (rest[0] == '+' || rest[0] == '-')) rest.remove_prefix(1);
  return !rest.empty() && rest[0] >= '0' && rest[0] <= '9';
}

bool ValueFits(std::string_view rest, TKeywordValue value) {
  switch (value) {
    case TKeywordValue::Word:
      return rest.empty() || !ContinuesName(rest[0]);
    case TKeywordValue::Nothing:
      return IsAllBlank(rest);
    case TKeywordValue::Integer:
      return FollowedByInteger(rest);
  }
  return false;
}

// The line starts with the keyword (the line and keyword in upper case).
bool StartsWithKeyword(std::string_view line, const THeaderKeyword& wanted) {
  return line.starts_with(wanted.Keyword) &&
         ValueFits(line.substr(wanted.Keyword.size()), wanted.Value);
}

bool OccursIn(std::string_view line, const THeaderKeyword& wanted) {
  for (std::size_t at = line.find(wanted.Keyword); at != std::string_view::npos;
       at = line.find(wanted.Keyword, at + 1)) {
    if (ValueFits(line.substr(at + wanted.Keyword.size()), wanted.Value)) return true;
  }
  return false;
}

bool TagFits(std::string_view rest) {
  return rest.empty() || IsBlank(rest[0]) || rest[0] == '>' || rest[0] == '/' || rest[0] == '\n' ||
         rest[0] == '\r';
}

bool HasXmlTag(std::string_view head, std::string_view tag) {
  const std::size_t first = head.find_first_not_of(" \t\f\v\r\n");
  if (first == std::string_view::npos || head[first] != '<') return false;
  for (std::size_t at = head.find(tag); at != std::string_view::npos; at = head.find(tag, at + 1)) {
    if (TagFits(head.substr(at + tag.size()))) return true;
  }
  return false;
}

class THeadLines {
 public:
  explicit THeadLines(std::string_view head) : Head_(head) {
    if (Head_.starts_with(kByteOrderMark)) Head_.remove_prefix(kByteOrderMark.size());
  }

  std::string_view Text() const { return Head_; }

  // Calls visit(line) for each line until it returns true.
  template <typename Visit>
  bool Any(Visit visit) const {
    std::size_t start = 0;
    while (start <= Head_.size()) {
      const std::size_t end = std::min(Head_.find_first_of("\r\n", start), Head_.size());
      if (visit(Head_.substr(start, end - start))) return true;
      start = end + 1;
    }
    return false;
  }

 private:
  std::string_view Head_;
};

bool Holds(const THeadLines& head, const THeaderKeyword& wanted) {
  switch (wanted.Place) {
    case TKeywordPlace::LineStart:
      return head.Any(
          [&](std::string_view line) { return StartsWithKeyword(SkipBlanks(line), wanted); });
    case TKeywordPlace::CommentLine:
      return head.Any([&](std::string_view line) {
        line = SkipBlanks(line);
        return line.starts_with('#') && StartsWithKeyword(SkipBlanks(line.substr(1)), wanted);
      });
    case TKeywordPlace::FirstLine: {
      bool holds = false;
      head.Any([&](std::string_view line) {
        if (IsAllBlank(line)) return false;
        holds = OccursIn(line, wanted);
        return true;
      });
      return holds;
    }
    case TKeywordPlace::XmlTag:
      return HasXmlTag(head.Text(), wanted.Keyword);
    case TKeywordPlace::Anywhere:
      return head.Any([&](std::string_view line) { return OccursIn(line, wanted); });
  }
  return false;
}

bool HoldsUpper(const THeadLines& head, THeaderKeyword wanted) {
  const std::string upper = UpperCase(wanted.Keyword);
  wanted.Keyword = upper;
  return Holds(head, wanted);
}

}  // namespace

bool HasHeaderLines(const std::string& path, std::span<const THeaderKeyword> required,
                    std::span<const THeaderKeyword> excluded) {
  TSharedFileHead* shared = TSharedFileHead::For(path);
  const std::string own = shared ? std::string() : UpperCase(ReadFileHead(path, kHeadBytes));
  const THeadLines head(shared ? shared->UpperHead() : own);
  for (const THeaderKeyword& item : excluded) {
    if (HoldsUpper(head, item)) return false;
  }
  for (const THeaderKeyword& item : required) {
    if (!HoldsUpper(head, item)) return false;
  }
  return true;
}

}  // namespace vorn
