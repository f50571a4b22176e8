// The comparison of two LUTs: which inputs are sampled, the statistics against errors
// computed here in closed form, and the loss of a conversion read back from its file.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "core/Conversion.h"
#include "core/LUTFormat.h"
#include "imaging/ColourDifference.h"
#include "imaging/LutComparison.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

std::unique_ptr<TLUT> Grid(int n, double (*curve)(double)) {
  auto lut = std::make_unique<TLUT>();
  lut->Kind = lk3D;
  lut->Size3D = n;
  const double top = n - 1;
  for (int r = 0; r < n; ++r) {
    for (int g = 0; g < n; ++g) {
      for (int b = 0; b < n; ++b)
        lut->SetNode(r, g, b, {curve(r / top), curve(g / top), curve(b / top)});
    }
  }
  return lut;
}

double Square(double x) {
  return x * x;
}
double Identity(double x) {
  return x;
}

void ExpectAllZero(const TLutComparison& c) {
  for (const TDifferenceStats* s :
       {&c.Channels[0], &c.Channels[1], &c.Channels[2], &c.Overall, &c.DeltaE}) {
    EXPECT_EQ(s->Max, 0.0);
    EXPECT_EQ(s->Mean, 0.0);
    EXPECT_EQ(s->P99, 0.0);
  }
}

TEST(CompareLuts, ALutComparedWithItselfDiffersNowhere) {
  auto shaperAndGrid = Grid(17, Square);
  shaperAndGrid->Kind = lk1DAnd3D;
  shaperAndGrid->Size1D = 1024;
  for (int i = 0; i < 1024; ++i) {
    const double x = std::sqrt(i / 1023.0);
    shaperAndGrid->SetEntry(i, {x, x * 0.9, x * 0.8});
  }
  const TLutComparison c = CompareLuts(*shaperAndGrid, *shaperAndGrid);
  ExpectAllZero(c);
  // 17^3 nodes, 16^3 centres, 1024 table entries and 1023 midpoints on the grey axis, less
  // the grey inputs that the grid already samples: the entries 0 and 1 and the midpoint
  // 1/2, a grid node.
  EXPECT_EQ(c.Samples, 17u * 17 * 17 + 16 * 16 * 16 + 1024 - 2 + 1023 - 1);
  ExpectAllZero(CompareLuts(*shaperAndGrid, *shaperAndGrid, {5}));
  shaperAndGrid->Size3D = TLUT::MaxGridNodes + 1;
  EXPECT_THROW(CompareLuts(*shaperAndGrid, *Grid(2, Square)), Exception);
  shaperAndGrid->Size3D = 17;
  EXPECT_EQ(CompareLuts(*shaperAndGrid, *shaperAndGrid, {5}).Samples, 125u);
}

// (x - x0)(x1 - x): how far linear interpolation of x^2 between the nodes around x of an
// n-node axis lies above x^2.
double SquareInterpolationError(double x, int n) {
  const double h = 1.0 / (n - 1);
  const double x0 = std::min(std::floor(x / h), n - 2.0) * h;
  return (x - x0) * (x0 + h - x);
}

