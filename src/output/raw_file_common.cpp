// The parts of RawFile that POSIX and Windows share.
#include "output/raw_file.h"

namespace zeko {

FileTraffic& OutputTraffic() {
  static FileTraffic traffic;
  return traffic;
}

bool RawFile::ReadAll(std::string& out) {
  const std::int64_t size = Size();
  if (size < 0) return false;
  out.resize(std::size_t(size));
  return size == 0 || ReadAt(0, out.data(), out.size());
}

}  // namespace zeko
