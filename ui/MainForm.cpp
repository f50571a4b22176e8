#include "ui/MainForm.h"

#include <QAction>
#include <QCheckBox>
#include <QColor>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "codecs/Pictures.h"
#include "core/VornLut.h"
#include "imaging/HaldImage.h"
#include "imaging/ImageResize2.h"
#include "platform/Convert.h"
#include "platform/Files.h"
#include "ui/About.h"
#include "ui/ConvertForm.h"
#include "ui/DialogFilters.h"
#include "ui/Dialogs.h"
#include "ui/ErrorGuard.h"
#include "ui/FileListModel.h"
#include "ui/FileListView.h"
#include "ui/ICCConvertForm.h"
#include "ui/Icons.h"
#include "ui/LUT2ICCForm.h"
#include "ui/LargeView.h"
#include "ui/LutJoinForm.h"
#include "ui/PictureBox.h"
#include "ui/PictureConvert.h"
#include "ui/QtOwned.h"
#include "ui/QtText.h"
#include "ui/SetBitsPerValueForm.h"
#include "ui/Settings.h"
#include "ui/WaitCursor.h"

namespace vorn::ui {

namespace {

constexpr int kPreviewPaneWidth = 250;
const QString kGeometryKey = QStringLiteral("window/geometry");
const QString kPaneShareKey = QStringLiteral("window/paneShare");
const QString kColumnsKey = QStringLiteral("window/columns");
// The pane's height beside its two pictures: captions, spacing and the comments' least
// height.
constexpr int kPreviewPaneChrome = 190;
// A picture opened for the preview is kept at most this large, for the largest pane.
constexpr int kPreviewSourceWidth = 1600;
constexpr int kPreviewSourceHeight = 1200;

QToolButton* MakeToolButton(QWidget* parent, const char* name, const QIcon& icon,
                            const QString& caption, const QString& hint) {
  auto* button = MakeChild<QToolButton>(parent);
  button->setObjectName(name);
  button->setIcon(icon);
  button->setIconSize(QSize(24, 24));
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::TabFocus);
  if (!caption.isEmpty()) {
    button->setText(caption);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  } else {
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
  }
  if (!hint.isEmpty()) button->setToolTip(hint);
  return button;
}

QFrame* MakeSeparator(QWidget* parent) {
  auto* line = MakeChild<QFrame>(parent);
  line->setFrameShape(QFrame::VLine);
  line->setFrameShadow(QFrame::Plain);
  line->setObjectName("tlbSeparator");
  line->setFixedHeight(24);
  return line;
}

QLabel* MakeCaption(QWidget* parent, const char* name, const QString& text) {
  auto* caption = MakeChild<QLabel>(parent, text);
  caption->setObjectName(name);
  caption->setProperty("caption", true);
  return caption;
}

QAction* MakeAction(QObject* parent, const char* name, const QString& text) {
  auto* action = MakeChild<QAction>(parent, text);
  action->setObjectName(name);
  return action;
}

}  // namespace

