// "zeko --help" and "zeko --version": answered before any run is set up, so
// that neither reads a configuration nor touches an input or output file.
#pragma once
#include <string>

namespace zeko {

// True when the command line is a request for the usage text ("--help",
// "-h", "/?" or "-?" anywhere on it) or the version ("--version" as the only
// word after the program name); the answer has then been printed. The host system never
// starts the converter that way: its command lines keep their meaning.
bool AnswerInfoRequest(int argc, const char* const* argv);

// Text for the person at the console (UTF-8, lines ending in "\n"): standard
// output; on Windows, where zeko.exe is a window program, the console it
// was started from, or a window.
void PrintToUser(const std::string& text);

// "1.0.0".
const char* ZekoVersion();

// The usage text (UTF-8, lines ending in "\n").
const char* UsageText();

}  // namespace zeko
