// Process lists (.clf, .ctf): which lists load as tables and grids, which are sampled, what
// each node's bit depths do to the values, what is refused and how, and the writer.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "formats/FormatToolkit.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

constexpr const char* kClfName = "Academy/ASC Common LUT Format";

std::string Clf(const std::string& nodes) {
  return "<?xml version=\"1.0\"?>\n<ProcessList id=\"t\" compCLFversion=\"3\">\n" + nodes +
         "</ProcessList>\n";
}

std::string Ctf(const std::string& nodes) {
  return "<?xml version=\"1.0\"?>\n<ProcessList id=\"t\" version=\"2\">\n" + nodes +
         "</ProcessList>\n";
}

const std::string kMatrix8To16 =
    "<Matrix inBitDepth=\"8i\" outBitDepth=\"16i\"><Array dim=\"3 3\">"
    "257 0 0 0 257 0 0 0 128.5</Array></Matrix>\n";
const std::string kLut1D10i =
    "<LUT1D inBitDepth=\"10i\" outBitDepth=\"10i\"><Array dim=\"3 1\">0 1023 511.5</Array>"
    "</LUT1D>\n";
const std::string kLut3D2 =
    "<LUT3D inBitDepth=\"10i\" outBitDepth=\"12i\"><Array dim=\"2 2 2 3\">"
    "0 0 0  0 0 4095  0 4095 0  0 4095 4095  4095 0 0  4095 0 4095  4095 4095 0  4095 4095 4095"
    "</Array></LUT3D>\n";

// One list, its kind and size once loaded, and the output for one input.
struct TLoadCase {
  const char* Name;
  std::string Text;
  TLutKind Kind;
  int Size;
  TRGB In;
  TRGB Out;
};

TEST(ClfFormat, ListsLoadAsTablesGridsOrSampledGrids) {
  const std::vector<TLoadCase> cases = {
      {"a LUT1D, values over its output depth",
       Clf(kLut1D10i),
       lk1D,
       3,
       {0.75, 0.5, 1.0},
       {0.75, 1.0, 0.5}},
      {"a LUT3D, values over 12 bits", Clf(kLut3D2), lk3D, 2, {1, 0, 1}, {1, 0, 1}},
      {"a LUT1D then a LUT3D",
       Clf(kLut1D10i + kLut3D2),
       lk1DAnd3D,
       2,
       {1.0, 0.0, 0.5},
       {0.5, 0.0, 1.0}},
      {"a matrix from 8 to 16 bits",
       Clf(kMatrix8To16),
       lk3D,
       kDefaultSampleSize,
       {0.5, 1.0, 1.0},
       {0.5, 1.0, 0.5}},
      {"a clamping range",
       Clf("<Range inBitDepth=\"32f\" outBitDepth=\"32f\"><minInValue>0.25"
           "</minInValue><maxInValue>0.75</maxInValue><minOutValue>0"
           "</minOutValue><maxOutValue>1</maxOutValue></Range>\n"),
       lk3D,
       kDefaultSampleSize,
       {0.5, 0.0, 1.0},
       {0.5, 0.0, 1.0}},
      {"a CTF Gamma, the older Exponent",
       Ctf("<Gamma inBitDepth=\"32f\" outBitDepth=\"32f\" style=\"basicFwd\">"
           "<GammaParams gamma=\"2\"/></Gamma>\n"),
       lk3D,
       kDefaultSampleSize,
       {0.5, 0.25, 1.0},
       {0.25, 0.0625, 1.0}},
      {"a CTF Dither is passed over",
       Ctf("<Dither inBitDepth=\"32f\" outBitDepth=\"32f\"/>\n" +
           std::string("<LUT1D inBitDepth=\"32f\" outBitDepth=\"32f\"><Array dim=\"2 1\">1 0"
                       "</Array></LUT1D>\n")),
       lk1D,
       2,
       {0.25, 0.5, 1.0},
       {0.75, 0.5, 0.0}},
      {"a two-point index map is the table's domain",
       "<ProcessList id=\"t\" compCLFversion=\"2.0\"><LUT1D inBitDepth=\"10i\" "
       "outBitDepth=\"10i\"><IndexMap dim=\"2\">0@0 511.5@1</IndexMap><Array dim=\"2 1\">0 1023"
       "</Array></LUT1D></ProcessList>",
       lk1D,
       2,
       {0.25, 0.5, 1.0},
       {0.5, 1.0, 1.0}},
  };
  test::TempDir dir;
  for (const TLoadCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string path = dir.Write("case.clf", c.Text);
    ASSERT_EQ(DetectFormat(path), IndexOfFormat(kClfName));
    auto lut = std::make_unique<TLUT>();
    LoadLut(path, *lut);
    ASSERT_EQ(lut->Kind, c.Kind);
    EXPECT_EQ(c.Kind == lk1D ? lut->Size1D : lut->Size3D, c.Size);
    const TRGB out = lut->Evaluate(c.In);
    EXPECT_NEAR(out.R, c.Out.R, 1e-9);
    EXPECT_NEAR(out.G, c.Out.G, 1e-9);
    EXPECT_NEAR(out.B, c.Out.B, 1e-9);
  }
}