TfrmMain::TfrmMain(IDialogs& dialogs, QWidget* parent)
    : QWidget(parent),
      Dialogs_(dialogs),
      Clock_(SystemClock()),
      Folders_(LoadFolders()),
      Preview_(std::make_unique<TLUT>()) {
  setObjectName("frmMain");
  setWindowTitle(tr("Vorn LUT Converter"));
  setWindowIcon(ProgramIcon());
  resize(881, 640);
  setMinimumSize(400, 200);

  auto* layout = MakeChild<QVBoxLayout>(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  BuildToolBar();
  layout->addWidget(tlbMain);
  OpenUrl_ = [](const QUrl& url) { QDesktopServices::openUrl(url); };

  auto* body = MakeChild<QWidget>(this);
  auto* bodyLayout = MakeChild<QHBoxLayout>(body);
  bodyLayout->setContentsMargins(8, 8, 0, 8);
  splMain = MakeChild<QSplitter>(body, Qt::Horizontal);
  splMain->setObjectName("splMain");
  splMain->setChildrenCollapsible(false);
  bodyLayout->addWidget(splMain);
  Files_ = MakeChild<TFileListModel>(this);
  BuildFileList(splMain);
  BuildPreviewPane(splMain);
  splMain->setSizes({width(), kPreviewPaneWidth});
  connect(splMain, &QSplitter::splitterMoved, this, [this] { RememberPaneShare(); });
  layout->addWidget(body, 1);
  BuildStatusBar();
  layout->addWidget(sbrMain);

  BuildMenus();
  layout->setMenuBar(mnuMain);
  ConnectActions();
  LoadSamplePicture();
  HideLutParts();
  RowsChanged();
  RestoreSettings();
}

TfrmMain::~TfrmMain() {
  SaveSettings();
}

void TfrmMain::SaveSettings() const {
  SaveFolders(Folders_);
  SaveState(kGeometryKey, saveGeometry());
  SaveNumber(kPaneShareKey, PaneShare_);
  SaveState(kColumnsKey, lvwFiles->header()->saveState());
}

void TfrmMain::RestoreSettings() {
  const QByteArray geometry = LoadState(kGeometryKey);
  if (!geometry.isEmpty()) restoreGeometry(geometry);
  const double share = LoadNumber(kPaneShareKey);
  if (share > 0.0 && share < 1.0) PaneShare_ = share;
  const QByteArray columns = LoadState(kColumnsKey);
  if (!columns.isEmpty()) lvwFiles->header()->restoreState(columns);
}

void TfrmMain::BuildToolBar() {
  tlbMain = MakeChild<QFrame>(this);
  tlbMain->setObjectName("tlbMain");
  auto* bar = MakeChild<QHBoxLayout>(tlbMain);
  bar->setContentsMargins(8, 5, 8, 5);
  bar->setSpacing(2);

  btnAddFiles = MakeToolButton(tlbMain, "btnAddFiles", AddLutsIcon(), tr("Add LUTs"), {});
  btnConvert = MakeToolButton(tlbMain, "btnConvert", ConvertIcon(), tr("Convert"),
                              tr("Convert the checked LUT files"));
  sbnJoin = MakeToolButton(tlbMain, "sbnJoin", MergeIcon(), {}, tr("Merge the checked LUT files"));
  btnICC = MakeToolButton(tlbMain, "btnICC", IccIcon(), {},
                          tr("Convert ICC profile to LUT file and vice versa"));
  sbnHaldImage =
      MakeToolButton(tlbMain, "sbnHaldImage", HaldIcon(), {}, tr("Generate the Hald image"));
  btnAbout = MakeToolButton(tlbMain, "btnAbout", AboutIcon(), {}, tr("About"));
  btnLoadPreviewImage = MakeToolButton(tlbMain, "btnLoadPreviewImage", PreviewImageIcon(), {},
                                       tr("Load a preview image"));
  btnShowHidePreview = MakeToolButton(tlbMain, "btnShowHidePreview", PreviewPaneIcon(), {},
                                      tr("Show/Hide the preview pane"));
  btnShowHidePreview->setCheckable(true);
  btnShowHidePreview->setChecked(true);

  bar->addWidget(btnAddFiles);
  bar->addWidget(btnConvert);
  bar->addSpacing(6);
  bar->addWidget(MakeSeparator(tlbMain));
  bar->addSpacing(6);
  bar->addWidget(sbnJoin);
  bar->addWidget(btnICC);
  bar->addWidget(sbnHaldImage);
  bar->addStretch(1);
  bar->addWidget(btnAbout);
  bar->addWidget(btnLoadPreviewImage);
  bar->addWidget(btnShowHidePreview);
}

void TfrmMain::BuildStatusBar() {
  sbrMain = MakeChild<QStatusBar>(this);
  sbrMain->setObjectName("sbrMain");
  lblStatus = MakeChild<QLabel>(sbrMain);
  lblStatus->setObjectName("lblStatus");
  lblStatus->setTextFormat(Qt::RichText);
  lblStatus->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
  sbrMain->addWidget(lblStatus, 1);
  connect(lblStatus, &QLabel::linkActivated, this, [this](const QString& link) {
    RunGuarded(Dialogs_, this, [&] { StatusLinkActivated(link); });
  });
}

void TfrmMain::BuildFileList(QWidget* parent) {
  lvwFiles = MakeChild<TFileListView>(parent);
  lvwFiles->setObjectName("lvwFiles");
  lvwFiles->setModel(Files_);
  // Paths differ at their ends (iridas_cube/, resolve_cube/): the middle gives way.
  lvwFiles->setTextElideMode(Qt::ElideMiddle);
  QHeaderView& header = *lvwFiles->header();
  header.setSectionResizeMode(QHeaderView::Interactive);
  header.setStretchLastSection(true);  // the folder takes what the window adds
  header.resizeSection(TFileListModel::colFileName, 250);
  header.resizeSection(TFileListModel::colFormat, 200);
  header.resizeSection(TFileListModel::colFolder, 150);
}

void TfrmMain::BuildPreviewPane(QWidget* parent) {
  pnlPreview = MakeChild<QFrame>(parent);
  pnlPreview->setObjectName("pnlPreview");
  pnlPreview->setMinimumWidth(kPreviewPaneWidth);
  pnlPreview->installEventFilter(this);
  auto* pane = MakeChild<QVBoxLayout>(pnlPreview);
  const int side = (kPreviewPaneWidth - kPreviewBoxWidth) / 2;
  pane->setContentsMargins(side, 6, side, 0);
  pane->setSpacing(4);

  stxUngraded = MakeCaption(pnlPreview, "stxUngraded", tr("Ungraded"));
  imgUngraded = MakeChild<TPictureBox>(pnlPreview, kPreviewBoxWidth, kPreviewBoxHeight);
  imgUngraded->setObjectName("imgUngraded");
  stxLUTApplied = MakeCaption(pnlPreview, "stxLUTApplied", tr("LUT Applied"));
  imgLUTApplied = MakeChild<TPictureBox>(pnlPreview, kPreviewBoxWidth, kPreviewBoxHeight);
  imgLUTApplied->setObjectName("imgLUTApplied");
  imgUngraded->installEventFilter(this);
  imgLUTApplied->installEventFilter(this);
  stxComments = MakeCaption(pnlPreview, "stxComments", tr("Comments"));
  mmComments = MakeChild<QPlainTextEdit>(pnlPreview);
  mmComments->setObjectName("mmComments");
  mmComments->setReadOnly(true);
  mmComments->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  chkInvert = MakeChild<QCheckBox>(pnlPreview, tr("Invert"));
  chkInvert->setObjectName("chkInvert");
  chkInvert->setVisible(false);

  pane->addWidget(stxUngraded);
  pane->addWidget(imgUngraded);
  pane->addSpacing(8);
  pane->addWidget(stxLUTApplied);
  pane->addWidget(imgLUTApplied);
  pane->addSpacing(8);
  pane->addWidget(stxComments);
  pane->addWidget(mmComments, 1);
  pane->addStretch(0);
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  KeepPaneShare();
}

void TfrmMain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  KeepPaneShare();
}

