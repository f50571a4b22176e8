#include "ui/LossReportForm.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/QtOwned.h"
#include "ui/QtText.h"

namespace vorn::ui {

TfrmLossReport::TfrmLossReport(QWidget* owner, const std::string& report) : QDialog(owner) {
  setObjectName("frmLossReport");
  setWindowTitle("Conversion Loss");

  auto* layout = MakeChild<QVBoxLayout>(this);
  layout->setContentsMargins(18, 16, 18, 14);
  layout->setSpacing(10);
  lblExplanation = MakeChild<QLabel>(
      this, QStringLiteral("Each converted file was read back and compared with its source. "
                           "Differences are in 10-bit codes; dE00 is the CIEDE2000 colour "
                           "difference, reading the values as sRGB."));
  lblExplanation->setObjectName("lblExplanation");
  lblExplanation->setWordWrap(true);
  layout->addWidget(lblExplanation);

  mmReport = MakeChild<QPlainTextEdit>(this);
  mmReport->setObjectName("mmReport");
  mmReport->setReadOnly(true);
  mmReport->setLineWrapMode(QPlainTextEdit::NoWrap);
  mmReport->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  mmReport->setPlainText(ToQt(report));
  mmReport->setMinimumSize(640, 180);
  layout->addWidget(mmReport, 1);

  auto* buttons = MakeChild<QWidget>(this);
  auto* buttonLayout = MakeChild<QHBoxLayout>(buttons);
  buttonLayout->setContentsMargins(0, 0, 0, 0);
  buttonLayout->addStretch(1);
  btnCopy = MakeChild<QPushButton>(buttons, QStringLiteral("Copy"));
  btnCopy->setObjectName("btnCopy");
  btnOK = MakeChild<QPushButton>(buttons, QStringLiteral("OK"));
  btnOK->setObjectName("btnOK");
  btnOK->setDefault(true);
  buttonLayout->addWidget(btnCopy);
  buttonLayout->addWidget(btnOK);
  layout->addWidget(buttons);

  connect(btnCopy, &QPushButton::clicked, this,
          [this] { QGuiApplication::clipboard()->setText(mmReport->toPlainText()); });
  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace vorn::ui
