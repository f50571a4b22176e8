// The colour operators of process lists against OpenColorIO: each case is one process node
// written to a file of its own, evaluated by ociochecklut at every input of the case and by
// the operator the same parameters make. Then what OpenColorIO cannot judge (the rules for
// invalid parameters, flat parts of inverted tables, style names, grids) and the Imageworks
// matrix files against ociobakelut.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "formats/ColourOperators.h"
#include "formats/FormatToolkit.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

std::string Number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

bool PeerColour(const std::string& path, const TRGB& in, TRGB& out) {
  const test::TProgramResult result =
      test::RunProgram({"ociochecklut", path, Number(in.R), Number(in.G), Number(in.B)});
  return result.Status == 0 &&
         std::sscanf(result.Out.c_str(), "%lf %lf %lf", &out.R, &out.G, &out.B) == 3;
}

// OpenColorIO computes in single precision and prints 7 digits: 1e-5 of the value, and
// 1e-6 absolute where the value is near 0.
void ExpectNearPeer(double ours, double peer, const char* channel) {
  EXPECT_NEAR(ours, peer, std::max(1e-5 * std::fabs(peer), 1e-6)) << channel;
}

std::string ProcessList(const std::string& node, bool ctf) {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") +
         (ctf ? "<ProcessList id=\"case\" version=\"1.7\">\n"
              : "<ProcessList compCLFversion=\"3\" id=\"case\">\n") +
         node + "\n</ProcessList>\n";
}

struct TPeerCase {
  std::string Name;
  std::string Node;  // one process node of a Common LUT Format file (CTF when Ctf is set)
  std::function<TColourOperatorPtr()> Make;
  std::vector<TRGB> Inputs;
  bool Ctf = false;
};

void ExpectPeerAgrees(const std::vector<TPeerCase>& cases) {
  if (!test::HasProgram("ociochecklut")) GTEST_SKIP() << "ociochecklut is not installed";
  test::TempDir dir;
  for (const TPeerCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string path = dir.Write(c.Ctf ? "case.ctf" : "case.clf", ProcessList(c.Node, c.Ctf));
    const TColourOperatorPtr op = c.Make();
    for (const TRGB& in : c.Inputs) {
      SCOPED_TRACE(Number(in.R) + " " + Number(in.G) + " " + Number(in.B));
      TRGB peer;
      ASSERT_TRUE(PeerColour(path, in, peer));
      const TRGB ours = op->Apply(in);
      ExpectNearPeer(ours.R, peer.R, "R");
      ExpectNearPeer(ours.G, peer.G, "G");
      ExpectNearPeer(ours.B, peer.B, "B");
    }
  }
}

// Every value in every channel: (v0 v1 v2), (v1 v2 v3), ... around the list.
std::vector<TRGB> Rotations(const std::vector<double>& v) {
  std::vector<TRGB> inputs;
  for (std::size_t i = 0; i < v.size(); ++i) {
    inputs.push_back({v[i], v[(i + 1) % v.size()], v[(i + 2) % v.size()]});
  }
  return inputs;
}

// Colours of every order of the three channels (each of a grid cell's six tetrahedra).
const std::vector<TRGB> kColours = {{0, 0, 0},        {1, 1, 1},         {0.18, 0.5, 0.9},
                                    {-0.2, 0.4, 1.3}, {0.9, 0.05, 0.5},  {2, -1, 0.5},
                                    {0.5, 0.5, 0.5},  {0.02, 0.97, 0.3}, {0.4, 0.05, 0.3},
                                    {0.05, 0.3, 0.4}, {0.3, 0.4, 0.05}};

TEST(ColourOperatorsPeer, MatricesOf3x3And3x4) {
  const TMatrixParams plain{{0.9, 0.1, 0.05, -0.2, 1.1, 0.1, 0.01, 0.02, 0.97}, {}};
  const TMatrixParams offset{{1.2, -0.1, 0, 0.05, 0.8, 0.15, 0, 0, 1.5}, {0.1, -0.05, 0.2}};
  ExpectPeerAgrees({
      {"3x3",
       R"(<Matrix inBitDepth="32f" outBitDepth="32f"><Array dim="3 3">
          0.9 0.1 0.05  -0.2 1.1 0.1  0.01 0.02 0.97</Array></Matrix>)",
       [&] { return MakeMatrixOperator(plain); }, kColours},
      {"3x4",
       R"(<Matrix inBitDepth="32f" outBitDepth="32f"><Array dim="3 4">
          1.2 -0.1 0 0.1  0.05 0.8 0.15 -0.05  0 0 1.5 0.2</Array></Matrix>)",
       [&] { return MakeMatrixOperator(offset); }, kColours},
  });
}