// The children have their new sizes already: Qt lays them out before the window's handler.
void TfrmMain::KeepPaneShare() {
  const int total = splMain->width() - splMain->handleWidth();
  if (!splMain->isVisible() || total <= 0 || pnlPreview->isHidden()) return;
  const int pane = std::max(kPreviewPaneWidth, static_cast<int>(std::lround(PaneShare_ * total)));
  splMain->setSizes({total - pane, pane});
}

void TfrmMain::RememberPaneShare() {
  const QList<int> sizes = splMain->sizes();
  const int total = sizes.value(0) + sizes.value(1);
  if (total > 0 && sizes.value(1) > 0) PaneShare_ = static_cast<double>(sizes.value(1)) / total;
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == pnlPreview && event->type() == QEvent::Resize) FitPreviewBoxes();
  const bool previewPicture = watched == imgUngraded || watched == imgLUTApplied;
  if (previewPicture && event->type() == QEvent::MouseButtonDblClick) {
    RunGuarded(Dialogs_, this, [this] { LargeViewClicked(); });
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

// The boxes keep their proportions and take the pane's width, as far as the height leaves
// room for both and the comments; never below their starting size.
void TfrmMain::FitPreviewBoxes() {
  const int side = (kPreviewPaneWidth - kPreviewBoxWidth) / 2;
  const int widthRoom = pnlPreview->width() - 2 * side;
  const int heightRoom = (pnlPreview->height() - kPreviewPaneChrome) / 2;
  const TPictureSize fitted =
      FitSize(kPreviewBoxWidth * 8, kPreviewBoxHeight * 8, widthRoom, heightRoom);
  const QSize box(std::max(fitted.Width, kPreviewBoxWidth),
                  std::max(fitted.Height, kPreviewBoxHeight));
  if (box == imgUngraded->size()) return;
  imgUngraded->setFixedSize(box);
  imgLUTApplied->setFixedSize(box);
  RefitPreview();
}

void TfrmMain::RefitPreview() {
  Ungraded_ = PreviewSource_;
  FitImage(Ungraded_, imgUngraded->width(), imgUngraded->height());
  imgUngraded->SetImage(ToQImage(Ungraded_));
  if (imgLUTApplied->isHidden() || Preview_->FormatIndex == -1) return;
  LutApplied_ = Ungraded_;
  Preview_->ApplyToBitmap(LutApplied_);
  imgLUTApplied->SetImage(ToQImage(LutApplied_));
}

void TfrmMain::BuildMenus() {
  pmnList = MakeChild<QMenu>(this);
  pmnList->setObjectName("pmnList");
  miCheckAll = MakeAction(pmnList, "miCheckAll", tr("Check All"));
  miUncheckAll = MakeAction(pmnList, "miUncheckAll", tr("Uncheck All"));
  miSetBitsPerValue = MakeAction(pmnList, "miSetBitsPerValue", tr("Set Bits Per Color..."));
  miDelete = MakeAction(pmnList, "miDelete", tr("Remove from List"));
  miDelete->setShortcut(QKeySequence::Delete);
  miDelete->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  miClearList = MakeAction(pmnList, "miClearList", tr("Clear List"));
  pmnList->addAction(miCheckAll);
  pmnList->addAction(miUncheckAll);
  pmnList->addSeparator();
  pmnList->addAction(miSetBitsPerValue);
  pmnList->addSeparator();
  pmnList->addAction(miDelete);
  pmnList->addAction(miClearList);
  lvwFiles->addAction(miDelete);

  pmnICC = MakeChild<QMenu>(this);
  pmnICC->setObjectName("pmnICC");
  miLUTToICC = MakeAction(pmnICC, "miLUTToICC", tr("Convert LUT to ICC Profile"));
  miICCToLUT = MakeAction(pmnICC, "miICCToLUT", tr("Convert ICC Profile to LUT"));
  pmnICC->addAction(miLUTToICC);
  pmnICC->addAction(miICCToLUT);
  BuildMenuBar();
}

// Every action of the tool bar and the list's menu, with the shortcuts; the menus share
// the list menu's and the ICC menu's actions.
void TfrmMain::BuildMenuBar() {
  mnuMain = MakeChild<QMenuBar>(this);
  mnuMain->setObjectName("mnuMain");
  miAddFiles = MakeAction(this, "miAddFiles", tr("&Add LUTs..."));
  miAddFiles->setShortcut(QKeySequence::Open);
  miQuit = MakeAction(this, "miQuit", tr("&Quit"));
  miQuit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  miCheckAll->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
  miUncheckAll->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_A));
  miConvert = MakeAction(this, "miConvert", tr("&Convert Checked Files..."));
  miConvert->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)});
  miMerge = MakeAction(this, "miMerge", tr("&Merge Checked Files..."));
  miMerge->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
  miHaldImage = MakeAction(this, "miHaldImage", tr("Generate the &Hald Image..."));
  miLoadPreviewImage = MakeAction(this, "miLoadPreviewImage", tr("Load a &Preview Picture..."));
  miShowHidePreview = MakeAction(this, "miShowHidePreview", tr("Show the Preview &Pane"));
  miShowHidePreview->setCheckable(true);
  miShowHidePreview->setChecked(true);
  miShowHidePreview->setShortcut(QKeySequence(Qt::Key_F9));
  miLargeView = MakeAction(this, "miLargeView", tr("&Large View..."));
  miLargeView->setShortcut(QKeySequence(Qt::Key_F11));
  miHelp = MakeAction(this, "miHelp", tr("&Documentation"));
  miHelp->setShortcut(QKeySequence::HelpContents);
  miAbout = MakeAction(this, "miAbout", tr("&About"));
  miProgramFolder = MakeAction(this, "miProgramFolder", tr("Open the &Program Folder"));

  QMenu* file = mnuMain->addMenu(tr("&File"));
  file->addActions({miAddFiles, miLoadPreviewImage});
  file->addSeparator();
  file->addAction(miQuit);
  QMenu* edit = mnuMain->addMenu(tr("&Edit"));
  edit->addActions({miCheckAll, miUncheckAll, miSetBitsPerValue});
  edit->addSeparator();
  edit->addActions({miDelete, miClearList});
  QMenu* convert = mnuMain->addMenu(tr("&Convert"));
  convert->addActions({miConvert, miMerge});
  convert->addSeparator();
  convert->addActions({miLUTToICC, miICCToLUT});
  QMenu* tools = mnuMain->addMenu(tr("&Tools"));
  tools->addActions({miHaldImage, miShowHidePreview, miLargeView});
  QMenu* help = mnuMain->addMenu(tr("&Help"));
  help->addActions({miHelp, miProgramFolder, miAbout});
  // Shortcuts work wherever the focus is in the window, the list's Delete only in the list.
  addActions({miAddFiles, miQuit, miCheckAll, miUncheckAll, miConvert, miMerge, miHelp,
              miShowHidePreview, miLargeView});
}

