#pragma once
// Dialogs answered from queues, for runs without a person: the headless tests, the
// benchmarks and the screenshot run. Every message shown is recorded; a question asked
// with no answer queued is recorded in Unanswered and answered as if cancelled.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/Dialogs.h"

namespace vorn::ui {

class TScriptedDialogs : public IDialogs {
 public:
  enum class TKind { Information, Warning, Error, YesNo, YesNoCancel };
  struct TMessage {
    TKind Kind;
    std::string Text;
  };
  // Runs in place of the modal loop; answers whether the dialog closed with OK.
  using TModalScript = std::function<bool(QDialog&)>;

  std::deque<std::vector<std::string>> FilesToOpen;
  std::deque<std::string> PicturesToOpen;
  std::deque<std::string> FileToOpen;  // answers of OpenFile
  std::deque<std::string> FileToSave;  // answers of SaveFile
  std::deque<std::string> FoldersToSelect;
  std::deque<TSaveAnswer> SaveAnswers;  // answers of SaveFileOfType
  std::deque<bool> YesNoAnswers;
  std::deque<TAnswer> YesNoCancelAnswers;
  std::deque<TModalScript> ModalScripts;

  std::vector<TMessage> Messages;
  std::vector<std::string> Unanswered;
  // What the last file or folder dialog was opened with.
  std::string LastStartFolder;
  std::string LastFilter;
  std::string LastTitle;
  std::string LastDefaultExtension;
  // What the last SaveFileOfType was opened with, beside its folder, filter and title.
  std::string LastFileName;
  int LastFilterIndex = -1;

  std::vector<std::string> Texts(TKind kind) const;

  std::vector<std::string> OpenFiles(QWidget* parent, const std::string& startFolder,
                                     const std::string& filter) override;
  std::string OpenPicture(QWidget* parent, const std::string& startFolder,
                          const std::string& filter) override;
  std::string OpenFile(QWidget* parent, const std::string& title, const std::string& startFolder,
                       const std::string& filter) override;
  std::string SaveFile(QWidget* parent, const std::string& title, const std::string& startFolder,
                       const std::string& defaultExtension, const std::string& filter) override;
  std::string SelectFolder(QWidget* parent, const std::string& title,
                           const std::string& startFolder) override;
  TSaveAnswer SaveFileOfType(QWidget* parent, const std::string& title,
                             const std::string& startFolder, const std::string& fileName,
                             const std::string& filter, int filterIndex) override;
  void Information(QWidget* parent, const std::string& text) override;
  void Warning(QWidget* parent, const std::string& text) override;
  bool YesNo(QWidget* parent, const std::string& text) override;
  TAnswer YesNoCancel(QWidget* parent, const std::string& text) override;
  // Recorded as YesNoCancel and answered from YesNoCancelAnswers.
  TAnswer YesNoCancelToAll(QWidget* parent, const std::string& text) override;
  void ShowError(QWidget* parent, const std::string& text) override;
  bool ExecModal(QDialog& dialog) override;

 private:
  template <class T>
  T Next(std::deque<T>& queue, const char* what, T whenEmpty);
};

}  // namespace vorn::ui
