// The interface every target writer offers the run, and what the run tells
// it once the first record and the binding are known.
#pragma once
#include <string>

#include "config/settings.h"
#include "output/line_sink.h"
#include "record/record.h"

namespace zeko {

// Fixed for the whole run once the first record has been read and the
// output bound. `first` is the record as it stood at binding time (the first
// record of the input, before any presort).
struct RunInfo {
  RunInfo(const Settings& s, const Record& f) : settings(s), first(f) {}

  const Settings& settings;
  const Record& first;
  int dataType = 0;
  int consolidation = 0;  // ConsolidationMode: non-zero merges bookings
  std::string today;      // "%d.%m.%Y"
  std::string runDate;
  std::string outputPath;
  std::string outputPath2;  // the part of NAMEn after a comma, with the directory
  std::string outputName;   // NAMEn without the second name
  std::string configDir;    // beside the configuration file: SPK.NUM, SPK.FRM

  // The data type as an index of the per-type settings (0 when out of range).
  int DataTypeIndex() const { return dataType >= 0 && dataType <= 5 ? dataType : 0; }
};

// Open, then Write once per input record, then Close. A writer that does
// not serve the run's data type is bound anyway and writes nothing.
class Writer {
 public:
  explicit Writer(const RunInfo& run) : run_(run) {}
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;
  virtual ~Writer() = default;
  virtual void Open(const RunInfo& run) = 0;
  virtual void Write(const Record& record) = 0;
  virtual void Close() = 0;
  // Records written so far, as the dialog shows them.
  long Count() const { return sink_.count(); }

 protected:
  const RunInfo& run_;
  LineSink sink_;  // the output file; it keeps the count
};

}  // namespace zeko
