#include "app/terminal_dialog.h"

#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sys/ioctl.h>

#include "lib/error.h"

namespace zeko {

namespace {

// Signal handlers and the fatal-exit hook are plain functions without a
// context, so the shown dialog leaves here what they need to restore the
// terminal. Only one dialog is shown per process. The handlers only read
// what the dialog wrote before installing them, except the two flags and
// the restore sequence, which is swapped in whole.
struct TerminalState {
  volatile std::sig_atomic_t active = 0;           // the dialog owns the terminal
  volatile std::sig_atomic_t cancelRequested = 0;  // Ctrl-C or Esc seen
  volatile std::sig_atomic_t cancelEnabled = 1;
  int outFd = -1;
  int inFd = -1;
  bool inputChanged = false;  // inFd's terminal modes were changed
  struct termios savedInput {};
  struct sigaction savedInt {
  }, savedTerm{}, savedQuit{}, savedHup{};
  // The bytes that give the screen back (they depend on its size). Two
  // buffers, so a signal never sees one half written.
  char restore[2][80] = {};
  volatile std::sig_atomic_t restoreLength[2] = {0, 0};
  volatile std::sig_atomic_t restoreIndex = 0;
};
TerminalState g_terminal;

void SetRestoreSequence(const std::string& bytes) {
  const int next = 1 - g_terminal.restoreIndex;
  const std::size_t n = std::min(bytes.size(), sizeof g_terminal.restore[0]);
  std::memcpy(g_terminal.restore[next], bytes.data(), n);
  g_terminal.restoreLength[next] = std::sig_atomic_t(n);
  g_terminal.restoreIndex = next;
}

void WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // a vanished terminal must not end the run
    data += n;
    size -= std::size_t(n);
  }
}

// Async-signal-safe: write, tcsetattr and sigaction only.
void RestoreTerminal() {
  if (!g_terminal.active) return;
  g_terminal.active = 0;
  int saved = errno;
  const int i = g_terminal.restoreIndex;
  WriteAll(g_terminal.outFd, g_terminal.restore[i], std::size_t(g_terminal.restoreLength[i]));
  if (g_terminal.inputChanged) ::tcsetattr(g_terminal.inFd, TCSANOW, &g_terminal.savedInput);
  ::sigaction(SIGINT, &g_terminal.savedInt, nullptr);
  ::sigaction(SIGTERM, &g_terminal.savedTerm, nullptr);
  ::sigaction(SIGQUIT, &g_terminal.savedQuit, nullptr);
  ::sigaction(SIGHUP, &g_terminal.savedHup, nullptr);
  errno = saved;
}

void OnSignal(int sig) {
  if (sig == SIGINT && g_terminal.cancelEnabled && !g_terminal.cancelRequested) {
    // The run sees it in its next progress call, before the next record.
    g_terminal.cancelRequested = 1;
    return;
  }
  // A second Ctrl-C while the run is cancelling, a Ctrl-C while Cancel is
  // disabled, or a signal that ends the process anyway: end at once, as the
  // signal would, with the terminal as it was. The signal is blocked in
  // here and arrives on return.
  RestoreTerminal();
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  ::sigaction(sig, &dfl, nullptr);
  ::raise(sig);
}

// A signal that the process was started ignoring stays ignored: a job that
// its shell shields from Ctrl-C is not cancelled by one.
void InstallHandler(int sig, struct sigaction* saved) {
  ::sigaction(sig, nullptr, saved);
  if (saved->sa_handler == SIG_IGN) return;
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  ::sigaction(sig, &sa, nullptr);
}

void InstallHandlers() {
  InstallHandler(SIGINT, &g_terminal.savedInt);
  InstallHandler(SIGTERM, &g_terminal.savedTerm);
  InstallHandler(SIGQUIT, &g_terminal.savedQuit);
  InstallHandler(SIGHUP, &g_terminal.savedHup);
}

void FatalHook() { RestoreTerminal(); }

// Whatever ends the process through exit() (a macro's os.exit among them)
// gives the terminal back too.
void RestoreAtExit() { RestoreTerminal(); }

// Display columns of UTF-8 text (the labels hold umlauts).
bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

int Columns(const std::string& text) {
  int n = 0;
  for (char c : text) n += IsContinuation(c) ? 0 : 1;
  return n;
}

// The first `columns` columns of text.
std::string Head(const std::string& text, int columns) {
  std::size_t i = 0;
  int n = 0;
  while (i < text.size()) {
    if (!IsContinuation(text[i])) {
      if (n == columns) break;
      ++n;
    }
    ++i;
  }
  return text.substr(0, i);
}