std::function<void()> TfrmMain::Guarded(std::function<void(TActionContext&)> action) {
  return [this, action = std::move(action)] { RunGuarded(Dialogs_, this, action); };
}

std::function<void()> TfrmMain::Guarded(std::function<void()> action) {
  return [this, action = std::move(action)] { RunGuarded(Dialogs_, this, action); };
}

void TfrmMain::ConnectActions() {
  connect(btnAddFiles, &QToolButton::clicked, this,
          Guarded([this](TActionContext& context) { AddLutsClicked(context); }));
  connect(btnConvert, &QToolButton::clicked, this,
          Guarded([this](TActionContext& context) { ConvertClicked(context); }));
  connect(sbnJoin, &QToolButton::clicked, this, Guarded([this] { JoinClicked(); }));
  connect(btnICC, &QToolButton::clicked, this,
          Guarded([this] { pmnICC->popup(btnICC->mapToGlobal(QPoint(0, btnICC->height()))); }));
  connect(miLUTToICC, &QAction::triggered, this, Guarded([this] { LutToIccClicked(); }));
  connect(miICCToLUT, &QAction::triggered, this, Guarded([this] { IccToLutClicked(); }));
  connect(sbnHaldImage, &QToolButton::clicked, this,
          Guarded([this](TActionContext& context) { GenerateHaldImageClicked(context); }));
  connect(btnAbout, &QToolButton::clicked, this, Guarded([this] {
            TfrmAbout about(this);
            Dialogs_.ExecModal(about);
          }));
  connect(btnLoadPreviewImage, &QToolButton::clicked, this,
          Guarded([this] { LoadPreviewImageClicked(); }));
  connect(btnShowHidePreview, &QToolButton::clicked, this,
          Guarded([this] { ShowHidePreviewClicked(); }));

  connect(miAddFiles, &QAction::triggered, this,
          Guarded([this](TActionContext& context) { AddLutsClicked(context); }));
  connect(miQuit, &QAction::triggered, this, &QWidget::close);
  connect(miConvert, &QAction::triggered, this,
          Guarded([this](TActionContext& context) { ConvertClicked(context); }));
  connect(miMerge, &QAction::triggered, this, Guarded([this] { JoinClicked(); }));
  connect(miHaldImage, &QAction::triggered, this,
          Guarded([this](TActionContext& context) { GenerateHaldImageClicked(context); }));
  connect(miLoadPreviewImage, &QAction::triggered, this,
          Guarded([this] { LoadPreviewImageClicked(); }));
  connect(miShowHidePreview, &QAction::triggered, this,
          Guarded([this] { ShowHidePreviewClicked(); }));
  connect(miLargeView, &QAction::triggered, this, Guarded([this] { LargeViewClicked(); }));
  connect(miHelp, &QAction::triggered, this, [this] { OpenUrl_(DocumentationUrl()); });
  connect(miAbout, &QAction::triggered, btnAbout, &QToolButton::click);
  connect(miProgramFolder, &QAction::triggered, this,
          [this] { OpenUrl_(QUrl::fromLocalFile(QCoreApplication::applicationDirPath())); });

  connect(miCheckAll, &QAction::triggered, this, Guarded([this] { Files_->CheckAll(); }));
  connect(miUncheckAll, &QAction::triggered, this, Guarded([this] { Files_->UncheckAll(); }));
  connect(miSetBitsPerValue, &QAction::triggered, this,
          Guarded([this] { SetBitsPerValueClicked(); }));
  connect(miDelete, &QAction::triggered, this, Guarded([this] { DeleteClicked(); }));
  connect(miClearList, &QAction::triggered, this, Guarded([this] { ClearListClicked(); }));

  connect(Files_, &TFileListModel::RowsChanged, this, Guarded([this] { RowsChanged(); }));
  connect(Files_, &TFileListModel::CheckRefused, this, Guarded([this] {
            Dialogs_.Information(this, FromQt(Translated(kUnknownFormatMessage)));
          }));
  connect(lvwFiles->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this](const QItemSelection& selected, const QItemSelection& deselected) {
            RunGuarded(Dialogs_, this, [&] { SelectionChanged(selected, deselected); });
          });
  connect(lvwFiles, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
    RunGuarded(Dialogs_, this, [&] { ListMenuRequested(position); });
  });
  connect(lvwFiles, &TFileListView::PathsDropped, this,
          [this](const std::vector<std::string>& paths) { AddDroppedPaths(paths); });
}

