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
  std::size_t nameWidth = 4;  // "File"
  for (const TLossReportEntry& entry : entries) {
    nameWidth = std::max(nameWidth, entry.FileName.size());
  }
  nameWidth += 2;
  std::string text = "Written to " + outputFolder + "\n\n";
  text += Padded("", nameWidth, false) + Padded("in 10-bit codes", 3 * kNumberWidth, false) +
          Padded("CIEDE2000", kNumberWidth + 2, true) + "\n";
  text += Padded("File", nameWidth, false) + Padded("largest", kNumberWidth, true) +
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
  std::string text = "The converted files lost what the output format cannot hold:\n";
  for (const TConversionNote& note : notes) {
    text += ExtractFileName(note.File) + ": " + note.Message + "\n";
  }
  return text;
}

TfrmLossReport::TfrmLossReport(QWidget* owner, const std::string& report) : QDialog(owner) {
  setObjectName("frmLossReport");
  setWindowTitle("Conversion Loss");

  auto* layout = MakeChild<QVBoxLayout>(this);
  layout->setContentsMargins(18, 16, 18, 14);
  layout->setSpacing(10);
  lblExplanation = MakeChild<QLabel>(
      this, QStringLiteral("Each converted file was read back and compared with its source at "
                           "the nodes of both and between them. Differences of the output "
                           "values are in 10-bit codes (0 to 1023); the colour difference "
                           "(CIEDE2000) reads the values as sRGB."));
  lblExplanation->setObjectName("lblExplanation");
  lblExplanation->setWordWrap(true);
  layout->addWidget(lblExplanation);

  mmReport = MakeChild<QPlainTextEdit>(this);
  mmReport->setObjectName("mmReport");
  mmReport->setReadOnly(true);
  mmReport->setLineWrapMode(QPlainTextEdit::NoWrap);
  mmReport->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  mmReport->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  mmReport->setPlainText(ToQt(report));
  mmReport->setMinimumSize(620, 200);
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
