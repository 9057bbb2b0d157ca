// The state of one conversion run, passed to the code that needs it.
#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "config/settings.h"
#include "lib/filehandle.h"
#include "run/fields.h"
#include "run/output.h"

namespace zeko {

class CZekoDlg;

inline constexpr const char* kDataTypeNames[6] = {
    "", "Rechnungsausgang", "Debitoren - Adressen", "Rechnungseingang",
    "Kreditoren - Adressen", "Zahlungseingang"};

struct RunContext {
  // Command line.
  std::string configPath;  // "/CONFIG:"
  std::string configDir;   // configPath cut after its last separator
  std::string tempName;    // "/TEMP:"
  bool deleteInput = true;

  Settings settings;  // read-only once ReadConfig has run
  int presortField = 0;  // PRESORT, switched off when the first record lacks it

  std::string inputPath;
  std::unique_ptr<FileHandle> input;
  FieldTable fields;
  std::string line;  // raw text of the current input line

  int dataType = 0;
  int consolidationMode = 0;
  std::string todayText;  // "%d.%m.%Y"
  std::string runDate;

  // Values the reader captures in the sequential (MONA) mode, and the HS3 flags.
  int capturedDataType = 0;
  int capturedConsolidation = 0;
  std::string capturedDate;
  int field295Seen = 0;
  int field296Seen = 0;

  // Output binding.
  std::string outputDir;
  std::array<std::string, 6> outputNames;  // NAMEn after the placeholder edit
  std::string outputPath;
  std::string outputPath2;
  std::unique_ptr<OutputWriter> writer;

  long outputCount = 0;  // records written, shown by the dialog
  CZekoDlg* dialog = nullptr;

  int DataTypeIndex() const { return (dataType >= 0 && dataType <= 5) ? dataType : 0; }
};

}  // namespace zeko