std::string RangeNode(const char* style, const std::string& values) {
  return std::string("<Range inBitDepth=\"32f\" outBitDepth=\"32f\"") + style + ">" + values +
         "</Range>";
}

TEST(ColourOperatorsPeer, RangesOfEveryShape) {
  const std::string four =
      "<minInValue>0.1</minInValue><maxInValue>0.9</maxInValue>"
      "<minOutValue>0.2</minOutValue><maxOutValue>0.5</maxOutValue>";
  const std::vector<TRGB> inputs = Rotations({-1, 0, 0.1, 0.25, 0.5, 0.75, 0.9, 1, 2});
  ExpectPeerAgrees({
      {"all four, clamped", RangeNode("", four),
       [] {
         return MakeRangeOperator({0.1, 0.9, 0.2, 0.5, true});
       },
       inputs},
      {"all four, noClamp", RangeNode(" style=\"noClamp\"", four),
       [] {
         return MakeRangeOperator({0.1, 0.9, 0.2, 0.5, false});
       },
       inputs},
      {"minimum only",
       RangeNode("", "<minInValue>0.25</minInValue><minOutValue>0.25</minOutValue>"),
       [] {
         return MakeRangeOperator({0.25, {}, 0.25, {}, true});
       },
       inputs},
      {"maximum only",
       RangeNode("", "<maxInValue>0.75</maxInValue><maxOutValue>0.75</maxOutValue>"),
       [] {
         return MakeRangeOperator({{}, 0.75, {}, 0.75, true});
       },
       inputs},
  });
}

std::string LogNode(const char* style, const std::string& params = {}) {
  return std::string("<Log inBitDepth=\"32f\" outBitDepth=\"32f\" style=\"") + style + "\">" +
         params + "</Log>";
}

std::function<TColourOperatorPtr()> Log(TLogStyle style, const TLogChannelParams& p) {
  return [=] { return MakeLogOperator(style, {p, p, p}); };
}

TEST(ColourOperatorsPeer, LogsOfEveryStyle) {
  const TLogChannelParams cineon{10, 0.29325513196, 0.66959921799, 0.98920224838, 0.01079775162};
  const std::string cineonXml =
      R"(<LogParams base="10" logSideSlope="0.29325513196" logSideOffset="0.66959921799"
         linSideSlope="0.98920224838" linSideOffset="0.01079775162"/>)";
  const TLogChannelParams cct{2, 0.05707762557, 0.5547945205, 1, 0, 0.0078125, {}};
  const std::string cctXml =
      R"(<LogParams logSideSlope="0.05707762557" logSideOffset="0.5547945205"
         linSideBreak="0.0078125"/>)";
  const TLogChannelParams sl3{10,      0.25562072336, 0.41055718475, 5.26315789474, 0.05263157895,
                              0.01125, 6.62194371178};
  const std::string sl3Xml =
      R"(<LogParams base="10" logSideSlope="0.25562072336" logSideOffset="0.41055718475"
         linSideSlope="5.26315789474" linSideOffset="0.05263157895" linSideBreak="0.01125"
         linearSlope="6.62194371178"/>)";
  const std::array<TLogChannelParams, 3> perChannel{TLogChannelParams{8, 0.3, 0.6, 0.9, 0.05},
                                                    TLogChannelParams{8, 0.25, 0.4, 5, 0.05},
                                                    TLogChannelParams{8, 0.28, 0.5, 2, 0.1}};
  const std::string perChannelXml =
      R"(<LogParams channel="R" base="8" logSideSlope="0.3" logSideOffset="0.6" linSideSlope="0.9" linSideOffset="0.05"/>
         <LogParams channel="G" base="8" logSideSlope="0.25" logSideOffset="0.4" linSideSlope="5" linSideOffset="0.05"/>
         <LogParams channel="B" base="8" logSideSlope="0.28" logSideOffset="0.5" linSideSlope="2" linSideOffset="0.1"/>)";
  const std::vector<TRGB> linear = Rotations({-1, 0, 0.001, 0.0078125, 0.01125, 0.18, 1, 2, 100});
  const std::vector<TRGB> logs = Rotations({-0.5, 0, 0.0929, 0.155251141552511, 0.5, 1, 1.4});
  ExpectPeerAgrees({
      {"log10", LogNode("log10"), Log(TLogStyle::Log10, {}), linear},
      {"log2", LogNode("log2"), Log(TLogStyle::Log2, {}), linear},
      {"antiLog10", LogNode("antiLog10"), Log(TLogStyle::AntiLog10, {}), logs},
      {"antiLog2", LogNode("antiLog2"), Log(TLogStyle::AntiLog2, {}), logs},
      {"linToLog", LogNode("linToLog", cineonXml), Log(TLogStyle::LinToLog, cineon), linear},
      {"logToLin", LogNode("logToLin", cineonXml), Log(TLogStyle::LogToLin, cineon), logs},
      {"linToLog per channel", LogNode("linToLog", perChannelXml),
       [&] { return MakeLogOperator(TLogStyle::LinToLog, perChannel); }, linear},
      {"cameraLinToLog, slope worked out", LogNode("cameraLinToLog", cctXml),
       Log(TLogStyle::CameraLinToLog, cct), linear},
      {"cameraLogToLin, slope worked out", LogNode("cameraLogToLin", cctXml),
       Log(TLogStyle::CameraLogToLin, cct), logs},
      {"cameraLinToLog, slope given", LogNode("cameraLinToLog", sl3Xml),
       Log(TLogStyle::CameraLinToLog, sl3), linear},
      {"cameraLogToLin, slope given", LogNode("cameraLogToLin", sl3Xml),
       Log(TLogStyle::CameraLogToLin, sl3), logs},
  });
}