TEST(CompareLuts, AResampledGridDiffersByTheInterpolationErrorOfItsCurve) {
  auto fine = Grid(33, Square);
  auto coarse = std::make_unique<TLUT>();
  coarse->Kind = lk3D;
  coarse->Size3D = 17;
  coarse->ResampleFrom(*fine);
  const TLutComparison c = CompareLuts(*fine, *coarse);

  // The inputs: the 33 x 33 x 33 nodes (the 17-node grid's are among them) and the
  // centres of the 32 x 32 x 32 cells. Each output channel depends on its own input only,
  // so the error of one channel on one input coordinate repeats 33^2 or 32^2 times.
  std::vector<double> errors;
  for (int i = 0; i < 33; ++i) {
    const double x = i / 32.0;
    errors.insert(errors.end(), 33 * 33, std::fabs(SquareInterpolationError(x, 17)));
  }
  for (int i = 0; i < 32; ++i) {
    const double x = (i + 0.5) / 32.0;
    const double e = std::fabs(SquareInterpolationError(x, 17) - SquareInterpolationError(x, 33));
    errors.insert(errors.end(), 32 * 32, e);
  }
  ASSERT_EQ(c.Samples, errors.size());
  double sum = 0.0;
  for (double e : errors) sum += e;
  std::sort(errors.begin(), errors.end());
  const double p99 = errors[(errors.size() * 99 + 99) / 100 - 1];

  // The largest error of linear interpolation of x^2 is h^2 / 4, midway between nodes.
  EXPECT_DOUBLE_EQ(errors.back(), 1.0 / 1024.0);
  for (int channel = 0; channel < 3; ++channel) {
    const TDifferenceStats& s = c.Channels[channel];
    EXPECT_NEAR(s.Max, errors.back(), 1e-15);
    EXPECT_NEAR(s.Mean, sum / errors.size(), 1e-15);
    EXPECT_NEAR(s.P99, p99, 1e-15);
  }
  // The first input reached with the largest error: r = 1/32 on the first node row.
  EXPECT_EQ(c.Channels[0].MaxAt, (TRGB{1 / 32.0, 0.0, 0.0}));
  EXPECT_EQ(c.Channels[2].MaxAt, (TRGB{0.0, 0.0, 1 / 32.0}));
  EXPECT_NEAR(c.Overall.Max, 1.0 / 1024.0, 1e-15);
  EXPECT_NEAR(c.Overall.Mean, sum / errors.size(), 1e-15);
  EXPECT_EQ(c.Overall.MaxAt, c.Channels[2].MaxAt);
  EXPECT_EQ(c.OverallMaxChannel, 2);
  EXPECT_GT(c.DeltaE.Max, 0.0);
}

TEST(CompareLuts, OneChangedNodeShowsInEveryFigure) {
  auto identity = Grid(2, Identity);
  auto changed = Grid(2, Identity);
  changed->SetNode(1, 1, 1, {0.1, 1.0, 1.0});
  const TLutComparison c = CompareLuts(*identity, *changed);
  // Eight nodes and one centre, where trilinear interpolation gives the node 1/8.
  ASSERT_EQ(c.Samples, 9u);
  EXPECT_DOUBLE_EQ(c.Channels[0].Max, 0.9);
  EXPECT_EQ(c.Channels[0].MaxAt, (TRGB{1.0, 1.0, 1.0}));
  EXPECT_DOUBLE_EQ(c.Channels[0].Mean, (0.9 + 0.9 / 8) / 9);
  EXPECT_DOUBLE_EQ(c.Channels[0].P99, 0.9);
  EXPECT_EQ(c.Channels[1].Max, 0.0);
  EXPECT_DOUBLE_EQ(c.Overall.Mean, c.Channels[0].Mean / 3);
  EXPECT_DOUBLE_EQ(c.Overall.P99, 0.9);
  EXPECT_EQ(c.OverallMaxChannel, 0);
  // The colour difference reads the outputs as sRGB-encoded: white against (0.1, 1, 1).
  EXPECT_NEAR(c.DeltaE.Max, CIEDE2000(SrgbToLab({1, 1, 1}), SrgbToLab({0.1, 1, 1})), 1e-6);
  EXPECT_EQ(c.DeltaE.MaxAt, (TRGB{1.0, 1.0, 1.0}));
}

TEST(CompareLuts, OneDimensionalTablesAreSampledAtEveryEntry) {
  auto curve = std::make_unique<TLUT>();
  curve->Kind = lk1D;
  curve->Size1D = 1024;
  for (int i = 0; i < 1024; ++i) curve->SetEntry(i, {i / 1023.0, i / 1023.0, i / 1023.0});
  auto bumped = std::make_unique<TLUT>();
  bumped->Kind = lk1D;
  bumped->Size1D = 1024;
  for (int i = 0; i < 1024; ++i) bumped->SetEntry(i, curve->GetEntry(i));
  bumped->SetEntry(500, {500 / 1023.0 + 0.01, 500 / 1023.0, 500 / 1023.0});

  const TLutComparison c = CompareLuts(*curve, *bumped);
  EXPECT_NEAR(c.Channels[0].Max, 0.01, 1e-12);
  EXPECT_EQ(c.Channels[0].MaxAt, (TRGB{500 / 1023.0, 500 / 1023.0, 500 / 1023.0}));
  EXPECT_EQ(c.Channels[1].Max, 0.0);
  // A 33-node lattice alone passes between the entries around 500.
  EXPECT_LT(CompareLuts(*curve, *bumped, {33}).Channels[0].Max, 0.01);
}

