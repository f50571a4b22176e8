// Whole batches through the real window: Convert, the dialog, the overwrite question, the
// progress window with its Cancel, files that fail and the summary at the end, outputs of
// one name, and the folder tree kept.

#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>

#include "core/Conversion.h"
#include "core/LUTFormat.h"
#include "imaging/LutComparison.h"
#include "platform/Files.h"
#include "tests/support/MixedLutFolder.h"
#include "tests/support/TestSupport.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/ConvertForm.h"
#include "ui/LossReportForm.h"
#include "ui/ProgressDlg.h"

namespace vorn::ui::test {
namespace {

using TKind = TScriptedDialogs::TKind;
const char* const kDavinci = "Cube 3D Davinci";

TfrmProgress* ShownProgress() {
  for (QWidget* window : QApplication::topLevelWidgets()) {
    if (auto* progress = qobject_cast<TfrmProgress*>(window); progress && progress->isVisible()) {
      return progress;
    }
  }
  return nullptr;
}

class TBatchTest : public TMainWindowTest {
 protected:
  TBatchTest() : Output(Temp.Path() + "/out") {
    std::filesystem::create_directory(Output);
    Window->show();
    // Each call of the clock is one checked row reaching its SetPosition.
    Window->SetClock([this] {
      ++ClockCalls;
      if (OnRow) OnRow(ClockCalls);
      return 45000.0 + ClockCalls / 86400.0;
    });
  }

  std::string OutputFile(const std::string& name) const { return Output + "/" + name; }
  int GridSizeOf(const std::string& path) {
    TLUT lut;
    LoadLut(path, lut);
    EXPECT_NE(lut.FormatIndex, -1) << path;
    return lut.Size3D;
  }
  void Convert(const std::string& size = {}) {
    QueueConversion(Dialogs, kDavinci, Output, size);
    Window->btnConvert->click();
  }
  std::string Question(const std::string& destination) const {
    return "The file " + destination + " already exists. Overwrite it?";
  }
  // What the end-of-batch dialog showed: its summary line and its list of failed files.
  struct TShownSummary {
    std::string Line;
    std::string Failed;
    bool Shown = false;
  };
  void QueueSummary(TShownSummary& shown) {
    Dialogs.ModalScripts.push_back([&shown](QDialog& dialog) {
      auto& summary = dynamic_cast<TfrmLossReport&>(dialog);
      EXPECT_EQ(ShownProgress(), nullptr) << "the progress window is gone first";
      shown.Shown = true;
      shown.Line = summary.lblSummary->text().toStdString();
      if (!summary.mmFailed->isHidden()) {
        shown.Failed = summary.mmFailed->toPlainText().toStdString();
      }
      summary.btnOK->click();
      return true;
    });
  }

  std::string Output;
  int ClockCalls = 0;
  std::function<void(int)> OnRow;
};

TEST_F(TBatchTest, ConvertsEveryCheckedRowIntoTheOutputFolder) {
  Window->AddFiles({Cube("a.cube"), Unknown("b.txt"), Cube("c.cube"), Cube("d.cube")});
  Window->Files().SetChecked(2, false);
  OnRow = [this](int) {
    TfrmProgress* progress = ShownProgress();
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->windowTitle(), "Converting...");
    EXPECT_EQ(progress->lblText->text(), "The checked files are being converted. Please wait...");
    EXPECT_FALSE(Window->isEnabled()) << "the main window waits while the batch runs";
  };
  Convert();

