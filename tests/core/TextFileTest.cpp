#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "core/TextFile.h"
#include "core/TextTools.h"
#include "platform/Exception.h"
#include "tests/support/TestSupport.h"

namespace vorn {
namespace {

std::vector<std::string> Lines(const TTextFile& text) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < text.Count(); ++i) lines.emplace_back(text[i]);
  return lines;
}

TEST(TextFile, CrLfAndCrLfBreaksGiveTheSameLines) {
  TTextFile lf, crlf, cr;
  lf.SetText("a\nb\n\nc");
  crlf.SetText("a\r\nb\r\n\r\nc\r\n");
  cr.SetText("a\rb\r\rc\r");
  std::vector<std::string> expected{"a", "b", "", "c"};
  EXPECT_EQ(Lines(lf), expected);
  EXPECT_EQ(Lines(crlf), expected);
  EXPECT_EQ(Lines(cr), expected);
}

TEST(TextFile, LfThenCrIsTwoBreaks) {
  TTextFile text;
  text.SetText("a\n\rb");
  EXPECT_EQ(Lines(text), (std::vector<std::string>{"a", "", "b"}));
}

TEST(TextFile, ANulByteIsPartOfItsLine) {
  TTextFile text;
  text.SetText(std::string_view("one\ntwo\0three\nfour", 18));
  EXPECT_EQ(Lines(text), (std::vector<std::string>{"one", std::string("two\0three", 9), "four"}));
}

TEST(TextFile, EmptyTextHasNoLines) {
  TTextFile text;
  text.SetText("");
  EXPECT_EQ(text.Count(), 0u);
  text.SetText("\n");
  EXPECT_EQ(Lines(text), std::vector<std::string>{""});
}

TEST(TextFile, SaveWritesEveryLineWithLf) {
  test::TempDir dir;
  TTextFile text;
  text.Add("first");
  text.Add("");
  text.Add("third");
  std::string path = dir.File("out.txt");
  text.Save(path);
  EXPECT_EQ(test::ReadFile(path), "first\n\nthird\n");

  TTextFile empty;
  empty.Save(path);
  EXPECT_EQ(test::ReadFile(path), "");
}

TEST(TextFile, LoadReadsTheFileAndSaveRoundTrips) {
  test::TempDir dir;
  std::string path = dir.Write("in.txt", "x 1\r\ny 2\rz 3");
  TTextFile text;
  text.Load(path);
  EXPECT_EQ(Lines(text), (std::vector<std::string>{"x 1", "y 2", "z 3"}));
  text.Save(path);
  EXPECT_EQ(test::ReadFile(path), "x 1\ny 2\nz 3\n");
}

TEST(TextFile, LoadOfAMissingFileNamesIt) {
  TTextFile text;
  try {
    text.Load("/no/such/file.cube");
    FAIL();
  } catch (const Exception& e) {
    EXPECT_NE(std::string(e.what()).find("\"/no/such/file.cube\""), std::string::npos);
  }
}

TEST(TextFile, AFailedLoadLeavesAnEmptyText) {
  test::TempDir dir;
  TTextFile text;
  text.Add("old line");
  EXPECT_THROW(text.Load(dir.File("missing.txt")), Exception);
  EXPECT_EQ(text.Count(), 0u);
  text.Add("new");
  std::string path = dir.File("out.txt");
  text.Save(path);
  EXPECT_EQ(test::ReadFile(path), "new\n");
}

TEST(TextFile, LinesAddedAfterALoadAreSavedWithTheLoadedOnes) {
  test::TempDir dir;
  TTextFile text;
  text.SetText("a\r\nb");
  text.Add("c");
  EXPECT_EQ(text.Text(), "a\nb\nc\n");
}

// The splitting rules written plainly, to check the indexed reading against.
std::vector<std::string> ReferenceLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') {
      line += text[i];
      continue;
    }
    lines.push_back(line);
    line.clear();
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

TEST(TextFile, ManyLinesReadInAnyOrderMatchTheSplittingRules) {
  const char* breaks[] = {"\n", "\r\n", "\r", "\n\r"};
  for (int mix = 0; mix < 3; ++mix) {
    std::string text;
    unsigned state = 7;
    for (int i = 0; i < 1000; ++i) {
      state = state * 1103515245 + 12345;
      text += std::string((state >> 8) % 5, static_cast<char>('a' + i % 26));
      text += mix == 0 ? "\n" : breaks[(state >> 16) % (mix == 1 ? 2 : 4)];
    }
    if (mix == 2) text += "tail";
    const std::vector<std::string> expected = ReferenceLines(text);
    TTextFile file;
    file.SetText(text);
    ASSERT_EQ(Lines(file), expected) << "mix " << mix;
    for (std::size_t i = expected.size(); i-- > 0;) ASSERT_EQ(file[i], expected[i]) << i;
    for (std::size_t i = 0; i < expected.size(); i += 37) ASSERT_EQ(file[i], expected[i]) << i;
    file.Add("added");
    ASSERT_EQ(file.Count(), expected.size() + 1);
    EXPECT_EQ(file[expected.size() - 1], expected.back());
    EXPECT_EQ(file[expected.size()], "added");
  }
}

