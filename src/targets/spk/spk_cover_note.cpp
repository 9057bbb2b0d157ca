#include "targets/spk/spk_cover_note.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>

#include "lib/error.h"
#include "lib/messages.h"
#include "lib/platform.h"
#include "lib/text.h"
#include "targets/spk/spk_disk_number.h"
#include "targets/spk/spk_printer.h"

namespace zeko {
namespace {

namespace fs = std::filesystem;

// A form line is read in pieces of at most this many characters.
constexpr std::size_t kFormPiece = 159;

// The next piece of a form file as a Windows text-mode fgets with a buffer
// of kFormPiece + 1 reads it: CR LF reads as LF, a lone CR stays, the DOS
// end-of-file mark Ctrl-Z ends the file, and a piece ends after its LF or
// at kFormPiece characters. False when nothing was left.
bool ReadFormPiece(std::FILE* file, std::string& piece) {
  piece.clear();
  while (piece.size() < kFormPiece) {
    int c = std::fgetc(file);
    if (c == EOF) break;
    if (c == 0x1A) {
      std::fseek(file, 0, SEEK_END);  // nothing after the mark is read
      break;
    }
    if (c == '\r') {
      const int next = std::fgetc(file);
      if (next == '\n') {
        c = '\n';
      } else if (next != EOF) {
        std::ungetc(next, file);
      }
    }
    piece += static_cast<char>(c);
    if (c == '\n') break;
  }
  return !piece.empty();
}

// Why an existing note file cannot be replaced: the output layer makes
// the new one beside it and puts it in place at the commit.
std::string NoteFailure(const std::string& path) {
  std::error_code ec;
  if (fs::is_directory(ResolvePath(path), ec)) return SystemReason(EISDIR);
  return "keine Arbeitsdatei im Verzeichnis möglich";
}

[[noreturn]] void Unreachable(const std::string& printerName, const std::string& reason) {
  ErrorExitText(WithWhere(msg::kPrinter, SideFileWhere(printerName, reason)));
}

}  // namespace

std::vector<std::string> ReadCoverNote(const std::string& configDir, bool oem,
                                       const PlaceholderValue& value) {
  std::vector<std::string> note;
  const std::string shown = configDir + "SPK.FRM";
  const std::string path = ResolvePath(shown);
  auto noForm = [&shown](const std::string& reason) {
    Problem(WithWhere(msg::kNoForm, SideFileWhere(shown, reason)));
  };
  std::error_code ec;
  if (fs::is_directory(path, ec)) {
    noForm(SystemReason(EISDIR));
    return note;
  }
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> formFile(std::fopen(path.c_str(), "rb"),
                                                                 &std::fclose);
  std::FILE* const form = formFile.get();
  if (form == nullptr) {
    noForm(SystemReason(errno));
    return note;
  }
  std::string line;
  std::string text;
  while (ReadFormPiece(form, line)) {
    line.resize(std::strlen(line.c_str()));  // as a C string: up to a zero byte
    if (!line.empty() && line.back() == '\n') line.pop_back();
    // One placeholder a line, at its first "$"; it takes the rest of the line.
    const std::size_t dollar = line.find('$');
    if (dollar != std::string::npos && dollar + 1 < line.size() && line[dollar + 1] >= 'A' &&
        line[dollar + 1] <= 'L') {
      value(line[dollar + 1], text);
      line.resize(dollar);
      line += text;
    }
    if (oem) AnsiToOem(line.data(), line.size());
    note.push_back(line);
  }
  if (std::ferror(form)) {
    noForm(SystemReason(errno));
    note.clear();
  }
  return note;
}

void PrintCoverNote(const std::string& printerName, const std::vector<std::string>& lines,
                    Sinks& out) {
  // On the host's systems an empty PROTPRINTER meant the first parallel
  // port; here that is the print spooler's default printer.
  const std::string name = printerName.empty() ? std::string("LPT1") : printerName;
  if (!IsPrinterDevice(name)) {
    // Opened only now that everything it is to carry is at hand.
    LineSink& note =
        out.Open({{name, OutputMode::kReplace,
                   WithWhere(msg::kPrinter, SideFileWhere(name, NoteFailure(name))),
                   std::string(msg::kPrinter) + ": ", {}},
                  Framing::kText});
    for (const std::string& line : lines) note.PutRaw(line + "\n");
    return;
  }
  CoverNotePrinter printer;
  if (!printer.Open(name, std::getenv("PATH"))) Unreachable(name, printer.failure());
  OutputStream* spool = printer.Stream();
  if (spool == nullptr) Unreachable(name, printer.failure());
  for (const std::string& line : lines) {
    spool->Write(line);
    spool->Putc('\n');
  }
  if (!printer.Close()) Unreachable(name, printer.failure());
}

}  // namespace zeko