std::string ExponentNode(const char* style, const std::string& params) {
  return std::string("<Exponent inBitDepth=\"32f\" outBitDepth=\"32f\" style=\"") + style + "\">" +
         params + "</Exponent>";
}

std::function<TColourOperatorPtr()> Exponent(TExponentStyle style, double exponent,
                                             double offset = 0) {
  return [=] {
    return MakeExponentOperator(style,
                                {{{exponent, offset}, {exponent, offset}, {exponent, offset}}});
  };
}

TEST(ColourOperatorsPeer, ExponentsOfEveryStyle) {
  using S = TExponentStyle;
  const std::string basic = R"(<ExponentParams exponent="2.2"/>)";
  // Rec. 709 (break 0.081 forward, 0.018 reverse), sRGB (0.04045, 0.0031308) and CIE L*.
  const std::string rec709 = R"(<ExponentParams exponent="2.2222222222222222" offset="0.099"/>)";
  const std::string srgb = R"(<ExponentParams exponent="2.4" offset="0.055"/>)";
  const std::string lstar = R"(<ExponentParams exponent="3" offset="0.16"/>)";
  const std::vector<TRGB> inputs =
      Rotations({-1.5, -0.5, -0.05, 0, 0.0031308, 0.018, 0.04045, 0.081, 0.5, 1, 1.5});
  const std::array<TExponentChannelParams, 3> perChannel{
      TExponentChannelParams{2.4}, TExponentChannelParams{2.35}, TExponentChannelParams{2.2}};
  ExpectPeerAgrees({
      {"basicFwd", ExponentNode("basicFwd", basic), Exponent(S::BasicFwd, 2.2), inputs},
      {"basicRev per channel", ExponentNode("basicRev", R"(
          <ExponentParams channel="R" exponent="2.4"/><ExponentParams channel="G" exponent="2.35"/>
          <ExponentParams channel="B" exponent="2.2"/>)"),
       [&] { return MakeExponentOperator(S::BasicRev, perChannel); }, inputs},
      {"basicMirrorFwd", ExponentNode("basicMirrorFwd", basic), Exponent(S::BasicMirrorFwd, 2.2),
       inputs},
      {"basicMirrorRev", ExponentNode("basicMirrorRev", basic), Exponent(S::BasicMirrorRev, 2.2),
       inputs},
      {"basicPassThruFwd", ExponentNode("basicPassThruFwd", basic),
       Exponent(S::BasicPassThruFwd, 2.2), inputs},
      {"basicPassThruRev", ExponentNode("basicPassThruRev", basic),
       Exponent(S::BasicPassThruRev, 2.2), inputs},
      {"monCurveFwd", ExponentNode("monCurveFwd", rec709),
       Exponent(S::MonCurveFwd, 2.2222222222222222, 0.099), inputs},
      {"monCurveRev", ExponentNode("monCurveRev", srgb), Exponent(S::MonCurveRev, 2.4, 0.055),
       inputs},
      {"monCurveMirrorFwd", ExponentNode("monCurveMirrorFwd", lstar),
       Exponent(S::MonCurveMirrorFwd, 3, 0.16), inputs},
      {"monCurveMirrorRev", ExponentNode("monCurveMirrorRev", lstar),
       Exponent(S::MonCurveMirrorRev, 3, 0.16), inputs},
      {"monCurveFwd of exponent 1 is the identity",
       ExponentNode("monCurveFwd", R"(<ExponentParams exponent="1" offset="0"/>)"),
       Exponent(S::MonCurveFwd, 1, 0), inputs},
  });
}

