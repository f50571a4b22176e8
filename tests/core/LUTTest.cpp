#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/LUT.h"

namespace vorn {
namespace {

void FillIdentity(TLUT& lut, int n) {
  lut.Kind = lk3D;
  lut.Size3D = n;
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b)
        lut.SetNode(r, g, b, {r / (n - 1.0), g / (n - 1.0), b / (n - 1.0)});
}

// Every node a different value, so any indexing mistake shows.
void FillDistinct(TLUT& lut, int n) {
  lut.Kind = lk3D;
  lut.Size3D = n;
  for (int r = 0; r < n; ++r)
    for (int g = 0; g < n; ++g)
      for (int b = 0; b < n; ++b)
        lut.SetNode(r, g, b, {0.3 * r + 0.01 * g * g, 0.7 * g - 0.02 * b, 0.11 * b + 0.05 * r * g});
}

TEST(TLUT, ANewRecordIsEmptyAndZeroed) {
  TLUT lut;
  EXPECT_EQ(lut.FormatIndex, -1);
  EXPECT_EQ(lut.Kind, lk1D);
  EXPECT_EQ(lut.Size1D, 0);
  EXPECT_EQ(lut.Size3D, 0);
  EXPECT_TRUE(lut.Comments.empty());
  EXPECT_EQ(lut.GetNode(100, 100, 100), (TRGB{0, 0, 0}));
  EXPECT_EQ(lut.GetEntry(100000), (TRGB{0, 0, 0}));
}

TEST(TLUT, StridesPutRedSlowestAndBlueFastest) {
  TLUT lut;
  lut.ReserveGrid(4);
  lut.SetNode(1, 2, 3, {7, 8, 9});
  const TLutView grid = lut.GridView(4);
  EXPECT_EQ(grid.StrideR(), 48u);
  EXPECT_EQ(grid.StrideG(), 12u);
  EXPECT_EQ(grid.Data()[1 * 48 + 2 * 12 + 3 * 3 + 0], 7);
  EXPECT_EQ(grid.Data()[1 * 48 + 2 * 12 + 3 * 3 + 2], 9);
  lut.SetEntry(5, {1, 2, 3});
  EXPECT_EQ(lut.TableView(6).Data()[5 * 3 + 1], 2);
}

TEST(Evaluate3D, AtOneReturnsTheLastNodeExactly) {
  TLUT lut;
  FillDistinct(lut, 17);
  EXPECT_EQ(lut.Evaluate3D({1, 1, 1}), lut.GetNode(16, 16, 16));
  EXPECT_EQ(lut.Evaluate3D({1, 0, 1}), lut.GetNode(16, 0, 16));
  TLUT two;
  FillDistinct(two, 2);
  EXPECT_EQ(two.Evaluate3D({1, 1, 1}), two.GetNode(1, 1, 1));
}

TEST(Evaluate3D, NeverReadsTheSpareNodeAtTheTopEdge) {
  TLUT lut;
  FillIdentity(lut, 2);
  // Garbage beyond the last valid node must have no effect.
  lut.SetNode(2, 2, 2, {std::nan(""), 1e300, -1e300});
  lut.SetNode(2, 1, 1, {std::nan(""), std::nan(""), std::nan("")});
  lut.SetNode(1, 2, 1, {std::nan(""), std::nan(""), std::nan("")});
  lut.SetNode(1, 1, 2, {std::nan(""), std::nan(""), std::nan("")});
  EXPECT_EQ(lut.Evaluate3D({1, 1, 1}), (TRGB{1, 1, 1}));
  EXPECT_EQ(lut.Evaluate3D({1, 0.5, 1}), (TRGB{1, 0.5, 1}));
}

TEST(Evaluate3D, TwoNodeIdentityReturnsItsInput) {
  TLUT lut;
  FillIdentity(lut, 2);
  std::mt19937 random(3);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int i = 0; i < 1000; ++i) {
    TRGB in{unit(random), unit(random), unit(random)};
    TRGB out = lut.Evaluate3D(in);
    EXPECT_NEAR(out.R, in.R, 1e-15);
    EXPECT_NEAR(out.G, in.G, 1e-15);
    EXPECT_NEAR(out.B, in.B, 1e-15);
  }
}

