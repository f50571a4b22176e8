// ASC CDL: the decision read from its XML file, the 33-node grid built from it, detection,
// the real files of the corpus and OpenColorIO's ociobakelut as a second implementation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/TextFile.h"
#include "core/TextTools.h"
#include "formats/CDLLib.h"
#include "formats/FormatToolkit.h"
#include "formats/XMLNode.h"
#include "platform/Exception.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

constexpr int kNodes = 33;

int AscCdl() {
  return IndexOfFormat("ASC CDL");
}

std::string Correction(const std::string& slope, const std::string& offset,
                       const std::string& power, const std::string& more = "",
                       const std::string& idAttribute = " id=\"t\"") {
  return "<ColorCorrection" + idAttribute + ">\n  <SOPNode>\n    <Slope>" + slope +
         "</Slope>\n    <Offset>" + offset + "</Offset>\n    <Power>" + power +
         "</Power>\n  </SOPNode>\n" + more + "</ColorCorrection>\n";
}

std::string Saturation(const std::string& value) {
  return "  <SATNode>\n    <Saturation>" + value + "</Saturation>\n  </SATNode>\n";
}

float In(int index) {
  return static_cast<float>(index) / 32.0f;
}

TRGB Apply(const TCDLData& cdl, int r, int g, int b) {
  float out[3];
  ApplyCDL(cdl, In(r), In(g), In(b), out[0], out[1], out[2]);
  return {out[0], out[1], out[2]};
}

template <typename Check>
void ForEachNode(Check check) {
  for (int r = 0; r < kNodes; ++r)
    for (int g = 0; g < kNodes; ++g)
      for (int b = 0; b < kNodes; ++b) check(r, g, b);
}

// Loads through detection and checks that ASC CDL took the file.
void LoadDetected(const std::string& path, TLUT& lut) {
  LoadLut(path, lut, -1);
  ASSERT_EQ(lut.FormatIndex, AscCdl()) << path;
  ASSERT_EQ(lut.Kind, lk3D);
  ASSERT_EQ(lut.Size3D, kNodes);
}

struct LoadCase {
  const char* What;
  std::string Text;
  std::function<void(const TLUT&)> Check;
};

TEST(AscCdl, FilesGiveTheirGrids) {
  const auto identity = [](const TLUT& lut) {
    ForEachNode([&](int r, int g, int b) {
      ASSERT_EQ(lut.GetNode(r, g, b), (TRGB{r / 32.0, g / 32.0, b / 32.0})) << r << g << b;
    });
  };
  const std::vector<LoadCase> cases = {
      {"slope 1, offset 0, power 1 and no SATNode give the identity",
       Correction("1 1 1", "0 0 0", "1 1 1"),
       [&](const TLUT& lut) {
         identity(lut);
         EXPECT_EQ(lut.Comments, std::vector<std::string>{"Name: t"});
       }},
      {"commas and tabs separate numbers too, a CDATA text and a SATNode without Saturation "
       "read as usual",
       Correction("<![CDATA[1,1,1]]>", "0\t0\t0", " 1 1 1 ", "<SatNode><x/></SatNode>", ""),
       [&](const TLUT& lut) {
         identity(lut);
         EXPECT_EQ(lut.Comments, std::vector<std::string>{"Name: "});
       }},
      {"saturation 0 gives the plain average of the three channels",
       Correction("1 1 1", "0 0 0", "1 1 1", Saturation("0")),
       [](const TLUT& lut) {
         EXPECT_EQ(lut.GetNode(32, 0, 0), (TRGB{1.0f / 3.0f, 1.0f / 3.0f, 1.0f / 3.0f}));
         EXPECT_EQ(lut.GetNode(0, 0, 32), lut.GetNode(32, 0, 0));  // not a weighted luma
       }},
      {"saturation 0 makes every node grey",
       Correction("0.5 1 2", "0.1 0 -0.2", "1 2 0.5", Saturation("0")),
       [](const TLUT& lut) {
         TCDLData sop;
         sop.Channels = {{{0.5f, 0.1f, 1.0f}, {1.0f, 0.0f, 2.0f}, {2.0f, -0.2f, 0.5f}}};
         ForEachNode([&](int r, int g, int b) {
           const TRGB node = lut.GetNode(r, g, b);
           const TRGB powered = Apply(sop, r, g, b);
           const float sum = static_cast<float>(powered.R) + static_cast<float>(powered.G) +
                             static_cast<float>(powered.B);
           ASSERT_EQ(node.R, sum / 3.0f);
           ASSERT_EQ(node.G, node.R);
           ASSERT_EQ(node.B, node.R);
         });
       }},
      {"an offset of -0.1 maps every input up to 0.1 to 0",
       Correction("1 1 1", "-0.1 -0.1 -0.1", "2 1 0.5"),
       [](const TLUT& lut) {
         for (int i = 0; i <= 3; ++i) EXPECT_EQ(lut.GetNode(i, i, i), (TRGB{0, 0, 0})) << i;
         const TRGB four = lut.GetNode(4, 4, 4);
         EXPECT_NEAR(four.R, 0.025 * 0.025, 1e-8);
         EXPECT_NEAR(four.B, std::sqrt(0.025), 1e-7);
       }},
      {"nothing is clamped: a negative saturation and a steep slope leave [0, 1]",
       Correction("2,1,1", "0 0 0", "1 1 1", Saturation("-1")),
       [](const TLUT& lut) {
         const TRGB red = lut.GetNode(32, 0, 0);  // (2, 0, 0) before the saturation
         EXPECT_NEAR(red.R, -2.0 + 2.0 * 2.0 / 3.0, 1e-6);
         EXPECT_NEAR(red.G, 2.0 * 2.0 / 3.0, 1e-6);
       }},
      {"a decimal comma in the saturation",
       Correction("1 1 1", "0 0 0", "1 1 1", Saturation(" 0,5 ")),
       [](const TLUT& lut) { EXPECT_NEAR(lut.GetNode(32, 0, 0).R, 0.5 + 0.5 / 3.0, 1e-7); }},
  };
  test::TempDir dir;
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.What);
    TLUT lut;
    LoadDetected(dir.Write("case.cc", c.Text), lut);
    c.Check(lut);
  }
}

