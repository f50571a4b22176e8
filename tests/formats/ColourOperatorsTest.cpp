// The colour operators against OpenColorIO: each case is one process node, written from the
// parameters the operator is made of to a file of its own and evaluated by ociochecklut at
// every input of the case. Then what OpenColorIO does not settle, and the Imageworks matrix
// files against ociobakelut.

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

std::string Attribute(const char* name, double value) {
  return std::string(" ") + name + "=\"" + Number(value) + "\"";
}

std::string Triple(const TRGB& v) {
  return Number(v.R) + " " + Number(v.G) + " " + Number(v.B);
}

bool PeerColour(const std::string& path, const TRGB& in, TRGB& out) {
  const test::TProgramResult result =
      test::RunProgram({"ociochecklut", path, Number(in.R), Number(in.G), Number(in.B)});
  return result.Status == 0 &&
         std::sscanf(result.Out.c_str(), "%lf %lf %lf", &out.R, &out.G, &out.B) == 3;
}

// OpenColorIO computes in single precision and prints 7 digits: 1e-5 of the value, and
// 1e-6 absolute where the value is near 0.
void ExpectNearPeer(const TRGB& ours, const TRGB& peer) {
  EXPECT_NEAR(ours.R, peer.R, std::max(1e-5 * std::fabs(peer.R), 1e-6)) << "R";
  EXPECT_NEAR(ours.G, peer.G, std::max(1e-5 * std::fabs(peer.G), 1e-6)) << "G";
  EXPECT_NEAR(ours.B, peer.B, std::max(1e-5 * std::fabs(peer.B), 1e-6)) << "B";
}

struct TPeerCase {
  std::string Node;  // one process node; of a CTF file when Ctf is set
  TColourOperatorPtr Op;
  std::vector<TRGB> Inputs;
  bool Ctf = false;
};

void ExpectPeerAgrees(const std::vector<TPeerCase>& cases) {
  if (!test::HasProgram("ociochecklut")) GTEST_SKIP() << "ociochecklut is not installed";
  test::TempDir dir;
  for (const TPeerCase& c : cases) {
    SCOPED_TRACE(c.Node);
    const std::string path = dir.Write(c.Ctf ? "case.ctf" : "case.clf",
                                       std::string("<?xml version=\"1.0\"?>\n") +
                                           (c.Ctf ? "<ProcessList id=\"c\" version=\"1.7\">"
                                                  : "<ProcessList id=\"c\" compCLFversion=\"3\">") +
                                           c.Node + "</ProcessList>\n");
    for (const TRGB& in : c.Inputs) {
      SCOPED_TRACE(Triple(in));
      TRGB peer;
      ASSERT_TRUE(PeerColour(path, in, peer));
      ExpectNearPeer(c.Op->Apply(in), peer);
    }
  }
}

std::string Element(const char* name, const std::string& style, const std::string& inner,
                    const std::string& attributes = {}) {
  return std::string("<") + name + " inBitDepth=\"32f\" outBitDepth=\"32f\"" +
         (style.empty() ? "" : " style=\"" + style + "\"") + attributes + ">" + inner + "</" +
         name + ">";
}

const char* const kChannels[3] = {"R", "G", "B"};

// Every value in every channel: (v0 v1 v2), (v1 v2 v3), ... around the list.
std::vector<TRGB> Rotations(const std::vector<double>& v) {
  std::vector<TRGB> inputs;
  for (std::size_t i = 0; i < v.size(); ++i) {
    inputs.push_back({v[i], v[(i + 1) % v.size()], v[(i + 2) % v.size()]});
  }
  return inputs;
}

// Colours of every order of the three channels (each of a grid cell's six tetrahedra).
const std::vector<TRGB> kColours = {
    {0, 0, 0},    {1, 1, 1},         {0.18, 0.5, 0.9}, {-0.2, 0.4, 1.3}, {0.9, 0.05, 0.5},
    {2, -1, 0.5}, {0.02, 0.97, 0.3}, {0.4, 0.05, 0.3}, {0.05, 0.3, 0.4}, {0.3, 0.4, 0.05}};

