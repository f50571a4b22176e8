#include "ui/HaldSaveDialog.h"

#include "platform/Files.h"
#include "ui/Dialogs.h"
#include "ui/QtText.h"

namespace vorn::ui {

namespace {

constexpr int kHaldFileTypes = 3;

THaldFileType TypeAt(int filterIndex) {
  if (filterIndex < 0 || filterIndex >= kHaldFileTypes) return THaldFileType::Tiff;
  return static_cast<THaldFileType>(filterIndex);
}

}  // namespace

std::string ReplaceQuestion(const std::string& path) {
  return FromQt(Translated("%1 already exists.\nDo you want to replace it?")
                    .arg(ToQt(ExtractFileName(path))));
}

std::optional<THaldTarget> THaldSaveDialog::Execute(QWidget* parent, IDialogs& dialogs) {
  while (true) {
    const TSaveAnswer answer =
        dialogs.SaveFileOfType(parent, FromQt(Translated(kHaldSaveTitle)), Folder_, FileName_,
                               kHaldImageFilter, FilterIndex_);
    if (answer.Path.empty()) return std::nullopt;
    Folder_ = ExtractFileDir(answer.Path);
    FileName_ = ExtractFileName(answer.Path);
    FilterIndex_ = static_cast<int>(TypeAt(answer.FilterIndex));
    const THaldTarget target{HaldImageFileName(answer.Path, TypeAt(answer.FilterIndex)),
                             TypeAt(answer.FilterIndex)};
    if (!FileExists(target.Path) || dialogs.YesNo(parent, ReplaceQuestion(target.Path))) {
      return target;
    }
  }
}

}  // namespace vorn::ui
