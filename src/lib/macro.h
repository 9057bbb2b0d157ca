// The macro runtime: output macros are Lua 5.4 scripts whose global functions
// the converter calls with numbered text arguments.
#pragma once
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "lib/filehandle.h"  // QVTError

struct lua_State;

namespace zeko {

// Receives the messages of errors raised inside macro functions. Without
// one, they go to stderr.
class CallMeBack {
 public:
  virtual ~CallMeBack() = default;
  virtual void MacroError(const std::string& message) = 0;
};

// Why a macro could not be loaded: `missing` when there is no such file,
// otherwise what() holds Lua's message with file and line.
class MacroLoadError : public QVTError {
 public:
  MacroLoadError(const std::string& what, bool missing) : QVTError(what), missing(missing) {}
  bool missing;
};

// A function of a loaded macro; false when the macro has no such function.
class MacFunction {
 public:
  MacFunction() = default;
  explicit operator bool() const { return index_ >= 0; }

 private:
  friend class MacMacro;
  explicit MacFunction(int index) : index_(index) {}
  int index_ = -1;
};

// One argument of a macro function: a text, or a number that the function
// gets as its decimal text.
struct MacArg {
  // Implicit: a text is written where an argument is expected.
  MacArg(std::string_view text) : text(text) {}
  MacArg(const char* text) : text(text) {}
  MacArg(const std::string& text) : text(text) {}
  static MacArg Number(long value) {
    MacArg arg{std::string_view()};
    arg.number = value;
    arg.isNumber = true;
    return arg;
  }
  std::string_view text;
  long number = 0;
  bool isNumber = false;
};

class MacMacro {
 public:
  // Loads the script file `name` (resolved like every path; a name without
  // an extension that names no file is tried with ".lua") and runs its main
  // chunk, which defines the functions. With `source` given, that text is the
  // script and `name` only names it in messages. Throws MacroLoadError (a
  // QVTError) when the file is missing, does not compile or its main chunk
  // fails.
  explicit MacMacro(const std::string& name, const unsigned char* source = nullptr,
                    CallMeBack* callback = nullptr);
  ~MacMacro();
  MacMacro(const MacMacro&) = delete;
  MacMacro& operator=(const MacMacro&) = delete;

  // The script's global function of that name.
  MacFunction FindFunction(const char* name);

  // Argument n (from 1) of the function runs that follow; it stays set until
  // it is set again.
  void SetCmdArg(int n, const MacArg& arg);

  // Runs the function with arguments 1 up to the highest one set, as strings
  // (an argument never set is the empty string). Returns the function's
  // result as an integer: 0 when it returns nothing or no number. An error
  // inside the function is reported (file and line) and gives -1.
  int ExecAt(MacFunction function);
  // Sets arguments 1 to first.size() and runs the function: SetCmdArg for
  // each and ExecAt, in fewer steps.
  int ExecWith(MacFunction function, std::span<const MacArg> first);

  // The file the macro was loaded from.
  const std::string& path() const { return path_; }

  // Past this many reports, one line says that further errors go unreported.
  static constexpr int kMaxReportedErrors = 10;
  // The highest argument number accepted; higher ones are ignored.
  static constexpr int kMaxArgs = 64;

 private:
  void Report(const std::string& message);
  void Push(const MacArg& arg);
  // Makes argument n exist (with those below it); false when n is out of
  // range or the stack cannot grow.
  bool MakeArg(int n);

  struct Function {
    int slot;          // the function's place on the stack
    std::string name;  // for messages
  };

  lua_State* lua_ = nullptr;
  std::string path_;
  std::vector<Function> functions_;
  CallMeBack* callback_;
  int argBase_ = 0;   // argument n is at stack slot argBase_ + n
  int argCount_ = 0;  // the highest argument set
  int errorCount_ = 0;
};

}  // namespace zeko
