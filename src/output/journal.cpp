#include "output/journal.h"

#include <algorithm>
#include <set>

#include "lib/error.h"
#include "lib/messages.h"
#include "output/input_identity.h"
#include "output/journal_record.h"
#include "output/output_stream.h"
#include "output/recovery.h"
#include "output/unique_name.h"

namespace zeko {

namespace {

// The bookings are in place and committed; only the input could not be
// deleted. That is no failed run: the host system must take the export as
// converted (exit code 0), or it would export the same bookings again in a
// new file, which no journal can recognise. The message says what is left.
void InputNotDeleted(const std::string& path, int err) {
  MessageBoxText(WithWhere(msg::kInputNotDeleted, PathWhere(path, err)));
}

// Deletes the committed run's input for good (invariant 8). False, after
// saying so, when that is not sure: the journal that says the export is
// booked must then stay.
bool DeleteInput(const std::string& path) {
  if (!UnlinkFile(path)) {
    InputNotDeleted(path, errno);
    return false;
  }
  if (SyncDirectoryOf(path)) return true;
  MessageBoxText(WithWhere(msg::kInputDeletionNotSynced, PathWhere(path, errno)));
  return false;
}

// Where a stream stands, buffered bytes included; -1 on failure.
std::int64_t StreamPosition(std::FILE* stream) {
#ifdef _WIN32
  return _ftelli64(stream);
#else
  return ftello(stream);
#endif
}

}  // namespace

struct RunJournal::Output {
  std::string path;
  std::string journalPath;
  RawFile journal;
  std::int64_t journalEnd = 0;
  OutputState state = OutputState::kLocked;
  OutputPlan plan;
  bool appendMode = false;  // written anew only because it did not exist yet
  std::FILE* stream = nullptr;

