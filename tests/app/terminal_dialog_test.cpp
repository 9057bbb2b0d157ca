// The terminal dialog drawing into a file, on a clock the test moves by hand;
// Esc comes through a pseudo-terminal, Ctrl-C as a real SIGINT.
#include "app/terminal_dialog.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <functional>

#include "lib/error.h"
#include "support/harness.h"

namespace zeko::test {
namespace {

class ClockedDialog : public TerminalDialog {
 public:
  using TerminalDialog::TerminalDialog;
  std::int64_t now = 1000;

 protected:
  std::int64_t NowMs() const override { return now; }
};

// Without a terminal to ask, the screen is 24 lines high: the dialog takes
// lines 17 to 24 below a scrolling region of lines 1 to 16.
constexpr char kFrameStart[] = "\x1b" "7\x1b[17;1H";
constexpr char kErased[] = "\x1b" "7\x1b[r\x1b[17;1H\x1b[J\x1b" "8\x1b[?25h";

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// The dialog as last drawn, each line ending in "|".
std::string LastFrame(const std::string& screen) {
  std::size_t start = screen.rfind(kFrameStart);
  if (start == std::string::npos) return "";
  std::size_t end = screen.find("\x1b" "8", start);
  std::string frame = screen.substr(start, end - start) + "\x1b[";
  std::string lines;
  for (std::size_t at = frame.find("\x1b[2K"); at != std::string::npos;) {
    std::size_t next = frame.find("\x1b[", at + 4);
    lines += frame.substr(at + 4, next - at - 4) + "|";
    at = frame.find("\x1b[2K", next);
  }
  return lines;
}

class TerminalDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fd_ = ::open((dir_ / "screen").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd_, 0);
    // Ctrl-C as in an interactive shell, even if the tests run shielded from it.
    previousInt_ = ::signal(SIGINT, SIG_DFL);
  }
  void TearDown() override {
    ::signal(SIGINT, previousInt_);
    ::close(fd_);
  }
  std::string Screen() { return ReadFile(dir_ / "screen"); }

  TempDir dir_;
  int fd_ = -1;
  void (*previousInt_)(int) = SIG_DFL;
  bool cancel_ = false;
};

TEST_F(TerminalDialogTest, DrawsTheDialogAndErasesItOnClose) {
  ClockedDialog d(fd_, -1);
  d.Show("", "", &cancel_, true);
  d.SetRange(0, 1000);
  d.SetTexts("Rechnungsausgang", "C:/FIBU/\x1b[2JUMS.TXT");
  d.now += 50;
  d.Step(7, 425);
  std::string frame = LastFrame(Screen());
  const std::string bar(50, '.');
  for (const std::string& part :
       {std::string("|== Q.V.T-System 08/4 FIBU-Konverter ==|"),
        std::string("|  Übernahme in Datei :  Rechnungsausgang|"),
        std::string("|  Pfad :                C:/FIBU/?[2JUMS.TXT|"),
        std::string("|  Anzahl Sätze          7|"),
        "|  Vorsortierung  [" + bar + "]   0 %|",
        "|  Übernahme      [" + std::string(21, '#') + std::string(29, '.') + "]  42 %|",
        std::string("|  [ Abbrechen ]  Esc oder Strg+C|")}) {
    EXPECT_NE(frame.find(part), std::string::npos) << part << "\n" << frame;
  }
  d.Close();
  EXPECT_TRUE(EndsWith(Screen(), kErased));
  // 79 columns of an 80-column screen: a long path shows "..." and its end.
  ClockedDialog d2(fd_, -1);
  d2.Show("Rechnungsausgang", "/" + std::string(100, 'd') + "/UMS.TXT", &cancel_, true);
  frame = LastFrame(Screen());
  const std::string path = "|  Pfad :                ..." + std::string(44, 'd') + "/UMS.TXT|";
  EXPECT_NE(frame.find(path), std::string::npos) << frame;
  d2.Close();
}