TPeerCase MatrixCase(const TMatrixParams& p) {
  std::string values;
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) values += Number(p.M[row * 3 + column]) + " ";
    values += Number(p.Offset[row]) + "\n";
  }
  return {Element("Matrix", "", "<Array dim=\"3 4\">" + values + "</Array>"), MakeMatrixOperator(p),
          kColours};
}

TPeerCase RangeCase(const TRangeParams& p) {
  std::string values;
  const auto add = [&](const char* name, const std::optional<double>& v) {
    if (v) values += std::string("<") + name + ">" + Number(*v) + "</" + name + ">";
  };
  add("minInValue", p.MinIn);
  add("maxInValue", p.MaxIn);
  add("minOutValue", p.MinOut);
  add("maxOutValue", p.MaxOut);
  return {Element("Range", p.Clamp ? "Clamp" : "noClamp", values), MakeRangeOperator(p),
          Rotations({-1, 0, 0.1, 0.25, 0.5, 0.75, 0.9, 1, 2})};
}

TEST(ColourOperatorsPeer, MatricesAndRanges) {
  std::vector<TPeerCase> cases;
  cases.push_back(MatrixCase({{0.9, 0.1, 0.05, -0.2, 1.1, 0.1, 0.01, 0.02, 0.97}, {}}));
  cases.push_back(MatrixCase({{1.2, -0.1, 0, 0.05, 0.8, 0.15, 0, 0, 1.5}, {0.1, -0.05, 0.2}}));
  for (const TRangeParams& p : std::vector<TRangeParams>{{0.1, 0.9, 0.2, 0.5, true},
                                                         {0.1, 0.9, 0.2, 0.5, false},
                                                         {0.25, {}, 0.25, {}, true},
                                                         {{}, 0.75, {}, 0.75, true}}) {
    cases.push_back(RangeCase(p));
  }
  ExpectPeerAgrees(cases);
}

TPeerCase LogCase(const std::string& style, const std::array<TLogChannelParams, 3>& p,
                  const std::vector<TRGB>& inputs) {
  const TLogStyle parsed = ParseLogStyle(style).value();
  std::string params;
  for (int i = 0; i < 3 && parsed >= TLogStyle::LinToLog; ++i) {
    const TLogChannelParams& c = p[static_cast<std::size_t>(i)];
    params +=
        std::string("<LogParams channel=\"") + kChannels[i] + "\"" + Attribute("base", c.Base) +
        Attribute("logSideSlope", c.LogSideSlope) + Attribute("logSideOffset", c.LogSideOffset) +
        Attribute("linSideSlope", c.LinSideSlope) + Attribute("linSideOffset", c.LinSideOffset) +
        (c.LinSideBreak ? Attribute("linSideBreak", *c.LinSideBreak) : "") +
        (c.LinearSlope ? Attribute("linearSlope", *c.LinearSlope) : "") + "/>";
  }
  return {Element("Log", style, params), MakeLogOperator(parsed, p), inputs};
}

