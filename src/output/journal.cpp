#include "output/journal.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <optional>
#include <random>
#include <string_view>

#include "lib/error.h"
#include "lib/messages.h"
#include "output/files.h"
#include "lib/hash.h"
#include "output/file_lock.h"

namespace zeko {

namespace {

constexpr const char* kJournalSuffix = ".$JN";
// The bookings are in place and committed; only the input could not be
// deleted. That is no failed run: the host system must take the export as
// converted (exit code 0), or it would export the same bookings again in a
// new file, which no journal can recognise. The message says what is left.
void InputNotDeleted(const std::string& path, int err) {
  MessageBoxText(WithWhere(msg::kInputNotDeleted, PathWhere(path, err)));
}

std::string Hex(std::uint64_t value) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text(16, '0');
  for (int i = 15; i >= 0; --i, value >>= 4) text[std::size_t(i)] = kDigits[value & 15];
  return text;
}

// Bits for names that no other run can guess or hit by chance.
std::uint64_t RandomBits() {
  static std::uint64_t counter = 0;
  int local = 0;
  std::uint64_t x = std::uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
  x ^= std::uint64_t(reinterpret_cast<std::uintptr_t>(&local)) << 16;
  x ^= ++counter * 0x9E3779B97F4A7C15ull;
  try {
    std::random_device device;
    x ^= (std::uint64_t(device()) << 32) ^ device();
  } catch (...) {
    // The clock, the address and the counter still make the name unique.
  }
  // splitmix64 spreads the bits over the whole word.
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

// A text field: "=" and the bytes, with "%XX" for those that would split
// the line or its fields.
std::string Field(std::string_view bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text = "=";
  for (unsigned char c : bytes) {
    if (c <= 0x20 || c >= 0x7F || c == '%') {
      text += '%';
      text += kDigits[c >> 4];
      text += kDigits[c & 15];
    } else {
      text += char(c);
    }
  }
  return text;
}

std::optional<std::string> Unfield(std::string_view text) {
  if (text.empty() || text[0] != '=') return std::nullopt;
  std::string bytes;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] != '%') {
      bytes += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const std::string pair(text.substr(i + 1, 2));
    char* end = nullptr;
    const long value = std::strtol(pair.c_str(), &end, 16);
    if (pair.size() != 2 || end != pair.c_str() + 2) return std::nullopt;
    bytes += char(value);
    i += 2;
  }
  return bytes;
}