TEST(Evaluate3D, InterpolatesBlueFirstThenGreenThenRed) {
  TLUT lut;
  FillDistinct(lut, 5);
  TRGB in{0.3, 0.55, 0.9};
  // Reference computed by hand in the documented order.
  double dr = 4 * 0.3, dg = 4 * 0.55, db = 4 * 0.9;
  int i = int(dr), j = int(dg), k = int(db);
  double fr = dr - i, fg = dg - j, fb = db - k;
  auto q = [&](int a, int b, int c) { return lut.GetNode(a, b, c).G; };
  double c00 = (1 - fb) * q(i, j, k) + fb * q(i, j, k + 1);
  double c01 = (1 - fb) * q(i, j + 1, k) + fb * q(i, j + 1, k + 1);
  double c10 = (1 - fb) * q(i + 1, j, k) + fb * q(i + 1, j, k + 1);
  double c11 = (1 - fb) * q(i + 1, j + 1, k) + fb * q(i + 1, j + 1, k + 1);
  double c0 = (1 - fg) * c00 + fg * c01;
  double c1 = (1 - fg) * c10 + fg * c11;
  EXPECT_EQ(lut.Evaluate3D(in).G, (1 - fr) * c0 + fr * c1);
}

TEST(Evaluate3D, ClampsCoordinatesOutsideTheUnitRangeAndNaN) {
  TLUT lut;
  FillDistinct(lut, 9);
  EXPECT_EQ(lut.Evaluate3D({-3, 7, std::nan("")}), lut.GetNode(0, 8, 0));
  EXPECT_EQ(lut.Evaluate3D({std::numeric_limits<double>::infinity(), -0.0, 1.0}),
            lut.GetNode(8, 0, 8));
}

TEST(Evaluate3D, SmallSizesStayInsideTheGrid) {
  TLUT lut;
  lut.Kind = lk3D;
  lut.Size3D = 1;
  lut.SetNode(0, 0, 0, {0.25, 0.5, 0.75});
  lut.SetNode(1, 1, 1, {9, 9, 9});
  EXPECT_EQ(lut.Evaluate3D({0.7, 1.0, 0.2}), (TRGB{0.25, 0.5, 0.75}));
  lut.Size3D = 0;
  EXPECT_EQ(lut.Evaluate3D({1, 1, 1}), (TRGB{0.25, 0.5, 0.75}));
}

TEST(Evaluate1D, EachChannelUsesItsOwnCurveAndInput) {
  TLUT lut;
  lut.Kind = lk1D;
  lut.Size1D = 3;
  lut.SetEntry(0, {0.0, 1.0, 0.5});
  lut.SetEntry(1, {0.2, 0.5, 0.5});
  lut.SetEntry(2, {1.0, 0.0, 0.9});
  lut.SetEntry(3, {std::nan(""), std::nan(""), std::nan("")});  // spare entry, never read
  TRGB out = lut.Evaluate1D({0.25, 0.75, 1.0});
  EXPECT_DOUBLE_EQ(out.R, 0.1);
  EXPECT_DOUBLE_EQ(out.G, 0.25);
  EXPECT_EQ(out.B, 0.9);
}

TEST(Evaluate, DispatchesByKind) {
  TLUT lut;
  lut.Size1D = 2;
  lut.SetEntry(0, {0.5, 0.5, 0.5});
  lut.SetEntry(1, {2.0, 2.0, 2.0});  // the 1D stage leaves the unit range
  FillDistinct(lut, 3);
  lut.Kind = lkNone;
  EXPECT_EQ(lut.Evaluate({0.1, 0.2, 0.3}), (TRGB{0.1, 0.2, 0.3}));
  lut.Kind = lk1D;
  EXPECT_EQ(lut.Evaluate({0, 0, 0}), (TRGB{0.5, 0.5, 0.5}));
  lut.Kind = lk1DAnd3D;
  EXPECT_EQ(lut.Evaluate({0, 0, 0}), lut.Evaluate3D({0.5, 0.5, 0.5}));
  // 1D results above 1 enter the grid clamped.
  EXPECT_EQ(lut.Evaluate({1, 1, 1}), lut.GetNode(2, 2, 2));
}

TEST(EvaluatePixel, ConvertsBetweenBitDepths) {
  TLUT lut;
  lut.Kind = lkNone;
  TLutPixel in{200, 17, 255, 8};
  TLutPixel out;
  out.Bits = 8;
  lut.EvaluatePixel(in, out);
  EXPECT_EQ(out.R, 200);
  EXPECT_EQ(out.G, 17);
  EXPECT_EQ(out.B, 255);
  out.Bits = 16;
  lut.EvaluatePixel({255, 128, 0, 8}, out);
  EXPECT_EQ(out.R, 65535);
  EXPECT_EQ(out.G, 32896);
  EXPECT_EQ(out.B, 0);
}