// Every figure of a comparison is a number: LUTs that would give NaN or infinity are refused.
TEST(CompareLuts, RefusesLutsWhoseDifferencesAreNoNumbers) {
  const double inf = std::numeric_limits<double>::infinity();
  struct TCase {
    double Value;  // of node (1, 1, 1), red
    const char* Message;
  };
  const TCase cases[] = {
      {inf,
       "The second LUT holds the value inf, which is not a finite number: the LUTs cannot "
       "be compared."},
      {std::nan(""),
       "The second LUT holds the value nan, which is not a finite number: the LUTs "
       "cannot be compared."},
      {1e308,
       "The LUTs' values are too large for their differences to be measured: the "
       "differences are beyond the range of numbers."},
  };
  const auto identity = Grid(2, Identity);
  for (const TCase& c : cases) {
    const auto odd = Grid(2, Identity);
    odd->SetNode(1, 1, 1, {c.Value, 1, 1});
    try {
      CompareLuts(*identity, *odd);
      ADD_FAILURE() << c.Value << " was compared";
    } catch (const EComparisonRefused& error) {
      EXPECT_STREQ(error.what(), c.Message);
    }
  }
}

TEST(MeasureConversionLoss, ComparesTheWrittenFileOrSaysWhyNot) {
  test::TempDir temp;
  const std::string source = temp.Write("source.cube", [] {
    std::string text = "LUT_3D_SIZE 3\n";
    for (int i = 0; i < 27; ++i) {
      const double r = (i % 3) / 2.0;
      const double g = (i / 3 % 3) / 2.0;
      const double b = (i / 9) / 2.0;
      text +=
          std::to_string(r * r) + " " + std::to_string(g) + " " + std::to_string(b * 0.5) + "\n";
    }
    return text;
  }());
  const auto& profiles = OutputProfiles();
  const auto davinci = std::find_if(profiles.begin(), profiles.end(),
                                    [](const auto& p) { return p->Name == "Cube 3D Davinci"; });
  ASSERT_NE(davinci, profiles.end());
  const std::string written = temp.File("written.cube");
  ConvertFile(source, written, -1, **davinci, 2, -1);

  const TConversionLoss loss = MeasureConversionLoss(source, -1, written, -1);
  ASSERT_TRUE(loss.ReadBack) << loss.Problem;
  // Only the red curve is bent: the 2-node grid misses r^2 by 1/4 at r = 1/2.
  EXPECT_DOUBLE_EQ(loss.Comparison.Overall.Max, 0.25);
  EXPECT_EQ(loss.Comparison.OverallMaxChannel, 0);
  EXPECT_EQ(loss.Comparison.Channels[1].Max, 0.0);

  const TConversionLoss unread =
      MeasureConversionLoss(source, -1, temp.Write("notes.txt", "not a LUT\n"), -1);
  EXPECT_FALSE(unread.ReadBack);
  EXPECT_EQ(unread.Problem, "not compared: no format reads the written file back");
  const TConversionLoss broken =
      MeasureConversionLoss(source, -1, temp.Write("broken.cube", "LUT_3D_SIZE 2\n0 0 0\n"), -1);
  EXPECT_FALSE(broken.ReadBack);
  EXPECT_EQ(broken.Problem,
            "the written file does not load back: Incomplete file. 1 of the 8 values the file "
            "declares were read.");
}

