// Start-up: one start of the program is one conversion run.
#include <memory>
#include <string>
#include <vector>

#include "app/run.h"
#include "app/terminal_dialog.h"

int main(int argc, char** argv) {
  std::vector<std::string> words;
  for (int i = 0; i < argc; ++i) words.emplace_back(argv[i]);
  auto dialog = zeko::MakeProgressDialog();
  auto ctx = std::make_unique<zeko::RunContext>();
  ctx->dialog = dialog.get();
  zeko::RunConversion(*ctx, words);
  return 0;
}
