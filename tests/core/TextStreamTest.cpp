// Reading a text file in pieces and writing one out as it grows: the lines read and the bytes
// written are those of the whole-text TTextFile, whatever the piece size.

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/TextFile.h"
#include "platform/Exception.h"
#include "tests/support/FaultSupport.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

std::vector<std::string> WholeLines(std::string_view text) {
  TTextFile file;
  file.SetText(text);
  std::vector<std::string> lines;
  file.ForEach([&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

std::vector<std::string> ChunkedLines(const std::string& path, std::size_t chunkBytes) {
  TTextFileReader reader(path, chunkBytes);
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.Next(line)) lines.emplace_back(line);
  return lines;
}

// The lines of repeated NextLines calls at the given limits until one reports the end; each
// call's lines must lie in its bytes, each followed by an LF, and none may follow the end.
std::vector<std::string> LinesInBatches(const std::string& path, std::size_t chunkBytes,
                                        std::size_t maxLines, std::size_t maxBytes) {
  TTextFileReader reader(path, chunkBytes);
  std::vector<std::string> lines;
  for (bool more = true; more;) {
    TByteBuffer bytes;
    std::vector<TTextFileReader::TLine> batch;
    more = reader.NextLines(bytes, batch, maxLines, maxBytes);
    EXPECT_LE(batch.size(), maxLines);
    EXPECT_TRUE(batch.empty() || batch.back().Offset < maxBytes);
    for (const TTextFileReader::TLine line : batch) {
      EXPECT_LT(std::size_t{line.Offset} + line.Length, bytes.Size());
      EXPECT_EQ(bytes.Data()[line.Offset + line.Length], '\n');
      lines.emplace_back(bytes.Data() + line.Offset, line.Length);
    }
  }
  TByteBuffer bytes;
  std::vector<TTextFileReader::TLine> after;
  EXPECT_FALSE(reader.NextLines(bytes, after, maxLines, maxBytes));
  EXPECT_TRUE(after.empty());
  return lines;
}

TEST(TextFileReader, SplitsLinesAsTheWholeTextDoesAtEveryPieceSize) {
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"empty", ""},
      {"one break", "\n"},
      {"LF", "a\nbb\n\nccc\n"},
      {"CR LF", "a\r\nbb\r\n\r\nccc\r\n"},
      {"CR", "a\rbb\r\rccc\r"},
      {"LF then CR is two breaks", "a\n\rb\n\r"},
      {"CR CR LF", "a\r\r\nb"},
      {"mixed, no last break", "x\r\ny\rz\nlast"},
      {"a CR at the very end", "a\r"},
      {"a NUL ends the text", std::string("one\ntwo\0three\nfour", 19)},
      {"a NUL right after a CR", std::string("one\r\0\ntwo", 9)},
      {"a line longer than any piece", std::string(300, 'v') + "\r\n" + std::string(70, 'w')},
      {"lines about 16 bytes long", std::string(15, 'a') + "\n" + std::string(16, 'b') + "\n" +
                                        std::string(17, 'c') + "\n\n" + std::string(33, 'd')},
      {"LF lines, then a CR far on", std::string(40, 'x') + "\n" + std::string(300, 'y') + "\r\nz"},
  };
  test::TempDir dir;
  for (const auto& [what, text] : cases) {
    const std::string path = dir.Write("t.txt", text);
    const std::vector<std::string> expected = WholeLines(text);
    for (const std::size_t chunk : {1, 2, 3, 5, 64, 1 << 18}) {
      EXPECT_EQ(ChunkedLines(path, chunk), expected) << what << ", pieces of " << chunk;
      for (const auto& [maxLines, maxBytes] : {std::pair<std::size_t, std::size_t>{1, 1 << 20},
                                               {2, 1 << 20},
                                               {1000, 1},
                                               {1000, 20},
                                               {3, 40}}) {
        EXPECT_EQ(LinesInBatches(path, chunk, maxLines, maxBytes), expected)
            << what << ", pieces of " << chunk << ", batches of " << maxLines << " lines or "
            << maxBytes << " bytes";
      }
    }
  }
}

