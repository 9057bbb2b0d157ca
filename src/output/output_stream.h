// The stream every output is written through, and the one message of a
// failed write.
#pragma once
#include <atomic>
#include <cstdint>
#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <thread>

#include "lib/sha256.h"

namespace zeko {

// Ends the run with "Fehler in e_write: <path> (<reason>)", the reason that
// of the system's error number err.
[[noreturn]] void WriteFailed(const std::string& path, int err);

// A Windows text-mode output stream: every "\n" written becomes CR LF.
// Write errors end the run with "Fehler in e_write".
//
// The stream keeps its own buffer and hands the file whole blocks, so a run
// of many short records costs few system calls; the file itself is switched
// to unbuffered. Bytes still in the buffer when the process ends without
// Flush or Close (a fatal error) are not written.
class OutputStream {
 public:
  static constexpr std::size_t kBufferSize = 128 * 1024;

  // Takes over a stream on which nothing has been read or written yet.
  explicit OutputStream(std::FILE* file);
  // The file a write error names: the output as the user knows it (a work
  // file takes that output's name).
  void SetName(std::string name) { name_ = std::move(name); }
  ~OutputStream();
  OutputStream(const OutputStream&) = delete;
  OutputStream& operator=(const OutputStream&) = delete;

  void Write(const char* data, std::size_t length);
  void Write(std::string_view text) { Write(text.data(), text.size()); }
  void Puts(const char* text);
  void Putc(char c) { Write(&c, 1); }
  // Bytes as they are, without line-end translation.
  void WriteRaw(const char* data, std::size_t length);
  // Makes what the stream writes durable as it goes: every so often a
  // helper thread syncs the file while the run goes on, so that the sync
  // at the end has little left to wait for. Only for a file that is synced
  // at the end anyway; a failure of such a sync is reported by Flush or
  // Close as a write error.
  void SyncBehind() { syncBehind_ = true; }
  // Hashes every byte from now on as it goes to the file (SHA-256), for
  // the run protocol: the hash of the bytes a run added to an output.
  void KeepDigest();
  // Bytes handed to the file so far, and their hash (once, after Flush).
  std::int64_t handed() const { return handed_; }
  std::string Digest();
  // Hands everything written so far to the system.
  void Flush();
  void Close();
  // The stream underneath; its position and content are up to date only
  // after Flush.
  std::FILE* file() const { return file_; }

 private:
  void Append(const char* data, std::size_t length);
  // The bytes about to go to the file: counted, and hashed when asked.
  void Handing(const char* data, std::size_t length);
  // Writes out the buffer's bytes; false when the file did not take them all.
  bool Drain();

  void StartSyncBehind();
  // Waits for the helper's sync; false when one failed.
  bool JoinSyncBehind();

  [[noreturn]] void Failed(int err) const;

  std::FILE* file_;
  std::string name_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  // Bytes handed to the file since a helper last synced it.
  std::size_t unsynced_ = 0;
  static constexpr std::size_t kSyncBehindStep = 32 << 20;
  bool syncBehind_ = false;
  std::thread syncer_;
  std::atomic<bool> syncing_{false};
  std::atomic<bool> syncFailed_{false};
  std::atomic<int> syncError_{0};
  std::int64_t handed_ = 0;
  std::unique_ptr<Sha256> digest_;
};

}  // namespace zeko
