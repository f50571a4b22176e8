// The progress window and its remaining-time estimate.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>

#include "ui/ProgressDlg.h"
#include "ui/TimeEstimate.h"

namespace vorn::ui {
namespace {

constexpr double kSecond = 1.0 / 86400.0;
constexpr double kStart = 45000.0;

TEST(RemainingTimeText, SecondsMinutesAndHoursByWholeUnits) {
  EXPECT_EQ(RemainingTimeText(0), "0 seconds remaining");
  EXPECT_EQ(RemainingTimeText(59), "59 seconds remaining");
  EXPECT_EQ(RemainingTimeText(60), "1 minutes remaining");
  EXPECT_EQ(RemainingTimeText(119), "1 minutes remaining");
  EXPECT_EQ(RemainingTimeText(10799), "179 minutes remaining");
  EXPECT_EQ(RemainingTimeText(10800), "3 hours remaining");
  EXPECT_EQ(RemainingTimeText(14399), "3 hours remaining");
  EXPECT_EQ(RemainingTimeText(-4), "-4 seconds remaining");
}

TEST(TimeEstimator, WaitsForMoreThanThreeSecondsOfProgress) {
  TTimeEstimator estimator;
  EXPECT_FALSE(estimator.Update(10.0, kStart).HasText);
  EXPECT_FALSE(estimator.Update(15.0, kStart + 2 * kSecond).HasText);
  EXPECT_FALSE(estimator.Update(18.0, kStart + 2.5 * kSecond).HasText) << "not yet 3 s";

  const TTimeEstimate estimate = estimator.Update(20.0, kStart + 4 * kSecond);
  ASSERT_TRUE(estimate.HasText);
  // 10 % in 4 s leaves 80 % for 32 s.
  EXPECT_EQ(estimate.Text, "32 seconds remaining");
  EXPECT_FALSE(estimate.HideTime);
}

TEST(TimeEstimator, UsesTheSpeedOfTheLastIntervalOnly) {
  TTimeEstimator estimator;
  estimator.Update(10.0, kStart);
  ASSERT_TRUE(estimator.Update(20.0, kStart + 4 * kSecond).HasText);
  // The next interval starts at 20 % and 4 s: 5 % in 10 s leaves 75 % for 150 s.
  EXPECT_FALSE(estimator.Update(22.0, kStart + 6 * kSecond).HasText);
  const TTimeEstimate slower = estimator.Update(25.0, kStart + 14 * kSecond);
  ASSERT_TRUE(slower.HasText);
  EXPECT_EQ(slower.Text, "2 minutes remaining");
}

TEST(TimeEstimator, NoProgressGivesNoEstimateAndGoingBackHidesTheTime) {
  TTimeEstimator estimator;
  estimator.Update(50.0, kStart);
  EXPECT_FALSE(estimator.Update(50.0, kStart + 10 * kSecond).HasText);
  const TTimeEstimate back = estimator.Update(40.0, kStart + 20 * kSecond);
  ASSERT_TRUE(back.HasText);
  EXPECT_TRUE(back.HideTime);
}

TEST(TimeEstimator, HoursForSlowWork) {
  TTimeEstimator estimator;
  estimator.Update(1.0, kStart);
  // 1 % per 200 s leaves 98 % for 19,600 s, 5 hours.
  EXPECT_EQ(estimator.Update(2.0, kStart + 200 * kSecond).Text, "5 hours remaining");
}

class TProgressTest : public ::testing::Test {
 protected:
  double Now = kStart;
  QWidget Owner;
  TfrmProgress Progress{&Owner, [this] { return Now; }};
};

TEST_F(TProgressTest, StartsEmptyWithCancelOnly) {
  EXPECT_EQ(Progress.windowTitle(), "Processing...");
  EXPECT_EQ(Progress.lblText->text(), "");
  EXPECT_EQ(Progress.lblTime->text(), "");
  EXPECT_EQ(Progress.ProgressBar->minimum(), 0);
  EXPECT_EQ(Progress.ProgressBar->maximum(), 100);
  EXPECT_EQ(Progress.btnCancel->text(), "Cancel");
  EXPECT_TRUE(Progress.btnMinimize->isHidden());
  EXPECT_TRUE(Progress.ShowTime());
  EXPECT_FALSE(Progress.windowFlags() & Qt::WindowCloseButtonHint);
}

TEST_F(TProgressTest, TheBarTakesTheWholePercentAndTheLabelTheEstimate) {
  Progress.show();
  Progress.SetPosition(12.9);
  EXPECT_EQ(Progress.ProgressBar->value(), 12);
  EXPECT_DOUBLE_EQ(Progress.Position(), 12.9);
  Now += 4 * kSecond;
  Progress.SetPosition(22.9);
  EXPECT_EQ(Progress.ProgressBar->value(), 22);
  EXPECT_EQ(Progress.lblTime->text(), "31 seconds remaining");
}

TEST_F(TProgressTest, WithoutShowTimeNoEstimateIsMade) {
  Progress.show();
  Progress.SetShowTime(false);
  EXPECT_TRUE(Progress.lblTime->isHidden());
  Progress.SetPosition(10.0);
  Now += 10 * kSecond;
  Progress.SetPosition(50.0);
  EXPECT_EQ(Progress.lblTime->text(), "");
}

TEST_F(TProgressTest, ShowingDisablesTheOtherWindowsAndHidingEnablesThem) {
  Owner.show();
  QWidget alreadyDisabled;
  alreadyDisabled.setEnabled(false);
  alreadyDisabled.show();

  Progress.show();
  EXPECT_FALSE(Owner.isEnabled());
  EXPECT_TRUE(Progress.isEnabled());
  EXPECT_TRUE(Progress.btnCancel->isEnabled());
  Progress.hide();
  EXPECT_TRUE(Owner.isEnabled());
  EXPECT_FALSE(alreadyDisabled.isEnabled()) << "only the windows it disabled are enabled again";
}

TEST_F(TProgressTest, FreeingTheShownWindowEnablesTheOthers) {
  Owner.show();
  {
    TfrmProgress inner(&Owner, [this] { return Now; });
    inner.show();
    EXPECT_FALSE(Owner.isEnabled());
  }
  EXPECT_TRUE(Owner.isEnabled());
}

TEST_F(TProgressTest, CancelAndClosingSetCancelledAndShowingClearsIt) {
  Progress.show();
  EXPECT_FALSE(Progress.IsCancelled());
  Progress.btnCancel->click();
  EXPECT_TRUE(Progress.IsCancelled());

  Progress.show();
  Progress.hide();
  Progress.show();
  EXPECT_FALSE(Progress.IsCancelled());
  Progress.close();
  EXPECT_TRUE(Progress.isHidden());
  EXPECT_TRUE(Progress.IsCancelled());
}

}  // namespace
}  // namespace vorn::ui
