#pragma once
// How a text format recognises its files: keywords that stand where the format puts them in
// the first 4096 bytes, not words that any prose about LUTs holds. A line of the head is
// checked with ASCII case ignored; lines end at "\n" or "\r", and a byte order mark before
// the first line is passed over.

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace vorn {

// Where the keyword stands.
enum class TKeywordPlace : unsigned char {
  LineStart,    // first on a line, after blanks
  CommentLine,  // first on a line after "#" (blanks allowed around the "#")
  FirstLine,    // anywhere on the first line that is not blank
  XmlTag,       // the head begins with "<" (after blanks) and the keyword is followed by a
                // blank, ">" or "/", as a tag name is
  Anywhere,     // anywhere in the head (for words that rule a file out)
};

// What follows the keyword on its line.
enum class TKeywordValue : unsigned char {
  Word,     // the end of the line or a character that cannot continue a name
  Nothing,  // blanks alone
  Integer,  // blanks, ":" or "=" and an integer (after blanks; a sign allowed)
};

struct THeaderKeyword {
  std::string_view Keyword;
  TKeywordPlace Place = TKeywordPlace::LineStart;
  TKeywordValue Value = TKeywordValue::Integer;
};

// True when the head holds every required keyword and none of the excluded ones.
bool HasHeaderLines(const std::string& path, std::span<const THeaderKeyword> required,
                    std::span<const THeaderKeyword> excluded = {});
inline bool HasHeaderLines(const std::string& path, std::initializer_list<THeaderKeyword> required,
                           std::initializer_list<THeaderKeyword> excluded = {}) {
  return HasHeaderLines(path, std::span(required.begin(), required.size()),
                        std::span(excluded.begin(), excluded.size()));
}

// True when the first element of the file's head (after a byte order mark, blanks, the XML
// declaration, comments and a DOCTYPE) is named name (case counts, as in XML).
bool HasXmlRoot(const std::string& path, std::string_view name);

}  // namespace vorn
