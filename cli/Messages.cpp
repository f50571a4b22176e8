#include "cli/Messages.h"

#include <string_view>

#include "core/VornLut.h"
#include "platform/Files.h"

namespace vorn::cli {

namespace {

constexpr std::string_view kSystemErrorCode = "System error, code ";

// Removes the first ` "path"` of message (the ". " that followed it becomes ": "); a
// message that begins with it speaks of "the file".
std::string WithoutQuotedPath(std::string message, const std::string& path) {
  if (path.empty()) return message;
  const std::string quoted = "\"" + path + "\"";
  if (message.starts_with(quoted + " ")) return "the file" + message.substr(quoted.size());
  const std::size_t at = message.find(" " + quoted);
  if (at == std::string::npos) return message;
  message.erase(at, quoted.size() + 1);
  if (message.compare(at, 2, ". ") == 0) message.replace(at, 2, ": ");
  return message;
}

// A library's "\"path\": message" or "\"path\" is ..." as the report of that file.
void TakeLeadingQuotedPath(TErrorReport& report) {
  if (!report.File.empty() || !report.Message.starts_with('"')) return;
  const std::size_t end = report.Message.find('"', 1);
  if (end == std::string::npos || end + 1 >= report.Message.size()) return;
  if (report.Message.compare(end + 1, 2, ": ") == 0) {
    report.File = report.Message.substr(1, end - 1);
    report.Message.erase(0, end + 3);
  } else if (report.Message[end + 1] == ' ') {
    report.File = report.Message.substr(1, end - 1);
  }
}

// "System error, code 2: No such file or directory" keeps the system's words alone.
std::string WithoutSystemCode(std::string message) {
  const std::size_t at = message.find(kSystemErrorCode);
  if (at == std::string::npos) return message;
  const std::size_t colon = message.find(": ", at);
  if (colon == std::string::npos) return message;
  message.erase(at, colon + 2 - at);
  return message;
}

}  // namespace

std::string FileErrorLine(const std::exception& error, const std::string& file) {
  TErrorReport report = ReportError(error, file);
  TakeLeadingQuotedPath(report);
  report.Message = WithoutSystemCode(WithoutQuotedPath(report.Message, report.File));
  if (!report.File.empty() && report.Line == 0 && report.Message.starts_with(report.File + ": ")) {
    return report.Message;
  }
  return LineText(report);
}

std::string UnknownErrorLine(const std::string& file) {
  return LineText(ReportUnknownError(file));
}

std::string OutputFolderProblem(const std::string& output) {
  const std::string folder = ExtractFileDir(output);
  if (folder.empty() || DirectoryExists(folder)) return {};
  if (EntryExists(folder)) return output + ": '" + folder + "' is not a folder";
  return output + ": the folder '" + folder +
         "' does not exist: create it first, or name a file in an existing folder";
}

}  // namespace vorn::cli
