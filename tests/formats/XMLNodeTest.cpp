// The XML reader: a table of documents, odd and hostile ones included, each with the tree
// it must give; lookups, numeric views, very deep and very large input.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "formats/XMLNode.h"
#include "platform/Exception.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

// A node as one line: name ("~" when empty), [attributes], 'text', (children).
std::string Dump(const TXMLNode& node) {
  std::string out = node.Name.empty() ? "~" : node.Name;
  if (node.Attributes.Count() > 0) {
    out += "[";
    for (std::size_t i = 0; i < node.Attributes.Count(); ++i) {
      if (i > 0) out += ",";
      out += node.Attributes.Name(i) + "=" + node.Attributes.Value(i).AsString();
    }
    out += "]";
  }
  if (!node.Value.AsString().empty()) out += "'" + node.Value.AsString() + "'";
  if (node.ChildCount() > 0) {
    out += "(";
    for (std::size_t i = 0; i < node.ChildCount(); ++i) {
      if (i > 0) out += " ";
      out += Dump(node.Child(i));
    }
    out += ")";
  }
  return out;
}

std::string DumpDocument(std::string_view text) {
  TXMLNode document;
  document.LoadFromString(text);
  std::string out;
  for (std::size_t i = 0; i < document.ChildCount(); ++i) {
    if (i > 0) out += " ";
    out += Dump(document.Child(i));
  }
  return out;
}

struct DocumentCase {
  const char* What;
  std::string Text;
  std::string Tree;
};

TEST(XMLNode, DocumentsGiveTheirTrees) {
  const std::vector<DocumentCase> cases = {
      {"declaration and nested elements", "<?xml version=\"1.0\"?>\n<lut><data>1 2</data></lut>\n",
       "?xml[version=1.0] lut(data'1 2')"},
      {"declaration with several attributes",
       "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>",
       "?xml[version=1.0,encoding=UTF-8,standalone=yes]"},
      {"double quotes, apostrophes, no quotes", "<a r=\"512\" g='512' b=512/>",
       "a[r=512,g=512,b=512]"},
      {"quoted values keep their blanks", "<LUT3D name='My Look' N=\"17\"></LUT3D>",
       "LUT3D[name=My Look,N=17]"},
      {"tabs, line breaks and blanks around =", "<a\tN = '1'\r\n  b=\"2\"\n/>", "a[N=1,b=2]"},
      {"line break inside a quoted value", "<a t='x\ny'/>", "a[t=x y]"},
      {"attribute without a value, duplicate names", "<a flag x=\"1\" X=\"2\"/>", "a[flag=,x=2]"},
      {"unclosed quote runs to the end of the tag", "<a b=\"1 2/>", "a[b=1 2]"},
      {"CDATA gives a blank and its content", "<Slope><![CDATA[1 1 1]]></Slope>", "Slope' 1 1 1'"},
      {"CDATA after text", "<a>x<![CDATA[<b>]]>y</a>", "a'x <b>y'"},
      {"text around children is joined", "<a>x<b/>y<c>z</c>w</a>", "a'xyw'(b c'z')"},
      {"blank pieces are dropped, others kept as written", "<a>\n  <b> 1 2 </b>\n</a>",
       "a(b' 1 2 ')"},
      {"line breaks inside a text are kept", "<v>1 2 3\r\n4 5 6\n</v>", "v'1 2 3\r\n4 5 6\n'"},
      {"comments are skipped wherever they stand",
       "<!-- a --><!-- b --><a><!-- x --><b/>t<!-- y --></a><!-- end -->", "a't'(b)"},
      {"a comment before a closing tag makes no node", "<a><b>1</b><!-- c --></a><c/>",
       "a(b'1') c"},
      {"a comment may hold tags", "<a><!-- <b>x</b> --></a>", "a"},
      {"closing tag names are not checked", "<a><b>1</c>2</a>", "a'2'(b'1')"},
      {"an unbalanced closing tag ends the inner element", "<a><b>1</a><c/>", "a(b'1' c)"},
      {"entities are not decoded", "<a t=\"&amp;\">&lt;</a>", "a[t=&amp;]'&lt;'"},
      {"<!...> and <?...?> tags are childless and lose their last byte, as <.../> its slash",
       "<!DOCTYPE lut><?pi x?><lut/>", "!DOCTYPE[lu=] ?pi[x=] lut"},
      {"bytes before the first tag are dropped", "\xEF\xBB\xBFjunk<a/>", "a"},
      {"text after the last element makes no node", "<a/>\ntrailing text\n", "a"},
      {"several top-level elements", "<a/> <b/>", "a b"},
      {"an empty tag is a nameless element", "<a><>t</a>", "a(~'t')"},
      {"empty text", "", ""},
      {"text without tags", "no tags here", ""},
      // Truncated and hostile input.
      {"a lone <", "<", "~"},
      {"a lone >", ">", ""},
      {"unclosed tag", "<abc", "ab"},
      {"unclosed tag with an attribute", "<a b=\"1\"", "a[b=1]"},
      {"unclosed element loses the last byte of its text", "<a>hello", "a'hell'"},
      {"unclosed nested elements", "<a><b>xy", "a(b'x')"},
      {"unclosed comment", "<a>x<!-- open", "a'x'"},
      {"unclosed comment at the top", "<!-- open <a>", ""},
      {"unclosed CDATA runs to the end", "<a><![CDATA[1 2", "a' 1 2'"},
      {"unclosed closing tag", "<a>1</a", "a'1'"},
      {"a NUL byte is an ordinary byte",
       std::string("<a>1\0"
                   "2</a>",
                   10),
       std::string("a'1\0"
                   "2'",
                   6)},
  };
  for (const DocumentCase& c : cases) EXPECT_EQ(DumpDocument(c.Text), c.Tree) << c.What;
}

