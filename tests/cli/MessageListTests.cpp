// cli/messages.txt lists every error message of vorn-lut's own code as a template ("%" for
// what the code puts in). The list is checked against the sources, and the templates for
// what a user must never read: the program's cache path, a library's raw text, a system
// error code, a path said twice.

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>

#include "tests/cli/CliRunner.h"
#include "tests/support/TestSupport.h"

namespace vorn::test {
namespace {

const std::string kCliFolder = VORN_SOURCE_DIR "/cli";

bool IsIdentifierCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// The text of the string literal at source[at] (a '"'); at moves past it.
std::string ReadLiteral(const std::string& source, std::size_t& at) {
  std::string text;
  for (++at; at < source.size() && source[at] != '"'; ++at) {
    // \" and \\ stand for themselves; other escapes stay as they are written.
    if (source[at] == '\\' && at + 1 < source.size()) {
      const char escaped = source[++at];
      if (escaped != '"' && escaped != '\\') text += '\\';
      text += escaped;
      continue;
    }
    text += source[at];
  }
  ++at;
  return text;
}

// The template of the expression from source[at] up to the ")" or ";" that ends it: its
// literals as they are, "%" for each run of other operands.
std::string TemplateAt(const std::string& source, std::size_t at) {
  std::string text;
  bool operand = false;
  int depth = 0;
  for (; at < source.size(); ++at) {
    const char c = source[at];
    if (c == '"') {
      if (operand) text += '%';
      operand = false;
      text += ReadLiteral(source, at);
      --at;
    } else if (c == '(' || c == '[') {
      ++depth;
      operand = true;
    } else if (c == ')' || c == ']') {
      if (depth-- == 0) break;
    } else if (c == ';' && depth == 0) {
      break;
    } else if (depth == 0 && c == '+') {
      continue;
    } else if (std::isspace(static_cast<unsigned char>(c)) == 0) {
      operand = true;
    }
  }
  if (operand) text += '%';
  return text;
}

// Every "NAME(" in source not inside a longer identifier, and with "return " in a message
// builder every returned expression that holds a literal.
void AddTemplates(const std::string& source, std::string_view name, std::set<std::string>& out) {
  const std::string call = std::string(name) + (name == "return" ? " " : "(");
  for (std::size_t at = source.find(call); at != std::string::npos;
       at = source.find(call, at + 1)) {
    if (at > 0 && IsIdentifierCharacter(source[at - 1])) continue;
    const std::string text = TemplateAt(source, at + call.size());
    if (text.find_first_not_of('%') != std::string::npos) out.insert(text);
  }
}

std::set<std::string> TemplatesInSources() {
  std::set<std::string> templates;
  for (const auto& entry : std::filesystem::directory_iterator(kCliFolder)) {
    if (entry.path().extension() != ".cpp" && entry.path().extension() != ".h") continue;
    const std::string source = ReadFile(entry.path().string());
    AddTemplates(source, "EUsageError", templates);
    AddTemplates(source, "ECommandError", templates);
    if (entry.path().filename() == "Messages.cpp") AddTemplates(source, "return", templates);
  }
  // The wording of a file's error, which the library shares with the Python module.
  AddTemplates(ReadFile(VORN_SOURCE_DIR "/core/ErrorReport.cpp"), "return", templates);
  return templates;
}

std::set<std::string> ListedTemplates() {
  std::set<std::string> listed;
  for (const std::string& line : Lines(ReadFile(kCliFolder + "/messages.txt"))) {
    if (!line.empty() && line[0] != '#') listed.insert(line);
  }
  return listed;
}

TEST(CliMessages, TheListHoldsEveryMessageOfTheSources) {
  const std::set<std::string> sources = TemplatesInSources();
  const std::set<std::string> listed = ListedTemplates();
  std::string missing;
  for (const std::string& text : sources) {
    if (!listed.contains(text)) missing += text + "\n";
  }
  std::string stale;
  for (const std::string& text : listed) {
    if (!sources.contains(text)) stale += text + "\n";
  }
  EXPECT_EQ(missing, "") << "templates of the sources missing from cli/messages.txt";
  EXPECT_EQ(stale, "") << "templates of cli/messages.txt that no source has";
  EXPECT_GT(listed.size(), 50u);
}

TEST(CliMessages, NoTemplateShowsWhatAUserMustNotRead) {
  const std::vector<std::string> forbidden = {
      ".cache",                    // the program's own files
      "System error",              // an errno code
      "Wrong output color space",  // LittleCMS's own words
      "Cannot open file \"",       // a library's message that quotes the path again
      "\"%\": ",                   // a path quoted in the library's way
  };
  for (const std::string& text : ListedTemplates()) {
    for (const std::string& word : forbidden) {
      EXPECT_EQ(text.find(word), std::string::npos) << text;
    }
    // "%: ... '%'" may name two files; "%: ... %:" would be the path once more.
    if (text.starts_with("%: ")) {
      EXPECT_EQ(text.find("%: ", 3), std::string::npos) << text;
    }
  }
}

}  // namespace
}  // namespace vorn::test
