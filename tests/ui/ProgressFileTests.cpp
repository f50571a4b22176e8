// The progress window of a batch: the file being converted, and an estimate from the speed
// since the start, which holds steady when one file goes faster than the others.

#include <QApplication>
#include <QLabel>
#include <QToolButton>
#include <filesystem>

#include "tests/ui/UiTestSupport.h"
#include "ui/ProgressDlg.h"
#include "ui/TimeEstimate.h"

namespace vorn::ui::test {
namespace {

constexpr double kStart = 45000.0;
constexpr double kSecond = 1.0 / 86400.0;

// A tenth of the batch takes five seconds, the next four: the averaged estimate keeps the
// speed of both, the interval one takes the faster part's alone.
TEST(AveragedTimeEstimator, KeepsTheSpeedSinceTheStart) {
  const struct {
    bool Averaged;
    const char* AfterTheSecond;
    const char* AfterTheThird;
  } cases[] = {
      {true, "40 seconds remaining", "32 seconds remaining"},
      {false, "40 seconds remaining", "28 seconds remaining"},
  };
  for (const auto& estimatorCase : cases) {
    TTimeEstimator estimator;
    estimator.SetAveraged(estimatorCase.Averaged);
    EXPECT_FALSE(estimator.Update(10.0, kStart).HasText);
    EXPECT_EQ(estimator.Update(20.0, kStart + 5 * kSecond).Text, estimatorCase.AfterTheSecond);
    EXPECT_EQ(estimator.Update(30.0, kStart + 9 * kSecond).Text, estimatorCase.AfterTheThird)
        << (estimatorCase.Averaged ? "averaged" : "interval");
  }
}

TEST(AveragedTimeEstimator, GivesAnEstimateAtEveryFileOnceTheFirstIntervalIsOver) {
  TTimeEstimator estimator;
  estimator.SetAveraged(true);
  estimator.Update(10.0, kStart);
  EXPECT_TRUE(estimator.Update(20.0, kStart + 4 * kSecond).HasText);
  // Two seconds later: the interval estimator would wait for more than three.
  EXPECT_EQ(estimator.Update(30.0, kStart + 6 * kSecond).Text, "21 seconds remaining");
}

TEST_F(TMainWindowTest, TheProgressWindowNamesTheFileBeingConverted) {
  const std::string out = Temp.Path() + "/out";
  std::filesystem::create_directory(out);
  Window->AddFiles({Cube("first.cube"), Unknown("skip.txt"), Cube("second.cube")});
  Window->show();
  std::vector<std::string> shown;
  Window->SetClock([&] {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      auto* progress = qobject_cast<TfrmProgress*>(window);
      if (progress != nullptr && progress->isVisible() && !progress->lblFile->isHidden()) {
        shown.push_back(progress->lblFile->text().toStdString());
      }
    }
    return kStart;
  });
  QueueConversion(Dialogs, "Cube 3D Davinci", out);
  Window->btnConvert->click();
  EXPECT_EQ(shown, (std::vector<std::string>{"Converting first.cube (1 of 2)",
                                             "Converting second.cube (2 of 2)"}));
}

}  // namespace
}  // namespace vorn::ui::test
