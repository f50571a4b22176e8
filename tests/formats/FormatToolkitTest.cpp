// The toolkit the formats are written on: value lines in every layout, size limits, the
// grid and table writers, binary bytes, and where an error is reported.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "core/TextTools.h"
#include "formats/FormatToolkit.h"
#include "platform/Convert.h"
#include "tests/support/TestLuts.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

// A format of size lines ("grid N", "table N" with N = -1 for a table counted by its lines,
// "codes N" for the largest code, "shaper N" for N shaper entries before a grid of N nodes, or
// "counted" for a grid sized by its number of value lines) and value lines of one layout.
class TProbeFormat : public TGenericLutFormat {
 public:
  TProbeFormat(bool is3D, TValueLayout layout, double divisor)
      : TGenericLutFormat("probe", is3D), Layout_(layout), Divisor_(divisor) {}
  bool IsFormat(const std::string&) const override { return true; }
  // Loads with a context of its own, as LoadLut does, and hands back what it skipped.
  TSkippedValueLines Load(const std::string& path, TLUT& lut) const {
    TLoadContext context;
    TGenericLutFormat::Load(path, lut, context);
    return context.SkippedValueLines;
  }
  void ParseLine(TLoadState& load, std::string_view line, TLUT& lut) const override {
    std::string_view rest = line;
    const std::string_view word = NextToken(rest);
    if (word == "counted") {
      load.SetGridSizeFromValueLines();
      return;
    }
    if (word == "grid" || word == "table" || word == "codes" || word == "shaper") {
      const std::int64_t size = StrToInt(rest);
      if (word == "grid") load.SetGridSize(size);
      if (word == "table" && size >= 0) load.SetTableSize(size);
      if (word == "codes") load.SetLargestCode(size);
      if (word == "shaper") {
        load.SetShaperSize(size, 1);
        load.SetGridSize(size);
      }
      return;
    }
    if (load.ShaperSize > 0) {
      TRGB values;
      if (ParseValues(line, Layout_, Divisor_, values))
        load.StoreShaperOrNode(lut, Layout_.Order, values);
    } else if (Is3D) {
      load.ReadGridLine(line, lut, Layout_, Divisor_);
    } else {
      load.ReadTableLine(line, lut, Layout_, Divisor_);
    }
  }

 private:
  TValueLayout Layout_;
  double Divisor_;
};

struct TGridCase {
  const char* Name;
  TValueLayout Layout;
  double Divisor;
  const char* Lines;  // after "grid 2"
  TRGB Node100;       // node [1][0][0]
  TRGB Node001;       // node [0][0][1]
};

// The same 2-node identity, written the way each layout writes it.
const TGridCase kGridCases[] = {
    {"reals red fastest",
     {.Order = noRedFastest, .Channels = coRGB},
     1.0,
     "0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n",
     {1, 0, 0},
     {0, 0, 1}},
    {"reals blue fastest",
     {.Order = noBlueFastest, .Channels = coRGB},
     1.0,
     "0 0 0\n0 0 1\n0 1 0\n0 1 1\n1 0 0\n1 0 1\n1 1 0\n1 1 1\n",
     {1, 0, 0},
     {0, 0, 1}},
    {"reals B G R",
     {.Order = noRedFastest, .Channels = coBGR},
     1.0,
     "0 0 0\n0 0 1\n0 1 0\n0 1 1\n1 0 0\n1 0 1\n1 1 0\n1 1 1\n",
     {1, 0, 0},
     {0, 0, 1}},
    {"codes over 1023",
     {.Order = noBlueFastest, .Channels = coRGB, .IntegerCodes = true},
     1023.0,
     "0 0 0\n0 0 1023\n0 1023 0\n0 1023 1023\n1023 0 0\n1023 0 1023\n1023 1023 0\n"
     "1023 1023 1023\n",
     {1, 0, 0},
     {0, 0, 1}},
    {"indexed codes, tabs and a skipped line",
     {.Order = noBlueFastest, .Channels = coRGB, .IntegerCodes = true, .IndexColumn = true},
     4.0,
     "values\tred\tgreen\tblue\n0\t0\t0\t0\n1\t0\t0\t4\n2\t0\t4\t0\n3\t0\t4\t4\n4\t4\t0\t0\n"
     "5\t4\t0\t4\n6\t4\t4\t0\n7\t4\t4\t4\n",
     {1, 0, 0},
     {0, 0, 1}},
    {"indexed reals, commas, a four-number line skipped",
     {.Order = noRedFastest, .Channels = coRGB, .IndexColumn = true},
     2.0,
     "0,0,0,0\n0 0 0 0 9\n1,2,0,0\n2,0,2,0\n3,2,2,0\n4,0,0,2\n5,2,0,2\n6,0,2,2\n7,2,2,2\n",
     {1, 0, 0},
     {0, 0, 1}},
};