std::optional<std::int64_t> Number(std::string_view text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::vector<std::string_view> Split(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t start = 0;
  for (;;) {
    const std::size_t blank = line.find(' ', start);
    words.push_back(line.substr(start, blank == std::string_view::npos ? blank : blank - start));
    if (blank == std::string_view::npos) return words;
    start = blank + 1;
  }
}

// What a journal file says. Only the last INPLACE or FRESH record counts: a
// run that found its first choice of work-file name taken records a new one.
struct Journal {
  bool valid = false;  // has a header
  std::string transaction;
  std::string master;  // empty in the master itself
  enum class Kind { kNone, kInPlace, kFresh } kind = Kind::kNone;
  std::int64_t oldSize = 0;
  std::int64_t offset = 0;
  std::string tail;
  std::string work;
  std::vector<std::string> members;
  bool committed = false;
  bool deleteInput = false;
  std::int64_t inputSize = 0;
  std::string inputHash;
  std::string inputStamp;  // FileStamp; none in journals of earlier versions
  bool stamped = false;
  std::string input;
};

Journal Parse(std::string_view content) {
  Journal j;
  std::size_t start = 0;
  while (start < content.size()) {
    const std::size_t end = content.find('\n', start);
    if (end == std::string_view::npos) break;  // torn: no line end yet
    const std::string_view line = content.substr(start, end - start);
    start = end + 1;
    const std::size_t mark = line.rfind(" #");
    if (mark == std::string_view::npos || line.size() - mark != 18) break;
    const std::string_view text = line.substr(0, mark);
    if (Hex(Fnv1a(text)) != line.substr(mark + 2)) break;
    const std::vector<std::string_view> w = Split(text);
    if (!j.valid) {
      if (w.size() != 4 || w[0] != "ZEKO-JOURNAL" || w[1] != "1") break;
      j.valid = true;
      j.transaction = std::string(w[2]);
      if (w[3] != "-") {
        std::optional<std::string> master = Unfield(w[3]);
        if (!master) break;
        j.master = *master;
      }
      continue;
    }
    if (w[0] == "INPLACE" && w.size() == 4) {
      auto oldSize = Number(w[1]), offset = Number(w[2]);
      auto tail = Unfield(w[3]);
      if (!oldSize || !offset || !tail) break;
      j.kind = Journal::Kind::kInPlace;
      j.oldSize = *oldSize;
      j.offset = *offset;
      j.tail = *tail;
    } else if (w[0] == "FRESH" && w.size() == 3) {
      auto work = Unfield(w[2]);
      if (!work) break;
      j.kind = Journal::Kind::kFresh;
      j.work = *work;
    } else if (w[0] == "MEMBER" && w.size() == 2) {
      auto member = Unfield(w[1]);
      if (!member) break;
      j.members.push_back(*member);
    } else if (w[0] == "COMMIT" && (w.size() == 5 || w.size() == 6)) {
      auto size = Number(w[2]);
      auto input = Unfield(w.back());
      auto stamp = w.size() == 6 ? Unfield(w[4]) : std::string();
      if (!size || !input || !stamp) break;
      j.committed = true;
      j.deleteInput = w[1] == "1";
      j.inputSize = *size;
      j.inputHash = std::string(w[3]);
      j.inputStamp = *stamp;
      j.stamped = w.size() == 6;
      j.input = *input;
    } else {
      break;
    }
  }
  return j;
}

std::string OutputOf(const std::string& journalPath) {
  return journalPath.substr(0, journalPath.size() - std::strlen(kJournalSuffix));
}

// Hashes of this version carry this mark; one without it is a WordHash.
constexpr std::string_view kLaneMark = "L";

std::string HashText(std::uint64_t laneHash) {
  std::string text(kLaneMark);
  text += Hex(laneHash);
  return text;
}

// Size and hash of a file's bytes; false when it cannot be read.
bool Identity(const std::string& path, std::int64_t& size, std::string& hash, bool lanes = true) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  std::uint64_t words = kFnvBasis;
  ContentHash content;
  size = 0;
  std::vector<char> buffer(1 << 18);
  for (;;) {
    const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file);
    if (got == 0) break;
    size += std::int64_t(got);
    // fread fills the buffer but at the end of the file: whole words.
    if (lanes)
      content.Update(buffer.data(), got);
    else
      words = WordHash(buffer.data(), got, words);
  }
  const bool ok = std::ferror(file) == 0;
  std::fclose(file);
  hash = lanes ? HashText(content.Value()) : Hex(words);
  return ok;
}

// True when the committed run's input is still there: this very file, not
// only one with the same bytes (the host system writes the next export
// under the same name, and one with the same bookings is a new export that
// must be converted).
bool SameInput(const Journal& j) {
  if (j.stamped && FileStamp(j.input) != j.inputStamp) return false;
  std::int64_t size = 0;
  std::string hash;
  const bool lanes = j.inputHash.starts_with(kLaneMark);
  return Identity(j.input, size, hash, lanes) && size == j.inputSize && hash == j.inputHash;
}

// Where a stream stands, buffered bytes included; -1 on failure.
std::int64_t StreamPosition(std::FILE* stream) {
#ifdef _WIN32
  return _ftelli64(stream);
#else
  return ftello(stream);
#endif
}

// The order in which a run takes the locks of its outputs when it has to
// wait: the same for every run on the same files (names compare without
// regard to case, as on the file systems the outputs lie on).
std::string LockKey(const std::string& path) {
  std::string key = path;
  for (char& c : key) {
    if (c == '\\') c = '/';
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  }
  return key;
}

