#include "ui/SetBitsPerValueForm.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "core/VornLut.h"
#include "ui/FormRows.h"
#include "ui/QtOwned.h"

namespace vorn::ui {

TfrmSetBitsPerValue::TfrmSetBitsPerValue(QWidget* owner, int currentBits) : QDialog(owner) {
  setObjectName("frmSetBitsPerValue");
  setWindowTitle(tr("Set Bits Per Color"));

  auto* layout = MakeChild<QGridLayout>(this);
  layout->setContentsMargins(18, 16, 18, 14);
  layout->setHorizontalSpacing(12);
  layout->setVerticalSpacing(14);
  auto* label = MakeChild<QLabel>(this, tr("Bits Per Color"));
  cbxBitsPerValue = MakeChild<QComboBox>(this);
  cbxBitsPerValue->setObjectName("cbxBitsPerValue");
  cbxBitsPerValue->addItem(tr("Default"), -1);
  for (int bits : kOfferedBitDepths) cbxBitsPerValue->addItem(QString::number(bits), bits);
  cbxBitsPerValue->setCurrentIndex(cbxBitsPerValue->findData(currentBits));
  label->setBuddy(cbxBitsPerValue);
  layout->addWidget(label, 0, 0);
  layout->addWidget(cbxBitsPerValue, 0, 1);

  const TButtonRow buttons = MakeButtonRow(this, 0, "btnOK", tr("OK"), tr("Cancel"));
  btnOK = buttons.Default;
  btnCancel = buttons.Cancel;
  layout->addWidget(buttons.Panel, 1, 0, 1, 2);

  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  setFixedSize(sizeHint().expandedTo(QSize(260, 0)));
}

int TfrmSetBitsPerValue::Value(int current) const {
  const int index = cbxBitsPerValue->currentIndex();
  return index < 0 ? current : cbxBitsPerValue->itemData(index).toInt();
}

}  // namespace vorn::ui