TEST(FormatToolkit, ValueLinesFillTheGridInEveryLayout) {
  test::TempDir dir;
  for (const TGridCase& c : kGridCases) {
    SCOPED_TRACE(c.Name);
    TProbeFormat format(true, c.Layout, c.Divisor);
    TLUT lut;
    format.Load(dir.Write("grid.txt", std::string("grid 2\n") + c.Lines), lut);
    EXPECT_EQ(lut.Kind, lk3D);
    EXPECT_EQ(lut.Size3D, 2);
    EXPECT_EQ(lut.GetNode(1, 0, 0), c.Node100);
    EXPECT_EQ(lut.GetNode(0, 0, 1), c.Node001);
    EXPECT_EQ(lut.GetNode(1, 1, 0), (TRGB{1, 1, 0}));
    EXPECT_EQ(lut.GetNode(1, 1, 1), (TRGB{1, 1, 1}));
  }
}

TEST(FormatToolkit, TablesCompleteAtTheirSizeOrCountTheirLines) {
  test::TempDir dir;
  TLUT lut;
  TProbeFormat sized(false, {.Order = noRedFastest, .Channels = coRGB, .IntegerCodes = true}, 10.0);
  sized.Load(dir.Write("t.txt", "table 2\n0 1 2\n10 10 10\n5 5 5\n"), lut);
  EXPECT_EQ(lut.Size1D, 2);
  EXPECT_EQ(lut.GetEntry(0), (TRGB{0, 0.1, 0.2}));
  EXPECT_EQ(lut.GetEntry(1), (TRGB{1, 1, 1}));

  TProbeFormat short1D(false, {}, 1.0);
  EXPECT_THROW(short1D.Load(dir.Write("s.txt", "table 3\n0 0 0\n1 1 1\n"), lut), ELUTError);

  // A table counted by its lines takes up to the capacity and refuses one line more.
  std::string lines = "table -1\n";
  for (int i = 0; i <= TLUT::MaxTableEntries; ++i) lines += "0.5 0.5 0.5\n";
  TProbeFormat counted(false, {}, 1.0);
  try {
    counted.Load(dir.Write("c.txt", lines), lut);
    FAIL() << "a table beyond the capacity loaded";
  } catch (const ELUTError& error) {
    EXPECT_STREQ(error.what(),
                 "The 1D size 100002 is too large: a 1D table holds at most 100001 "
                 "entries.");
    EXPECT_EQ(error.Line(), TLUT::MaxTableEntries + 2);
  }
}

