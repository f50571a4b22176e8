#include "formats/HeaderClaims.h"

#include <vector>

#include "core/TextTools.h"

namespace vorn {

namespace {

constexpr std::size_t kHeadBytes = 4096;

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\f' || c == '\v';
}

bool ContinuesName(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string_view SkipBlanks(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  return text.substr(i);
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
      return SkipBlanks(rest).empty();
    case TKeywordValue::Integer:
      return FollowedByInteger(rest);
  }
  return false;
}

// The upper-case text starts with the keyword, whose case is ignored.
bool StartsWithNoCase(std::string_view upper, std::string_view keyword) {
  if (upper.size() < keyword.size()) return false;
  for (std::size_t i = 0; i < keyword.size(); ++i) {
    if (upper[i] != Upper(keyword[i])) return false;
  }
  return true;
}

bool StartsWithKeyword(std::string_view line, const THeaderKeyword& wanted) {
  return StartsWithNoCase(line, wanted.Keyword) &&
         ValueFits(line.substr(wanted.Keyword.size()), wanted.Value);
}

bool OccursIn(std::string_view text, const THeaderKeyword& wanted,
              bool (*fits)(std::string_view, TKeywordValue)) {
  for (std::size_t at = 0; at + wanted.Keyword.size() <= text.size(); ++at) {
    if (StartsWithNoCase(text.substr(at), wanted.Keyword) &&
        fits(text.substr(at + wanted.Keyword.size()), wanted.Value)) {
      return true;
    }
  }
  return false;
}

// A tag name ends at a blank, ">" or "/" (or at a line's end).
bool TagFits(std::string_view rest, TKeywordValue) {
  return rest.empty() || IsBlank(rest[0]) || rest[0] == '>' || rest[0] == '/' || rest[0] == '\n' ||
         rest[0] == '\r';
}

bool Holds(std::string_view head, const std::vector<std::string_view>& lines,
           const THeaderKeyword& wanted) {
  switch (wanted.Place) {
    case TKeywordPlace::LineStart:
      for (const std::string_view line : lines) {
        if (StartsWithKeyword(line, wanted)) return true;
      }
      return false;
    case TKeywordPlace::CommentLine:
      for (const std::string_view line : lines) {
        if (line[0] == '#' && StartsWithKeyword(SkipBlanks(line.substr(1)), wanted)) return true;
      }
      return false;
    case TKeywordPlace::FirstLine:
      return !lines.empty() && OccursIn(lines.front(), wanted, ValueFits);
    case TKeywordPlace::XmlTag:
      return !lines.empty() && lines.front()[0] == '<' && OccursIn(head, wanted, TagFits);
    case TKeywordPlace::Anywhere:
      for (const std::string_view line : lines) {
        if (OccursIn(line, wanted, ValueFits)) return true;
      }
      return false;
  }
  return false;
}

}  // namespace

bool HasHeaderLines(const std::string& path, std::span<const THeaderKeyword> required,
                    std::span<const THeaderKeyword> excluded) {
  TSharedFileHead* shared = TSharedFileHead::For(path);
  const std::string own = shared ? std::string() : UpperCase(ReadFileHead(path, kHeadBytes));
  const std::vector<std::string_view> ownLines =
      shared ? std::vector<std::string_view>() : HeadLines(own);
  const std::string_view head = shared ? std::string_view(shared->UpperHead()) : own;
  const std::vector<std::string_view>& lines = shared ? shared->UpperLines() : ownLines;
  for (const THeaderKeyword& item : excluded) {
    if (Holds(head, lines, item)) return false;
  }
  for (const THeaderKeyword& item : required) {
    if (!Holds(head, lines, item)) return false;
  }
  return true;
}

bool HasXmlRoot(const std::string& path, std::string_view name) {
  const std::string head = ReadFileHead(path, TSharedFileHead::kBytes);
  std::string_view rest = head;
  if (rest.starts_with("\xEF\xBB\xBF")) rest.remove_prefix(3);
  for (;;) {
    rest = TrimLeft(rest);
    if (!rest.starts_with("<")) return false;
    if (rest.starts_with("<?") || rest.starts_with("<!")) {
      const std::string_view close = rest.starts_with("<!--") ? "-->" : ">";
      const std::size_t end = rest.find(close);
      if (end == std::string_view::npos) return false;
      rest.remove_prefix(end + close.size());
      continue;
    }
    rest.remove_prefix(1);
    if (!rest.starts_with(name)) return false;
    const std::string_view after = rest.substr(name.size());
    return after.empty() || after[0] == '>' || after[0] == '/' || after[0] == ' ' ||
           after[0] == '\t' || after[0] == '\r' || after[0] == '\n';
  }
}

}  // namespace vorn
