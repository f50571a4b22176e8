#include "formats/XMLNode.h"

#include <unordered_map>

#include "core/TextTools.h"
#include "platform/Convert.h"
#include "platform/Exception.h"
#include "platform/Files.h"

namespace vorn {

namespace {

constexpr std::string_view kCommentOpen = "<!--";
constexpr std::string_view kCommentClose = "-->";
constexpr std::string_view kCDataOpen = "<![CDATA[";
constexpr std::string_view kCDataClose = "]]>";
constexpr std::size_t kNone = std::string_view::npos;

// Attribute lists longer than this find duplicates through a hash index while parsing.
constexpr std::size_t kLinearAttributeLookup = 16;

char ToUpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ToUpperAscii(a[i]) != ToUpperAscii(b[i])) return false;
  }
  return true;
}

// Tabs and line breaks inside a tag count as blanks.
bool IsTagBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string TagText(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (IsTagBlank(c)) c = ' ';
  }
  return result;
}

[[noreturn]] void RaiseNodeNotFound(std::string_view name) {
  throw Exception("The \"" + std::string(name) + "\" node is not found");
}

}  // namespace

// ---- values and attributes ---------------------------------------------------------------

double TXMLValue::AsFloat() const {
  const std::string_view trimmed = Trim(Text);
  if (trimmed.empty()) return 0.0;
  std::string number(trimmed);
  if (const std::size_t comma = number.find(','); comma != std::string::npos) number[comma] = '.';
  double value = 0.0;
  if (!TryStrToFloat(number, value)) {
    throw EConvertError("'" + std::string(trimmed) + "' is not a valid floating point value");
  }
  return value;
}

std::int64_t TXMLValue::AsInteger() const {
  return RoundHalfEven(AsFloat());
}

TXMLValue& TXMLAttributes::Attribute(std::string_view name) {
  for (const auto& item : Items) {
    if (EqualsNoCase(item->Name, name)) return item->Value;
  }
  Items.push_back(std::make_unique<TItem>(TItem{std::string(name), TXMLValue()}));
  return Items.back()->Value;
}

const TXMLValue* TXMLAttributes::Find(std::string_view name) const {
  for (const auto& item : Items) {
    if (EqualsNoCase(item->Name, name)) return &item->Value;
  }
  return nullptr;
}

// ---- the parser ----------------------------------------------------------------------------

// Walks the text once with an advancing position. Elements whose content is being read
// wait on an explicit stack, so the depth of the document never reaches the call stack.
class TXMLParser {
  // Upper-cased attribute name to its position in the list.
  using TAttributeIndex = std::unordered_map<std::string, std::size_t>;

 public:
  TXMLParser(std::string_view text, TXmlTags tags) : Text(text), Tags(tags) {}

  void ParseDocument(TXMLNode& document) {
    for (;;) {
      SkipComments();
      if (Text.find('<', Pos) == kNone) break;  // trailing text makes no node
      ParseElement(AddChild(document));
      ParseContent();
    }
  }

 private:
  // With checked tags: a closing tag (its text between "</" and ">") must name the element
  // it closes.
  void CheckClosingTag(const TXMLNode& node, std::string_view closing) const {
    if (Tags == TXmlTags::Lenient) return;
    if (!EqualsNoCase(Trim(closing), node.Name)) {
      throw Exception("The closing tag </" + std::string(Trim(closing)) +
                      "> does not close the element \"" + node.Name + "\".");
    }
  }

  void CheckUnclosed(const TXMLNode& node) const {
    if (Tags == TXmlTags::Checked) {
      throw Exception("The element \"" + node.Name + "\" has no closing tag.");
    }
  }

 private:
  bool At(std::size_t at, std::string_view what) const {
    return at <= Text.size() && Text.substr(at).starts_with(what);
  }

  // Position just after the next occurrence of what at or after from; the end of the text
  // when there is none.
  std::size_t After(std::string_view what, std::size_t from) const {
    const std::size_t at = Text.find(what, from);
    return at == kNone ? Text.size() : at + what.size();
  }

  void CountItem() {
    if (++Items > MaxXmlItems) {
      throw Exception("The XML file holds more than " + std::to_string(MaxXmlItems) +
                      " elements and attributes.");
    }
  }

  TXMLNode& AddChild(TXMLNode& parent) {
    CountItem();
    return parent.AddChild();
  }

  void SkipComments() {
    for (;;) {
      const std::size_t open = Text.find('<', Pos);
      if (open == kNone || !At(open, kCommentOpen)) return;
      Pos = After(kCommentClose, open + kCommentOpen.size());
    }
  }