TEST(FormatToolkit, SizesBeyondTheRecordOrBelowOneAreRefused) {
  struct TSizeCase {
    const char* FirstLine;
    const char* Message;  // null: accepted
  };
  const TSizeCase cases[] = {
      {"grid 100", nullptr},
      {"grid 101", kGridSizeLimitMessage},
      {"grid 2147483647", kGridSizeLimitMessage},
      {"grid 0", "The grid size 0 is not valid: a 3D LUT needs at least 1 node per axis."},
      {"grid -5", "The grid size -5 is not valid: a 3D LUT needs at least 1 node per axis."},
      {"table 100001", nullptr},
      {"table 100002", "The 1D size 100002 is too large: a 1D table holds at most 100001 entries."},
      {"table 0", "The 1D size 0 is not valid: a 1D LUT needs at least 1 entry."},
      {"codes 1", nullptr},
      {"codes 0",
       "The largest code 0 is not valid: integer codes need a largest code of at least 1."},
      {"codes -4095",
       "The largest code -4095 is not valid: integer codes need a largest code of at least 1."},
      {"shaper 100", nullptr},
      {"shaper 100002",
       "The 1D size 100002 is too large: a 1D table holds at most 100001 entries."},
      {"shaper 0", "The 1D size 0 is not valid: a 1D LUT needs at least 1 entry."},
  };
  test::TempDir dir;
  TLUT lut;
  for (const TSizeCase& c : cases) {
    SCOPED_TRACE(c.FirstLine);
    const bool grid = !std::string_view(c.FirstLine).starts_with("table");
    TProbeFormat format(grid, {}, 1.0);
    const std::string path = dir.Write("size.txt", std::string(c.FirstLine) + "\n");
    try {
      format.Load(path, lut);
      FAIL() << "an empty file loaded";
    } catch (const Exception& error) {
      EXPECT_STREQ(test::WithoutCounts(error.what()).c_str(),
                   c.Message ? c.Message : kIncompleteFile);
      EXPECT_EQ(error.Line(), c.Message ? 1 : 0);
    }
  }
}

// A second size line that makes the grid smaller while it is read ends the grid instead of
// letting the counters run past it.
TEST(FormatToolkit, AGridThatShrinksWhileReadEndsInsideTheRecord) {
  std::string lines = "grid 4\n";
  for (int i = 0; i < 40; ++i) lines += "1 2 3\n";  // up to node [2][2][0]
  lines += "grid 2\n";
  for (int i = 0; i < 2000; ++i) lines += "4 5 6\n";
  test::TempDir dir;
  TProbeFormat format(true, {.Order = noBlueFastest, .Channels = coRGB, .IntegerCodes = true}, 1.0);
  TLUT lut;
  format.Load(dir.Write("shrink.txt", lines), lut);
  EXPECT_EQ(lut.Size3D, 2);
  EXPECT_EQ(lut.GetNode(2, 2, 1), (TRGB{4, 5, 6}));
  EXPECT_EQ(lut.GetNode(2, 3, 0), (TRGB{0, 0, 0}));
}

TEST(FormatToolkit, HeaderLineTools) {
  struct TPiecesCase {
    const char* Line;
    int Pieces;
  };
  for (const TPiecesCase& c : {TPiecesCase{"0 64 128", 3},
                               {"  1\t2   3 ", 3},
                               {"", 0},
                               {"-1 +2", 2},
                               {"1 2.5 3", -1},
                               {"1,2,3", -1},
                               {"4 x", -1},
                               {"99999999999", -1}}) {
    EXPECT_EQ(IntegerPieceCount(c.Line), c.Pieces) << c.Line;
  }

  std::int32_t value = -7;
  EXPECT_TRUE(IntegerAfterPrefix("in 4913", "in ", value));
  EXPECT_EQ(value, 4913);
  EXPECT_TRUE(IntegerAfterPrefix("  vertices  17", "vertices", value));
  EXPECT_EQ(value, 17);
  for (const char* other : {"IN 5", "inx 5", "in", "# in 5"}) {
    EXPECT_FALSE(IntegerAfterPrefix(other, "in ", value)) << other;
  }
  EXPECT_EQ(value, 17);
  for (const char* bad : {"in 5 ", "in 5x", "in ", "in 2147483648"}) {
    EXPECT_THROW(IntegerAfterPrefix(bad, "in ", value), EConvertError) << bad;
  }

  EXPECT_EQ(CodeBitsToWrite(1), 1);
  EXPECT_EQ(CodeBitsToWrite(31), 31);
  EXPECT_THROW(CodeBitsToWrite(0), Exception);
  EXPECT_THROW(CodeBitsToWrite(32), Exception);
  EXPECT_THROW(CodeBitsToWrite(31, 30), Exception);
}

