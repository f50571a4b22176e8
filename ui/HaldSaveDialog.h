#pragma once
// The save dialog of "Generate the Hald image". One object lives as long as the main
// window, so that the folder, the file name and the type chosen carry over from one use to
// the next. It completes a name typed without an extension with the chosen type's and asks
// before it replaces a file.

#include <optional>
#include <string>

#include "imaging/HaldImage.h"

class QWidget;

#include <QtGlobal>

namespace vorn::ui {

class IDialogs;

inline constexpr const char* kHaldSaveTitle = QT_TRANSLATE_NOOP("vorn::ui", "Save the Hald image");

// The file a Hald image is to be written to, with its type.
struct THaldTarget {
  std::string Path;  // complete: with the type's extension when the name had none
  THaldFileType Type = THaldFileType::Tiff;
};

class THaldSaveDialog {
 public:
  // Asks for the file; nothing when the user cancels. A name whose file exists is taken
  // only when the user agrees to replace it; otherwise the dialog opens again.
  std::optional<THaldTarget> Execute(QWidget* parent, IDialogs& dialogs);

  const std::string& Folder() const { return Folder_; }
  const std::string& FileName() const { return FileName_; }
  int FilterIndex() const { return FilterIndex_; }

 private:
  std::string Folder_;
  std::string FileName_ = "HaldImage";
  int FilterIndex_ = static_cast<int>(THaldFileType::Tiff);
};

// "NAME already exists.\nDo you want to replace it?"
std::string ReplaceQuestion(const std::string& path);

}  // namespace vorn::ui
