// "compare": how far two LUTs apart are, per channel and over all channels, in normalised
// units and in 10-bit codes, with the largest CIEDE2000 colour difference; as a table or as
// one JSON document. With a tolerance it fails when the largest difference is above it.

#include <charconv>
#include <memory>

#include "cli/Commands.h"
#include "cli/LutJson.h"
#include "cli/Messages.h"
#include "core/VornLut.h"
#include "imaging/LutComparison.h"

namespace vorn::cli {

namespace {

constexpr const char* kChannelNames[] = {"red", "green", "blue"};

std::unique_ptr<TLUT> LoadForComparison(const std::string& path, int inputBits,
                                        const TWarningHandler& onWarning) {
  auto lut = std::make_unique<TLUT>();
  try {
    ReportWarnings(LoadLut(path, *lut, -1, inputBits), onWarning);
    if (lut->FormatIndex < 0) throw ECommandError(path + ": not a LUT file of any known format");
    CheckLutSizes(*lut);
    RequireLutData(*lut, path);
  } catch (const ECommandError&) {
    throw;
  } catch (const std::exception& error) {
    throw ECommandError(FileErrorLine(error, path));
  }
  return lut;
}

std::string Number(double value, std::chars_format format, int precision) {
  char text[64];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value, format, precision);
  return ec == std::errc() ? std::string(text, end) : std::string("?");
}

std::string Fixed(double value, int decimals) {
  return Number(value, std::chars_format::fixed, decimals);
}

std::string Input(const TRGB& input) {
  return Number(input.R, std::chars_format::general, 6) + " " +
         Number(input.G, std::chars_format::general, 6) + " " +
         Number(input.B, std::chars_format::general, 6);
}

std::string PadLeft(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string PadRight(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : text + std::string(width - text.size(), ' ');
}

std::string Sampling(const TLutComparison& c) {
  if (c.LatticeSize > 0) {
    const std::string n = std::to_string(c.LatticeSize);
    return "a " + n + " x " + n + " x " + n + " lattice";
  }
  return "the nodes of both LUTs and the centres of the finer grid's cells";
}

std::string Description(const std::string& path, const TLUT& lut) {
  std::string text = EscapeField(path) + " (" + GetFormat(lut.FormatIndex)->Name;
  for (const std::string& line : LutInformationLines(lut)) {
    if (line.starts_with("Type: ") || line.starts_with("Dimension: ")) text += ", " + line;
  }
  return text + ")";
}

void AppendRow(const std::string& name, const TDifferenceStats& s, TOutputBuffer& out) {
  out << PadRight(name, 8) << PadLeft(Fixed(s.Max, 6), 10) << PadLeft(Fixed(s.Mean, 6), 10)
      << PadLeft(Fixed(s.P99, 6), 10) << PadLeft(Fixed(s.Max * kTenBitTop, 3), 10)
      << PadLeft(Fixed(s.Mean * kTenBitTop, 3), 10) << PadLeft(Fixed(s.P99 * kTenBitTop, 3), 10)
      << "  " << Input(s.MaxAt) << '\n';
}

void AppendText(const TComparisonOptions& options, const TLUT& first, const TLUT& second,
                const TLutComparison& c, TOutputBuffer& out) {
  out << "First:  " << Description(options.First, first) << '\n';
  out << "Second: " << Description(options.Second, second) << '\n';
  out << "Inputs: " << static_cast<long long>(c.Samples) << ", " << Sampling(c) << '\n';
  out << '\n';
  out << "Absolute differences    normalised                 in 10-bit codes\n";
  out << "Channel    largest      mean  99th pct   largest      mean  99th pct  largest at (R G "
         "B)\n";
  AppendRow("R", c.Channels[0], out);
  AppendRow("G", c.Channels[1], out);
  AppendRow("B", c.Channels[2], out);
  AppendRow("Overall", c.Overall, out);
  out << '\n';
  out << "Largest colour difference (CIEDE2000, outputs read as sRGB): " << Fixed(c.DeltaE.Max, 4)
      << " at " << Input(c.DeltaE.MaxAt) << '\n';
  out << "Mean colour difference: " << Fixed(c.DeltaE.Mean, 4)
      << ", 99th percentile: " << Fixed(c.DeltaE.P99, 4) << '\n';
}

TJson InputJson(const TRGB& input) {
  return TJson::array({input.R, input.G, input.B});
}

TJson StatsJson(const TDifferenceStats& s) {
  TJson stats;
  stats["max"] = s.Max;
  stats["mean"] = s.Mean;
  stats["p99"] = s.P99;
  stats["max_codes_10bit"] = s.Max * kTenBitTop;
  stats["mean_codes_10bit"] = s.Mean * kTenBitTop;
  stats["p99_codes_10bit"] = s.P99 * kTenBitTop;
  stats["max_at"] = InputJson(s.MaxAt);
  return stats;
}

TJson ComparisonJson(const TComparisonOptions& options, const TLUT& first, const TLUT& second,
                     const TLutComparison& c) {
  TJson document;
  document["first"] = LutDescription(options.First, first);
  document["second"] = LutDescription(options.Second, second);
  TJson sampling;
  sampling["inputs"] = c.LatticeSize > 0 ? "lattice" : "nodes";
  sampling["lattice_size"] = c.LatticeSize > 0 ? TJson(c.LatticeSize) : TJson(nullptr);
  sampling["samples"] = c.Samples;
  document["sampling"] = std::move(sampling);
  TJson differences;
  for (int channel = 0; channel < 3; ++channel) {
    differences[kChannelNames[channel]] = StatsJson(c.Channels[channel]);
  }
  TJson overall = StatsJson(c.Overall);
  overall["max_channel"] = kChannelNames[c.OverallMaxChannel];
  differences["overall"] = std::move(overall);
  document["differences"] = std::move(differences);
  TJson deltaE;
  deltaE["max"] = c.DeltaE.Max;
  deltaE["mean"] = c.DeltaE.Mean;
  deltaE["p99"] = c.DeltaE.P99;
  deltaE["max_at"] = InputJson(c.DeltaE.MaxAt);
  document["delta_e_2000"] = std::move(deltaE);
  if (options.Tolerance) {
    document["tolerance"] = {{"value", *options.Tolerance},
                             {"exceeded", c.Overall.Max > *options.Tolerance}};
  } else {
    document["tolerance"] = nullptr;
  }
  return document;
}

}  // namespace

void CompareFiles(const TComparisonOptions& options, TOutputBuffer& out,
                  const TWarningHandler& onWarning) {
  const std::unique_ptr<TLUT> first =
      LoadForComparison(options.First, options.InputBits, onWarning);
  const std::unique_ptr<TLUT> second =
      LoadForComparison(options.Second, options.InputBits, onWarning);
  const TLutComparison comparison = CompareLuts(*first, *second, {options.Samples});
  if (options.Json) {
    AppendJson(ComparisonJson(options, *first, *second, comparison), out);
  } else {
    AppendText(options, *first, *second, comparison, out);
  }
  if (options.Tolerance && comparison.Overall.Max > *options.Tolerance) {
    throw ECommandError(
        "the largest difference " + Number(comparison.Overall.Max, std::chars_format::general, 6) +
        " is above the tolerance " + Number(*options.Tolerance, std::chars_format::general, 6));
  }
}

}  // namespace vorn::cli