// Puts an output back as it was (commit false) or finishes putting its new
// content in place (commit true). Repeatable.
bool Settle(const std::string& output, const Journal& j, bool commit) {
  switch (j.kind) {
    case Journal::Kind::kNone: return true;
    case Journal::Kind::kInPlace: {
      if (commit) return true;
      RawFile file;
      if (!file.OpenForUpdate(output)) return !FileExists(output);
      const std::int64_t size = file.Size();
      if (size < 0) return false;
      // Shorter than where the run began: someone else has changed the
      // file since, and there is nothing of the run left in it to undo.
      if (size < j.offset) return true;
      return (j.tail.empty() || file.WriteAt(j.offset, j.tail.data(), j.tail.size())) &&
             file.Truncate(j.oldSize) && file.Sync() && file.Close();
    }
    case Journal::Kind::kFresh:
      if (!commit) return UnlinkFile(j.work);
      // Gone: renamed into place before.
      if (!FileExists(j.work)) return true;
      return RenameFile(j.work, output) && SyncDirectoryOf(output);
  }
  return false;
}

bool MasterCommitted(const std::string& masterPath, const std::string& transaction) {
  RawFile file;
  std::string content;
  if (!file.OpenForReading(masterPath) || !file.ReadAll(content)) return false;
  const Journal master = Parse(content);
  return master.valid && master.master.empty() && master.transaction == transaction &&
         master.committed;
}

// A further output of a dead run's transaction, settled under its own lock.
bool SettleMember(const std::string& journalPath, const std::string& transaction, bool commit) {
  if (!FileExists(journalPath)) return true;
  RawFile lock;
  if (!AcquireLockFile(lock, journalPath, OutputOf(journalPath))) return false;
  std::string content;
  if (!lock.ReadAll(content)) return false;
  const Journal j = Parse(content);
  if (j.valid && j.transaction == transaction) {
    if (!Settle(OutputOf(journalPath), j, commit)) return false;
  } else if (!content.empty()) {
    return true;  // another transaction's: recovered by whoever opens that output
  }
  return UnlinkFile(journalPath) && lock.Close();
}

void RollBackHook() { RunJournal::Get().RollBack(); }

}  // namespace

struct RunJournal::Output {
  std::string path;
  std::string journalPath;
  RawFile journal;
  std::int64_t journalEnd = 0;
  bool live = true;
  Journal::Kind kind = Journal::Kind::kNone;
  std::int64_t oldSize = 0;
  std::int64_t offset = 0;
  std::string tail;
  std::string work;
  std::FILE* stream = nullptr;
  bool done = false;
  bool held = true;   // this run holds the lock (see Relock)
  bool keep = false;  // written anew only because it did not exist yet

  Journal AsJournal() const {
    Journal j;
    j.kind = kind;
    j.oldSize = oldSize;
    j.offset = offset;
    j.tail = tail;
    j.work = work;
    return j;
  }
};

RunJournal& RunJournal::Get() {
  static RunJournal journal;
  return journal;
}

void RunJournal::BeginRun(const std::string& inputPath, bool deleteInput) {
  runWide_ = true;
  inputPath_ = inputPath;
  deleteInput_ = deleteInput;
  SetRollbackHook(RollBackHook);
}

void RunJournal::AppendRecord(Output& output, const std::string& text, bool& ok) {
  const std::string line = text + " #" + Hex(Fnv1a(text)) + "\n";
  if (ok && output.journal.WriteAt(output.journalEnd, line.data(), line.size()) &&
      output.journal.Sync()) {
    output.journalEnd += std::int64_t(line.size());
    return;
  }
  ok = false;
}

