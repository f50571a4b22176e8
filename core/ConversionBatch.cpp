// ConvertBatch: files are read, resampled and written on worker threads side by side, and
// reported on the calling thread in list order. A file is written only once every earlier
// file has been read (its turn), so that with FailFast a file that fails to load ends the
// batch before anything after it is written; without it a failed file passes its turn on.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <limits>
#include <mutex>
#include <optional>
#include <system_error>

#include "core/Conversion.h"
#include "platform/Files.h"
#include "platform/WorkerPool.h"

namespace vorn {

namespace {

constexpr auto kWaitingInterval = std::chrono::milliseconds(50);
constexpr std::size_t kNoFailure = std::numeric_limits<std::size_t>::max();

// Taken: its destination (or a companion) was created by someone else meanwhile.
enum class TFileState { Converting, Written, Declined, Skipped, NotWritten, Taken, Failed };

// One checked file from the moment the batch takes it until it is reported.
struct TFileWork {
  std::size_t Position = 0;
  // Its place among the files handed to workers: they take their turns in this order.
  std::size_t Turn = 0;
  std::string Destination;
  // Replace when the user allowed replacing what is at the destination.
  TWriteMode Mode = TWriteMode::CreateNew;
  // Set by the worker, under the batch's mutex.
  TFileState State = TFileState::Converting;
  std::string TakenPath;  // the name found taken
  TLoadReport Report;
  std::vector<TConversionNote> Notes;  // set by the worker before its state
  std::exception_ptr Error;
};

class TBatchRun {
 public:
  TBatchRun(const std::vector<TBatchFile>& files, const TBatchSettings& settings,
            const TBatchCallbacks& callbacks);
  TBatchResult Run();

 private:
  // On the calling thread.
  void TakeFile(std::size_t position);
  bool Stopped();
  void Hand(std::size_t position, const std::string& destination, TWriteMode mode);
  void ReportReady();
  void ReportFirst();
  void ReportAll();
  void ReportThrough(const std::string& destination);
  void WaitUntilDone(const TFileWork& work);
  void Report(const TFileWork& work);
  bool ReportTaken(const TFileWork& work);
  void ReportFailed(std::size_t position, std::exception_ptr error);
  void RefuseFile(std::size_t position, const std::string& destination);
  // On a worker (or the calling thread with one job).
  void Convert(TFileWork& work, std::stop_token stop);
  bool TakeTurn(std::size_t turn, std::stop_token stop);
  TReplaceQuestion CompanionQuestion(bool& declined) const;
  void Finish(TFileWork& work, TFileState state, TLoadReport report, std::exception_ptr error);

  const std::vector<TBatchFile>& Files_;
  const TBatchSettings& Settings_;
  const TBatchCallbacks& Callbacks_;
  std::size_t Window_ = 1;  // files taken but not yet reported, at most
  TBatchResult Result_;
  std::exception_ptr Failure_;  // the first failed file's error, once it is reached
  std::size_t FailedPosition_ = 0;
  std::size_t NextTurn_ = 0;