// A look that names its cube holds no values: the first companion that holds them is
// compared, and without one the look is not compared at all.
TEST(MeasureConversionLoss, AWrittenFileWithoutValuesIsComparedThroughItsCompanion) {
  test::TempDir temp;
  const std::string source = temp.Write("source.cube",
                                        "LUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n"
                                        "1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n");
  const std::string look = temp.Write(
      "written.look",
      "<look><shaders><shader><parameters><LUT>\"written.cube\"</LUT></parameters></shader>"
      "</shaders></look>\n");
  const std::string cube = temp.Write("written.cube",
                                      "LUT_3D_SIZE 2\n0 0 0\n1 0 0\n0 1 0\n"
                                      "1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 0.5\n");

  const TConversionLoss throughCube =
      MeasureConversionLoss(source, -1, look, -1, {temp.File("missing.cube"), cube});
  EXPECT_FALSE(throughCube.ReadBack) << "a companion that does not load ends the comparison";
  const TConversionLoss loss = MeasureConversionLoss(source, -1, look, -1, {cube});
  ASSERT_TRUE(loss.ReadBack) << loss.Problem;
  EXPECT_DOUBLE_EQ(loss.Comparison.Overall.Max, 0.5);
  EXPECT_EQ(loss.Comparison.OverallMaxChannel, 2);

  const TConversionLoss alone = MeasureConversionLoss(source, -1, look, -1);
  EXPECT_FALSE(alone.ReadBack);
  EXPECT_EQ(alone.Problem, "not compared: the written file holds no LUT values to read back");
}

const TLutOutputProfile* FirstProfileWritingFormat(const std::string& formatName) {
  for (const auto& profile : OutputProfiles()) {
    const TLUTFormat* format = GetFormat(profile->FormatIndex);
    if (format != nullptr && format->Name == formatName) return profile.get();
  }
  return nullptr;
}

// A conversion to 10-bit codes loses at most half a code beyond what resampling (and
// clamping to the codes' range) loses: the read-back grid holds each resampled node
// rounded to the nearest code, and interpolating between nodes never enlarges that.
TEST(MeasureConversionLoss, ARealLutAsTenBit3dlLosesHalfACodeBeyondItsResampling) {
  const TLutOutputProfile* profile = FirstProfileWritingFormat("3DL");
  if (profile == nullptr)
    GTEST_SKIP() << "no output profile writes the \"3DL\" format in this build";
  if (test::CorpusDir().empty()) GTEST_SKIP() << "the corpus of real LUT files is not there";
  test::TempDir temp;
  for (const char* name : {"colour-science/resolve_cube/eotf_sRGB_3D.cube",
                           "colour-science/resolve_cube/LogC_Video.cube"}) {
    SCOPED_TRACE(name);
    const std::string source = test::CorpusDir() + "/" + name;
    const std::string written = temp.File("converted.3dl");
    ConvertFile(source, written, -1, *profile, profile->DefaultSize, 10);
    const TConversionLoss loss = MeasureConversionLoss(source, -1, written, 10);
    ASSERT_TRUE(loss.ReadBack) << loss.Problem;

    auto sourceLut = std::make_unique<TLUT>();
    LoadLut(source, *sourceLut);
    auto resampled = std::make_unique<TLUT>();
    resampled->Kind = lk3D;
    resampled->Size3D = profile->DefaultSize;
    resampled->ResampleFrom(*sourceLut);
    const int n = resampled->Size3D;
    for (int r = 0; r < n; ++r) {
      for (int g = 0; g < n; ++g) {
        for (int b = 0; b < n; ++b) {
          double* node = resampled->Node(r, g, b);
          for (int c = 0; c < 3; ++c) node[c] = std::clamp(node[c], 0.0, 1.0);
        }
      }
    }
    const TLutComparison resampling = CompareLuts(*sourceLut, *resampled);
    ASSERT_EQ(loss.Comparison.Samples, resampling.Samples);
    for (int c = 0; c < 3; ++c) {
      EXPECT_LE(loss.Comparison.Channels[c].Max, resampling.Channels[c].Max + 0.5 / 1023.0 + 1e-12)
          << "channel " << c;
    }
    EXPECT_GT(loss.Comparison.Overall.Max, 0.0);
  }
}

}  // namespace
}  // namespace vorn