TEST(ColourOperatorsPeer, LogsOfEveryStyle) {
  const TLogChannelParams none,
      cineon{10, 0.29325513196, 0.66959921799, 0.98920224838, 0.01079775162};
  const TLogChannelParams cct{2, 0.05707762557, 0.5547945205, 1, 0, 0.0078125, {}};
  const TLogChannelParams sl3{10,      0.25562072336, 0.41055718475, 5.26315789474, 0.05263157895,
                              0.01125, 6.62194371178};
  const std::array<TLogChannelParams, 3> perChannel{TLogChannelParams{8, 0.3, 0.6, 0.9, 0.05},
                                                    TLogChannelParams{8, 0.25, 0.4, 5, 0.05},
                                                    TLogChannelParams{8, 0.28, 0.5, 2, 0.1}};
  const std::vector<TRGB> lin = Rotations({-1, 0, 0.001, 0.0078125, 0.01125, 0.18, 1, 2, 100});
  const std::vector<TRGB> log = Rotations({-0.5, 0, 0.0929, 0.155251141552511, 0.5, 1, 1.4});
  struct TRow {
    const char* Style;
    TLogChannelParams Params;
    bool FromLog;
  };
  std::vector<TPeerCase> cases;
  for (const TRow& row : std::vector<TRow>{{"log10", none, false},
                                           {"log2", none, false},
                                           {"antiLog10", none, true},
                                           {"antiLog2", none, true},
                                           {"linToLog", cineon, false},
                                           {"logToLin", cineon, true},
                                           {"cameraLinToLog", cct, false},  // slope worked out
                                           {"cameraLogToLin", cct, true},
                                           {"cameraLinToLog", sl3, false},  // slope given
                                           {"cameraLogToLin", sl3, true}}) {
    cases.push_back(
        LogCase(row.Style, {row.Params, row.Params, row.Params}, row.FromLog ? log : lin));
  }
  cases.push_back(LogCase("linToLog", perChannel, lin));
  // The Cineon-style parameters of CTF files, per channel.
  const std::array<TCineonLogParams, 3> cineons{TCineonLogParams{0.6, 685, 95, 1.0, 0.0005},
                                                TCineonLogParams{0.5, 681, 95, 0.9, 0.0045},
                                                TCineonLogParams{0.65, 683, 93, 0.8, 0}};
  std::string ctfParams;
  for (int i = 0; i < 3; ++i) {
    const TCineonLogParams& c = cineons[static_cast<std::size_t>(i)];
    ctfParams += std::string("<LogParams channel=\"") + kChannels[i] + "\"" +
                 Attribute("gamma", c.Gamma) + Attribute("refWhite", c.RefWhite) +
                 Attribute("refBlack", c.RefBlack) + Attribute("highlight", c.Highlight) +
                 Attribute("shadow", c.Shadow) + "/>";
  }
  const std::array<TLogChannelParams, 3> converted{LogParamsFromCineon(cineons[0]),
                                                   LogParamsFromCineon(cineons[1]),
                                                   LogParamsFromCineon(cineons[2])};
  for (const auto& [style, inputs] : {std::pair{"linToLog", lin}, std::pair{"logToLin", log}}) {
    cases.push_back({Element("Log", style, ctfParams),
                     MakeLogOperator(ParseLogStyle(style).value(), converted), inputs, true});
  }
  ExpectPeerAgrees(cases);
}

TPeerCase ExponentCase(const std::string& style, const std::array<TExponentChannelParams, 3>& p) {
  const TExponentStyle parsed = ParseExponentStyle(style).value();
  std::string params;
  for (int i = 0; i < 3; ++i) {
    const TExponentChannelParams& c = p[static_cast<std::size_t>(i)];
    params += std::string("<ExponentParams channel=\"") + kChannels[i] + "\"" +
              Attribute("exponent", c.Exponent) +
              (style.starts_with("monCurve") ? Attribute("offset", c.Offset) : "") + "/>";
  }
  return {Element("Exponent", style, params), MakeExponentOperator(parsed, p),
          Rotations({-1.5, -0.5, -0.05, 0, 0.0031308, 0.018, 0.04045, 0.081, 0.5, 1, 1.5})};
}

TEST(ColourOperatorsPeer, ExponentsOfEveryStyle) {
  // Rec. 709 (break 0.081 forward, 0.018 reverse), sRGB (0.04045, 0.0031308) and CIE L*.
  const TExponentChannelParams rec709{1 / 0.45, 0.099}, srgb{2.4, 0.055}, lstar{3, 0.16};
  const TExponentChannelParams gamma{2.2}, identity{1, 0};
  struct TRow {
    const char* Style;
    std::array<TExponentChannelParams, 3> Params;
  };
  std::vector<TPeerCase> cases;
  for (const TRow& row : std::vector<TRow>{
           {"basicFwd", {gamma, gamma, gamma}},
           {"basicRev", {TExponentChannelParams{2.4}, TExponentChannelParams{2.35}, gamma}},
           {"basicMirrorFwd", {gamma, gamma, gamma}},
           {"basicMirrorRev", {gamma, gamma, gamma}},
           {"basicPassThruFwd", {gamma, gamma, gamma}},
           {"basicPassThruRev", {gamma, gamma, gamma}},
           {"monCurveFwd", {rec709, rec709, rec709}},
           {"monCurveRev", {srgb, srgb, srgb}},
           {"monCurveMirrorFwd", {lstar, lstar, lstar}},
           {"monCurveMirrorRev", {lstar, srgb, rec709}},
           {"monCurveFwd", {identity, identity, identity}},
       }) {
    cases.push_back(ExponentCase(row.Style, row.Params));
  }
  ExpectPeerAgrees(cases);
}