TEST(XMLNode, FindChildIgnoresCaseAndNamesTheMissingStep) {
  TXMLNode document;
  document.LoadFromString("<LUT><Data><elem r='1'/><ELEM r='2'/></Data></LUT>");
  EXPECT_EQ(&document.FindChild("lut"), &document.Child(0));
  EXPECT_EQ(document.FindPath({"lut", "DATA", "elem"}).Attributes.Attribute("R").AsInteger(), 1);
  EXPECT_TRUE(document.HasChild("Lut"));
  EXPECT_FALSE(document.HasChild("data"));  // only direct children count
  EXPECT_EQ(document.ChildByName("data"), nullptr);
  const TXMLNode& constDocument = document;
  EXPECT_EQ(constDocument.FindPath({"LUT", "data"}).ChildCount(), 2u);
  for (auto lookup : {+[](TXMLNode& d) { d.FindChild("SOPNode"); },
                      +[](TXMLNode& d) {
                        d.FindPath({"lut", "SOPNode", "Slope"});
                      }}) {
    try {
      lookup(document);
      FAIL() << "a missing element was found";
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), "The \"SOPNode\" node is not found");
    }
  }
}

TEST(XMLNode, AnAbsentAttributeReadsEmptyAndIsCreated) {
  TXMLNode document;
  document.LoadFromString("<LUT3D N='17'/>");
  TXMLAttributes& attributes = document.FindChild("lut3d").Attributes;
  TXMLValue& n = attributes.Attribute("n");
  EXPECT_EQ(attributes.Find("bitdepth"), nullptr);
  EXPECT_EQ(attributes.Attribute("BitDepth").AsString(), "");
  EXPECT_EQ(attributes.Attribute("BitDepth").AsInteger(), 0);
  EXPECT_EQ(attributes.Count(), 2u);
  EXPECT_EQ(n.AsInteger(), 17);  // still valid after the list grew
  attributes.Clear();
  EXPECT_EQ(attributes.Count(), 0u);
}

