#pragma once
// The main window: the list of LUT files with the format detected for each, the preview
// of the selected LUT applied to a picture, and the tool bar that starts the other tools.

#include <QItemSelection>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Bitmap.h"
#include "core/VornLut.h"
#include "ui/HaldSaveDialog.h"
#include "ui/TimeEstimate.h"

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QUrl;
class QPlainTextEdit;
class QSplitter;
class QStatusBar;
class QToolButton;

namespace vorn::ui {

class IDialogs;
class TFileListModel;
class TFileListView;
class TPictureBox;
struct TActionContext;

// The folders the dialogs last used; kept between runs (ui/Settings.h).
struct TRememberedFolders {
  std::string Luts;
  std::string Pictures;
  std::string Output;
  std::string Icc;  // the last ICC profile's folder, with its trailing separator
};

inline constexpr const char* kUnknownFormatMessage = QT_TRANSLATE_NOOP(
    "vorn::ui", "Unable to convert unknown format.\nPlease contact us to add this.");

class TfrmMain : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kPreviewBoxWidth = 210;
  static constexpr int kPreviewBoxHeight = 169;
  // The preview pane's part of the list and pane at the starting size, 250 of 872 pixels.
  static constexpr double kStartingPaneShare = 250.0 / 872.0;

  explicit TfrmMain(IDialogs& dialogs, QWidget* parent = nullptr);
  ~TfrmMain() override;

  // One row per path in the given order. An error while detecting ends the addition:
  // rows added before stay, the file that raised gets none.
  // subfolders, when not empty, gives each path's TFileRow::Subfolder.
  void AddFiles(const std::vector<std::string>& paths, TActionContext* context = nullptr,
                const std::vector<std::string>& subfolders = {});
  // Files as they are and folders by the files of their trees (ExpandDroppedPaths); an
  // error shows in the standard error box. What a drop onto the list does.
  void AddDroppedPaths(const std::vector<std::string>& paths);
  // Loads the file into the preview record and shows the graded picture and the LUT's
  // information; a file no format claims hides the LUT parts. Raises on a bad file and
  // leaves the pane as it was. inputBits is the file's bit depth (-1 = automatic).
  void ShowLutPreview(const std::string& path, int inputBits = -1,
                      const TLutMemberChoice& member = {});
  // Asks for a picture, decodes and fits it into picture; false when none was chosen.
  bool LoadPreviewImage(TBitmap24& picture);
  // Scales the bitmap down to fit the preview box's starting size with Lanczos3, never
  // enlarging it.
  static void FitPreviewImage(TBitmap24& bitmap);
  // The same into width x height.
  static void FitImage(TBitmap24& bitmap, int width, int height);
  bool AnyChecked() const;
  // True while the comments show why the selected file cannot be previewed.
  bool PreviewShowsError() const;

  void SetClock(TClock clock) { Clock_ = std::move(clock); }
  // How links open (the documentation of Help); the desktop's browser unless set.
  void SetUrlOpener(std::function<void(const QUrl&)> open) { OpenUrl_ = std::move(open); }
  static QUrl DocumentationUrl();
  TFileListModel& Files() { return *Files_; }
  int SelectedRow() const;
  void SelectRow(int row);
  const TBitmap24& UngradedPicture() const { return Ungraded_; }
  const TBitmap24& LutAppliedPicture() const { return LutApplied_; }
  const TRememberedFolders& Folders() const { return Folders_; }
  const THaldSaveDialog& HaldSaveDialog() const { return HaldSaveDialog_; }