TEST(TextFile, LinesPrintedInPlaceAndAddedLinesMixWithLoadedOnes) {
  TTextFile text;
  text.SetText("loaded\r");  // a CR break: an empty line added next must not pair with it
  text.Add("");
  char* line = text.AddLineStart(16);
  line[0] = '4';
  line[1] = '2';
  text.AddLineEnd(line + 2);
  text.Add("two\nlines in one");  // one line all the same
  EXPECT_EQ(Lines(text), (std::vector<std::string>{"loaded", "", "42", "two\nlines in one"}));
  EXPECT_EQ(text.Text(), "loaded\n\n42\ntwo\nlines in one\n");

  TTextFile crlf;
  crlf.LineBreak = "\r\n";
  crlf.Add("a");
  crlf.Add("");
  EXPECT_EQ(Lines(crlf), (std::vector<std::string>{"a", ""}));
  EXPECT_EQ(crlf.Text(), "a\r\n\r\n");

  TTextFile odd;
  odd.LineBreak = "|";
  odd.Add("a");
  odd.Add("b");
  EXPECT_EQ(Lines(odd), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(odd.Text(), "a|b|");

  TTextFile unterminated;
  unterminated.SetText("x\ny");
  unterminated.Add("z");
  EXPECT_EQ(Lines(unterminated), (std::vector<std::string>{"x", "y", "z"}));
}

// Runs of lines printed in place give the text that adding each line gives, whatever the
// text held before, the line break and empty lines in the run; the second run follows
// lines the text has checked already.
TEST(TextFile, RunsOfLinesPrintedInPlaceMatchLinesAddedOneByOne) {
  const std::vector<std::string> run = {"0.5 0.25", "", "", "1", "last"};
  struct TCase {
    const char* Loaded;
    const char* LineBreak;
  };
  for (const TCase& c : {TCase{"", "\n"}, TCase{"loaded\r", "\n"}, TCase{"x\ny", "\n"},
                         TCase{"a\n", "\r\n"}, TCase{"", "|"}}) {
    TTextFile printed;
    TTextFile added;
    for (TTextFile* text : {&printed, &added}) {
      text->SetText(c.Loaded);
      text->LineBreak = c.LineBreak;
    }
    for (int round = 0; round < 2; ++round) {
      printed.AddLines(run.size(), 16, [&](char* out, std::size_t i) {
        return std::copy(run[i].begin(), run[i].end(), out);
      });
      for (const std::string& line : run) added.Add(line);
    }
    EXPECT_EQ(Lines(printed), Lines(added)) << c.Loaded << c.LineBreak;
    EXPECT_EQ(printed.Text(), added.Text()) << c.Loaded << c.LineBreak;
  }
}

TEST(ReadFileHead, ASharedHeadIsReadOnceAndForgottenWithItsScope) {
  test::TempDir dir;
  const std::string path = dir.Write("a.cube", "LUT_3D_SIZE 2\n");
  const std::string other = dir.Write("b.cube", "other\n");
  {
    TSharedFileHead shared(path);
    EXPECT_EQ(ReadFileHead(path, 4096), "LUT_3D_SIZE 2\n");
    std::ofstream(path, std::ios::trunc) << "changed\n";
    EXPECT_EQ(ReadFileHead(path, 4096), "LUT_3D_SIZE 2\n") << "read once";
    EXPECT_EQ(ReadFileHead(path, 3), "LUT");
    EXPECT_EQ(shared.UpperHead(), "LUT_3D_SIZE 2\n");
    EXPECT_EQ(ReadFileHead(other, 4096), "other\n") << "another file is read as usual";
  }
  EXPECT_EQ(ReadFileHead(path, 4096), "changed\n");
}

TEST(ReadFileHead, ReturnsAtMostTheBytesAskedFor) {
  test::TempDir dir;
  std::string path = dir.Write("h", std::string(5000, 'x'));
  EXPECT_EQ(ReadFileHead(path, 4096).size(), 4096u);
  EXPECT_THROW(ReadFileHead(dir.File("none"), 4096), Exception);
}

}  // namespace
}  // namespace vorn
