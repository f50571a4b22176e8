#include "tests/ui/ScriptedDialogs.h"

#include <QDialog>

namespace vorn::ui {

template <class T>
T TScriptedDialogs::Next(std::deque<T>& queue, const char* what, T whenEmpty) {
  if (queue.empty()) {
    Unanswered.emplace_back(what);
    return whenEmpty;
  }
  T answer = std::move(queue.front());
  queue.pop_front();
  return answer;
}

std::vector<std::string> TScriptedDialogs::Texts(TKind kind) const {
  std::vector<std::string> texts;
  for (const TMessage& message : Messages) {
    if (message.Kind == kind) texts.push_back(message.Text);
  }
  return texts;
}

std::vector<std::string> TScriptedDialogs::OpenFiles(QWidget*, const std::string& startFolder,
                                                     const std::string& filter) {
  LastStartFolder = startFolder;
  LastFilter = filter;
  return Next(FilesToOpen, "open files", std::vector<std::string>());
}

std::string TScriptedDialogs::OpenPicture(QWidget*, const std::string& startFolder,
                                          const std::string& filter) {
  LastStartFolder = startFolder;
  LastFilter = filter;
  return Next(PicturesToOpen, "open picture", std::string());
}

std::string TScriptedDialogs::OpenFile(QWidget*, const std::string& title,
                                       const std::string& startFolder, const std::string& filter) {
  LastTitle = title;
  LastStartFolder = startFolder;
  LastFilter = filter;
  return Next(FileToOpen, "open file", std::string());
}

std::string TScriptedDialogs::SaveFile(QWidget*, const std::string& title,
                                       const std::string& startFolder,
                                       const std::string& defaultExtension,
                                       const std::string& filter) {
  LastTitle = title;
  LastStartFolder = startFolder;
  LastDefaultExtension = defaultExtension;
  LastFilter = filter;
  return Next(FileToSave, "save file", std::string());
}

std::string TScriptedDialogs::SelectFolder(QWidget*, const std::string& title,
                                           const std::string& startFolder) {
  LastTitle = title;
  LastStartFolder = startFolder;
  return Next(FoldersToSelect, "select folder", std::string());
}

TSaveAnswer TScriptedDialogs::SaveFileOfType(QWidget*, const std::string& title,
                                             const std::string& startFolder,
                                             const std::string& fileName, const std::string& filter,
                                             int filterIndex) {
  LastTitle = title;
  LastStartFolder = startFolder;
  LastFileName = fileName;
  LastFilter = filter;
  LastFilterIndex = filterIndex;
  return Next(SaveAnswers, "save file", TSaveAnswer{"", filterIndex});
}

void TScriptedDialogs::Information(QWidget*, const std::string& text) {
  Messages.push_back({TKind::Information, text});
}

void TScriptedDialogs::Warning(QWidget*, const std::string& text) {
  Messages.push_back({TKind::Warning, text});
}

bool TScriptedDialogs::YesNo(QWidget*, const std::string& text) {
  Messages.push_back({TKind::YesNo, text});
  return Next(YesNoAnswers, "yes/no", false);
}

TAnswer TScriptedDialogs::YesNoCancel(QWidget*, const std::string& text) {
  Messages.push_back({TKind::YesNoCancel, text});
  return Next(YesNoCancelAnswers, "yes/no/cancel", TAnswer::Cancel);
}

TAnswer TScriptedDialogs::YesNoCancelToAll(QWidget* parent, const std::string& text) {
  return YesNoCancel(parent, text);
}

void TScriptedDialogs::ShowError(QWidget*, const std::string& text) {
  Messages.push_back({TKind::Error, text});
}

bool TScriptedDialogs::ExecModal(QDialog& dialog) {
  TModalScript script = Next(ModalScripts, "modal dialog", TModalScript());
  if (!script) return false;
  dialog.show();
  const bool accepted = script(dialog);
  dialog.hide();
  return accepted;
}

}  // namespace vorn::ui
