#include "cli/Messages.h"

#include "core/VornLut.h"
#include "platform/Files.h"

namespace vorn::cli {

std::string FileErrorLine(const std::exception& error, const std::string& file) {
  return FileErrorLineText(FileErrorReport(error, file));
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