TEST(ClfFormat, CommentsKeepTheDescriptionsAndSayHowAListWasSampled) {
  test::TempDir dir;
  const std::string path = dir.Write(
      "m.clf", Clf("<Description>a &amp; b</Description><InputDescriptor>XYZ</InputDescriptor>\n" +
                   kMatrix8To16));
  TLoadContext context;
  context.SampleSize = 9;
  TLUT lut;
  GetFormat(IndexOfFormat(kClfName))->Load(path, lut, context);
  EXPECT_EQ(lut.Size3D, 9);
  const std::vector<std::string> expected = {
      "id: t", "Description: a & b", "InputDescriptor: XYZ",
      "Sampled onto a 9-node grid from the 1-node process list: Matrix (8i to 16i)"};
  EXPECT_EQ(lut.Comments, expected);
}

// A list this reader cannot take: the message names the problem.
struct TRefusedCase {
  const char* Name;
  std::string Text;
  const char* Message;
};

TEST(ClfFormat, RefusedListsNameTheirProblem) {
  const std::vector<TRefusedCase> cases = {
      {"depths that do not chain", Clf(kLut1D10i + kMatrix8To16),
       "The Matrix node's inBitDepth 8i differs from the outBitDepth 10i of the node before it."},
      {"a CTF node that changes colours unevaluated",
       Ctf("<ExposureContrast inBitDepth=\"32f\" outBitDepth=\"32f\" style=\"linear\"/>"),
       "The ExposureContrast node changes colours in a way this converter does not evaluate."},
      {"a CTF-only node in a CLF file", Clf("<Gamma inBitDepth=\"32f\" outBitDepth=\"32f\"/>"),
       "The ProcessList holds an element \"Gamma\" that is not a node of the format."},
      {"a closing tag of another element",
       "<ProcessList id=\"t\" compCLFversion=\"3\"><Matrix></ProcessList>",
       "The file is not well-formed XML: The closing tag </ProcessList> does not close the "
       "element \"Matrix\"."},
      {"a grid of unequal sides",
       Clf("<LUT3D inBitDepth=\"32f\" outBitDepth=\"32f\"><Array dim=\"2 3 2 3\"/></LUT3D>"),
       "The Array dim \"2 3 2 3\" does not fit a LUT3D node."},
      {"a newer version", "<ProcessList id=\"t\" compCLFversion=\"4\"></ProcessList>",
       "The compCLFversion \"4\" is newer than CLF 3."},
      {"a list without nodes", Clf("<Description>none</Description>"),
       "The ProcessList holds no node that changes colours."},
  };
  test::TempDir dir;
  for (const TRefusedCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string path = dir.Write("bad.clf", c.Text);
    TLUT lut;
    try {
      LoadLut(path, lut, IndexOfFormat(kClfName));
      ADD_FAILURE() << "loaded";
    } catch (const ELUTError& error) {
      EXPECT_STREQ(error.what(), c.Message);
    }
  }
}

// What the writer puts out for each kind and domain, read back by this reader.
TEST(ClfFormat, TheWriterKeepsEveryKindAndDomain) {
  test::TempDir dir;
  auto source = std::make_unique<TLUT>();
  source->Kind = lk1DAnd3D;
  source->Size1D = 5;
  source->Size3D = 3;
  source->TableDomain = {{-0.5, -0.5, -0.5}, {2, 2, 2}};
  source->GridDomain = {{0, 0.1, 0}, {1, 0.9, 2}};
  for (int i = 0; i < 5; ++i) source->SetEntry(i, {i / 4.0, i * i / 16.0, 1 - i / 4.0});
  for (int r = 0; r < 3; ++r)
    for (int g = 0; g < 3; ++g)
      for (int b = 0; b < 3; ++b) source->SetNode(r, g, b, {b / 2.0, g / 2.0 + 0.1, r * 0.3});
  source->Comments = {"a <comment> & more"};
  const std::string path = dir.File("w.clf");
  SaveLut(path, *source, test::ProfileNamed(kClfName), -1);
  const std::string text = test::ReadFile(path);
  EXPECT_NE(text.find("<Description>a &lt;comment&gt; &amp; more</Description>"),
            std::string::npos);
  EXPECT_NE(text.find("<Range"), std::string::npos);   // the table's one domain
  EXPECT_NE(text.find("<Matrix"), std::string::npos);  // the grid's domain per channel
  if (test::HasProgram("xmllint")) {
    const std::string schema = std::string(VORN_SOURCE_DIR) + "/tests/data/ClfProcessList.xsd";
    EXPECT_EQ(test::RunProgram({"xmllint", "--noout", "--schema", schema, path}).Status, 0);
  }
  auto loaded = std::make_unique<TLUT>();
  LoadLut(path, *loaded);
  EXPECT_EQ(loaded->Kind, lk3D);  // domain nodes make the list one to evaluate
  for (const TRGB in : {TRGB{0, 0, 0}, TRGB{0.3, 0.6, 0.9}, TRGB{1, 0.5, 0.25}}) {
    const TRGB a = source->Evaluate(in);
    const TRGB b = loaded->Evaluate(in);
    EXPECT_NEAR(a.R, b.R, 0.02);
    EXPECT_NEAR(a.G, b.G, 0.02);
    EXPECT_NEAR(a.B, b.B, 0.02);
  }
  source->TableDomain = {};
  source->GridDomain = {};
  SaveLut(path, *source, test::ProfileNamed(kClfName), -1);
  LoadLut(path, *loaded);
  ASSERT_EQ(loaded->Kind, lk1DAnd3D);
  EXPECT_EQ(loaded->Size1D, 5);
  EXPECT_EQ(loaded->Size3D, 3);
  EXPECT_NEAR(loaded->GetEntry(3).G, 9 / 16.0, 1e-8);
  EXPECT_NEAR(loaded->GetNode(2, 1, 0).B, 0.6, 1e-8);
}

}  // namespace
}  // namespace vorn
