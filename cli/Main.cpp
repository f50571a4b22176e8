#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "platform/Files.h"
#include "platform/Memory.h"

int main(int argc, char** argv) {
  vorn::ReportFileSizeLimitAsError();
  vorn::KeepLargeBuffersForReuse();
  std::vector<std::string> args(argv + 1, argv + argc);
  return vorn::cli::RunCommandLine(args, stdout, stderr);
}
