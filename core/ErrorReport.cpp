#include "core/ErrorReport.h"

#include <new>
#include <string_view>

#include "platform/Exception.h"

namespace vorn {

namespace {

constexpr const char* kUnknownError = "Unknown error.";
constexpr const char* kOutOfMemory = "Out of memory.";

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

std::string MessageOf(const std::exception& error) {
  if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) return kOutOfMemory;
  std::string message = error.what();
  return message.empty() ? kUnknownError : message;
}

}  // namespace

TErrorReport ReportError(const std::exception& error, const std::string& fallbackFile) {
  TErrorReport report{MessageOf(error), fallbackFile, 0};
  if (const auto* known = dynamic_cast<const Exception*>(&error)) {
    if (!known->File().empty()) report.File = known->File();
    report.Line = known->Line();
  }
  return report;
}

TErrorReport ReportUnknownError(const std::string& file) {
  return {kUnknownError, file, 0};
}

std::string BoxText(const TErrorReport& report) {
  if (report.File.empty()) return report.Message;
  const bool named = report.Message.find(report.File) != std::string::npos;
  if (named && report.Line == 0) return report.Message;
  std::string text = report.Message + "\n\nFile: " + report.File;
  if (report.Line > 0) text.append(", line ").append(std::to_string(report.Line));
  return text;
}

std::string LineText(const TErrorReport& report) {
  if (report.File.empty()) return report.Message;
  std::string text = report.File;
  if (report.Line > 0) text.append(":").append(std::to_string(report.Line));
  return text.append(": ").append(report.Message);
}

TErrorReport FileErrorReport(const std::exception& error, const std::string& file) {
  TErrorReport report = ReportError(error, file);
  TakeLeadingQuotedPath(report);
  report.Message = WithoutSystemCode(WithoutQuotedPath(report.Message, report.File));
  return report;
}

std::string FileErrorLineText(const TErrorReport& report) {
  if (!report.File.empty() && report.Line == 0 && report.Message.starts_with(report.File + ": ")) {
    return report.Message;
  }
  return LineText(report);
}

}  // namespace vorn