  std::mutex Mutex_;
  std::condition_variable Done_;           // a file's state left Converting
  std::condition_variable_any Turn_;       // PreparedThrough_ or FirstFailure_ changed
  std::size_t PreparedThrough_ = 0;        // every turn below it was read without error
  std::size_t FirstFailure_ = kNoFailure;  // the lowest turn that failed
  std::deque<TFileWork> Taken_;            // in list order; elements stay where they are
  std::optional<TWorkerPool> Pool_;        // last: stopped and joined before the rest goes
};

bool WritesCompanion(const TLutOutputProfile& profile) {
  const TLUTFormat* format = GetFormat(profile.FormatIndex);
  return format != nullptr && format->WritesCompanion();
}

TBatchRun::TBatchRun(const std::vector<TBatchFile>& files, const TBatchSettings& settings,
                     const TBatchCallbacks& callbacks)
    : Files_(files), Settings_(settings), Callbacks_(callbacks) {
  const int jobs = WritesCompanion(*settings.Profile) ? 1 : ResolveJobs(settings.Jobs);
  if (jobs <= 1) return;
  try {
    Pool_.emplace(jobs);
    Window_ = 2 * static_cast<std::size_t>(Pool_->ThreadCount());
  } catch (const std::system_error&) {
    Pool_.reset();  // no thread to be had: the calling thread converts, as with one job
  }
}

TBatchResult TBatchRun::Run() {
  for (std::size_t i = 0; i < Files_.size() && !Stopped(); ++i) {
    if (Files_[i].Checked) TakeFile(i);
  }
  ReportAll();
  if (Failure_) {
    if (Callbacks_.Failed) Callbacks_.Failed(FailedPosition_, Failure_);
    std::rethrow_exception(Failure_);
  }
  return Result_;
}

void TBatchRun::TakeFile(std::size_t position) {
  const std::string destination = BatchDestination(Files_[position], Settings_);
  // With one job this file would see what an earlier one wrote there.
  ReportThrough(destination);
  if (Stopped()) return;
  // Without the question existing files are replaced.
  TWriteMode mode = Callbacks_.AskOverwrite ? TWriteMode::CreateNew : TWriteMode::Replace;
  if (Callbacks_.AskOverwrite && EntryExists(destination)) {
    if (!Callbacks_.AskOverwriteEarly) {
      ReportAll();
      if (Stopped()) return;
    }
    TOverwriteAnswer answer = TOverwriteAnswer::Cancel;
    try {
      answer = Callbacks_.AskOverwrite(destination);
    } catch (...) {
      if (Settings_.FailFast) throw;
      return RefuseFile(position, destination);
    }
    switch (answer) {
      case TOverwriteAnswer::Yes:
        mode = TWriteMode::Replace;
        break;
      case TOverwriteAnswer::No:
        Taken_.push_back({position, 0, destination, mode, TFileState::Skipped, {}, {}, {}});
        ReportReady();
        return;
      case TOverwriteAnswer::Cancel:
        Result_.Cancelled = true;
        return;
    }
  }
  while (Taken_.size() >= Window_) ReportFirst();
  if (Stopped()) return;
  const double percent =
      static_cast<double>(position + 1) * 100.0 / static_cast<double>(Files_.size());
  if (Callbacks_.Progress && !Callbacks_.Progress(position, percent)) {
    Result_.Cancelled = true;
    return;
  }
  Hand(position, destination, mode);
  ReportReady();
}

bool TBatchRun::Stopped() {
  if (Result_.Cancelled || Failure_) return true;
  const std::lock_guard lock(Mutex_);
  return FirstFailure_ != kNoFailure;
}

void TBatchRun::Hand(std::size_t position, const std::string& destination, TWriteMode mode) {
  TFileWork& work = Taken_.emplace_back();
  work.Position = position;
  work.Turn = NextTurn_++;
  work.Destination = destination;
  work.Mode = mode;
  if (!Pool_) return Convert(work, {});
  Pool_->Run([this, &work](std::stop_token stop) { Convert(work, stop); });
}

// The question refused the destination by raising: the file fails without being read.
void TBatchRun::RefuseFile(std::size_t position, const std::string& destination) {
  TFileWork& work = Taken_.emplace_back();
  work.Position = position;
  work.Destination = destination;
  work.State = TFileState::Failed;
  work.Error = std::current_exception();
  ReportReady();
}

void TBatchRun::ReportReady() {
  while (!Taken_.empty()) {
    {
      const std::lock_guard lock(Mutex_);
      if (Taken_.front().State == TFileState::Converting) return;
    }
    Report(Taken_.front());
    Taken_.pop_front();
  }
}

void TBatchRun::ReportFirst() {
  WaitUntilDone(Taken_.front());
  Report(Taken_.front());
  Taken_.pop_front();
}

void TBatchRun::ReportAll() {
  while (!Taken_.empty()) ReportFirst();
}

void TBatchRun::ReportThrough(const std::string& destination) {
  auto writesThere = [&](const TFileWork& work) { return work.Destination == destination; };
  while (std::any_of(Taken_.begin(), Taken_.end(), writesThere)) ReportFirst();
}

void TBatchRun::WaitUntilDone(const TFileWork& work) {
  std::unique_lock lock(Mutex_);
  auto done = [&] { return work.State != TFileState::Converting; };
  while (!Done_.wait_for(lock, kWaitingInterval, done)) {
    if (!Callbacks_.Waiting) continue;
    lock.unlock();
    if (!Callbacks_.Waiting()) Result_.Cancelled = true;
    lock.lock();
  }
}

// After a failure only files written anyway (after an error of writing or of AfterWrite)
// are reported.
void TBatchRun::Report(const TFileWork& work) {
  const bool converted = work.State == TFileState::Written;
  if (work.State == TFileState::Taken && !ReportTaken(work)) return;
  switch (work.State) {
    case TFileState::Failed:
      if (!Settings_.FailFast) {
        if (!Failure_) ReportFailed(work.Position, work.Error);
      } else if (!Failure_) {
        Failure_ = work.Error;
        FailedPosition_ = work.Position;
      }
      return;
    case TFileState::Converting:
    case TFileState::NotWritten:
      return;
    case TFileState::Written:
    case TFileState::Declined:
    case TFileState::Skipped:
    case TFileState::Taken:
      break;
  }
  if (Failure_ && !converted) return;
  ++(converted ? Result_.Converted : Result_.Skipped);
  if (Callbacks_.Warning) {
    for (const TLoadWarning& warning : work.Report.Warnings) {
      Callbacks_.Warning(work.Position, warning);
    }
  }
  if (Callbacks_.Note && converted) {
    for (const TConversionNote& note : work.Notes) Callbacks_.Note(work.Position, note);
  }
  if (Callbacks_.Finished) Callbacks_.Finished(work.Position, work.Destination, converted);
}

void TBatchRun::Convert(TFileWork& work, std::stop_token stop) {
  const TBatchFile& file = Files_[work.Position];
  TFileState state = TFileState::NotWritten;
  TLoadReport report;
  std::exception_ptr error;
  bool turnTaken = false;
  try {
    TPreparedConversion prepared =
        PrepareConversion(file.Path, work.Destination, -1, *Settings_.Profile, Settings_.Size,
                          file.InputBits, Settings_.Strict, file.Member);
    report = std::move(prepared.Report);
    work.Notes = std::move(prepared.Notes);
    turnTaken = true;
    if (TakeTurn(work.Turn, stop)) {
      if (!file.Subfolder.empty()) MakeFoldersBelow(Settings_.OutputFolder, file.Subfolder);
      bool declined = false;
      WritePreparedConversion(prepared, work.Destination, *Settings_.Profile, Settings_.Bits,
                              CompanionQuestion(declined), work.Mode);
      prepared.Lut.reset();
      state = declined ? TFileState::Declined : TFileState::Written;
      if (!declined && Callbacks_.AfterWrite)
        Callbacks_.AfterWrite(work.Position, work.Destination);
    }
  } catch (const EFileExists& taken) {
    state = TFileState::Taken;
    work.TakenPath = taken.Path();
  } catch (Exception& failure) {
    failure.NoteFile(file.Path);
    state = TFileState::Failed;
    error = std::current_exception();
  } catch (...) {
    state = TFileState::Failed;
    error = std::current_exception();
  }
  // The later files wait for this one's turn whether it was read or not.
  if (state == TFileState::Failed && !turnTaken && !Settings_.FailFast) TakeTurn(work.Turn, stop);
  Finish(work, state, std::move(report), std::move(error));
}

// A name taken by someone else is asked about as an existing destination is; only a No
// lets the file be reported, as skipped.
bool TBatchRun::ReportTaken(const TFileWork& work) {
  if (Failure_ || Result_.Cancelled) return false;
  try {
    switch (Callbacks_.AskOverwrite(work.TakenPath)) {
      case TOverwriteAnswer::No:
        return true;
      case TOverwriteAnswer::Cancel:
        Result_.Cancelled = true;
        return false;
      case TOverwriteAnswer::Yes:
        throw EFileExists(work.TakenPath);
    }
  } catch (...) {
    if (!Settings_.FailFast) {
      ReportFailed(work.Position, std::current_exception());
    } else {
      Failure_ = std::current_exception();
      FailedPosition_ = work.Position;
    }
  }
  return false;
}

void TBatchRun::ReportFailed(std::size_t position, std::exception_ptr error) {
  ++Result_.Failed;
  if (Callbacks_.Failed) Callbacks_.Failed(position, error);
}

// Waits until every earlier file was read without error and passes the turn on; false when
// the file is not to be written (an earlier file failed, or the pool is stopping).
bool TBatchRun::TakeTurn(std::size_t turn, std::stop_token stop) {
  {
    std::unique_lock lock(Mutex_);
    auto decided = [&] { return PreparedThrough_ == turn || FirstFailure_ < turn; };
    Turn_.wait(lock, stop, decided);
    if (stop.stop_requested() || PreparedThrough_ != turn || FirstFailure_ < turn) return false;
    PreparedThrough_ = turn + 1;
  }
  Turn_.notify_all();
  return true;
}

// Only a batch that runs on the calling thread asks (see TBatchSettings::Jobs); a worker's
// writer is given no question and refuses to replace a companion file.
TReplaceQuestion TBatchRun::CompanionQuestion(bool& declined) const {
  if (Pool_ || !Callbacks_.AskReplaceCompanion) return {};
  return [this, &declined](const std::string& companion) {
    declined = !Callbacks_.AskReplaceCompanion(companion);
    return !declined;
  };
}

void TBatchRun::Finish(TFileWork& work, TFileState state, TLoadReport report,
                       std::exception_ptr error) {
  {
    const std::lock_guard lock(Mutex_);
    if (state == TFileState::Failed && Settings_.FailFast) {
      FirstFailure_ = std::min(FirstFailure_, work.Turn);
    }
    work.Report = std::move(report);
    work.Error = std::move(error);
    work.State = state;
  }
  Turn_.notify_all();
  Done_.notify_all();
}

}  // namespace

TBatchResult ConvertBatch(const std::vector<TBatchFile>& files, const TBatchSettings& settings,
                          const TBatchCallbacks& callbacks) {
  if (settings.Profile == nullptr) throw Exception("No output format is chosen.");
  if (settings.RefuseCollisions) {
    std::vector<TOutputCollision> collisions = FindOutputCollisions(files, settings);
    if (!collisions.empty()) throw EOutputCollision(std::move(collisions));
  }
  return TBatchRun(files, settings, callbacks).Run();
}

}  // namespace vorn
