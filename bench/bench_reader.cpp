// Reader throughput: writes a synthetic input of about 100 MB, then reads it
// record by record into the field table and reports MB/s. Run by hand:
//   cmake -B build -DZEKO_BENCH=ON && cmake --build build --target bench_reader
//   build/bench_reader [MB] [keep|reuse]
// "keep" leaves the generated file in /tmp, "reuse" reads it again without
// generating (so that a heap profiler sees only the reader).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "lib/filehandle.h"
#include "record/record.h"

namespace {

std::string Group(int number, const std::string& value) {
  char head[16];
  std::snprintf(head, sizeof head, "%03d%03zu000", number, value.size());
  return head + value;
}

}  // namespace

int main(int argc, char** argv) {
  const double megabytes = argc > 1 ? std::atof(argv[1]) : 100.0;
  const std::string mode = argc > 2 ? argv[2] : "";
  const std::string path = "/tmp/zeko-bench-reader.$TM";
  std::size_t bytes = 0, records = 0;
  std::FILE* f = std::fopen(path.c_str(), mode == "reuse" ? "rb" : "wb");
  if (!f) return 1;
  if (mode == "reuse") {
    std::fseek(f, 0, SEEK_END);
    bytes = static_cast<std::size_t>(std::ftell(f));
  }
  unsigned seed = 12345;
  while (mode != "reuse" && bytes < megabytes * 1e6) {
    seed = seed * 1103515245u + 12345u;
    std::string line = Group(10, "1") + Group(15, "0") + Group(105, "04.12.2026") +
                       Group(100, std::to_string(seed % 1000000)) + Group(110, "8400") +
                       Group(115, std::to_string(seed % 100000) + ".25") + Group(120, "10000") +
                       Group(150, "Rechnung " + std::to_string(records)) +
                       Group(205, "Mustermann GmbH & Co. KG") + Group(210, "Hauptstrasse 1") +
                       Group(215, "12345 Musterstadt") + Group(260, "19") + "\r\n";
    std::fwrite(line.data(), 1, line.size(), f);
    bytes += line.size();
    ++records;
  }
  std::fclose(f);

  zeko::RecordReader in(path, 16383, zeko::SlotOrder::kByNumber);
  long fields = 0, n = 0;
  auto t0 = std::chrono::steady_clock::now();
  while (in.Next()) {
    fields += static_cast<long>(in.record().groups().size());
    ++n;
  }
  auto t1 = std::chrono::steady_clock::now();
  double s = std::chrono::duration<double>(t1 - t0).count();
  std::printf("%ld records, %ld fields, %.1f MB in %.3f s: %.0f MB/s, %.0f records/s\n", n, fields,
              bytes / 1e6, s, bytes / 1e6 / s, n / s);
  if (mode.empty()) std::remove(path.c_str());
  return 0;
}