// The Common LUT Format's style names in CLF files, the Color Transform Format's in CTF.
TEST(ColourOperatorsPeer, AscCdlOfEveryStyleInBothFormats) {
  const TRGB slope{1.2, 0.9, 1.05}, offset{-0.05, 0.02, 0.1}, power{1.3, 0.8, 1.0};
  const std::string sop = "<SOPNode><Slope>" + Triple(slope) + "</Slope><Offset>" + Triple(offset) +
                          "</Offset><Power>" + Triple(power) +
                          "</Power></SOPNode><SatNode><Saturation>0.7</Saturation></SatNode>";
  std::vector<TPeerCase> cases;
  for (const auto& [style, ctf] : std::vector<std::pair<const char*, bool>>{{"Fwd", false},
                                                                            {"Rev", false},
                                                                            {"FwdNoClamp", false},
                                                                            {"RevNoClamp", false},
                                                                            {"v1.2_Fwd", true},
                                                                            {"v1.2_Rev", true},
                                                                            {"noClampFwd", true},
                                                                            {"noClampRev", true}}) {
    cases.push_back({Element("ASC_CDL", style, sop),
                     MakeCdlOperator(ParseCdlStyle(style).value(), slope, offset, power, 0.7),
                     kColours, ctf});
  }
  ExpectPeerAgrees(cases);
}

// A table of five entries per channel: rising, falling, rising with flat ends.
std::shared_ptr<TLUT> MakeTable() {
  auto table = std::make_shared<TLUT>();
  table->Kind = lk1D;
  table->Size1D = 5;
  const double values[5][3] = {
      {0.0, 1.0, 0.2}, {0.1, 0.7, 0.2}, {0.35, 0.4, 0.3}, {0.7, 0.3, 0.6}, {1.2, -0.1, 0.6}};
  for (int i = 0; i < 5; ++i) table->SetEntry(i, {values[i][0], values[i][1], values[i][2]});
  return table;
}

TEST(ColourOperatorsPeer, TablesGridsAndInvertedTables) {
  const auto table = MakeTable();
  std::string tableValues;
  for (int i = 0; i < 5; ++i) tableValues += Triple(table->GetEntry(i)) + "\n";
  const std::string tableArray = "<Array dim=\"5 3\">" + tableValues + "</Array>";
  const auto grid = std::make_shared<TLUT>();
  grid->Kind = lk3D;
  grid->Size3D = 3;
  std::string gridValues;
  for (int r = 0; r < 3; ++r) {
    for (int g = 0; g < 3; ++g) {
      for (int b = 0; b < 3; ++b) {  // blue fastest, as the files store it
        grid->SetNode(r, g, b, {r * r / 4.0, 0.5 * g - 0.1 * b, 0.3 + 0.2 * b * r});
        gridValues += Triple(grid->GetNode(r, g, b)) + "\n";
      }
    }
  }
  const std::string gridArray = "<Array dim=\"3 3 3 3\">" + gridValues + "</Array>";
  std::vector<TPeerCase> cases;
  cases.push_back({Element("LUT1D", "", tableArray), MakeLutOperator(table),
                   Rotations({-0.5, 0, 0.1, 0.25, 0.37, 0.5, 0.8, 1, 1.5})});
  cases.push_back({Element("LUT3D", "", gridArray, " interpolation=\"trilinear\""),
                   MakeLutOperator(grid), kColours});
  cases.push_back({Element("LUT3D", "", gridArray, " interpolation=\"tetrahedral\""),
                   MakeLutOperator(grid, TGridInterpolation::Tetrahedral), kColours});
  // Outputs beyond the flat ends map to where the table leaves its first run and reaches its
  // last one. OpenColorIO inverts through a finer table of its own, off by up to 2e-5 at the
  // entries themselves, which the inputs avoid.
  cases.push_back({Element("InverseLUT1D", "", tableArray), MakeInverseTableOperator(table),
                   Rotations({-1, -0.05, 0.05, 0.15, 0.25, 0.36, 0.5, 0.65, 0.9, 1.1, 2}), true});
  ExpectPeerAgrees(cases);
}

