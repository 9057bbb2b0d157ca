// Platform layer: paths, temporary directory, time, command line, processes,
// character sets. Implemented for POSIX in platform_posix.cpp and for Windows
// in platform_win32.cpp, behind the same declarations; what both share is in
// platform_common.cpp.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zeko {

#ifdef _WIN32
inline constexpr char kPathSep = '\\';
#else
inline constexpr char kPathSep = '/';
#endif

inline bool IsPathSep(char c) { return c == '/' || c == '\\'; }

// Directory for temporary files, ending in a separator ($TMPDIR, else /tmp/;
// on Windows GetTempPathA).
std::string QVTTempPath();

// Maps a path as the host system writes it onto this file system: '\' and '/'
// both separate directories, and a component that does not exist in the exact
// case resolves to an existing entry matching case-insensitively. Components
// that do not exist at all are kept as given (for files yet to be created).
// Windows does all of this itself: there the path is returned unchanged.
std::string ResolvePath(const std::string& path);

// The folder of the running program, ending in a separator; empty when the
// system does not tell it.
std::string ExecutableDir();

// Who runs the program on which machine, for the run protocol; empty when
// the system does not tell.
std::string UserName();
std::string HostName();

// Current date and time, and its strftime rendering in local time.
std::int64_t GetSysTime();
std::string StringTime(std::int64_t time, const char* format);

// Splits a command line into at most maxWords words the way the host's
// command line is split (blanks separate, double quotes group).
int SplitCommandLine(const std::string& commandLine, std::vector<std::string>& words,
                     int maxWords = 20);
// Splits a follow-up command into words as a POSIX shell would: blanks
// separate, single and double quotes group, a backslash escapes.
std::vector<std::string> SplitShellWords(const std::string& command);

// Starts a command line without waiting for it. True when it was started.
// On Windows the command line goes to CreateProcessA unchanged.
bool ExecCmd(const char* commandLine);

// Windows-1252 to code page 850, in place.
unsigned char AnsiToOemChar(unsigned char c);
void AnsiToOem(char* text, std::size_t length);
void AnsiToOem(char* text);  // up to the terminating zero

// Text of the last system error (errno; on Windows GetLastError), or empty
// when there is none.
std::string LastSystemErrorText();

#ifdef _WIN32
// True when the command line holds the word "/NOGUI" (any case): the run
// then opens no window and no message box, so that scripts and tests can
// run it unattended. The option scan skips the word like any unknown option.
bool NoGui();
// A message box with the stop icon and an OK button, unless NoGui().
void StopMessageBox(const std::string& message);
// UTF-8 text as UTF-16 for the wide Windows calls; text that is not valid
// UTF-8 (a path from a configuration file) is read as Windows-1252.
std::wstring WideText(const std::string& text);
#endif

}  // namespace zeko
