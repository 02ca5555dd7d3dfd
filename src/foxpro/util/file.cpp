// The parts of the file interface that do not depend on the system.
#include "foxpro/util/file.h"

namespace foxpro {

std::size_t LastPathSeparator(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsPathSeparator(path[i - 1])) return i - 1;
  }
  return std::string_view::npos;
}

Status ReadString(File* file, std::uint64_t offset, std::size_t max_bytes, std::string* out) {
  out->resize(max_bytes);
  std::size_t got = 0;
  Status status = file->ReadAt(offset, max_bytes, out->data(), &got);
  out->resize(got);
  return status;
}

}  // namespace foxpro
