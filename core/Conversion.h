#pragma once
// The conversion shared by the desktop window and the command line: the per-file pipeline
// (load with detection, resample into a record of the profile's kind and size, save) and
// the batch that runs it over a list of files with callbacks for the overwrite question,
// progress and cancelling.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/LUTFormat.h"
#include "core/LutLimits.h"
#include "platform/Export.h"

namespace vorn {

// Older names of the output caps (core/LutLimits.h).
inline constexpr int kMaxOutputSize3D = kOutputGridNodesCap;
inline constexpr int kMaxOutputSize1D = kOutputTableEntriesCap;

// The size text of the conversion: "Default", an empty or unreadable text give the
// profile's default size; otherwise the number.
int ResolveOutputSize(const std::string& sizeText, const TLutOutputProfile& profile);

// The bit depth a file is written with for the chosen bits (-1 = the profile's default),
// as its reader is told it; -1 when the format codes its values its own way.
int WrittenBitDepth(const TLutOutputProfile& profile, int bits);

// Output folder + "/" + file name with its last extension replaced by the profile's.
std::string OutputPathFor(const std::string& outputFolder, const std::string& fileName,
                          const TLutOutputProfile& profile);

// The files that a list of paths names; vorn-lut's arguments and the window's dropped paths
// both follow this rule. A path that is not a folder stands for itself; a folder for the
// files of its tree (FilesInFolderTree: recursive, hidden files included, in name order)
// that a format claims. The tree's other files (no format claims them, or detection cannot
// tell them apart) are listed in Unclaimed: vorn-lut names them, the window lists them as
// unknown after the folder's claimed files.
// The formats of the folders' files are detected on `jobs` threads (0: one per core); the
// lists keep the same order whatever the number.
struct TLutPaths {
  std::vector<std::string> Files;
  // For each of Files, the folder that holds it relative to the folder it was found in
  // ("a/b" for FOLDER/a/b/x.cube); "" for a file at a folder's top and a file given by
  // itself. A batch that keeps the folder tree writes the file there below its output.
  std::vector<std::string> Subfolders;
  // For each of Files, the format detection found for a folder's file; -1 for a file given
  // by itself, which is detected when it is loaded.
  std::vector<int> Formats;
  std::vector<std::string> Unclaimed;
};
VORN_API TLutPaths ExpandLutPaths(const std::vector<std::string>& paths, int jobs = 1);

// Loads source (format detected again with -1; inputBits is the file's own bit depth, -1 for
// automatic), resamples it to the profile's kind and the given size (capped at 99 nodes per
// axis or 99,999 entries) and saves it with the bits (-1 = the profile's default); mayReplace
// answers a writer that would replace an existing companion file. A source that no format
// claims, a 1D table without entries, or a folder, raises an error that names it. Sizes below
// 2 raise an error before anything is read or written. A destination that is the source file
// under another name (a hard link, or a symbolic link to it) is refused; the source's own
// entry may be replaced. A companion file the profile writes beside the destination
// (TLUTFormat::CompanionPaths) that is the source is refused too, under any name. Returns the
// load's warnings; with strict the first warning is raised as an error before anything is
// written. mode says whether an existing destination may be replaced.
VORN_API TLoadReport ConvertFile(const std::string& source, const std::string& destination,
                                 int formatIndex, const TLutOutputProfile& profile, int size,
                                 int bits, int inputBits = -1,
                                 const TReplaceQuestion& mayReplace = {}, bool strict = false,
                                 TWriteMode mode = TWriteMode::Replace);

// What a conversion drops because the output profile cannot hold it, known before anything
// is written. Unlike a load warning it says nothing about the source file being faulty, so
// it is never an error (strict or not).
enum class TLossKind : std::uint8_t {
  CrossTalk,  // a 3D grid written as a 1D table
  Shaper,     // a 1D shaper baked into the grid
  Resampled,  // fewer nodes or entries than the source holds
  Clamped,    // values outside the range of the profile's integer codes
  Domain,     // inputs beyond [0, 1] that the source's domain covers and the profile cannot
};
struct TConversionNote {
  TLossKind Kind = TLossKind::Resampled;
  std::string File;  // the source
  std::string Message;
};

// ConvertFile in its two steps, for a batch that reads files side by side and writes them in
// list order. PrepareConversion makes every check, loads and resamples, and writes nothing;
// WritePreparedConversion saves the result.
struct TPreparedConversion {
  std::unique_ptr<TLUT> Lut;  // the record to write
  TLoadReport Report;
  std::vector<TConversionNote> Notes;  // in the order of TLossKind
};
// Whether an output of the format at size writes the source itself: resampling would copy
// every value unchanged, or the format keeps the source's kind or domains as they are.
// Otherwise a conversion samples a record of the format's kind and size over [0, 1].
VORN_API bool WrittenAsItIs(const TLUT& source, const TLUTFormat& outputFormat, int size);

// A destination written with TWriteMode::CreateNew is never replaced, so it is not checked
// for being the source under another name.
TPreparedConversion PrepareConversion(const std::string& source, const std::string& destination,
                                      int formatIndex, const TLutOutputProfile& profile, int size,
                                      int inputBits = -1, bool strict = false,
                                      const TLutMemberChoice& member = {},
                                      TWriteMode mode = TWriteMode::Replace);
void WritePreparedConversion(const TPreparedConversion& prepared, const std::string& destination,
                             const TLutOutputProfile& profile, int bits,
                             const TReplaceQuestion& mayReplace = {},
                             TWriteMode mode = TWriteMode::Replace);

// One file of a batch. Unchecked files are passed over but count for the progress.
struct TBatchFile {
  std::string Path;
  int InputBits = -1;
  bool Checked = true;
  // The folder below the output folder that the file is written into ("" for the output
  // folder itself): TLutPaths::Subfolders when the folder tree is kept. Folders missing
  // there are made as the file is written (MakeFoldersBelow).
  std::string Subfolder;
  // For a file holding several LUTs: the one converted, and (when not empty) the tag its
  // output name carries after the source's name: "look.ccc" with "cc02" -> "look_cc02.cube".
  TLutMemberChoice Member = {};
  std::string OutputTag = {};
  // A destination named by the user ("vorn-lut convert -o FILE"): written as it is,
  // without the output folder and the profile's extension. Empty for the usual name.
  std::string Destination = {};
  // The format to load it with, when the caller detected it a moment ago (TLutPaths::Formats);
  // -1 detects it as it is loaded.
  int FormatIndex = -1;
};

// The file name a batch file's output takes, before the profile's extension replaces its
// last one.
std::string OutputNameOf(const TBatchFile& file);

struct TBatchSettings {
  const TLutOutputProfile* Profile = nullptr;
  int Size = 0;
  int Bits = -1;
  std::string OutputFolder;
  // Refuse, before anything is written, a batch in which files would overwrite each
  // other's output (see FindOutputCollisions). Without it the batch asks AskOverwrite when
  // a later file meets what an earlier one wrote, as the window does.
  bool RefuseCollisions = false;
  // A load warning (skipped value lines) ends the batch as an error.
  bool Strict = false;
  // How many files are converted at once, each on a worker thread: 0 for one per core
  // (std::thread::hardware_concurrency, at least 1). With 1 every file is converted on the
  // calling thread. A profile whose format writes a companion file (the cube of a Premiere
  // look) is always converted one file at a time on the calling thread, so that the
  // companion question is asked there, in order.
  int Jobs = 0;
  // A file that fails ends the batch (ConvertBatch raises its error). Without it the batch
  // reports the file (TBatchCallbacks::Failed), counts it (TBatchResult::Failed) and goes
  // on with the next one. On by default, as a batch used to end at its first error; the
  // window and vorn-lut (without --fail-fast) turn it off.
  bool FailFast = true;
};

// Where the batch writes the file: the output folder, the file's Subfolder below it, and
// the file's name with the profile's extension; or the file's own Destination.
std::string BatchDestination(const TBatchFile& file, const TBatchSettings& settings);

// Files of one batch that would write the same output file.
struct TOutputCollision {
  // The output file's name; more than one when existing names are links of one file.
  std::vector<std::string> Destinations;
  // The sources that would be written to it, in list order (the same path may repeat).
  std::vector<std::string> Sources;
  // Set when the destination is, as a file, a source of the batch under another name (a
  // hard or symbolic link): that source would be overwritten by the conversion.
  std::string OverwrittenSource;
};

// A batch refused because files would overwrite each other's output; nothing was written.
class VORN_API EOutputCollision : public Exception {
 public:
  explicit EOutputCollision(std::vector<TOutputCollision> collisions);
  const std::vector<TOutputCollision>& Collisions() const { return Collisions_; }