bool RunJournal::Recover(Output& output) {
  std::string content;
  if (!output.journal.ReadAll(content)) return false;
  if (content.empty()) return true;
  const Journal j = Parse(content);
  if (j.valid) {
    const bool master = j.master.empty();
    const bool commit = master ? j.committed : MasterCommitted(j.master, j.transaction);
    if (master) {
      for (const std::string& member : j.members)
        if (!SettleMember(member, j.transaction, commit)) return false;
    }
    if (!Settle(output.path, j, commit)) return false;
    if (master && commit && j.deleteInput) {
      if (SameInput(j)) {
        if (runWide_ && j.input == inputPath_) {
          bookedJournal_ = std::move(output.journal);
          bookedJournalPath_ = output.journalPath;
          throw InputAlreadyBooked{};
        }
        if (!UnlinkFile(j.input)) return false;
      }
    }
  }
  return output.journal.Truncate(0) && output.journal.Sync();
}

std::shared_ptr<RunJournal::Output> RunJournal::Join(const std::string& path) {
  for (const auto& o : outputs_)
    if (o->path == path) return nullptr;
  auto output = std::make_shared<Output>();
  output->path = path;
  output->journalPath = path + kJournalSuffix;
  SetRollbackHook(RollBackHook);
  if (!Lock(*output)) return nullptr;
  if (!Recover(*output)) WriteFailed(output->journalPath, errno);

  const bool master = outputs_.empty();
  if (master) transaction_ = Hex(RandomBits()) + Hex(RandomBits());
  bool ok = true;
  if (!master) AppendRecord(*outputs_.front(), "MEMBER " + Field(output->journalPath), ok);
  outputs_.push_back(output);
  AppendRecord(*output, Header(*output), ok);
  // The journal's name must be on the disk before the output changes.
  if (!ok || !SyncDirectoryOf(output->journalPath)) WriteFailed(output->journalPath, errno);
  return output;
}

std::string RunJournal::Header(const Output& output) const {
  const bool master = outputs_.empty() || outputs_.front().get() == &output;
  return "ZEKO-JOURNAL 1 " + transaction_ + " " +
         (master ? std::string("-") : Field(outputs_.front()->journalPath));
}

bool RunJournal::Lock(Output& added) {
  if (!outputs_.empty()) {
    bool error = false;
    if (TryLockFile(added.journal, added.journalPath, error)) return true;
    if (error) return false;
    // Another run holds the file. Two runs that each wait for a file the
    // other holds (one with NAME1=A,B, the other with NAME1=B,A) would
    // wait forever; so a run waits only while every file it holds comes
    // before the awaited one in one order that all runs share. Otherwise it
    // lets go of its files and takes them all again in that order.
    const std::string key = LockKey(added.path);
    bool before = true;
    for (const auto& o : outputs_) before = before && LockKey(o->path) < key;
    if (!before && Releasable()) return Relock(added);
    // An output that already holds bytes of this run stays locked: only a
    // writer that opens a further output after writing the first one gets
    // here (SPK's disk number after its payment file), and a cycle then
    // needs one run's payment file to be another run's number file.
  }
  return AcquireLockFile(added.journal, added.journalPath, added.path);
}

// A run can let go of its outputs while nothing of it is in them yet, and
// nothing it will write depends on what they hold: their streams still
// stand where they began, and none keeps old bytes behind its start.
bool RunJournal::Releasable() const {
  for (const auto& o : outputs_) {
    if (!o->live || o->done || o->stream == nullptr) return false;
    const std::int64_t at = StreamPosition(o->stream);
    if (o->kind == Journal::Kind::kFresh
            ? at != 0
            : (o->kind != Journal::Kind::kInPlace || !o->tail.empty() || at != o->offset))
      return false;
  }
  return true;
}

