#pragma once
// The small dialog that sets the bits per colour of one file: "Default" or 8 to 16.

#include <QDialog>

class QComboBox;
class QPushButton;

namespace vorn::ui {

class TfrmSetBitsPerValue : public QDialog {
  Q_OBJECT
 public:
  TfrmSetBitsPerValue(QWidget* owner, int currentBits);

  // -1 for "Default", else the bits of the selected entry; current when nothing is
  // selected.
  int Value(int current) const;

  QComboBox* cbxBitsPerValue = nullptr;
  QPushButton* btnOK = nullptr;
  QPushButton* btnCancel = nullptr;
};

}  // namespace vorn::ui
