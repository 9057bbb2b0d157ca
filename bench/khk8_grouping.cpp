// Grouping throughput of the KHK8 writer: one group of 1,000,000 bookings
// over 100,000 distinct account pairs, written to a file in the temporary
// directory. Usage: khk8_grouping [records [pairs]]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/stat.h>

#include "lib/platform.h"
#include "run/files.h"
#include "targets/setups.h"

namespace {

void SetField(zeko::RunContext& ctx, int n, const char* text) {
  zeko::FieldSlot& slot = ctx.fields[n];
  slot.value = text;
  slot.length = static_cast<std::uint32_t>(slot.value.size());
}

}  // namespace

int main(int argc, char** argv) {
  const long records = argc > 1 ? std::atol(argv[1]) : 1000000;
  const long pairs = argc > 2 ? std::atol(argv[2]) : 100000;
  if (records <= 0 || pairs <= 0) {
    std::fprintf(stderr, "usage: khk8_grouping [records [pairs]]\n");
    return 2;
  }

  auto ctx = std::make_unique<zeko::RunContext>();
  ctx->settings.targetType = zeko::kTargetKHK8;
  ctx->dataType = 1;
  ctx->outputPath = zeko::QVTTempPath() + "khk8_grouping_bench.txt";
  SetField(*ctx, 10, "1");
  SetField(*ctx, 25, "G1");
  SetField(*ctx, 100, "RE26-0001");
  SetField(*ctx, 105, "04.12.2026");
  SetField(*ctx, 117, "1.90");
  SetField(*ctx, 125, "2");
  SetField(*ctx, 140, "142030");
  SetField(*ctx, 180, "KST01");

  auto writer = zeko::Khk8Setup(*ctx);
  const auto start = std::chrono::steady_clock::now();
  writer->Open();
  char text[32];
  for (long r = 0; r < records; ++r) {
    const long pair = r % pairs;
    std::snprintf(text, sizeof text, "%ld", 8000 + pair % 1000);
    SetField(*ctx, 120, text);
    std::snprintf(text, sizeof text, "%ld", 10000 + pair / 1000);
    SetField(*ctx, 110, text);
    std::snprintf(text, sizeof text, "%ld.%02ld", 1 + r % 50, r % 100);
    SetField(*ctx, 115, text);
    writer->Process();
  }
  writer->Close();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  struct stat st {};
  const long long bytes = ::stat(ctx->outputPath.c_str(), &st) == 0 ? st.st_size : -1;
  std::printf("records %ld, account pairs %ld, lines written %ld, bytes %lld\n", records, pairs,
              ctx->outputCount, bytes);
  std::printf("time %.3f s (%.0f records/s)\n", seconds, records / seconds);
  zeko::RemoveFile(ctx->outputPath);
  return ctx->outputCount == pairs || records < pairs ? 0 : 1;
}
