#include "output/safe_output.h"

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

bool g_dry = false;

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

void SafeOutput::SetDry(bool dry) { g_dry = dry; }
bool SafeOutput::Dry() { return g_dry; }

OutputStream& SafeOutput::DryStream() {
  direct_ = true;
  std::FILE* file = std::fopen(kNullDevice, "wb");
  if (file == nullptr) ErrorExitText(updateError_);
  out_ = std::make_unique<OutputStream>(file);
  return *out_;
}

SafeOutput::~SafeOutput() {
  // Never committed: the file is put back as it was (a failed run has
  // already done so for all its files).
  if (journal_ && !committed_) {
    const std::shared_ptr<RunJournal::Output> output = std::move(journal_);
    RunJournal::Get().Abandon(*output);
  }
  if (existing_ != nullptr) std::fclose(existing_);
  out_.reset();
}

void SafeOutput::JoinRun() {
  journal_ = RunJournal::Get().Join(path_);
  if (journal_) return;
  // No journal can be made beside the file: for a new file that is the
  // writer's own failure to create it, with its own message.
  if (!FileExists(path_) && create_) {
    create_();
    UnlinkFile(path_);
  }
  ErrorExitText(FileExists(path_) ? updateError_ : createError_);
}

OutputStream& SafeOutput::Open(const std::string& path, Mode mode, const std::string& updateError,
                               const std::function<void()>& create) {
  updateError_ = updateError;
  createError_ = updateError;
  create_ = create;
  path_ = ResolvePath(path);
  if (g_dry) return DryStream();
  std::error_code ec;
  const fs::file_status status = fs::status(path_, ec);
  if (fs::is_directory(status)) ErrorExitText(updateError_);
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    // A device or a pipe: there is nothing to undo, and its bytes are gone
    // once written anyway.
    direct_ = true;
    std::FILE* file = std::fopen(path_.c_str(), mode == Mode::kAppend ? "ab" : "wb");
    if (file == nullptr) ErrorExitText(updateError_);
    out_ = std::make_unique<OutputStream>(file);
    out_->SetName(path_);
    return *out_;
  }
  // No file name (an empty PATH and NAME): nothing can be made there, so
  // the writer's own opening fails with its message before a journal or a
  // work file exists.
  if (path_.empty() || path_.back() == '/' || path_.back() == '\\') {
    if (create_) create_();
    ErrorExitText(createError_);
  }
  path_ = RealPath(path_);
  inPlace_ = mode == Mode::kAppend;
  JoinRun();
  if (FileExists(path_) && mode != Mode::kReplace) OpenForUpdate();
  return Begin(mode == Mode::kAppend ? existingSize_ : 0);
}

bool SafeOutput::OpenExisting(const std::string& path, const std::string& updateError,
                              const std::string& createError) {
  updateError_ = updateError;
  createError_ = createError;
  if (g_dry) return false;
  std::error_code ec;
  if (path.empty() || fs::is_directory(path, ec)) ErrorExitText(createError_);
  path_ = RealPath(path);
  inPlace_ = true;
  JoinRun();
  if (!FileExists(path_)) return false;
  OpenForUpdate();
  return true;
}

// An existing file that cannot be updated is not treated as missing:
// replacing it would lose the earlier runs.
void SafeOutput::OpenForUpdate() {
  RawFile file;
  if (!file.OpenForUpdate(path_)) ErrorExitText(updateError_);
  existingSize_ = file.Size();
  if (existingSize_ < 0) ErrorExitText(updateError_);
  existing_ = file.ReleaseToStream(0);
  if (existing_ == nullptr) ErrorExitText(updateError_);
}

OutputStream& SafeOutput::Stream(std::FILE* file) {
  std::setvbuf(file, nullptr, _IOFBF, 1 << 16);
  out_ = std::make_unique<OutputStream>(file);
  out_->SetName(path_);
  // The work file is synced before it takes the output's place.
  out_->SyncBehind();
  RunJournal::Get().SetStream(*journal_, file);
  return *out_;
}

OutputStream& SafeOutput::Begin(std::int64_t keep) {
  if (g_dry) return DryStream();
  RunJournal& run = RunJournal::Get();
  if (existing_ != nullptr && inPlace_) {
    if (keep > existingSize_) keep = existingSize_;
    if (!run.RecordInPlace(*journal_, existingSize_, keep) || !Seek(existing_, keep))
      WriteFailed(path_, errno);
    std::FILE* file = existing_;
    existing_ = nullptr;
    return Stream(file);
  }
  // Nothing of the earlier content stays: the file is written anew.
  const bool existed = existing_ != nullptr || FileExists(path_);
  if (existing_ != nullptr) {
    std::fclose(existing_);
    existing_ = nullptr;
  }
  RawFile work;
  if (!run.RecordFresh(*journal_, existed, work, inPlace_)) {
    // Without a work file beside it the file cannot be replaced safely;
    // when there is no file yet, it cannot be created.
    if (!existed && create_) {
      create_();
      UnlinkFile(path_);
    }
    ErrorExitText(existed ? updateError_ : createError_);
  }
  if (existed) (void)work.CopyModeFrom(path_);
  std::FILE* file = work.ReleaseToStream(0);
  if (file == nullptr) WriteFailed(path_, errno);
  return Stream(file);
}

void SafeOutput::Finish() {
  if (out_ == nullptr) return;
  if (direct_) {
    out_->Close();
    out_.reset();
    return;
  }
  out_->Flush();
  if (!SyncStream(out_->file())) WriteFailed(path_, errno);
  out_->Close();
  out_.reset();
  RunJournal::Get().SetStream(*journal_, nullptr);
}

void SafeOutput::Commit() {
  Finish();
  if (!journal_ || committed_) return;
  committed_ = true;
  const std::shared_ptr<RunJournal::Output> output = std::move(journal_);
  RunJournal::Get().Done(*output);
}

}  // namespace zeko