  EXPECT_EQ(ClockCalls, 2);
  EXPECT_EQ(GridSizeOf(OutputFile("a.cube")), 33);
  EXPECT_EQ(GridSizeOf(OutputFile("d.cube")), 33);
  EXPECT_FALSE(FileExists(OutputFile("c.cube")));
  EXPECT_FALSE(FileExists(OutputFile("b.cube")));
  EXPECT_TRUE(Window->isEnabled());
  EXPECT_EQ(ShownProgress(), nullptr);
  EXPECT_TRUE(Dialogs.Messages.empty());
  EXPECT_EQ(Window->Folders().Output, Output);
}

TEST_F(TBatchTest, TheTypedSizeIsUsed) {
  Window->AddFiles({Cube("a.cube")});
  Convert("5");
  EXPECT_EQ(GridSizeOf(OutputFile("a.cube")), 5);
}

TEST_F(TBatchTest, TheBarCountsEveryRowCheckedOrNot) {
  Window->AddFiles({Cube("a.cube"), Cube("b.cube"), Cube("c.cube"), Cube("d.cube")});
  Window->miUncheckAll->trigger();
  Window->Files().SetChecked(3, true);
  std::vector<int> bar;
  OnRow = [&bar](int) { bar.push_back(ShownProgress()->ProgressBar->value()); };
  Convert();
  EXPECT_EQ(bar, std::vector<int>{100});
  EXPECT_TRUE(FileExists(OutputFile("d.cube")));
}

TEST_F(TBatchTest, OverwritingIsAskedAndYesNoAndCancelAreHonoured) {
  Window->AddFiles({Cube("a.cube"), Cube("b.cube"), Cube("c.cube"), Cube("d.cube")});
  for (const char* name : {"a.cube", "b.cube", "c.cube"}) {
    WriteWholeFile(OutputFile(name), "old");
  }
  Dialogs.YesNoCancelAnswers = {TAnswer::Yes, TAnswer::No, TAnswer::Cancel};
  Convert();

  EXPECT_EQ(
      Messages(TKind::YesNoCancel),
      (std::vector<std::string>{Question(OutputFile("a.cube")), Question(OutputFile("b.cube")),
                                Question(OutputFile("c.cube"))}));
  EXPECT_EQ(GridSizeOf(OutputFile("a.cube")), 33);
  EXPECT_EQ(vorn::test::ReadFile(OutputFile("b.cube")), "old");
  EXPECT_EQ(vorn::test::ReadFile(OutputFile("c.cube")), "old");
  EXPECT_FALSE(FileExists(OutputFile("d.cube"))) << "Cancel ends the batch";
  EXPECT_TRUE(Messages(TKind::Error).empty());
  EXPECT_TRUE(Window->isEnabled());
}

TEST_F(TBatchTest, ConvertingIntoTheSourceFolderAsksAboutTheSourceAndReadsItFirst) {
  const std::string source = Cube("self.cube", {"kept"}, true);
  Window->AddFiles({source});
  Dialogs.YesNoCancelAnswers = {TAnswer::Yes};
  QueueConversion(Dialogs, kDavinci, Temp.Path());
  Window->btnConvert->click();

  EXPECT_EQ(Messages(TKind::YesNoCancel), std::vector<std::string>{Question(source)});
  TLUT lut;
  LoadLut(source, lut);
  EXPECT_EQ(lut.Size3D, 33);
  const TRGB black = lut.GetNode(0, 0, 0);
  EXPECT_DOUBLE_EQ(black.R, 1.0) << "the grid was sampled from the inverting source";
}

TEST_F(TBatchTest, CancelInTheProgressWindowStopsBeforeTheNextFile) {
  Window->AddFiles({Cube("a.cube"), Cube("b.cube"), Cube("c.cube")});
  OnRow = [](int call) {
    if (call == 2) ShownProgress()->btnCancel->click();
  };
  Convert();

  EXPECT_TRUE(FileExists(OutputFile("a.cube")));
  EXPECT_FALSE(FileExists(OutputFile("b.cube")));
  EXPECT_FALSE(FileExists(OutputFile("c.cube")));
  EXPECT_EQ(ClockCalls, 2);
  EXPECT_TRUE(Window->isEnabled());
  EXPECT_TRUE(Dialogs.Messages.empty());
}

// Only IsCancelled handles pending events: a click queued while the second file starts is
// seen there, before that file is converted.
TEST_F(TBatchTest, AQueuedCancelIsHandledBetweenFiles) {
  Window->AddFiles({Cube("a.cube"), Cube("b.cube"), Cube("c.cube")});
  OnRow = [](int call) {
    if (call != 2) return;
    TfrmProgress* progress = ShownProgress();
    ASSERT_NE(progress, nullptr);
    QMetaObject::invokeMethod(progress->btnCancel, &QPushButton::click, Qt::QueuedConnection);
    EXPECT_FALSE(progress->Cancelled()) << "not yet handled";
  };
  Convert();

  EXPECT_TRUE(FileExists(OutputFile("a.cube")));
  EXPECT_FALSE(FileExists(OutputFile("b.cube")));
  EXPECT_FALSE(FileExists(OutputFile("c.cube")));
  EXPECT_EQ(ClockCalls, 2);
  EXPECT_TRUE(Window->isEnabled());
}

// Each row's depth goes with its own load.
TEST_F(TBatchTest, RowDepthsTravelWithTheirLoads) {
  Window->AddFiles({Cube("a.cube"), Cube("b.cube")});
  Window->Files().SetInputBits(0, 12);
  Window->Files().SetInputBits(1, 10);
  Convert();

  EXPECT_TRUE(FileExists(OutputFile("a.cube")));
  EXPECT_TRUE(FileExists(OutputFile("b.cube")));
}

// A 3dl file does not state the depth of its codes: the row's bits per color decide how it
// previews and converts. This identity is written in 12-bit codes, which the estimate reads
// as 14-bit ones, a quarter of the brightness.
TEST_F(TBatchTest, BitsPerColorChangeHowA3dlFilePreviewsAndConverts) {
  std::string identity = "0 1023\n";
  for (int r = 0; r < 2; ++r)
    for (int g = 0; g < 2; ++g)
      for (int b = 0; b < 2; ++b)
        identity += std::to_string(4095 * r) + " " + std::to_string(4095 * g) + " " +
                    std::to_string(4095 * b) + "\n";
  Window->AddFiles({Temp.Write("id.3dl", identity)});
  Window->SelectRow(0);
  const TBitmap24& ungraded = Window->UngradedPicture();
  auto gradedIs = [&](double scale) {
    const TBitmap24& graded = Window->LutAppliedPicture();
    for (int y = 0; y < graded.Height(); y += 3) {
      for (int x = 0; x < graded.Width() * 3; x += 2) {
        const double expected = ungraded.ScanLine(y)[x] * scale;
        if (std::abs(graded.ScanLine(y)[x] - expected) > 0.5 + 1e-9) return false;
      }
    }
    return true;
  };
  EXPECT_TRUE(gradedIs(4095.0 / 16383));
  Dialogs.ModalScripts.push_back(ChooseBits("Default", "12", true));
  Window->miSetBitsPerValue->trigger();
  EXPECT_TRUE(gradedIs(1.0));
  EXPECT_EQ(MemoLines(), (std::vector<std::string>{"Type: 3D", "Dimension: 2"}));

  Convert();
  TLUT converted;
  LoadLut(OutputFile("id.cube"), converted);
  EXPECT_EQ(converted.GetNode(32, 32, 32), (TRGB{1, 1, 1}));
  EXPECT_EQ(converted.GetNode(32, 0, 16), (TRGB{1, 0, 0.5}));
}

TEST_F(TBatchTest, TheOverwriteQuestionComesBeforeTheBarMoves) {
  Window->AddFiles({Cube("a.cube"), Cube("b.cube")});
  WriteWholeFile(OutputFile("b.cube"), "old");
  Dialogs.YesNoCancelAnswers = {TAnswer::Yes};
  std::vector<std::size_t> asked;
  OnRow = [&](int) { asked.push_back(Messages(TKind::YesNoCancel).size()); };
  Convert();

  EXPECT_EQ(asked, (std::vector<std::size_t>{0, 1})) << "b was asked about before its SetPosition";
  EXPECT_EQ(GridSizeOf(OutputFile("b.cube")), 33);
}

TEST_F(TBatchTest, ClosingTheProgressWindowCancelsToo) {
  Window->AddFiles({Cube("a.cube"), Cube("b.cube")});
  OnRow = [](int call) {
    if (call == 1) ShownProgress()->close();
  };
  Convert();
  EXPECT_FALSE(FileExists(OutputFile("a.cube")));
  EXPECT_FALSE(FileExists(OutputFile("b.cube")));
  EXPECT_TRUE(Window->isEnabled());
}

TEST_F(TBatchTest, AFailedFileIsListedWithItsMessageAndTheBatchGoesOn) {
  const std::string broken = Cube("b.cube");
  Window->AddFiles({Cube("a.cube"), broken, Cube("c.cube")});
  WriteWholeFile(broken, IncompleteCubeText());
  QueueConversion(Dialogs, kDavinci, Output);
  TShownSummary summary;
  QueueSummary(summary);
  Window->btnConvert->click();

  EXPECT_TRUE(Messages(TKind::Error).empty());
  EXPECT_EQ(summary.Line, "Converted 2 files, 1 failed, 0 skipped, 0 unclaimed.");
  EXPECT_NE(summary.Failed.find("Incomplete file."), std::string::npos) << summary.Failed;
  EXPECT_NE(summary.Failed.find(broken), std::string::npos) << summary.Failed;
  EXPECT_TRUE(FileExists(OutputFile("a.cube")));
  EXPECT_FALSE(FileExists(OutputFile("b.cube")));
  EXPECT_TRUE(FileExists(OutputFile("c.cube")));
  EXPECT_TRUE(Window->isEnabled());
  EXPECT_EQ(ShownProgress(), nullptr);
}

TEST_F(TBatchTest, AFileNoFormatClaimsAnyMoreIsReportedNotConverted) {
  const std::string changed = Cube("changed.cube");
  Window->AddFiles({changed});
  WriteWholeFile(changed, "no longer a LUT\n");
  Convert();

  const std::vector<std::string> errors = Messages(TKind::Error);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(changed), std::string::npos) << errors[0];
  EXPECT_FALSE(FileExists(OutputFile("changed.cube")));
}

