#include "formats/BinaryImageFormats.h"

#include <algorithm>
#include <memory>
#include <string_view>

#include "formats/FormatToolkit.h"
#include "imaging/HaldClut.h"
#include "imaging/HaldImage.h"
#include "platform/Files.h"

namespace vorn {

namespace {

constexpr std::uint32_t kFsiDitVersion = 0x01000002;
constexpr std::size_t kFsiDitChecksumOffset = 40;
constexpr std::string_view kFsiDitCreator = "Vorn LUT Convert";
constexpr std::uint32_t kFsiDitLargestCode = 1023;
constexpr std::uint32_t kFsiDitCodeMask = 0x3FF;

constexpr TValueLayout kPFCleanLines{.Order = noBlueFastest, .IntegerCodes = true};
constexpr TValueLayout kMatchLightLines{.Order = noBlueFastest};
constexpr double kMatchLightShaperScale = 15.0;

// Round(value * 1008), halves to even, kept inside the 10 bits of its field.
std::uint32_t FsiDitCode(double value) {
  if (!(value > 0.0)) return 0;  // NaN too
  const double code = RoundHalfEven(std::min(value, 2.0) * TFSI_DIT_3DLutFormat::FullScale);
  return std::min(static_cast<std::uint32_t>(code), kFsiDitLargestCode);
}

// The 64-node grid the file holds: the record itself, or the record sampled on 64 nodes.
const TLUT& FsiDitGrid(const TLUT& lut, std::unique_ptr<TLUT>& sampled) {
  if (lut.HasGrid()) GridSizeToWrite(lut);
  if (lut.HasTable()) TableSizeToWrite(lut);
  if (lut.Kind == lk3D && lut.Size3D == TFSI_DIT_3DLutFormat::GridSize) return lut;
  sampled = std::make_unique<TLUT>();
  sampled->Kind = lk3D;
  sampled->Size3D = TFSI_DIT_3DLutFormat::GridSize;
  sampled->ResampleFrom(lut);
  return *sampled;
}

// Byte 127 starts at 0 and every header byte from 0 to 127 is added into it in turn, itself
// included at its running value: twice the sum of bytes 0 to 126, modulo 256.
std::uint8_t FsiDitHeaderChecksum(std::string_view header) {
  std::uint8_t sum = 0;
  for (char byte : header.substr(0, TFSI_DIT_3DLutFormat::HeaderBytes - 1)) {
    sum = static_cast<std::uint8_t>(sum + static_cast<std::uint8_t>(byte));
  }
  return static_cast<std::uint8_t>(2 * sum);
}

}  // namespace

// ---- FSI DIT ---------------------------------------------------------------------------

bool TFSI_DIT_3DLutFormat::IsFormat(const std::string& path) const {
  const std::string head = ReadFileBytes(path, HeaderBytes);
  if (head.size() < 4) return false;
  return TByteReader(head).U32LE() == Magic;
}

void TFSI_DIT_3DLutFormat::Load(const std::string& path, TLUT& lut, TLoadContext&) const {
  lut.Size3D = GridSize;
  lut.ReserveGrid(GridSize);
  lut.Kind = lk3D;
  const std::string data = ReadFileBytes(path, HeaderBytes + DataBytes);
  if (data.size() < HeaderBytes + DataBytes) {
    const std::size_t nodes = data.size() > HeaderBytes ? (data.size() - HeaderBytes) / 4 : 0;
    throw ELUTError(IncompleteFileMessage(static_cast<std::int64_t>(nodes),
                                          std::int64_t{GridSize} * GridSize * GridSize));
  }
  TByteReader reader(data);
  reader.Skip(HeaderBytes);  // the magic, the checksums and the length are not checked
  ForEachGridNode(GridSize, noRedFastest, [&](int r, int g, int b) {
    const std::uint32_t word = reader.U32LE();
    lut.SetNode(r, g, b,
                {(word & kFsiDitCodeMask) / FullScale, (word >> 10 & kFsiDitCodeMask) / FullScale,
                 (word >> 20 & kFsiDitCodeMask) / FullScale});
  });
}

void TFSI_DIT_3DLutFormat::Write(const std::string& path, const TLUT& lut, int,
                                 TWriteMode mode) const {
  std::unique_ptr<TLUT> sampled;
  const TLUT& grid = FsiDitGrid(lut, sampled);
  TByteWriter file;
  file.Reserve(HeaderBytes + DataBytes);
  file.U32LE(Magic);
  file.U32LE(kFsiDitVersion);
  file.Zeros(32);
  file.U32LE(0);  // the data checksum, known at the end
  file.U32LE(static_cast<std::uint32_t>(DataBytes));
  file.Bytes(kFsiDitCreator);
  file.Zeros(HeaderBytes - file.Size());  // byte 127 is the header checksum, patched last
  ForEachGridNode(GridSize, noRedFastest, [&](int r, int g, int b) {
    const double* node = grid.Node(r, g, b);
    file.U32LE(FsiDitCode(node[0]) | FsiDitCode(node[1]) << 10 | FsiDitCode(node[2]) << 20);
  });
  file.PatchU32LE(kFsiDitChecksumOffset, ByteSum(file.Data().substr(HeaderBytes)));
  file.PatchU8(HeaderBytes - 1, FsiDitHeaderChecksum(file.Data()));
  file.Save(path, mode);
}

// ---- PFClean 3D --------------------------------------------------------------------------

bool TPFClean3D_Format::IsFormat(const std::string& path) const {
  return HasHeaderLines(path, {{.Keyword = "<lut", .Place = TKeywordPlace::XmlTag},
                               {.Keyword = "<maximum", .Place = TKeywordPlace::XmlTag},
                               {.Keyword = "<cube", .Place = TKeywordPlace::XmlTag}});
}

void TPFClean3D_Format::Load(const std::string& path, TLUT& lut, TLoadContext& context) const {
  TLoadState load(context.InputBits);
  load.Size = 0;
  TXMLNode document;
  document.LoadFromFile(path);
  const TXMLNode& root = document.FindChild("lut");
  load.SetGridSize(root.FindChild("size").Value.AsInteger());
  load.SetLargestCode(root.FindChild("maximum").Value.AsInteger());
  TTextFile cube;
  cube.SetText(root.FindChild("cube").Value.Text);
  load.ReadWatchedLines(cube, 1, context, [&](std::string_view line) {
    load.ReadGridLine(line, lut, kPFCleanLines, load.Scale);
  });
  TSkippedValueLines& skipped = context.SkippedValueLines;
  if (skipped.Count > 0) skipped.FirstLine += LineOfElementText(path, "cube") - 1;
  lut.Kind = lk3D;
  lut.Size3D = load.Size;
  if (!load.Complete) throw ELUTError(load.IncompleteMessage(true));
}

void TPFClean3D_Format::Write(const std::string& path, const TLUT& lut, int bits,
                              TWriteMode mode) const {
  bits = CodeBitsToWrite(bits);
  TTextFile text;
  text.StreamTo(path, mode);
  text.Add("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>");
  text.Add("<lut type=\"ascii\">");
  text.Add("<maximum>" + FormatScaledInt(bits, 1.0) + "</maximum>");
  text.Add("<size>" + IntToStr(GridSizeToWrite(lut)) + "</size>");
  text.Add("<cube>");
  AddGridLines(text, lut, kPFCleanLines, TValueWriter::ScaledInt(bits));
  text.Add("</cube>");
  text.Add("</lut>");
  text.Save(path, mode);
}

// ---- MatchLight --------------------------------------------------------------------------

bool TMatchLight3DLutFormat::IsFormat(const std::string& path) const {
  return HasHeaderLines(path, {{.Keyword = "lutS", .Value = TKeywordValue::Word},
                               {.Keyword = "cubeS", .Value = TKeywordValue::Word}});
}

namespace {

// Reads a MatchLight file with a line cursor: the counts, then the shaper and the grid.
class TMatchLightReader {
 public:
  TMatchLightReader(const std::string& path, TLoadContext& context)
      : Load_(context.InputBits), Context_(context) {
    Text_.Load(path);
  }

