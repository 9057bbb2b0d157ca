#include "targets/common/collecting_file.h"

#include <cstdio>

#include "lib/platform.h"
#include "run/error.h"

namespace zeko {

void RemoveUnlessAppending(const std::string& path, bool append) {
  if (append || path.empty()) return;
  RemoveFile(path);
}

std::unique_ptr<OutputStream> OpenCollectingFile(const std::string& path, bool append,
                                                 const char* failMessage) {
  const std::string resolved = ResolvePath(path);
  if (std::FILE* probe = std::fopen(resolved.c_str(), "rb")) {
    std::fclose(probe);
  } else {
    OpenOutputStream(path, append)->Close();  // its message names the configured path
  }
  std::FILE* file = std::fopen(resolved.c_str(), "r+b");
  if (file == nullptr) ErrorExitText(failMessage);
  auto stream = std::make_unique<OutputStream>(file);
  if (std::fseek(file, 0, SEEK_END) != 0) ErrorExitText(failMessage);
  return stream;
}

void WriteLine(OutputStream& out, const char* line, std::size_t length) {
  out.Write(line, length);
  out.Putc('\n');
}

}  // namespace zeko
