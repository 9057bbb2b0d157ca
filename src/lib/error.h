// The fatal error reporter: one German message, exit code 1, nothing after it.
#pragma once
#include <string>

namespace zeko {

[[noreturn]] void ErrorExit(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The message shown literally ("%" is no directive).
[[noreturn]] void ErrorExitText(const std::string& message);

// Called once before a fatal exit ends the process, so that the terminal
// dialog can leave the screen clean. One hook; nullptr removes it.
void SetFatalHook(void (*hook)());

// Called first when a fatal error ends the run, before the fatal hook:
// undoes what the run did to its output files. One hook; nullptr removes it.
void SetRollbackHook(void (*hook)());

// Non-fatal message box (the follow-up command's message): stderr, run goes on.
// On Windows the fatal message and this one are also shown in a message box
// with the stop icon, unless the command line holds "/NOGUI".
void MessageBoxText(const std::string& message);

}  // namespace zeko
