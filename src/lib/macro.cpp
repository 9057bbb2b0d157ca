#include "lib/macro.h"

#include <sys/stat.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <charconv>
#include <cstdio>
#include <cstring>
#include <lua.hpp>

#include "lib/platform.h"

namespace zeko {

namespace {

bool IsFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool HasExtension(const std::string& name) {
  for (std::size_t i = name.size(); i > 0; --i) {
    char c = name[i - 1];
    if (c == '.') return true;
    if (IsPathSep(c)) return false;
  }
  return false;
}

// The macro's path with its file name spelled as on disk. The configuration
// upper-cases SLMACRO; Windows opens "BROKEN.LUA" as broken.lua, and Lua's
// messages (file and line) then name the file as the user sees it in the
// folder, the same as on Linux, where ResolvePath finds that name. The fixed
// "Kann Macro ... nicht Laden" keeps the name as configured on both.
std::string NameOnDisk(const std::string& path) {
#ifdef _WIN32
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA(path.c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return path;
  FindClose(h);
  std::size_t base = path.find_last_of("\\/:");
  base = base == std::string::npos ? 0 : base + 1;
  return path.substr(0, base) + found.cFileName;
#else
  return path;
#endif
}

// Message handler of every protected call: turns the error object into one
// text that names the script's file and line. Errors raised from C (assert,
// error with level 0) carry no position, so the innermost Lua line is added.
int MessageHandler(lua_State* lua) {
  const char* msg = lua_tostring(lua, 1);
  if (msg == nullptr) {
    if (luaL_callmeta(lua, 1, "__tostring") && lua_type(lua, -1) == LUA_TSTRING) {
      msg = lua_tostring(lua, -1);
    } else {
      msg = lua_pushfstring(lua, "(error object is a %s value)", luaL_typename(lua, 1));
    }
  }
  lua_Debug ar;
  for (int level = 1; lua_getstack(lua, level, &ar); ++level) {
    lua_getinfo(lua, "Sl", &ar);
    if (ar.currentline <= 0) continue;
    char where[LUA_IDSIZE + 24];
    std::snprintf(where, sizeof where, "%s:%d:", ar.short_src, ar.currentline);
    if (std::strncmp(msg, where, std::strlen(where)) != 0) {
      msg = lua_pushfstring(lua, "%s %s", where, msg);
    }
    break;
  }
  lua_pushstring(lua, msg);
  return 1;
}

// Slot of the message handler: it stays at the bottom of the stack for the
// life of the state. Above it the texts of the numbers 0 to
// kCachedNumbers - 1 (see Push), then the functions found, then the
// arguments, argument n at slot argBase_ + n.
constexpr int kHandlerIndex = 1;
constexpr int kNumbersIndex = 2;  // the text of 0
// Numbers below this are made into texts once.
constexpr long kCachedNumbers = 1000;

}  // namespace

MacMacro::MacMacro(const std::string& name, const unsigned char* source, CallMeBack* callback)
    : callback_(callback) {
  lua_ = luaL_newstate();
  if (lua_ == nullptr) throw MacroLoadError("Lua: kein Speicher", false);
  // The macro writes its own files: give it the whole standard library.
  luaL_openlibs(lua_);
  lua_pushcfunction(lua_, MessageHandler);

  int status;
  if (source != nullptr) {
    path_ = name;
    const char* text = reinterpret_cast<const char*>(source);
    status = luaL_loadbufferx(lua_, text, std::strlen(text), ("@" + name).c_str(), "t");
  } else {
    path_ = name.empty() ? name : ResolvePath(name);
    // "SLMACRO=CSVOUT" finds csvout.lua: the configuration upper-cases the
    // name, and users leave the extension off as they do for programs.
    if (!name.empty() && !IsFile(path_) && !HasExtension(name)) {
      std::string withLua = ResolvePath(name + ".lua");
      if (IsFile(withLua)) path_ = withLua;
    }
    if (!IsFile(path_)) {
      lua_close(lua_);
      throw MacroLoadError("cannot open " + path_, true);
    }
    path_ = NameOnDisk(path_);
    // Text only: precompiled chunks are not checked by Lua and could crash it.
    status = luaL_loadfilex(lua_, path_.c_str(), "t");
  }
  if (status == LUA_OK) status = lua_pcall(lua_, 0, 0, kHandlerIndex);
  if (status != LUA_OK) {
    const char* msg = lua_tostring(lua_, -1);
    std::string what = msg ? msg : "?";
    lua_close(lua_);
    throw MacroLoadError(what, false);
  }
  lua_settop(lua_, kHandlerIndex);
  argBase_ = kNumbersIndex + static_cast<int>(kCachedNumbers) - 1;
  if (!lua_checkstack(lua_, static_cast<int>(kCachedNumbers) + 8)) {
    lua_close(lua_);
    throw MacroLoadError("Lua: kein Speicher", false);
  }
  for (long value = 0; value < kCachedNumbers; ++value) {
    char text[8];
    auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    (void)ec;  // three digits
    lua_pushlstring(lua_, text, static_cast<std::size_t>(end - text));
  }
}

MacMacro::~MacMacro() {
  // Closing the state closes the files the macro left open, so their
  // buffered data reaches the disk.
  if (lua_ != nullptr) lua_close(lua_);
}

MacFunction MacMacro::FindFunction(const char* name) {
  if (lua_getglobal(lua_, name) != LUA_TFUNCTION) {
    lua_pop(lua_, 1);
    return MacFunction();
  }
  // Looked up again, the same function keeps its handle and its slot (one
  // function under two names keeps two, so that messages name the one used).
  for (std::size_t i = 0; i < functions_.size(); ++i) {
    if (functions_[i].name == name && lua_rawequal(lua_, -1, functions_[i].slot)) {
      lua_pop(lua_, 1);
      return MacFunction(int(i));
    }
  }
  // Below the arguments, where a call pushes it from without a lookup.
  if (!lua_checkstack(lua_, argCount_ + 3)) {
    lua_pop(lua_, 1);
    return MacFunction();
  }
  lua_insert(lua_, argBase_ + 1);
  ++argBase_;
  functions_.push_back({argBase_, name});
  return MacFunction(int(functions_.size()) - 1);
}

bool MacMacro::MakeArg(int n) {
  if (n < 1 || n > kMaxArgs) return false;
  // An argument lives on the stack as a Lua string from the moment it is
  // set, so an argument that stays (the run date, the client) is not made
  // into a Lua string again for every call.
  if (n > argCount_) {
    // Room for the new arguments and, above them, for a call's function
    // and arguments: ExecWith then needs no check of its own.
    if (!lua_checkstack(lua_, 2 * n - argCount_ + 4)) return false;
    for (; argCount_ < n; ++argCount_) lua_pushliteral(lua_, "");
  }
  return true;
}

void MacMacro::Push(const MacArg& arg) {
  if (!arg.isNumber) {
    lua_pushlstring(lua_, arg.text.data(), arg.text.size());
    return;
  }
  // Field numbers, lengths and formats repeat in every record: their texts
  // are made once, not made and looked up again for every call.
  const long value = arg.number;
  if (value >= 0 && value < kCachedNumbers) {
    lua_pushvalue(lua_, kNumbersIndex + static_cast<int>(value));
    return;
  }
  char text[24];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  (void)ec;  // 24 characters hold any long
  lua_pushlstring(lua_, text, static_cast<std::size_t>(end - text));
}

void MacMacro::SetCmdArg(int n, const MacArg& arg) {
  if (!MakeArg(n)) return;
  Push(arg);
  lua_replace(lua_, argBase_ + n);
}

int MacMacro::ExecWith(MacFunction function, std::span<const MacArg> first) {
  if (!function || function.index_ >= int(functions_.size())) return 0;
  const Function& f = functions_[function.index_];
  const int set = static_cast<int>(first.size());
  if (set > 0 && !MakeArg(set)) return -1;
  lua_pushvalue(lua_, f.slot);
  // A new argument goes onto the stack once, as the call's argument, and
  // is copied into its slot from there for the calls after this one.
  for (int i = 1; i <= argCount_; ++i) {
    if (i <= set) {
      Push(first[static_cast<std::size_t>(i - 1)]);
      lua_copy(lua_, -1, argBase_ + i);
    } else {
      lua_pushvalue(lua_, argBase_ + i);
    }
  }
  int result = 0;
  if (lua_pcall(lua_, argCount_, 1, kHandlerIndex) == LUA_OK) {
    // Most macro functions return nothing: no conversion to try for that.
    if (lua_type(lua_, -1) != LUA_TNIL) {
      int isInteger = 0;
      lua_Integer value = lua_tointegerx(lua_, -1, &isInteger);
      if (isInteger) result = int(value);
    }
  } else {
    const char* msg = lua_tostring(lua_, -1);
    std::string message = "Fehler in Macrofunktion ";
    message += f.name;
    message += ": ";
    message += msg ? msg : "?";
    Report(message);
    result = -1;
  }
  lua_settop(lua_, argBase_ + argCount_);
  return result;
}

int MacMacro::ExecAt(MacFunction function) { return ExecWith(function, {}); }

void MacMacro::Report(const std::string& message) {
  // A macro that fails on every field would otherwise bury the terminal in
  // one message per field; the first ones say all there is to say.
  ++errorCount_;
  std::string text;
  if (errorCount_ <= kMaxReportedErrors) {
    text = message;
  } else if (errorCount_ == kMaxReportedErrors + 1) {
    text = "Weitere Fehler im Macro " + path_ + " werden nicht gemeldet";
  } else {
    return;
  }
  if (callback_ != nullptr) {
    callback_->MacroError(text);
  } else {
    text += '\n';
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
  }
}

}  // namespace zeko
