#include "formats/HeaderClaims.h"

#include <string_view>

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

bool EndsLine(char c) {
  return c == '\r' || c == '\n';
}

// The rest of the line from `at`, without its line break.
std::string_view RestOfLine(std::string_view text, std::size_t at) {
  std::size_t end = at;
  while (end < text.size() && !EndsLine(text[end])) ++end;
  return text.substr(at, end - at);
}

// Only blanks stand between `at` and the start of its line.
bool BeginsLine(std::string_view text, std::size_t at) {
  while (at > 0 && IsBlank(text[at - 1])) --at;
  return at == 0 || EndsLine(text[at - 1]);
}

// The first line that is not blank, from its first character that is not a blank.
std::string_view FirstLine(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && (IsBlank(text[start]) || EndsLine(text[start]))) ++start;
  return RestOfLine(text, start);
}

// Whether `found` holds at a place where the keyword starts in the upper-case text. The
// keyword's first letter is looked for with memchr, so a head in which it is rare (the value
// lines) is passed over quickly, without splitting it into lines.
template <typename Found>
bool AnyOccurrence(std::string_view upper, std::string_view keyword, Found found) {
  if (keyword.empty()) return false;
  const char first = Upper(keyword[0]);
  for (std::size_t at = upper.find(first); at != std::string_view::npos;
       at = upper.find(first, at + 1)) {
    if (StartsWithNoCase(upper.substr(at), keyword) && found(at)) return true;
  }
  return false;
}

// The head's lines are those HeadLines gives: a keyword is first on its line when only
// blanks precede it there, and its value ends with the line.
bool Holds(std::string_view head, const THeaderKeyword& wanted) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  const std::string_view body =
      head.starts_with(kByteOrderMark) ? head.substr(kByteOrderMark.size()) : head;
  const std::size_t length = wanted.Keyword.size();
  auto fits = [&](std::size_t at) {
    return ValueFits(RestOfLine(body, at + length), wanted.Value);
  };
  switch (wanted.Place) {
    case TKeywordPlace::LineStart:
      return AnyOccurrence(body, wanted.Keyword,
                           [&](std::size_t at) { return BeginsLine(body, at) && fits(at); });
    case TKeywordPlace::CommentLine:
      return AnyOccurrence(body, wanted.Keyword, [&](std::size_t at) {
        std::size_t mark = at;
        while (mark > 0 && IsBlank(body[mark - 1])) --mark;
        return mark > 0 && body[mark - 1] == '#' && BeginsLine(body, mark - 1) && fits(at);
      });
    case TKeywordPlace::FirstLine:
      return OccursIn(FirstLine(body), wanted, ValueFits);
    case TKeywordPlace::XmlTag:
      return FirstLine(body).starts_with('<') && OccursIn(head, wanted, TagFits);
    case TKeywordPlace::Anywhere:
      return AnyOccurrence(body, wanted.Keyword, [&](std::size_t at) {
        const bool inLeadingBlanks = IsBlank(wanted.Keyword[0]) && BeginsLine(body, at);
        return !inLeadingBlanks && fits(at);
      });
  }
  return false;
}

}  // namespace

bool HasHeaderLines(const std::string& path, std::span<const THeaderKeyword> required,
                    std::span<const THeaderKeyword> excluded) {
  TSharedFileHead* shared = TSharedFileHead::For(path);
  const std::string own = shared ? std::string() : UpperCase(ReadFileHead(path, kHeadBytes));
  const std::string_view head = shared ? std::string_view(shared->UpperHead()) : own;
  for (const THeaderKeyword& item : excluded) {
    if (Holds(head, item)) return false;
  }
  for (const THeaderKeyword& item : required) {
    if (!Holds(head, item)) return false;
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
