// The configuration file as a whole: reading it, its encodings, and its
// lines. What each line sets is keys.cpp's and generic_layout.cpp's part.
#include "config/config.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "config/config_reader.h"
#include "lib/messages.h"
#include "lib/platform.h"
#include "lib/text.h"

namespace zeko {

namespace {

// The main part is read into a buffer of 254 characters a line; a longer
// line would be cut and its rest read as a line of its own, so it is
// refused instead.
constexpr std::size_t kMaxLine = 254;

// The whole file; false with the error number when it cannot be read (a
// directory opens on some systems and fails only when read).
bool ReadWholeFile(const std::string& path, std::string& data, int& err) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!f) {
    err = errno;
    return false;
  }
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f.get())) > 0) data.append(buffer, n);
  if (std::ferror(f.get())) {
    err = errno;
    return false;
  }
  return true;
}

}  // namespace

void ConfigReader::Run() {
  while (NextLine(line_)) {
    UpperAscii(line_);
    if (line_.size() > kMaxLine) {
      Problem(WithWhere(msg::kConfigLineTooLong, Where()) + " (höchstens " +
              std::to_string(kMaxLine) + " Zeichen)");
      continue;
    }
    Handle();
  }
}

bool ConfigReader::NextLine(std::string& out) {
  if (pos_ >= data_.size()) return false;
  std::size_t nl = data_.find('\n', pos_);
  const std::size_t end = nl == std::string::npos ? data_.size() : nl;
  out.assign(data_, pos_, end - pos_);
  if (!out.empty() && out.back() == '\r') out.pop_back();
  pos_ = nl == std::string::npos ? data_.size() : nl + 1;
  ++lineNo_;
  return true;
}

std::string ConfigReader::KeyLabel() const {
  std::size_t n = 0;
  while (n < line_.size() && ((line_[n] >= 'A' && line_[n] <= 'Z') ||
                              (line_[n] >= '0' && line_[n] <= '9') || line_[n] == '_'))
    ++n;
  return line_.substr(0, n);
}

std::string ConfigReader::Where(std::string_view key) const {
  return ConfigWhere(path_, lineNo_, key);
}

void ReadConfig(const std::string& path, Settings& settings) {
  // Messages name the file as the command line gave it ("FIBCONF" by
  // default): the same text on every system, whatever case the file system
  // found it under.
  const std::string name = path.empty() ? "FIBCONF" : path;
  settings.configPath = name;
  settings.typeKeyword.clear();
  settings.typeLine = 0;
  settings.append = 0;
  settings.oemCharset = false;

  std::string data;
  int err = 0;
  errno = 0;
  if (!ReadWholeFile(ResolvePath(name), data, err)) {
    Problem(msg::kConfigOpen + PathWhere(name, err));
    return;
  }
  // An editor's UTF-16 ("Unicode") is no text this reader understands; its
  // keys would be lost among NUL bytes, so the file is refused by name.
  if (data.compare(0, 2, "\xFF\xFE") == 0 || data.compare(0, 2, "\xFE\xFF") == 0 ||
      data.find('\0') != std::string::npos) {
    Problem(WithWhere(msg::kConfigUtf16, name));
    return;
  }
  // Notepad starts a UTF-8 file with a byte-order mark; it is no part of the
  // first key.
  if (data.compare(0, 3, "\xEF\xBB\xBF") == 0) data.erase(0, 3);
  ConfigReader(data, name, settings).Run();
}

}  // namespace zeko
