#include "ui/LutJoinForm.h"

#include <QApplication>
#include <QComboBox>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>

#include "core/Conversion.h"
#include "imaging/MergeLuts.h"
#include "platform/Files.h"
#include "ui/ConvertForm.h"
#include "ui/Dialogs.h"
#include "ui/ErrorGuard.h"
#include "ui/MainForm.h"
#include "ui/OutputChoice.h"
#include "ui/QtOwned.h"
#include "ui/QtText.h"

namespace vorn::ui {

namespace {

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
  setWindowTitle("Merge LUT files");
  BuildControls(files);
  connect(cbxOutFormat, &QComboBox::currentIndexChanged, this, [this] { OutFormatChanged(); });
  connect(btnSetLUTFile, &QPushButton::clicked, this,
          [this] { RunGuarded(Dialogs_, this, [this] { SetLUTFileClicked(); }); });
  connect(btnSave, &QPushButton::clicked, this,
          [this] { RunGuarded(Dialogs_, this, [this] { SaveClicked(); }); });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
}

void TfrmJoinLut::BuildControls(const std::vector<std::string>& files) {
  auto* form = MakeChild<QGridLayout>(this);
  form->setContentsMargins(20, 18, 20, 16);
  form->setHorizontalSpacing(10);
  form->setVerticalSpacing(8);
  form->setColumnMinimumWidth(0, 440);
  int row = 0;
  auto addLabel = [&](const char* text, QWidget* buddy) {
    auto* label = MakeChild<QLabel>(this, QString::fromUtf8(text));
    label->setBuddy(buddy);
    form->addWidget(label, row++, 0, 1, 2);
    return label;
  };

  lbxFiles = MakeChild<TMergeListBox>(this);
  lbxFiles->setObjectName("lbxFiles");
  for (const std::string& file : files) lbxFiles->addItem(ToQt(file));
  addLabel("LUT Files to Merge", lbxFiles);
  lblOrderNote =
      addLabel("(Top file will be applied first. Please drag file to change order.)", lbxFiles);
  lblOrderNote->setObjectName("lblOrderNote");
  form->addWidget(lbxFiles, row++, 0, 1, 2);

  cbxOutFormat = MakeChild<QComboBox>(this);
  cbxOutFormat->setObjectName("cbxOutFormat");
  cbxOutFormat->setMaxVisibleItems(20);
  for (int i = 0; i < static_cast<int>(OutputProfiles().size()); ++i) {
    const TLUTFormat* format = GetFormat(GetOutputProfile(i).FormatIndex);
    if (format != nullptr && format->Is3D) cbxOutFormat->addItem(ToQt(GetOutputProfile(i).Name), i);
  }
  cbxOutFormat->setCurrentIndex(-1);
  addLabel("Output LUT Format", cbxOutFormat);
  form->addWidget(cbxOutFormat, row++, 0, 1, 2);

  edtLUTFile = MakeChild<QLineEdit>(this);
  edtLUTFile->setObjectName("edtLUTFile");
  edtLUTFile->setReadOnly(true);
  edtLUTFile->setEnabled(false);
  btnSetLUTFile = MakeChild<QPushButton>(this, QStringLiteral("..."));
  btnSetLUTFile->setObjectName("btnSetLUTFile");
  btnSetLUTFile->setToolTip("Select the destination LUT file name");
  btnSetLUTFile->setFixedWidth(36);
  btnSetLUTFile->setEnabled(false);
  addLabel("Output LUT File", edtLUTFile);
  form->addWidget(edtLUTFile, row, 0);
  form->addWidget(btnSetLUTFile, row++, 1);

  cbxDimSize = MakeChild<QComboBox>(this);
  cbxDimSize->setObjectName("cbxDimSize");
  cbxDimSize->setEditable(true);
  cbxDimSize->setInsertPolicy(QComboBox::NoInsert);
  cbxDimSize->addItem(kDefaultSize);
  cbxDimSize->setEditText(kDefaultSize);
  cbxDimSize->setEnabled(false);
  addLabel("LUT dimension size", cbxDimSize);
  form->addWidget(cbxDimSize, row++, 0, 1, 2);

  cbxBits = MakeChild<QComboBox>(this);
  cbxBits->setObjectName("cbxBits");
  FillBitsBox(*cbxBits);
  cbxBits->setEnabled(false);
  addLabel("Bits per color", cbxBits);
  form->addWidget(cbxBits, row++, 0, 1, 2);

  auto* buttonPanel = MakeChild<QWidget>(this);
  auto* buttons = MakeChild<QHBoxLayout>(buttonPanel);
  buttons->setContentsMargins(0, 8, 0, 0);
  buttons->addStretch(1);
  btnSave = MakeChild<QPushButton>(this, QStringLiteral("Save"));
  btnSave->setObjectName("btnSave");
  btnSave->setDefault(true);
  btnSave->setEnabled(false);
  btnCancel = MakeChild<QPushButton>(this, QStringLiteral("Cancel"));
  btnCancel->setObjectName("btnCancel");
  buttons->addWidget(btnSave);
  buttons->addWidget(btnCancel);
  form->addWidget(buttonPanel, row, 0, 1, 2);
}

const TLutOutputProfile* TfrmJoinLut::SelectedProfile() const {
  const int item = cbxOutFormat->currentIndex();
  if (item < 0) return nullptr;
  return &GetOutputProfile(cbxOutFormat->itemData(item).toInt());
}

int TfrmJoinLut::SelectedBits() const {
  return SelectedBitsOf(*cbxBits);
}

std::vector<std::string> TfrmJoinLut::Files() const {
  std::vector<std::string> files;
  for (int i = 0; i < lbxFiles->count(); ++i) files.push_back(FromQt(lbxFiles->item(i)->text()));
  return files;
}

void TfrmJoinLut::OutFormatChanged() {
  const TLutOutputProfile* profile = SelectedProfile();
  const bool sizeSelectable = profile != nullptr && profile->SizeSelectable;
  cbxDimSize->setEnabled(sizeSelectable);
  if (sizeSelectable) {
    cbxDimSize->clear();
    cbxDimSize->addItems({kDefaultSize, "17", "32", "33", "64"});
  }
  cbxDimSize->setEditText(kDefaultSize);
  cbxBits->setEnabled(profile != nullptr && profile->BitsSelectable);
  cbxBits->setCurrentIndex(0);
  edtLUTFile->setEnabled(profile != nullptr);
  btnSetLUTFile->setEnabled(profile != nullptr);
  if (profile != nullptr && !edtLUTFile->text().isEmpty()) {
    edtLUTFile->setText(ToQt(ChangeFileExt(FromQt(edtLUTFile->text()), "." + profile->Extension)));
  }
}

void TfrmJoinLut::SetLUTFileClicked() {
  const TLutOutputProfile* profile = SelectedProfile();
  if (profile == nullptr) return;
  const std::string path =
      Dialogs_.SaveFile(this, "Select the destination LUT file name", Folders_.Output,
                        profile->Extension, SaveFilterOf(*profile));
  if (path.empty()) return;
  edtLUTFile->setText(ToQt(path));
  ConfirmedLutFile_ = path;
  Folders_.Output = ExtractFileDir(path);
  btnSave->setEnabled(true);
}

void TfrmJoinLut::SaveClicked() {
  const TLutOutputProfile* profile = SelectedProfile();
  if (profile == nullptr) return;
  const int size = ResolveOutputSize(FromQt(cbxDimSize->currentText()), *profile);
  if (size < 2) {
    cbxDimSize->setFocus();
    throw Exception(kSizeTooSmall);
  }
  const std::string path = FromQt(edtLUTFile->text());
  if (path != ConfirmedLutFile_ && FileExists(path) &&
      !Dialogs_.YesNo(this, OverwriteQuestion(path))) {
    return;
  }
  MergeLutsToFile(Files(), *profile, size, SelectedBits(), path);
  accept();
}

bool TfrmJoinLut::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  auto& key = static_cast<QKeyEvent&>(*event);
  if (key.key() == Qt::Key_Alt) return true;
  if (watched == cbxDimSize->lineEdit()) return FilterSizeBoxKey(*cbxDimSize, key);
  return QDialog::eventFilter(watched, event);
}

}  // namespace vorn::ui
