#include "formats/CineSpaceFormat.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "formats/FormatToolkit.h"

namespace vorn {

namespace {

constexpr TValueLayout kCspValues{.Order = noRedFastest};
constexpr const char* kChannelNames[3] = {"red", "green", "blue"};
// How close a sampled prelut stays to its curve.
constexpr double kPrelutTolerance = 1e-6;
constexpr int kBreakpointDecimals = 9;
constexpr int kValueDecimals = 6;

// One channel's prelut: its breakpoints' inputs (rising) and outputs.
struct TPrelut {
  std::vector<double> In{0.0, 1.0};
  std::vector<double> Out{0.0, 1.0};

  double First() const { return In.front(); }
  double Last() const { return In.back(); }

  // Every breakpoint on the line through the first and the last: the curve is that line.
  bool IsStraight() const {
    const double slope = (Out.back() - Out.front()) / (Last() - First());
    for (std::size_t i = 1; i + 1 < In.size(); ++i) {
      const double onLine = Out.front() + slope * (In[i] - First());
      if (std::fabs(Out[i] - onLine) > 1e-12 * std::max(1.0, std::fabs(onLine))) return false;
    }
    return true;
  }
  bool MapsOntoUnit() const { return Out.front() == 0.0 && Out.back() == 1.0; }

  // The slope at inner breakpoint k, times the width of the interval it is used in.
  double Tangent(std::size_t k, double width) const {
    return (Out[k + 1] - Out[k - 1]) / (In[k + 1] - In[k - 1]) * width;
  }

