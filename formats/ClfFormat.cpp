#include "formats/ClfFormat.h"

#include <cmath>
#include <limits>
#include <utility>

#include "formats/ClfProcessList.h"
#include "formats/ColourOperators.h"
#include "formats/FormatToolkit.h"

namespace vorn {

namespace {

// ---- the half-domain table --------------------------------------------------------------

constexpr double kLargestHalf = 65504.0;

// The bits of the half float nearest below |value| in magnitude (the sign bit kept).
std::uint32_t HalfBitsToward0(double value) {
  const double magnitude = std::min(std::fabs(value), kLargestHalf);
  std::uint32_t bits = 0;
  if (magnitude < std::ldexp(1.0, -14)) {
    bits = static_cast<std::uint32_t>(std::floor(std::ldexp(magnitude, 24)));
  } else {
    int exponent = 0;
    const double fraction = std::frexp(magnitude, &exponent);  // [0.5, 1)
    const auto mantissa = static_cast<std::uint32_t>(std::floor((fraction * 2.0 - 1.0) * 1024.0));
    bits = (static_cast<std::uint32_t>(exponent - 1 + 15) << 10) | mantissa;
  }
  return std::signbit(value) ? bits | 0x8000u : bits;
}

// A LUT1D of 65536 entries indexed by the bits of the half float of each input, read
// linearly between the two halves around an input that is not one.
class THalfDomainTable final : public TColourOperator {
 public:
  explicit THalfDomainTable(std::shared_ptr<const TLUT> table) : Table_(std::move(table)) {}

  TRGB Apply(const TRGB& in) const override {
    return {Channel(in.R, 0), Channel(in.G, 1), Channel(in.B, 2)};
  }

 private:
  double Channel(double value, int c) const {
    if (std::isnan(value)) value = 0.0;
    const std::uint32_t low = HalfBitsToward0(value);
    const double lowValue = HalfBitsToReal(low);
    const double lowOut = Table_->Entry(static_cast<int>(low))[c];
    if (value == lowValue || (low & 0x7fffu) == 0x7bffu) return lowOut;
    const std::uint32_t high = low + 1;  // one step further from 0
    const double highValue = HalfBitsToReal(high);
    const double t = (value - lowValue) / (highValue - lowValue);
    return lowOut + t * (Table_->Entry(static_cast<int>(high))[c] - lowOut);
  }

