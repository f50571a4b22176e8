#pragma once
// The one way an exception becomes what the user reads: its message, unchanged, and where
// it arose (the file and, for text that did not parse, the line). The window shows it in
// its error box and the command line on one line of its error stream.

#include <exception>
#include <string>

#include "platform/Export.h"

namespace vorn {

struct TErrorReport {
  std::string Message;
  std::string File;
  int Line = 0;  // 1-based; 0 when not known
};

// The message and place of error. fallbackFile names the file when the error itself does
// not. A failed allocation reads "Out of memory." rather than the library's name for it.
VORN_API TErrorReport ReportError(const std::exception& error,
                                  const std::string& fallbackFile = {});
// Where nothing is known of the error at all.
VORN_API TErrorReport ReportUnknownError(const std::string& file = {});

// For the error box: the message, then "File: " and the file (", line " and its number)
// after an empty line, unless the message names the file already.
VORN_API std::string BoxText(const TErrorReport& report);
// For one line of text: "file:line: message", "file: message" or the message alone.
VORN_API std::string LineText(const TErrorReport& report);

// The report as vorn-lut words a failure of a file: the error's own file, else file; the
// file's path taken out of the library's message where it repeats it ("Cannot open file
// \"x\". Reason" becomes "Cannot open file: Reason" of file x) and the system's error codes
// left out. The Python module raises its errors with the same words.
VORN_API TErrorReport FileErrorReport(const std::exception& error, const std::string& file = {});
// That report on one line: "file:line: message", "file: message" or the message alone (also
// when the message begins with the file already).
VORN_API std::string FileErrorLineText(const TErrorReport& report);

}  // namespace vorn