// The depth grows by Ceil(c / top) - 1 bits at a code c above the top code of the depth
// so far; lines that are not three integers count for nothing.
TEST(FormatToolkit, CodeDepthEstimate) {
  struct TDepthCase {
    const char* Name;
    std::string Text;
    int Bits;  // 0: refused
    int Line;  // the line the refusal notes
  };
  std::string identity12;
  for (int r = 0; r < 17; ++r) {
    const std::string code = FormatScaledInt(12, r / 16.0);
    identity12 += code + " " + code + " " + code + "\n";
  }
  const TDepthCase cases[] = {
      {"10-bit codes and smaller", "0 0 0\n512 1 1023\n", 10, 0},
      {"one step per doubling", identity12, 12, 0},
      {"a jump adds several bits", "0 0 0\n0 0 4095\n", 14, 0},
      {"just past twice the top", "2047 0 0\n", 12, 0},
      {"other lines change nothing",
       "# 65535 65535 65535\n0 64 4095 65535\n1.5 2000.0 3\n4095 4095\n9 9 9 9999\n", 10, 0},
      {"negative codes", "-70000 -70000 -70000\n", 10, 0},
      {"24-bit codes at once", "0 0 0\n# deep\n0 16777215 0\n", 0, 3},
      {"a rise to the 32-bit top", "0 0 2047\n0 0 65535\n0 0 2147483647\n", 0, 3},
  };
  for (const TDepthCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTextFile text;
    text.SetText(c.Text);
    if (c.Bits != 0) {
      EXPECT_EQ(EstimateCodeBits(text, 10), c.Bits);
      continue;
    }
    try {
      EstimateCodeBits(text, 10);
      FAIL() << "an estimate past 31 bits was accepted";
    } catch (const ELUTError& error) {
      EXPECT_STREQ(error.what(),
                   "The codes of this file need more than 31 bits per value; set its bits per "
                   "color to read it.");
      EXPECT_EQ(error.Line(), c.Line);
    }
  }
}

// A grid sized by its value lines takes the rounded cube root of their count; without one
// it has no grid and is incomplete. A shaper's entries come before the grid's nodes.
TEST(FormatToolkit, CountedGridsAndShapersBeforeTheGrid) {
  struct TCountCase {
    const char* Lines;
    int Size;       // Size3D after the load
    bool Complete;  // loads without "Incomplete file."
  };
  const TCountCase cases[] = {
      {"0 0 0\n1 0 0\n0 1 0\n1 1 0\n# x\n0 0 1\n1 0 1\n0 1 1\n1 1 1\n", 2, true},
      {"0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n", 2, false},  // 7 round to 2
      {"0.5 0.5 0.5\nnot a value\n", 1, true},
      {"no values\nat all\n", 0, false},
  };
  test::TempDir dir;
  TLUT lut;
  for (const TCountCase& c : cases) {
    SCOPED_TRACE(c.Lines);
    TProbeFormat format(true, {}, 1.0);
    const std::string path = dir.Write("counted.txt", std::string("counted\n") + c.Lines);
    if (c.Complete) {
      format.Load(path, lut);
    } else {
      EXPECT_THROW(format.Load(path, lut), ELUTError);
    }
    EXPECT_EQ(lut.Kind, lk3D);
    EXPECT_EQ(lut.Size3D, c.Size);
  }
  EXPECT_EQ(lut.GetNode(0, 0, 0), (TRGB{0.5, 0.5, 0.5}));

  TProbeFormat shaped(true, {}, 1.0);
  shaped.Load(
      dir.Write("shaper.txt", "shaper 2\n0.1 0.2 0.3\n0.9 0.8 0.7\n" +
                                  std::string("0 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n"
                                              "1 1 1\n")),
      lut);
  EXPECT_EQ(lut.Kind, lk1DAnd3D);
  EXPECT_EQ(lut.Size1D, 2);
  EXPECT_EQ(lut.GetEntry(1), (TRGB{0.9, 0.8, 0.7}));
  EXPECT_EQ(lut.GetNode(1, 0, 0), (TRGB{1, 0, 0}));
}