bool RunJournal::Relock(Output& added) {
  // Let go: the work files and journals go (the members' first, as in a
  // rollback), so that no one takes this living run for a killed one. The
  // streams keep their buffered bytes; they go where the outputs stand
  // once this run holds them again.
  for (std::size_t i = outputs_.size(); i-- > 0;) {
    Output& o = *outputs_[i];
    if (o.kind == Journal::Kind::kFresh && !UnlinkFile(o.work)) WriteFailed(o.work, errno);
    if (!UnlinkFile(o.journalPath)) WriteFailed(o.journalPath, errno);
    o.journal.Close();
    o.journalEnd = 0;
    o.held = false;
  }
  std::vector<Output*> order;
  for (const auto& o : outputs_) order.push_back(o.get());
  order.push_back(&added);
  std::sort(order.begin(), order.end(),
            [](const Output* a, const Output* b) { return LockKey(a->path) < LockKey(b->path); });
  for (Output* o : order) {
    if (!AcquireLockFile(o->journal, o->journalPath, o->path)) {
      if (o == &added) return false;
      WriteFailed(o->journalPath, errno);
    }
    if (o == &added) continue;  // recovered by Join
    if (!Recover(*o) || !Reinstate(*o)) WriteFailed(o->path, errno);
  }
  return true;
}

// Takes an output up again after Relock: other runs may have added to it
// (or made or replaced it) meanwhile, and this run's bytes go after theirs.
bool RunJournal::Reinstate(Output& output) {
  bool ok = true;
  AppendRecord(output, Header(output), ok);
  if (outputs_.front().get() == &output) {
    for (std::size_t i = 1; i < outputs_.size(); ++i)
      AppendRecord(output, "MEMBER " + Field(outputs_[i]->journalPath), ok);
  }
  if (!ok || !SyncDirectoryOf(output.journalPath)) return false;
  output.held = true;
  RawFile file;
  if ((output.kind == Journal::Kind::kInPlace || output.keep) && FileExists(output.path)) {
    std::int64_t size = -1;
    return file.OpenForUpdate(output.path) && (size = file.Size()) >= 0 &&
           RecordInPlace(output, size, size) && file.MoveUnder(output.stream, size);
  }
  const bool existed = FileExists(output.path);
  if (!RecordFresh(output, existed, file, output.keep)) return false;
  if (existed) (void)file.CopyModeFrom(output.path);
  return file.MoveUnder(output.stream, 0);
}

bool RunJournal::RecordInPlace(Output& output, std::int64_t oldSize, std::int64_t offset) {
  output.oldSize = oldSize;
  output.offset = offset;
  output.tail.clear();
  if (offset < oldSize) {
    RawFile file;
    output.tail.resize(std::size_t(oldSize - offset));
    if (!file.OpenForReading(output.path) ||
        !file.ReadAt(offset, output.tail.data(), output.tail.size()))
      return false;
  }
  bool ok = true;
  AppendRecord(output,
               "INPLACE " + std::to_string(oldSize) + " " + std::to_string(offset) + " " +
                   Field(output.tail),
               ok);
  if (ok) output.kind = Journal::Kind::kInPlace;
  return ok;
}

bool RunJournal::RecordFresh(Output& output, bool existed, RawFile& work, bool keep) {
  output.keep = keep;
  for (int tries = 0; tries < 100; ++tries) {
    // Beside the output, so that the rename never crosses file systems; a
    // name no one can plant a link at in advance.
    const std::string name = output.path + "." + Hex(RandomBits()).substr(0, 8) + ".$$$";
    bool ok = true;
    AppendRecord(output, std::string("FRESH ") + (existed ? "1 " : "0 ") + Field(name), ok);
    if (!ok) WriteFailed(output.journalPath, errno);
    output.kind = Journal::Kind::kFresh;
    output.work = name;
    if (work.CreateNew(name)) return true;
    if (!FileExists(name)) break;
  }
  output.work.clear();
  return false;
}

void RunJournal::SetStream(Output& output, std::FILE* stream) { output.stream = stream; }

void RunJournal::Done(Output& output) {
  if (!output.live) return;
  output.done = true;
  output.stream = nullptr;
  if (runWide_) return;
  for (const auto& o : outputs_)
    if (!o->done) return;
  CommitRun();
}

bool RunJournal::UndoOutput(Output& output) {
  if (output.stream != nullptr) {
    DivertStream(output.stream);
    output.stream = nullptr;
  }
  // Let go of (Relock): nothing of this run is in it.
  if (!output.held) return true;
  return Settle(output.path, output.AsJournal(), false);
}

