// libFuzzer target for the XML reader: every input is parsed as a document, the tree is
// walked without recursion, every text and attribute is read as a number, and every name
// is looked up again. Besides crashes, leaks, hangs and sanitizer reports it stops on what
// the reader must never do: a name holding a blank, a lookup by a node's own name that
// finds no node of that name, an absent attribute that does not read as 0.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "core/TextTools.h"
#include "formats/XMLNode.h"
#include "platform/Exception.h"

namespace {

bool HasBlank(std::string_view name) {
  return name.find_first_of(" \t\r\n") != std::string_view::npos;
}

void ReadNumber(const vorn::TXMLValue& value) {
  try {
    (void)value.AsInteger();
  } catch (const vorn::EConvertError&) {
  }
}

void Check(vorn::TXMLNode& node) {
  ReadNumber(node.Value);
  for (std::size_t i = 0; i < node.Attributes.Count(); ++i) {
    const std::string& name = node.Attributes.Name(i);
    if (HasBlank(name) || name.find('=') != std::string::npos) std::abort();
    ReadNumber(node.Attributes.Value(i));
    if (node.Attributes.Find(vorn::UpperCase(name)) == nullptr) std::abort();
  }
  for (std::size_t i = 0; i < node.ChildCount(); ++i) {
    const std::string& name = node.Child(i).Name;
    if (HasBlank(name)) std::abort();
    const vorn::TXMLNode& found = node.FindChild(vorn::UpperCase(name));
    if (vorn::UpperCase(found.Name) != vorn::UpperCase(name)) std::abort();
  }
  // Absent names raise; an absent attribute reads as an empty text.
  try {
    node.FindPath({"lut", "data"});
  } catch (const vorn::Exception&) {
  }
  if (node.Attributes.Find("absent") == nullptr &&
      node.Attributes.Attribute("absent").AsInteger() != 0) {
    std::abort();
  }
  (void)vorn::XmlUnescape(node.Value.AsString());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  vorn::TXMLNode document;
  // With its tags checked the reader refuses what it would otherwise take, and nothing else.
  bool checkedRefused = false;
  try {
    document.LoadFromString(text, vorn::TXmlTags::Checked);
  } catch (const vorn::Exception&) {
    checkedRefused = true;
  }
  try {
    document.LoadFromString(text);
  } catch (const vorn::Exception&) {
    if (!checkedRefused) std::abort();  // the lenient reader refused what the checked took
    return 0;                           // a document too large for the reader
  }
  std::vector<vorn::TXMLNode*> pending = {&document};
  while (!pending.empty()) {
    vorn::TXMLNode* node = pending.back();
    pending.pop_back();
    Check(*node);
    for (std::size_t i = 0; i < node->ChildCount(); ++i) pending.push_back(&node->Child(i));
  }
  return 0;
}