TEST(AscCdl, BadFilesFailWithTheirMessages) {
  struct Case {
    std::string Text;
    const char* Message;
  };
  const std::string sop = "<SOPNode><Slope>1 1 1</Slope><Offset>0 0 0</Offset></SOPNode>";
  const std::vector<Case> cases = {
      {"<ColorCorrections><SOPNode/></ColorCorrections>",
       "The \"ColorCorrection\" node is not found"},
      {"<ColorCorrection><SatNode/></ColorCorrection>", "The \"SOPNode\" node is not found"},
      {"<ColorCorrection>" + sop + "</ColorCorrection>", "The \"Power\" node is not found"},
      {"<ColorCorrection><SOPNode><Offset/><Power/></SOPNode></ColorCorrection>",
       "The \"Slope\" node is not found"},
      {Correction("1  1 1", "0 0 0", "1 1 1"), "'' is not a valid floating point value"},
      {Correction("1 1 1", "0 a 0", "1 1 1"), "'a' is not a valid floating point value"},
      {Correction("1 1 1", "0 0 0", "1 1 1 1"), "'1 1' is not a valid floating point value"},
      {Correction("1 1", "0 0 0", "1 1 1"), "'' is not a valid floating point value"},
      {Correction("1,5 1 1", "0 0 0", "1 1 1"), "'1 1' is not a valid floating point value"},
      {Correction("1e39 1 1", "0 0 0", "1 1 1"), "'1e39' is not a valid floating point value"},
      {Correction("1 1 1", "0 0 0", "1 1 1", Saturation("high")),
       "'high' is not a valid floating point value"},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    const std::string path = dir.Write("bad.cc", c.Text);
    TLUT lut;
    lut.FormatIndex = 0;
    try {
      LoadLut(path, lut, AscCdl());
      ADD_FAILURE() << "accepted: " << c.Text;
    } catch (const Exception& e) {
      EXPECT_STREQ(e.what(), c.Message) << c.Text;
    }
    EXPECT_EQ(lut.FormatIndex, 0) << c.Text;
  }
  TLUT lut;
  EXPECT_THROW(LoadLut(dir.File("missing.cc"), lut, AscCdl()), EFileError);
}

