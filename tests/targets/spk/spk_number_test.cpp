// Payment runs of one configuration folder share its SPK.NUM. Started at the
// same time with payment files of their own, each must still get a diskette
// number of its own: two diskettes with one number are one too many for the
// bank.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <set>
#include <string>
#include <sys/stat.h>
#include <thread>

#include "support/harness.h"

namespace zeko::test {
namespace {

// The number after "Diskettennummer:" on the cover note.
long DiskNumber(const std::string& note) {
  const std::size_t at = note.find("Diskettennummer:");
  return at == std::string::npos ? -1 : std::stol(note.substr(at + 16));
}

// Everything written into the pipe until its writer closes it.
std::string Drain(int fd) {
  std::string text;
  char buffer[4096];
  for (;;) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 60000) <= 0) break;
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got > 0) text.append(buffer, static_cast<std::size_t>(got));
    if (got == 0 && (p.revents & POLLHUP)) break;
  }
  return text;
}

// Each run's cover note goes into a pipe that the test opens only once both
// runs are under way: the first waits at its pipe holding SPK.NUM, whose
// number it has read, the second waits for SPK.NUM.
TEST(SpkDiskNumber, RunsAtTheSameTimeGetNumbersOfTheirOwn) {
  const fs::path example = fs::path(ZEKO_SOURCE_DIR) / "examples" / "spk";
  const std::string config = ReadFile(example / "fibconf");
  const std::string input = ReadFile(example / "SAMPLE.$TM");
  for (int pair = 0; pair < 3; ++pair) {
    TempDir work;
    fs::copy_file(example / "SPK.FRM", work / "SPK.FRM");
    WriteFile(work / "SPK.NUM", "41\r\n");
    Started started[2];
    for (int run = 0; run < 2; ++run) {
      const std::string name(1, static_cast<char>('A' + run));
      ASSERT_EQ(::mkfifo((work / ("NOTE" + name + ".TXT")).c_str(), 0600), 0);
      WriteFile(work / ("fibconf" + name),
                Replace(Replace(config, "NAME1=DTAUS0", "NAME1=DTAUS" + name),
                        "PROTPRINTER=begleit.txt", "PROTPRINTER=NOTE" + name + ".TXT"));
      WriteFile(work / ("INPUT" + name + ".$TM"), input);
      RunOptions options;
      options.tag = name;
      started[run] =
          StartZeko(work.path(), {"/CONFIG:./fibconf" + name, "/TEMP:INPUT" + name}, options);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const int notes[2] = {::open((work / "NOTEA.TXT").c_str(), O_RDONLY | O_NONBLOCK),
                          ::open((work / "NOTEB.TXT").c_str(), O_RDONLY | O_NONBLOCK)};
    std::set<long> numbers;
    for (int fd : notes) {
      ASSERT_GE(fd, 0);
      numbers.insert(DiskNumber(Drain(fd)));
      ::close(fd);
    }
    for (const Started& s : started) {
      const RunResult result = WaitZeko(s);
      ASSERT_EQ(result.exitCode, 0) << "pair " << pair << ": " << result.err;
    }
    EXPECT_EQ(numbers, (std::set<long>{42, 43})) << "pair " << pair;
    EXPECT_EQ(std::stol(ReadFile(work / "SPK.NUM")), 43) << "pair " << pair;
  }
}

}  // namespace
}  // namespace zeko::test