TEST(ColourOperatorsPeer, AscCdlOfEveryStyle) {
  const TRGB slope{1.2, 0.9, 1.05}, offset{-0.05, 0.02, 0.1}, power{1.3, 0.8, 1.0};
  const auto node = [](const char* style) {
    return std::string("<ASC_CDL inBitDepth=\"32f\" outBitDepth=\"32f\" style=\"") + style +
           R"("><SOPNode><Slope>1.2 0.9 1.05</Slope><Offset>-0.05 0.02 0.1</Offset>
              <Power>1.3 0.8 1.0</Power></SOPNode>
              <SatNode><Saturation>0.7</Saturation></SatNode></ASC_CDL>)";
  };
  const auto make = [&](TCdlStyle style) {
    return [=] { return MakeCdlOperator(style, slope, offset, power, 0.7); };
  };
  ExpectPeerAgrees({
      {"Fwd", node("Fwd"), make(TCdlStyle::Fwd), kColours},
      {"Rev", node("Rev"), make(TCdlStyle::Rev), kColours},
      {"FwdNoClamp", node("FwdNoClamp"), make(TCdlStyle::FwdNoClamp), kColours},
      {"RevNoClamp", node("RevNoClamp"), make(TCdlStyle::RevNoClamp), kColours},
  });
}

// A table of five entries per channel: rising, falling, rising with flat ends.
std::shared_ptr<TLUT> MakeTable(const TLutDomain& domain = {}) {
  auto table = std::make_shared<TLUT>();
  table->Kind = lk1D;
  table->Size1D = 5;
  table->TableDomain = domain;
  const double values[5][3] = {
      {0.0, 1.0, 0.2}, {0.1, 0.7, 0.2}, {0.35, 0.4, 0.3}, {0.7, 0.3, 0.6}, {1.2, -0.1, 0.6}};
  for (int i = 0; i < 5; ++i) table->SetEntry(i, {values[i][0], values[i][1], values[i][2]});
  return table;
}

const char* kTableArray = R"(<Array dim="5 3">
    0.0 1.0 0.2  0.1 0.7 0.2  0.35 0.4 0.3  0.7 0.3 0.6  1.2 -0.1 0.6</Array>)";

