#pragma once
// A small XML reader for the LUT formats stored as XML. It builds an element tree from a
// file and lets a reader walk it by element name (ASCII case ignored); element texts and
// attribute values have numeric views. It is deliberately lenient: it never rejects
// malformed text, so a damaged file surfaces as a missing element. There is no writer:
// XML formats write their lines through TTextFile.
//
// How text becomes a tree:
// - An element's text is the concatenation of its non-blank text pieces as written (blanks
//   and line breaks inside them kept); a CDATA section adds a blank and then its content.
//   Entity references are not decoded (XmlUnescape does that where a reader wants it).
// - A closing tag ends the innermost open element whatever its name.
// - Comments are skipped wherever they stand; "<!...>" and "<?...?>" tags become childless
//   nodes named after their first word ("?xml" for the declaration). Such a tag loses its
//   last byte, as "<.../>" loses its slash.
// - Tabs, CR and LF inside a tag count as blanks. Attribute values in quotes or apostrophes
//   may hold blanks; unquoted values end at the first blank.
// - Bytes before the first tag (a byte-order mark, for instance) and text after the last
//   one make no nodes.
// - An unclosed tag, comment or CDATA section runs to the end of the text; an unclosed
//   element ends there too, and its text loses the file's last byte.
// - A reader that needs well-formed tags asks for TXmlTags::Checked: then a closing tag that
//   does not name the innermost open element, and an element left open at the end of the
//   text, are refused with a message that names them.
// Nothing in the reader recurses on the depth of the document, so any nesting is safe; a
// document with more than MaxXmlItems elements and attributes is refused.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vorn {

// The most elements plus attributes one document may hold (about 150 MB of tree).
inline constexpr std::size_t MaxXmlItems = 1'000'000;

// Whether the reader checks that closing tags match their elements (see above).
enum class TXmlTags : std::uint8_t { Lenient, Checked };

class TXMLValue {
 public:
  TXMLValue() = default;
  explicit TXMLValue(std::string text) : Text(std::move(text)) {}

  std::string Text;

  const std::string& AsString() const { return Text; }
  void SetString(std::string text) { Text = std::move(text); }
  // The trimmed text as a number; empty counts as 0, and the first "." and the first ","
  // both serve as the decimal separator. Raises EConvertError for anything else.
  double AsFloat() const;
  // AsFloat rounded to the nearest integer, halves to even (saturating at the 64-bit range).
  std::int64_t AsInteger() const;
};

// The attributes of one element, in order of first appearance. Names compare ignoring
// ASCII case.
class TXMLAttributes {
 public:
  // The named attribute; an absent one is created with an empty text, so reading it as a
  // number gives 0.
  TXMLValue& Attribute(std::string_view name);
  // The named attribute, or null; creates nothing.
  const TXMLValue* Find(std::string_view name) const;
  void Clear() { Items.clear(); }

  std::size_t Count() const { return Items.size(); }
  const std::string& Name(std::size_t index) const { return Items[index]->Name; }
  const TXMLValue& Value(std::size_t index) const { return Items[index]->Value; }

 private:
  friend class TXMLParser;
  struct TItem {
    std::string Name;
    TXMLValue Value;
  };
  // One allocation per attribute keeps a returned reference valid when others are added.
  std::vector<std::unique_ptr<TItem>> Items;
};

// One element, or the document: the document node has an empty name and holds the
// top-level items of the file (the declaration, the root element) as its children.
class TXMLNode {
 public:
  TXMLNode() = default;
  ~TXMLNode();
  TXMLNode(const TXMLNode&) = delete;
  TXMLNode& operator=(const TXMLNode&) = delete;

  std::string Name;
  TXMLValue Value;
  TXMLAttributes Attributes;

  // Reads the whole file as 8-bit text; raises EFileError when it cannot be read.
  void LoadFromFile(const std::string& path, TXmlTags tags = TXmlTags::Lenient);
  // Clear, then the items of the text become the children.
  void LoadFromString(std::string_view text, TXmlTags tags = TXmlTags::Lenient);
  // Empties the name, the value and the attributes, and destroys the children.
  void Clear();

  TXMLNode& AddChild();
  std::size_t ChildCount() const { return Children.size(); }
  TXMLNode& Child(std::size_t index) { return *Children[index]; }
  const TXMLNode& Child(std::size_t index) const { return *Children[index]; }

  // The first child of that name (ASCII case ignored). FindChild raises Exception
  // "The \"name\" node is not found" when there is none; ChildByName answers null.
  TXMLNode& FindChild(std::string_view name);
  const TXMLNode& FindChild(std::string_view name) const;
  TXMLNode* ChildByName(std::string_view name);
  const TXMLNode* ChildByName(std::string_view name) const;
  bool HasChild(std::string_view name) const { return ChildByName(name) != nullptr; }

  // FindChild step by step: FindPath({"lut", "data"}) is FindChild("lut").FindChild("data");
  // the first missing step raises its FindChild error.
  TXMLNode& FindPath(std::initializer_list<std::string_view> names);
  const TXMLNode& FindPath(std::initializer_list<std::string_view> names) const;

 private:
  friend class TXMLParser;
  // Destroys the subtree below this node without recursion.
  void DestroyChildren() noexcept;

  std::vector<std::unique_ptr<TXMLNode>> Children;
};

// The text with the five predefined entities (&lt; &gt; &amp; &apos; &quot;) and numeric
// character references below 256 decoded; any other ampersand sequence stays as written.
std::string XmlUnescape(std::string_view text);
// The text with &, <, >, " and ' written as entities, fit for an attribute value or an
// element text.
std::string XmlEscape(std::string_view text);

}  // namespace vorn
