// The cover note that goes with the diskette: the form SPK.FRM of the
// configuration's folder, its placeholders $A to $L filled in, printed to
// the printer that PROTPRINTER names.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "output/line_sink.h"

namespace zeko {

// Sets `value` to what placeholder `letter` (A to L) stands for.
using PlaceholderValue = std::function<void(char letter, std::string& value)>;

// The note's lines, read whole from the form and filled in (converted to
// OEM when oem is set), before the printer is opened: a form that cannot be
// read leaves the printer alone. A missing form is a problem; a check goes
// on without lines.
std::vector<std::string> ReadCoverNote(const std::string& configDir, bool oem,
                                       const PlaceholderValue& value);

// Prints the lines to printerName ("LPT1" when empty). A printer that is a
// file gets the note through `file`, replaced at the run's commit, so a
// failed run leaves the earlier note as it was; a DOS printer device gets
// it through the print spooler. An unreachable printer ends the run.
void PrintCoverNote(const std::string& printerName, const std::vector<std::string>& lines,
                    Sinks& out);

}  // namespace zeko
