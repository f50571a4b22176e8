#pragma once
// Every dialog and message box the application shows goes through IDialogs, so that the
// window code runs the same under a person (TQtDialogs) and under a script (the tests,
// the benchmarks and the screenshot tool use TScriptedDialogs of tests/ui/).

#include <string>
#include <vector>

class QDialog;
class QWidget;

namespace vorn::ui {

// YesToAll and NoToAll come only from YesNoCancelToAll.
enum class TAnswer { Yes, No, Cancel, YesToAll, NoToAll };

// What a save dialog with a choice of file types answered: the name, "" when the user
// cancelled, and the 0-based position of the type chosen in the filter.
struct TSaveAnswer {
  std::string Path;
  int FilterIndex = 0;
};

class IDialogs {
 public:
  virtual ~IDialogs() = default;

  // Several existing files; an empty list when the user cancels. filter is in the
  // "Name|*.a;*.b|Other|*.*" form of the file lists.
  virtual std::vector<std::string> OpenFiles(QWidget* parent, const std::string& startFolder,
                                             const std::string& filter) = 0;
  // One existing picture file; "" when the user cancels.
  virtual std::string OpenPicture(QWidget* parent, const std::string& startFolder,
                                  const std::string& filter) = 0;
  // One existing file; "" when the user cancels.
  virtual std::string OpenFile(QWidget* parent, const std::string& title,
                               const std::string& startFolder, const std::string& filter) = 0;
  // A file to write, its replacement confirmed by the dialog; "" when the user cancels.
  // defaultExtension (without the dot) is added to a name typed without one.
  virtual std::string SaveFile(QWidget* parent, const std::string& title,
                               const std::string& startFolder, const std::string& defaultExtension,
                               const std::string& filter) = 0;
  // A folder; "" when the user cancels.
  virtual std::string SelectFolder(QWidget* parent, const std::string& title,
                                   const std::string& startFolder) = 0;
  // A file to write, with a choice among the filter's types; it opens in startFolder with
  // fileName filled in and the type at filterIndex chosen. The name comes back as typed: the
  // caller completes it and asks before replacing a file.
  virtual TSaveAnswer SaveFileOfType(QWidget* parent, const std::string& title,
                                     const std::string& startFolder, const std::string& fileName,
                                     const std::string& filter, int filterIndex) = 0;

  virtual void Information(QWidget* parent, const std::string& text) = 0;
  virtual void Warning(QWidget* parent, const std::string& text) = 0;
  virtual bool YesNo(QWidget* parent, const std::string& text) = 0;
  virtual TAnswer YesNoCancel(QWidget* parent, const std::string& text) = 0;
  // Yes, Yes to All, No, No to All and Cancel: a question a batch asks of file after file.
  virtual TAnswer YesNoCancelToAll(QWidget* parent, const std::string& text) = 0;
  // The standard error box.
  virtual void ShowError(QWidget* parent, const std::string& text) = 0;

  // Runs a dialog of ours modally; true when it closed with OK.
  virtual bool ExecModal(QDialog& dialog) = 0;
};

}  // namespace vorn::ui
