// Win32 side of the platform layer.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "lib/platform.h"

namespace zeko {

std::string QVTTempPath() {
  char buf[MAX_PATH + 1];
  DWORD n = GetTempPathA(sizeof buf, buf);
  std::string path = (n > 0 && n < sizeof buf) ? std::string(buf, n) : std::string(".\\");
  if (!IsPathSep(path.back())) path += kPathSep;
  return path;
}

namespace {

// A name the system gives in UTF-16, as UTF-8.
std::string Utf8(const wchar_t* text, DWORD length) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0,
                                       nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0)
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), size, nullptr,
                        nullptr);
  return out;
}

}  // namespace

std::string UserName() {
  wchar_t name[257];
  DWORD length = sizeof name / sizeof name[0];
  if (!GetUserNameW(name, &length) || length == 0) return std::string();
  return Utf8(name, length - 1);  // the count includes the terminating zero
}

std::string HostName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD length = sizeof name / sizeof name[0];
  if (!GetComputerNameW(name, &length)) return std::string();
  return Utf8(name, length);
}

std::string ExecutableDir() {
  wchar_t buf[32768];
  const DWORD n = GetModuleFileNameW(nullptr, buf, sizeof buf / sizeof buf[0]);
  if (n == 0 || n >= sizeof buf / sizeof buf[0]) return std::string();
  const std::string path = Utf8(buf, n);
  return path.substr(0, path.find_last_of("\\/") + 1);
}

// Windows itself takes '/' and '\' alike and matches names without regard
// to case, so a host path is already a path of this file system.
std::string ResolvePath(const std::string& path) { return path; }

// Windows hands a command line to the new process whole (ExecCmd); the words
// are only wanted by callers that look at the program name.
std::vector<std::string> SplitShellWords(const std::string& command) {
  std::vector<std::string> words;
  words.resize(static_cast<std::size_t>(
      SplitCommandLine(command, words, static_cast<int>(command.size()) + 1)));
  return words;
}

bool ExecCmd(const char* commandLine) {
  if (commandLine == nullptr || *commandLine == '\0') return false;
  STARTUPINFOA si;
  std::memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  GetStartupInfoA(&si);
  si.dwFlags |= STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION pi;
  std::memset(&pi, 0, sizeof pi);
  // CreateProcessA may write into the command line it is given.
  std::string line(commandLine);
  BOOL ok =
      CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  if (ok) {
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  return ok != FALSE;
}

std::string LastSystemErrorText() {
  DWORD code = GetLastError();
  if (code == 0) return std::string();
  char buf[256];
  DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                           code, 0, buf, sizeof buf - 1, nullptr);
  if (n == 0) return std::string();
  // The system's texts end in a line break, which a message box does not need.
  while (n > 0 && (buf[n - 1] == '\r' || buf[n - 1] == '\n' || buf[n - 1] == ' ')) --n;
  return std::string(buf, n);
}

bool NoGui() {
  const char* line = GetCommandLineA();
  const std::string text = line ? line : "";
  for (const std::string& word : SplitShellWords(text)) {
    if (word.size() == 6 && _stricmp(word.c_str(), "/NOGUI") == 0) return true;
  }
  return false;
}

std::wstring WideText(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  UINT codePage = CP_UTF8;
  int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (n <= 0) {
    codePage = 1252;
    n = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  }
  std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), n);
  return wide;
}

void StopMessageBox(const std::string& message) {
  if (NoGui()) return;
  // No owner: task-modal keeps the progress dialog from taking input while
  // the message is shown.
  MessageBoxW(nullptr, WideText(message).c_str(), L"ZEKO",
              MB_OK | MB_ICONSTOP | MB_TASKMODAL | MB_SETFOREGROUND);
}

}  // namespace zeko