// A value that does not parse names its file and line, beside the unchanged message.
TEST(FormatToolkit, ConversionErrorsNoteTheFileAndLine) {
  test::TempDir dir;
  const std::string path = dir.Write("bad.cube", "# look\nLUT_3D_SIZE 2x\n0 0 0\n");
  TLUT lut;
  try {
    LoadLut(path, lut, -1);
    FAIL() << "the size line was accepted";
  } catch (const EConvertError& error) {
    EXPECT_STREQ(error.what(), "'2x' is not a valid integer value");
    EXPECT_EQ(error.File(), path);
    EXPECT_EQ(error.Line(), 2);
  }
}

TEST(FormatToolkit, GridWritersFollowLayoutAndCoding) {
  struct TWriterCase {
    const char* Name;
    TValueLayout Layout;
    TValueWriter Writer;
    const char* Text;
  };
  const TWriterCase cases[] = {
      {"reals red fastest",
       {.Order = noRedFastest, .Channels = coRGB, .Separator = ' '},
       TValueWriter::Fixed(3),
       "0.000 0.000 0.000\n0.500 0.000 0.000\n0.000 0.250 0.000\n0.500 0.250 0.000\n"
       "0.000 0.000 0.125\n0.500 0.000 0.125\n0.000 0.250 0.125\n1.250 -0.500 0.250\n"},
      {"clamped 10-bit codes blue fastest, B G R",
       {.Order = noBlueFastest, .Channels = coBGR, .Separator = ' '},
       TValueWriter::ScaledInt(10),
       "0 0 0\n128 0 0\n0 256 0\n128 256 0\n0 0 512\n128 0 512\n0 256 512\n256 0 1023\n"},
      {"unclamped codes with an index column and tabs",
       {.Order = noBlueFastest, .Channels = coRGB, .IndexColumn = true, .Separator = '\t'},
       TValueWriter::Code(100),
       "0\t0\t0\t0\n1\t0\t0\t12\n2\t0\t25\t0\n3\t0\t25\t12\n4\t50\t0\t0\n5\t50\t0\t12\n"
       "6\t50\t25\t0\n7\t125\t-50\t25\n"},
  };
  const auto lut = test::SmallGrid();
  for (const TWriterCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TTextFile text;
    AddGridLines(text, *lut, c.Layout, c.Writer);
    EXPECT_EQ(text.Text(), c.Text);
  }
}

TEST(FormatToolkit, TableWriterAndComments) {
  TLUT lut;
  lut.Kind = lk1D;
  lut.Size1D = 3;
  lut.SetEntry(0, {0, 0.1, 0.2});
  lut.SetEntry(1, {0.5, 0.5, 0.5});
  lut.SetEntry(2, {1, 0.9, 2});
  lut.Comments = {"first", ""};
  TTextFile text;
  AddCommentLines(text, lut);
  AddTableLines(text, lut,
                {.Order = noRedFastest, .Channels = coRGB, .IndexColumn = true, .Separator = ','},
                TValueWriter::ScaledInt(8));
  const TRGB ramp[] = {{0.25, 0.5, 1.5}, {-1, 0, 1}};
  AddValueLines(text, ramp, {.Order = noRedFastest, .Channels = coBGR, .Separator = ' '},
                TValueWriter::Fixed(2));
  AddValueLines(text, ramp,
                {.Order = noRedFastest, .Channels = coRGB, .IndexColumn = true, .Separator = '\t'},
                TValueWriter::Code(8));
  EXPECT_EQ(text.Text(),
            "# first\n# \n0,0,26,51\n1,128,128,128\n2,255,230,255\n1.50 0.50 0.25\n"
            "1.00 0.00 -1.00\n0\t2\t4\t12\n1\t-8\t0\t8\n");
}