TEST_F(TBatchTest, ASourceDeletedAfterItWasAddedIsReportedByName) {
  const std::string gone = Cube("gone.cube");
  Window->AddFiles({Cube("a.cube"), gone});
  std::filesystem::remove(gone);
  QueueConversion(Dialogs, kDavinci, Output);
  TShownSummary summary;
  QueueSummary(summary);
  Window->btnConvert->click();
  EXPECT_TRUE(Messages(TKind::Error).empty());
  EXPECT_EQ(std::count(summary.Failed.begin(), summary.Failed.end(), '\n'), 1) << summary.Failed;
  EXPECT_NE(summary.Failed.find(gone), std::string::npos) << summary.Failed;
  EXPECT_NE(summary.Failed.find("No such file or directory"), std::string::npos) << summary.Failed;
  EXPECT_TRUE(FileExists(OutputFile("a.cube")));
}

TEST_F(TBatchTest, ASourceChangedIntoAnotherFormatIsReadAsWhatItIsNow) {
  const std::string changed = Cube("changed.cube");
  Window->AddFiles({changed});
  WriteWholeFile(changed,
                 "# Truelight Cube v2.0\n# iDims     3\n# oDims     3\n# width     2 2 2\n\n"
                 "# Cube\n1 1 1\n0 1 1\n1 0 1\n0 0 1\n1 1 0\n0 1 0\n1 0 0\n0 0 0\n# end\n");
  Convert("2");
  EXPECT_TRUE(Messages(TKind::Error).empty());
  TLUT lut;
  LoadLut(OutputFile("changed.cube"), lut);
  ASSERT_EQ(lut.Size3D, 2);
  EXPECT_EQ(lut.GetNode(0, 0, 0), (TRGB{1, 1, 1})) << "the inverting Truelight grid was read";
}

