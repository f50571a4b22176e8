#include "ui/LossReportForm.h"

#include <QClipboard>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>

#include "platform/Files.h"
#include "ui/QtOwned.h"
#include "ui/QtText.h"

namespace vorn::ui {

namespace {

constexpr std::size_t kNumberWidth = 10;

std::string Padded(std::string text, std::size_t width, bool right) {
  if (text.size() < width) text.insert(right ? 0 : text.size(), width - text.size(), ' ');
  return text;
}

std::string Fixed(double value, int decimals) {
  char text[64];
  auto [end, ec] =
      std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  return Padded(std::string(text, end), kNumberWidth, true);
}

}  // namespace

std::string LossReportText(const std::string& outputFolder,
                           const std::vector<TLossReportEntry>& entries) {
  const std::string fileHeading = FromQt(Translated("File"));
  std::size_t nameWidth = fileHeading.size();
  for (const TLossReportEntry& entry : entries) {
    nameWidth = std::max(nameWidth, entry.FileName.size());
  }
  nameWidth += 2;
  std::string text = FromQt(Translated("Written to %1").arg(ToQt(outputFolder))) + "\n\n";
  text += Padded("", nameWidth, false) + Padded("in 10-bit codes", 3 * kNumberWidth, false) +
          Padded("CIEDE2000", kNumberWidth + 2, true) + "\n";
  text += Padded(fileHeading, nameWidth, false) + Padded("largest", kNumberWidth, true) +
          Padded("99th pct", kNumberWidth, true) + Padded("mean", kNumberWidth, true) +
          Padded("largest", kNumberWidth + 2, true) + "\n";
  for (const TLossReportEntry& entry : entries) {
    text += Padded(entry.FileName, nameWidth, false);
    const TConversionLoss& loss = entry.Loss;
    if (!loss.ReadBack) {
      text += loss.Problem + "\n";
      continue;
    }
    const TDifferenceStats& overall = loss.Comparison.Overall;
    text += Fixed(overall.Max * kTenBitTop, 3) + Fixed(overall.P99 * kTenBitTop, 3) +
            Fixed(overall.Mean * kTenBitTop, 3) + "  " + Fixed(loss.Comparison.DeltaE.Max, 4) +
            "\n";
  }
  return text;
}

std::string ConversionNotesText(const std::vector<TConversionNote>& notes) {
  std::string text =
      FromQt(Translated("The converted files lost what the output format cannot hold:")) + "\n";
  for (const TConversionNote& note : notes) {
    text += ExtractFileName(note.File) + ": " + note.Message + "\n";
  }
  return text;
}

namespace {

QPlainTextEdit* MakeReportBox(QWidget* owner, const char* name, const std::string& text) {
  auto* box = MakeChild<QPlainTextEdit>(owner);
  box->setObjectName(name);
  box->setReadOnly(true);
  box->setLineWrapMode(QPlainTextEdit::NoWrap);
  box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  box->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  box->setPlainText(ToQt(text));
  return box;
}

}  // namespace

std::string FailedListText(const TBatchSummary& summary) {
  std::string text;
  for (const std::string& line : summary.Failed) text += line + "\n";
  return text;
}

TfrmLossReport::TfrmLossReport(QWidget* owner, const std::string& report)
    : TfrmLossReport(owner, TBatchSummary{}, report) {}

TfrmLossReport::TfrmLossReport(QWidget* owner, const TBatchSummary& summary,
                               const std::string& report)
    : QDialog(owner) {
  setObjectName("frmLossReport");
  setWindowTitle(report.empty() ? tr("Conversion Summary") : tr("Conversion Loss"));
  auto* layout = MakeChild<QVBoxLayout>(this);
  layout->setContentsMargins(18, 16, 18, 14);
  layout->setSpacing(10);
  BuildSummary(summary);
  BuildReport(report);
  BuildButtons();
}

void TfrmLossReport::BuildSummary(const TBatchSummary& summary) {
  auto* layout = static_cast<QVBoxLayout*>(this->layout());
  lblSummary = MakeChild<QLabel>(this, ToQt(summary.Line));
  lblSummary->setObjectName("lblSummary");
  lblSummary->setWordWrap(true);
  lblSummary->setVisible(!summary.Line.empty());
  layout->addWidget(lblSummary);
  mmFailed = MakeReportBox(this, "mmFailed", FailedListText(summary));
  mmFailed->setMinimumSize(620, 90);
  mmFailed->setVisible(!summary.Failed.empty());
  layout->addWidget(mmFailed);
}

void TfrmLossReport::BuildReport(const std::string& report) {
  auto* layout = static_cast<QVBoxLayout*>(this->layout());
  lblExplanation = MakeChild<QLabel>(
      this, tr("Each converted file was read back and compared with its source at "
               "the nodes of both and between them. Differences of the output "
               "values are in 10-bit codes (0 to 1023); the colour difference "
               "(CIEDE2000) reads the values as sRGB."));
  lblExplanation->setObjectName("lblExplanation");
  lblExplanation->setWordWrap(true);
  layout->addWidget(lblExplanation);
  mmReport = MakeReportBox(this, "mmReport", report);
  mmReport->setMinimumSize(620, 200);
  layout->addWidget(mmReport, 1);
  lblExplanation->setVisible(!report.empty());
  mmReport->setVisible(!report.empty());
}

void TfrmLossReport::BuildButtons() {
  auto* layout = static_cast<QVBoxLayout*>(this->layout());
  auto* buttons = MakeChild<QWidget>(this);
  auto* buttonLayout = MakeChild<QHBoxLayout>(buttons);
  buttonLayout->setContentsMargins(0, 0, 0, 0);
  buttonLayout->addStretch(1);
  btnCopyList = MakeChild<QPushButton>(buttons, tr("Copy list"));
  btnCopyList->setObjectName("btnCopyList");
  btnCopyList->setVisible(!mmFailed->isHidden());
  buttonLayout->addWidget(btnCopyList);
  btnCopy = MakeChild<QPushButton>(buttons, tr("Copy"));
  btnCopy->setObjectName("btnCopy");
  btnOK = MakeChild<QPushButton>(buttons, tr("OK"));
  btnOK->setObjectName("btnOK");
  btnOK->setDefault(true);
  btnCopy->setVisible(!mmReport->isHidden());
  buttonLayout->addWidget(btnCopy);
  buttonLayout->addWidget(btnOK);
  layout->addWidget(buttons);

  connect(btnCopyList, &QPushButton::clicked, this,
          [this] { QGuiApplication::clipboard()->setText(mmFailed->toPlainText()); });
  connect(btnCopy, &QPushButton::clicked, this,
          [this] { QGuiApplication::clipboard()->setText(mmReport->toPlainText()); });
  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace vorn::ui
