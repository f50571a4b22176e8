#pragma once
// The ICC-to-LUT dialog: an ICC profile (and, for input, display and output profiles, a
// second colour space), the preview of its transformation on a test picture, and the LUT
// written from it through an output profile.

#include <QDialog>
#include <functional>
#include <string>

#include "core/Bitmap.h"
#include "core/VornLut.h"
#include "ui/OutputChoice.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vorn {
class TTransformHandle;
}

namespace vorn::ui {

class IDialogs;
class TPictureBox;
struct TRememberedFolders;

inline constexpr const char* kInversionImpossible =
    QT_TRANSLATE_NOOP("vorn::ui", "Inversion is impossible for the selected ICC profile.");
inline constexpr const char* kIccProfileFilter = "ICC Profiles|*.icc;*icm|All Files|*.*";

class TfrmICCConvert : public QDialog, public TLutFileOutput {
  Q_OBJECT
 public:
  // Asks for a picture and fits it into the bitmap; false when none was chosen.
  using TPictureLoader = std::function<bool(TBitmap24&)>;

  // folders: the remembered ICC folder and output folder, read and updated.
  TfrmICCConvert(QWidget* owner, IDialogs& dialogs, TRememberedFolders& folders,
                 const TBitmap24& testPicture, TPictureLoader loadPicture);
  ~TfrmICCConvert() override;

  // Builds the transform of the chosen profiles; previews it or writes the LUT. Raises.
  void RunTransform(bool preview);
  // The last LUT Convert wrote, else empty.
  const std::string& WrittenFile() const { return WrittenFile_; }

  const TBitmap24& TestPicture() const { return TestPicture_; }
  const TBitmap24& TransformedPicture() const { return Transformed_; }

  QLineEdit* edtSrcProfile = nullptr;
  QPushButton* btnOpenICCProfile = nullptr;
  QLabel* lblICCType = nullptr;
  QLabel* lblSecondProfile = nullptr;
  QLineEdit* edtSecondProfile = nullptr;
  QPushButton* btnOpenSecondProfile = nullptr;
  QCheckBox* cbxInvertTransform = nullptr;
  // cbxOutFormat, edtLUTFile, btnSetLUTFile, cbxDimSize and cbxBits: TLutFileOutput.
  QPushButton* btnConvert = nullptr;
  QPushButton* btnCancel = nullptr;
  TPictureBox* Image1 = nullptr;
  TPictureBox* Image2 = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void ConnectControls();
  void OpenICCProfileClicked();
  void UseSourceProfile(const std::string& path);
  void CheckProfileExists(const std::string& path) const;
  void CheckSecondProfile() const;
  void SourceProfileTyped();
  void SecondProfileTyped();
  void OpenSecondProfileClicked();
  void InvertTransformClicked();
  void Image1Clicked();
  void OutFormatChanged();
  void SrcProfileChanged();
  void SetLUTFileClicked();
  void ConvertClicked();
  void ShowSecondProfileControls(bool shown);
  void BuildLutFromTransform(const TTransformHandle& transform);

  IDialogs& Dialogs_;
  TRememberedFolders& Folders_;
  TBitmap24 TestPicture_;
  TBitmap24 Transformed_;
  TPictureLoader LoadPicture_;
  std::string WrittenFile_;
};

}  // namespace vorn::ui