TEST_F(TBatchTest, TwoFilesWithOneOutputNameAreRefusedBeforeAnythingIsWritten) {
  std::filesystem::create_directory(Temp.File("x"));
  std::filesystem::create_directory(Temp.File("y"));
  const std::string x = Cube("x/l.cube");
  const std::string y = Cube("y/l.cube", {}, true);
  Window->AddFiles({Cube("a.cube"), x, y});
  Convert();
  EXPECT_TRUE(Messages(TKind::YesNoCancel).empty()) << "no file was asked about";
  EXPECT_EQ(Messages(TKind::Warning),
            std::vector<std::string>{"Files of this batch would overwrite each other's output; "
                                     "nothing was converted:\n  " +
                                     x + ", " + y + " -> " + OutputFile("l.cube")});
  EXPECT_TRUE(std::filesystem::is_empty(Output));
  EXPECT_EQ(ClockCalls, 0);
}

TEST_F(TBatchTest, AnOutputThatLinksToAPipeIsRefusedAfterTheQuestion) {
  const std::string pipe = Temp.File("pipe");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  ASSERT_EQ(::symlink(pipe.c_str(), OutputFile("a.cube").c_str()), 0);
  Window->AddFiles({Cube("a.cube")});
  Dialogs.YesNoCancelAnswers = {TAnswer::Yes};
  Convert();
  const std::vector<std::string> errors = Messages(TKind::Error);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("which is a named pipe, not a regular file"), std::string::npos)
      << errors[0];
  EXPECT_TRUE(std::filesystem::is_fifo(pipe));
}

