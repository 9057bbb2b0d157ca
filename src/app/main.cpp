// Start-up: one start of the program is one conversion run.
#include <memory>
#include <string>
#include <vector>

#include "app/protocol_command.h"
#include "app/run.h"
#include "app/terminal_dialog.h"
#include "app/usage.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  // Messages go out as they are everywhere: UTF-8, each ending in one "\n".
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
#endif
  if (zeko::AnswerInfoRequest(argc, argv)) return 0;
  std::vector<std::string> words;
  for (int i = 0; i < argc; ++i) words.emplace_back(argv[i]);
  // Before the check word: "--protokoll --pruefen" checks the protocol,
  // not an export.
  if (zeko::TakeProtocolWord(words)) return zeko::ProtocolCommand(words);
  auto ctx = std::make_unique<zeko::RunContext>();
  if (zeko::TakeCheckWord(words)) return zeko::CheckExport(*ctx, words);
  auto dialog = zeko::MakeProgressDialog();
  ctx->dialog = dialog.get();
  return zeko::RunConversion(*ctx, words);
}
