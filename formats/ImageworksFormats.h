#pragma once
// The Imageworks text LUTs of open colour pipelines.
//
// spi1d: "Version 1", "From min max" (the inputs the table is spread over), "Length n",
// "Components 1|3", then the entries between "{" and "}", one per line (one value for a grey
// curve, else red, green and blue).
//
// spi3d: "SPILUT 1.0", "3 3", "n n n", then one line "r g b R G B" per node: the node's red,
// green and blue indices, then its values. The lines may come in any order; every node must
// be given.

#include <memory>
#include <string>
#include <string_view>

#include "formats/FormatToolkit.h"

namespace vorn {

class TImageworks1DFormat : public TGenericLutFormat {
 public:
  TImageworks1DFormat() : TGenericLutFormat("Imageworks spi1d", false) {}

  bool IsFormat(const std::string& path) const override;
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
  // The "From" range: one pair for all channels (a table whose domain differs between
  // channels is written sampled over the range that holds them all).
  bool WritesDomains() const override { return true; }

 protected:
  bool NeedsWholeText() const override { return false; }
  std::unique_ptr<TLoadState> NewLoadState(const std::string& path,
                                           std::int32_t inputBits) const override;
  void ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const override;
  void FinishLoad(TLoadState& load, TLUT& lut) const override;

 private:
  struct TSpi1DLoad;
  void ParseHeaderLine(TSpi1DLoad& load, std::string_view trimmed, TLUT& lut) const;
  void ParseEntryLine(TSpi1DLoad& load, std::string_view trimmed, TLUT& lut) const;
};

class TImageworks3DFormat : public TGenericLutFormat {
 public:
  TImageworks3DFormat() : TGenericLutFormat("Imageworks spi3d", true) {}

  bool IsFormat(const std::string& path) const override;
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;

 protected:
  bool NeedsWholeText() const override { return false; }
  std::unique_ptr<TLoadState> NewLoadState(const std::string& path,
                                           std::int32_t inputBits) const override;
  void ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const override;

 private:
  struct TSpi3DLoad;
  void ParseNodeLine(TSpi3DLoad& load, std::string_view trimmed, TLUT& lut) const;
};

}  // namespace vorn
