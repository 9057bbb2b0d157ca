// The interface every target writer offers the run, and what the run tells
// it once the first record and the binding are known.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "lib/messages.h"
#include "output/line_sink.h"
#include "record/data_type.h"
#include "record/record.h"

namespace zeko {

// Fixed for the whole run once the first record has been read and the
// output bound. `first` is the record as it stood at binding time (the first
// record of the input, before any presort).
struct RunInfo {
  RunInfo(const Settings& s, const Record& f) : settings(s), first(f) {}

  const Settings& settings;
  const Record& first;
  DataType dataType = DataType::kNone;
  int consolidation = 0;  // ConsolidationMode: non-zero merges bookings
  std::string today;      // "%d.%m.%Y"
  std::string runDate;
  std::string outputPath;
  std::string outputPath2;  // the part of NAMEn after a comma, with the directory
  std::string outputName;   // NAMEn without the second name
  std::string configDir;    // beside the configuration file: SPK.NUM, SPK.FRM
};

// The run asks the writer for its Outputs and opens them; then Open, Write
// once per input record, Close; then the run commits the outputs. A writer
// that does not serve the run's data type is bound anyway, declares no
// output and writes nothing. The writer owns its state; the record and the
// outputs are handed in.
class Writer {
 public:
  explicit Writer(const RunInfo& run) : run_(run) {}
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;
  virtual ~Writer() = default;
  // The files of this run, in the order the run opens them.
  virtual std::vector<DeclaredOutput> Outputs() const = 0;
  // With the declared outputs open: out[i] is Outputs()[i].
  virtual void Open(Sinks& out) { (void)out; }
  virtual void Write(const Record& record, Sinks& out) = 0;
  // The closing lines; the run commits the outputs afterwards.
  virtual void Close(Sinks& out) = 0;
  // Records written so far, as the dialog shows them.
  virtual long Count(const Sinks& out) const { return out.Count(); }
  // A payment file's own count and sum, as its cover note shows them (the
  // run protocol keeps them); none for the other targets.
  struct PaymentSums {
    long count = 0;
    long long cents = 0;
  };
  virtual std::optional<PaymentSums> Payments() const { return std::nullopt; }

 protected:
  // The usual declaration: "Fehler beim öffnen Outputdatei <path>" when the
  // file cannot be updated, the same with the reason when it cannot be made.
  DeclaredOutput Output(const std::string& path, OutputMode mode, Framing framing,
                        Counting counting, bool oem) const {
    return {{path, mode, msg::kOutputOpen + path, msg::kOutputOpen, {}}, framing, counting, oem};
  }

  // A file that collects lines over many runs: with APPEND its lines
  // follow the existing content, without it the file starts over (as if
  // removed and created anew). `failMessage` when it cannot be updated.
  DeclaredOutput Collecting(const std::string& path, const char* failMessage) const {
    DeclaredOutput declared =
        Output(path, run_.settings.append != 0 ? OutputMode::kAppend : OutputMode::kReplace,
               Framing::kTextLine, Counting::kByWriter, run_.settings.oemCharset);
    declared.file.updateError = failMessage;
    return declared;
  }

  const RunInfo& run_;
};

}  // namespace zeko
