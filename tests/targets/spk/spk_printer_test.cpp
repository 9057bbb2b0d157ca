// The cover note's way to a printer: a file name, or the print spooler for
// the DOS printer devices. A stand-in "lp" records what it was given.
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/harness.h"
#include "targets/spk/spk_printer.h"

namespace zeko::test {
namespace {

void WriteScript(const fs::path& path, const std::string& body) {
  WriteFile(path, "#!/bin/sh\n" + body);
  fs::permissions(path, fs::perms::owner_all);
}

TEST(SpkPrinter, DosPrinterNamesGoToTheSpooler) {
  for (const char* name : {"LPT1", "lpt1", "LPT2:", "PRN"}) EXPECT_TRUE(IsPrinterDevice(name)) << name;
  for (const char* name : {"", "LPT", "LPT0", "LPT10", "LPT1.TXT", "NOTE.TXT"})
    EXPECT_FALSE(IsPrinterDevice(name)) << name;
}

TEST(SpkPrinter, SpoolerGetsTheWholeNoteAndTheSpoolFileGoes) {
  TempDir bin;
  WriteScript(bin / "lp", "cp \"$1\" \"" + (bin / "printed").string() + "\"\necho \"$1\" > \"" +
                             (bin / "spooled").string() + "\"\necho request id\n");
  const std::string path = "/nonexistent:" + bin.path().string();

  CoverNotePrinter printer;
  ASSERT_TRUE(printer.Open("LPT1", path.c_str()));
  OutputStream* note = printer.Stream();
  ASSERT_NE(note, nullptr);
  note->Write(std::string("Zeile 1\nZeile 2\n"));
  EXPECT_TRUE(printer.Close());
  EXPECT_EQ(ReadFile(bin / "printed"), "Zeile 1\r\nZeile 2\r\n");
  std::string spooled = ReadFile(bin / "spooled");
  ASSERT_FALSE(spooled.empty());
  spooled.pop_back();  // echo's line end
  EXPECT_FALSE(fs::exists(spooled)) << spooled;
}

// A spooler that refuses the note fails at Close; one that cannot be run
// (or no search path at all) means no printer.
TEST(SpkPrinter, SpoolerThatRefusesOrCannotRunIsReported) {
  TempDir bin;
  WriteScript(bin / "lp", "exit 1\n");
  CoverNotePrinter refusing;
  ASSERT_TRUE(refusing.Open("LPT1", bin.path().c_str()));
  ASSERT_NE(refusing.Stream(), nullptr);
  EXPECT_FALSE(refusing.Close());
  fs::permissions(bin / "lp", fs::perms::owner_read | fs::perms::owner_write);
  CoverNotePrinter printer;
  EXPECT_FALSE(printer.Open("LPT1", bin.path().c_str()));
  EXPECT_FALSE(printer.Open("LPT1", nullptr));
}

}  // namespace
}  // namespace zeko::test
