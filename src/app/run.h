// The conversion run: command line, setup, record loop, clean-up.
#pragma once
#include <string>
#include <vector>

#include "app/context.h"

namespace zeko {

// Takes the words after the program name; returns the number of option words
// examined. Every word is upper-cased first.
int ParseCommandLine(RunContext& ctx, std::vector<std::string> words);

// Command line, configuration and input file. Every failure is fatal.
void SetupRun(RunContext& ctx, const std::vector<std::string>& commandWords);

// One whole run; commandWords[0] is the program. Returns 0.
int RunConversion(RunContext& ctx, const std::vector<std::string>& commandWords);

}  // namespace zeko