TEST_F(TBatchTest, ASizeBelowTwoIsRefusedBeforeAnythingIsWritten) {
  Window->AddFiles({Cube("a.cube")});
  QueueConversion(Dialogs, kDavinci, Output, "1");
  Window->btnConvert->click();
  EXPECT_EQ(Messages(TKind::Error), std::vector<std::string>{kSizeTooSmall});
  EXPECT_EQ(ClockCalls, 0);
  EXPECT_FALSE(FileExists(OutputFile("a.cube")));
}

TEST_F(TBatchTest, CancellingTheDialogConvertsNothing) {
  Window->AddFiles({Cube("a.cube")});
  Dialogs.ModalScripts.push_back([](QDialog& dialog) {
    dialog.reject();
    return false;
  });
  Window->btnConvert->click();
  EXPECT_EQ(ClockCalls, 0);
  EXPECT_TRUE(std::filesystem::is_empty(Output));
}

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream stream(line);
  for (std::string word; stream >> word;) words.push_back(word);
  return words;
}

// A 3-node grid of (r^2, g, b / 2): a 2-node grid misses its red curve by 1/4 at r = 1/2.
std::string BentRedCube() {
  std::string text = "LUT_3D_SIZE 3\n";
  for (int i = 0; i < 27; ++i) {
    const double r = (i % 3) / 2.0;
    const double g = (i / 3 % 3) / 2.0;
    const double b = (i / 9) / 2.0;
    text += std::to_string(r * r) + " " + std::to_string(g) + " " + std::to_string(b / 2) + "\n";
  }
  return text;
}

