// The run's entry in the run protocol (output/run_protocol.h): the facts a
// run gathers as it goes, and the two ways the entry reaches the file.
// A committed run writes it as the last output of its own transaction, so
// that after a kill the next run finds the bookings and their entry, or
// neither. A run that fails, is cancelled, finds its export already booked
// or only checks appends it alone afterwards, under the same lock.
#pragma once
#include <cstdint>
#include <string>

#include "app/context.h"
#include "app/control_totals.h"
#include "output/line_sink.h"
#include "output/run_protocol.h"
#include "targets/writer.h"

namespace zeko {

class RunProtocol {
 public:
  // After the configuration is read: where the protocol goes (nowhere when
  // PROTOKOLL is set to nothing), the start, who and where, and the
  // configuration's hash.
  explicit RunProtocol(const RunContext& ctx);
  RunProtocol(const RunProtocol&) = delete;
  RunProtocol& operator=(const RunProtocol&) = delete;

  bool on() const { return !path_.empty(); }
  // The run adds every record it reads.
  ControlTotals& totals() { return totals_; }

  // A committed run, just before its commit: the writer's outputs finished,
  // their figures taken, the protocol opened as the run's last output and
  // the entry written into it.
  void WriteWithin(Sinks& out, const RunContext& ctx, const Writer& writer);
  // Every other end of a run, after its transaction is undone or done. A
  // protocol that cannot be written ends the run as failed: a run that
  // leaves no trace is not one the bookkeeper can account for.
  void AppendAlone(const RunContext& ctx, RunOutcome result, int exitCode,
                   const std::string& message);

 private:
  ProtocolEntry Entry(const RunContext& ctx, RunOutcome result, int exitCode,
                      const std::string& message) const;

  std::string path_;
  std::string start_;
  std::string user_, host_;
  std::string configSha256_;
  std::int64_t inputSize_ = 0;
  std::string inputSha256_;
  ControlTotals totals_;
};

// "2026-12-07T23:01:02+01:00": the local time with its offset from UTC.
std::string IsoLocalTime(std::int64_t time);

}  // namespace zeko
