#pragma once
// The merge dialog: the checked LUT files in the order they are applied (reordered by
// dragging), a 3D output profile, size, bit depth and the file to write.

#include <QDialog>
#include <QListWidget>
#include <memory>
#include <string>
#include <vector>

#include "core/VornLut.h"
#include "ui/OutputChoice.h"

class QLabel;
class QMimeData;
class QPushButton;

namespace vorn::ui {

class IDialogs;
struct TRememberedFolders;

// The file list of the merge dialog. A press records its point; a drag that comes from
// this list and is dropped on an item moves the pressed item there (the items between
// shift by one); dropped below the last item it moves to the end.
class TMergeListBox : public QListWidget {
  Q_OBJECT
 public:
  explicit TMergeListBox(QWidget* parent);

  // What a drag from this list carries; drops of anything else are refused.
  std::unique_ptr<QMimeData> DragData() const;
  QPoint PressPoint() const { return PressPoint_; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  bool FromThisList(const QMimeData* data) const;

  QPoint PressPoint_;
  bool Pressed_ = false;
};

class TfrmJoinLut : public QDialog, public TLutFileOutput {
  Q_OBJECT
 public:
  // files: full paths in the main window's order; folders: the remembered output folder.
  TfrmJoinLut(QWidget* owner, IDialogs& dialogs, TRememberedFolders& folders,
              const std::vector<std::string>& files);

  // The files in the order they are applied.
  std::vector<std::string> Files() const;
  // The merged LUT once Save has written it, else empty.
  const std::string& WrittenFile() const { return WrittenFile_; }

  TMergeListBox* lbxFiles = nullptr;
  QLabel* lblOrderNote = nullptr;
  // cbxOutFormat, edtLUTFile, btnSetLUTFile, cbxDimSize and cbxBits: TLutFileOutput.
  QPushButton* btnSave = nullptr;
  QPushButton* btnCancel = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls(const std::vector<std::string>& files);
  void SetLUTFileClicked();
  void SaveClicked();

  IDialogs& Dialogs_;
  TRememberedFolders& Folders_;
  std::string WrittenFile_;
};

}  // namespace vorn::ui