TEST(XMLValue, NumericViews) {
  struct Case {
    const char* Text;
    double Float;
    std::int64_t Integer;
  };
  for (const Case& c : {Case{"0.5", 0.5, 0}, Case{"0,5", 0.5, 0}, Case{" 1.5\n", 1.5, 2},
                        Case{"2.5", 2.5, 2}, Case{"-2.5", -2.5, -2}, Case{"17.0", 17.0, 17},
                        Case{"", 0.0, 0}, Case{" \t ", 0.0, 0}, Case{"1e3", 1000.0, 1000},
                        Case{"-1,25", -1.25, -1}, Case{"+3", 3.0, 3}, Case{".5", 0.5, 0}}) {
    TXMLValue value(c.Text);
    EXPECT_DOUBLE_EQ(value.AsFloat(), c.Float) << c.Text;
    EXPECT_EQ(value.AsInteger(), c.Integer) << c.Text;
  }
  EXPECT_EQ(TXMLValue("1e30").AsInteger(), std::numeric_limits<std::int64_t>::max());
  for (const char* bad : {"abc", "1.5,2", "1,5,2", "1 2", "nan", "inf", "0x10", "1.5."}) {
    EXPECT_THROW(TXMLValue(bad).AsFloat(), EConvertError) << bad;
    EXPECT_THROW(TXMLValue(bad).AsInteger(), EConvertError) << bad;
  }
  try {
    TXMLValue(" 12a ").AsFloat();
    FAIL() << "12a was read as a number";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'12a' is not a valid floating point value");
  }
  TXMLValue value;
  value.SetString("4,75");
  EXPECT_EQ(value.AsString(), "4,75");
  EXPECT_EQ(value.AsInteger(), 5);
}

// The depth of the leftmost path, walked without recursion.
std::size_t Depth(const TXMLNode& document) {
  std::size_t depth = 0;
  for (const TXMLNode* node = &document; node->ChildCount() > 0; node = &node->Child(0)) ++depth;
  return depth;
}

TEST(XMLNode, VeryDeepNestingNeitherRecursesNorLosesAnything) {
  constexpr std::size_t kDepth = 100000;
  std::string text;
  for (std::size_t i = 0; i < kDepth; ++i) text += "<a>";
  text += "bottom";
  for (std::size_t i = 0; i < kDepth; ++i) text += "</a>";
  text += "<b/>";
  TXMLNode document;
  document.LoadFromString(text);
  EXPECT_EQ(Depth(document), kDepth);
  ASSERT_EQ(document.ChildCount(), 2u);
  EXPECT_EQ(document.Child(1).Name, "b");
  const TXMLNode* bottom = &document;
  while (bottom->ChildCount() > 0) bottom = &bottom->Child(0);
  EXPECT_EQ(bottom->Value.AsString(), "bottom");

  // Unclosed, and replaced by a second load into the same node.
  document.LoadFromString(text.substr(0, kDepth * 3));
  EXPECT_EQ(Depth(document), kDepth);
  document.LoadFromString("<c/>");
  EXPECT_EQ(Depth(document), 1u);
}

TEST(XMLNode, HugeInputIsRefusedWithAMessageOnceItHoldsTooManyItems) {
  std::string text = "<a>";
  while (text.size() < (100u << 20)) text += text;  // 3 x 2^26 bytes: 192 MiB
  TXMLNode document;
  try {
    document.LoadFromString(text);
    FAIL() << "a 200 MB document of open tags was accepted";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "The XML file holds more than 1000000 elements and attributes.");
  }
  EXPECT_EQ(document.ChildCount(), 0u);

  // Many attributes in one tag count as well; their duplicates are found all the same.
  std::string attributes = "<a";
  for (int i = 0; i < 1000; ++i)
    attributes += " x" + std::to_string(i % 500) + "=" + std::to_string(i);
  document.LoadFromString(attributes + "/>");
  const TXMLAttributes& list = document.Child(0).Attributes;
  ASSERT_EQ(list.Count(), 500u);
  EXPECT_EQ(list.Name(499), "x499");
  EXPECT_EQ(list.Value(499).AsString(), "999");
  EXPECT_EQ(document.Child(0).Attributes.Find("X17")->AsString(), "517");
}

TEST(XMLNode, TheLargestOneDimensionalTableFitsTheItemLimit) {
  // 100001 entries of three attributes each: the largest table an element-per-entry
  // format can hold.
  constexpr int kEntries = 100001;
  std::string text = "<lut><data>\n";
  for (int i = 0; i < kEntries; ++i) {
    text += "<elem r=\"" + std::to_string(i % 1024) + "\" g=\"1\" b=\"2\"/>\n";
  }
  text += "</data></lut>";
  TXMLNode document;
  document.LoadFromString(text);
  const TXMLNode& data = document.FindPath({"lut", "data"});
  ASSERT_EQ(data.ChildCount(), static_cast<std::size_t>(kEntries));
  EXPECT_EQ(data.Child(kEntries - 1).Attributes.Find("r")->AsInteger(), (kEntries - 1) % 1024);
}