TEST(EvaluatePixel, ClampsResultsAndTreatsNaNAsZero) {
  TLUT lut;
  lut.Kind = lk3D;
  lut.Size3D = 1;
  lut.SetNode(0, 0, 0, {-0.5, 1.5, std::nan("")});
  TLutPixel out;
  out.Bits = 10;
  lut.EvaluatePixel({1, 2, 3, 8}, out);
  EXPECT_EQ(out.R, 0);
  EXPECT_EQ(out.G, 1023);
  EXPECT_EQ(out.B, 0);
}

TEST(ApplyToBitmap, ReadsAndWritesBlueGreenRed) {
  TLUT lut;
  lut.Kind = lk1D;
  lut.Size1D = 2;
  // Red inverted, green constant 1, blue identity.
  lut.SetEntry(0, {1.0, 1.0, 0.0});
  lut.SetEntry(1, {0.0, 1.0, 1.0});
  TBitmap24 bitmap(2, 1);
  std::uint8_t* p = bitmap.ScanLine(0);
  p[0] = 10;  // blue
  p[1] = 20;  // green
  p[2] = 30;  // red
  p[3] = 255;
  p[4] = 0;
  p[5] = 0;
  lut.ApplyToBitmap(bitmap);
  EXPECT_EQ(p[0], 10);
  EXPECT_EQ(p[1], 255);
  EXPECT_EQ(p[2], 225);
  EXPECT_EQ(p[3], 255);
  EXPECT_EQ(p[4], 255);
  EXPECT_EQ(p[5], 255);
}

// The bitmap loop works per code where it can; every pixel must still be exactly what
// EvaluatePixel gives, for every kind, with values outside [0, 1] and at half codes.
TEST(ApplyToBitmap, EveryPixelIsEvaluatePixelForEveryKind) {
  TBitmap24 picture(256, 256);
  std::mt19937 random(7);
  for (int y = 0; y < 256; ++y) {
    std::uint8_t* p = picture.ScanLine(y);
    for (int x = 0; x < 256; ++x, p += 3) {
      p[0] = static_cast<std::uint8_t>(x);
      p[1] = static_cast<std::uint8_t>(y);
      p[2] = static_cast<std::uint8_t>(random());
    }
  }
  TLUT lut;
  FillDistinct(lut, 5);
  lut.Size1D = 7;
  for (int i = 0; i < 7; ++i) lut.SetEntry(i, {1.2 - 0.25 * i, 0.5, i * i / 36.0 - 0.1});
  lut.SetEntry(3, {0.5 + 0.5 / 255, 127.5 / 255, 1.0});  // lands on half codes
  for (TLutKind kind : {lk1D, lk3D, lk1DAnd3D, lkNone}) {
    lut.Kind = kind;
    TBitmap24 mapped = picture;
    lut.ApplyToBitmap(mapped);
    for (int y = 0; y < 256; ++y) {
      const std::uint8_t* in = picture.ScanLine(y);
      const std::uint8_t* out = mapped.ScanLine(y);
      for (int x = 0; x < 256; ++x, in += 3, out += 3) {
        TLutPixel expected;
        TLutPixel source;
        source.B = in[0];
        source.G = in[1];
        source.R = in[2];
        lut.EvaluatePixel(source, expected);
        ASSERT_EQ(out[0], expected.B) << "kind " << kind << " at " << x << ", " << y;
        ASSERT_EQ(out[1], expected.G) << "kind " << kind << " at " << x << ", " << y;
        ASSERT_EQ(out[2], expected.R) << "kind " << kind << " at " << x << ", " << y;
      }
    }
  }
}