TEST_F(TerminalDialogTest, RedrawsAtMostEveryFiftyMilliseconds) {
  ClockedDialog d(fd_, -1);
  d.Show("", "", &cancel_, true);
  d.SetRange(0, 100000);
  for (int i = 1; i <= 1000; ++i) d.Step(i, i);
  EXPECT_EQ(Count(Screen(), kFrameStart), 1);  // the frame drawn by Show
  d.now += 49;
  d.Step(1001, 1001);
  EXPECT_EQ(Count(Screen(), kFrameStart), 1);
  d.now += 1;
  d.Step(5000, 5000);
  EXPECT_EQ(Count(Screen(), kFrameStart), 2);
  EXPECT_NE(LastFrame(Screen()).find("|  Anzahl Sätze          5000|"), std::string::npos);
  // Nothing changed: nothing drawn.
  d.now += 100;
  d.PumpMessages();
  EXPECT_EQ(Count(Screen(), kFrameStart), 2);
  d.Close();
}

// Ctrl-C cancels at the next pump and leaves the handler as it found it;
// one ignored by the starter stays ignored.
TEST_F(TerminalDialogTest, CtrlCCancelsAtTheNextPump) {
  for (const auto starters : {SIG_DFL, SIG_IGN}) {
    ::signal(SIGINT, starters);
    cancel_ = false;
    ClockedDialog d(fd_, -1);
    d.Show("", "", &cancel_, true);
    std::raise(SIGINT);
    EXPECT_FALSE(cancel_);  // the run sees it in its next progress call
    d.PumpMessages();
    EXPECT_EQ(cancel_, starters == SIG_DFL);
    EXPECT_EQ(LastFrame(Screen()).find("Abbruch läuft") != std::string::npos, cancel_);
    d.Close();
    EXPECT_EQ(::signal(SIGINT, SIG_DFL), starters);
  }
}

class PtyInput : public TerminalDialogTest {
 protected:
  void SetUp() override {
    TerminalDialogTest::SetUp();
    ASSERT_EQ(::openpty(&master_, &slave_, nullptr, nullptr, nullptr), 0);
  }
  void TearDown() override {
    ::close(master_);
    ::close(slave_);
    TerminalDialogTest::TearDown();
  }
  bool Canonical() {
    struct termios t {};
    ::tcgetattr(slave_, &t);
    return (t.c_lflag & ICANON) && (t.c_lflag & ECHO);
  }
  void Type(const char* keys) {
    ASSERT_EQ(::write(master_, keys, std::strlen(keys)), ssize_t(std::strlen(keys)));
    ::usleep(20000);  // through the line discipline
  }

  int master_ = -1, slave_ = -1;
};

// Esc cancels, a cursor key (which starts with Esc) does not, and neither
// does Esc when cancelling is disabled; line editing is off while the
// dialog shows.
TEST_F(PtyInput, EscCancelsCursorKeysDoNot) {
  for (const bool enabled : {true, false}) {
    cancel_ = false;
    ClockedDialog d(fd_, slave_);
    d.Show("", "", &cancel_, enabled);
    EXPECT_FALSE(Canonical());
    Type("\x1b[A");
    d.now += 50;
    d.PumpMessages();
    EXPECT_FALSE(cancel_);
    Type("\x1b");
    d.now += 50;
    d.PumpMessages();
    EXPECT_EQ(cancel_, enabled);
    EXPECT_EQ(LastFrame(Screen()).find("Abbrechen") != std::string::npos, enabled);
    d.Close();
    EXPECT_TRUE(Canonical());
  }
}

// However the process ends while the dialog shows, the screen and the
// terminal's line editing are restored.
TEST_F(PtyInput, EveryWayOutRestoresTheTerminal) {
  const struct {
    const char* how;
    void (*end)(ClockedDialog&);
    std::function<bool(int)> status;
    const char* message;
  } ends[] = {
      {"a second Ctrl-C",
       [](ClockedDialog& d) {
         std::raise(SIGINT);
         d.PumpMessages();
         std::raise(SIGINT);
       },
       ::testing::KilledBySignal(SIGINT), ""},
      {"exit from a macro", [](ClockedDialog&) { std::exit(3); },  // what Lua's os.exit does
       ::testing::ExitedWithCode(3), ""},
      {"a fatal error", [](ClockedDialog&) { ErrorExit("Fehler in e_write"); },
       ::testing::ExitedWithCode(1), "Fehler in e_write"},
  };
  for (const auto& e : ends) {
    EXPECT_EXIT(
        {
          ClockedDialog d(fd_, slave_);
          d.Show("", "", &cancel_, true);
          e.end(d);
          std::_Exit(0);
        },
        e.status, e.message)
        << e.how;
    EXPECT_TRUE(EndsWith(Screen(), kErased)) << e.how;
    EXPECT_TRUE(Canonical()) << e.how;
  }
}

}  // namespace
}  // namespace zeko::test
