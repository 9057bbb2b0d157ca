// Presort of one group of 1,000,000 records with many equal keys: the order
// computation alone, then the whole file pass (read, sort, write, rename).
// Prints the times and the peak resident set size.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "record/presort.h"
#include "lib/filehandle.h"
#include "record/record.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// CPU time of the process so far: on a shared machine the steadier measure.
double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long PeakRssKiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t records = argc > 1 ? std::stoul(argv[1]) : 1000000;
  const int distinctKeys = argc > 2 ? std::stoi(argv[2]) : 1000;
  std::mt19937_64 random(42);
  std::uniform_int_distribution<int> draw(0, distinctKeys - 1);

  std::vector<double> keys(records);
  for (double& k : keys) k = draw(random);
  auto start = std::chrono::steady_clock::now();
  double cpu = CpuSeconds();
  const std::vector<std::size_t> order = zeko::PresortOrder(keys);
  std::printf("PresortOrder: %zu keys, %d distinct: %.3f s (cpu %.3f s, first %zu)\n", records,
              distinctKeys, Seconds(start), CpuSeconds() - cpu,
              order.empty() ? std::size_t{0} : order[0]);
  std::printf("peak RSS after the order: %ld KiB\n", PeakRssKiB());

  // The same group as an input file: field 100 the key, field 110 a text.
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("zeko_bench_presort_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string inputPath = (dir / "INPUT.$TM").string();
  {
    std::FILE* file = std::fopen(inputPath.c_str(), "wb");
    char line[64];
    for (std::size_t i = 0; i < records; ++i) {
      const int n = std::snprintf(line, sizeof line, "100003000%03d110020000RECORD %013zu\r\n",
                                  static_cast<int>(keys[i]) % 1000, i);
      std::fwrite(line, 1, static_cast<std::size_t>(n), file);
    }
    std::fclose(file);
  }
  auto reader = std::make_unique<zeko::RecordReader>(inputPath, 16383, zeko::SlotOrder::kByNumber);
  start = std::chrono::steady_clock::now();
  cpu = CpuSeconds();
  reader->Presort(100, {});
  std::printf("Presort of the file (%lld bytes): %.3f s (cpu %.3f s)\n",
              static_cast<long long>(reader->Size()), Seconds(start), CpuSeconds() - cpu);
  std::printf("peak RSS: %ld KiB\n", PeakRssKiB());
  reader.reset();
  std::filesystem::remove_all(dir);
  return 0;
}
