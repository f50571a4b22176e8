#include "ui/ConvertForm.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/Conversion.h"
#include "platform/Files.h"
#include "ui/Dialogs.h"
#include "ui/ErrorGuard.h"
#include "ui/FileListModel.h"
#include "ui/OutputChoice.h"
#include "ui/ProgressDlg.h"
#include "ui/QtOwned.h"
#include "ui/QtText.h"

namespace vorn::ui {

TfrmConvert::TfrmConvert(QWidget* owner, IDialogs& dialogs, std::string& outputFolder)
    : QDialog(owner), Dialogs_(dialogs), OutputFolder_(outputFolder) {
  setObjectName("frmConvert");
  setWindowTitle("Convertion Settings");
  BuildControls();

  edtOutFolder->setText(ToQt(OutputFolder_));
  for (int i = 0; i < static_cast<int>(OutputProfiles().size()); ++i) {
    cbxOutFormat->addItem(ToQt(GetOutputProfile(i).Name), i);
  }
  cbxOutFormat->setCurrentIndex(-1);
  cbxDimSize->setEnabled(false);
  cbxDimSize->setEditText(kDefaultSize);
  cbxBits->setEnabled(false);
  cbxBits->setCurrentIndex(0);
  btnConvert->setEnabled(false);

  connect(btnSelectFolder, &QPushButton::clicked, this, &TfrmConvert::SelectFolder);
  connect(cbxOutFormat, &QComboBox::currentIndexChanged, this, &TfrmConvert::OutputChanged);
  connect(edtOutFolder, &QLineEdit::textChanged, this, &TfrmConvert::UpdateConvertButton);
  connect(btnConvert, &QPushButton::clicked, this, &TfrmConvert::ConvertClicked);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

  for (QWidget* child : findChildren<QWidget*>()) child->installEventFilter(this);
  cbxOutFormat->setFocus();
}

void TfrmConvert::BuildControls() {
  auto* layout = MakeChild<QGridLayout>(this);
  layout->setContentsMargins(20, 18, 20, 16);
  layout->setHorizontalSpacing(12);
  layout->setVerticalSpacing(12);
  layout->setColumnMinimumWidth(1, 360);

  auto addLabel = [&](const char* text, int row, QWidget* buddy) {
    auto* label = MakeChild<QLabel>(this, QString::fromUtf8(text));
    label->setBuddy(buddy);
    layout->addWidget(label, row, 0);
  };

  edtOutFolder = MakeChild<QLineEdit>(this);
  edtOutFolder->setObjectName("edtOutFolder");
  edtOutFolder->setReadOnly(true);
  btnSelectFolder = MakeChild<QPushButton>(this, QStringLiteral("..."));
  btnSelectFolder->setObjectName("btnSelectFolder");
  btnSelectFolder->setToolTip("Select the output folder");
  btnSelectFolder->setFixedWidth(36);
  addLabel("Output Folder", 0, edtOutFolder);
  layout->addWidget(edtOutFolder, 0, 1);
  layout->addWidget(btnSelectFolder, 0, 2);

  cbxOutFormat = MakeChild<QComboBox>(this);
  cbxOutFormat->setObjectName("cbxOutFormat");
  cbxOutFormat->setMaxVisibleItems(20);
  addLabel("Output Format", 1, cbxOutFormat);
  layout->addWidget(cbxOutFormat, 1, 1, 1, 2);

  cbxDimSize = MakeChild<QComboBox>(this);
  cbxDimSize->setObjectName("cbxDimSize");
  cbxDimSize->setEditable(true);
  cbxDimSize->setInsertPolicy(QComboBox::NoInsert);
  cbxDimSize->addItem(kDefaultSize);
  addLabel("Dimension size", 2, cbxDimSize);
  layout->addWidget(cbxDimSize, 2, 1, 1, 2);
  lblDefaultHint = MakeChild<QLabel>(
      this, QStringLiteral("Please use the 'Default' option if you are not sure"));
  lblDefaultHint->setObjectName("lblDefaultHint");
  lblDefaultHint->setVisible(false);

  cbxBits = MakeChild<QComboBox>(this);
  cbxBits->setObjectName("cbxBits");
  FillBitsBox(*cbxBits);
  addLabel("Bits per color", 3, cbxBits);
  layout->addWidget(cbxBits, 3, 1, 1, 2);

  auto* buttons = MakeChild<QWidget>(this);
  auto* buttonLayout = MakeChild<QHBoxLayout>(buttons);
  buttonLayout->setContentsMargins(0, 8, 0, 0);
  buttonLayout->addStretch(1);
  btnConvert = MakeChild<QPushButton>(buttons, QStringLiteral("Convert"));
  btnConvert->setObjectName("btnConvert");
  btnConvert->setDefault(true);
  btnCancel = MakeChild<QPushButton>(buttons, QStringLiteral("Cancel"));
  btnCancel->setObjectName("btnCancel");
  buttonLayout->addWidget(btnConvert);
  buttonLayout->addWidget(btnCancel);
  layout->addWidget(buttons, 4, 0, 1, 3);

  setTabOrder(edtOutFolder, btnSelectFolder);
  setTabOrder(btnSelectFolder, cbxOutFormat);
  setTabOrder(cbxOutFormat, cbxDimSize);
  setTabOrder(cbxDimSize, cbxBits);
  setTabOrder(cbxBits, btnConvert);
  setTabOrder(btnConvert, btnCancel);
  setFixedSize(sizeHint());
}

const TLutOutputProfile* TfrmConvert::SelectedProfile() const {
  const int item = cbxOutFormat->currentIndex();
  if (item < 0) return nullptr;
  return &GetOutputProfile(cbxOutFormat->itemData(item).toInt());
}

int TfrmConvert::SelectedBits() const {
  return SelectedBitsOf(*cbxBits);
}

int TfrmConvert::OutputSize() const {
  const TLutOutputProfile* profile = SelectedProfile();
  if (profile == nullptr) return 0;
  const int size = ResolveOutputSize(FromQt(cbxDimSize->currentText()), *profile);
  if (size < 2) throw Exception(kSizeTooSmall);
  return size;
}

void TfrmConvert::OutputChanged() {
  const TLutOutputProfile* profile = SelectedProfile();
  const bool sizeSelectable = profile != nullptr && profile->SizeSelectable;
  cbxDimSize->setEnabled(sizeSelectable);
  if (sizeSelectable) {
    const TLUTFormat* format = GetFormat(profile->FormatIndex);
    const QStringList sizes =
        format != nullptr && format->Is3D
            ? QStringList{"8", "16", "17", "32", "33", "64"}
            : QStringList{"1024", "2048", "4096", "8192", "16384", "32768", "65536"};
    cbxDimSize->clear();
    cbxDimSize->addItem(kDefaultSize);
    cbxDimSize->addItems(sizes);
  }
  cbxDimSize->setEditText(kDefaultSize);
  cbxBits->setEnabled(profile != nullptr && profile->BitsSelectable);
  cbxBits->setCurrentIndex(0);
  UpdateConvertButton();
}

void TfrmConvert::UpdateConvertButton() {
  btnConvert->setEnabled(SelectedProfile() != nullptr && !edtOutFolder->text().isEmpty());
}

void TfrmConvert::SelectFolder() {
  RunGuarded(Dialogs_, this, [&] {
    const std::string folder =
        Dialogs_.SelectFolder(this, "Please select a folder for converted files", OutputFolder_);
    if (folder.empty()) return;
    edtOutFolder->setText(ToQt(folder));
    OutputFolder_ = folder;
  });
}

void TfrmConvert::ConvertClicked() {
  const bool sizeAccepted = RunGuarded(Dialogs_, this, [&] { OutputSize(); });
  if (sizeAccepted) {
    accept();
  } else {
    cbxDimSize->setFocus();
  }
}

bool TfrmConvert::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  auto& key = static_cast<QKeyEvent&>(*event);
  if (key.key() == Qt::Key_Alt) return true;
  if (watched == cbxDimSize->lineEdit()) return FilterSizeBoxKey(*cbxDimSize, key);
  return QDialog::eventFilter(watched, event);
}

