// ConvertBatch: files are read, resampled and written on worker threads side by side, and
// reported on the calling thread in list order. A file is written only once every earlier
// file has been read (its turn), so that with FailFast a file that fails to load ends the
// batch before anything after it is written; without it a failed file passes its turn on.
//
// The calling thread hands files over in a window of several per worker and sleeps until
// about half of the window is done, so that it wakes once per many files rather than once
// per file. A worker that has read a file before its turn parks it (a few at most, so that
// memory stays flat) and reads the next; the parked file is written by whichever worker is
// free once its turn comes, so the workers seldom sleep waiting for each other.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <limits>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "core/Conversion.h"
#include "platform/Files.h"
#include "platform/WorkerPool.h"

namespace vorn {

namespace {

constexpr auto kWaitingInterval = std::chrono::milliseconds(50);
constexpr std::size_t kNoTurn = std::numeric_limits<std::size_t>::max();
// Files handed over but not yet reported, per worker: the window starts narrow (a short
// batch, or one cancelled early, starts few files ahead) and widens each time it fills.
constexpr std::size_t kFirstWindowPerWorker = 2;
constexpr std::size_t kWindowPerWorker = 16;
// Files read ahead of their turn and waiting to be written, per worker.
constexpr std::size_t kParkedPerWorker = 1;

// Taken: its destination (or a companion) was created by someone else meanwhile.
enum class TFileState { Converting, Written, Declined, Skipped, NotWritten, Taken, Failed };

enum class TTurn { Taken, Parked, Refused };

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
  // Read before its turn, waiting to be written.
  std::optional<TPreparedConversion> Parked;
};

class TBatchRun {
 public:
  TBatchRun(const std::vector<TBatchFile>& files, const TBatchSettings& settings,
            const TBatchCallbacks& callbacks, std::vector<char> destinationExisted);
  TBatchResult Run();

 private:
  // On the calling thread.
  void TakeFile(std::size_t position);
  bool Stopped();
  void Hand(std::size_t position, const std::string& destination, TWriteMode mode);
  void MakeRoom();
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
  void Work(std::stop_token stop);
  void Convert(TFileWork& work, std::stop_token stop);
  void WriteParked(TFileWork& work);
  TFileState Write(TFileWork& work, const TPreparedConversion& prepared);
  template <typename Step>
  TFileState Guarded(TFileWork& work, std::exception_ptr& error, Step step);
  TTurn AwaitTurn(TFileWork& work, TPreparedConversion& prepared, std::stop_token stop);
  bool TakeTurn(std::size_t turn, std::stop_token stop);
  void PassTurn(std::size_t turn);
  void DropAfter(std::size_t turn);
  bool EndedBefore(std::size_t turn);
  TReplaceQuestion CompanionQuestion(bool& declined) const;
  void Finish(TFileWork& work, TFileState state, std::exception_ptr error);

  const std::vector<TBatchFile>& Files_;
  const TBatchSettings& Settings_;
  const TBatchCallbacks& Callbacks_;
  // Per file, when the batch looked at every destination before it began (empty when it did
  // not): whether it existed. A destination that did not is written as a new file, which
  // fails on a name taken since (TFileState::Taken), so it needs no second look.
  const std::vector<char> DestinationExisted_;
  std::size_t Window_ = 1;  // files taken but not yet reported, at most
  std::size_t WidestWindow_ = 1;
  std::size_t ParkLimit_ = 0;  // files parked or writable, at most
  bool BusyWorkers_ = false;   // more than one file: each worker keeps to its own core
  TBatchResult Result_;
  std::exception_ptr Failure_;  // the first failed file's error, once it is reached
  std::size_t FailedPosition_ = 0;
  std::size_t NextTurn_ = 0;