// A path that does not fit keeps its end, where the file name is.
std::string Tail(const std::string& text, int columns) {
  if (Columns(text) <= columns) return text;
  if (columns <= 3) return Head(text, columns);
  std::size_t i = text.size();
  int n = 0;
  while (i > 0 && n < columns - 3) {
    --i;
    if (!IsContinuation(text[i])) ++n;
  }
  std::string tail = "...";
  tail.append(text, i, std::string::npos);
  return tail;
}

// Texts from the run are shown, never obeyed: control characters would
// move the cursor or change the terminal.
std::string Printable(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) c = '?';
  }
  return out;
}

constexpr int kFrameLines = 8;
constexpr int kLabelWidth = 24;  // "Übernahme in Datei :" indented, two blanks after
constexpr char kSaveCursor[] =
    "\x1b"
    "7";
constexpr char kRestoreCursor[] =
    "\x1b"
    "8";

// A control sequence with one number: ESC [ n final.
std::string Csi(int n, const char* final) {
  std::string s = "\x1b[";
  s += std::to_string(n);
  s += final;
  return s;
}

}  // namespace

TerminalDialog::TerminalDialog(int outFd, int inFd) : outFd_(outFd), inFd_(inFd) {}

TerminalDialog::~TerminalDialog() {
  if (shown_) DoClose();
}