TEST(ColourOperatorsPeer, TablesGridsAndInvertedTables) {
  const auto grid = std::make_shared<TLUT>();
  grid->Kind = lk3D;
  grid->Size3D = 3;
  std::string gridValues;
  for (int r = 0; r < 3; ++r) {
    for (int g = 0; g < 3; ++g) {
      for (int b = 0; b < 3; ++b) {  // blue fastest, as the files store it
        const TRGB v{r * r / 4.0, 0.5 * g - 0.1 * b, 0.3 + 0.2 * b * r};
        grid->SetNode(r, g, b, v);
        gridValues += Number(v.R) + " " + Number(v.G) + " " + Number(v.B) + "\n";
      }
    }
  }
  ExpectPeerAgrees({
      {"LUT1D",
       std::string("<LUT1D inBitDepth=\"32f\" outBitDepth=\"32f\">") + kTableArray + "</LUT1D>",
       [] { return MakeLutOperator(MakeTable()); },
       Rotations({-0.5, 0, 0.1, 0.25, 0.37, 0.5, 0.8, 1, 1.5})},
      {"LUT3D",
       "<LUT3D inBitDepth=\"32f\" outBitDepth=\"32f\" interpolation=\"trilinear\"><Array dim=\"3 3 "
       "3 3\">" +
           gridValues + "</Array></LUT3D>",
       [&] { return MakeLutOperator(grid); }, kColours},
      {"LUT3D, tetrahedral",
       "<LUT3D inBitDepth=\"32f\" outBitDepth=\"32f\" interpolation=\"tetrahedral\"><Array "
       "dim=\"3 3 3 3\">" +
           gridValues + "</Array></LUT3D>",
       [&] { return MakeLutOperator(grid, TGridInterpolation::Tetrahedral); }, kColours},
      // Outputs beyond the flat ends map to where the table leaves its first run and reaches
      // its last one. OpenColorIO inverts through a finer table of its own, off by up to 2e-5
      // at the entries themselves, which the inputs avoid.
      {"InverseLUT1D",
       std::string("<InverseLUT1D inBitDepth=\"32f\" outBitDepth=\"32f\">") + kTableArray +
           "</InverseLUT1D>",
       [] { return MakeInverseTableOperator(MakeTable()); },
       Rotations({-1, -0.05, 0.05, 0.15, 0.25, 0.36, 0.5, 0.65, 0.9, 1.1, 2}), true},
  });
}

// ---- What the operators refuse, and rules OpenColorIO does not settle -------------------

TEST(ColourOperators, InvalidParametersRaise) {
  using S = TExponentStyle;
  const std::vector<std::pair<const char*, std::function<void()>>> cases = {
      {"range without bounds", [] { MakeRangeOperator({}); }},
      {"range with minIn alone",
       [] {
         MakeRangeOperator({0.1, {}, {}, {}, true});
       }},
      {"range with maxOut alone",
       [] {
         MakeRangeOperator({{}, {}, {}, 0.5, true});
       }},
      {"range with minIn and maxOut",
       [] {
         MakeRangeOperator({0.1, {}, {}, 0.5, true});
       }},
      {"noClamp range of one pair",
       [] {
         MakeRangeOperator({0.1, {}, 0.1, {}, false});
       }},
      {"range of an empty input span",
       [] {
         MakeRangeOperator({0.4, 0.4, 0, 1, true});
       }},
      {"camera log without a break", [] { MakeLogOperator(TLogStyle::CameraLinToLog, {}); }},
      {"log of base 1",
       [] {
         TLogChannelParams p;
         p.Base = 1;
         MakeLogOperator(TLogStyle::LinToLog, {p, p, p});
       }},
      {"monCurve below exponent 1", [] { Exponent(S::MonCurveFwd, 0.5, 0.1)(); }},
      {"monCurve of a negative offset", [] { Exponent(S::MonCurveRev, 2.4, -0.1)(); }},
      {"basicRev of exponent 0", [] { Exponent(S::BasicRev, 0)(); }},
      {"CDL Rev of saturation 0",
       [] {
         MakeCdlOperator(TCdlStyle::Rev, {1, 1, 1}, {}, {1, 1, 1}, 0);
       }},
      {"CDL Rev of slope 0",
       [] {
         MakeCdlOperator(TCdlStyle::RevNoClamp, {1, 0, 1}, {}, {1, 1, 1}, 1);
       }},
      {"inverse of a grid",
       [] {
         auto grid = std::make_shared<TLUT>();
         grid->Kind = lk3D;
         grid->Size3D = 2;
         MakeInverseTableOperator(grid);
       }},
      {"inverse of a table that turns",
       [] {
         auto table = MakeTable();
         table->SetEntry(2, {0.05, 0.4, 0.3});
         MakeInverseTableOperator(table);
       }},
      {"LUT step of no kind",
       [] {
         auto lut = MakeTable();
         lut->Kind = lkNone;
         MakeLutOperator(lut);
       }},
      {"LUT step of an empty table", [] { MakeLutOperator(std::make_shared<TLUT>()); }},
  };
  for (const auto& [name, make] : cases) {
    EXPECT_THROW(make(), ELUTError) << name;
  }
}

