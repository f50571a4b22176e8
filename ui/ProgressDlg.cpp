#include "ui/ProgressDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "ui/QtOwned.h"
#include "ui/QtText.h"

namespace vorn::ui {

TfrmProgress::TfrmProgress(QWidget* owner, TClock clock)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      Owner_(owner),
      Clock_(std::move(clock)) {
  setObjectName("frmProgress");
  setWindowTitle(tr("Processing..."));
  setModal(false);

  auto* layout = MakeChild<QVBoxLayout>(this);
  layout->setContentsMargins(18, 16, 18, 14);
  layout->setSpacing(10);

  lblText = MakeChild<QLabel>(this, QString());
  lblText->setObjectName("lblText");
  lblText->setWordWrap(true);
  layout->addWidget(lblText);
  lblFile = MakeChild<QLabel>(this, QString());
  lblFile->setObjectName("lblFile");
  lblFile->setVisible(false);
  layout->addWidget(lblFile);

  ProgressBar = MakeChild<QProgressBar>(this);
  ProgressBar->setObjectName("ProgressBar");
  ProgressBar->setRange(0, 100);
  ProgressBar->setValue(0);
  ProgressBar->setTextVisible(true);
  layout->addWidget(ProgressBar);

  auto* bottom = MakeChild<QWidget>(this);
  auto* bottomLayout = MakeChild<QHBoxLayout>(bottom);
  bottomLayout->setContentsMargins(0, 0, 0, 0);
  lblTime = MakeChild<QLabel>(bottom, QString());
  lblTime->setObjectName("lblTime");
  bottomLayout->addWidget(lblTime, 1);
  btnMinimize = MakeChild<QPushButton>(bottom, tr("Minimize"));
  btnMinimize->setObjectName("btnMinimize");
  btnMinimize->setVisible(false);
  bottomLayout->addWidget(btnMinimize);
  btnCancel = MakeChild<QPushButton>(bottom, tr("Cancel"));
  btnCancel->setObjectName("btnCancel");
  bottomLayout->addWidget(btnCancel);
  layout->addWidget(bottom);

  connect(btnCancel, &QPushButton::clicked, this, [this] { Cancelled_ = true; });
  setFixedSize(420, sizeHint().height());
}

TfrmProgress::~TfrmProgress() {
  EnableDisabledWindows();
}

void TfrmProgress::SetText(const QString& text) {
  lblText->setText(text);
}

void TfrmProgress::SetCurrentFile(const QString& name, int number, int count) {
  constexpr auto kFileNameInterval = std::chrono::milliseconds(40);
  const auto now = std::chrono::steady_clock::now();
  if (number != 1 && number != count && now - FileShownAt_ < kFileNameInterval) return;
  FileShownAt_ = now;
  // The name is elided in the middle: the end tells files of one batch apart.
  const QString shown =
      lblFile->fontMetrics().elidedText(name, Qt::ElideMiddle, width() - 2 * 18 - 120);
  lblFile->setText(tr("Converting %1 (%2 of %3)").arg(shown).arg(number).arg(count));
  lblFile->setVisible(true);
}

void TfrmProgress::SetPosition(double percent) {
  Position_ = percent;
  const int whole = static_cast<int>(std::trunc(percent));
  if (whole != LastWholePercent_) {
    ProgressBar->setValue(whole);
    LastWholePercent_ = whole;
  }
  if (ShowTime_) UpdateTimeEstimate();
}

bool TfrmProgress::IsCancelled() {
  QCoreApplication::processEvents();
  return Cancelled_;
}

void TfrmProgress::UpdateTimeEstimate() {
  const TTimeEstimate estimate = Estimator_.Update(Position_, Clock_());
  if (!estimate.HasText) return;
  if (estimate.HideTime) SetShowTime(false);
  lblTime->setText(ToQt(estimate.Text));
}

void TfrmProgress::SetShowTime(bool show) {
  ShowTime_ = show;
  lblTime->setVisible(show);
}

void TfrmProgress::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) StartShowing();
  QDialog::showEvent(event);
}

void TfrmProgress::hideEvent(QHideEvent* event) {
  QDialog::hideEvent(event);
  if (!event->spontaneous()) EnableDisabledWindows();
}

void TfrmProgress::closeEvent(QCloseEvent* event) {
  Cancelled_ = true;
  event->accept();
}

void TfrmProgress::keyPressEvent(QKeyEvent* event) {
  // Escape would close the dialog without a word; it counts as Cancel.
  if (event->key() == Qt::Key_Escape) {
    Cancelled_ = true;
    return;
  }
  QDialog::keyPressEvent(event);
}

void TfrmProgress::StartShowing() {
  Cancelled_ = false;
  LastWholePercent_ = 0;
  Position_ = 0.0;
  Estimator_.Reset();
  if (Owner_ != nullptr) {
    QRect frame = rect();
    frame.moveCenter(Owner_->frameGeometry().center());
    move(frame.topLeft());
  }
  DisableOtherWindows();
}

void TfrmProgress::DisableOtherWindows() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (window == this || !window->isVisible() || !window->isEnabled()) continue;
    window->setEnabled(false);
    DisabledWindows_.emplace_back(window);
  }
}

void TfrmProgress::EnableDisabledWindows() {
  for (const QPointer<QWidget>& window : DisabledWindows_) {
    if (window != nullptr) window->setEnabled(true);
  }
  DisabledWindows_.clear();
}

}  // namespace vorn::ui