TEST(AscCdl, DetectionWantsOneCorrectionWithASOPNode) {
  struct Case {
    std::string Text;
    bool Detected;
  };
  const std::string plain = Correction("1 1 1", "0 0 0", "1 1 1");
  const std::vector<Case> cases = {
      {plain, true},
      {"<?xml version=\"1.0\"?>\n<colorcorrection><sopnode><slope>1 1 1</slope></sopnode>", true},
      {"<ColorCorrectionCollection>" + plain + "</ColorCorrectionCollection>", true},
      {"<ColorDecisionList><ColorDecision><ColorCorrection><SatNode/>", true},
      {"<ColorCorrectionCollections>" + plain, true},
      {"<ColorCorrectionCollections><SatNode/>", false},
      {"<ColorCorrection id=\"x\"><SatNode/></ColorCorrection>", false},
      {"<ColorCorrection id=\"x\"><ASC_SOP/><SATNode><Saturation>0.5</Saturation></SATNode>", true},
      {std::string(4096, ' ') + plain, false},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    const std::string path = dir.Write("d.cc", c.Text);
    EXPECT_EQ(DetectFormat(path) == AscCdl(), c.Detected) << c.Text.substr(0, 80);
  }
}

// Lists and collections made here: which correction a choice takes, and the comments that
// name them all.
TEST(AscCdl, ListsAndCollectionsLoadTheChosenCorrection) {
  const std::string a = Correction("1.1 1 1", "0 0 0", "1 1 1", "", " id=\"a\"");
  const std::string b = Correction("1 0.5 1", "0 0.1 0", "1 1 2", Saturation("0.5"), " id=\"b\"");
  const std::string bare = Correction("0.7 0.8 0.9", "0 0 0", "1 1 1", "", "");
  const std::string satOnly = "<ColorCorrection id=\"s\">" + Saturation("0") + "</ColorCorrection>";
  auto collection = [](const std::string& items) {
    return "<ColorCorrectionCollection>" + items + "</ColorCorrectionCollection>";
  };
  auto list = [](std::initializer_list<std::string> decisions) {
    std::string text = "<ColorDecisionList>";
    for (const std::string& d : decisions) text += "<ColorDecision>" + d + "</ColorDecision>";
    return text + "</ColorDecisionList>";
  };
  const std::string refB = "<ColorCorrectionRef ref=\"b\"/>";
  struct Case {
    std::string Text;
    std::string Id;  // the choice
    int Index;
    const char* Taken;  // the correction taken, by its text above; null: refused
    std::vector<std::string> Comments = {};
  };
  const std::vector<Case> cases = {
      {collection(a), "", 0, "a", {"Name: a"}},
      {collection(a + b + bare),
       "",
       0,
       "a",
       {"Name: a", "Correction 1 of 3: id a (loaded)", "Correction 2 of 3: id b",
        "Correction 3 of 3: no id"}},
      {collection(a + b + bare), "b", 0, "b"},
      {collection(a + b + bare), "", 3, "bare"},
      {collection(a + b + bare), "3", 3, "bare"},
      {collection(a + b + bare), "c", 0, nullptr},
      {collection(a + b + bare), "", 4, nullptr},
      {list({a, b}), "b", 0, "b"},
      {list({bare, satOnly}), "", 2, "s"},
      // A reference takes the named correction's values and id.
      {list({refB, b}),
       "",
       1,
       "b",
       {"Name: b", "Correction 1 of 2: id b (loaded)", "Correction 2 of 2: id b"}},
      {list({"<ColorCorrectionRef ref=\"z\"/>", a}), "", 0, nullptr},
      {list({a, b}), "1", 1, "a"},
  };
  const std::map<std::string, std::string> texts = {
      {"a", a}, {"b", b}, {"bare", bare}, {"s", satOnly}};
  test::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text.substr(0, 120) + " / " + c.Id + " " + std::to_string(c.Index));
    const TLutMemberChoice choice{c.Id, c.Index};
    const std::string path = dir.Write("list.cdl", c.Text);
    TLUT lut;
    if (c.Taken == nullptr) {
      EXPECT_THROW(LoadLut(path, lut, -1, -1, choice), ELUTError);
      continue;
    }
    LoadDetected(path, lut);  // the first, by detection
    LoadLut(path, lut, -1, -1, choice);
    TCDLData expected;
    ReadCDLFile(dir.Write("one.cc", texts.at(c.Taken)), expected);
    ForEachNode([&](int r, int g, int b) {
      ASSERT_EQ(lut.GetNode(r, g, b), Apply(expected, r, g, b)) << r << " " << g << " " << b;
    });
    if (!c.Comments.empty()) {
      EXPECT_EQ(lut.Comments, c.Comments);
    }
  }
}

