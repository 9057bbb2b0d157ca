#include "output/safe_output.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

#include "lib/error.h"
#include "lib/messages.h"
#include "lib/platform.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace zeko {
namespace fs = std::filesystem;

namespace {

// The size of a file the run replaces; 0 when there is none.
std::int64_t SizeOf(const std::string& path) {
  std::error_code ec;
  const std::uintmax_t size = fs::file_size(path, ec);
  return ec ? 0 : static_cast<std::int64_t>(size);
}

#ifdef _WIN32
constexpr const char* kNullDevice = "NUL";
#else
constexpr const char* kNullDevice = "/dev/null";
#endif

bool Seek(std::FILE* file, std::int64_t offset) {
#ifdef _WIN32
  return _fseeki64(file, offset, SEEK_SET) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

bool SyncStream(std::FILE* file) {
#ifdef _WIN32
  return _commit(_fileno(file)) == 0;
#else
  return fsync(fileno(file)) == 0;
#endif
}

// Links resolved, so that a link stays a link and its target is what the
// run changes; the journal lies beside the file itself.
std::string RealPath(const std::string& path) {
  std::error_code ec;
  fs::path real = fs::weakly_canonical(path, ec);
  return ec ? path : real.string();
}

}  // namespace

SafeOutput::~SafeOutput() {
  // Never committed: the file is put back as it was (a failed run has
  // already done so for all its files).
  if (journal_ && !committed_) {
    const std::shared_ptr<RunJournal::Output> output = std::move(journal_);
    run_->Abandon(*output);
  }
  if (existing_ != nullptr) std::fclose(existing_);
  out_.reset();
}

void SafeOutput::CreateFailed(int err) const {
  ErrorExitText(declared_.createError + PathWhere(declared_.path, err));
}

OutputStream& SafeOutput::DryStream() {
  direct_ = true;
  std::FILE* file = std::fopen(kNullDevice, "wb");
  if (file == nullptr) ErrorExitText(declared_.updateError);
  out_ = std::make_unique<OutputStream>(file);
  return *out_;
}

OutputStream& SafeOutput::Open(RunJournal& run, const OutputFile& declared) {
  run_ = &run;
  declared_ = declared;
  path_ = ResolvePath(declared.path);
  if (run.dry()) return DryStream();
  std::error_code ec;
  const fs::file_status status = fs::status(path_, ec);
  if (fs::is_directory(status)) {
    if (declared.mode == OutputMode::kInPlace) CreateFailed(EISDIR);
    ErrorExitText(declared_.updateError);
  }
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    // A device or a pipe: there is nothing to undo, and its bytes are gone
    // once written anyway.
    direct_ = true;
    std::FILE* file = std::fopen(path_.c_str(), declared.mode == OutputMode::kAppend ? "ab" : "wb");
    if (file == nullptr) ErrorExitText(declared_.updateError);
    out_ = std::make_unique<OutputStream>(file);
    out_->SetName(path_);
    return *out_;
  }
  // No file name (an empty PATH and NAME): nothing can be made there.
  if (path_.empty() || path_.back() == '/' || path_.back() == '\\') CreateFailed(ENOENT);
  path_ = RealPath(path_);
  journal_ = run.Join(path_);
  if (!journal_) {
    const int err = errno;
    if (FileExists(path_)) ErrorExitText(declared_.updateError);
    CreateFailed(err);
  }
  // A check, an export found booked, a cancelled wait: the run writes
  // nowhere and ends without a commit.
  if (!RunJournal::Writes(*journal_)) return DryStream();
  if (FileExists(path_) && declared.mode != OutputMode::kReplace) OpenForUpdate();
  existed_ = existing_ != nullptr;
  std::int64_t keep = 0;
  if (declared.mode == OutputMode::kAppend) keep = existingSize_;
  if (declared.mode == OutputMode::kInPlace && existed_)
    keep = declared.keep ? declared.keep(existing_, existingSize_) : existingSize_;
  added_.sizeBefore = existed_ ? existingSize_ : SizeOf(path_);
  OutputStream& out = Begin(keep);
  if (declared.digest) out.KeepDigest();
  return out;
}

// An existing file that cannot be updated is not treated as missing:
// replacing it would lose the earlier runs.
void SafeOutput::OpenForUpdate() {
  RawFile file;
  if (!file.OpenForUpdate(path_)) ErrorExitText(declared_.updateError);
  existingSize_ = file.Size();
  if (existingSize_ < 0) ErrorExitText(declared_.updateError);
  existing_ = file.ReleaseToStream(0);
  if (existing_ == nullptr) ErrorExitText(declared_.updateError);
}

OutputStream& SafeOutput::Stream(std::FILE* file) {
  std::setvbuf(file, nullptr, _IOFBF, 1 << 16);
  out_ = std::make_unique<OutputStream>(file);
  out_->SetName(path_);
  // The work file is synced before it takes the output's place.
  out_->SyncBehind();
  run_->SetStream(*journal_, file);
  return *out_;
}

// The earlier content stays up to `keep` (appending and in place), or the
// file is written anew.
OutputStream& SafeOutput::Begin(std::int64_t keep) {
  const bool inPlace =
      declared_.mode == OutputMode::kAppend || declared_.mode == OutputMode::kInPlace;
  if (existing_ != nullptr && inPlace) {
    if (keep > existingSize_) keep = existingSize_;
    added_.sizeAfter = keep;
    if (!run_->RecordInPlace(*journal_, existingSize_, keep) || !Seek(existing_, keep))
      WriteFailed(path_, errno);
    std::FILE* file = existing_;
    existing_ = nullptr;
    return Stream(file);
  }
  const bool existed = existing_ != nullptr || FileExists(path_);
  if (existing_ != nullptr) {
    std::fclose(existing_);
    existing_ = nullptr;
  }
  RawFile work;
  if (!run_->RecordFresh(*journal_, existed, work, inPlace)) {
    // Without a work file beside it the file cannot be replaced safely;
    // when there is no file yet, it cannot be created.
    if (existed) ErrorExitText(declared_.updateError);
    CreateFailed(errno);
  }
  if (existed) (void)work.CopyModeFrom(path_);
  std::FILE* file = work.ReleaseToStream(0);
  if (file == nullptr) WriteFailed(path_, errno);
  return Stream(file);
}

void SafeOutput::Finish() {
  if (out_ == nullptr) return;
  out_->Flush();
  added_.sizeAfter += out_->handed();
  added_.sha256 = out_->Digest();
  if (direct_) {
    out_->Close();
    out_.reset();
    return;
  }
  out_->Flush();
  if (!SyncStream(out_->file())) WriteFailed(path_, errno);
  out_->Close();
  out_.reset();
  run_->SetStream(*journal_, nullptr);
}

void SafeOutput::Commit() {
  Finish();
  if (!journal_ || committed_) return;
  committed_ = true;
  const std::shared_ptr<RunJournal::Output> output = std::move(journal_);
  run_->Done(*output);
}

}  // namespace zeko
