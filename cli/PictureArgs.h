#pragma once
// Parsers of "hald" and "apply". args holds the command name first; each raises EUsageError
// for a command line that cannot be run, before any file is read.

#include <optional>
#include <string>
#include <vector>

#include "cli/Args.h"
#include "cli/PictureOptions.h"

namespace vorn::cli {

THaldOptions ParseHald(const std::vector<std::string>& args, TGlobalOptions& globals);
TApplyOptions ParseApply(const std::vector<std::string>& args, TGlobalOptions& globals);

// The picture type of a file name's extension (.png, .bmp, .jpg, .jpeg, .tif, .tiff, any
// case), or nothing.
std::optional<TPictureType> PictureTypeOfName(const std::string& path);

}  // namespace vorn::cli
