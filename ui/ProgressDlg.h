#pragma once
// The progress window of long work: a bar, a remaining-time estimate and Cancel. While it
// is shown every other window of the application is disabled; pending events are handled
// only when the work asks IsCancelled.

#include <QDialog>
#include <QPointer>
#include <chrono>
#include <vector>

#include "ui/TimeEstimate.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace vorn::ui {

class TfrmProgress : public QDialog {
  Q_OBJECT
 public:
  // owner: the window to centre on; the dialog is a window of its own, so that disabling
  // the owner does not disable it as well.
  TfrmProgress(QWidget* owner, TClock clock);
  ~TfrmProgress() override;

  void SetText(const QString& text);
  // "Converting NAME (NUMBER of COUNT)" under the text: the first and the last file always,
  // those between at most 25 times a second (a batch of small files names thousands).
  void SetCurrentFile(const QString& name, int number, int count);
  // The estimate from the speed since the start rather than the last interval.
  void SetAveragedEstimate(bool averaged) { Estimator_.SetAveraged(averaged); }
  void SetPosition(double percent);
  bool IsCancelled();
  void UpdateTimeEstimate();

  bool ShowTime() const { return ShowTime_; }
  void SetShowTime(bool show);

  bool Cancelled() const { return Cancelled_; }
  double Position() const { return Position_; }

  QLabel* lblText = nullptr;
  QLabel* lblFile = nullptr;
  QProgressBar* ProgressBar = nullptr;
  QLabel* lblTime = nullptr;
  QPushButton* btnCancel = nullptr;
  QPushButton* btnMinimize = nullptr;

 protected:
  // Minimising and restoring arrive as spontaneous hide and show events; they neither end
  // nor restart the work, so only our own show() and hide() count.
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void StartShowing();
  void DisableOtherWindows();
  void EnableDisabledWindows();

  QPointer<QWidget> Owner_;
  TClock Clock_;
  std::vector<QPointer<QWidget>> DisabledWindows_;
  bool Cancelled_ = false;
  int LastWholePercent_ = 0;
  std::chrono::steady_clock::time_point FileShownAt_;
  double Position_ = 0.0;
  bool ShowTime_ = true;
  TTimeEstimator Estimator_;
};

}  // namespace vorn::ui