// A picture large enough to be mapped in several bands on several threads, through grids of
// the sizes the bitmap loop treats apart: stored in full, stored in part (the rest reads
// 0.0), and declared larger than a record holds (read through the checked nodes).
TEST(ApplyToBitmap, LargePicturesMatchEvaluatePixelForEveryGridLayout) {
  struct TCase {
    TLutKind Kind;
    int Stored;    // nodes per axis given values
    int Declared;  // Size3D
  };
  const TCase cases[] = {{lk3D, 33, 33},
                         {lk3D, 2, 2},
                         {lk3D, 1, 1},
                         {lk1DAnd3D, 17, 17},
                         {lk3D, 9, 12},
                         {lk1DAnd3D, 4, 6},
                         {lk3D, 5, TLUT::MaxGridNodes + 20}};
  TBitmap24 picture(320, 650);
  std::mt19937 random(11);
  for (int y = 0; y < picture.Height(); ++y) {
    std::uint8_t* p = picture.ScanLine(y);
    for (int x = 0; x < picture.Width() * 3; ++x) p[x] = static_cast<std::uint8_t>(random());
  }
  for (const TCase& c : cases) {
    TLUT lut;
    for (int r = 0; r < c.Stored; ++r)
      for (int g = 0; g < c.Stored; ++g)
        for (int b = 0; b < c.Stored; ++b)
          lut.SetNode(r, g, b,
                      {0.9 * r / c.Stored + 0.05, std::sqrt(1.0 * g / c.Stored) - 0.02,
                       (b + 0.5 * r) / c.Stored});
    lut.Size1D = 5;
    for (int i = 0; i < 5; ++i) lut.SetEntry(i, {i / 4.0, std::pow(i / 4.0, 2.2), 1.0 - i / 4.0});
    lut.Kind = c.Kind;
    lut.Size3D = c.Declared;
    TBitmap24 mapped = picture;
    lut.ApplyToBitmap(mapped);
    for (int y = 0; y < picture.Height(); ++y) {
      for (int x = 0; x < picture.Width(); ++x) {
        const std::uint8_t* in = picture.ScanLine(y) + 3 * x;
        const std::uint8_t* out = mapped.ScanLine(y) + 3 * x;
        TLutPixel expected;
        lut.EvaluatePixel({in[2], in[1], in[0], 8}, expected);
        ASSERT_EQ((std::vector<int>{out[2], out[1], out[0]}),
                  (std::vector<int>{expected.R, expected.G, expected.B}))
            << "kind " << c.Kind << ", " << c.Stored << " of " << c.Declared << " nodes at " << x
            << ", " << y;
      }
    }
  }
}

TEST(ResampleFrom, SameKindAndSizeCopiesBitForBit) {
  TLUT source;
  FillDistinct(source, 17);
  source.Comments = {"a", "b"};
  TLUT destination;
  destination.Kind = lk3D;
  destination.Size3D = 17;
  destination.ResampleFrom(source);
  EXPECT_EQ(destination.Comments, source.Comments);
  for (int r = 0; r < 17; ++r)
    for (int g = 0; g < 17; ++g)
      for (int b = 0; b < 17; ++b) ASSERT_EQ(destination.GetNode(r, g, b), source.GetNode(r, g, b));
}

TEST(ResampleFrom, A33NodeGridKeepsEverySourceNode) {
  TLUT source;
  FillDistinct(source, 17);
  TLUT destination;
  destination.Kind = lk3D;
  destination.Size3D = 33;
  destination.ResampleFrom(source);
  for (int r = 0; r < 17; ++r)
    for (int g = 0; g < 17; ++g)
      for (int b = 0; b < 17; ++b) {
        TRGB expected = source.GetNode(r, g, b);
        TRGB got = destination.GetNode(2 * r, 2 * g, 2 * b);
        ASSERT_NEAR(got.R, expected.R, 1e-12);
        ASSERT_NEAR(got.G, expected.G, 1e-12);
        ASSERT_NEAR(got.B, expected.B, 1e-12);
      }
}

TEST(ResampleFrom, A1DTableSamplesTheGreyAxis) {
  TLUT source;
  FillDistinct(source, 5);
  TLUT destination;
  destination.Kind = lk1D;
  destination.Size1D = 1024;
  destination.ResampleFrom(source);
  for (int i : {0, 1, 511, 1023}) {
    double x = i / 1023.0;
    EXPECT_EQ(destination.GetEntry(i), source.Evaluate({x, x, x})) << i;
  }
}

TEST(ResampleFrom, A1DSourceBecomesSeparableGrid) {
  TLUT source;
  source.Kind = lk1D;
  source.Size1D = 2;
  source.SetEntry(0, {0.0, 1.0, 0.2});
  source.SetEntry(1, {1.0, 0.0, 0.4});
  TLUT destination;
  destination.Kind = lk3D;
  destination.Size3D = 3;
  destination.ResampleFrom(source);
  TRGB node = destination.GetNode(2, 1, 0);
  EXPECT_EQ(node.R, 1.0);
  EXPECT_EQ(node.G, 0.5);
  EXPECT_EQ(node.B, 0.2);
}