  double Evaluate(double x) const {
    if (std::isnan(x)) return x;
    if (x <= First()) return Out.front();
    if (x >= Last()) return Out.back();
    const std::size_t i =
        static_cast<std::size_t>(std::upper_bound(In.begin(), In.end(), x) - In.begin()) - 1;
    const double width = In[i + 1] - In[i];
    const double z = (x - In[i]) / width;
    const double rise = Out[i + 1] - Out[i];
    const double line = Out[i] + z * rise;
    if (In.size() == 2) return line;
    // Hermite between the chord slopes of the inner ends; an outer end gives no slope, and
    // the interval is the quadratic that meets the inner end's.
    const bool firstInterval = i == 0;
    const bool lastInterval = i + 2 == In.size();
    const double atStart = firstInterval ? 0.0 : Tangent(i, width) - rise;
    const double atEnd = lastInterval ? 0.0 : Tangent(i + 1, width) - rise;
    const double bend = z * (1.0 - z);
    if (firstInterval) return line - bend * atEnd;
    if (lastInterval) return line + bend * atStart;
    return line + bend * ((1.0 - z) * atStart - z * atEnd);
  }
};

TLutDomain DomainOf(const TPrelut (&prelut)[3]) {
  return {{prelut[0].First(), prelut[1].First(), prelut[2].First()},
          {prelut[0].Last(), prelut[1].Last(), prelut[2].Last()}};
}

TRGB EvaluatePrelut(const TPrelut (&prelut)[3], const TRGB& in) {
  return {prelut[0].Evaluate(in.R), prelut[1].Evaluate(in.G), prelut[2].Evaluate(in.B)};
}

std::string PrelutMessage(int channel, const std::string& text) {
  return "The prelut of the " + std::string(kChannelNames[channel]) + " channel " + text;
}

bool StartsWithWords(std::string_view trimmed, std::string_view words) {
  return PosNoCase(words, trimmed) == 1;
}

}  // namespace

struct TCineSpaceFormat::TCspLoad : TLoadState {
  using TLoadState::TLoadState;
  enum class TStep : std::uint8_t { Magic, Type, Prelut, BodySize, Body };
  TStep Step = TStep::Magic;
  bool FileIs3D = false;
  bool InMetadata = false;
  bool PrelutStarted = false;
  int Channel = 0;
  int Part = 0;  // 0: the count, 1: the inputs, 2: the outputs
  int Points = 0;
  TPrelut Prelut[3];
  std::vector<double> Numbers;
};

bool TCineSpaceFormat::IsFormat(const std::string& path) const {
  return HasHeaderLines(
      path,
      {{.Keyword = "CSPLUTV100", .Place = TKeywordPlace::FirstLine, .Value = TKeywordValue::Word},
       {.Keyword = Is3D ? "3D" : "1D", .Value = TKeywordValue::Nothing}});
}

std::unique_ptr<TLoadState> TCineSpaceFormat::NewLoadState(const std::string&,
                                                           std::int32_t inputBits) const {
  return std::make_unique<TCspLoad>(inputBits);
}

void TCineSpaceFormat::ParseLine(TLoadState& state, std::string_view line, TLUT& lut) const {
  auto& load = static_cast<TCspLoad&>(state);
  const std::string_view trimmed = Trim(line);
  switch (load.Step) {
    case TCspLoad::TStep::Magic:
    case TCspLoad::TStep::Type:
      ParseHeadLine(load, trimmed, lut);
      break;
    case TCspLoad::TStep::Prelut:
      if (!load.PrelutStarted && (load.InMetadata || StartsWithWords(trimmed, "BEGIN METADATA"))) {
        ParseHeadLine(load, trimmed, lut);
      } else {
        load.PrelutStarted = true;
        ParsePrelutLine(load, trimmed);
      }
      break;
    case TCspLoad::TStep::BodySize:
      ParseBodySize(load, trimmed);
      break;
    case TCspLoad::TStep::Body:
      if (load.FileIs3D) {
        load.ReadGridLine(trimmed, lut, kCspValues);
      } else {
        load.ReadTableLine(trimmed, lut, kCspValues);
      }
      break;
  }
}

// The first two lines and the metadata block.
void TCineSpaceFormat::ParseHeadLine(TCspLoad& load, std::string_view trimmed, TLUT& lut) const {
  if (load.Step == TCspLoad::TStep::Magic) {
    if (!StartsWithWords(trimmed, "CSPLUTV100")) {
      throw ELUTError("A cineSpace file begins with the line CSPLUTV100.");
    }
    load.Step = TCspLoad::TStep::Type;
  } else if (load.Step == TCspLoad::TStep::Type) {
    const std::string type = UpperCase(trimmed);
    if (type != "1D" && type != "3D") {
      throw ELUTError("The second line of a cineSpace file says 1D or 3D, not \"" +
                      EscapeControls(trimmed) + "\".");
    }
    load.FileIs3D = type == "3D";
    load.Step = TCspLoad::TStep::Prelut;
  } else if (!load.InMetadata) {
    load.InMetadata = true;
  } else if (StartsWithWords(trimmed, "END METADATA")) {
    load.InMetadata = false;
    load.PrelutStarted = true;  // one block only
  } else {
    lut.Comments.emplace_back(trimmed);
  }
}

void TCineSpaceFormat::ParsePrelutLine(TCspLoad& load, std::string_view trimmed) const {
  const int channel = load.Channel;
  if (load.Part == 0) {
    std::int32_t points = 0;
    if (!TryStrToInt(trimmed, points) || points < 0) {
      throw ELUTError(PrelutMessage(
          channel, "needs a count of breakpoints, not \"" + EscapeControls(trimmed) + "\"."));
    }
    if (points > TLUT::MaxTableEntries) {
      throw ELUTError(PrelutMessage(channel, "declares " + std::to_string(points) +
                                                 " breakpoints: a prelut holds at most 100001."));
    }
    load.Points = points;
    // Fewer than two breakpoints: an identity, without lines of its own.
    load.Part = points < 2 ? 3 : 1;
  } else {
    const bool inputs = load.Part == 1;
    const std::string_view bad = ParseRealList(trimmed, load.Numbers, load.Points);
    if (!bad.empty()) {
      throw ELUTError(
          PrelutMessage(channel, "holds \"" + EscapeControls(bad) + "\", which is not a number."));
    }
    if (load.Numbers.size() != static_cast<std::size_t>(load.Points)) {
      throw ELUTError(PrelutMessage(
          channel, "declares " + std::to_string(load.Points) + " breakpoints but its line of " +
                       (inputs ? "inputs" : "outputs") + " holds " +
                       (load.Numbers.size() > static_cast<std::size_t>(load.Points)
                            ? "more"
                            : std::to_string(load.Numbers.size())) +
                       "."));
    }
    for (std::size_t i = 0; i < load.Numbers.size(); ++i) {
      const bool rises = i == 0 || load.Numbers[i] > load.Numbers[i - 1];
      if (!std::isfinite(load.Numbers[i]) || (inputs && !rises)) {
        throw ELUTError(PrelutMessage(
            channel, inputs ? "needs finite inputs that rise." : "needs finite outputs."));
      }
    }
    (inputs ? load.Prelut[channel].In : load.Prelut[channel].Out).swap(load.Numbers);
    ++load.Part;
  }
  if (load.Part == 3) {
    load.Part = 0;
    if (++load.Channel == 3) load.Step = TCspLoad::TStep::BodySize;
  }
}

void TCineSpaceFormat::ParseBodySize(TCspLoad& load, std::string_view trimmed) const {
  const std::string_view bad = ParseRealList(trimmed, load.Numbers, 3);
  const std::size_t count = load.FileIs3D ? 3 : 1;
  const bool integers = bad.empty() && load.Numbers.size() == count &&
                        std::all_of(load.Numbers.begin(), load.Numbers.end(), [](double n) {
                          return n == std::floor(n) && std::fabs(n) < 1e9;
                        });
  if (!integers) {
    throw ELUTError(load.FileIs3D ? "The 3D body needs its sizes \"n n n\" after the prelut."
                                  : "The 1D body needs its entry count after the prelut.");
  }
  const auto size = static_cast<std::int64_t>(load.Numbers[0]);
  if (load.FileIs3D) {
    if (load.Numbers[1] != load.Numbers[0] || load.Numbers[2] != load.Numbers[0]) {
      throw ELUTError("The 3D body " + std::string(trimmed) +
                      " is not read: every axis must have as many nodes.");
    }
    load.SetGridSize(size, 2);
  } else {
    load.SetTableSize(size, 2);
  }
  load.Step = TCspLoad::TStep::Body;
}

void TCineSpaceFormat::FinishLoad(TLoadState& state, TLUT& lut) const {
  auto& load = static_cast<TCspLoad&>(state);
  load.FinishRecord(lut, load.FileIs3D);
  const TPrelut(&prelut)[3] = load.Prelut;
  const bool straight = std::all_of(std::begin(prelut), std::end(prelut),
                                    [](const TPrelut& p) { return p.IsStraight(); });
  const bool ontoUnit = std::all_of(std::begin(prelut), std::end(prelut),
                                    [](const TPrelut& p) { return p.MapsOntoUnit(); });
  const TLutDomain domain = DomainOf(prelut);
  if (straight && ontoUnit) {
    (load.FileIs3D ? lut.GridDomain : lut.TableDomain) = domain;
    return;
  }
  if (load.FileIs3D && straight) {
    // The straight line between the ends: a shaper of two entries.
    lut.Kind = lk1DAnd3D;
    lut.Size1D = 2;
    lut.TableDomain = domain;
    lut.SetEntry(0, {prelut[0].Out.front(), prelut[1].Out.front(), prelut[2].Out.front()});
    lut.SetEntry(1, {prelut[0].Out.back(), prelut[1].Out.back(), prelut[2].Out.back()});
    return;
  }
  if (load.FileIs3D) {
    lut.Kind = lk1DAnd3D;
    SampleCurvesOntoTable(
        lut, domain, [&](const TRGB& in) { return EvaluatePrelut(prelut, in); }, kPrelutTolerance);
    return;
  }
  // The prelut and the body in one table.
  TLUT body = std::move(lut);
  lut.Comments = std::move(body.Comments);
  lut.Kind = lk1D;
  SampleCurvesOntoTable(
      lut, domain, [&](const TRGB& in) { return body.Evaluate1D(EvaluatePrelut(prelut, in)); },
      kPrelutTolerance);
}

// ---- Writing -----------------------------------------------------------------------------

namespace {

double Channel(const TRGB& v, int channel) {
  return channel == 0 ? v.R : channel == 1 ? v.G : v.B;
}

// Per channel: the straight prelut from the domain onto [0, 1].
void AddDomainPrelut(TTextFile& text, const TLutDomain& domain) {
  const TValueWriter writer = TValueWriter::Fixed(kBreakpointDecimals);
  for (int channel = 0; channel < 3; ++channel) {
    const double ends[2] = {Channel(domain.Min, channel), Channel(domain.Max, channel)};
    text.Add("2");
    AddNumberLine(text, 2, writer, [&](int i) { return ends[i]; });
    text.Add("0 1");
  }
}

// Per channel: the shaper's entries at even inputs over its domain, as inputs of the grid.
void AddShaperPrelut(TTextFile& text, const TLUT& lut) {
  const int n = TableSizeToWrite(lut);
  const TValueWriter inputs = TValueWriter::Fixed(kBreakpointDecimals);
  const TValueWriter outputs = TValueWriter::Fixed(kValueDecimals);
  for (int channel = 0; channel < 3; ++channel) {
    const double low = Channel(lut.TableDomain.Min, channel);
    const double high = Channel(lut.TableDomain.Max, channel);
    const double gridLow = Channel(lut.GridDomain.Min, channel);
    const double gridHigh = Channel(lut.GridDomain.Max, channel);
    text.Add(std::to_string(n));
    AddNumberLine(text, n, inputs, [&](int i) { return low + (high - low) * i / (n - 1); });
    AddNumberLine(text, n, outputs,
                  [&](int i) { return (lut.Entry(i)[channel] - gridLow) / (gridHigh - gridLow); });
  }
}

}  // namespace

void TCineSpaceFormat::Write(const std::string& path, const TLUT& lut, int, TWriteMode mode) const {
  const bool grid = Is3D;
  TTextFile text;
  text.StreamTo(path, mode);
  text.Add("CSPLUTV100");
  text.Add(grid ? "3D" : "1D");
  text.Add("");
  text.Add("BEGIN METADATA");
  for (const std::string& comment : lut.Comments) text.Add(comment);
  text.Add(CommentText(kConvertedBy));
  text.Add("END METADATA");
  text.Add("");
  if (grid && lut.Kind == lk1DAnd3D) {
    AddShaperPrelut(text, lut);
  } else {
    AddDomainPrelut(text, grid ? lut.GridDomain : lut.TableDomain);
  }
  text.Add("");
  const TValueWriter values = TValueWriter::Fixed(kValueDecimals);
  if (grid) {
    const std::string size = std::to_string(GridSizeToWrite(lut));
    text.Add(size + " " + size + " " + size);
    AddGridLines(text, lut, kCspValues, values);
  } else {
    text.Add(std::to_string(TableSizeToWrite(lut)));
    AddTableLines(text, lut, kCspValues, values);
  }
  text.Save(path, mode);
}

}  // namespace vorn