void TfrmMain::AddDroppedPaths(const std::vector<std::string>& paths) {
  RunGuarded(Dialogs_, this, [&](TActionContext& context) {
    std::vector<std::string> subfolders;
    const std::vector<std::string> files = ExpandDroppedPaths(paths, &subfolders);
    AddFiles(files, &context, subfolders);
  });
}

void TfrmMain::LoadSamplePicture() {
  const QImage sample(QStringLiteral(":/assets/sample-photo.png"));
  if (sample.isNull()) return;
  PreviewSource_ = FromQImage(sample);
  RefitPreview();
}

void TfrmMain::AddFiles(const std::vector<std::string>& paths, TActionContext* context,
                        const std::vector<std::string>& subfolders) {
  std::vector<TFileRow> rows;
  rows.reserve(paths.size());
  try {
    for (std::size_t i = 0; i < paths.size(); ++i) {
      if (context != nullptr) context->File = paths[i];
      for (TFileRow& row : MakeFileRows(paths[i], DetectFormat(paths[i]))) {
        if (i < subfolders.size()) row.Subfolder = subfolders[i];
        rows.push_back(std::move(row));
      }
    }
  } catch (...) {
    Files_->Append(std::move(rows));
    throw;
  }
  if (context != nullptr) context->File.clear();
  Files_->Append(std::move(rows));
}