  QFrame* tlbMain = nullptr;
  QToolButton* btnAddFiles = nullptr;
  QToolButton* btnConvert = nullptr;
  QToolButton* sbnJoin = nullptr;
  QToolButton* btnICC = nullptr;
  QToolButton* sbnHaldImage = nullptr;
  QToolButton* btnAbout = nullptr;
  QToolButton* btnLoadPreviewImage = nullptr;
  QToolButton* btnShowHidePreview = nullptr;
  QSplitter* splMain = nullptr;
  TFileListView* lvwFiles = nullptr;
  QFrame* pnlPreview = nullptr;
  QLabel* stxUngraded = nullptr;
  TPictureBox* imgUngraded = nullptr;
  QLabel* stxLUTApplied = nullptr;
  TPictureBox* imgLUTApplied = nullptr;
  QLabel* stxComments = nullptr;
  QPlainTextEdit* mmComments = nullptr;
  QCheckBox* chkInvert = nullptr;
  QMenu* pmnList = nullptr;
  QAction* miCheckAll = nullptr;
  QAction* miUncheckAll = nullptr;
  QAction* miSetBitsPerValue = nullptr;
  QAction* miDelete = nullptr;
  QAction* miClearList = nullptr;
  QMenuBar* mnuMain = nullptr;
  QStatusBar* sbrMain = nullptr;
  QLabel* lblStatus = nullptr;  // what the last action wrote, with links
  QAction* miAddFiles = nullptr;
  QAction* miLoadPreviewImage = nullptr;
  QAction* miQuit = nullptr;
  QAction* miConvert = nullptr;
  QAction* miMerge = nullptr;
  QAction* miHaldImage = nullptr;
  QAction* miShowHidePreview = nullptr;
  QAction* miLargeView = nullptr;
  QAction* miHelp = nullptr;
  QAction* miAbout = nullptr;
  QAction* miProgramFolder = nullptr;
  QMenu* pmnICC = nullptr;
  QAction* miLUTToICC = nullptr;
  QAction* miICCToLUT = nullptr;

 private:
  void BuildToolBar();
  void BuildFileList(QWidget* parent);
  void BuildStatusBar();
  void ReportWritten(const QString& what, const std::string& path, bool lut);
  void StatusLinkActivated(const QString& link);
  void BuildPreviewPane(QWidget* parent);
  bool eventFilter(QObject* watched, QEvent* event) override;
  void FitPreviewBoxes();
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // The pane keeps its share of the width as the window grows or shrinks; a drag of the
  // splitter sets the share.
  void KeepPaneShare();
  void RememberPaneShare();
  // The ungraded picture from PreviewSource_ at the boxes' size, and the LUT applied again.
  void RefitPreview();
  // Asks for a picture and decodes it at most kPreviewSource size; false when none chosen.
  bool PickPicture(TBitmap24& picture);
  void BuildMenus();
  void BuildMenuBar();
  void ConnectActions();
  void LoadSamplePicture();
  void SaveSettings() const;
  void RestoreSettings();

  // Wraps a user action in the standard error box.
  std::function<void()> Guarded(std::function<void(TActionContext&)> action);
  std::function<void()> Guarded(std::function<void()> action);

  void AddLutsClicked(TActionContext& context);
  void ConvertClicked(TActionContext& context);
  void GenerateHaldImageClicked(TActionContext& context);
  void JoinClicked();
  void LutToIccClicked();
  void IccToLutClicked();
  void LoadPreviewImageClicked();
  void ShowHidePreviewClicked();
  // The previewed LUT in the large view (TfrmLargeView), on the preview's picture.
  void LargeViewClicked();
  void DeleteClicked();
  void ClearListClicked();
  void SetBitsPerValueClicked();

  void RowsChanged();
  void SelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
  void RowSelected(int row);
  void HideLutParts();
  void ShowLutParts();
  void ShowPreviewError(const std::string& text);
  void SetCommentsError(bool error);
  void UpdateListActions();
  void ListMenuRequested(const QPoint& position);

  IDialogs& Dialogs_;
  TClock Clock_;
  std::function<void(const QUrl&)> OpenUrl_;
  std::string Written_;  // the path of the status line
  TRememberedFolders Folders_;
  THaldSaveDialog HaldSaveDialog_;
  std::unique_ptr<TLUT> Preview_;
  double PaneShare_ = kStartingPaneShare;
  TBitmap24 PreviewSource_;  // the picture the boxes show, before fitting
  TBitmap24 Ungraded_;
  TBitmap24 LutApplied_;
  TFileListModel* Files_ = nullptr;
};

}  // namespace vorn::ui
