#pragma once
// The window's command line: files and folders to put on the list (what a desktop's "Open
// with" hands over), --help, --version, and the scripted run of the start-up benchmark.
//
// It is read twice. Before QApplication exists, so that --help, --version and a mistyped
// option answer without a display: words with a single dash may be Qt's own options
// (-platform, -style) and are left alone. After QApplication has taken its options out,
// every remaining word with a dash is ours or a usage error.

#include <stdexcept>
#include <string>
#include <vector>

namespace vorn::ui {

class IDialogs;
class TfrmMain;

inline constexpr const char* kWindowProgramName = "vorn-lut-converter";

// A command line that cannot be run; the program prints it with a short usage text and
// exits with status 2.
class EWindowUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class TWindowMode { Window, Help, Version, StartupProbe };

enum class TQtOptions { NotYetTaken, Taken };

struct TWindowArguments {
  TWindowMode Mode = TWindowMode::Window;
  std::vector<std::string> Paths;  // as typed; "--" makes every later word a path
};

// args excludes the program name. Raises EWindowUsageError.
TWindowArguments ParseWindowArguments(const std::vector<std::string>& args, TQtOptions qt);

std::string WindowHelpText();
std::string WindowVersionText();
// The lines printed for a usage error: the message, the usage line and a hint.
std::string WindowUsageText(const std::string& message);

// Adds the paths to the window's list as dropping them would: files as they are, folders
// by the files of their trees (ExpandDroppedPaths). Relative paths are taken from the current
// folder. Paths that do not exist are named in one error box after the others were added.
void AddCommandLinePaths(TfrmMain& window, IDialogs& dialogs,
                         const std::vector<std::string>& paths);

}  // namespace vorn::ui