std::int64_t TerminalDialog::NowMs() const {
  // The coarse clock costs a few nanoseconds: it is read once per record.
  struct timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
  return std::int64_t(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void TerminalDialog::DoShow(const std::string& text1, const std::string& text2,
                            bool cancelEnabled) {
  text1_ = Printable(text1);
  text2_ = Printable(text2);
  if (shown_) {
    dirty_ = true;
    return;
  }
  shown_ = true;

  g_terminal.outFd = outFd_;
  g_terminal.inFd = inFd_;
  g_terminal.cancelRequested = 0;
  g_terminal.cancelEnabled = cancelEnabled ? 1 : 0;
  g_terminal.inputChanged = false;
  // Esc is read without Enter and without echo; Ctrl-C stays a signal. A
  // background job leaves its controlling terminal's modes alone.
  const pid_t foreground = ::isatty(inFd_) ? ::tcgetpgrp(inFd_) : 0;
  if (::isatty(inFd_) && (foreground == -1 || foreground == ::getpgrp()) &&
      ::tcgetattr(inFd_, &g_terminal.savedInput) == 0) {
    struct termios raw = g_terminal.savedInput;
    raw.c_lflag &= ~tcflag_t(ICANON | ECHO);
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    if (::tcsetattr(inFd_, TCSANOW, &raw) == 0) g_terminal.inputChanged = true;
  }
  SetRestoreSequence("");  // until the dialog is laid out there is nothing to undo
  g_terminal.active = 1;
  InstallHandlers();
  SetFatalHook(FatalHook);
  static const bool atExit = std::atexit(RestoreAtExit) == 0;
  (void)atExit;

  Draw();
}

void TerminalDialog::DoSetTexts(const std::string& text1, const std::string& text2) {
  text1_ = Printable(text1);
  text2_ = Printable(text2);
  dirty_ = true;
}

void TerminalDialog::DoSetCount(int count) {
  hasCount_ = true;
  count_ = count;
  dirty_ = true;
}

void TerminalDialog::DoSetBar(Bar bar, int percent) {
  (bar == kPresortBar ? presortPercent_ : conversionPercent_) = percent;
  dirty_ = true;
}

int TerminalDialog::DoPump() {
  if (!shown_) return 1;
  if (g_terminal.cancelRequested && !cancelling_) Cancel();
  std::int64_t now = NowMs();
  if (now - lastDraw_ < kRedrawIntervalMs) return 1;
  if (!cancelling_ && cancelEnabled() && EscapePressed()) Cancel();
  if (dirty_) Draw();
  lastDraw_ = now;
  return 1;
}

void TerminalDialog::Cancel() {
  cancelling_ = true;
  // From now on a Ctrl-C ends the process.
  g_terminal.cancelRequested = 1;
  OnCancel();
  Draw();
}

bool TerminalDialog::EscapePressed() {
  if (!g_terminal.inputChanged) return false;
  char buf[64];
  bool escape = false;
  for (;;) {
    ssize_t n = ::read(inFd_, buf, sizeof buf);
    if (n <= 0) break;
    for (ssize_t i = 0; i < n; ++i) {
      if (buf[i] != '\x1b') continue;
      // Cursor and function keys send Esc followed by "[" or "O".
      bool sequence = i + 1 < n && (buf[i + 1] == '[' || buf[i + 1] == 'O');
      if (!sequence) escape = true;
    }
  }
  return escape;
}

void TerminalDialog::AppendLine(const std::string& text, int columns) {
  frame_ += Csi(line_++, ";1H\x1b[2K");
  frame_ += Head(text, columns);
}

void TerminalDialog::AppendBar(const char* label, int percent, int columns) {
  // "  Vorsortierung  [#####.....]  47 %"
  std::string line = "  ";
  line += label;
  line.append(std::size_t(std::max(0, 15 - Columns(label))), ' ');
  int width = std::clamp(columns - 27, 10, 50);
  int filled = percent * width / 100;
  line += '[';
  line.append(std::size_t(filled), '#');
  line.append(std::size_t(width - filled), '.');
  line += "] ";
  char pct[8];
  std::snprintf(pct, sizeof pct, "%3d %%", percent);
  line += pct;
  AppendLine(line, columns);
}

// The dialog lives in the bottom lines of the screen, below a scrolling
// region that holds everything else: whatever the program or a macro prints
// while the dialog is shown scrolls above it and never through it.
void TerminalDialog::Layout(int rows) {
  std::string setup;
  if (rows_ == 0) {
    // Room for the dialog below the cursor: the screen scrolls up if needed.
    setup.assign(std::size_t(kFrameLines), '\n');
    setup += Csi(kFrameLines, "A");
    setup += "\x1b[?25l";  // no blinking cursor over the bars
  }
  rows_ = rows;
  frameTop_ = rows - kFrameLines + 1;
  // Setting the region homes the cursor: keep it where the output goes.
  setup += kSaveCursor;
  setup += "\x1b[1;";
  setup += std::to_string(frameTop_ - 1);
  setup += 'r';
  setup += kRestoreCursor;
  std::string restore = kSaveCursor;
  restore += "\x1b[r";
  restore += Csi(frameTop_, ";1H\x1b[J");
  restore += kRestoreCursor;
  restore += "\x1b[?25h";
  SetRestoreSequence(restore);
  WriteAll(outFd_, setup.data(), setup.size());
}

void TerminalDialog::Draw() {
  if (!g_terminal.active) return;
  dirty_ = false;
  lastDraw_ = NowMs();
  int rows = 24, columns = 80;
  struct winsize ws;
  if (::ioctl(outFd_, TIOCGWINSZ, &ws) == 0 && ws.ws_row > 0 && ws.ws_col > 0) {
    rows = ws.ws_row;
    columns = ws.ws_col;
  }
  // A screen too small for the dialog shows none; the keys still cancel.
  if (rows < kFrameLines + 2) return;
  if (rows != rows_) Layout(rows);
  columns -= 1;  // a full last column would wrap on some terminals

  auto label = [](const char* text) {
    std::string s = "  ";
    s += text;
    s.append(std::size_t(std::max(0, kLabelWidth - Columns(s))), ' ');
    return s;
  };
  const int room = std::max(0, columns - kLabelWidth);

  frame_ = kSaveCursor;
  line_ = frameTop_;
  AppendLine("", columns);  // apart from the output above
  AppendLine(std::string("== ") + kCaption + " ==", columns);
  AppendLine(label("Übernahme in Datei :") + Head(text1_, room), columns);
  AppendLine(label("Pfad :") + Tail(text2_, room), columns);
  AppendLine(label("Anzahl Sätze") + (hasCount_ ? std::to_string(count_) : std::string()), columns);
  AppendBar("Vorsortierung", presortPercent_, columns);
  AppendBar("Übernahme", conversionPercent_, columns);
  if (!waitingFor().empty()) {
    const std::string waiting = std::string("  ") + kWaitingLabel;
    AppendLine(waiting + Tail(Printable(waitingFor()), std::max(0, columns - Columns(waiting))),
               columns);
  } else if (!cancelEnabled()) {
    AppendLine("", columns);
  } else if (cancelling_) {
    AppendLine("  [ Abbrechen ]  Abbruch läuft ... (Strg+C beendet sofort)", columns);
  } else {
    AppendLine("  [ Abbrechen ]  Esc oder Strg+C", columns);
  }
  frame_ += kRestoreCursor;
  WriteAll(outFd_, frame_.data(), frame_.size());
}

void TerminalDialog::DoClose() {
  if (!shown_) return;
  shown_ = false;
  // The window goes away: the dialog's lines are cleared, the whole screen
  // scrolls again, the cursor is where the output stopped.
  RestoreTerminal();
  SetFatalHook(nullptr);
}

void TerminalDialog::DoShowWaiting() {
  // Drawn at once: while it waits the run does not pump often.
  if (shown_) Draw();
}

std::unique_ptr<CZekoDlg> MakeProgressDialog() {
  // Escape sequences mean nothing to a dumb terminal (an editor's shell
  // buffer); there, as without a terminal, the run shows nothing.
  const char* term = std::getenv("TERM");
  if (::isatty(STDERR_FILENO) && !(term && std::strcmp(term, "dumb") == 0)) {
    return std::make_unique<TerminalDialog>(STDERR_FILENO, STDIN_FILENO);
  }
  return std::make_unique<CZekoDlg>();
}

}  // namespace zeko