  bool Held() const { return state != OutputState::kReleased && state != OutputState::kNowhere; }
};

RunJournal::RunJournal(std::string inputPath, bool deleteInput, LockWait wait)
    : runWide_(true), inputPath_(std::move(inputPath)), deleteInput_(deleteInput),
      wait_(std::move(wait)) {}

RunJournal::~RunJournal() { RollBack(); }

bool RunJournal::Writes(const Output& output) { return output.state != OutputState::kNowhere; }

// The run's wait, remembering when it was stopped.
LockWait RunJournal::Wait() {
  return [this](const std::string& output) {
    if (!wait_ || wait_(output)) return true;
    stopped_ = true;
    return false;
  };
}

bool RunJournal::AppendRecord(Output& output, const std::string& line) {
  if (!output.journal.WriteAt(output.journalEnd, line.data(), line.size()) ||
      !output.journal.Sync())
    return false;
  output.journalEnd += std::int64_t(line.size());
  return true;
}

std::shared_ptr<RunJournal::Output> RunJournal::Join(const std::string& path) {
  for (const auto& o : outputs_)
    if (o->path == path) return nullptr;
  auto output = std::make_shared<Output>();
  output->path = path;
  output->journalPath = path + kJournalSuffix;
  if (dry_ || booked_ || stopped_) {
    output->state = OutputState::kNowhere;
    return output;
  }
  const LockResult lock = Lock(*output);
  if (lock == LockResult::kStopped) output->state = OutputState::kNowhere;
  if (lock != LockResult::kLocked) return lock == LockResult::kStopped ? output : nullptr;
  switch (Recover(output->journal, path, runWide_ ? inputPath_ : std::string(), Wait())) {
    case Recovery::kClean: break;
    case Recovery::kInputBooked:
      booked_ = true;
      bookedJournal_ = std::move(output->journal);
      bookedJournalPath_ = output->journalPath;
      output->state = OutputState::kNowhere;
      return output;
    case Recovery::kFailed:
      if (stopped_) {
        output->state = OutputState::kNowhere;
        return output;
      }
      WriteFailed(output->journalPath, errno);
  }
  const bool master = outputs_.empty();
  if (master) transaction_ = RandomHex() + RandomHex();
  bool ok = master || AppendRecord(*outputs_.front(), MemberRecord(output->journalPath));
  outputs_.push_back(output);
  ok = ok && AppendRecord(*output, Header(*output));
  // The journal's name must be on the disk before the output changes.
  if (!ok || !SyncDirectoryOf(output->journalPath)) WriteFailed(output->journalPath, errno);
  return output;
}

std::string RunJournal::Header(const Output& output) const {
  const bool master = outputs_.empty() || outputs_.front().get() == &output;
  return HeaderRecord(transaction_, master ? std::string() : outputs_.front()->journalPath);
}

LockResult RunJournal::Lock(Output& added) {
  if (!outputs_.empty()) {
    bool error = false;
    if (TryLockFile(added.journal, added.journalPath, error)) return LockResult::kLocked;
    if (error) return LockResult::kFailed;
    const std::string key = LockKey(added.path);
    bool before = true;
    for (const auto& o : outputs_) before = before && LockKey(o->path) < key;
    if (!before && Releasable()) return Relock(added);
    // An output that already holds bytes of this run stays locked: only a
    // writer that opens a further output after writing the first one gets
    // here (SPK's disk number after its payment file), and a cycle then
    // needs one run's payment file to be another run's number file.
  }
  return AcquireLockFile(added.journal, added.journalPath, added.path, Wait());
}

// Nothing of the run is in its outputs yet, and nothing it will write
// depends on what they hold: their streams still stand where they began,
// and none keeps old bytes behind its start.
bool RunJournal::Releasable() const {
  for (const auto& o : outputs_) {
    if (o->state != OutputState::kWriting || o->stream == nullptr) return false;
    const std::int64_t at = StreamPosition(o->stream);
    if (o->plan.kind == OutputPlan::Kind::kFresh
            ? at != 0
            : (o->plan.kind != OutputPlan::Kind::kInPlace || !o->plan.tail.empty() ||
               at != o->plan.offset))
      return false;
  }
  return true;
}

LockResult RunJournal::Relock(Output& added) {
  // Let go: the work files and journals go (the members' first, as in a
  // rollback), so that no one takes this living run for a killed one. The
  // streams keep their buffered bytes; they go where the outputs stand
  // once this run holds them again.
  for (std::size_t i = outputs_.size(); i-- > 0;) {
    Output& o = *outputs_[i];
    if (o.plan.kind == OutputPlan::Kind::kFresh && !UnlinkFile(o.plan.work))
      WriteFailed(o.plan.work, errno);
    if (!UnlinkFile(o.journalPath) || !SyncDirectoryOf(o.journalPath))
      WriteFailed(o.journalPath, errno);
    o.journal.Close();
    o.journalEnd = 0;
    o.state = OutputState::kReleased;
  }
  std::vector<Output*> order;
  for (const auto& o : outputs_) order.push_back(o.get());
  order.push_back(&added);
  std::sort(order.begin(), order.end(),
            [](const Output* a, const Output* b) { return LockKey(a->path) < LockKey(b->path); });
  for (Output* o : order) {
    const LockResult lock = AcquireLockFile(o->journal, o->journalPath, o->path, Wait());
    if (lock != LockResult::kLocked) {
      if (o == &added || lock == LockResult::kStopped) return lock;
      WriteFailed(o->journalPath, errno);
    }
    if (o == &added) continue;  // recovered by Join
    if (Recover(o->journal, o->path, std::string(), Wait()) != Recovery::kClean ||
        !Reinstate(*o))
      WriteFailed(o->path, errno);
  }
  return LockResult::kLocked;
}

// Takes an output up again after Relock: other runs may have added to it
// (or made or replaced it) meanwhile, and this run's bytes go after theirs.
bool RunJournal::Reinstate(Output& output) {
  bool ok = AppendRecord(output, Header(output));
  if (outputs_.front().get() == &output) {
    for (std::size_t i = 1; ok && i < outputs_.size(); ++i)
      ok = AppendRecord(output, MemberRecord(outputs_[i]->journalPath));
  }
  if (!ok || !SyncDirectoryOf(output.journalPath)) return false;
  output.state = OutputState::kLocked;
  RawFile file;
  if ((output.plan.kind == OutputPlan::Kind::kInPlace || output.appendMode) &&
      FileExists(output.path)) {
    std::int64_t size = -1;
    return file.OpenForUpdate(output.path) && (size = file.Size()) >= 0 &&
           RecordInPlace(output, size, size) && file.MoveUnder(output.stream, size);
  }
  const bool existed = FileExists(output.path);
  if (!RecordFresh(output, existed, file, output.appendMode)) return false;
  if (existed) (void)file.CopyModeFrom(output.path);
  return file.MoveUnder(output.stream, 0);
}

bool RunJournal::RecordInPlace(Output& output, std::int64_t oldSize, std::int64_t offset) {
  OutputPlan plan{OutputPlan::Kind::kInPlace, oldSize, offset, {}, {}};
  if (offset < oldSize) {
    RawFile file;
    plan.tail.resize(std::size_t(oldSize - offset));
    if (!file.OpenForReading(output.path) ||
        !file.ReadAt(offset, plan.tail.data(), plan.tail.size()))
      return false;
  }
  if (!AppendRecord(output, InPlaceRecord(oldSize, offset, plan.tail))) return false;
  output.plan = std::move(plan);
  output.state = OutputState::kWriting;
  return true;
}

bool RunJournal::RecordFresh(Output& output, bool existed, RawFile& work, bool appendMode) {
  output.appendMode = appendMode;
  for (int tries = 0; tries < 100; ++tries) {
    // Beside the output, so that the rename never crosses file systems; a
    // name no one can plant a link at in advance.
    const std::string name = output.path + "." + RandomHex().substr(0, 8) + ".$$$";
    if (!AppendRecord(output, FreshRecord(existed, name))) WriteFailed(output.journalPath, errno);
    output.plan = {OutputPlan::Kind::kFresh, 0, 0, {}, name};
    output.state = OutputState::kWriting;
    if (work.CreateNew(name)) return true;
    if (!FileExists(name)) break;
  }
  output.plan.work.clear();
  return false;
}

void RunJournal::SetStream(Output& output, std::FILE* stream) { output.stream = stream; }

void RunJournal::Done(Output& output) {
  if (output.state != OutputState::kWriting) return;
  output.state = OutputState::kDone;
  output.stream = nullptr;
  if (runWide_) return;
  for (const auto& o : outputs_)
    if (o->state != OutputState::kDone) return;
  CommitRun();
}

bool RunJournal::UndoOutput(Output& output) {
  if (output.stream != nullptr) {
    DivertStream(output.stream);
    output.stream = nullptr;
  }
  // Let go of (Relock): nothing of this run is in it.
  if (!output.Held()) return true;
  return Settle(output.path, output.plan, false);
}

void RunJournal::Abandon(Output& output) {
  if (output.state == OutputState::kClosed) return;
  if (!outputs_.empty() && outputs_.front().get() == &output) {
    RollBack();
    return;
  }
  if (UndoOutput(output) && (!output.Held() || UnlinkFile(output.journalPath)))
    output.journal.Close();
  output.state = OutputState::kClosed;
  std::erase_if(outputs_, [&output](const auto& o) { return o.get() == &output; });
}

// Invariant 7: the members' journals go, durably, before the master's.
bool RunJournal::RemoveMemberJournals() {
  std::set<std::string> folders;
  bool ok = true;
  for (std::size_t i = 1; i < outputs_.size(); ++i) {
    Output& o = *outputs_[i];
    if (!o.Held()) continue;
    ok = ok && UnlinkFile(o.journalPath) && o.journal.Close();
    folders.insert(o.journalPath);
  }
  for (const std::string& journal : folders) ok = ok && SyncDirectoryOf(journal);
  return ok;
}

void RunJournal::CommitRun(const std::optional<InputDigest>& input) {
  if (!inputCopy_.empty()) {
    // Read to the end: the copy is no longer needed, or it becomes the kept
    // input, before the commit point; a failure here is a failed run.
    const bool ok = deleteInput_ ? UnlinkFile(inputCopy_) : RenameFile(inputCopy_, inputPath_);
    if (!ok) WriteFailed(inputCopy_, errno);
    workFiles_.clear();
    inputCopy_.clear();
  }
  if (outputs_.empty()) {
    if (runWide_ && deleteInput_) (void)DeleteInput(inputPath_);
    Reset();
    return;
  }
  // An output its writer never committed stays as it was.
  for (std::size_t i = outputs_.size(); i-- > 1;)
    if (outputs_[i]->state != OutputState::kDone) Abandon(*outputs_[i]);
  Output& master = *outputs_.front();
  if (master.state != OutputState::kDone) {
    RollBack();
    return;
  }
  const InputIdentity identity = IdentifyInput(runWide_ ? inputPath_ : std::string(), input);
  // Invariant 3.
  for (const auto& o : outputs_)
    if (o->plan.kind == OutputPlan::Kind::kFresh && !SyncDirectoryOf(o->plan.work))
      WriteFailed(o->path, errno);
  if (!AppendRecord(master, CommitRecord(runWide_ && deleteInput_, identity)))
    WriteFailed(master.journalPath, errno);
  // Committed: from here on a failure leaves the journals for the next run,
  // which finishes what follows.
  committed_ = true;
  for (const auto& o : outputs_)
    if (!Settle(o->path, o->plan, true)) WriteFailed(o->path, errno);
  if (!RemoveMemberJournals()) WriteFailed(outputs_.back()->journalPath, errno);
  if (runWide_ && deleteInput_ && !DeleteInput(inputPath_)) {
    // Booked, and only the input is left: the master's journal stays, so
    // that the next run finds this input booked instead of booking it
    // again.
    Reset();
    return;
  }
  // The run is complete once its input is gone. A journal that cannot be
  // removed now says only that; the next run on the output removes it.
  if (UnlinkFile(master.journalPath)) (void)SyncDirectoryOf(master.journalPath);
  Reset();
}

void RunJournal::RollBack() noexcept {
  try {
    if (!committed_) {
      bool all = true;
      for (std::size_t i = outputs_.size(); i-- > 0;) all = UndoOutput(*outputs_[i]) && all;
      // The master's journal goes last: until then it tells the members'
      // recovery that the transaction was not committed.
      all = all && RemoveMemberJournals();
      if (all && !outputs_.empty() && outputs_.front()->Held()) {
        const std::string& master = outputs_.front()->journalPath;
        if (UnlinkFile(master)) (void)SyncDirectoryOf(master);
      }
      for (const std::string& work : workFiles_) (void)UnlinkFile(work);
    }
  } catch (...) {
    // Whatever is left is in the journals for the next run.
  }
  Reset();
}

void RunJournal::FinishBooked() {
  RawFile booked = std::move(bookedJournal_);
  const std::string bookedPath = bookedJournalPath_;
  // Whatever this run had opened before it found out goes back as it was.
  RollBack();
  // Its journal goes only with the input: while the input stays, the
  // journal tells the next run again that it is booked.
  if (!DeleteInput(inputPath_)) return;
  if (!UnlinkFile(bookedPath) || !SyncDirectoryOf(bookedPath)) WriteFailed(bookedPath, errno);
}

std::FILE* RunJournal::CreateWorkFile(const std::string& path) {
  // A stale copy of a killed run, or a link planted at the name: the link
  // itself goes, never the file it points to.
  if (!UnlinkFile(path)) return nullptr;
  RawFile file;
  if (!file.CreateNew(path)) return nullptr;
  workFiles_.push_back(path);
  return file.ReleaseToStream(0);
}

void RunJournal::ReplaceInputWith(const std::string& path) { inputCopy_ = path; }

void RunJournal::Reset() {
  for (const auto& o : outputs_) {
    o->state = OutputState::kClosed;
    o->journal.Close();
  }
  outputs_.clear();
  workFiles_.clear();
  inputCopy_.clear();
  transaction_.clear();
  committed_ = false;
  bookedJournal_.Close();
  bookedJournalPath_.clear();
}

}  // namespace zeko