 private:
  std::vector<TOutputCollision> Collisions_;
};

// The collisions of the checked files: two or more files with one destination name, or
// with destinations that are one existing file (links of each other), and a destination
// that is another checked source as a file. Empty when every file has its own output.
VORN_API std::vector<TOutputCollision> FindOutputCollisions(const std::vector<TBatchFile>& files,
                                                            const TBatchSettings& settings);

// The destinations of a batch's checked files as they were looked at before it began.
struct TDestinationSurvey {
  std::vector<TOutputCollision> Collisions;  // as FindOutputCollisions gives them
  std::vector<char> Existing;                // per file: whether an entry has its destination
};
VORN_API TDestinationSurvey SurveyDestinations(const std::vector<TBatchFile>& files,
                                               const TBatchSettings& settings);

enum class TOverwriteAnswer { Yes, No, Cancel };

// Every callback but AfterWrite is called on the thread that called ConvertBatch, in the
// order one file at a time would call them: the overwrite questions, warnings and results
// of the files come in list order whatever the number of jobs.
struct TBatchCallbacks {
  // Asked when an entry of any kind (a dangling link too) exists at a file's destination: Yes
  // replaces it, No skips the file, Cancel ends the batch. Without it existing files are replaced.
  // A destination not answered Yes is created exclusively (TWriteMode::CreateNew): when its
  // name, or a companion's, is taken by someone else meanwhile, nothing of the file is written
  // and AskOverwrite is asked again with the name, when the file is reported: No skips the
  // file, Yes or an exception ends the batch with the error (Cancel cancels it).
  // It is asked only once every earlier file has been reported (Finished), as with one job,
  // and a destination that a file still being converted writes is looked at after that file.
  std::function<TOverwriteAnswer(const std::string& destination)> AskOverwrite;
  // Set when AskOverwrite neither shows nor prints anything, never raises and answers
  // every destination the same at any moment (the command line's --overwrite and
  // --skip-existing): it is then asked without waiting for the earlier files.
  bool AskOverwriteEarly = false;
  // Asked when the output format would replace an existing companion file written beside the
  // destination (the cube of a Premiere look): true replaces it, false skips the file with
  // neither file written. Without it such a file ends the batch with an error naming it.
  std::function<bool(const std::string& companion)> AskReplaceCompanion;
  // Called before each file is handed to a worker, in list order, with its position and the
  // batch's progress in percent ((position + 1) x 100 / number of files); files are handed
  // over up to 16 a worker ahead of the reports (2 a worker at first). Answering false
  // cancels the batch there: no later file is started, those already started are finished
  // and reported.
  std::function<bool(std::size_t position, double percent)> Progress;
  // Called about every 50 ms while the calling thread waits for a worker, so that a window
  // stays responsive; answering false cancels the batch as Progress does.
  std::function<bool()> Waiting;
  // Called on the worker thread that converted the file, right after it was written (not
  // for skipped files), before Finished: work on the written file (the loss report) runs
  // side by side there. Must be thread-safe: keep results in storage set aside per
  // position before the batch. An exception fails the file as a failed conversion would.
  std::function<void(std::size_t position, const std::string& destination)> AfterWrite;
  // Called for each warning of a file's load (the file was converted all the same).
  std::function<void(std::size_t position, const TLoadWarning& warning)> Warning;
  // Called for each loss of a converted file (TPreparedConversion::Notes), after its
  // warnings.
  std::function<void(std::size_t position, const TConversionNote& note)> Note;
  // Called after each checked file, converted or skipped.
  std::function<void(std::size_t position, const std::string& destination, bool converted)>
      Finished;
  // Called for a file that failed (it could not be read, converted or written, a --strict
  // warning, an existing destination the question refused by raising), in list order once
  // every file before it has been reported. With FailFast only for the first such file,
  // just before its error ends the batch: the place to name the file for an error that
  // does not (an allocation that failed). Without FailFast for every failed file, and the
  // batch goes on.
  std::function<void(std::size_t position, const std::exception_ptr& error)> Failed;
};

struct TBatchResult {
  int Converted = 0;
  int Skipped = 0;
  int Failed = 0;  // only without FailFast
  bool Cancelled = false;
};

// "Converted 5 files, 1 failed, 0 skipped, 2 unclaimed.": how vorn-lut and the window sum
// a batch up (unclaimed: the files of its folders that no format claims).
std::string BatchSummaryLine(std::size_t converted, std::size_t failed, std::size_t skipped,
                             std::size_t unclaimed);

// Converts the checked files into the output folder, settings.Jobs at a time, side by side.
// With FailFast a file is written only once every earlier file has been read without
// error. The first error (in list order) ends the batch and passes to the caller, noting
// the file it concerns: no file is started after it is known, the files before it are
// finished and reported, and after an error of reading (the usual one: an unreadable or
// malformed file, a --strict warning) no later file is written. An error of writing (or of
// AfterWrite) comes when later files may be being written already: those that were written
// are reported (Finished) before the error is raised, in list order.
// Without FailFast a failed file is reported (Failed) in its place in the list and the
// batch goes on; only a refused collision, a missing profile or a callback's exception
// outside a file's conversion end it.
VORN_API TBatchResult ConvertBatch(const std::vector<TBatchFile>& files,
                                   const TBatchSettings& settings,
                                   const TBatchCallbacks& callbacks);
// As above, for a caller that surveyed the destinations of these files just before (to offer
// another layout when they collide): the survey stands in for the batch's own.
VORN_API TBatchResult ConvertBatch(const std::vector<TBatchFile>& files,
                                   const TBatchSettings& settings, const TBatchCallbacks& callbacks,
                                   TDestinationSurvey survey);

}  // namespace vorn