  // Takes one tag from the text: its name and attributes go to node, and an element that
  // has content waits on the stack for ParseContent.
  void ParseElement(TXMLNode& node) {
    if (const std::size_t open = Text.find('<', Pos); open != kNone) Pos = open + 1;
    std::string_view tag;
    if (const std::size_t close = Text.find('>', Pos); close != kNone) {
      tag = Text.substr(Pos, close - Pos);
      Pos = close + 1;
    } else {
      // An unclosed tag runs to the end of the text; the last byte stands where ">" would.
      tag = Text.substr(Pos, Text.size() - Pos);
      if (!tag.empty()) tag.remove_suffix(1);
      Pos = Text.size();
    }
    bool hasContent = true;
    if (!tag.empty() && (tag.back() == '/' || tag.back() == '?' || tag.front() == '!')) {
      hasContent = false;
      tag.remove_suffix(1);
    }
    std::size_t nameEnd = 0;
    while (nameEnd < tag.size() && !IsTagBlank(tag[nameEnd])) ++nameEnd;
    node.Name.assign(tag.substr(0, nameEnd));
    ParseAttributes(Trim(tag.substr(nameEnd)), node.Attributes);
    if (hasContent) Open.push_back(&node);
  }

  // name=value pieces separated by blanks. A value in quotes or apostrophes runs to the
  // matching one, blanks included; others end at a blank. A piece without "=" names an
  // attribute with an empty value. Blanks around "=" are allowed.
  void ParseAttributes(std::string_view text, TXMLAttributes& attributes) {
    // Built only for a long list, and per element, so that its size never carries over.
    TAttributeIndex index;
    std::size_t i = 0;
    auto skipBlanks = [&] {
      while (i < text.size() && IsTagBlank(text[i])) ++i;
    };
    for (skipBlanks(); i < text.size(); skipBlanks()) {
      const std::size_t nameStart = i;
      while (i < text.size() && text[i] != '=' && !IsTagBlank(text[i])) ++i;
      const std::string_view name = text.substr(nameStart, i - nameStart);
      std::string_view value;
      skipBlanks();
      if (i < text.size() && text[i] == '=') {
        ++i;
        skipBlanks();
        if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
          const std::size_t close = text.find(text[i], i + 1);
          const std::size_t end = close == kNone ? text.size() : close;
          value = text.substr(i + 1, end - i - 1);
          i = close == kNone ? text.size() : close + 1;
        } else {
          const std::size_t valueStart = i;
          while (i < text.size() && !IsTagBlank(text[i])) ++i;
          value = text.substr(valueStart, i - valueStart);
        }
      }
      SetAttribute(attributes, index, name, TagText(value));
    }
  }

  void SetAttribute(TXMLAttributes& attributes, TAttributeIndex& index, std::string_view name,
                    std::string value) {
    auto& items = attributes.Items;
    if (items.size() < kLinearAttributeLookup) {
      const std::size_t before = items.size();
      TXMLValue& slot = attributes.Attribute(name);
      if (items.size() != before) CountItem();
      slot.SetString(std::move(value));
      return;
    }
    if (index.empty()) {
      for (std::size_t i = 0; i < items.size(); ++i) index.emplace(UpperCase(items[i]->Name), i);
    }
    auto [entry, added] = index.try_emplace(UpperCase(name), items.size());
    if (!added) {
      items[entry->second]->Value.SetString(std::move(value));
      return;
    }
    CountItem();
    items.push_back(std::make_unique<TXMLAttributes::TItem>(
        TXMLAttributes::TItem{std::string(name), TXMLValue(std::move(value))}));
  }

  // Reads the content of the elements on the stack until it is empty: text pieces, CDATA
  // sections, comments and child elements, up to each element's closing tag.
  void ParseContent() {
    while (!Open.empty()) {
      TXMLNode& node = *Open.back();
      const std::size_t open = Text.find('<', Pos);
      // Without a further tag the text's last byte is left over and the element ends.
      std::size_t pieceEnd = open;
      if (open == kNone) pieceEnd = Pos < Text.size() ? Text.size() - 1 : Text.size();
      const std::string_view piece = Text.substr(Pos, pieceEnd - Pos);
      if (!Trim(piece).empty()) node.Value.Text.append(piece);
      Pos = pieceEnd;
      if (open == kNone) {
        CheckUnclosed(node);
        Open.pop_back();
      } else if (At(open, kCDataOpen)) {
        const std::size_t start = open + kCDataOpen.size();
        const std::size_t end = Text.find(kCDataClose, start);
        node.Value.Text.push_back(' ');
        node.Value.Text.append(Text.substr(start, (end == kNone ? Text.size() : end) - start));
        Pos = end == kNone ? Text.size() : end + kCDataClose.size();
      } else if (At(open, "</")) {
        Pos = After(">", open);
        CheckClosingTag(node, Text.substr(open + 2, Pos - open - 3));
        Open.pop_back();
      } else if (At(open, kCommentOpen)) {
        Pos = After(kCommentClose, open + kCommentOpen.size());
      } else {
        ParseElement(AddChild(node));
      }
    }
  }

  std::string_view Text;
  TXmlTags Tags;
  std::size_t Pos = 0;
  std::size_t Items = 0;
  std::vector<TXMLNode*> Open;
};