TEST(ResampleFrom, AnEmptySourceGivesTheIdentityAndNoneKindsGetOnlyComments) {
  TLUT source;
  source.Kind = lkNone;
  source.Comments = {"note"};
  TLUT destination;
  destination.Kind = lk3D;
  destination.Size3D = 4;
  destination.ResampleFrom(source);
  EXPECT_EQ(destination.GetNode(1, 2, 3), (TRGB{1 / 3.0, 2 / 3.0, 1.0}));
  TLUT none;
  none.Kind = lkNone;
  none.ResampleFrom(source);
  EXPECT_EQ(none.Comments, source.Comments);
  EXPECT_EQ(none.GetNode(0, 0, 0), (TRGB{0, 0, 0}));
}

TEST(ResampleFrom, SizeOneDestinationsDoNotDivideByZero) {
  TLUT source;
  FillDistinct(source, 3);
  TLUT destination;
  destination.Kind = lk3D;
  destination.Size3D = 1;
  destination.ResampleFrom(source);
  EXPECT_EQ(destination.GetNode(0, 0, 0), source.GetNode(0, 0, 0));
  destination.Kind = lk1D;
  destination.Size1D = 1;
  destination.ResampleFrom(source);
  EXPECT_EQ(destination.GetEntry(0), source.GetNode(0, 0, 0));
}

// ---- Storage laid out for the size it holds ---------------------------------------------------

TRGB Distinct(int r, int g, int b) {
  return {r + 0.001 * g, g + 0.001 * b, b + 0.001 * r + 0.5};
}

// Stores every node of an n-node grid in a file's order, without telling the record its size
// as readers do, or with Size3D set first, and checks each one afterwards: the growths keep
// what was stored and the grid ends laid out for n nodes.
TEST(TLUTStorage, GrowthInFileOrderKeepsEveryNodeAndEndsAtTheGridsSize) {
  struct TCase {
    int Nodes;
    bool RedFastest;
    bool SizeKnown;
  };
  for (const TCase& c : std::vector<TCase>{{1, true, true},
                                           {2, true, false},
                                           {2, false, true},
                                           {3, true, false},
                                           {17, false, false},
                                           {33, true, false},
                                           {64, true, false},
                                           {65, false, true},
                                           {101, false, false}}) {
    TLUT lut;
    const int n = c.Nodes;
    if (c.SizeKnown) lut.Size3D = n;
    for (int slow = 0; slow < n; ++slow)
      for (int g = 0; g < n; ++g)
        for (int fast = 0; fast < n; ++fast) {
          const int r = c.RedFastest ? fast : slow;
          const int b = c.RedFastest ? slow : fast;
          lut.SetNode(r, g, b, Distinct(r, g, b));
        }
    EXPECT_EQ(lut.GridNodes(), n);
    for (int r = 0; r < n; ++r)
      for (int g = 0; g < n; ++g)
        for (int b = 0; b < n; ++b) ASSERT_EQ(lut.GetNode(r, g, b), Distinct(r, g, b)) << n;
  }
}

TEST(TLUTStorage, NodesAndEntriesNeverStoredReadZero) {
  TLUT lut;
  lut.SetNode(2, 0, 1, {1, 2, 3});
  lut.SetEntry(3, {4, 5, 6});
  const TLUT& stored = lut;
  const TRGB zero{0, 0, 0};
  for (int index : {-1, 0, 1, 2, 4, 100, 101, 100001, std::numeric_limits<int>::max()}) {
    EXPECT_EQ(stored.GetNode(index, 0, 0), zero) << index;
    EXPECT_EQ(stored.GetNode(0, index, index), zero) << index;
    EXPECT_EQ(stored.GetEntry(index), zero) << index;
  }
  EXPECT_EQ(stored.GetNode(2, 0, 1), (TRGB{1, 2, 3}));
  EXPECT_EQ(stored.GetEntry(3), (TRGB{4, 5, 6}));
  // Views beyond the storage are zero-filled copies.
  const TLutView grid = stored.GridView(5);
  EXPECT_EQ(grid.Node(2, 0, 1)[2], 3);
  EXPECT_EQ(grid.Node(4, 4, 4)[0], 0);
  EXPECT_EQ(stored.TableView(9).Entry(8)[1], 0);
}

