// SLANG throughput: records of 20 fields handed to a macro that only counts
// them. Usage: bench_slang [records]   (default 1,000,000)
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "output/journal.h"
#include "output/line_sink.h"
#include "targets/registry.h"

int main(int argc, char** argv) {
  using namespace zeko;
  const long records = argc > 1 ? std::atol(argv[1]) : 1000000;

  char dir[] = "/tmp/bench_slangXXXXXX";
  if (!mkdtemp(dir)) return 1;
  const std::string macro = std::string(dir) + "/count.lua";
  const std::string result = std::string(dir) + "/count.txt";
  std::ofstream(macro) << "local records, fields = 0, 0\n"
                          "function OpenOutput(path) end\n"
                          "function StartRecord() records = records + 1 end\n"
                          "function ProcessField(n, value, length, format) fields = fields + 1 end\n"
                          "function EndRecord() end\n"
                          "function CloseOutput()\n"
                          "  local f = assert(io.open('" << result << "', 'w'))\n"
                          "  f:write(records, ' ', fields)\n"
                          "  f:close()\n"
                          "end\n";

  Settings settings;
  settings.slMacro = macro;
  settings.targetType = kTargetSLANG;
  auto record = std::make_unique<Record>();
  RunInfo run{settings, *record};
  run.outputPath = std::string(dir) + "/OUT.CSV";
  run.dataType = zeko::DataType::kOutgoingInvoices;
  run.runDate = "31.12.2001";
  // Twenty fields of the sizes a booking record has.
  const int numbers[20] = {10, 15, 100, 101, 102, 103, 105, 106, 110, 111,
                           112, 113, 115, 116, 117, 118, 120, 121, 130, 198};
  std::string line;
  for (int i = 0; i < 20; ++i) {
    std::string value = "12345.67";
    if (i % 3 != 0) (value = "Buchungstext ") += std::to_string(i);
    char header[10];
    std::snprintf(header, sizeof header, "%03d%03zu%03d", numbers[i], value.size(), i % 4);
    line += header + value;
  }
  record->Split(line);

  auto writer = MakeWriter(run);
  // CPU time too: on a shared machine the wall clock tells little.
  std::clock_t cpuStart = std::clock();
  auto start = std::chrono::steady_clock::now();
  zeko::RunJournal journal;
  zeko::Sinks out(journal);
  for (const zeko::DeclaredOutput& declared : writer->Outputs()) out.Open(declared);
  writer->Open(out);
  for (long i = 0; i < records; ++i) writer->Write(*record, out);
  writer->Close(out);
  out.CommitAll();
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;

  std::stringstream counted;
  counted << std::ifstream(result).rdbuf();
  std::printf("%ld records of 20 fields in %.2f s (%.2f s CPU): %.0f records/s, %.0f per CPU second"
              " (macro counted: %s)\n",
              records, seconds, cpu, records / seconds, records / cpu, counted.str().c_str());
  std::remove(macro.c_str());
  std::remove(result.c_str());
  std::remove(dir);
  return 0;
}
