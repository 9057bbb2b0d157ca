// A run whose commit was recorded but whose input was not yet deleted, or
// whose journal could not be removed afterwards: the next run must tell the
// very input it committed from a new export with the same bytes.
#include "output/journal.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>

#include "lib/hash.h"
#include "output/raw_file.h"
#include "output/safe_output.h"
#include "support/harness.h"

namespace zeko {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;
namespace fs = std::filesystem;

// Version-1 line checksum and input hash, stated here so that a code change
// cannot silently stop zeko from reading the journals already on disk.
std::uint64_t Fnv1a(const std::string& bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  for (unsigned char c : bytes) hash = (hash ^ c) * 0x100000001b3ull;
  return hash;
}

// FNV-1a's step on eight bytes at a time, the rest byte by byte.
std::uint64_t InputHash(const std::string& bytes) {
  std::uint64_t hash = 0xcbf29ce484222325ull;
  std::size_t at = 0;
  for (; at + 8 <= bytes.size(); at += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes.data() + at, 8);
    hash = (hash ^ word) * 0x100000001b3ull;
    hash ^= hash >> 29;
  }
  for (; at < bytes.size(); ++at)
    hash = (hash ^ static_cast<unsigned char>(bytes[at])) * 0x100000001b3ull;
  return hash;
}

std::string Hex(std::uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

std::string Field(const std::string& bytes) {
  std::string text = "=";
  for (unsigned char c : bytes) {
    char escaped[4];
    std::snprintf(escaped, sizeof escaped, "%%%02X", c);
    text += (c <= 0x20 || c >= 0x7F || c == '%') ? std::string(escaped) : std::string(1, char(c));
  }
  return text;
}

// A record line of the given journal version.
std::string Record(int version, const std::string& text) {
  return text + " #" + Hex(version == 1 ? Fnv1a(text) : HashBytes(text)) + "\n";
}

struct StaleCase {
  const char* name;
  int version;     // of the zeko that left the journal
  bool newExport;  // the input was deleted and the host wrote the same bytes anew
};

class StaleCommit : public ::testing::TestWithParam<StaleCase> {};

TEST_P(StaleCommit, OnlyTheVeryInputCountsAsBooked) {
  const int version = GetParam().version;
  TempDir dir;
  const std::string output = (dir / "OUT.TXT").string();
  const std::string input = (dir / "EXPORT.$TM").string();
  const std::string bytes = "the same bookings\r\n";
  WriteFile(output, "old|");
  WriteFile(input, bytes);
  std::string hash;
  if (version == 1) {
    hash = Hex(InputHash(bytes));
  } else {
    ContentHash content;
    content.Update(bytes.data(), bytes.size());
    hash = Hex(content.Value());
  }
  // Version 1 stamps began with a device number, which a restart may change.
  const std::string stamp = (version == 1 ? "2049:" : "") + FileStamp(input);
  const std::string v = std::to_string(version);
  // The journal of a run that committed this input (and the old content as
  // its output) and was stopped before it was done.
  WriteFile(output + ".$JN",
            Record(version, "ZEKO-JOURNAL " + v + " 0123456789abcdef0123456789abcdef -") +
                Record(version, "INPLACE 4 4 =") +
                Record(version, "COMMIT 1 " + std::to_string(bytes.size()) + " " + hash + " " +
                                    Field(stamp) + " " + Field(input)));
  if (GetParam().newExport) {
    fs::remove(input);
    // A new file may get the old one's inode; its time still tells it apart.
    ::usleep(20000);
    WriteFile(input, bytes);
  }

  RunJournal run(input, true, {});
  {
    SafeOutput file;
    OutputStream& out = file.Open(run, {output, OutputMode::kAppend, "update", "create", {}});
    out.Write("new|");
    file.Commit();
  }
  const bool booked = run.InputBooked();
  if (booked)
    run.FinishBooked();
  else
    run.CommitRun();

  EXPECT_EQ(booked, !GetParam().newExport);
  EXPECT_EQ(ReadFile(output), GetParam().newExport ? "old|new|" : "old|");
  EXPECT_FALSE(fs::exists(input));
  EXPECT_FALSE(fs::exists(output + ".$JN"));
}

INSTANTIATE_TEST_SUITE_P(
    All, StaleCommit,
    ::testing::Values(StaleCase{"SameFileIsBooked", 2, false},
                      StaleCase{"NewExportWithTheSameBytesIsConverted", 2, true},
                      StaleCase{"Version1SameFileIsBooked", 1, false},
                      StaleCase{"Version1NewExportIsConverted", 1, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zeko