// OpenColorIO refuses these two; the Common LUT Format's formulas still define them.
TEST(ColourOperators, RangesOfFallingOutputsAndShiftedOneSidedBounds) {
  struct TCase {
    TRangeParams Params;
    TRGB In, Expected;
  };
  for (const TCase& c : std::vector<TCase>{
           {{0, 1, 0.8, 0.2, true}, {-1, 0.25, 2}, {0.8, 0.65, 0.2}},
           {{0, 1, 0.8, 0.2, false}, {-1, 0.25, 2}, {1.4, 0.65, -0.4}},
           {{0.1, {}, 0.3, {}, true}, {-1, 0.5, 2}, {0.3, 0.7, 2.2}},
           {{{}, 0.9, {}, 0.5, true}, {-1, 0.5, 2}, {-1.4, 0.1, 0.5}},
       }) {
    const TRGB out = MakeRangeOperator(c.Params)->Apply(c.In);
    EXPECT_NEAR(out.R, c.Expected.R, 1e-12);
    EXPECT_NEAR(out.G, c.Expected.G, 1e-12);
    EXPECT_NEAR(out.B, c.Expected.B, 1e-12);
  }
}

TEST(ColourOperators, InvertedTablesFollowTheirFlatRunAndDomainRules) {
  // Entries 1 to 3 of the green channel hold 0.5: rising, a flat middle run, rising again.
  auto table = std::make_shared<TLUT>();
  table->Kind = lk1D;
  table->Size1D = 5;
  table->TableDomain = {{-1, 0, 0}, {3, 2, 1}};
  const double green[5] = {0.1, 0.5, 0.5, 0.5, 0.9};
  for (int i = 0; i < 5; ++i) table->SetEntry(i, {i * 0.25, green[i], 1 - i * 0.25});
  const TColourOperatorPtr inverse = MakeInverseTableOperator(table);
  struct TCase {
    TRGB In;
    TRGB Expected;
  };
  // Inputs of entry i: red -1 + i, green i / 2, blue i / 4.
  for (const TCase& c : std::vector<TCase>{
           {{0.0, 0.5, 1.0}, {-1.0, 0.5, 0.0}},        // a flat run gives its first input
           {{0.375, 0.3, 0.625}, {0.5, 0.25, 0.375}},  // between entries
           {{1.0, 0.9, 0.0}, {3.0, 2.0, 1.0}},         // the last entries
           {{-3, -3, 5}, {-1.0, 0.0, 0.0}},            // beyond the first entry
           {{5, 5, -3}, {3.0, 2.0, 1.0}},              // beyond the last
           {{0.6, 0.7, 0.1}, {1.4, 1.75, 0.9}},
       }) {
    const TRGB out = inverse->Apply(c.In);
    EXPECT_NEAR(out.R, c.Expected.R, 1e-12) << c.In.R;
    EXPECT_NEAR(out.G, c.Expected.G, 1e-12) << c.In.G;
    EXPECT_NEAR(out.B, c.Expected.B, 1e-12) << c.In.B;
  }
  // Through the table and back: every input of the domain where the table is not flat.
  const TColourOperatorPtr forward = MakeLutOperator(table);
  for (double t = 0; t <= 1.0; t += 1.0 / 64) {
    const TRGB in = table->TableDomain.FromUnit({t, t, t});
    const TRGB back = inverse->Apply(forward->Apply(in));
    EXPECT_NEAR(back.R, in.R, 1e-12) << t;
    EXPECT_NEAR(back.B, in.B, 1e-12) << t;
    if (t <= 0.25 || t > 0.75) {
      EXPECT_NEAR(back.G, in.G, 1e-12) << t;
    }
  }
}

