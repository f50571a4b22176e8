#pragma once
// Parsers of "icc2lut", "lut2icc" and "merge". args holds the command name first; each
// raises EUsageError for a command line that cannot be run.

#include <string>
#include <vector>

#include "cli/Args.h"
#include "cli/IccOptions.h"

namespace vorn::cli {

TIcc2LutOptions ParseIcc2Lut(const std::vector<std::string>& args, TGlobalOptions& globals);
TLut2IccOptions ParseLut2Icc(const std::vector<std::string>& args, TGlobalOptions& globals);
TMergeOptions ParseMerge(const std::vector<std::string>& args, TGlobalOptions& globals);

}  // namespace vorn::cli