  void Read(TLUT& lut) {
    try {
      ReadCounts();
      ReadValues(lut);
    } catch (Exception& error) {
      // Running out of lines concerns the whole file, not its last line.
      if (!std::string_view(error.what()).starts_with(kIncompleteFile)) {
        error.NoteLine(LineCursor_);
      }
      throw;
    }
    lut.Kind = ShaperEntries_ > 0 ? lk1DAnd3D : lk3D;
    lut.Size1D = ShaperEntries_;
    lut.Size3D = GridNodes_;
  }

 private:
  // The next line; "Incomplete file." past the last one.
  std::string_view NextLine() {
    if (static_cast<std::size_t>(LineCursor_) >= Text_.Count()) {
      const bool sized = ShaperEntries_ >= 0 && GridNodes_ >= 0;
      throw ELUTError(sized ? Load_.IncompleteMessage(true) : IncompleteFileMessage(0, -1));
    }
    return Text_[static_cast<std::size_t>(LineCursor_++)];
  }

  // The two counts stand on lines of their own, each followed by nothing but its number.
  void ReadCounts() {
    while (ShaperEntries_ == -1 || GridNodes_ == -1) {
      const std::string_view line = NextLine();
      bool found = false;
      std::string_view count = TextAfterKeyword(line, "lutS", found);
      if (found) ShaperEntries_ = CheckedTableSize(StrToInt(Trim(count)), 0);
      count = TextAfterKeyword(line, "cubeS", found);
      if (found) GridNodes_ = CheckedGridSize(StrToInt(Trim(count)));
    }
    Load_.SetShaperSize(ShaperEntries_);
    Load_.Size = GridNodes_;
  }