TEST(ColourOperators, StyleNamesOfBothFileFormats) {
  EXPECT_EQ(ParseLogStyle("cameraLinToLog"), TLogStyle::CameraLinToLog);
  EXPECT_EQ(ParseLogStyle("antiLog2"), TLogStyle::AntiLog2);
  EXPECT_EQ(ParseLogStyle("logToLin"), TLogStyle::LogToLin);
  EXPECT_EQ(ParseLogStyle("log"), std::nullopt);
  EXPECT_EQ(ParseExponentStyle("monCurveMirrorRev"), TExponentStyle::MonCurveMirrorRev);
  EXPECT_EQ(ParseExponentStyle("moncurveFwd"), TExponentStyle::MonCurveFwd);
  EXPECT_EQ(ParseExponentStyle("basicPassThruRev"), TExponentStyle::BasicPassThruRev);
  EXPECT_EQ(ParseExponentStyle("basic"), std::nullopt);
  EXPECT_EQ(ParseCdlStyle("v1.2_Fwd"), TCdlStyle::Fwd);
  EXPECT_EQ(ParseCdlStyle("v1.2_Rev"), TCdlStyle::Rev);
  EXPECT_EQ(ParseCdlStyle("noClampFwd"), TCdlStyle::FwdNoClamp);
  EXPECT_EQ(ParseCdlStyle("RevNoClamp"), TCdlStyle::RevNoClamp);
  EXPECT_EQ(ParseCdlStyle("v1.3_Fwd"), std::nullopt);
  EXPECT_EQ(ParseRangeClamp("noClamp"), false);
  EXPECT_EQ(ParseRangeClamp("Clamp"), true);
  EXPECT_EQ(ParseRangeClamp("clip"), std::nullopt);
  EXPECT_EQ(ParseGridInterpolation("tetrahedral"), TGridInterpolation::Tetrahedral);
  EXPECT_EQ(ParseGridInterpolation("trilinear"), TGridInterpolation::Trilinear);
  EXPECT_EQ(ParseGridInterpolation("4pt"), std::nullopt);
}

TEST(ColourOperators, ChainsApplyInOrderAndSampleOntoEveryNode) {
  TOperatorChain chain;
  chain.push_back(MakeMatrixOperator({{2, 0, 0, 0, 1, 0.5, 0, 0, 1}, {0, 0, -0.5}}));
  chain.push_back(MakeRangeOperator({{}, 1.5, {}, 1.5, true}));
  // (0.875, 0.5, 0.25): matrix (1.75, 0.625, -0.25), then clamped above 1.5.
  EXPECT_EQ(ApplyChain(chain, {0.875, 0.5, 0.25}), (TRGB{1.5, 0.625, -0.25}));
  EXPECT_EQ(ApplyChain({}, {0.875, 0.5, 0.25}), (TRGB{0.875, 0.5, 0.25}));

  TLUT lut;
  lut.Comments = {"kept"};
  SampleChainOntoGrid(chain, 17, lut);
  EXPECT_EQ(lut.Kind, lk3D);
  EXPECT_EQ(lut.Size3D, 17);
  EXPECT_TRUE(lut.HasDefaultDomains());
  EXPECT_EQ(lut.Comments, std::vector<std::string>{"kept"});
  for (int r = 0; r < 17; ++r) {
    for (int g = 0; g < 17; ++g) {
      for (int b = 0; b < 17; ++b) {
        const TRGB node = lut.GetNode(r, g, b);
        ASSERT_DOUBLE_EQ(node.R, std::min(1.5, 2 * r / 16.0)) << r << g << b;
        ASSERT_DOUBLE_EQ(node.G, g / 16.0 + 0.5 * b / 16.0) << r << g << b;
        ASSERT_DOUBLE_EQ(node.B, b / 16.0 - 0.5) << r << g << b;
      }
    }
  }
  EXPECT_THROW(SampleChainOntoGrid(chain, 1, lut), ELUTError);
  EXPECT_THROW(SampleChainOntoGrid(chain, TLUT::MaxGridNodes + 1, lut), ELUTError);
}

// ---- Imageworks matrix files ----------------------------------------------------------

const TLUTFormat& MatrixFormat() {
  const int index = IndexOfFormat("Imageworks SPI Matrix");
  EXPECT_GE(index, 0);
  return *LutFormats()[static_cast<std::size_t>(index)];
}

