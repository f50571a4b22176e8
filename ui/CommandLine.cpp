#include "ui/CommandLine.h"

#include <filesystem>
#include <string_view>
#include <system_error>

#include "ui/Dialogs.h"
#include "ui/MainForm.h"
#include "ui/QtText.h"

namespace vorn::ui {

namespace {

// not translated: the terminal texts below, which scripts read
constexpr const char* kUsageLine = "Usage: vorn-lut-converter [OPTIONS] [FILE|FOLDER...]";

constexpr const char* kHelpBody = R"(
Opens the Vorn LUT Converter window: a list of colour look-up table (LUT) files
with the format of each, a preview of the selected LUT on a picture, and the
conversion of the checked files to another format.

Each FILE is added to the list and each FOLDER adds the files in it and in its
subfolders, as dropping them onto the list would. Files of no known format are
listed as unknown and cannot be checked for conversion. The command line program vorn-lut
converts LUT files without a window.

Options:
  -h, --help              show this help and exit
  --version               show the program's version and exit
  --                      take every later word as a file or folder
Qt's own options, such as -platform NAME and -style NAME, are accepted too.

Options for testing:
  --startup-probe         show the window, print the time from program start to
                          the shown window and exit

Exit status: 0 the window was closed, 1 the program could not start,
2 a command line that cannot be run (unknown option, missing value).
)";

bool IsHelpWord(std::string_view word) {
  return word == "--help" || word == "-h";
}

class TParser {
 public:
  TParser(const std::vector<std::string>& args, TQtOptions qt) : Args_(args), Qt_(qt) {}

  TWindowArguments Parse() {
    for (Next_ = 0; Next_ < Args_.size(); ++Next_) Take(Args_[Next_]);
    if (Help_) Result_.Mode = TWindowMode::Help;
    return Result_;
  }

 private:
  void Take(const std::string& word) {
    if (PathsOnly_ || word.size() < 2 || word[0] != '-') {
      Result_.Paths.push_back(word);
    } else if (word == "--") {
      PathsOnly_ = true;
    } else if (IsHelpWord(word)) {
      Help_ = true;
    } else if (word == "--version") {
      SetMode(TWindowMode::Version, word);
    } else if (word == "--startup-probe") {
      SetMode(TWindowMode::StartupProbe, word);
    } else if (Qt_ == TQtOptions::NotYetTaken && word[1] != '-') {
      // Possibly one of Qt's options; QApplication takes it out, or the second pass refuses it.
    } else {
      throw EWindowUsageError("unknown option '" + word + "'");
    }
  }

  void SetMode(TWindowMode mode, const std::string& word) {
    if (Result_.Mode != TWindowMode::Window && Result_.Mode != mode) {
      throw EWindowUsageError("option '" + word + "' cannot be combined with the one before it");
    }
    Result_.Mode = mode;
  }

  const std::vector<std::string>& Args_;
  const TQtOptions Qt_;
  std::size_t Next_ = 0;
  bool PathsOnly_ = false;
  bool Help_ = false;
  TWindowArguments Result_;
};

std::string AbsolutePath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.lexically_normal().string();
}

}  // namespace

TWindowArguments ParseWindowArguments(const std::vector<std::string>& args, TQtOptions qt) {
  return TParser(args, qt).Parse();
}

std::string WindowHelpText() {
  return std::string(kUsageLine) + "\n" + kHelpBody;
}

std::string WindowVersionText() {
  return std::string(kWindowProgramName) + " " + VORN_VERSION + "\n";
}

std::string WindowUsageText(const std::string& message) {
  return std::string(kWindowProgramName) + ": " + message + "\n" + kUsageLine + "\n" +
         "Try 'vorn-lut-converter --help' for more information.\n";  // not translated: terminal
}

void AddCommandLinePaths(TfrmMain& window, IDialogs& dialogs,
                         const std::vector<std::string>& paths) {
  std::vector<std::string> found;
  std::string missing;
  for (const std::string& path : paths) {
    const std::string absolute = AbsolutePath(path);
    std::error_code error;
    if (std::filesystem::exists(absolute, error)) {
      found.push_back(absolute);
    } else {
      missing += "\n" + absolute;
    }
  }
  if (!found.empty()) window.AddDroppedPaths(found);
  if (!missing.empty()) {
    dialogs.ShowError(&window,
                      FromQt(Translated("These files or folders do not exist:")) + missing);
  }
}

}  // namespace vorn::ui