  void ReadValues(TLUT& lut) {
    Load_.StartValueWatch();
    while (!Load_.Complete) {
      Load_.WatchLineBefore();
      const std::string_view line = NextLine();
      ReadValueLine(line, lut);
      Load_.WatchLineAfter(line, LineCursor_);
    }
    Load_.FinishValueWatch(Context_);
  }

  void ReadValueLine(std::string_view line, TLUT& lut) {
    TRGB values;
    if (!ParseValues(line, kMatchLightLines, 1.0, values)) return;
    if (Load_.EntryIndex < Load_.ShaperSize) {
      values = {values.R / kMatchLightShaperScale, values.G / kMatchLightShaperScale,
                values.B / kMatchLightShaperScale};
    }
    Load_.StoreShaperOrNode(lut, noBlueFastest, values);
  }

  TTextFile Text_;
  TLoadState Load_;
  TLoadContext& Context_;
  std::int32_t LineCursor_ = 0;
  std::int32_t ShaperEntries_ = -1;
  std::int32_t GridNodes_ = -1;
};

}  // namespace

void TMatchLight3DLutFormat::Load(const std::string& path, TLUT& lut, TLoadContext& context) const {
  TMatchLightReader(path, context).Read(lut);
}

// ---- Hald image and the lookup picture -----------------------------------------------

bool THaldImage3DLutFormat::IsFormat(const std::string& path) const {
  return IsHaldImageFile(path);
}

void THaldImage3DLutFormat::Load(const std::string& path, TLUT& lut, TLoadContext&) const {
  ReadHaldImage(path, lut);
}

bool TOBS3DLutFormat::IsFormat(const std::string& path) const {
  return IsObsLookupPictureFile(path);
}

void TOBS3DLutFormat::Load(const std::string& path, TLUT& lut, TLoadContext&) const {
  ReadObsLookupPicture(path, lut);
}

void TOBS3DLutFormat::Write(const std::string& path, const TLUT& lut, int, TWriteMode mode) const {
  WriteObsLookupPicture(lut, path, mode);
}

// ---- Standard Hald CLUT ------------------------------------------------------------------

bool THaldClut3DLutFormat::IsFormat(const std::string& path) const {
  return IsHaldClutFile(path);
}

void THaldClut3DLutFormat::Load(const std::string& path, TLUT& lut, TLoadContext&) const {
  ReadHaldClut(path, lut);
}

void THaldClut3DLutFormat::Write(const std::string& path, const TLUT& lut, int bits,
                                 TWriteMode mode) const {
  WriteHaldClut(lut, path, bits, mode);
}

}  // namespace vorn