TEST(XMLNode, LoadFromFileReadsBytesAsTheyAreAndReportsAMissingFile) {
  test::TempDir dir;
  const std::string path = dir.Write("a.xml", "\xEF\xBB\xBF<a t='\xE9'>\xFF</a>");
  TXMLNode document;
  document.LoadFromFile(path);
  EXPECT_EQ(Dump(document.Child(0)), "a[t=\xE9]'\xFF'");
  EXPECT_THROW(document.LoadFromFile(dir.File("missing.xml")), EFileError);
}

TEST(XMLNode, AddChildBuildsATree) {
  TXMLNode root;
  TXMLNode& first = root.AddChild();
  first.Name = "first";
  root.AddChild().Name = "second";
  first.AddChild().Name = "inner";
  EXPECT_EQ(Dump(root), "~(first(inner) second)");
  root.Clear();
  EXPECT_EQ(root.ChildCount(), 0u);
}

TEST(XmlEscape, EscapedTextReadsBackThroughXmlUnescape) {
  for (const char* text : {"plain", "Look's", "A&B <1> \"q\"", "&amp; stays &amp;", ""}) {
    const std::string escaped = XmlEscape(text);
    EXPECT_EQ(escaped.find_first_of("<>\"'"), std::string::npos) << text;
    EXPECT_EQ(XmlUnescape(escaped), text);
  }
  EXPECT_EQ(XmlUnescape("&#65;&#x42;&#X63;"), "ABc");
  // Unknown, unterminated or too large references stay as written.
  for (const char* kept : {"&nbsp;", "&#;", "&#x;", "&#300;", "&#65", "& x", "&"}) {
    EXPECT_EQ(XmlUnescape(kept), kept);
  }
}

// libxml2 as a second reader: our escaping keeps documents well-formed, and what we read
// from a well-formed document agrees with what xmllint reads.
TEST(XmlEscape, XmllintAgrees) {
  if (!test::HasProgram("xmllint")) GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
  test::TempDir dir;
  const std::string name = "Bob's <cut> & \"grade\"";
  const std::string path =
      dir.Write("e.xml", "<LUT3D name='" + XmlEscape(name) + "' N=\"17\">" + "<values>" +
                             XmlEscape(name) + "</values></LUT3D>\n");
  EXPECT_EQ(test::RunProgram({"xmllint", "--noout", path}).Status, 0);
  auto attribute = test::RunProgram({"xmllint", "--xpath", "string(/LUT3D/@name)", path});
  ASSERT_EQ(attribute.Status, 0);
  if (attribute.Out.ends_with('\n')) attribute.Out.pop_back();
  EXPECT_EQ(attribute.Out, name);
  TXMLNode document;
  document.LoadFromFile(path);
  EXPECT_EQ(XmlUnescape(document.FindChild("LUT3D").Attributes.Attribute("name").AsString()), name);
  EXPECT_EQ(XmlUnescape(document.FindPath({"LUT3D", "values"}).Value.AsString()), name);
}

}  // namespace
}  // namespace vorn

namespace vorn {
namespace {

// With checked tags a document whose closing tags do not match is refused with the names,
// and a well-formed one reads as the lenient reader reads it.
TEST(XMLNode, CheckedTagsRefuseWhatTheLenientReaderTakes) {
  struct TCase {
    const char* Text;
    const char* Message;  // empty: read
  };
  const TCase cases[] = {
      {"<?xml version='1.0'?><a><b x='1'/><c>text</c></a>", ""},
      {"<a><b></a>", "The closing tag </a> does not close the element \"b\"."},
      {"<a><b></b>", "The element \"a\" has no closing tag."},
      {"<a></A >", ""},  // names compare without case, as lookups do
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text);
    TXMLNode lenient;
    lenient.LoadFromString(c.Text);
    EXPECT_GT(lenient.ChildCount(), 0u);
    TXMLNode checked;
    try {
      checked.LoadFromString(c.Text, TXmlTags::Checked);
      EXPECT_STREQ(c.Message, "");
      EXPECT_EQ(checked.ChildCount(), lenient.ChildCount());
    } catch (const Exception& error) {
      EXPECT_STREQ(error.what(), c.Message);
      EXPECT_EQ(checked.ChildCount(), 0u);
    }
  }
}

}  // namespace
}  // namespace vorn