TEST_F(TBatchTest, TheLossSummaryFollowsABatchOnlyWhenAskedFor) {
  const std::string bent = Temp.Write("bent.cube", BentRedCube());
  Window->AddFiles({bent, Cube("plain.cube")});
  Convert("2");
  EXPECT_TRUE(Dialogs.ModalScripts.empty());
  EXPECT_TRUE(Dialogs.Unanswered.empty()) << "no summary without the check box";

  Dialogs.YesNoCancelAnswers = {TAnswer::Yes, TAnswer::Yes};
  QueueConversion(Dialogs, kDavinci, Output, "2", true);
  std::string report;
  Dialogs.ModalScripts.push_back([&](QDialog& shown) {
    auto& summary = dynamic_cast<TfrmLossReport&>(shown);
    EXPECT_EQ(summary.windowTitle(), "Conversion Loss");
    EXPECT_TRUE(summary.mmReport->isReadOnly());
    EXPECT_EQ(ShownProgress(), nullptr) << "the progress window is gone first";
    report = summary.mmReport->toPlainText().toStdString();
    summary.btnCopy->click();
    summary.btnOK->click();
    return summary.result() == QDialog::Accepted;
  });
  Window->btnConvert->click();

  const std::vector<std::string> lines = Lines(QString::fromStdString(report));
  ASSERT_EQ(lines.size(), 7u) << report;
  EXPECT_EQ(lines[6], "") << "the text ends with a line break";
  EXPECT_EQ(lines[0], "Written to " + Output);
  const std::vector<std::string> bentRow = Words(lines[4]);
  ASSERT_EQ(bentRow.size(), 5u) << lines[4];
  EXPECT_EQ(bentRow[0], "bent.cube");
  EXPECT_EQ(bentRow[1], "255.750");
  EXPECT_EQ(Words(lines[5]),
            (std::vector<std::string>{"plain.cube", "0.000", "0.000", "0.000", "0.0000"}));
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), report);
  EXPECT_TRUE(Window->isEnabled());
}

// What a conversion drops is said in one warning box after the batch, one line a loss;
// files that lose nothing are not named.
TEST_F(TBatchTest, TheLossesOfTheConversionAreWarnedAboutAfterTheBatch) {
  const std::string bent = Temp.Write("bent.cube", BentRedCube());
  const std::string wide = Temp.Write(
      "wide.cube", "LUT_3D_SIZE 2\n-0.1 0 0\n1 0 0\n0 1 0\n1 1 0\n0 0 1\n1 0 1\n0 1 1\n2 1 1\n");
  Window->AddFiles({bent, wide});
  QueueConversion(Dialogs, "3DL Fusion", Output);
  Window->btnConvert->click();

  EXPECT_TRUE(Messages(TKind::Error).empty());
  EXPECT_EQ(
      Messages(TKind::Warning),
      std::vector<std::string>{"The converted files lost what the output format cannot hold:\n"
                               "wide.cube: values from -0.1 to 2 are clamped to [0, 1]\n"});
  EXPECT_TRUE(FileExists(OutputFile("bent.3dl")));

  Convert("2");
  EXPECT_EQ(Messages(TKind::Warning).back(),
            "The converted files lost what the output format cannot hold:\n"
            "bent.cube: the grid is resampled from 3 to 2 nodes per axis\n");
}

std::map<std::string, std::string> Contents(const std::string& folder) {
  std::map<std::string, std::string> contents;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    contents[entry.path().filename()] = vorn::test::ReadFile(entry.path());
  }
  return contents;
}

// The window converts on every core: it writes the files and the loss summary of one job.
TEST_F(TBatchTest, ABatchOnEveryCoreWritesAndReportsWhatOneJobDoes) {
  std::vector<std::string> sources = {Temp.Write("bent.cube", BentRedCube())};
  for (int i = 0; i < 9; ++i) sources.push_back(Cube(std::to_string(i) + ".cube", {}, i % 2));
  Window->AddFiles(sources);

  const std::string oneJobFolder = Temp.File("one-job");
  std::filesystem::create_directory(oneJobFolder);
  const TLutOutputProfile& profile = vorn::test::ProfileNamed(kDavinci);
  std::vector<TBatchFile> batch;
  for (const std::string& source : sources) batch.push_back({source});
  std::vector<TLossReportEntry> oneJobLosses;
  TBatchCallbacks callbacks;
  callbacks.Finished = [&](std::size_t position, const std::string& destination, bool) {
    oneJobLosses.push_back(
        {ExtractFileName(sources[position]),
         MeasureConversionLoss(sources[position], -1, destination, WrittenBitDepth(profile, -1))});
  };
  TBatchSettings settings{&profile, 2, -1, oneJobFolder};
  settings.Jobs = 1;
  ConvertBatch(batch, settings, callbacks);

  QueueConversion(Dialogs, kDavinci, Output, "2", true);
  std::string report;
  Dialogs.ModalScripts.push_back([&](QDialog& shown) {
    report = dynamic_cast<TfrmLossReport&>(shown).mmReport->toPlainText().toStdString();
    return true;
  });
  Window->btnConvert->click();

  EXPECT_TRUE(Messages(TKind::Error).empty());
  EXPECT_EQ(report, LossReportText(Output, oneJobLosses));
  EXPECT_EQ(Contents(Output), Contents(oneJobFolder));
  EXPECT_EQ(Contents(Output).size(), sources.size());
}