void RunJournal::Abandon(Output& output) {
  if (!output.live) return;
  if (!outputs_.empty() && outputs_.front().get() == &output) {
    RollBack();
    return;
  }
  if (UndoOutput(output) && (!output.held || UnlinkFile(output.journalPath)))
    output.journal.Close();
  output.live = false;
  for (auto it = outputs_.begin(); it != outputs_.end(); ++it) {
    if (it->get() == &output) {
      outputs_.erase(it);
      break;
    }
  }
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
    if (runWide_ && deleteInput_ && !UnlinkFile(inputPath_)) InputNotDeleted(inputPath_, errno);
    Reset();
    return;
  }
  // An output its writer never committed stays as it was.
  for (std::size_t i = outputs_.size(); i-- > 1;)
    if (!outputs_[i]->done) Abandon(*outputs_[i]);
  Output& master = *outputs_.front();
  if (!master.done) {
    RollBack();
    return;
  }
  std::int64_t size = 0;
  std::string hash = Hex(0);
  std::string stamp;
  if (runWide_) {
    stamp = FileStamp(inputPath_);
    if (input) {
      size = input->size;
      hash = HashText(input->hash);
    } else {
      Identity(inputPath_, size, hash);
    }
  }
  bool ok = true;
  AppendRecord(master,
               std::string("COMMIT ") + (runWide_ && deleteInput_ ? "1 " : "0 ") +
                   std::to_string(size) + " " + hash + " " + Field(stamp) + " " +
                   Field(runWide_ ? inputPath_ : std::string()),
               ok);
  if (!ok) WriteFailed(master.journalPath, errno);
  // Committed: from here on a failure leaves the journals for the next run,
  // which finishes what follows.
  committed_ = true;
  for (const auto& o : outputs_)
    if (!Settle(o->path, o->AsJournal(), true)) WriteFailed(o->path, errno);
  for (std::size_t i = 1; i < outputs_.size(); ++i) {
    if (!UnlinkFile(outputs_[i]->journalPath) || !outputs_[i]->journal.Close())
      WriteFailed(outputs_[i]->journalPath, errno);
  }
  if (runWide_ && deleteInput_ && !UnlinkFile(inputPath_)) {
    // Booked, and only the input is left: the master's journal stays, so
    // that the next run finds this input booked instead of booking it again.
    InputNotDeleted(inputPath_, errno);
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
      for (std::size_t i = outputs_.size(); i-- > 0;) {
        Output& o = *outputs_[i];
        bool ok = UndoOutput(o);
        // The master's journal goes last: until then it tells the members'
        // recovery that the transaction was not committed.
        if (ok && i > 0 && o.held) ok = UnlinkFile(o.journalPath);
        all = all && ok;
      }
      if (all && !outputs_.empty() && outputs_.front()->held) {
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
  if (!UnlinkFile(inputPath_)) {
    InputNotDeleted(inputPath_, errno);
    return;
  }
  if (!UnlinkFile(bookedPath) || !SyncDirectoryOf(bookedPath)) WriteFailed(bookedPath, errno);
}

std::FILE* RunJournal::CreateWorkFile(const std::string& path) {
  // A stale copy of a killed run, or a link planted at the name: the link
  // itself goes, never the file it points to.
  if (!UnlinkFile(path)) return nullptr;
  RawFile file;
  if (!file.CreateNew(path)) return nullptr;
  workFiles_.push_back(path);
  SetRollbackHook(RollBackHook);
  return file.ReleaseToStream(0);
}

void RunJournal::ReplaceInputWith(const std::string& path) { inputCopy_ = path; }

void RunJournal::Reset() {
  for (const auto& o : outputs_) {
    o->live = false;
    o->journal.Close();
  }
  outputs_.clear();
  workFiles_.clear();
  inputCopy_.clear();
  transaction_.clear();
  runWide_ = false;
  committed_ = false;
  bookedJournal_.Close();
  bookedJournalPath_.clear();
  SetRollbackHook(nullptr);
}

}  // namespace zeko
