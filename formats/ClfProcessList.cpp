#include "formats/ClfProcessList.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "formats/FormatToolkit.h"

namespace vorn {

namespace {

// The newest versions this reader knows: CLF 3 and CTF 2.
constexpr double kNewestClfVersion = 3.0;
constexpr double kNewestCtfVersion = 2.0;
// The newest SMPTE namespace year, for files that state their version that way.
constexpr int kNewestNamespaceYear = 2024;
constexpr std::string_view kSmpteNamespace = "http://www.smpte-ra.org/ns/2136-1/";
// A half-domain table has one entry per half-float bit pattern.
constexpr int kHalfDomainEntries = 65536;

[[noreturn]] void Refuse(const std::string& message) {
  throw ELUTError(message);
}

bool NameIs(const TXMLNode& node, std::string_view name) {
  return node.Name == name;
}

std::string Quoted(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted.push_back('"');
  quoted.append(text);
  quoted.push_back('"');
  return quoted;
}

// ---- bit depths -----------------------------------------------------------------------------

struct TDepthName {
  std::string_view Name;
  TClfDepth Depth;
  double Scale;
};
constexpr TDepthName kDepths[] = {
    {"8i", TClfDepth::Int8, 255.0},    {"10i", TClfDepth::Int10, 1023.0},
    {"12i", TClfDepth::Int12, 4095.0}, {"16i", TClfDepth::Int16, 65535.0},
    {"16f", TClfDepth::Half, 1.0},     {"32f", TClfDepth::Float, 1.0},
};

TClfDepth RequiredDepth(const TXMLNode& node, std::string_view attribute) {
  const TXMLValue* value = node.Attributes.Find(attribute);
  if (value == nullptr) Refuse("The " + node.Name + " node has no " + std::string(attribute) + ".");
  for (const TDepthName& depth : kDepths) {
    if (Trim(value->Text) == depth.Name) return depth.Depth;
  }
  Refuse("The " + std::string(attribute) + " " + Quoted(value->Text) + " of the " + node.Name +
         " node is not a bit depth (8i, 10i, 12i, 16i, 16f, 32f).");
}

// ---- numbers --------------------------------------------------------------------------------

double Number(const TXMLNode& node, std::string_view what, std::string_view text) {
  double value = 0.0;
  if (!ParseRealToken(Trim(text), value) || !std::isfinite(value)) {
    Refuse("The " + std::string(what) + " " + Quoted(Trim(text)) + " of the " + node.Name +
           " node is not a number.");
  }
  return value;
}

std::optional<double> OptionalAttribute(const TXMLNode& node, std::string_view name) {
  const TXMLValue* value = node.Attributes.Find(name);
  if (value == nullptr) return std::nullopt;
  return Number(node, name, value->Text);
}

std::optional<double> OptionalChildNumber(const TXMLNode& node, std::string_view name) {
  const TXMLNode* child = node.ChildByName(name);
  if (child == nullptr) return std::nullopt;
  return Number(node, name, child->Value.Text);
}

// Exactly count numbers in the text of the named child.
template <std::size_t Count>
std::array<double, Count> ChildNumbers(const TXMLNode& parent, const TXMLNode& owner,
                                       std::string_view name) {
  const TXMLNode* child = parent.ChildByName(name);
  if (child == nullptr) Refuse("The " + owner.Name + " node has no " + std::string(name) + ".");
  std::array<double, Count> values{};
  std::size_t count = 0;
  const std::string_view bad = ForEachRealIn(child->Value.Text, [&](double value) {
    if (count < Count) values[count] = value;
    ++count;
  });
  if (!bad.empty() || count != Count) {
    Refuse("The " + std::string(name) + " of the " + owner.Name + " node must be " +
           std::to_string(Count) + (Count == 1 ? " number." : " numbers."));
  }
  return values;
}

// ---- arrays ---------------------------------------------------------------------------------

std::vector<std::int64_t> ArrayDimensions(const TXMLNode& node, const TXMLNode& array) {
  std::vector<std::int64_t> dims;
  const TXMLValue* dim = array.Attributes.Find("dim");
  if (dim == nullptr) Refuse("The Array of the " + node.Name + " node has no dim attribute.");
  const std::string_view bad = ForEachRealIn(
      dim->Text, [&](double value) { dims.push_back(static_cast<std::int64_t>(value)); });
  if (!bad.empty() || dims.empty() ||
      std::any_of(dims.begin(), dims.end(), [](std::int64_t d) { return d < 1; })) {
    Refuse("The Array dim " + Quoted(dim->Text) + " of the " + node.Name + " node is not valid.");
  }
  return dims;
}

[[noreturn]] void RefuseDimensions(const TXMLNode& node, const TXMLNode& array) {
  Refuse("The Array dim " + Quoted(array.Attributes.Find("dim")->Text) + " does not fit a " +
         node.Name + " node.");
}

// Calls take(index, value) for each number of the array, refusing a piece that is not a
// number and a count other than expected.
template <class Take>
void ReadArrayValues(const TXMLNode& node, const TXMLNode& array, std::int64_t expected,
                     Take&& take) {
  std::int64_t count = 0;
  const std::string_view bad = ForEachRealIn(array.Value.Text, [&](double value) {
    if (count < expected) take(count, value);
    ++count;
  });
  if (!bad.empty()) {
    Refuse("The Array of the " + node.Name + " node holds " + Quoted(bad) +
           ", which is not a number.");
  }
  if (count != expected) {
    Refuse("The Array of the " + node.Name + " node holds " + std::to_string(count) +
           " values where its dim asks for " + std::to_string(expected) + ".");
  }
}

const TXMLNode& RequiredArray(const TXMLNode& node) {
  const TXMLNode* array = node.ChildByName("Array");
  if (array == nullptr) Refuse("The " + node.Name + " node has no Array.");
  return *array;
}

}  // namespace

double HalfBitsToReal(double code) {
  const auto bits = static_cast<std::uint32_t>(code);
  const std::uint32_t sign = bits >> 15;
  const std::uint32_t exponent = (bits >> 10) & 0x1f;
  const std::uint32_t mantissa = bits & 0x3ff;
  double magnitude = 0.0;
  if (exponent == 0) {
    magnitude = std::ldexp(static_cast<double>(mantissa), -24);
  } else if (exponent == 31) {
    magnitude = mantissa == 0 ? INFINITY : NAN;
  } else {
    magnitude = std::ldexp(static_cast<double>(mantissa + 1024), static_cast<int>(exponent) - 25);
  }
  return sign != 0 ? -magnitude : magnitude;
}

namespace {

// A "true" flag of a LUT1D; "false" or anything else is refused, as the flags are only
// ever written set.
bool TrueFlag(const TXMLNode& node, std::string_view name) {
  const TXMLValue* value = node.Attributes.Find(name);
  if (value == nullptr) return false;
  if (Trim(value->Text) != "true") {
    Refuse("The " + std::string(name) + " attribute of the " + node.Name + " node is " +
           Quoted(value->Text) + ": only \"true\" may be written.");
  }
  return true;
}

// A two-point index map (CLF 2 and CTF): value a at index i and value b at index j. The
// entries from i to j are kept and the inputs a to b become their domain (a grid's map must
// name its first and last node).
void ReadIndexMap(const TXMLNode& node, const TXMLNode& map, double inScale, TLUT& lut) {
  const bool grid = lut.Kind == lk3D;
  const std::int64_t entries = grid ? lut.Size3D : lut.Size1D;
  std::vector<std::pair<double, double>> points;
  std::string flat(map.Value.Text);
  std::replace(flat.begin(), flat.end(), '@', ' ');
  std::vector<double> numbers;
  const bool bad = !ForEachRealIn(flat, [&](double value) { numbers.push_back(value); }).empty();
  if (bad || numbers.size() % 2 != 0) {
    Refuse("The IndexMap of the " + node.Name + " node is not a list of value@index pairs.");
  }
  for (std::size_t i = 0; i < numbers.size(); i += 2)
    points.emplace_back(numbers[i], numbers[i + 1]);
  const double first = points.size() == 2 ? points[0].second : -1.0;
  const double last = points.size() == 2 ? points[1].second : -1.0;
  const bool ends = first == 0.0 && last == static_cast<double>(entries - 1);
  const bool slice = !grid && first >= 0.0 && last > first && last < static_cast<double>(entries) &&
                     first == std::floor(first) && last == std::floor(last);
  if (points.size() != 2 || !(ends || slice) || !(points[1].first > points[0].first)) {
    Refuse("The IndexMap of the " + node.Name +
           " node is not read: only two entries that map onto whole indices (a grid's first and "
           "last) are.");
  }
  if (!ends) {
    const int from = static_cast<int>(first);
    const int count = static_cast<int>(last) - from + 1;
    for (int i = 0; i < count; ++i) lut.SetEntry(i, lut.GetEntry(from + i));
    lut.Size1D = count;
  }
  const double low = points[0].first / inScale;
  const double high = points[1].first / inScale;
  TLutDomain& domain = grid ? lut.GridDomain : lut.TableDomain;
  domain.Min = {low, low, low};
  domain.Max = {high, high, high};
}

struct TListVersion {
  bool IsCtf = false;
  double Version = 0.0;
};

void ReadOptionalIndexMap(const TXMLNode& node, const TListVersion& version, double inScale,
                          TLUT& lut) {
  const TXMLNode* map = node.ChildByName("IndexMap");
  if (map == nullptr) return;
  if (!version.IsCtf && version.Version >= 3.0) {
    Refuse("The " + node.Name + " node holds an IndexMap, which CLF 3 no longer allows.");
  }
  int maps = 0;
  for (std::size_t i = 0; i < node.ChildCount(); ++i) maps += NameIs(node.Child(i), "IndexMap");
  if (maps > 1) Refuse("The " + node.Name + " node holds more than one IndexMap.");
  ReadIndexMap(node, *map, inScale, lut);
}

template <std::size_t N>
bool OneOf(std::string_view name, const std::string_view (&names)[N]) {
  return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

// The style the parse helper knows, or a refusal that names the node.
template <class Parse>
auto KnownStyle(const TXMLNode& xml, std::string_view style, Parse&& parse) {
  const auto parsed = parse(style);
  if (!parsed) {
    Refuse("The " + xml.Name + " style " + Quoted(style) + " is not one this reader knows.");
  }
  return *parsed;
}

// ---- the nodes ------------------------------------------------------------------------------

struct TNodeReader {
  const TXMLNode& Xml;
  TClfNode& Node;
  const TListVersion& Version;

  double InScale() const { return ClfDepthScale(Node.In); }
  double OutScale() const { return ClfDepthScale(Node.Out); }

  void Lut1D() {
    if (const TXMLValue* hue = Xml.Attributes.Find("hueAdjust")) {
      Refuse("The " + Xml.Name + " node's hueAdjust " + Quoted(hue->Text) +
             " changes colours in a way this converter does not evaluate.");
    }
    const TXMLNode& array = RequiredArray(Xml);
    const std::vector<std::int64_t> dims = ArrayDimensions(Xml, array);
    if (dims.size() != 2 || (dims[1] != 1 && dims[1] != 3)) RefuseDimensions(Xml, array);
    Node.Table.HalfDomain = TrueFlag(Xml, "halfDomain");
    const bool rawHalfs = TrueFlag(Xml, "rawHalfs");
    const std::int64_t entries = dims[0];
    if (Node.Table.HalfDomain && entries != kHalfDomainEntries) {
      Refuse("The " + Xml.Name + " node has a half domain of " + std::to_string(entries) +
             " entries: it needs 65536.");
    }
    auto lut = std::make_shared<TLUT>();
    lut->Kind = lk1D;
    lut->Size1D = CheckedTableSize(entries, 2);
    lut->ReserveTable(lut->Size1D);
    const std::int64_t channels = dims[1];
    // An inverse table holds the outputs of the table it inverts: its input's codes.
    const double depthScale = Node.Kind == TClfNodeKind::InverseLut1D ? InScale() : OutScale();
    const double scale = rawHalfs ? 1.0 : depthScale;
    ReadArrayValues(Xml, array, entries * channels, [&](std::int64_t i, double value) {
      if (rawHalfs) value = HalfBitsToReal(value);
      double* entry = lut->Entry(static_cast<int>(i / channels));
      if (channels == 1) {
        entry[0] = entry[1] = entry[2] = value / scale;
      } else {
        entry[i % 3] = value / scale;
      }
    });
    ReadOptionalIndexMap(Xml, Version, InScale(), *lut);
    Node.Table.Lut = std::move(lut);
  }

  void Lut3D() {
    const TXMLNode& array = RequiredArray(Xml);
    const std::vector<std::int64_t> dims = ArrayDimensions(Xml, array);
    if (dims.size() != 4 || dims[0] != dims[1] || dims[0] != dims[2] || dims[3] != 3) {
      RefuseDimensions(Xml, array);
    }
    if (const TXMLValue* interpolation = Xml.Attributes.Find("interpolation")) {
      Node.Table.Interpolation = Trim(interpolation->Text);
    }
    auto lut = std::make_shared<TLUT>();
    lut->Kind = lk3D;
    const int n = CheckedGridSize(dims[0], 2);
    lut->Size3D = n;
    lut->ReserveGrid(n);
    const double scale = OutScale();
    int r = 0, g = 0, b = 0, c = 0;
    ReadArrayValues(Xml, array, std::int64_t{n} * n * n * 3, [&](std::int64_t, double value) {
      lut->Node(r, g, b)[c] = value / scale;
      if (++c < 3) return;
      c = 0;
      if (++b < n) return;
      b = 0;
      if (++g < n) return;
      g = 0;
      ++r;
    });
    ReadOptionalIndexMap(Xml, Version, InScale(), *lut);
    Node.Table.Lut = std::move(lut);
  }

  void Matrix() {
    const TXMLNode& array = RequiredArray(Xml);
    const std::vector<std::int64_t> dims = ArrayDimensions(Xml, array);
    // 3x3 and 3x4, written "3 3" or with a third number of channels ("3 3 3", "3 4 3");
    // a CTF matrix may carry alpha: 4x4 or 4x5, of which the colour part is kept.
    const bool oldCtfOffsets = Version.IsCtf && Version.Version < 1.3 && dims.size() == 3 &&
                               dims[0] == 4 && dims[1] == 4 && dims[2] == 3;
    const bool known =
        oldCtfOffsets || ((dims.size() == 2 || (dims.size() == 3 && dims[2] == dims[0])) &&
                          ((dims[0] == 3 && (dims[1] == 3 || dims[1] == 4)) ||
                           (Version.IsCtf && dims[0] == 4 && (dims[1] == 4 || dims[1] == 5))));
    if (!known) RefuseDimensions(Xml, array);
    const std::int64_t rows = dims[0];
    const std::int64_t columns = dims[1];
    // CTF before 1.3 wrote a 3x4 matrix as "4 4 3": four rows of four, the last all zeros.
    const bool offsets = columns == rows + 1 || (dims.size() == 3 && dims[2] == 3 && rows == 4);
    const double ratio = InScale() / OutScale();
    ReadArrayValues(Xml, array, rows * columns, [&](std::int64_t i, double value) {
      const std::int64_t row = i / columns;
      const std::int64_t column = i % columns;
      if (row >= 3) return;
      if (offsets && column == columns - 1) {
        Node.Matrix.Offset[row] = value / OutScale();
      } else if (column < 3) {
        Node.Matrix.M[row * 3 + column] = value * ratio;
      }
    });
  }

  void Range() {
    TRangeParams& range = Node.Range;
    auto scaled = [](std::optional<double> value, double scale) {
      return value ? std::optional<double>(*value / scale) : std::nullopt;
    };
    range.MinIn = scaled(OptionalChildNumber(Xml, "minInValue"), InScale());
    range.MaxIn = scaled(OptionalChildNumber(Xml, "maxInValue"), InScale());
    range.MinOut = scaled(OptionalChildNumber(Xml, "minOutValue"), OutScale());
    range.MaxOut = scaled(OptionalChildNumber(Xml, "maxOutValue"), OutScale());
    range.Clamp = KnownStyle(Xml, StyleOf(Xml, "Clamp"), ParseRangeClamp);
    CheckRange(range);
  }

  void CheckRange(const TRangeParams& range) const {
    if (range.MinIn.has_value() != range.MinOut.has_value() ||
        range.MaxIn.has_value() != range.MaxOut.has_value()) {
      Refuse(
          "The Range node must give minInValue with minOutValue and maxInValue with "
          "maxOutValue.");
    }
    if (!range.MinIn && !range.MaxIn) Refuse("The Range node gives neither minimum nor maximum.");
    if (!range.Clamp && (!range.MinIn || !range.MaxIn)) {
      Refuse("A Range of style noClamp needs all four values.");
    }
    if (range.MinIn && range.MaxIn) {
      if (!(*range.MaxIn - *range.MinIn > 1e-9)) {
        Refuse("The Range's maxInValue must lie above its minInValue.");
      }
      return;
    }
    // A single bound only clamps: in and out must be the same value.
    const double in = range.MinIn ? *range.MinIn : *range.MaxIn;
    const double out = range.MinIn ? *range.MinOut : *range.MaxOut;
    if (std::fabs(in - out) > 1e-6 * std::max(1.0, std::fabs(in))) {
      Refuse(
          "A Range with only a minimum or only a maximum must map it onto itself (after the "
          "bit depths).");
    }
  }

  void Log();
  void Exponent(std::string_view paramsName, std::string_view exponentName);
  void Cdl();

  static std::string StyleOf(const TXMLNode& xml, std::string_view fallback) {
    const TXMLValue* style = xml.Attributes.Find("style");
    return style ? std::string(Trim(style->Text)) : std::string(fallback);
  }

  // The channels (R, G, B; none for all three) that each params element sets.
  template <class Apply>
  void ForEachChannelParams(std::string_view paramsName, Apply&& apply) const {
    for (std::size_t i = 0; i < Xml.ChildCount(); ++i) {
      const TXMLNode& params = Xml.Child(i);
      if (!NameIs(params, paramsName)) continue;
      const TXMLValue* channel = params.Attributes.Find("channel");
      const std::string_view which = channel ? Trim(channel->Text) : std::string_view();
      if (which == "A") continue;  // the alpha of a CTF file is not a colour
      if (which.empty()) {
        for (int c = 0; c < 3; ++c) apply(params, c);
      } else if (which == "R" || which == "G" || which == "B") {
        apply(params, which == "R" ? 0 : which == "G" ? 1 : 2);
      } else {
        Refuse("The channel " + Quoted(which) + " of the " + Xml.Name + " node is not R, G or B.");
      }
    }
  }
};

// The Cineon-style parameters of a CTF LogParams (gamma, refWhite, refBlack, highlight,
// shadow) as those of linToLog and logToLin.
TLogChannelParams CineonChannel(const TXMLNode& params) {
  TCineonLogParams cineon;
  cineon.Gamma = OptionalAttribute(params, "gamma").value_or(cineon.Gamma);
  cineon.RefWhite = OptionalAttribute(params, "refWhite").value_or(cineon.RefWhite);
  cineon.RefBlack = OptionalAttribute(params, "refBlack").value_or(cineon.RefBlack);
  cineon.Highlight = OptionalAttribute(params, "highlight").value_or(cineon.Highlight);
  cineon.Shadow = OptionalAttribute(params, "shadow").value_or(cineon.Shadow);
  return LogParamsFromCineon(cineon);
}

void TNodeReader::Log() {
  if (!Version.IsCtf && Version.Version < 3.0) {
    Refuse("The Log node needs CLF version 3; the file states " +
           std::to_string(static_cast<int>(Version.Version)) + ".");
  }
  const std::string style = StyleOf(Xml, "");
  Node.LogStyle = KnownStyle(Xml, style, ParseLogStyle);
  const bool camera =
      Node.LogStyle == TLogStyle::CameraLinToLog || Node.LogStyle == TLogStyle::CameraLogToLin;
  bool anyParams = false;
  ForEachChannelParams("LogParams", [&](const TXMLNode& params, int c) {
    anyParams = true;
    TLogChannelParams& channel = Node.Log[c];
    if (Version.IsCtf && params.Attributes.Find("refWhite") != nullptr) {
      channel = CineonChannel(params);
      return;
    }
    channel.Base = OptionalAttribute(params, "base").value_or(channel.Base);
    channel.LogSideSlope = OptionalAttribute(params, "logSideSlope").value_or(1.0);
    channel.LogSideOffset = OptionalAttribute(params, "logSideOffset").value_or(0.0);
    channel.LinSideSlope = OptionalAttribute(params, "linSideSlope").value_or(1.0);
    channel.LinSideOffset = OptionalAttribute(params, "linSideOffset").value_or(0.0);
    channel.LinSideBreak = OptionalAttribute(params, "linSideBreak");
    channel.LinearSlope = OptionalAttribute(params, "linearSlope");
    if (!camera && (channel.LinSideBreak || channel.LinearSlope)) {
      Refuse("The Log style " + style + " takes no linSideBreak or linearSlope.");
    }
    if (!(channel.Base > 0.0) || channel.Base == 1.0) {
      Refuse("The Log base " + NumberText(channel.Base) + " is not a logarithm's base.");
    }
  });
  if (camera && (!anyParams || std::any_of(Node.Log.begin(), Node.Log.end(), [](const auto& c) {
        return !c.LinSideBreak.has_value();
      }))) {
    Refuse("The Log style " + style + " needs a linSideBreak for every channel.");
  }
}

void TNodeReader::Exponent(std::string_view paramsName, std::string_view exponentName) {
  const std::string style = StyleOf(Xml, "");
  Node.ExponentStyle = KnownStyle(Xml, style, ParseExponentStyle);
  const bool monCurve = Node.ExponentStyle >= TExponentStyle::MonCurveFwd;
  bool anyParams = false;
  ForEachChannelParams(paramsName, [&](const TXMLNode& params, int c) {
    anyParams = true;
    const std::optional<double> exponent = OptionalAttribute(params, exponentName);
    const std::optional<double> offset = OptionalAttribute(params, "offset");
    if (!exponent) Refuse("The " + Xml.Name + " node has no " + std::string(exponentName) + ".");
    if (monCurve != offset.has_value()) {
      Refuse(std::string("The ") + Xml.Name + " style " + style +
             (monCurve ? " needs an offset." : " takes no offset."));
    }
    const double low = monCurve ? 1.0 : 0.01;
    const double high = monCurve ? 10.0 : 100.0;
    if (*exponent < low || *exponent > high) {
      Refuse("The " + Xml.Name + " " + std::string(exponentName) + " " + NumberText(*exponent) +
             " lies outside [" + NumberText(low) + ", " + NumberText(high) + "] for the style " +
             style + ".");
    }
    if (offset && (*offset < 0.0 || *offset > 0.9)) {
      Refuse("The " + Xml.Name + " offset " + NumberText(*offset) + " lies outside [0, 0.9].");
    }
    Node.Exponent[c] = {*exponent, offset.value_or(0.0)};
  });
  if (!anyParams) Refuse("The " + Xml.Name + " node has no " + std::string(paramsName) + ".");
}

void TNodeReader::Cdl() {
  Node.CdlStyle = KnownStyle(Xml, StyleOf(Xml, "Fwd"), ParseCdlStyle);
  TClfCdl& cdl = Node.Cdl;
  if (const TXMLNode* sop = Xml.ChildByName("SOPNode")) {
    cdl.Slope = ChildNumbers<3>(*sop, Xml, "Slope");
    cdl.Offset = ChildNumbers<3>(*sop, Xml, "Offset");
    cdl.Power = ChildNumbers<3>(*sop, Xml, "Power");
  }
  if (const TXMLNode* sat = Xml.ChildByName("SatNode")) {
    cdl.Saturation = ChildNumbers<1>(*sat, Xml, "Saturation")[0];
  }
  for (int c = 0; c < 3; ++c) {
    if (cdl.Slope[c] < 0.0)
      Refuse("The ASC_CDL slope " + NumberText(cdl.Slope[c]) + " is negative.");
    if (!(cdl.Power[c] > 0.0)) {
      Refuse("The ASC_CDL power " + NumberText(cdl.Power[c]) + " is not above 0.");
    }
  }
  if (cdl.Saturation < 0.0) {
    Refuse("The ASC_CDL saturation " + NumberText(cdl.Saturation) + " is negative.");
  }
}

// ---- the list -------------------------------------------------------------------------------

struct TNodeName {
  std::string_view Element;
  TClfNodeKind Kind;
  bool CtfOnly;
};
constexpr TNodeName kNodes[] = {
    {"LUT1D", TClfNodeKind::Lut1D, false},
    {"LUT3D", TClfNodeKind::Lut3D, false},
    {"Range", TClfNodeKind::Range, false},
    {"Matrix", TClfNodeKind::Matrix, false},
    {"Log", TClfNodeKind::Log, false},
    {"Exponent", TClfNodeKind::Exponent, false},
    {"ASC_CDL", TClfNodeKind::Cdl, false},
    {"Gamma", TClfNodeKind::Exponent, true},
    {"InverseLUT1D", TClfNodeKind::InverseLut1D, true},
};
// CTF nodes that change values in ways this converter does not evaluate.
constexpr std::string_view kUnevaluatedNodes[] = {"ExposureContrast",
                                                  "FixedFunction",
                                                  "GradingPrimary",
                                                  "GradingRGBCurve",
                                                  "GradingTone",
                                                  "GradingHueCurve",
                                                  "InverseLUT3D",
                                                  "Reference",
                                                  "Function",
                                                  "Lut3DInverse",
                                                  "InvLUT1D",
                                                  "InvLUT3D",
                                                  "ACES"};
// CTF nodes that leave the values as they are.
constexpr std::string_view kPassedOverNodes[] = {"Dither"};
// Elements of the list that describe it.
constexpr std::string_view kDescriptions[] = {"Description", "InputDescriptor", "OutputDescriptor"};

const TXMLNode* RootElement(const TXMLNode& document) {
  for (std::size_t i = 0; i < document.ChildCount(); ++i) {
    const TXMLNode& child = document.Child(i);
    if (!child.Name.empty() && child.Name[0] != '?' && child.Name[0] != '!') return &child;
  }
  return nullptr;
}

// MAJOR[.MINOR[.REVISION]] as a number (3.0, 2.1); refused when it is not such.
double VersionNumber(std::string_view attribute, std::string_view text) {
  text = Trim(text);
  int dots = 0;
  bool valid = !text.empty() && text.front() != '.' && text.back() != '.';
  for (char c : text) {
    if (c == '.') {
      ++dots;
    } else if (c < '0' || c > '9') {
      valid = false;
    }
  }
  if (!valid || dots > 2) {
    Refuse("The " + std::string(attribute) + " " + Quoted(text) +
           " is not a version (MAJOR[.MINOR[.REVISION]]).");
  }
  const std::string_view majorMinor = text.substr(0, text.find('.', text.find('.') + 1));
  return StrToFloat(majorMinor);
}

TListVersion ReadVersion(const TXMLNode& root) {
  TListVersion version;
  const TXMLValue* clf = root.Attributes.Find("compCLFversion");
  const TXMLValue* ctf = root.Attributes.Find("version");
  if (clf != nullptr) {
    version.Version = VersionNumber("compCLFversion", clf->Text);
    if (ctf != nullptr && VersionNumber("version", ctf->Text) > kNewestCtfVersion) {
      Refuse("The version " + Quoted(ctf->Text) + " is newer than CTF 2.");
    }
    if (version.Version > kNewestClfVersion) {
      Refuse("The compCLFversion " + Quoted(clf->Text) + " is newer than CLF 3.");
    }
  } else if (ctf != nullptr) {
    version.IsCtf = true;
    version.Version = VersionNumber("version", ctf->Text);
    if (version.Version > kNewestCtfVersion) {
      Refuse("The version " + Quoted(ctf->Text) + " is newer than CTF 2.");
    }
  } else {
    const TXMLValue* ns = root.Attributes.Find("xmlns");
    const std::string_view space = ns ? Trim(ns->Text) : std::string_view();
    if (!space.starts_with(kSmpteNamespace)) {
      version.IsCtf = true;  // CTF 1 states no version
      version.Version = 1.0;
      return version;
    }
    const double year = StrToFloat(space.substr(kSmpteNamespace.size()));
    if (year > kNewestNamespaceYear) {
      Refuse("The namespace " + Quoted(space) + " is newer than this reader knows.");
    }
    version.Version = kNewestClfVersion;
  }
  return version;
}

void ReadListHeader(const TXMLNode& root, const TListVersion& version, TClfProcessList& list) {
  const TXMLValue* id = root.Attributes.Find("id");
  const bool idElement = root.HasChild("Id") && root.Attributes.Find("compCLFversion") != nullptr;
  if (!version.IsCtf && version.Version >= 3.0 && !idElement &&
      (id == nullptr || Trim(id->Text).empty())) {
    Refuse("The ProcessList has no id, which CLF 3 requires.");
  }
  if (id != nullptr && !Trim(id->Text).empty()) {
    list.Comments.push_back("id: " + XmlUnescape(Trim(id->Text)));
  }
  if (const TXMLValue* name = root.Attributes.Find("name")) {
    list.Comments.push_back("name: " + XmlUnescape(Trim(name->Text)));
  }
}

void AddDescription(const TXMLNode& element, const std::string& prefix, TClfProcessList& list) {
  const std::string text = XmlUnescape(Trim(element.Value.Text));
  list.Comments.push_back(prefix + element.Name + ": " + text);
}

TClfNode ReadNode(const TXMLNode& xml, const TNodeName& name, const TListVersion& version,
                  TClfProcessList& list) {
  TClfNode node;
  node.Kind = name.Kind;
  node.Element = xml.Name;
  node.In = RequiredDepth(xml, "inBitDepth");
  node.Out = RequiredDepth(xml, "outBitDepth");
  const std::string prefix = "  " + xml.Name + " ";
  for (std::string_view attribute : {"id", "name"}) {
    if (const TXMLValue* value = xml.Attributes.Find(attribute)) {
      list.Comments.push_back(prefix + std::string(attribute) + ": " +
                              XmlUnescape(Trim(value->Text)));
    }
  }
  for (std::size_t i = 0; i < xml.ChildCount(); ++i) {
    if (NameIs(xml.Child(i), "Description"))
      AddDescription(xml.Child(i), "  " + xml.Name + " ", list);
  }
  TNodeReader reader{xml, node, version};
  switch (name.Kind) {
    case TClfNodeKind::Lut1D:
    case TClfNodeKind::InverseLut1D:
      reader.Lut1D();
      break;
    case TClfNodeKind::Lut3D:
      reader.Lut3D();
      break;
    case TClfNodeKind::Range:
      reader.Range();
      break;
    case TClfNodeKind::Matrix:
      reader.Matrix();
      break;
    case TClfNodeKind::Log:
      reader.Log();
      break;
    case TClfNodeKind::Exponent:
      if (name.CtfOnly) {
        reader.Exponent("GammaParams", "gamma");
      } else {
        reader.Exponent("ExponentParams", "exponent");
      }
      break;
    case TClfNodeKind::Cdl:
      reader.Cdl();
      break;
  }
  return node;
}

void ReadListElement(const TXMLNode& element, const TListVersion& version, TClfProcessList& list) {
  if (OneOf(element.Name, kDescriptions)) {
    AddDescription(element, "", list);
    return;
  }
  if (NameIs(element, "Id")) {
    list.Comments.push_back("Id: " + XmlUnescape(Trim(element.Value.Text)));
    return;
  }
  if (NameIs(element, "Info")) return;  // metadata only
  for (const TNodeName& name : kNodes) {
    if (element.Name != name.Element) continue;
    if (name.CtfOnly && !version.IsCtf) break;
    TClfNode node = ReadNode(element, name, version, list);
    if (!list.Nodes.empty() && list.Nodes.back().Out != node.In) {
      Refuse("The " + element.Name + " node's inBitDepth " + std::string(ClfDepthName(node.In)) +
             " differs from the outBitDepth " + std::string(ClfDepthName(list.Nodes.back().Out)) +
             " of the node before it.");
    }
    list.Nodes.push_back(std::move(node));
    return;
  }
  if (version.IsCtf && OneOf(element.Name, kPassedOverNodes)) {
    list.Comments.push_back("The " + element.Name +
                            " node is passed over: it leaves the values as they are.");
    return;
  }
  if (version.IsCtf && OneOf(element.Name, kUnevaluatedNodes)) {
    Refuse("The " + element.Name +
           " node changes colours in a way this converter does not "
           "evaluate.");
  }
  if (version.IsCtf) {
    // A CTF reader passes over elements it does not know; a CLF file may hold none.
    list.Comments.push_back("The element " + Quoted(element.Name) +
                            " is passed over: it is not a node of the format.");
    return;
  }
  Refuse("The ProcessList holds an element " + Quoted(element.Name) +
         " that is not a node of the format.");
}

}  // namespace

double ClfDepthScale(TClfDepth depth) {
  for (const TDepthName& name : kDepths) {
    if (name.Depth == depth) return name.Scale;
  }
  return 1.0;
}

std::string_view ClfDepthName(TClfDepth depth) {
  for (const TDepthName& name : kDepths) {
    if (name.Depth == depth) return name.Name;
  }
  return {};
}

bool IsProcessListDocument(const TXMLNode& document) {
  const TXMLNode* root = RootElement(document);
  return root != nullptr && root->Name == "ProcessList";
}

TClfProcessList ReadProcessList(const std::string& path) {
  TXMLNode document;
  try {
    document.LoadFromFile(path, TXmlTags::Checked);
  } catch (const EFileError&) {
    throw;
  } catch (const Exception& error) {
    Refuse(std::string("The file is not well-formed XML: ") + error.what());
  }
  const TXMLNode* root = RootElement(document);
  if (root == nullptr || root->Name != "ProcessList") {
    Refuse("The file's root element is not a ProcessList.");
  }
  TClfProcessList list;
  const TListVersion version = ReadVersion(*root);
  list.IsCtf = version.IsCtf;
  ReadListHeader(*root, version, list);
  for (std::size_t i = 0; i < root->ChildCount(); ++i) {
    ReadListElement(root->Child(i), version, list);
  }
  if (list.Nodes.empty()) Refuse("The ProcessList holds no node that changes colours.");
  return list;
}

}  // namespace vorn