TEST(LossReportText, AlignsTheFiguresAndSaysWhyAFileWasNotCompared) {
  TConversionLoss measured;
  measured.ReadBack = true;
  measured.Comparison.Overall = {0.5 / 1023, 0.25 / 1023, 0.4 / 1023, {}};
  measured.Comparison.DeltaE.Max = 0.12345;
  TConversionLoss unread;
  unread.Problem = "not compared: no format reads the written file back";
  EXPECT_EQ(LossReportText("/out", {{"a-long-name.cube", measured}, {"b.txt", unread}}),
            "Written to /out\n"
            "\n"
            "                  in 10-bit codes                  CIEDE2000\n"
            "File                 largest  99th pct      mean     largest\n"
            "a-long-name.cube       0.500     0.400     0.250      0.1235\n"
            "b.txt             not compared: no format reads the written file back\n");
}

}  // namespace
}  // namespace vorn::ui::test

namespace vorn::ui::test {
namespace {

// Every entry below root by its relative path, with a file's bytes ("/" for a folder).
std::map<std::string, std::string> Tree(const std::string& root) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    const std::string relative = std::filesystem::relative(entry.path(), root).string();
    entries[relative] = entry.is_directory() ? "/" : vorn::test::ReadFile(entry.path());
  }
  return entries;
}

class TBatchFolderTest : public TBatchTest {
 protected:
  TBatchFolderTest() : Folder(vorn::test::WriteMixedFolder(Temp, "luts")) {}
  std::string Folder;
};

TEST_F(TBatchFolderTest, AMixedFolderConvertsItsLutsAndSumsUpWhatFailed) {
  Window->AddDroppedPaths({Folder});
  QueueConversion(Dialogs, kDavinci, Output);
  TShownSummary summary;
  QueueSummary(summary);
  QGuiApplication::clipboard()->clear();
  Dialogs.ModalScripts.back() = [&summary](QDialog& dialog) {
    auto& shown = dynamic_cast<TfrmLossReport&>(dialog);
    summary.Line = shown.lblSummary->text().toStdString();
    summary.Failed = shown.mmFailed->toPlainText().toStdString();
    EXPECT_FALSE(shown.btnCopyList->isHidden());
    EXPECT_TRUE(shown.mmReport->isHidden()) << "no loss report was asked for";
    shown.btnCopyList->click();
    return true;
  };
  Window->btnConvert->click();

  std::string failed;
  std::map<std::string, std::string> written;
  for (const vorn::test::TFolderEntry& entry : vorn::test::MixedFolderEntries()) {
    if (entry.Role == vorn::test::TBatchRole::Fails) {
      failed += Folder + "/" + entry.Name + ": " + entry.Reason + "\n";
    }
    if (entry.Role == vorn::test::TBatchRole::Converts) {
      written[ChangeFileExt(ExtractFileName(entry.Name), ".cube")];
    }
  }
  EXPECT_EQ(summary.Line, "Converted 5 files, 2 failed, 0 skipped, 7 unclaimed.");
  EXPECT_EQ(summary.Failed, failed);
  EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), failed);
  std::map<std::string, std::string> names;
  for (const auto& [name, content] : Tree(Output)) names[name];
  EXPECT_EQ(names, written);
  EXPECT_TRUE(Messages(TKind::Error).empty());
}