TEST(ImageworksMatrix, TheCorpusFileMatchesOpenColorIOsBakedCube) {
  const std::string source = test::CorpusDir() + "/ocio-pipeline/camera_to_aces.spimtx";
  if (test::CorpusDir().empty()) GTEST_SKIP() << "no corpus";
  if (!test::HasProgram("ociobakelut")) GTEST_SKIP() << "ociobakelut is not installed";
  test::TempDir dir;
  const std::string baked = dir.File("baked.cube");
  ASSERT_EQ(test::RunProgram({"ociobakelut", "--lut", source, "--format", "resolve_cube",
                              "--cubesize", "33", baked})
                .Status,
            0);
  TLUT ours, peer;
  LoadLutFile(source, ours);
  LoadLutFile(baked, peer);
  EXPECT_EQ(ours.FormatIndex, IndexOfFormat("Imageworks SPI Matrix"));
  ASSERT_EQ(ours.Kind, lk3D);
  ASSERT_EQ(ours.Size3D, 33);
  ASSERT_EQ(peer.Size3D, 33);
  EXPECT_EQ(ours.Comments, std::vector<std::string>{
                               "Sampled from a 3x4 matrix onto a grid of 33 nodes per axis."});
  for (int r = 0; r < 33; ++r) {
    for (int g = 0; g < 33; ++g) {
      for (int b = 0; b < 33; ++b) {
        const TRGB a = ours.GetNode(r, g, b), p = peer.GetNode(r, g, b);
        // The cube prints 6 decimals.
        ASSERT_NEAR(a.R, p.R, 1e-5) << r << " " << g << " " << b;
        ASSERT_NEAR(a.G, p.G, 1e-5) << r << " " << g << " " << b;
        ASSERT_NEAR(a.B, p.B, 1e-5) << r << " " << g << " " << b;
      }
    }
  }
}

TEST(ImageworksMatrix, OffsetsAreSixteenBitCodesAndTheGridTakesTheSampleSize) {
  if (!test::HasProgram("ociochecklut")) GTEST_SKIP() << "ociochecklut is not installed";
  test::TempDir dir;
  const std::string path =
      dir.Write("offsets.spimtx", "1.1 -0.1 0 6553.5\r\n0.2 0.7\t0.1 -13107\n\n 0 0 1.5 32767.5");
  TLUT lut;
  TLoadContext context;
  context.SampleSize = 5;
  MatrixFormat().Load(path, lut, context);
  ASSERT_EQ(lut.Size3D, 5);
  EXPECT_EQ(lut.Comments,
            std::vector<std::string>{"Sampled from a 3x4 matrix onto a grid of 5 nodes per axis."});
  for (const auto& [r, g, b] :
       std::vector<std::array<int, 3>>{{0, 0, 0}, {4, 4, 4}, {1, 2, 3}, {4, 0, 2}, {3, 3, 0}}) {
    TRGB peer;
    ASSERT_TRUE(PeerColour(path, {r / 4.0, g / 4.0, b / 4.0}, peer));
    const TRGB node = lut.GetNode(r, g, b);
    ExpectNearPeer(node.R, peer.R, "R");
    ExpectNearPeer(node.G, peer.G, "G");
    ExpectNearPeer(node.B, peer.B, "B");
  }
}

TEST(ImageworksMatrix, DetectionAndTheFilesItRefuses) {
  test::TempDir dir;
  const std::string twelve = "1 0 0 0\n0 1 0 0\n0 0 1 0\n";
  const int format = IndexOfFormat("Imageworks SPI Matrix");
  EXPECT_EQ(DetectFormat(dir.Write("a.spimtx", twelve)), format);
  EXPECT_EQ(DetectFormat(dir.Write("b.SPIMTX", "1 0 0 0 0 1 0 0 0 0 1 0")), format);
  EXPECT_NE(DetectFormat(dir.Write("matrix.txt", twelve)), format);
  struct TRefused {
    const char* Name;
    std::string Text;
    const char* Message;
  };
  for (const TRefused& c : std::vector<TRefused>{
           {"eleven.spimtx", "1 0 0 0\n0 1 0 0\n0 0 1\n",
            "The file holds 11 numbers; a matrix file holds 12 (three rows of three factors "
            "and an offset)."},
           {"thirteen.spimtx", twelve + "5\n",
            "The file holds 13 numbers; a matrix file holds 12 (three rows of three factors "
            "and an offset)."},
           {"word.spimtx", "1 0 0 0\n0 one 0 0\n0 0 1 0\n", "\"one\" is not a finite number."},
           {"empty.spimtx", "",
            "The file holds 0 numbers; a matrix file holds 12 (three rows "
            "of three factors and an offset)."},
       }) {
    const std::string path = dir.Write(c.Name, c.Text);
    EXPECT_NE(DetectFormat(path), format) << c.Name;
    TLUT lut;
    try {
      LoadLut(path, lut, format);
      ADD_FAILURE() << c.Name << " loaded";
    } catch (const ELUTError& error) {
      EXPECT_EQ(error.Message(), c.Message) << c.Name;
    }
  }
}

}  // namespace
}  // namespace vorn