// ---- What the operators refuse, and rules OpenColorIO does not settle -------------------

TEST(ColourOperators, InvalidParametersRaise) {
  const auto exponent = [](TExponentStyle style, double e, double offset) {
    MakeExponentOperator(style, {{{e, offset}, {e, offset}, {e, offset}}});
  };
  const auto tableWith = [](TLutKind kind, int entry2) {
    auto table = MakeTable();
    table->Kind = kind;
    table->SetEntry(2, {entry2 * 0.05, 0.4, 0.3});
    return table;
  };
  const std::vector<std::pair<const char*, std::function<void()>>> cases = {
      {"range without bounds", [] { MakeRangeOperator({}); }},
      {"range with minIn alone",
       [] {
         MakeRangeOperator({0.1, {}, {}, {}, true});
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
      {"Cineon log of gamma 0",
       [] {
         LogParamsFromCineon({0, 685, 95, 1, 0});
       }},
      {"log of base 1",
       [] {
         MakeLogOperator(TLogStyle::LinToLog, {{{1, 1, 0, 1, 0}, {}, {}}});
       }},
      {"monCurve below exponent 1", [&] { exponent(TExponentStyle::MonCurveFwd, 0.5, 0.1); }},
      {"monCurve of a negative offset", [&] { exponent(TExponentStyle::MonCurveRev, 2.4, -0.1); }},
      {"basicRev of exponent 0", [&] { exponent(TExponentStyle::BasicRev, 0, 0); }},
      {"CDL Rev of saturation 0",
       [] {
         MakeCdlOperator(TCdlStyle::Rev, {1, 1, 1}, {}, {1, 1, 1}, 0);
       }},
      {"CDL Rev of slope 0",
       [] {
         MakeCdlOperator(TCdlStyle::RevNoClamp, {1, 0, 1}, {}, {1, 1, 1}, 1);
       }},
      {"inverse of a grid", [&] { MakeInverseTableOperator(tableWith(lk1DAnd3D, 7)); }},
      {"inverse of a table that turns", [&] { MakeInverseTableOperator(tableWith(lk1D, 1)); }},
      {"LUT step of no kind", [&] { MakeLutOperator(tableWith(lkNone, 7)); }},
      {"LUT step of an empty table", [] { MakeLutOperator(std::make_shared<TLUT>()); }},
  };
  for (const auto& [name, make] : cases) EXPECT_THROW(make(), ELUTError) << name;
}

// OpenColorIO refuses falling ranges and one-sided pairs of different values; the Common
// LUT Format's formulas still define them.
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
  // Inputs of entry i: red -1 + i, green i / 2, blue i / 4.
  for (const auto& [in, expected] : std::vector<std::pair<TRGB, TRGB>>{
           {{0.0, 0.5, 1.0}, {-1.0, 0.5, 0.0}},        // a flat run gives its first input
           {{0.375, 0.3, 0.625}, {0.5, 0.25, 0.375}},  // between entries
           {{1.0, 0.9, 0.0}, {3.0, 2.0, 1.0}},         // the last entries
           {{-3, -3, 5}, {-1.0, 0.0, 0.0}},            // beyond the first entry
           {{5, 5, -3}, {3.0, 2.0, 1.0}},              // beyond the last
       }) {
    const TRGB out = inverse->Apply(in);
    EXPECT_NEAR(out.R, expected.R, 1e-12) << in.R;
    EXPECT_NEAR(out.G, expected.G, 1e-12) << in.G;
    EXPECT_NEAR(out.B, expected.B, 1e-12) << in.B;
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

TEST(ColourOperators, StyleNamesOutsideTheFiles) {
  EXPECT_EQ(ParseExponentStyle("moncurveFwd"), TExponentStyle::MonCurveFwd);
  EXPECT_EQ(ParseExponentStyle("basic"), std::nullopt);
  EXPECT_EQ(ParseLogStyle("log"), std::nullopt);
  EXPECT_EQ(ParseCdlStyle("v1.3_Fwd"), std::nullopt);
  EXPECT_EQ(ParseRangeClamp("noClamp"), false);
  EXPECT_EQ(ParseRangeClamp("Clamp"), true);
  EXPECT_EQ(ParseRangeClamp("clip"), std::nullopt);
  EXPECT_EQ(ParseGridInterpolation("tetrahedral"), TGridInterpolation::Tetrahedral);
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

TEST(ImageworksMatrix, TheCorpusFileMatchesOpenColorIOsBakedCube) {
  if (test::CorpusDir().empty()) GTEST_SKIP() << "no corpus";
  if (!test::HasProgram("ociobakelut")) GTEST_SKIP() << "ociobakelut is not installed";
  const std::string source = test::CorpusDir() + "/ocio-pipeline/camera_to_aces.spimtx";
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
  LutFormats()[static_cast<std::size_t>(IndexOfFormat("Imageworks SPI Matrix"))]->Load(path, lut,
                                                                                       context);
  ASSERT_EQ(lut.Size3D, 5);
  EXPECT_EQ(lut.Comments,
            std::vector<std::string>{"Sampled from a 3x4 matrix onto a grid of 5 nodes per axis."});
  for (const auto& [r, g, b] :
       std::vector<std::array<int, 3>>{{0, 0, 0}, {4, 4, 4}, {1, 2, 3}, {4, 0, 2}, {3, 3, 0}}) {
    TRGB peer;
    ASSERT_TRUE(PeerColour(path, {r / 4.0, g / 4.0, b / 4.0}, peer));
    ExpectNearPeer(lut.GetNode(r, g, b), peer);
  }
}

TEST(ImageworksMatrix, DetectionAndTheFilesItRefuses) {
  test::TempDir dir;
  const std::string twelve = "1 0 0 0\n0 1 0 0\n0 0 1 0\n";
  const int format = IndexOfFormat("Imageworks SPI Matrix");
  EXPECT_EQ(DetectFormat(dir.Write("a.spimtx", twelve)), format);
  EXPECT_EQ(DetectFormat(dir.Write("b.SPIMTX", "1 0 0 0 0 1 0 0 0 0 1 0")), format);
  EXPECT_NE(DetectFormat(dir.Write("matrix.txt", twelve)), format);
  const std::string count =
      " numbers; a matrix file holds 12 (three rows of three factors and "
      "an offset).";
  for (const auto& [name, text, message] : std::vector<std::array<std::string, 3>>{
           {"eleven.spimtx", "1 0 0 0\n0 1 0 0\n0 0 1\n", "The file holds 11" + count},
           {"thirteen.spimtx", twelve + "5\n", "The file holds 13" + count},
           {"empty.spimtx", "", "The file holds 0" + count},
           {"word.spimtx", "1 0 0 0\n0 one 0 0\n0 0 1 0\n", "\"one\" is not a finite number."},
           {"huge.spimtx", "1e308 1e308 0 0 0 1 0 0 0 0 1 0",
            "The matrix gives values too large for a number at some nodes."},
       }) {
    const std::string path = dir.Write(name, text);
    EXPECT_EQ(DetectFormat(path) == format, name == "huge.spimtx") << name;  // its shape holds
    TLUT lut;
    try {
      LoadLut(path, lut, format);
      ADD_FAILURE() << name << " loaded";
    } catch (const ELUTError& error) {
      EXPECT_EQ(error.Message(), message) << name;
      EXPECT_EQ(error.Line(), name == "word.spimtx" ? 2 : 0) << name;
    }
  }
}

}  // namespace
}  // namespace vorn
