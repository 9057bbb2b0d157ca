// Platform layer: paths, temporary directory, time, command line, processes,
// character sets. The POSIX implementation lives in platform_posix.cpp; a
// Win32 one can take its place behind the same declarations.
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

// Directory for temporary files, ending in a separator ($TMPDIR, else /tmp/).
std::string QVTTempPath();

// Maps a path as the host system writes it onto this file system: '\' and '/'
// both separate directories, and a component that does not exist in the exact
// case resolves to an existing entry matching case-insensitively. Components
// that do not exist at all are kept as given (for files yet to be created).
std::string ResolvePath(const std::string& path);

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
bool ExecCmd(const char* commandLine);

// Windows-1252 to code page 850, in place.
unsigned char AnsiToOemChar(unsigned char c);
void AnsiToOem(char* text, std::size_t length);
void AnsiToOem(char* text);  // up to the terminating zero

// Text of the last system error (errno), or empty when there is none.
std::string LastSystemErrorText();

}  // namespace zeko
