#pragma once
// The 1D text formats: one curve per channel, stored as a list of (R, G, B) entries. The
// family shares one reader and one writer (T1DTextLutFormat). A member is a set of traits
// (detection keywords, comment and size keywords, how its entries are counted and coded, its
// header and footer lines) plus a small override where its lines have a shape of their own.
//
// Reading: blank lines are skipped, comment lines kept or not, header lines set the size or
// the scale, and entry lines are stored either up to a declared size (the table is complete
// at that size) or counted (the table is as long as the entries read, and complete once one
// entry line was seen). Writing: the header lines, one line per entry, the footer lines.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "formats/FormatToolkit.h"

namespace vorn {

struct T1DTraits;

class T1DTextLutFormat : public TGenericLutFormat {
 public:
  bool IsFormat(const std::string& path) const override;
  void ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const override;
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;

 protected:
  T1DTextLutFormat(std::string name, const T1DTraits& traits);
  bool NeedsWholeText() const override { return false; }

  // A header line (trimmed, not blank): true when it was taken as one. By default the lines
  // that carry one of the traits' size keywords.
  virtual bool ParseHeaderLine(TLoadState& load, std::string_view trimmed, TLUT& lut) const;
  // The values of an entry line, divided by Divisor(); false when the line does not parse.
  // By default three numbers in the traits' layout.
  virtual bool ParseEntry(const TLoadState& load, std::string_view trimmed, TRGB& values) const;
  // An entry line once the header is read: parsed and stored by the traits' counting rule.
  virtual void ReadEntryLine(TLoadState& load, std::string_view line, std::string_view trimmed,
                             TLUT& lut) const;
  // The lines between header and footer. By default one row of values per entry in the
  // traits' layout and coding.
  virtual void AddEntryLines(TTextFile& text, const TLUT& lut, int bits) const;

  // What entry codes are divided by: a fixed number, the largest code read into Scale, or
  // 2^Scale - 1 for a bit depth read into Scale.
  double Divisor(const TLoadState& load) const;

  const T1DTraits& Traits;

 private:
  bool ValuesExpected(const TLoadState& load) const;
  void KeepComment(const TLoadState& load, std::string_view trimmed, TLUT& lut) const;
};

// Its table is spread over the inputs of DOMAIN_MIN and DOMAIN_MAX or LUT_1D_INPUT_RANGE.
class TCube1DLutFormat : public T1DTextLutFormat {
 public:
  TCube1DLutFormat();
  void Write(const std::string& path, const TLUT& lut, int bits, TWriteMode mode) const override;
  bool WritesDomains() const override { return true; }

 protected:
  bool ParseHeaderLine(TLoadState& load, std::string_view trimmed, TLUT& lut) const override;
  void FinishLoad(TLoadState& load, TLUT& lut) const override;
};

// "LUT: channels entries", then one integer per line: with one channel a grey curve, with
// three all red values, then all green, then all blue. Codes are divided by entries - 1.
class TCodex1DLutFormat : public T1DTextLutFormat {
 public:
  TCodex1DLutFormat();

 protected:
  std::unique_ptr<TLoadState> NewLoadState(const std::string& path,
                                           std::int32_t inputBits) const override;
  bool ParseHeaderLine(TLoadState& load, std::string_view trimmed, TLUT& lut) const override;
  void ReadEntryLine(TLoadState& load, std::string_view line, std::string_view trimmed,
                     TLUT& lut) const override;
  void AddEntryLines(TTextFile& text, const TLUT& lut, int bits) const override;

 private:
  struct TCodexLoad;
};

class TLustre1DLutFormat : public T1DTextLutFormat {
 public:
  TLustre1DLutFormat();
  bool IsFormat(const std::string& path) const override;

 protected:
  bool ParseHeaderLine(TLoadState& load, std::string_view trimmed, TLUT& lut) const override;
};

class TFilmlight1DLutFormat : public T1DTextLutFormat {
 public:
  TFilmlight1DLutFormat();
};

class TQuantel1DLutFormat : public T1DTextLutFormat {
 public:
  TQuantel1DLutFormat();
};

// An XML document: lut/data holds one <elem r="" g="" b=""/> per entry, 10-bit codes.
class TStwo1DLutFormat : public T1DTextLutFormat {
 public:
  TStwo1DLutFormat();
  void Load(const std::string& path, TLUT& lut, TLoadContext& context) const override;

 protected:
  void AddEntryLines(TTextFile& text, const TLUT& lut, int bits) const override;
};

class TNucoda1DLutWriterFormat : public T1DTextLutFormat {
 public:
  TNucoda1DLutWriterFormat();
};

class TColorFrontOSD1DLutFormat : public T1DTextLutFormat {
 public:
  TColorFrontOSD1DLutFormat();
};

// "F5LT", the bit depth, then "i R i G i B" per entry.
class TFusion1DLutFormat : public T1DTextLutFormat {
 public:
  TFusion1DLutFormat();

 protected:
  bool ParseHeaderLine(TLoadState& load, std::string_view trimmed, TLUT& lut) const override;
  bool ParseEntry(const TLoadState& load, std::string_view trimmed, TRGB& values) const override;
  void AddEntryLines(TTextFile& text, const TLUT& lut, int bits) const override;
};

// Values times 1000 with two decimals.
class TBlackmagic1DLutFormat : public T1DTextLutFormat {
 public:
  TBlackmagic1DLutFormat();

 protected:
  void AddEntryLines(TTextFile& text, const TLUT& lut, int bits) const override;
};

class TCinetal1DLutFormat : public T1DTextLutFormat {
 public:
  TCinetal1DLutFormat();
};

class TShake1DLutFormat : public T1DTextLutFormat {
 public:
  TShake1DLutFormat();
};

// The DaVinci Resolve tables: three integer codes at the start of each line, whatever follows.
class TDavinciLut1DFormat : public T1DTextLutFormat {
 protected:
  using T1DTextLutFormat::T1DTextLutFormat;
  bool ParseEntry(const TLoadState& load, std::string_view trimmed, TRGB& values) const override;
};

class TDavinciILut1DLutFormat : public TDavinciLut1DFormat {
 public:
  TDavinciILut1DLutFormat();
};

class TDavinciOLut1DLutFormat : public TDavinciLut1DFormat {
 public:
  TDavinciOLut1DLutFormat();
};

}  // namespace vorn
