#include "core/ErrorReport.h"

#include <new>

#include "platform/Exception.h"

namespace vorn {

namespace {

constexpr const char* kUnknownError = "Unknown error.";
constexpr const char* kOutOfMemory = "Out of memory.";

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

}  // namespace vorn
