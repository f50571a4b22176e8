#include "ui/LutJoinForm.h"

#include <QApplication>
#include <QComboBox>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>

#include "imaging/MergeLuts.h"
#include "ui/Dialogs.h"
#include "ui/ErrorGuard.h"
#include "ui/FormRows.h"
#include "ui/MainForm.h"
#include "ui/OutputChoice.h"
#include "ui/QtOwned.h"
#include "ui/QtText.h"
#include "ui/Settings.h"

namespace vorn::ui {

namespace {

const QString kSettingsGroup = QStringLiteral("merge");
const QString kRowMime = QStringLiteral("application/x-vorn-merge-row");

}  // namespace

TMergeListBox::TMergeListBox(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  setDragEnabled(false);  // drags start in mouseMoveEvent, with this list's own data
  setDropIndicatorShown(false);
}

std::unique_ptr<QMimeData> TMergeListBox::DragData() const {
  auto data = std::make_unique<QMimeData>();
  data->setData(kRowMime, QByteArray::number(reinterpret_cast<quintptr>(this)));
  return data;
}

bool TMergeListBox::FromThisList(const QMimeData* data) const {
  return data != nullptr && data->hasFormat(kRowMime) &&
         data->data(kRowMime) == QByteArray::number(reinterpret_cast<quintptr>(this));
}

void TMergeListBox::mousePressEvent(QMouseEvent* event) {
  PressPoint_ = event->position().toPoint();
  Pressed_ = event->button() == Qt::LeftButton;
  QListWidget::mousePressEvent(event);
}

void TMergeListBox::mouseMoveEvent(QMouseEvent* event) {
  const bool dragging = Pressed_ && (event->buttons() & Qt::LeftButton) &&
                        (event->position().toPoint() - PressPoint_).manhattanLength() >=
                            QApplication::startDragDistance() &&
                        itemAt(PressPoint_) != nullptr;
  if (!dragging) {
    QListWidget::mouseMoveEvent(event);
    return;
  }
  Pressed_ = false;
  auto* drag = MakeChild<QDrag>(this);
  drag->setMimeData(DragData().release());  // the drag owns its data
  drag->exec(Qt::MoveAction);
}

void TMergeListBox::dragEnterEvent(QDragEnterEvent* event) {
  if (FromThisList(event->mimeData())) {
    event->setDropAction(Qt::MoveAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void TMergeListBox::dragMoveEvent(QDragMoveEvent* event) {
  if (FromThisList(event->mimeData())) {
    event->setDropAction(Qt::MoveAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void TMergeListBox::dropEvent(QDropEvent* event) {
  if (!FromThisList(event->mimeData())) {
    event->ignore();
    return;
  }
  event->setDropAction(Qt::MoveAction);
  event->accept();
  const QListWidgetItem* pressed = itemAt(PressPoint_);
  if (pressed == nullptr) return;  // the drag began below the last item: nothing to move
  const int from = row(pressed);
  const QListWidgetItem* target = itemAt(event->position().toPoint());
  const int to = target != nullptr ? row(target) : count() - 1;
  if (from == to) return;
  QListWidgetItem* moved = takeItem(from);
  insertItem(to, moved);
  setCurrentItem(moved);
}

TfrmJoinLut::TfrmJoinLut(QWidget* owner, IDialogs& dialogs, TRememberedFolders& folders,
                         const std::vector<std::string>& files)
    : QDialog(owner), Dialogs_(dialogs), Folders_(folders) {
  setObjectName("frmJoinLut");
  setWindowTitle(tr("Merge LUT files"));
  BuildControls(files);
  connect(cbxOutFormat, &QComboBox::currentIndexChanged, this, [this] { FollowSelectedProfile(); });
  connect(btnSetLUTFile, &QPushButton::clicked, this,
          [this] { RunGuarded(Dialogs_, this, [this] { SetLUTFileClicked(); }); });
  connect(btnSave, &QPushButton::clicked, this,
          [this] { RunGuarded(Dialogs_, this, [this] { SaveClicked(); }); });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  RestoreOutputChoice(kSettingsGroup, *cbxOutFormat, *cbxDimSize, *cbxBits);
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void TfrmJoinLut::BuildControls(const std::vector<std::string>& files) {
  auto* form = MakeChild<QGridLayout>(this);
  form->setContentsMargins(20, 18, 20, 16);
  form->setHorizontalSpacing(10);
  form->setVerticalSpacing(8);
  form->setColumnMinimumWidth(0, 440);
  TFormRows rows(*this, *form);

  lbxFiles = MakeChild<TMergeListBox>(this);
  lbxFiles->setObjectName("lbxFiles");
  for (const std::string& file : files) lbxFiles->addItem(ToQt(file));
  rows.AddCaption(tr("LUT Files to Merge"), lbxFiles);
  lblOrderNote = rows.AddCaptioned(
      tr("(The top file is applied first. Drag the files to change the order.)"), lbxFiles);
  lblOrderNote->setObjectName("lblOrderNote");

  AddLutFileRows(rows, true);

  const TButtonRow buttons = MakeButtonRow(this, 8, "btnSave", tr("Save"), tr("Cancel"));
  btnSave = buttons.Default;
  btnSave->setEnabled(false);
  btnCancel = buttons.Cancel;
  rows.AddWide(buttons.Panel);
}

std::vector<std::string> TfrmJoinLut::Files() const {
  std::vector<std::string> files;
  for (int i = 0; i < lbxFiles->count(); ++i) files.push_back(FromQt(lbxFiles->item(i)->text()));
  return files;
}

void TfrmJoinLut::SetLUTFileClicked() {
  if (BrowseLutFile(Dialogs_, this, Folders_.Output)) btnSave->setEnabled(true);
}

void TfrmJoinLut::SaveClicked() {
  const std::optional<TTarget> target = TargetToWrite(Dialogs_, this);
  if (!target) return;
  MergeLutsToFile(Files(), *target->Profile, target->Size, SelectedBits(), target->Path);
  WrittenFile_ = target->Path;
  SaveOutputChoice(kSettingsGroup, *cbxOutFormat, *cbxDimSize, *cbxBits);
  accept();
}

bool TfrmJoinLut::eventFilter(QObject* watched, QEvent* event) {
  if (const std::optional<bool> answer = FilterDialogKey(cbxDimSize, watched, *event)) {
    return *answer;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace vorn::ui