TEST_F(TBatchFolderTest, KeepingTheFolderTreeWritesWhatVornLutKeepTreeWrites) {
  Window->AddDroppedPaths({Folder});
  QueueConversion(Dialogs, kDavinci, Output, {}, false, true);
  TShownSummary summary;
  QueueSummary(summary);
  Window->btnConvert->click();
  EXPECT_TRUE(std::filesystem::is_directory(OutputFile("looks/night")));

  const std::string cliOutput = Temp.File("cli-out");
  std::filesystem::create_directory(cliOutput);
  QProcess cli;
  cli.start(QStringLiteral(VORN_CLI_PATH),
            {"convert", "--profile", kDavinci, "--keep-tree", "--output-dir",
             QString::fromStdString(cliOutput), QString::fromStdString(Folder)});
  ASSERT_TRUE(cli.waitForFinished(60000));
  EXPECT_EQ(cli.exitCode(), 1) << "the failing files fail there too";
  EXPECT_EQ(Tree(Output), Tree(cliOutput));
}

TEST_F(TBatchFolderTest, OutputsOfOneNameAreRefusedOrSetApartByTheTree) {
  std::filesystem::create_directories(Temp.File("shots/day"));
  std::filesystem::create_directories(Temp.File("shots/night"));
  const std::string day = Cube("shots/day/x.cube");
  const std::string night = Cube("shots/night/x.cube", {}, true);
  const std::string question =
      "Files of this batch would overwrite each other's output; nothing was converted:\n  " + day +
      ", " + night + " -> " + OutputFile("x.cube") +
      "\n\nKeep the folder tree instead? Each file then goes into the subfolder it has below "
      "the folder it was added with.";
  for (bool keep : {false, true}) {
    SCOPED_TRACE(keep ? "keeping the tree" : "refusing");
    Window->miClearList->trigger();
    std::filesystem::remove_all(Output);
    std::filesystem::create_directory(Output);
    Dialogs.Messages.clear();
    Window->AddDroppedPaths({Temp.File("shots")});
    Dialogs.YesNoAnswers = {keep};
    Convert();
    EXPECT_EQ(Messages(TKind::YesNo), std::vector<std::string>{question});
    std::map<std::string, std::string> expected;
    if (keep) {
      expected = {{"day", "/"}, {"night", "/"}};
      expected["day/x.cube"] = vorn::test::ReadFile(OutputFile("day/x.cube"));
      expected["night/x.cube"] = vorn::test::ReadFile(OutputFile("night/x.cube"));
      EXPECT_EQ(GridSizeOf(OutputFile("night/x.cube")), 33);
    }
    EXPECT_EQ(Tree(Output), expected);
  }
}

TEST_F(TBatchTest, YesToAllAndNoToAllAnswerTheRestOfTheBatch) {
  struct TCase {
    TAnswer First;
    const char* KeptOld;  // which existing outputs keep their content
    std::vector<std::string> Asked;
  };
  const std::vector<TCase> cases = {
      {TAnswer::YesToAll, "", {"a.cube"}},
      {TAnswer::NoToAll, "abc", {"a.cube"}},
      {TAnswer::Yes, "bc", {"a.cube", "b.cube"}},  // the second answered Cancel
  };
  Window->AddFiles({Cube("a.cube"), Cube("b.cube"), Cube("c.cube")});
  for (const TCase& item : cases) {
    Dialogs.Messages.clear();
    for (const char* name : {"a.cube", "b.cube", "c.cube"}) {
      WriteWholeFile(OutputFile(name), "old");
    }
    Dialogs.YesNoCancelAnswers = {item.First, TAnswer::Cancel};
    Convert();
    std::vector<std::string> asked;
    for (const std::string& name : item.Asked) asked.push_back(Question(OutputFile(name)));
    EXPECT_EQ(Messages(TKind::YesNoCancel), asked);
    for (const char name : std::string("abc")) {
      const std::string path = OutputFile(std::string(1, name) + ".cube");
      const bool kept = std::string(item.KeptOld).find(name) != std::string::npos;
      EXPECT_EQ(vorn::test::ReadFile(path) == "old", kept) << path;
    }
    Dialogs.YesNoCancelAnswers.clear();
  }
}

}  // namespace
}  // namespace vorn::ui::test
