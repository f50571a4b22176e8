#pragma once
// The process list of a Common LUT Format (.clf) or Color Transform Format (.ctf) file,
// read into checked nodes: each node's bit depths, its parameters normalised (0 to 1 for
// the lowest and highest code of an integer depth) and, for LUT1D and LUT3D, its table or
// grid as a TLUT. Everything a file gets wrong is refused here with a message that names
// the node; ClfFormat.cpp decides how the list is loaded.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/LUT.h"
#include "formats/ColourOperators.h"

namespace vorn {

class TXMLNode;

// The bit depths of a node's input and output.
enum class TClfDepth : std::uint8_t { Int8, Int10, Int12, Int16, Half, Float };
// The code of 1.0: 2^bits - 1 for integer depths, 1 for floats.
double ClfDepthScale(TClfDepth depth);
std::string_view ClfDepthName(TClfDepth depth);

enum class TClfNodeKind : std::uint8_t {
  Lut1D,
  Lut3D,
  InverseLut1D,
  Range,
  Matrix,
  Log,
  Exponent,
  Cdl,
};

struct TClfCdl {
  std::array<double, 3> Slope{1, 1, 1};
  std::array<double, 3> Offset{0, 0, 0};
  std::array<double, 3> Power{1, 1, 1};
  double Saturation = 1.0;
};

// A LUT1D or LUT3D: the values (normalised by the node's output depth) in a record of kind
// lk1D or lk3D, whose domain holds a two-point index map when the file has one.
struct TClfTable {
  std::shared_ptr<TLUT> Lut;
  // The 65536 entries are indexed by the bits of a half-float input.
  bool HalfDomain = false;
  // The trilinear or tetrahedral interpolation the file asks of a grid ("" when unsaid).
  std::string Interpolation;
};

struct TClfNode {
  TClfNodeKind Kind = TClfNodeKind::Matrix;
  std::string Element;  // as the file names it ("Gamma" for an Exponent of a CTF file)
  TClfDepth In = TClfDepth::Float;
  TClfDepth Out = TClfDepth::Float;
  TClfTable Table;
  TRangeParams Range;
  TMatrixParams Matrix;
  TLogStyle LogStyle = TLogStyle::Log10;
  std::array<TLogChannelParams, 3> Log;
  TExponentStyle ExponentStyle = TExponentStyle::BasicFwd;
  std::array<TExponentChannelParams, 3> Exponent;
  TCdlStyle CdlStyle = TCdlStyle::Fwd;
  TClfCdl Cdl;
};

struct TClfProcessList {
  bool IsCtf = false;  // the root has a version attribute
  std::vector<TClfNode> Nodes;
  // Description, InputDescriptor, OutputDescriptor, id and name of the list and its nodes,
  // and the nodes passed over, as comment lines.
  std::vector<std::string> Comments;
};

// The value of a half-float bit pattern (0 to 65535).
double HalfBitsToReal(double bits);

// True when the root element of the document is ProcessList.
bool IsProcessListDocument(const TXMLNode& document);
// Reads the whole list, or refuses it (ELUTError) with a message that names the problem.
TClfProcessList ReadProcessList(const std::string& path);

}  // namespace vorn
