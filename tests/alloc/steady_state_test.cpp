// Reading records and converting their fields allocates nothing once the
// buffers have grown. The count comes from a replaced global operator new,
// in a test program of its own so that every other test keeps the usual
// allocator (and a sanitizer its own).
// GCC 12 sees the replaced operators inlined into gtest's `new TestClass`
// and takes our free() for a mismatch with the library's operator new.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <new>
#include <unistd.h>
#include <string>

#include "convert/convert.h"
#include "record/record.h"

namespace {
std::atomic<long> allocations{0};

void* Allocate(std::size_t n) noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(n ? n : 1);
}
}  // namespace

void* operator new(std::size_t n) {
  if (void* p = Allocate(n)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
  if (void* p = Allocate(n)) return p;
  throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace zeko {
namespace {

std::string Group(int number, const std::string& value) {
  char header[10];
  std::snprintf(header, sizeof header, "%03d%03zu000", number, value.size());
  return header + value;
}

// Records of changing shape: fields that come and go (so that values stay
// behind from earlier records), texts up to the longest, amounts, dates and
// a price that the six-decimals code reads with field 196.
std::string Line(int i) {
  std::string line = Group(10, "1") + Group(105, "31.12.2024") + Group(120, std::to_string(i % 97));
  std::string amount(i % 2 ? "-" : "");
  amount += std::to_string(i);
  amount += '.';
  amount += std::to_string(i % 100);
  line += Group(115, amount);
  if (i % 3 == 0) line += Group(110, std::string(static_cast<std::size_t>(i % 999), 'x'));
  if (i % 5 == 0) line += Group(196, i % 10 == 0 ? "100" : "1");
  if (i % 7 != 0) line += Group(300, "-123456789012.123456789");
  line += Group(998 - i % 2, "");
  return line;
}

TEST(SteadyState, ReadingAndConvertingRecordsAllocatesNothing) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("zeko_alloc_" + std::to_string(::getpid()) + ".$TM");
  {
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    ASSERT_NE(file, nullptr);
    for (int i = 0; i < 10000; ++i) std::fprintf(file, "%s\r\n", Line(i).c_str());
    std::fclose(file);
  }
  // Each row with the fields whose values it can take: any value for a text
  // row, numbers that fit for a number row, dates for a date row (a value
  // that does not fit would end the run). Empty fields fit every row.
  struct Use {
    MapEntry row;
    std::initializer_list<int> fields;  // none: every field
  };
  const Use uses[] = {
      {{0, 40, kText}, {}},
      {{0, 20, kTextTrimmed}, {}},
      {{0, 20, kTextUpper}, {}},
      {{0, 15, kNumberCents}, {10, 115, 120, 196, 997, 998}},
      {{0, 12, kDecimalComma}, {10, 115, 120, 196, 997, 998}},
      {{0, 13, kCentsTrailingSign}, {10, 115, 120, 196, 997, 998}},
      {{0, 12, kNumber, "1.5"}, {10, 115, 120, 196, 997, 998}},
      {{0, 8, kDateDDMMYYYY}, {105, 997, 998}},
      {{0, 6, kDateDDMMYY}, {105, 997, 998}},
      {{0, 20, kSixDecimals}, {10, 115, 120, 196, 997, 998}},
      {{0, 4, kBinary32}, {10, 115, 120, 196, 997, 998}},
  };
  auto takes = [](const Use& use, int field) {
    if (use.fields.size() == 0) return true;
    for (int f : use.fields)
      if (f == field) return true;
    return false;
  };
  char value[Record::kValueRoom + 16];
  char out[1100];
  long records = 0, before = 0;
  {
    RecordReader reader(path.string(), 16383, SlotOrder::kByNumber);
    while (reader.Next()) {
      if (++records == 1000) before = allocations.load();
      const Record& record = reader.record();
      for (const FieldGroup& g : record.groups()) {
        for (const Use& use : uses) {
          if (!takes(use, g.number)) continue;
          const MapEntry& row = use.row;
          const std::string_view text = record.Text(g.slot);
          std::memcpy(value, text.data(), text.size());
          value[text.size()] = '\0';
          ConvertField(out, row, value, record);
          ConvertField(out, row, value, text.size(), record);
        }
      }
    }
    EXPECT_EQ(allocations.load() - before, 0) << "in " << records - 1000 << " records";
  }
  EXPECT_EQ(records, 10000);
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace zeko