TEST(AscCdl, ReadOnly) {
  const TLUTFormat* format = GetFormat(AscCdl());
  ASSERT_NE(format, nullptr);
  EXPECT_EQ(format->Name, "ASC CDL");
  EXPECT_TRUE(format->Is3D);
  EXPECT_TRUE(format->CanRead());
  EXPECT_FALSE(format->CanWrite());
  test::TempDir dir;
  TLUT lut;
  lut.Kind = lk3D;
  lut.Size3D = 2;
  EXPECT_THROW(format->Save(dir.File("out.cc"), lut, 10), Exception);
  EXPECT_FALSE(FileExists(dir.File("out.cc")));
  for (const auto& profile : OutputProfiles()) EXPECT_NE(profile->FormatIndex, AscCdl());
}

// ---- the corpus ----------------------------------------------------------------------------

#define REQUIRE_CORPUS()                        \
  const std::string corpus = test::CorpusDir(); \
  if (corpus.empty()) GTEST_SKIP() << "the shared corpus folder is not there"

struct CorpusDecision {
  const char* File;
  const char* Id;
  TCDLChannel Red, Green, Blue;
  float Saturation;
};

// Slope, offset, power and saturation as the files write them (by path below the corpus).
const std::vector<CorpusDecision> kCorpusDecisions = {
    {"ocio/cdl_test1.cc", "foo", {1.1f, 2.1f, 3.1f}, {1.2f, 2.2f, 3.2f}, {1.3f, 2.3f, 3.3f}, 0.7f},
    {"ocio/cdl_test2.cc",
     "cc0001",
     {1.0f, -0.03f, 1.25f},
     {1.0f, -0.02f, 1.0f},
     {0.9f, 0.0f, 1.0f},
     1.7f},
    {"ocio/cdl_test_SATNode.cc",
     "foo",
     {1.1f, 2.1f, 3.1f},
     {1.2f, 2.2f, 3.2f},
     {1.3f, 2.3f, 3.3f},
     0.42f},
    // Its slope, offset and power stand in an ASC_SOP element (the name of the ALE and EDL
    // comments, not of the XML), which OpenColorIO passes over: identities.
    {"ocio-pipeline/cdl_test_ASC_SOP.cc", "foo", {}, {}, {}, 0.42f},
};

TEST(AscCdlCorpus, CorrectionsLoadThroughDetection) {
  REQUIRE_CORPUS();
  for (const CorpusDecision& d : kCorpusDecisions) {
    SCOPED_TRACE(d.File);
    const std::string path = corpus + "/" + d.File;
    TCDLData cdl;
    ReadCDLFile(path, cdl);
    EXPECT_EQ(cdl.Id, d.Id);
    const TCDLChannel expected[3] = {d.Red, d.Green, d.Blue};
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(cdl.Channels[c].Slope, expected[c].Slope) << c;
      EXPECT_EQ(cdl.Channels[c].Offset, expected[c].Offset) << c;
      EXPECT_EQ(cdl.Channels[c].Power, expected[c].Power) << c;
    }
    EXPECT_EQ(cdl.Saturation, d.Saturation);

    TLUT lut;
    LoadDetected(path, lut);
    EXPECT_EQ(lut.Comments, std::vector<std::string>{std::string("Name: ") + d.Id});
    ForEachNode([&](int r, int g, int b) {
      ASSERT_EQ(lut.GetNode(r, g, b), Apply(cdl, r, g, b)) << r << " " << g << " " << b;
    });
  }
}

