// The state of one conversion run, held by the run driver.
#pragma once
#include <memory>
#include <optional>
#include <string>

#include "config/settings.h"
#include "record/record.h"
#include "targets/writer.h"

namespace zeko {

class CZekoDlg;

inline constexpr const char* kDataTypeNames[6] = {"",
                                                  "Rechnungsausgang",
                                                  "Debitoren - Adressen",
                                                  "Rechnungseingang",
                                                  "Kreditoren - Adressen",
                                                  "Zahlungseingang"};

struct RunContext {
  // Command line.
  std::string configPath;  // "/CONFIG:"
  std::string configDir;   // configPath cut after its last separator
  std::string tempName;    // "/TEMP:"
  bool deleteInput = true;

  Settings settings;     // read-only once ReadConfig has run
  int presortField = 0;  // PRESORT, switched off when the first record lacks it

  std::string inputPath;
  std::unique_ptr<RecordReader> reader;

  // What the first record fixes.
  int dataType = 0;
  int consolidationMode = 0;
  std::string todayText;  // "%d.%m.%Y"
  std::string runDate;

  // Output binding.
  std::string outputPath;
  std::string outputPath2;
  std::string outputName;  // NAMEn after the placeholder edit, without a second name
  std::optional<RunInfo> run;
  std::unique_ptr<Writer> writer;

  CZekoDlg* dialog = nullptr;

  int DataTypeIndex() const { return (dataType >= 0 && dataType <= 5) ? dataType : 0; }
};

}  // namespace zeko