void TfrmConvert::ConvertChecked(const TFileListModel& files, const TClock& clock,
                                 TActionContext& context) {
  const TLutOutputProfile* profile = SelectedProfile();
  if (profile == nullptr) return;
  const int size = OutputSize();
  const int bits = SelectedBits();
  const std::string folder = FromQt(edtOutFolder->text());

  TfrmProgress progress(parentWidget(), clock);
  progress.setWindowTitle("Convertion...");
  progress.SetText("The selected files are being converted. Please wait...");
  progress.show();

  std::vector<TBatchFile> batch;
  batch.reserve(static_cast<std::size_t>(files.Count()));
  for (int r = 0; r < files.Count(); ++r) {
    const TFileRow& row = files.Row(r);
    batch.push_back({row.FullPath(), row.Info ? row.Info->InputBits : -1, row.Checked});
  }
  TBatchCallbacks callbacks;
  callbacks.AskOverwrite = [&](const std::string& destination) {
    switch (Dialogs_.YesNoCancel(&progress, OverwriteQuestion(destination))) {
      case TAnswer::Yes:
        return TOverwriteAnswer::Yes;
      case TAnswer::No:
        return TOverwriteAnswer::No;
      case TAnswer::Cancel:
        break;
    }
    return TOverwriteAnswer::Cancel;
  };
  callbacks.Progress = [&](std::size_t position, double percent) {
    progress.SetPosition(percent);
    if (progress.IsCancelled()) return false;
    context.File = batch[position].Path;
    return true;
  };
  callbacks.Finished = [&](std::size_t, const std::string&, bool) { context.File.clear(); };
  ConvertBatch(batch, {profile, size, bits, folder}, callbacks);
}

}  // namespace vorn::ui
