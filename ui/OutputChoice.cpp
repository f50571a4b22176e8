#include "ui/OutputChoice.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace vorn::ui {

namespace {

constexpr int kBitChoices[] = {-1, 8, 10, 12, 14, 16};
constexpr int kLongestSizeText = 5;

bool IsDialogKey(int key) {
  return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape ||
         key == Qt::Key_Tab || key == Qt::Key_Backtab;
}

}  // namespace

void FillBitsBox(QComboBox& box) {
  box.clear();
  for (const char* item : {"Default", "8 bit", "10 bit", "12 bit", "14 bit", "16 bit"}) {
    box.addItem(QString::fromUtf8(item));
  }
  box.setCurrentIndex(0);
}

int SelectedBitsOf(const QComboBox& box) {
  const int item = box.currentIndex();
  return item <= 0 || item >= static_cast<int>(std::size(kBitChoices)) ? -1 : kBitChoices[item];
}

bool FilterSizeBoxKey(QComboBox& box, QKeyEvent& key) {
  QLineEdit& edit = *box.lineEdit();
  if (key.key() == Qt::Key_Delete) {
    if (edit.text() == kDefaultSize) edit.clear();
    return false;
  }
  const QString text = key.text();
  if (text.isEmpty() || IsDialogKey(key.key())) return false;  // moving, not typing
  if (edit.text() == kDefaultSize) edit.clear();
  if (key.key() == Qt::Key_Backspace) return false;
  const bool digit = text.size() == 1 && text[0] >= u'0' && text[0] <= u'9';
  return !(digit && edit.text().size() < kLongestSizeText);
}

std::string SaveFilterOf(const TLutOutputProfile& profile) {
  return profile.Name + "|*." + profile.Extension;
}

std::string OverwriteQuestion(const std::string& path) {
  return "The " + path + " file is already exist. Are you sure want you to overwrite it?";
}

}  // namespace vorn::ui
