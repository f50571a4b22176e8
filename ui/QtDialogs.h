#pragma once
// The dialogs of the platform: QFileDialog and QMessageBox.

#include "ui/Dialogs.h"

namespace vorn::ui {

class TQtDialogs : public IDialogs {
 public:
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
  TAnswer YesNoCancelToAll(QWidget* parent, const std::string& text) override;
  void ShowError(QWidget* parent, const std::string& text) override;
  bool ExecModal(QDialog& dialog) override;
};

}  // namespace vorn::ui
