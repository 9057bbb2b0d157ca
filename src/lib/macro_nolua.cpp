// The macro runtime of a build without Lua (the Windows cross-build, for
// which Debian has no Lua library): no macro can be loaded, so the SLANG
// target ends with its "Kann Macro ... nicht Laden". A macro file that does
// exist gets a line that says why it was not run.
#include <sys/stat.h>

#include "lib/macro.h"
#include "lib/platform.h"

namespace zeko {

namespace {

bool IsFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == S_IFREG;
}

}  // namespace

MacMacro::MacMacro(const std::string& name, const unsigned char* source, CallMeBack* callback)
    : callback_(callback) {
  path_ = source != nullptr ? name : ResolvePath(name);
  bool exists = source != nullptr || IsFile(path_) || IsFile(ResolvePath(name + ".lua"));
  throw MacroLoadError("ZEKO.EXE ohne Macro-Laufzeit (Lua) gebaut: " + path_, !exists);
}

MacMacro::~MacMacro() = default;

MacFunction MacMacro::FindFunction(const char*) { return MacFunction(); }

void MacMacro::SetCmdArg(int, std::string_view) {}

int MacMacro::ExecAt(MacFunction) { return 0; }

}  // namespace zeko