// Lines that are not a plain row of values come from a line writer, one per entry.
TEST(FormatToolkit, TableLinesByALineWriter) {
  TLUT lut;
  lut.Kind = lk1D;
  lut.Size1D = 2;
  lut.SetEntry(0, {0, 0.5, 1});
  lut.SetEntry(1, {1, 1, 0.25});
  TTextFile text;
  const TValueWriter writer = TValueWriter::ScaledInt(8);
  AddTableLinesBy(text, lut, 64, [&](char* out, int index, const double* rgb) {
    out = PutText(out, "<e i=\"");
    *out++ = static_cast<char>('0' + index);
    out = writer.Write(PutText(out, "\" g=\""), rgb[1]);
    return PutText(out, "\"/>");
  });
  EXPECT_EQ(text.Text(), "<e i=\"0\" g=\"128\"/>\n<e i=\"1\" g=\"255\"/>\n");
}

// A table whose length is the number of entries appended: Size counts them, and an entry
// beyond the capacity is refused.
TEST(FormatToolkit, AppendedEntriesCountTheTable) {
  TLoadState appender;
  auto append = [&appender](TLUT& lut, int count) {
    for (int i = 0; i < count; ++i) appender.AppendEntry(lut, {i * 0.5, 0, 1});
    return appender.Size;
  };
  TLUT lut;
  EXPECT_EQ(append(lut, 3), 3);
  EXPECT_EQ(lut.GetEntry(2), (TRGB{1, 0, 1}));
  EXPECT_EQ(append(lut, TLUT::MaxTableEntries - 3), TLUT::MaxTableEntries);
  try {
    append(lut, 1);
    FAIL() << "an entry beyond the capacity was stored";
  } catch (const ELUTError& error) {
    EXPECT_STREQ(error.what(),
                 "The 1D size 100002 is too large: a 1D table holds at most 100001 entries.");
  }
}

// The writer's integer coding is the printed FormatScaledInt, value for value.
TEST(FormatToolkit, ScaledIntWriterAgreesWithFormatScaledInt) {
  const double values[] = {
      0.0,     1.0,           0.5,    -0.2, 1.7,
      1.0 / 3, 2047.5 / 4095, 1e-300, -0.0, std::numeric_limits<double>::quiet_NaN()};
  for (int bits : {0, 8, 10, 12, 16}) {
    const TValueWriter writer = TValueWriter::ScaledInt(bits);
    for (double value : values) {
      char text[32];
      const char* end = writer.Write(text, value);
      EXPECT_EQ(std::string(text, static_cast<std::size_t>(end - text)),
                FormatScaledInt(bits, value))
          << bits << " bits " << value;
    }
  }
}

TEST(FormatToolkit, RecordsClaimingMoreThanTheyHoldAreNotWritten) {
  TLUT lut;
  lut.Size3D = TLUT::MaxGridNodes + 1;
  lut.Size1D = -1;
  TTextFile text;
  EXPECT_THROW(AddGridLines(text, lut, {}, TValueWriter::Fixed(6)), Exception);
  EXPECT_THROW(AddTableLines(text, lut, {}, TValueWriter::Fixed(6)), Exception);
  EXPECT_EQ(text.Count(), 0u);
}