void TfrmMain::ShowLutPreview(const std::string& path, int inputBits,
                              const TLutMemberChoice& member) {
  TWaitCursor hourglass;
  const TLoadReport report = LoadLut(path, *Preview_, -1, inputBits, member);
  if (Preview_->FormatIndex == -1) {
    HideLutParts();
    return;
  }
  LutApplied_ = Ungraded_;
  Preview_->ApplyToBitmap(LutApplied_);
  imgLUTApplied->SetImage(ToQImage(LutApplied_));

  QStringList lines;
  for (const std::string& line : LutInformationLines(*Preview_)) lines << ToQt(line);
  for (const TLoadWarning& warning : report.Warnings)
    lines << tr("Warning: %1").arg(ToQt(warning.Message));
  mmComments->setPlainText(lines.join(u'\n'));
  SetCommentsError(false);
  ShowLutParts();
}

bool TfrmMain::LoadPreviewImage(TBitmap24& picture) {
  if (!PickPicture(picture)) return false;
  FitPreviewImage(picture);
  return true;
}

bool TfrmMain::PickPicture(TBitmap24& picture) {
  const std::string path = Dialogs_.OpenPicture(this, Folders_.Pictures, PictureFileFilter());
  if (path.empty()) return false;
  Folders_.Pictures = ExtractFileDir(path);
  TWaitCursor hourglass;
  TDecodedPicture decoded = LoadPictureForPreview(path, kPreviewSourceWidth, kPreviewSourceHeight);
  FitImage(decoded.Bitmap, kPreviewSourceWidth, kPreviewSourceHeight);
  picture = std::move(decoded.Bitmap);
  return true;
}

void TfrmMain::FitPreviewImage(TBitmap24& bitmap) {
  FitImage(bitmap, kPreviewBoxWidth, kPreviewBoxHeight);
}

void TfrmMain::FitImage(TBitmap24& bitmap, int width, int height) {
  const TPictureSize size = FitSize(bitmap.Width(), bitmap.Height(), width, height);
  if (size.Width == bitmap.Width() && size.Height == bitmap.Height()) return;
  TBitmap24 fitted;
  Stretch(size.Width, size.Height, rfLanczos3, fitted, bitmap, 0.0f);
  bitmap = std::move(fitted);
}

QUrl TfrmMain::DocumentationUrl() {
  return QUrl(QStringLiteral("https://vorn-lut.example.org"));  // the package's home page
}

bool TfrmMain::AnyChecked() const {
  return Files_->AnyChecked();
}

