// ConvertField rate on numeric fields (whole numbers, two decimals, signed
// zero-filled amounts). Run by hand: build/bench_convert [count]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "convert/convert.h"
#include "record/record.h"

int main(int argc, char** argv) {
  const long count = argc > 1 ? std::atol(argv[1]) : 1000000;
  const zeko::MapEntry rows[] = {{115, 13, 15}, {115, 12, 2}, {115, 12, 25}, {110, 8, 12}};
  const char* values[] = {"1234.56", "-0.125", "99999.995", "7", "12.5", "-3"};
  zeko::Record fields;
  char out[64];
  char value[32];
  unsigned long sum = 0;
  auto t0 = std::chrono::steady_clock::now();
  for (long i = 0; i < count; ++i) {
    std::strcpy(value, values[i % 6]);
    zeko::ConvertField(out, rows[i % 4], value, fields);
    sum += static_cast<unsigned char>(out[3]);
  }
  auto t1 = std::chrono::steady_clock::now();
  double s = std::chrono::duration<double>(t1 - t0).count();
  std::printf("%ld fields in %.3f s: %.2f million fields/s (checksum %lu)\n", count, s,
              count / s / 1e6, sum);
  return 0;
}
