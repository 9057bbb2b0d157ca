// Grouping throughput of the KHK8 writer: one group of 1,000,000 bookings
// over 100,000 distinct account pairs, written to a file in the temporary
// directory. Usage: khk8_grouping [records [pairs]]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/stat.h>

#include "lib/platform.h"
#include "output/journal.h"
#include "output/line_sink.h"
#include "targets/registry.h"

namespace {

void SetField(zeko::Record& record, int n, const char* text) {
  record.Set(n, text, static_cast<std::uint32_t>(std::strlen(text)), 0);
}

}  // namespace

int main(int argc, char** argv) {
  const long records = argc > 1 ? std::atol(argv[1]) : 1000000;
  const long pairs = argc > 2 ? std::atol(argv[2]) : 100000;
  if (records <= 0 || pairs <= 0) {
    std::fprintf(stderr, "usage: khk8_grouping [records [pairs]]\n");
    return 2;
  }

  zeko::Settings settings;
  settings.targetType = zeko::kTargetKHK8;
  auto record = std::make_unique<zeko::Record>();
  zeko::RunInfo run{settings, *record};
  run.dataType = zeko::DataType::kOutgoingInvoices;
  run.outputPath = zeko::QVTTempPath() + "khk8_grouping_bench.txt";
  SetField(*record, 10, "1");
  SetField(*record, 25, "G1");
  SetField(*record, 100, "RE26-0001");
  SetField(*record, 105, "04.12.2026");
  SetField(*record, 117, "1.90");
  SetField(*record, 125, "2");
  SetField(*record, 140, "142030");
  SetField(*record, 180, "KST01");

  auto writer = zeko::MakeWriter(run);
  const auto start = std::chrono::steady_clock::now();
  zeko::RunJournal journal;
  zeko::Sinks out(journal);
  for (const zeko::DeclaredOutput& declared : writer->Outputs()) out.Open(declared);
  writer->Open(out);
  char text[32];
  for (long r = 0; r < records; ++r) {
    const long pair = r % pairs;
    std::snprintf(text, sizeof text, "%ld", 8000 + pair % 1000);
    SetField(*record, 120, text);
    std::snprintf(text, sizeof text, "%ld", 10000 + pair / 1000);
    SetField(*record, 110, text);
    std::snprintf(text, sizeof text, "%ld.%02ld", 1 + r % 50, r % 100);
    SetField(*record, 115, text);
    writer->Write(*record, out);
  }
  writer->Close(out);
  out.CommitAll();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  struct stat st {};
  const long long bytes = ::stat(run.outputPath.c_str(), &st) == 0 ? st.st_size : -1;
  std::printf("records %ld, account pairs %ld, lines written %ld, bytes %lld\n", records, pairs,
              writer->Count(out), bytes);
  std::printf("time %.3f s (%.0f records/s)\n", seconds, records / seconds);
  std::remove(run.outputPath.c_str());
  return writer->Count(out) == pairs || records < pairs ? 0 : 1;
}
