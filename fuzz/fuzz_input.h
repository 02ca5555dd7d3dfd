// Helpers shared by the fuzz targets: splitting one fuzz input into the
// files of a table (a 4-byte little-endian length of the first file, the
// first file, then the second), and a fresh in-memory file system per input.
#ifndef QUILLOMAR_FUZZ_FUZZ_INPUT_H_
#define QUILLOMAR_FUZZ_FUZZ_INPUT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace fuzz {

// The two files packed in `data`. A length past the end gives the whole
// rest to the first file and an empty second one. `has_second` is false
// when the second file is empty (it then does not exist).
struct FilePair {
  std::string first;
  std::string second;
  bool has_second = false;
};

inline FilePair SplitInput(const std::uint8_t* data, std::size_t size) {
  FilePair pair;
  if (size < 4) return pair;
  std::size_t length = static_cast<std::size_t>(data[0]) | static_cast<std::size_t>(data[1]) << 8 |
                       static_cast<std::size_t>(data[2]) << 16 |
                       static_cast<std::size_t>(data[3]) << 24;
  const char* rest = reinterpret_cast<const char*>(data + 4);
  const std::size_t rest_size = size - 4;
  if (length > rest_size) length = rest_size;
  pair.first.assign(rest, length);
  pair.second.assign(rest + length, rest_size - length);
  pair.has_second = !pair.second.empty();
  return pair;
}

}  // namespace fuzz

#endif  // QUILLOMAR_FUZZ_FUZZ_INPUT_H_
