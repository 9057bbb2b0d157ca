// The conversion run: command line, setup, record loop, clean-up.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "app/context.h"

namespace zeko {

// The word that asks for a check of the export instead of a run.
inline constexpr char kCheckWord[] = "--PRUEFEN";
// Removes the check word (any case) from the words; true when it was there.
// Removes the word (any case; `word` in capitals) from the command line;
// true when it was there.
bool TakeWord(std::vector<std::string>& words, std::string_view word);
bool TakeCheckWord(std::vector<std::string>& words);

// Takes the words after the program name; returns the number of option words
// examined. Every word is upper-cased first.
int ParseCommandLine(RunContext& ctx, std::vector<std::string> words);

// Command line, configuration and input file. Every failure is fatal.
void SetupRun(RunContext& ctx, const std::vector<std::string>& commandWords);
// After SetupRun: the input's reader.
void OpenInput(RunContext& ctx);

// Today, and DataType, ConsolidationMode and RunDate (today when the record
// has none) from the first record; a data type that is missing or not 1 to
// 5 is a problem.
void TakeRunFacts(RunContext& ctx, const Record& first);

// Reads the configuration and the whole export as a run would and prints
// every problem found and a summary; writes, deletes and starts nothing.
// Returns the exit code: 0 when a run would succeed, 1 otherwise.
int CheckExport(RunContext& ctx, const std::vector<std::string>& commandWords);

// One whole run; commandWords[0] is the program. Returns 0.
int RunConversion(RunContext& ctx, const std::vector<std::string>& commandWords);

}  // namespace zeko