int TfrmMain::SelectedRow() const {
  const QModelIndexList rows = lvwFiles->selectionModel()->selectedRows();
  return rows.isEmpty() ? -1 : rows.first().row();
}

void TfrmMain::SelectRow(int row) {
  if (row < 0 || row >= Files_->Count()) {
    lvwFiles->selectionModel()->clearSelection();
    return;
  }
  lvwFiles->selectionModel()->setCurrentIndex(
      Files_->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void TfrmMain::AddLutsClicked(TActionContext& context) {
  std::vector<std::string> paths = Dialogs_.OpenFiles(this, Folders_.Luts, kLutFileFilter);
  if (paths.empty()) return;
  Folders_.Luts = ExtractFileDir(paths.front());
  SortPathsNoCase(paths);
  AddFiles(paths, &context);
}

void TfrmMain::ConvertClicked(TActionContext& context) {
  TfrmConvert dialog(this, Dialogs_, Folders_.Output);
  if (!Dialogs_.ExecModal(dialog)) return;
  const std::size_t converted = dialog.ConvertChecked(*Files_, Clock_, context);
  if (converted == 0) return;
  ReportWritten(tr("%n file(s) converted into", nullptr, static_cast<int>(converted)),
                dialog.OutputFolder(), false);
}

// One line at the foot of the window says what an action wrote: the path opens its folder,
// and a LUT written by a merge or an ICC conversion can join the list.
void TfrmMain::ReportWritten(const QString& what, const std::string& path, bool lut) {
  Written_ = path;
  QString text = QStringLiteral("%1 <a href=\"folder\">%2</a>")
                     .arg(what.toHtmlEscaped(), ToQt(path).toHtmlEscaped());
  if (lut) text += QStringLiteral(" &nbsp; <a href=\"add\">%1</a>").arg(tr("Add it to the list"));
  lblStatus->setText(text);
}

void TfrmMain::StatusLinkActivated(const QString& link) {
  if (link == QStringLiteral("add")) {
    AddFiles({Written_});
    return;
  }
  const QFileInfo written(ToQt(Written_));
  OpenUrl_(
      QUrl::fromLocalFile(written.isDir() ? written.absoluteFilePath() : written.absolutePath()));
}

void TfrmMain::JoinClicked() {
  // Joining loads whole files, as vorn-lut merge does: a file listed as several rows (the
  // corrections of a collection) goes in once, with its first correction.
  std::vector<std::string> paths;
  for (int row = 0; row < Files_->Count(); ++row) {
    const TFileRow& file = Files_->Row(row);
    const bool sameFileAsBefore =
        !file.MemberTag.empty() && !paths.empty() && paths.back() == file.FullPath();
    if (file.Checked && !sameFileAsBefore) paths.push_back(file.FullPath());
  }
  TfrmJoinLut dialog(this, Dialogs_, Folders_, paths);
  Dialogs_.ExecModal(dialog);
  if (!dialog.WrittenFile().empty())
    ReportWritten(tr("Merged LUT written:"), dialog.WrittenFile(), true);
}

void TfrmMain::LutToIccClicked() {
  TfrmLUT2ICC dialog(this, Dialogs_);
  Dialogs_.ExecModal(dialog);
  if (!dialog.WrittenProfile().empty()) {
    ReportWritten(tr("ICC profile written:"), dialog.WrittenProfile(), false);
  }
}

void TfrmMain::IccToLutClicked() {
  TBitmap24 picture = PreviewSource_;
  FitPreviewImage(picture);
  TfrmICCConvert dialog(this, Dialogs_, Folders_, picture,
                        [this](TBitmap24& picture) { return LoadPreviewImage(picture); });
  Dialogs_.ExecModal(dialog);
  if (!dialog.WrittenFile().empty()) ReportWritten(tr("LUT written:"), dialog.WrittenFile(), true);
}

void TfrmMain::GenerateHaldImageClicked(TActionContext& context) {
  const std::optional<THaldTarget> target = HaldSaveDialog_.Execute(this, Dialogs_);
  if (!target) return;
  context.File = target->Path;
  TWaitCursor hourglass;
  GenerateHaldImage(target->Path, target->Type);
  ReportWritten(tr("Hald image written:"), target->Path, false);
}

void TfrmMain::LoadPreviewImageClicked() {
  // A picture that cannot be decoded ends the action before the row is previewed again.
  if (PickPicture(PreviewSource_)) RefitPreview();
  const int row = SelectedRow();
  if (row >= 0) RowSelected(row);
}

void TfrmMain::LargeViewClicked() {
  if (Preview_->FormatIndex == -1 || imgLUTApplied->isHidden()) return;
  TfrmLargeView view(this, Dialogs_, Folders_.Pictures, *Preview_, PreviewSource_);
  Dialogs_.ExecModal(view);
}

void TfrmMain::ShowHidePreviewClicked() {
  pnlPreview->setVisible(pnlPreview->isHidden());
  btnShowHidePreview->setChecked(!pnlPreview->isHidden());
  miShowHidePreview->setChecked(!pnlPreview->isHidden());
  if (pnlPreview->isHidden()) return;
  const int row = SelectedRow();
  if (row >= 0) {
    RowSelected(row);
  } else {
    HideLutParts();
  }
}

void TfrmMain::DeleteClicked() {
  const int row = SelectedRow();
  if (row < 0) return;
  Files_->Remove(row);
  if (Files_->Count() > 0) SelectRow(std::min(row, Files_->Count() - 1));
}

void TfrmMain::ClearListClicked() {
  Files_->Clear();
  HideLutParts();
  UpdateListActions();
}

void TfrmMain::SetBitsPerValueClicked() {
  const int row = SelectedRow();
  if (row < 0 || !Files_->Row(row).Info) return;
  const int current = Files_->Row(row).Info->InputBits;
  TfrmSetBitsPerValue dialog(this, current);
  if (!Dialogs_.ExecModal(dialog)) return;
  Files_->SetInputBits(row, dialog.Value(current));
  RowSelected(row);
}

void TfrmMain::RowsChanged() {
  const bool anyChecked = AnyChecked();
  btnConvert->setEnabled(anyChecked);
  sbnJoin->setEnabled(anyChecked);
  miConvert->setEnabled(anyChecked);
  miMerge->setEnabled(anyChecked);
  UpdateListActions();
}

void TfrmMain::SelectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
  UpdateListActions();
  if (!deselected.isEmpty()) HideLutParts();
  if (!selected.isEmpty()) RowSelected(selected.indexes().first().row());
}

// Browsing is not interrupted: a file that cannot be previewed shows its error in the
// comments, and an action that previews on the way (bits per colour, a new picture) still
// finishes.
void TfrmMain::RowSelected(int row) {
  if (pnlPreview->isHidden() || row < 0 || row >= Files_->Count()) return;
  const TFileRow& file = Files_->Row(row);
  const std::string path = file.FullPath();
  const int bits = file.Info ? file.Info->InputBits : -1;
  const std::string error = ErrorTextOf([&] { ShowLutPreview(path, bits, file.Member); }, path);
  if (!error.empty()) ShowPreviewError(error);
}

void TfrmMain::ShowPreviewError(const std::string& text) {
  stxLUTApplied->setVisible(false);
  imgLUTApplied->setVisible(false);
  stxComments->setVisible(true);
  mmComments->setVisible(true);
  mmComments->setPlainText(ToQt(text));
  SetCommentsError(true);
}

void TfrmMain::SetCommentsError(bool error) {
  mmComments->setProperty("error", error);
  QPalette palette = mmComments->style()->standardPalette();
  if (error) palette.setColor(QPalette::Text, QColor(0xb0, 0x1c, 0x1c));
  mmComments->setPalette(palette);
}

bool TfrmMain::PreviewShowsError() const {
  return mmComments->property("error").toBool() && !mmComments->isHidden();
}

void TfrmMain::HideLutParts() {
  stxLUTApplied->setVisible(false);
  imgLUTApplied->setVisible(false);
  stxComments->setVisible(false);
  mmComments->setVisible(false);
}

void TfrmMain::ShowLutParts() {
  stxLUTApplied->setVisible(true);
  imgLUTApplied->setVisible(true);
  stxComments->setVisible(true);
  mmComments->setVisible(true);
}

void TfrmMain::UpdateListActions() {
  const bool selected = SelectedRow() >= 0;
  miDelete->setEnabled(selected);
  miSetBitsPerValue->setEnabled(selected);
  miClearList->setEnabled(Files_->Count() > 0);
}

void TfrmMain::ListMenuRequested(const QPoint& position) {
  UpdateListActions();
  pmnList->popup(lvwFiles->viewport()->mapToGlobal(position));
}

}  // namespace vorn::ui
