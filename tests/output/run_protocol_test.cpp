#include "output/run_protocol.h"

#include <gtest/gtest.h>

#include <functional>

#include "lib/sha256.h"

namespace zeko {
namespace {

using Lines = std::vector<std::string>;

ProtocolEntry Sample(int i) {
  ProtocolEntry e;
  e.start = "2026-12-0" + std::to_string(i + 1) + "T23:01:02+01:00";
  e.end = "2026-12-0" + std::to_string(i + 1) + "T23:01:05+01:00";
  e.user = "fibu";
  e.host = "PC1";
  e.version = "1.0.0";
  e.configPath = "C:\\FIBU\\FIBCONF";
  e.configSha256 = std::string(64, 'a');
  e.target = i == 2 ? "SPK" : "HS";
  e.dataType = 1 + i;
  e.inputName = "INPUT.$TM";
  e.inputSize = 100 * i;
  e.inputSha256 = std::string(64, 'b');
  e.records = 3 + i;
  e.outputs.push_back({"BUCH.DAT", 3, 10, 20, std::string(64, 'c')});
  e.totals.push_back({1 + i, 3, -1234 * i});
  if (i == 2) e.payments = ProtocolPayments{2, 500};
  e.result = static_cast<RunOutcome>(i);
  e.exitCode = i == 0 ? 0 : 1;
  return e;
}

// Three chained entries, as three runs append them.
std::vector<std::string> ThreeLines() {
  std::vector<std::string> lines;
  std::string prev = kNoHash;
  for (int i = 0; i < 3; ++i) {
    lines.push_back(ProtocolLine(Sample(i), i + 1, prev));
    prev = lines.back().substr(lines.back().size() - 67, 64);
  }
  return lines;
}

std::string Join(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l;
  return text;
}

TEST(RunProtocol, LinesReadBackAsWritten) {
  struct Row {
    std::string message;  // goes through the escaping
    std::string written;  // how the line shows it
    std::string read;     // what a reader gets back
  };
  const Row rows[] = {
      {"", "\"message\":\"\"", ""},
      {"Wert \"1,5\" in C:\\X", R"("message":"Wert \"1,5\" in C:\\X")", "Wert \"1,5\" in C:\\X"},
      {"a\tb\nc\x01\x7f", R"("message":"a\u0009b\u000ac\u0001\u007f")", "a\tb\nc\x01\x7f"},
      {"Übernahme abgebrochen", "\"message\":\"Übernahme abgebrochen\"", "Übernahme abgebrochen"},
      {"\xF0\x9F\x98\x80", "\"message\":\"\xF0\x9F\x98\x80\"", "\xF0\x9F\x98\x80"},
      // Windows-1252 from a configuration file: ä, €, and a cut sequence.
      {"K\xE4se \x80 \xC3", R"("message":"K\u00e4se \u0080 \u00c3")", "K\xC3\xA4se \xC2\x80 \xC3\x83"},
      // Overlong form and surrogate: not UTF-8 either.
      {"\xC0\xAF\xED\xA0\x80", R"("message":"\u00c0\u00af\u00ed\u00a0\u0080")",
       "\xC3\x80\xC2\xAF\xC3\xAD\xC2\xA0\xC2\x80"},
  };
  for (const Row& row : rows) {
    for (int sample = 0; sample < 3; ++sample) {
      ProtocolEntry e = Sample(sample);
      e.message = row.message;
      const std::string line = ProtocolLine(e, 7, kNoHash);
      ASSERT_EQ(line.back(), '\n');
      EXPECT_NE(line.find(row.written), std::string::npos) << line;
      EXPECT_EQ(line.find("payments") != std::string::npos, sample == 2) << line;
      ParsedEntry p;
      ASSERT_TRUE(ParseProtocolLine(std::string_view(line).substr(0, line.size() - 1), p)) << line;
      EXPECT_EQ(p.nr, 7);
      EXPECT_EQ(p.entry.message, row.read);
      EXPECT_EQ(p.prev, kNoHash);
      // The hash is that of the line without its hash member.
      const std::size_t cut = line.find(",\"hash\":");
      EXPECT_EQ(p.hash, Sha256Hex(line.substr(0, cut) + "}"));
      // Everything else comes back as it was given.
      p.entry.message = e.message;
      EXPECT_EQ(ProtocolLine(p.entry, p.nr, p.prev), line);
    }
  }
}

TEST(RunProtocol, VerifyNamesTheFirstDamage) {
  struct Row {
    const char* what;
    std::function<std::string(Lines)> make;
    long badLine;  // 0: intact
    const char* reason;
  };
  const Row rows[] = {
      {"intact", [](Lines l) { return Join(l); }, 0, ""},
      {"empty", [](Lines) { return std::string(); }, 0, ""},
      {"amount changed",
       [](Lines l) {
         l[1].replace(l[1].find("-1234"), 5, "-1235");
         return Join(l);
       },
       2, "Inhalt geändert"},
      {"first removed", [](Lines l) { return l[1] + l[2]; }, 1, "Eintrag entfernt"},
      {"middle removed", [](Lines l) { return l[0] + l[2]; }, 2, "Eintrag entfernt"},
      {"swapped", [](Lines l) { return l[0] + l[2] + l[1]; }, 2, "steht in Zeile 3"},
      {"doubled", [](Lines l) { return l[0] + l[1] + l[1] + l[2]; }, 3, "steht schon in Zeile 2"},
      {"last line end lost", [](Lines l) { return Join(l).substr(0, Join(l).size() - 1); }, 3,
       "unvollständig"},
      {"blank line", [](Lines l) { return l[0] + "\n" + l[1] + l[2]; }, 2, "nicht lesbar"},
      {"CR LF", [](Lines l) { return l[0].insert(l[0].size() - 1, "\r") + l[1] + l[2]; }, 1,
       "CR LF"},
      // Someone who knows the scheme renumbers entry 3 after removing entry
      // 2 and gives it a right hash: its prev still names the removed one.
      {"renumbered",
       [](Lines l) {
         ParsedEntry third;
         ParseProtocolLine(l[2].substr(0, l[2].size() - 1), third);
         return l[0] + ProtocolLine(third.entry, 2, third.prev);
       },
       2, "Verkettung unterbrochen"},
  };
  for (const Row& row : rows) {
    const ProtocolCheck check = VerifyProtocol(row.make(ThreeLines()));
    EXPECT_EQ(check.ok, row.badLine == 0) << row.what;
    EXPECT_EQ(check.firstBadLine, row.badLine) << row.what;
    EXPECT_EQ(check.firstBadEntry, row.badLine) << row.what;
    EXPECT_NE(check.reason.find(row.reason), std::string::npos) << row.what << ": " << check.reason;
  }
}

// Whatever single byte is changed, added or taken away, the check notices.
TEST(RunProtocol, VerifyFindsEverySingleByteChange) {
  const std::string good = Join(ThreeLines());
  ASSERT_TRUE(VerifyProtocol(good).ok);
  long missed = 0;
  const auto expectBroken = [&](const std::string& text) {
    if (text != good && VerifyProtocol(text).ok && ++missed < 5) ADD_FAILURE() << text;
  };
  for (std::size_t i = 0; i <= good.size(); ++i) {
    for (const char c : {'x', '\n', '0', ' '}) expectBroken(std::string(good).insert(i, 1, c));
    if (i == good.size()) break;
    expectBroken(std::string(good).erase(i, 1));
    for (const unsigned flip : {0x01u, 0x20u, 0x80u}) {
      std::string changed = good;
      changed[i] = static_cast<char>(static_cast<unsigned char>(changed[i]) ^ flip);
      expectBroken(changed);
    }
  }
  EXPECT_EQ(missed, 0);
}

TEST(RunProtocol, TailChainsOnEvenAfterDamage) {
  const Lines lines = ThreeLines();
  const std::string third = lines[2].substr(0, lines[2].size() - 1);
  struct Row {
    const char* what;
    std::string text;
    long nr;
    std::string hash;
    bool needsNewline;
  };
  const Row rows[] = {
      {"no file yet", "", 0, kNoHash, false},
      {"intact", Join(lines), 3, third.substr(third.size() - 66, 64), false},
      {"last line changed", lines[0] + lines[1] + "x" + lines[2], 3,
       Sha256Hex("x" + third), false},
      {"cut short", lines[0] + lines[1] + third.substr(0, 40), 3, Sha256Hex(third.substr(0, 40)),
       true},
  };
  for (const Row& row : rows) {
    const ProtocolTail tail = TailOf(row.text);
    EXPECT_EQ(tail.lastNr, row.nr) << row.what;
    EXPECT_EQ(tail.lastHash, row.hash) << row.what;
    EXPECT_EQ(tail.needsNewline, row.needsNewline) << row.what;
  }
  // The next entry after a damaged one is appended, and the damage is
  // still what a check names.
  const std::string damaged = lines[0] + lines[1] + "x" + lines[2];
  const ProtocolTail tail = TailOf(damaged);
  const ProtocolCheck check =
      VerifyProtocol(damaged + ProtocolLine(Sample(0), tail.lastNr + 1, tail.lastHash));
  EXPECT_EQ(check.firstBadLine, 3);
  EXPECT_EQ(check.entries, 4);
}

}  // namespace
}  // namespace zeko