// ---- nodes -----------------------------------------------------------------------------------

TXMLNode::~TXMLNode() {
  DestroyChildren();
}

void TXMLNode::DestroyChildren() noexcept {
  // Each node is taken out of the tree with its children moved to the pending list first,
  // so no destructor below finds anything to destroy in turn.
  std::vector<std::unique_ptr<TXMLNode>> pending = std::move(Children);
  Children.clear();
  while (!pending.empty()) {
    std::unique_ptr<TXMLNode> node = std::move(pending.back());
    pending.pop_back();
    for (auto& child : node->Children) pending.push_back(std::move(child));
    node->Children.clear();
  }
}

void TXMLNode::LoadFromFile(const std::string& path, TXmlTags tags) {
  LoadFromString(ReadWholeFile(path), tags);
}

void TXMLNode::LoadFromString(std::string_view text, TXmlTags tags) {
  Clear();
  try {
    TXMLParser(text, tags).ParseDocument(*this);
  } catch (...) {
    Clear();
    throw;
  }
}

void TXMLNode::Clear() {
  Name.clear();
  Value.Text.clear();
  Attributes.Clear();
  DestroyChildren();
}

TXMLNode& TXMLNode::AddChild() {
  Children.push_back(std::make_unique<TXMLNode>());
  return *Children.back();
}

const TXMLNode* TXMLNode::ChildByName(std::string_view name) const {
  for (const auto& child : Children) {
    if (EqualsNoCase(child->Name, name)) return child.get();
  }
  return nullptr;
}

TXMLNode* TXMLNode::ChildByName(std::string_view name) {
  return const_cast<TXMLNode*>(std::as_const(*this).ChildByName(name));
}

const TXMLNode& TXMLNode::FindChild(std::string_view name) const {
  const TXMLNode* child = ChildByName(name);
  if (child == nullptr) RaiseNodeNotFound(name);
  return *child;
}

TXMLNode& TXMLNode::FindChild(std::string_view name) {
  return const_cast<TXMLNode&>(std::as_const(*this).FindChild(name));
}

const TXMLNode& TXMLNode::FindPath(std::initializer_list<std::string_view> names) const {
  const TXMLNode* node = this;
  for (std::string_view name : names) node = &node->FindChild(name);
  return *node;
}

TXMLNode& TXMLNode::FindPath(std::initializer_list<std::string_view> names) {
  return const_cast<TXMLNode&>(std::as_const(*this).FindPath(names));
}

// ---- entities --------------------------------------------------------------------------------

namespace {

struct TEntity {
  std::string_view Text;
  char Character;
};
constexpr TEntity kEntities[] = {
    {"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&apos;", '\''}, {"&quot;", '"'}};

// The byte of a numeric character reference "&#65;" or "&#x41;" at the front of text, with
// the reference's length; false when it is not one or lies outside 8 bits.
bool NumericReference(std::string_view text, char& character, std::size_t& length) {
  if (!text.starts_with("&#")) return false;
  std::size_t i = 2;
  int base = 10;
  if (i < text.size() && (text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  }
  const std::size_t digitsStart = i;
  unsigned value = 0;
  for (; i < text.size() && text[i] != ';'; ++i) {
    const char c = ToUpperAscii(text[i]);
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return false;
    value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    if (value > 255) return false;
  }
  if (i == text.size() || i == digitsStart) return false;
  character = static_cast<char>(value);
  length = i + 1;
  return true;
}

}  // namespace

std::string XmlUnescape(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t amp = text.find('&', i);
    result.append(text.substr(i, (amp == kNone ? text.size() : amp) - i));
    if (amp == kNone) break;
    const std::string_view rest = text.substr(amp);
    std::size_t length = 1;
    char character = '&';
    for (const TEntity& entity : kEntities) {
      if (rest.starts_with(entity.Text)) {
        character = entity.Character;
        length = entity.Text.size();
      }
    }
    if (length == 1) NumericReference(rest, character, length);
    result.push_back(character);
    i = amp + length;
  }
  return result;
}

std::string XmlEscape(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    const TEntity* match = nullptr;
    for (const TEntity& entity : kEntities) {
      if (entity.Character == c) match = &entity;
    }
    if (match != nullptr) {
      result.append(match->Text);
    } else {
      result.push_back(c);
    }
  }
  return result;
}

}  // namespace vorn
