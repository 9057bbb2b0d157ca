// "zeko --protokoll": the runs of the protocol as a table, and with
// "--pruefen" the check that the file is still the chain the runs wrote.
// Both only read.
#pragma once
#include <string>
#include <vector>

#include "config/settings.h"

namespace zeko {

// The word that asks for the protocol instead of a run.
inline constexpr char kProtocolWord[] = "--PROTOKOLL";
// Removes the protocol word (any case) from the words; true when it was there.
bool TakeProtocolWord(std::vector<std::string>& words);

// The protocol file of a configuration: PROTOKOLL, or unset ZEKO.LOG in the
// configuration's folder (the current one when its path has none); empty
// when PROTOKOLL is set to nothing (no protocol kept).
std::string ProtocolPath(const std::string& configPath, const Settings& settings);

// words[0] is the program, the protocol word taken out. Returns the exit
// code; every problem is fatal.
int ProtocolCommand(const std::vector<std::string>& words);

}  // namespace zeko
