#include "cli/Messages.h"

#include <string_view>

#include "core/VornLut.h"
#include "platform/Files.h"

namespace vorn::cli {

namespace {

constexpr std::string_view kSystemErrorCode = "System error, code ";

// Removes the first ` "path"` of message; the ". " or ": " that followed it becomes ": ".
std::string WithoutQuotedPath(std::string message, const std::string& path) {
  const std::string quoted = " \"" + path + "\"";
  const std::size_t at = message.find(quoted);
  if (path.empty() || at == std::string::npos) return message;
  message.erase(at, quoted.size());
  if (message.compare(at, 2, ". ") == 0) message.replace(at, 2, ": ");
  return message;
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