  std::shared_ptr<const TLUT> Table_;
};

// ---- evaluation ---------------------------------------------------------------------------

TColourOperatorPtr MakeNodeOperator(const TClfNode& node) {
  switch (node.Kind) {
    case TClfNodeKind::Lut1D:
      if (node.Table.HalfDomain) return std::make_unique<THalfDomainTable>(node.Table.Lut);
      return MakeLutOperator(node.Table.Lut);
    case TClfNodeKind::Lut3D:
      return MakeLutOperator(node.Table.Lut, node.Table.Interpolation == "tetrahedral"
                                                 ? TGridInterpolation::Tetrahedral
                                                 : TGridInterpolation::Trilinear);
    case TClfNodeKind::InverseLut1D:
      if (node.Table.HalfDomain) {
        throw ELUTError("The " + node.Element +
                        " node inverts a half-domain table, which this "
                        "converter does not evaluate.");
      }
      return MakeInverseTableOperator(node.Table.Lut);
    case TClfNodeKind::Range:
      return MakeRangeOperator(node.Range);
    case TClfNodeKind::Matrix:
      return MakeMatrixOperator(node.Matrix);
    case TClfNodeKind::Log:
      return MakeLogOperator(node.LogStyle, node.Log);
    case TClfNodeKind::Exponent:
      return MakeExponentOperator(node.ExponentStyle, node.Exponent);
    case TClfNodeKind::Cdl: {
      const TClfCdl& cdl = node.Cdl;
      auto rgb = [](const std::array<double, 3>& v) { return TRGB{v[0], v[1], v[2]}; };
      return MakeCdlOperator(node.CdlStyle, rgb(cdl.Slope), rgb(cdl.Offset), rgb(cdl.Power),
                             cdl.Saturation);
    }
  }
  throw ELUTError("The " + node.Element + " node is not evaluated.");
}

std::string NodeList(const TClfProcessList& list) {
  std::string text;
  for (const TClfNode& node : list.Nodes) {
    if (!text.empty()) text += ", ";
    text += node.Element + " (" + std::string(ClfDepthName(node.In)) + " to " +
            std::string(ClfDepthName(node.Out));
    if (!node.Table.Interpolation.empty()) text += ", " + node.Table.Interpolation;
    text += ")";
  }
  return text;
}

void SampleList(const TClfProcessList& list, int size, TLUT& lut) {
  TOperatorChain chain;
  chain.reserve(list.Nodes.size());
  for (const TClfNode& node : list.Nodes) chain.push_back(MakeNodeOperator(node));
  SampleChainOntoGrid(chain, size, lut);
  lut.Comments.push_back("Sampled onto a " + std::to_string(size) + "-node grid from the " +
                         std::to_string(list.Nodes.size()) +
                         "-node process list: " + NodeList(list));
}

// ---- the lists that are tables ------------------------------------------------------------

bool IsPlainTable(const TClfNode& node) {
  return node.Kind == TClfNodeKind::Lut1D && !node.Table.HalfDomain;
}

// One LUT1D, one LUT3D, or a LUT1D then a LUT3D.
bool IsTableList(const TClfProcessList& list) {
  const auto& nodes = list.Nodes;
  if (nodes.size() == 1) return IsPlainTable(nodes[0]) || nodes[0].Kind == TClfNodeKind::Lut3D;
  return nodes.size() == 2 && IsPlainTable(nodes[0]) && nodes[1].Kind == TClfNodeKind::Lut3D;
}

void CopyTable(const TLUT& table, TLUT& lut) {
  lut.Size1D = table.Size1D;
  lut.TableDomain = table.TableDomain;
  lut.ReserveTable(table.Size1D);
  const TLutView view = table.TableView(table.Size1D);
  for (int i = 0; i < table.Size1D; ++i) {
    const double* entry = view.Entry(i);
    lut.SetEntry(i, {entry[0], entry[1], entry[2]});
  }
}

void LoadTables(TClfProcessList& list, TLUT& lut) {
  std::vector<std::string> comments = std::move(lut.Comments);
  TClfNode& last = list.Nodes.back();
  lut = std::move(*last.Table.Lut);
  if (list.Nodes.size() == 2) {
    CopyTable(*list.Nodes.front().Table.Lut, lut);
    lut.Kind = lk1DAnd3D;
  }
  lut.Comments = std::move(comments);
  lut.Comments.push_back("Process list: " + NodeList(list));
  if (last.Kind == TClfNodeKind::Lut3D && last.Table.Interpolation == "tetrahedral") {
    lut.Comments.push_back(
        "The LUT3D asks for tetrahedral interpolation; the grid is read as it "
        "is and evaluated trilinearly.");
  }
}

// ---- writing ------------------------------------------------------------------------------

constexpr int kDecimals = 8;
constexpr TValueLayout kClfValues{.Order = noBlueFastest};
constexpr const char* kDepths = R"( inBitDepth="32f" outBitDepth="32f")";

std::string Number(double value) {
  return NumberText(value);
}

// A Range (one pair for every channel) or a diagonal Matrix (a pair per channel) that takes
// the domain onto [0, 1].
void AddDomainNode(TTextFile& text, const TLutDomain& domain) {
  if (domain.IsDefault()) return;
  if (domain.IsUniform()) {
    text.Add(std::string("    <Range") + kDepths + ">");
    text.Add("        <minInValue>" + Number(domain.Min.R) + "</minInValue>");
    text.Add("        <maxInValue>" + Number(domain.Max.R) + "</maxInValue>");
    text.Add("        <minOutValue>0</minOutValue>");
    text.Add("        <maxOutValue>1</maxOutValue>");
    text.Add("    </Range>");
    return;
  }
  const double min[3] = {domain.Min.R, domain.Min.G, domain.Min.B};
  const double max[3] = {domain.Max.R, domain.Max.G, domain.Max.B};
  text.Add(std::string("    <Matrix") + kDepths + ">");
  text.Add("        <Array dim=\"3 4\">");
  for (int row = 0; row < 3; ++row) {
    const double scale = 1.0 / (max[row] - min[row]);
    std::string line;
    for (int column = 0; column < 3; ++column) line += Number(column == row ? scale : 0.0) + " ";
    text.Add(line + Number(-min[row] * scale));
  }
  text.Add("        </Array>");
  text.Add("    </Matrix>");
}

void AddLut1D(TTextFile& text, const TLUT& lut) {
  AddDomainNode(text, lut.TableDomain);
  text.Add(std::string("    <LUT1D") + kDepths + ">");
  text.Add("        <Array dim=\"" + std::to_string(TableSizeToWrite(lut)) + " 3\">");
  AddTableLines(text, lut, kClfValues, TValueWriter::Fixed(kDecimals));
  text.Add("        </Array>");
  text.Add("    </LUT1D>");
}

void AddLut3D(TTextFile& text, const TLUT& lut) {
  AddDomainNode(text, lut.GridDomain);
  const std::string n = std::to_string(GridSizeToWrite(lut));
  text.Add(std::string("    <LUT3D") + kDepths + R"( interpolation="trilinear">)");
  text.Add("        <Array dim=\"" + n + " " + n + " " + n + " 3\">");
  AddGridLines(text, lut, kClfValues, TValueWriter::Fixed(kDecimals));
  text.Add("        </Array>");
  text.Add("    </LUT3D>");
}

}  // namespace

bool TClfLutFormat::IsFormat(const std::string& path) const {
  return HasXmlRoot(path, "ProcessList");
}

void TClfLutFormat::Load(const std::string& path, TLUT& lut, TLoadContext& context) const {
  TClfProcessList list = ReadProcessList(path);
  lut.Comments.insert(lut.Comments.end(), list.Comments.begin(), list.Comments.end());
  if (IsTableList(list)) {
    LoadTables(list, lut);
    return;
  }
  const int size =
      CheckedGridSize(context.SampleSize > 0 ? context.SampleSize : kDefaultSampleSize, 2);
  SampleList(list, size, lut);
}

void TClfLutFormat::Write(const std::string& path, const TLUT& lut, int /*bits*/,
                          TWriteMode mode) const {
  TTextFile text;
  text.StreamTo(path, mode);
  text.Add(R"(<?xml version="1.0" encoding="UTF-8"?>)");
  text.Add("<ProcessList id=\"" + XmlEscape(FileTitle(path)) + "\" compCLFversion=\"3\">");
  for (const std::string& comment : lut.Comments) {
    text.Add("    <Description>" + XmlEscape(comment) + "</Description>");
  }
  text.Add("    <Description>Converted by Vorn LUT Converter</Description>");
  if (lut.HasTable()) AddLut1D(text, lut);
  if (lut.HasGrid()) AddLut3D(text, lut);
  text.Add("</ProcessList>");
  text.Save(path, mode);
}

}  // namespace vorn
