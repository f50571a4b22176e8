#pragma once
// How vorn-lut words a failure of a file: the file's path once, at the start of the line
// ("PATH: what is wrong"), other names quoted with single quotes inside the sentence, and
// what to do where the user can do something. cli/messages.txt lists every template.

#include <exception>
#include <string>

namespace vorn::cli {

// "FILE: message" for an error of a file (the error's own file, else file), the file's
// path taken out of the library's message where it repeats it ("Cannot open file \"x\".
// Reason" becomes "x: Cannot open file: Reason") and the system's error codes left out.
std::string FileErrorLine(const std::exception& error, const std::string& file = {});

// The message of an unknown failure of file.
std::string UnknownErrorLine(const std::string& file);

// Why output cannot be written into its folder (it does not exist, or is no folder), or ""
// when the folder is there.
std::string OutputFolderProblem(const std::string& output);

}  // namespace vorn::cli