  std::mutex Mutex_;
  std::condition_variable Done_;        // the calling thread's: a file it waits for is done
  std::condition_variable_any Wake_;    // the workers': work handed over, a turn decided
  std::size_t WakeTurn_ = kNoTurn;      // the calling thread waits for a file of this turn
  std::size_t IdleWorkers_ = 0;         // waiting for work
  std::size_t TurnWaiters_ = 0;         // waiting for their turn
  std::size_t PreparedThrough_ = 0;     // every turn below it was read without error
  std::size_t FirstFailure_ = kNoTurn;  // the lowest turn that failed
  std::deque<TFileWork*> Pending_;      // handed over, not yet started
  std::deque<TFileWork*> ParkedWork_;   // read before their turn
  std::deque<TFileWork*> Writable_;     // parked files whose turn came
  std::deque<TFileWork> Taken_;         // in list order; elements stay where they are
  std::optional<TWorkerPool> Pool_;     // last: stopped and joined before the rest goes
};

bool WritesCompanion(const TLutOutputProfile& profile) {
  const TLUTFormat* format = GetFormat(profile.FormatIndex);
  return format != nullptr && format->WritesCompanion();
}

TBatchRun::TBatchRun(const std::vector<TBatchFile>& files, const TBatchSettings& settings,
                     const TBatchCallbacks& callbacks, std::vector<char> destinationExisted)
    : Files_(files),
      Settings_(settings),
      Callbacks_(callbacks),
      DestinationExisted_(std::move(destinationExisted)) {
  const int jobs = WritesCompanion(*settings.Profile) ? 1 : ResolveJobs(settings.Jobs);
  // A lone file keeps the other cores for its own lines; several keep them busy.
  BusyWorkers_ = std::count_if(files.begin(), files.end(),
                               [](const TBatchFile& file) { return file.Checked; }) > 1;
  if (jobs <= 1) return;
  try {
    Pool_.emplace(jobs);
    const auto workers = static_cast<std::size_t>(Pool_->ThreadCount());
    Window_ = kFirstWindowPerWorker * workers;
    WidestWindow_ = kWindowPerWorker * workers;
    ParkLimit_ = kParkedPerWorker * workers;
    for (std::size_t w = 0; w < workers; ++w) {
      Pool_->Run([this](std::stop_token stop) { Work(stop); });
    }
  } catch (const std::system_error&) {
    Pool_.reset();  // no thread to be had: the calling thread converts, as with one job
    Window_ = 1;
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
  const bool mayExist = DestinationExisted_.empty() || DestinationExisted_[position] != 0;
  if (Callbacks_.AskOverwrite && mayExist && EntryExists(destination)) {
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
        Taken_.push_back({position, 0, destination, mode, TFileState::Skipped, {}, {}, {}, {}, {}});
        ReportReady();
        return;
      case TOverwriteAnswer::Cancel:
        Result_.Cancelled = true;
        return;
    }
  }
  MakeRoom();
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
  return FirstFailure_ != kNoTurn;
}

void TBatchRun::Hand(std::size_t position, const std::string& destination, TWriteMode mode) {
  TFileWork& work = Taken_.emplace_back();
  work.Position = position;
  work.Turn = NextTurn_++;
  work.Destination = destination;
  work.Mode = mode;
  if (!Pool_) return Convert(work, {});
  bool wake = false;
  {
    const std::lock_guard lock(Mutex_);
    Pending_.push_back(&work);
    wake = IdleWorkers_ > 0;
  }
  if (wake) Wake_.notify_all();
}

// With the window full, sleeps until the file in its middle is done (not after each file)
// and reports what is ready.
void TBatchRun::MakeRoom() {
  while (Taken_.size() >= Window_) {
    WaitUntilDone(Taken_[Taken_.size() / 2]);
    WaitUntilDone(Taken_.front());
    ReportReady();
    Window_ = std::min(2 * Window_, WidestWindow_);
  }
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

// A worker wakes the calling thread only when a file of this turn or a later one is done
// (or a file failed).
void TBatchRun::WaitUntilDone(const TFileWork& work) {
  std::unique_lock lock(Mutex_);
  // Wakes for later files do not put off Waiting.
  auto nextWaiting = std::chrono::steady_clock::now() + kWaitingInterval;
  while (work.State == TFileState::Converting) {
    WakeTurn_ = work.Turn;
    if (Done_.wait_until(lock, nextWaiting) == std::cv_status::no_timeout) continue;
    nextWaiting = std::chrono::steady_clock::now() + kWaitingInterval;
    if (!Callbacks_.Waiting) continue;
    lock.unlock();
    if (!Callbacks_.Waiting()) Result_.Cancelled = true;
    lock.lock();
  }
  WakeTurn_ = kNoTurn;
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

// A worker's loop: parked files whose turn came first, then the files handed over.
void TBatchRun::Work(std::stop_token stop) {
  std::optional<TBusyWorker> busy;
  if (BusyWorkers_) busy.emplace();
  while (true) {
    TFileWork* work = nullptr;
    bool parked = false;
    {
      std::unique_lock lock(Mutex_);
      auto ready = [&] { return !Writable_.empty() || !Pending_.empty(); };
      while (!ready() && !stop.stop_requested()) {
        ++IdleWorkers_;
        Wake_.wait(lock, stop, ready);
        --IdleWorkers_;
      }
      if (stop.stop_requested()) return;
      std::deque<TFileWork*>& queue = Writable_.empty() ? Pending_ : Writable_;
      parked = !Writable_.empty();
      work = queue.front();
      queue.pop_front();
    }
    if (parked) {
      WriteParked(*work);
    } else {
      Convert(*work, stop);
    }
  }
}

// Runs a step of a file's conversion; what it raises becomes the file's state.
template <typename Step>
TFileState TBatchRun::Guarded(TFileWork& work, std::exception_ptr& error, Step step) {
  try {
    return step();
  } catch (const EFileExists& taken) {
    work.TakenPath = taken.Path();
    return TFileState::Taken;
  } catch (Exception& failure) {
    failure.NoteFile(Files_[work.Position].Path);
    error = std::current_exception();
  } catch (...) {
    error = std::current_exception();
  }
  return TFileState::Failed;
}

void TBatchRun::Convert(TFileWork& work, std::stop_token stop) {
  const TBatchFile& file = Files_[work.Position];
  if (EndedBefore(work.Turn)) return Finish(work, TFileState::NotWritten, {});
  std::exception_ptr error;
  bool read = false;
  const TFileState state = Guarded(work, error, [&] {
    TPreparedConversion prepared =
        PrepareConversion(file.Path, work.Destination, file.FormatIndex, *Settings_.Profile,
                          Settings_.Size, file.InputBits, Settings_.Strict, file.Member, work.Mode);
    work.Report = std::move(prepared.Report);
    work.Notes = std::move(prepared.Notes);
    read = true;
    switch (AwaitTurn(work, prepared, stop)) {
      case TTurn::Taken:
        return Write(work, prepared);
      case TTurn::Parked:
        return TFileState::Converting;
      case TTurn::Refused:
        break;
    }
    return TFileState::NotWritten;
  });
  if (state == TFileState::Converting) return;  // parked: written later
  // The later files wait for this one's turn whether it was read or not.
  if (state == TFileState::Failed && !read && !Settings_.FailFast) TakeTurn(work.Turn, stop);
  Finish(work, state, std::move(error));
}

void TBatchRun::WriteParked(TFileWork& work) {
  TPreparedConversion prepared = std::move(*work.Parked);
  work.Parked.reset();
  std::exception_ptr error;
  const TFileState state = Guarded(work, error, [&] { return Write(work, prepared); });
  Finish(work, state, std::move(error));
}

TFileState TBatchRun::Write(TFileWork& work, const TPreparedConversion& prepared) {
  const TBatchFile& file = Files_[work.Position];
  if (!file.Subfolder.empty()) MakeFoldersBelow(Settings_.OutputFolder, file.Subfolder);
  bool declined = false;
  WritePreparedConversion(prepared, work.Destination, *Settings_.Profile, Settings_.Bits,
                          CompanionQuestion(declined), work.Mode);
  if (declined) return TFileState::Declined;
  if (Callbacks_.AfterWrite) Callbacks_.AfterWrite(work.Position, work.Destination);
  return TFileState::Written;
}

// Takes the file's turn when it has come; before it, parks the read file when there is room
// (a worker writes it when its turn comes) or waits for the turn.
TTurn TBatchRun::AwaitTurn(TFileWork& work, TPreparedConversion& prepared, std::stop_token stop) {
  {
    const std::lock_guard lock(Mutex_);
    const bool early = PreparedThrough_ != work.Turn && FirstFailure_ > work.Turn;
    if (early && ParkedWork_.size() + Writable_.size() < ParkLimit_) {
      work.Parked = std::move(prepared);
      ParkedWork_.push_back(&work);
      return TTurn::Parked;
    }
  }
  return TakeTurn(work.Turn, stop) ? TTurn::Taken : TTurn::Refused;
}

// Waits until every earlier file was read without error and passes the turn on; false when
// the file is not to be written (an earlier file failed, or the pool is stopping).
bool TBatchRun::TakeTurn(std::size_t turn, std::stop_token stop) {
  std::unique_lock lock(Mutex_);
  auto decided = [&] { return PreparedThrough_ == turn || FirstFailure_ < turn; };
  if (!decided()) {
    ++TurnWaiters_;
    Wake_.wait(lock, stop, decided);
    --TurnWaiters_;
  }
  if (stop.stop_requested() || PreparedThrough_ != turn || FirstFailure_ < turn) return false;
  PassTurn(turn);
  const bool wake = TurnWaiters_ > 0 || (IdleWorkers_ > 0 && !Writable_.empty());
  lock.unlock();
  if (wake) Wake_.notify_all();
  return true;
}

// Under the mutex: the turn is taken, and the parked files next in line take theirs.
void TBatchRun::PassTurn(std::size_t turn) {
  PreparedThrough_ = turn + 1;
  auto next = [&] {
    return std::find_if(ParkedWork_.begin(), ParkedWork_.end(),
                        [&](const TFileWork* work) { return work->Turn == PreparedThrough_; });
  };
  for (auto parked = next(); parked != ParkedWork_.end(); parked = next()) {
    Writable_.push_back(*parked);
    ParkedWork_.erase(parked);
    ++PreparedThrough_;
  }
}

// After a failure the files behind it are not even read.
bool TBatchRun::EndedBefore(std::size_t turn) {
  const std::lock_guard lock(Mutex_);
  return FirstFailure_ < turn;
}

// Under the mutex, after a failure: the files read after it are not written.
void TBatchRun::DropAfter(std::size_t turn) {
  for (std::deque<TFileWork*>* queue : {&ParkedWork_, &Writable_}) {
    std::erase_if(*queue, [&](TFileWork* work) {
      if (work->Turn <= turn) return false;
      work->Parked.reset();
      work->State = TFileState::NotWritten;
      return true;
    });
  }
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

void TBatchRun::Finish(TFileWork& work, TFileState state, std::exception_ptr error) {
  bool failed = false;
  bool wakeCaller = false;
  {
    const std::lock_guard lock(Mutex_);
    if (state == TFileState::Failed && Settings_.FailFast && work.Turn < FirstFailure_) {
      FirstFailure_ = work.Turn;
      DropAfter(work.Turn);
      failed = true;
    }
    work.Error = std::move(error);
    work.State = state;
    wakeCaller = state == TFileState::Failed || work.Turn >= WakeTurn_;
    if (wakeCaller) WakeTurn_ = kNoTurn;
  }
  if (failed) Wake_.notify_all();
  if (wakeCaller) Done_.notify_one();
}

}  // namespace

TBatchResult ConvertBatch(const std::vector<TBatchFile>& files, const TBatchSettings& settings,
                          const TBatchCallbacks& callbacks) {
  if (settings.Profile == nullptr) throw Exception("No output format is chosen.");
  if (!settings.RefuseCollisions) return TBatchRun(files, settings, callbacks, {}).Run();
  return ConvertBatch(files, settings, callbacks, SurveyDestinations(files, settings));
}

TBatchResult ConvertBatch(const std::vector<TBatchFile>& files, const TBatchSettings& settings,
                          const TBatchCallbacks& callbacks, TDestinationSurvey survey) {
  if (settings.Profile == nullptr) throw Exception("No output format is chosen.");
  if (survey.Existing.size() != files.size()) {
    throw std::invalid_argument("The destination survey is of another list of files.");
  }
  // Without refused collisions a file may meet what an earlier one of the batch wrote, which
  // no survey made before the batch can tell: each destination is looked at in its turn.
  if (!settings.RefuseCollisions) return TBatchRun(files, settings, callbacks, {}).Run();
  if (!survey.Collisions.empty()) throw EOutputCollision(std::move(survey.Collisions));
  return TBatchRun(files, settings, callbacks, std::move(survey.Existing)).Run();
}

}  // namespace vorn