TEST(FormatToolkit, BytesAreLittleEndianAndBoundsChecked) {
  TByteWriter writer;
  writer.U8(0x01);
  writer.U16LE(0x0302);
  writer.U32LE(0);
  writer.Bytes("xy");
  writer.PatchU32LE(3, 0x07060504);
  EXPECT_EQ(writer.Data(), std::string_view("\x01\x02\x03\x04\x05\x06\x07xy", 9));
  EXPECT_THROW(writer.PatchU32LE(6, 0), Exception);

  TByteReader reader(writer.Data());
  EXPECT_EQ(reader.U8(), 0x01);
  EXPECT_EQ(reader.U16LE(), 0x0302);
  EXPECT_EQ(reader.U32LE(), 0x07060504u);
  EXPECT_EQ(reader.Remaining(), 2u);
  try {
    reader.U32LE();
    FAIL() << "read past the end";
  } catch (const ELUTError& error) {
    EXPECT_STREQ(error.what(), kIncompleteFile);
  }
  EXPECT_EQ(reader.Bytes(2), "xy");

  writer.Zeros(2);
  writer.PatchU8(10, 0xFF);
  EXPECT_EQ(writer.Data().substr(9), std::string_view("\0\xFF", 2));
  EXPECT_THROW(writer.PatchU8(11, 0), Exception);
  // Sums wrap at 2^32 like the checksums of binary headers.
  EXPECT_EQ(ByteSum(writer.Data()),
            0x01u + 0x02 + 0x03 + 0x04 + 0x05 + 0x06 + 0x07 + 'x' + 'y' + 0xFF);
  EXPECT_EQ(ByteSum(std::string(16843010, '\xFF')), 16843010u * 255u);
}

TEST(FormatToolkit, GridNodesAreVisitedInTheFileOrder) {
  struct TOrderCase {
    TNodeOrder Order;
    // The nodes of a 2-node grid in the order visited, as r g b digits.
    const char* Visits;
  };
  const TOrderCase cases[] = {
      {noRedFastest, "000 100 010 110 001 101 011 111"},
      {noBlueFastest, "000 001 010 011 100 101 110 111"},
  };
  for (const TOrderCase& c : cases) {
    std::string visits;
    ForEachGridNode(2, c.Order, [&](int r, int g, int b) {
      if (!visits.empty()) visits += ' ';
      visits +=
          {static_cast<char>('0' + r), static_cast<char>('0' + g), static_cast<char>('0' + b)};
    });
    EXPECT_EQ(visits, c.Visits);
  }
  int count = 0;
  ForEachGridNode(0, noRedFastest, [&](int, int, int) { ++count; });
  EXPECT_EQ(count, 0);
}

// Curves sampled onto a table: a straight curve takes the first count, a bent one more, and
// the table read linearly stays within the tolerance between its entries.
TEST(FormatToolkit, CurvesAreSampledFinelyEnoughForTheirTolerance) {
  struct TCase {
    const char* Name;
    TCurves Curves;
    bool Straight;
  };
  const TCase cases[] = {
      {"straight",
       [](const TRGB& in) {
         return TRGB{2 * in.R, in.G - 1, 0.5 * in.B};
       },
       true},
      {"bent",
       [](const TRGB& in) {
         return TRGB{std::sin(3 * in.R), in.G * in.G, std::exp(in.B)};
       },
       false},
  };
  const TLutDomain domain{{-1, 0, 0.5}, {2, 1, 1.5}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TLUT lut;
    lut.Kind = lk1D;
    const int entries = SampleCurvesOntoTable(lut, domain, c.Curves, 1e-6);
    EXPECT_EQ(lut.Size1D, entries);
    EXPECT_EQ(lut.TableDomain, domain);
    EXPECT_EQ(entries == 257, c.Straight) << entries;
    double largest = 0.0;
    for (int i = 0; i <= 1000; ++i) {
      const double t = i / 1000.0 + 0.37e-4;
      const TRGB in = domain.FromUnit({t, t, t});
      const TRGB exact = c.Curves(in);
      const TRGB read = lut.Evaluate1D(in);
      if (t <= 1.0) {
        largest = std::max({largest, std::fabs(read.R - exact.R), std::fabs(read.G - exact.G),
                            std::fabs(read.B - exact.B)});
      }
    }
    EXPECT_LE(largest, 1e-6);
  }
}

}  // namespace
}  // namespace vorn
