// The progress window and its remaining-time estimate.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QWidget>
#include <QWindow>
#include <cmath>

#include "ui/ProgressDlg.h"
#include "ui/TimeEstimate.h"

namespace vorn::ui {
namespace {

constexpr double kSecond = 1.0 / 86400.0;
constexpr double kStart = 45000.0;

TEST(RemainingTimeText, SecondsMinutesAndHoursByWholeUnits) {
  EXPECT_EQ(RemainingTimeText(0), "0 seconds remaining");
  EXPECT_EQ(RemainingTimeText(59), "59 seconds remaining");
  EXPECT_EQ(RemainingTimeText(60), "1 minute remaining");
  EXPECT_EQ(RemainingTimeText(119), "1 minute remaining");
  EXPECT_EQ(RemainingTimeText(1), "1 second remaining");
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

// 2^-14 days (about 5.27 s) is exact in binary, so these estimates land exactly on a half.
TEST(TimeEstimator, AnEstimateOnAHalfSecondRoundsToTheEvenNeighbour) {
  const double later = kStart + std::ldexp(1.0, -14);
  TTimeEstimator even;
  even.Update(0.5, kStart);
  EXPECT_EQ(even.Update(68.0, later).Text, "2 seconds remaining") << "2.5 s";
  TTimeEstimator odd;
  odd.Update(11.0, kStart);
  EXPECT_EQ(odd.Update(36.0, later).Text, "14 seconds remaining") << "13.5 s";
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
}

TEST_F(TProgressTest, TheWindowSystemGetsNeitherCloseBoxNorSystemMenu) {
  Progress.show();
  ASSERT_NE(Progress.windowHandle(), nullptr);
  const Qt::WindowFlags shown = Progress.windowHandle()->flags();
  EXPECT_FALSE(shown & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(shown & Qt::WindowSystemMenuHint);
  EXPECT_TRUE(shown & Qt::WindowTitleHint);
  EXPECT_FALSE(Progress.isModal()) << "the batch runs while it shows";
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

TEST_F(TProgressTest, GoingBackHidesTheTimeInTheWindow) {
  Progress.show();
  Progress.SetPosition(50.0);
  Now += 10 * kSecond;
  Progress.SetPosition(40.0);
  EXPECT_FALSE(Progress.ShowTime());
  EXPECT_TRUE(Progress.lblTime->isHidden());

  Now += 10 * kSecond;
  Progress.SetPosition(60.0);
  EXPECT_EQ(Progress.ProgressBar->value(), 60);
  EXPECT_EQ(Progress.lblTime->text(), "-60 seconds remaining") << "no estimate once hidden";
}

TEST_F(TProgressTest, ShowingAgainStartsPositionAndEstimateAfresh) {
  Progress.show();
  Progress.SetPosition(40.7);
  Now += 10 * kSecond;
  Progress.hide();
  Progress.ProgressBar->setValue(0);

  Progress.show();
  EXPECT_DOUBLE_EQ(Progress.Position(), 0.0);
  Progress.SetPosition(40.2);
  EXPECT_EQ(Progress.ProgressBar->value(), 40) << "the last whole percent was cleared";
  EXPECT_EQ(Progress.lblTime->text(), "") << "a new interval starts at the new show";
  Now += 4 * kSecond;
  Progress.SetPosition(50.2);
  // 10 % in 4 s leaves 49.8 % for 19.92 s.
  EXPECT_EQ(Progress.lblTime->text(), "20 seconds remaining");
}

TEST_F(TProgressTest, MinimisingAndRestoringNeitherEnablesTheOwnerNorClearsCancel) {
  Owner.show();
  Progress.show();
  Progress.SetPosition(30.0);
  Progress.btnCancel->click();

  Progress.setWindowState(Qt::WindowMinimized);
  EXPECT_FALSE(Owner.isEnabled()) << "minimised, the work still runs";
  Progress.setWindowState(Qt::WindowNoState);
  EXPECT_FALSE(Owner.isEnabled());
  EXPECT_TRUE(Progress.Cancelled());
  EXPECT_DOUBLE_EQ(Progress.Position(), 30.0);

  Progress.hide();
  EXPECT_TRUE(Owner.isEnabled());
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