std::string SavedWhole(const std::vector<std::string>& lines, const std::string& path) {
  TTextFile text;
  for (const std::string& line : lines) text.Add(line);
  text.Save(path);
  return test::ReadFile(path);
}

TEST(TextFileStream, WritesTheBytesOfTheWholeTextAtEveryFlushSize) {
  const std::vector<std::pair<const char*, std::vector<std::string>>> cases = {
      {"no lines", {}},
      {"empty lines", {"", "", ""}},
      {"values", {"0.000000 0.000000 0.000000", "1.000000 0.500000 0.250000", "# end"}},
      {"a line with a CR inside", {"a", "b\rc", "d"}},
      {"a line with an LF inside", {"a\nb", "c"}},
  };
  test::TempDir dir;
  for (const auto& [what, lines] : cases) {
    const std::string expected = SavedWhole(lines, dir.File("whole.txt"));
    for (const std::size_t flush : {1, 2, 7, 1 << 18}) {
      const std::string path = dir.File("streamed.txt");
      TTextFile text;
      text.StreamTo(path, flush);
      for (const std::string& line : lines) text.Add(line);
      EXPECT_EQ(text.Count(), lines.size()) << what << ", flushed at " << flush;
      text.Save(path);
      EXPECT_EQ(test::ReadFile(path), expected) << what << ", flushed at " << flush;
    }
  }
}

TEST(TextFileStream, PrintedLinesAndReadBackOfTheUnwrittenOnes) {
  test::TempDir dir;
  const std::string path = dir.File("out.txt");
  TTextFile text;
  text.StreamTo(path, 10);
  for (int i = 0; i < 6; ++i) {
    char* start = text.AddLineStart(8);
    text.AddLineEnd(start + std::snprintf(start, 8, "n%d", i));
  }
  // n0 to n3 were written out at 12 bytes; n4 and n5 are still held.
  EXPECT_EQ(text.Count(), 6u);
  EXPECT_EQ(text[5], "n5");
  EXPECT_EQ(text.Text(), "n4\nn5\n");
  text.Add("tail");
  text.Save(path);
  EXPECT_EQ(test::ReadFile(path), "n0\nn1\nn2\nn3\nn4\nn5\ntail\n");
}

TEST(TextFileStream, AnUnsavedTextLeavesTheFileAndTheFolderAsTheyWere) {
  for (const bool existing : {false, true}) {
    SCOPED_TRACE(existing ? "replacing a file" : "a new file");
    test::TempDir dir;
    const std::string path = dir.File("out.cube");
    if (existing) WriteWholeFile(path, "old\n");
    {
      TTextFile text;
      text.StreamTo(path, 4);
      for (int i = 0; i < 100; ++i) text.Add("line");
    }
    EXPECT_EQ(test::EntriesOf(dir.Path()),
              existing ? std::vector<std::string>{"out.cube"} : std::vector<std::string>{});
    if (existing) {
      EXPECT_EQ(test::ReadFile(path), "old\n");
    }
  }
}

TEST(TextFileStream, TheBreakCannotChangeOnceLinesWereWrittenOut) {
  test::TempDir dir;
  TTextFile text;
  text.StreamTo(dir.File("out.txt"), 4);
  text.Add("first line");
  text.LineBreak = "\r\n";
  EXPECT_THROW(text.Add("second"), Exception);
}

TEST(TextFileStream, IsSavedOnlyToItsOwnFile) {
  test::TempDir dir;
  TTextFile text;
  text.StreamTo(dir.File("out.txt"), 4);
  text.Add("first line");
  EXPECT_THROW(text.Save(dir.File("other.txt")), Exception);
}

