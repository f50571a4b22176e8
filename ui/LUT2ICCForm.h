#pragma once
// The LUT-to-ICC dialog: a LUT file, the profile to write, its device class, description
// and copyright, and the Capture One gamma option.

#include <QDialog>
#include <string>

#include "imaging/LutToIcc.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace vorn::ui {

class IDialogs;

// not translated: each filter name is translated where the file box is built
inline constexpr const char* kIccSaveFilter = "All Files|*.*|ICC Profile Files|*.icc";

class TfrmLUT2ICC : public QDialog {
  Q_OBJECT
 public:
  TfrmLUT2ICC(QWidget* owner, IDialogs& dialogs);
  // The profile once Convert has written it, else empty.
  const std::string& WrittenProfile() const { return WrittenProfile_; }

  // The dialog's 1.8 gamma table, built when the dialog is created.
  const TGammaTable& GammaTable() const { return GammaTable_; }
  // What the conversion receives from the controls.
  TLutToIccOptions Options() const;

  QLineEdit* edtLUTFile = nullptr;
  QPushButton* btnSetLUTFile = nullptr;
  QLineEdit* edtDestProfile = nullptr;
  QPushButton* btnOpenICCProfile = nullptr;
  QComboBox* cbxICCProfileClass = nullptr;
  QLineEdit* edtDescription = nullptr;
  QLineEdit* edtCopyright = nullptr;
  QCheckBox* cbxCaptureOneGamma = nullptr;
  QCheckBox* cbxGlobalUsage = nullptr;
  QPushButton* btnConvert = nullptr;
  QPushButton* btnCancel = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void SetLUTFileClicked();
  void OpenICCProfileClicked();
  void TextsChanged();
  void ConvertClicked();

  IDialogs& Dialogs_;
  const TGammaTable GammaTable_;
  std::string ConfirmedProfile_;
  std::string WrittenProfile_;  // the output path as the save dialog confirmed it
};

}  // namespace vorn::ui
