#pragma once
// How far two LUTs apart are: both are evaluated at the same inputs and the differences of
// their outputs are summed up per channel and over all channels (largest, mean, 99th
// percentile and where the largest occurs), with the largest CIEDE2000 colour difference
// when the outputs are read as sRGB-encoded values. Used by "vorn-lut compare", by the
// loss report of a conversion and by the window's loss summary.

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "core/LUT.h"
#include "core/LUTFormat.h"
#include "platform/Exception.h"
#include "platform/Export.h"

namespace vorn {

// The top code of the 10-bit coding in which differences are also reported.
inline constexpr double kTenBitTop = 1023.0;
inline constexpr int kMinLatticeSize = 2;
inline constexpr int kMaxLatticeSize = 129;
inline constexpr int kDefaultLatticeSize = 33;

struct TCompareOptions {
  // 0: the inputs follow the two LUTs (see SampleCount); otherwise an n x n x n lattice.
  int LatticeSize = 0;
};

struct TDifferenceStats {
  double Max = 0.0;
  double Mean = 0.0;
  double P99 = 0.0;  // the nearest-rank 99th percentile
  TRGB MaxAt;        // the first input, in sampling order, where Max occurs
};

struct TLutComparison {
  std::size_t Samples = 0;
  int LatticeSize = 0;  // as in TCompareOptions
  // Absolute differences of the normalised outputs: R, G and B, and all three together.
  std::array<TDifferenceStats, 3> Channels;
  TDifferenceStats Overall;
  int OverallMaxChannel = 0;  // 0, 1 or 2: the channel of Overall.Max
  // CIEDE2000 between the two outputs read as sRGB-encoded values.
  TDifferenceStats DeltaE;
};

// A comparison whose numbers could not be finite: a LUT holds a value that is not a finite
// number (a loaded file may: a SpeedGrade look keeps infinities), or the values are so
// large that their differences overflow. No NaN or infinity is ever reported.
class VORN_API EComparisonRefused : public Exception {
 public:
  using Exception::Exception;
};

// Evaluates both LUTs at the same inputs. By default those are every node of both grids
// (a LUT without a grid counts as a 33-node lattice), the centre of every cell of the finer
// of them, and, for a LUT with a 1D table, the grey-axis inputs (x, x, x) at every entry of
// its table and halfway between the entries of the longer table. An input that two of
// these sets share is counted once. A record whose size is beyond its capacity raises, and
// one that gives no finite numbers raises EComparisonRefused.
VORN_API TLutComparison CompareLuts(const TLUT& first, const TLUT& second,
                                    const TCompareOptions& options = {});

// What a conversion lost: the written file read back (format detected, the bit depth it
// was written with) compared with its source.
struct TConversionLoss {
  bool ReadBack = false;
  std::string Problem;  // why the written file was not compared, when ReadBack is false
  TLutComparison Comparison;
};

// sourceInputBits is the bit depth the source was read with, writtenBits the one the
// file was written with (-1 for the defaults). companions are the files the output format
// wrote beside it (TLUTFormat::CompanionPaths): a written file that loads back without values
// (a look that names its cube) is compared through the first of them that holds values.
// Never raises for the written file: a file that does not load back, holds no values, or
// a comparison refused, says so in Problem.
// member is the LUT of the source that was converted (TLoadContext::Member).
TConversionLoss MeasureConversionLoss(const std::string& source, int sourceInputBits,
                                      const std::string& written, int writtenBits,
                                      const std::vector<std::string>& companions = {},
                                      const TLutMemberChoice& member = {});

}  // namespace vorn
