#include "app/protocol_entry.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "app/protocol_command.h"
#include "app/usage.h"
#include "lib/messages.h"
#include "lib/platform.h"
#include "lib/sha256.h"
#include "output/raw_file.h"

namespace zeko {
namespace {

// Size and SHA-256 of a file read whole; nothing when it cannot be read.
struct FileDigest {
  std::int64_t size = 0;
  std::string sha256;
  std::string text;  // the bytes themselves, where the caller keeps them
};

FileDigest DigestOf(const std::string& path, bool keepText) {
  FileDigest digest;
  RawFile file;
  if (!file.OpenForReading(ResolvePath(path))) return digest;
  const std::int64_t size = file.Size();
  if (size < 0) return digest;
  Sha256 sha;
  std::string chunk(std::size_t{1} << 20, '\0');
  for (std::int64_t at = 0; at < size;) {
    const std::size_t n = static_cast<std::size_t>(
        std::min<std::int64_t>(size - at, static_cast<std::int64_t>(chunk.size())));
    if (!file.ReadAt(at, chunk.data(), n)) return FileDigest{};
    sha.Update(chunk.data(), n);
    if (keepText) digest.text.append(chunk.data(), n);
    at += static_cast<std::int64_t>(n);
  }
  digest.size = size;
  digest.sha256 = sha.Hex();
  return digest;
}

// The calendar day of a broken-down time, for the offset between two.
std::chrono::sys_days DayOf(const std::tm& t) {
  return std::chrono::sys_days{std::chrono::year{t.tm_year + 1900} /
                               std::chrono::month{static_cast<unsigned>(t.tm_mon + 1)} /
                               std::chrono::day{static_cast<unsigned>(t.tm_mday)}};
}

// The protocol is an output like the others: the same lock, the same
// recovery, the same commit.
DeclaredOutput ProtocolFile(const std::string& path) {
  return {{path, OutputMode::kAppend, msg::kOutputOpen + path, msg::kOutputOpen, {}},
          Framing::kRaw,
          Counting::kByWriter,
          false};
}

// Chains the entry to what the file holds now (its lock is held) and puts
// it behind.
void PutEntry(LineSink& log, const std::string& path, const ProtocolEntry& entry) {
  const ProtocolTail tail = TailOf(DigestOf(path, true).text);
  std::string line = tail.needsNewline ? "\n" : "";
  line += ProtocolLine(entry, tail.lastNr + 1, tail.lastHash);
  log.PutRaw(line);
}

}  // namespace

std::string IsoLocalTime(std::int64_t time) {
  const std::time_t t = static_cast<std::time_t>(time);
  std::tm local{}, utc{};
#ifdef _WIN32
  localtime_s(&local, &t);
  gmtime_s(&utc, &t);
#else
  localtime_r(&t, &local);
  gmtime_r(&t, &utc);
#endif
  const long minutes = static_cast<long>((DayOf(local) - DayOf(utc)).count()) * 1440 +
                       (local.tm_hour - utc.tm_hour) * 60 + (local.tm_min - utc.tm_min);
  const long shown = minutes < 0 ? -minutes : minutes;
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02ld:%02ld",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                local.tm_min, local.tm_sec, minutes < 0 ? '-' : '+', shown / 60, shown % 60);
  return text;
}

RunProtocol::RunProtocol(const RunContext& ctx)
    : path_(ProtocolPath(ctx.configPath, ctx.settings)),
      start_(IsoLocalTime(GetSysTime())),
      user_(UserName()),
      host_(HostName()) {
  if (!on()) return;
  configSha256_ = DigestOf(ctx.configPath, false).sha256;
  // The input as the run found it: a committed run deletes it, a booked
  // one finds it gone by the time its entry is written.
  const FileDigest input = DigestOf(ctx.inputPath, false);
  inputSize_ = input.size;
  inputSha256_ = input.sha256;
}

ProtocolEntry RunProtocol::Entry(const RunContext& ctx, RunOutcome result, int exitCode,
                                 const std::string& message) const {
  ProtocolEntry e;
  e.start = start_;
  e.end = IsoLocalTime(GetSysTime());
  e.user = user_;
  e.host = host_;
  e.version = ZekoVersion();
  e.configPath = ctx.configPath;
  e.configSha256 = configSha256_;
  e.target = ctx.settings.typeKeyword;
  e.dataType = ctx.dataType;
  e.inputName = ctx.inputPath;
  e.inputSize = inputSize_;
  e.inputSha256 = inputSha256_;
  e.records = totals_.records();
  for (std::size_t i = 0; i < totals_.tallies().size(); ++i) {
    const Tally& t = totals_.tallies()[i];
    if (t.records > 0) e.totals.push_back({static_cast<int>(i), t.records, t.cents});
  }
  e.result = result;
  e.exitCode = exitCode;
  e.message = message;
  return e;
}

void RunProtocol::WriteWithin(Sinks& out, const RunContext& ctx, const Writer& writer) {
  if (!on()) return;
  out.FinishAll();
  ProtocolEntry entry = Entry(ctx, RunOutcome::kOk, 0, std::string());
  for (std::size_t i = 0; i < out.size(); ++i) {
    const LineSink& sink = out[i];
    const AddedBytes& added = sink.added();
    entry.outputs.push_back(
        {sink.path(), sink.count(), added.sizeBefore, added.sizeAfter, added.sha256});
  }
  if (const std::optional<Writer::PaymentSums> payments = writer.Payments())
    entry.payments = ProtocolPayments{payments->count, payments->cents};
  PutEntry(out.Open(ProtocolFile(path_)), path_, entry);
}

void RunProtocol::AppendAlone(const RunContext& ctx, RunOutcome result, int exitCode,
                              const std::string& message) {
  if (!on()) return;
  RunJournal alone;
  Sinks out(alone);
  PutEntry(out.Open(ProtocolFile(path_)), path_, Entry(ctx, result, exitCode, message));
  out.CommitAll();
}

}  // namespace zeko