// A record whose size outgrew its storage (the size raised after its nodes were stored)
// evaluates as one laid out for that size whose other nodes are 0.
TEST(TLUTStorage, ARecordLargerThanItsStorageEvaluatesLikeOneThatCoversIt) {
  TLUT partial;
  FillDistinct(partial, 2);
  partial.SetEntry(0, {0.2, 0.4, 0.6});
  TLUT covering;
  covering.ReserveGrid(3);
  covering.ReserveTable(4);
  FillDistinct(covering, 2);
  covering.SetEntry(0, {0.2, 0.4, 0.6});
  for (TLUT* lut : {&partial, &covering}) {
    lut->Kind = lk1DAnd3D;
    lut->Size3D = 3;
    lut->Size1D = 4;
  }
  ASSERT_LT(partial.GridNodes(), 3);
  for (double t : {0.0, 0.2, 0.5, 0.75, 1.0}) {
    const TRGB in{t, 1.0 - t, t * t};
    EXPECT_EQ(partial.Evaluate3D(in), covering.Evaluate3D(in)) << t;
    EXPECT_EQ(partial.Evaluate(in), covering.Evaluate(in)) << t;
  }
  TBitmap24 picture(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 48; ++x) picture.ScanLine(y)[x] = static_cast<std::uint8_t>(x * 5 + y * 3);
  TBitmap24 fromPartial = picture;
  TBitmap24 fromCovering = picture;
  partial.ApplyToBitmap(fromPartial);
  covering.ApplyToBitmap(fromCovering);
  for (int y = 0; y < 16; ++y) {
    EXPECT_TRUE(std::equal(fromPartial.ScanLine(y), fromPartial.ScanLine(y) + 48,
                           fromCovering.ScanLine(y)));
  }
}

TEST(TLUTStorage, MovingKeepsValuesAndLeavesAnEmptyRecord) {
  TLUT reference;
  FillDistinct(reference, 9);
  TLUT source;
  FillDistinct(source, 9);
  source.Size1D = 3;
  source.SetEntry(2, {7, 8, 9});
  source.Comments = {"kept"};
  TLUT moved(std::move(source));
  TLUT assigned;
  assigned.SetNode(20, 20, 20, {1, 1, 1});
  assigned = std::move(moved);
  EXPECT_EQ(assigned.Comments, std::vector<std::string>{"kept"});
  for (int r = 0; r < 9; ++r)
    for (int g = 0; g < 9; ++g)
      for (int b = 0; b < 9; ++b) ASSERT_EQ(assigned.GetNode(r, g, b), reference.GetNode(r, g, b));
  EXPECT_EQ(assigned.GetEntry(2), (TRGB{7, 8, 9}));
  EXPECT_EQ(assigned.GridNodes(), 9);
  for (const TLUT* empty : {&source, &moved}) {  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(empty->GridNodes(), 0);
    EXPECT_EQ(empty->GetNode(8, 7, 6), (TRGB{0, 0, 0}));
    EXPECT_EQ(empty->GetEntry(2), (TRGB{0, 0, 0}));
  }
  source.SetNode(1, 1, 1, {2, 2, 2});  // a moved-from record is filled again
  EXPECT_EQ(source.GetNode(1, 1, 1), (TRGB{2, 2, 2}));
}

TEST(TLUTStorage, StoringOutsideTheCapacitiesIsRefused) {
  TLUT lut;
  EXPECT_THROW(lut.SetNode(TLUT::MaxGridNodes, 0, 0, {}), std::out_of_range);
  EXPECT_THROW(lut.SetNode(0, -1, 0, {}), std::out_of_range);
  EXPECT_THROW(lut.SetEntry(TLUT::MaxTableEntries, {}), std::out_of_range);
  EXPECT_THROW(lut.SetEntry(-1, {}), std::out_of_range);
  lut.SetNode(100, 100, 100, {1, 2, 3});
  lut.SetEntry(TLUT::MaxTableEntries - 1, {4, 5, 6});
  EXPECT_EQ(lut.GetNode(100, 100, 100), (TRGB{1, 2, 3}));
  EXPECT_EQ(lut.GetEntry(TLUT::MaxTableEntries - 1), (TRGB{4, 5, 6}));
  lut.ReserveGrid(1000);
  EXPECT_EQ(lut.GridNodes(), TLUT::MaxGridNodes);
}

// A table whose length is the count of its lines: every appended entry stays.
TEST(TLUTStorage, TablesGrowEntryByEntryKeepingTheirValues) {
  TLUT lut;
  for (int i = 0; i < 5000; ++i) lut.SetEntry(i, {i * 1.0, -i * 1.0, 0.5});
  EXPECT_GE(lut.TableEntries(), 5000);
  for (int i = 0; i < 5000; ++i) ASSERT_EQ(lut.GetEntry(i), (TRGB{i * 1.0, -i * 1.0, 0.5}));
}

}  // namespace
}  // namespace vorn