// Every ASC CDL file of the corpus that OpenColorIO reads loads, each of its corrections.
TEST(AscCdlCorpus, ListsAndCollectionsLoadEveryCorrection) {
  REQUIRE_CORPUS();
  struct Case {
    const char* File;
    std::vector<std::string> Ids;
  };
  const std::vector<std::string> five = {"cc0001", "cc0002", "cc0003", "", ""};
  const std::vector<Case> cases = {
      {"ocio/cdl_test1.ccc", five},
      {"ocio/cdl_test1.cdl", five},
      {"ocio-pipeline/cdl_test1.ccc", five},
      {"ocio-pipeline/cdl_test1.cdl", five},
      {"ocio-pipeline/cdl_test_cc_file_with_extension.ccc", {""}},
      {"ocio-pipeline/cdl_test_cc_file_with_extension.cdl", {""}},
      {"ocio-pipeline/cdl_test_ASC_SAT.cc", {"foo"}},
      // Its slope, offset and power stand in an element of another name, which OpenColorIO
      // passes over with a warning: a correction of its saturation alone.
      {"ocio-pipeline/cdl_test_ASC_SOP.cc", {"foo"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.File);
    const std::string path = corpus + "/" + c.File;
    std::vector<std::string> ids;
    for (const TLutMember& member : ListLutMembers(path)) ids.push_back(member.Id);
    EXPECT_EQ(ids, c.Ids);
    const std::vector<TCDLData> corrections = ReadCDLCorrections(path);
    for (int index = 1; index <= static_cast<int>(ids.size()); ++index) {
      TLUT lut;
      LoadLut(path, lut, -1, -1, {.Index = index});
      ASSERT_EQ(lut.FormatIndex, AscCdl());
      EXPECT_EQ(lut.GetNode(7, 20, 31), Apply(corrections[index - 1], 7, 20, 31)) << index;
    }
  }
}

// ---- OpenColorIO as a second implementation ------------------------------------------------
//
// ociobakelut bakes a CDL into a 33-node cube, so its nodes sit at the same inputs as ours.
// The two differ in two documented ways, and the comparisons account for both:
// - where slope x in + offset is not above 0, OpenColorIO (whose CDL from .cc files and the
//   command line does not clamp) passes that value through unchanged, while ours gives 0
//   before the power. So ours must equal max(OpenColorIO, 0).
// - OpenColorIO's saturation weights the channels with Rec. 709 luma; ours takes their
//   plain average. Its saturation keeps that luma, so baking the file followed by --sat 1/s
//   undoes it exactly; our saturation is then applied to OpenColorIO's result.
// Both bake in 32-bit floats and print 6 decimals: inside [0, 1] the results agree to 1e-5,
// and outside it to 1e-5 of the value.

struct OracleGrid {
  int Size1D = 0;  // ociobakelut writes a channel-independent transform as a 1D table
  int Size3D = 0;
  std::vector<TRGB> Values;

  TRGB At(int r, int g, int b) const {
    if (Size3D > 0) return Values[r + Size3D * (g + Size3D * b)];  // red fastest
    return {Values[r].R, Values[g].G, Values[b].B};
  }
};

OracleGrid Bake(std::vector<std::string> transform) {
  std::vector<std::string> args = {"ociobakelut"};
  args.insert(args.end(), transform.begin(), transform.end());
  for (const char* option : {"--format", "resolve_cube", "--cubesize", "33", "--stdout"}) {
    args.push_back(option);
  }
  const test::TProgramResult result = test::RunProgram(args);
  OracleGrid grid;
  if (result.Status != 0) {
    ADD_FAILURE() << "ociobakelut failed with status " << result.Status;
    return grid;
  }
  TTextFile text;
  text.SetText(result.Out);
  for (std::size_t i = 0; i < text.Count(); ++i) {
    std::string_view line = Trim(text[i]);
    if (line.starts_with("LUT_1D_SIZE")) grid.Size1D = std::stoi(std::string(line.substr(11)));
    if (line.starts_with("LUT_3D_SIZE")) grid.Size3D = std::stoi(std::string(line.substr(11)));
    TRGB v;
    if (ParseFloatTriple(line, v.R, v.G, v.B)) grid.Values.push_back(v);
  }
  const bool oneD = grid.Size3D == 0 && grid.Size1D == kNodes &&
                    grid.Values.size() == static_cast<std::size_t>(kNodes);
  const bool threeD = grid.Size1D == 0 && grid.Size3D == kNodes &&
                      grid.Values.size() == static_cast<std::size_t>(kNodes * kNodes * kNodes);
  if (oneD || threeD) return grid;
  ADD_FAILURE() << "unexpected ociobakelut output:\n" << result.Out.substr(0, 200);
  return OracleGrid();
}

double PlainSaturation(double c, const TRGB& v, double saturation) {
  return c * saturation + (1.0 - saturation) * (v.R + v.G + v.B) / 3.0;
}

// Compares every node and counts those whose values all lie inside [0, 1].
int CompareWithOracle(const TLUT& lut, const OracleGrid& oracle, double saturation) {
  if (oracle.Values.empty()) return 0;
  int inside = 0;
  ForEachNode([&](int r, int g, int b) {
    TRGB sop = oracle.At(r, g, b);
    sop = {std::max(sop.R, 0.0), std::max(sop.G, 0.0), std::max(sop.B, 0.0)};
    const TRGB expected = {PlainSaturation(sop.R, sop, saturation),
                           PlainSaturation(sop.G, sop, saturation),
                           PlainSaturation(sop.B, sop, saturation)};
    const TRGB ours = lut.GetNode(r, g, b);
    bool allInside = true;
    for (auto [e, o] : {std::pair{expected.R, ours.R}, std::pair{expected.G, ours.G},
                        std::pair{expected.B, ours.B}}) {
      allInside = allInside && o >= 0.0 && o <= 1.0;
      ASSERT_NEAR(o, e, 1e-5 * std::max(1.0, std::fabs(e))) << r << " " << g << " " << b;
    }
    inside += allInside ? 1 : 0;
  });
  return inside;
}

constexpr const char* kNoOcio = "ociobakelut (opencolorio-tools) is not installed";

TEST(AscCdlOracle, SlopeOffsetPowerAgreeWithOpenColorIO) {
  if (!test::HasProgram("ociobakelut")) GTEST_SKIP() << kNoOcio;
  struct Case {
    std::vector<std::string> Slope, Offset, Power;
    bool MostlyInside;  // most nodes lie inside [0, 1]
  };
  const std::vector<Case> cases = {
      {{"1.0", "1.0", "0.9"}, {"-0.03", "-0.02", "0"}, {"1.25", "1", "1"}, true},
      {{"0.8", "1.1", "1.3"}, {"-0.05", "0.02", "-0.1"}, {"1.2", "0.9", "1.0"}, true},
      {{"1.5", "0.6", "0.7"}, {"0.1", "-0.2", "0.05"}, {"0.45", "2.2", "1.0"}, true},
      {{"1.1", "1.2", "1.3"}, {"2.1", "2.2", "2.3"}, {"3.1", "3.2", "3.3"}, false},
  };
  test::TempDir dir;
  for (const Case& c : cases) {
    auto join = [](const std::vector<std::string>& v) { return v[0] + " " + v[1] + " " + v[2]; };
    SCOPED_TRACE(join(c.Slope) + " / " + join(c.Offset) + " / " + join(c.Power));
    const std::string path =
        dir.Write("sop.cc", Correction(join(c.Slope), join(c.Offset), join(c.Power)));
    TLUT lut;
    LoadDetected(path, lut);
    std::vector<std::string> options = {"--slope"};
    options.insert(options.end(), c.Slope.begin(), c.Slope.end());
    options.push_back("--offset");
    options.insert(options.end(), c.Offset.begin(), c.Offset.end());
    options.push_back("--power");
    options.insert(options.end(), c.Power.begin(), c.Power.end());
    options.insert(options.end(), {"--sat", "1"});
    for (const auto& transform : {std::vector<std::string>{"--lut", path}, options}) {
      const int inside = CompareWithOracle(lut, Bake(transform), 1.0);
      if (c.MostlyInside) {
        EXPECT_GT(inside, kNodes * kNodes * kNodes / 2);
      }
    }
  }
}

TEST(AscCdlOracle, CorpusCorrectionsWithSaturationAgreeWithOpenColorIO) {
  REQUIRE_CORPUS();
  if (!test::HasProgram("ociobakelut")) GTEST_SKIP() << kNoOcio;
  for (const CorpusDecision& d : kCorpusDecisions) {
    SCOPED_TRACE(d.File);
    const std::string path = corpus + "/" + d.File;
    TLUT lut;
    LoadDetected(path, lut);
    char undo[32];
    std::snprintf(undo, sizeof undo, "%.9g", 1.0 / d.Saturation);
    CompareWithOracle(lut, Bake({"--lut", path, "--sat", undo}), d.Saturation);
  }
}

// Each correction of the corpus's collection and list, chosen by id here and by --cccid in
// OpenColorIO (its saturation undone as above).
TEST(AscCdlOracle, CorrectionsOfListsAndCollectionsAgreeWithOpenColorIO) {
  REQUIRE_CORPUS();
  if (!test::HasProgram("ociobakelut")) GTEST_SKIP() << kNoOcio;
  for (const char* file : {"cdl_test1.ccc", "cdl_test1.cdl"}) {
    const std::string path = corpus + "/ocio/" + file;
    for (const char* id : {"cc0001", "cc0002", "cc0003"}) {
      SCOPED_TRACE(std::string(file) + " " + id);
      TLUT lut;
      LoadLut(path, lut, -1, -1, {.Id = id});
      TCDLData cdl;
      const std::vector<TCDLData> all = ReadCDLCorrections(path);
      for (const TCDLData& c : all) {
        if (c.Id == id) cdl = c;
      }
      char undo[32];
      std::snprintf(undo, sizeof undo, "%.9g", 1.0 / cdl.Saturation);
      CompareWithOracle(lut, Bake({"--cccid", id, "--lut", path, "--sat", undo}), cdl.Saturation);
    }
  }
}

}  // namespace
}  // namespace vorn