// A line that depends on its place alone: "i, i squared", empty for every 1000th line when
// asked.
char* PrintRunLine(char* out, std::size_t i, bool withEmpty) {
  if (withEmpty && i % 1000 == 999) return out;
  return out + std::snprintf(out, 48, "%zu, %zu", i, i * i);
}

// The text of count run lines added line by line (AddLines) or as a run (AddLineRun), with
// a header line before them, streamed at flushBytes (0: held in memory).
std::string RunText(test::TempDir& dir, std::size_t count, const std::string& lineBreak,
                    bool withEmpty, std::size_t flushBytes, bool asRun) {
  const std::string path = dir.File(asRun ? "run.txt" : "lines.txt");
  TTextFile text;
  text.LineBreak = lineBreak;
  if (flushBytes > 0) text.StreamTo(path, flushBytes);
  text.Add("header");
  if (asRun) {
    text.AddLineRun(count, 48, [&](std::size_t first) {
      return
          [i = first, withEmpty](char* out) mutable { return PrintRunLine(out, i++, withEmpty); };
    });
  } else {
    text.AddLines(count, 48,
                  [&](char* out, std::size_t i) { return PrintRunLine(out, i, withEmpty); });
  }
  text.Add("footer");
  EXPECT_EQ(text.Count(), count + 2);
  text.Save(path);
  return test::ReadFile(path);
}

// Long runs are printed in blocks, on a second core when there is one: the text is that of
// the lines added one by one, in memory or streamed, whatever the break and empty lines.
TEST(TextFileRun, GivesTheTextOfTheLinesAddedOneByOne) {
  test::TempDir dir;
  for (const std::size_t count : {std::size_t{10}, std::size_t{20000}, std::size_t{50001}}) {
    for (const std::string lineBreak : {"\n", "\r\n"}) {
      for (const bool withEmpty : {false, true}) {
        for (const std::size_t flushBytes :
             {std::size_t{0}, std::size_t{1000}, TTextFile::kStreamFlushBytes}) {
          EXPECT_EQ(
              test::FirstDifference(RunText(dir, count, lineBreak, withEmpty, flushBytes, true),
                                    RunText(dir, count, lineBreak, withEmpty, flushBytes, false)),
              "")
              << count << " lines, break of " << lineBreak.size() << ", empty lines " << withEmpty
              << ", flushed at " << flushBytes;
        }
      }
    }
  }
}

// A printer that raises: the error of the first line in order that raised is passed on, and
// a streamed text leaves the file as it was.
TEST(TextFileRun, PassesOnTheErrorOfTheFirstLineThatRaised) {
  test::TempDir dir;
  const std::string path = dir.Write("out.txt", "before\n");
  for (const std::size_t firstBad : {std::size_t{5}, std::size_t{17000}, std::size_t{39999}}) {
    TTextFile text;
    text.StreamTo(path, 1000);
    try {
      text.AddLineRun(40000, 48, [&](std::size_t first) {
        return [i = first, firstBad](char* out) mutable {
          const std::size_t line = i++;
          if (line == firstBad || line == 39999 || line % 9000 == 8999) {
            if (line >= firstBad) throw std::runtime_error("line " + std::to_string(line));
          }
          return PrintRunLine(out, line, false);
        };
      });
      ADD_FAILURE() << "no error for line " << firstBad;
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(std::string(error.what()), "line " + std::to_string(firstBad));
    }
    EXPECT_EQ(test::ReadFile(path), "before\n");
  }
}

// On one core a run is printed line by line, with the same text.
TEST(TextFileRun, OnOneCoreGivesTheSameText) {
  test::TempDir dir;
  const std::string many = RunText(dir, 30000, "\n", false, 1000, true);
  std::string single;
  {
    const test::TOnOneCore oneCore;
    single = RunText(dir, 30000, "\n", false, 1000, true);
  }
  EXPECT_EQ(test::FirstDifference(single, many), "");
}

}  // namespace
}  // namespace vorn
