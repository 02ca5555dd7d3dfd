// Little- and big-endian integer access on byte strings. Index and container
// files mix both orders; every read or write of a multi-byte number in these
// layers goes through one of these helpers.
#ifndef QUILLOMAR_FOXPRO_CDX_BYTE_ORDER_H_
#define QUILLOMAR_FOXPRO_CDX_BYTE_ORDER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace foxpro::bytes {

// Reads `n` (1..8) bytes at `p` as an unsigned little-endian number.
inline std::uint64_t GetLittle(const char* p, std::size_t n) {
  std::uint64_t v = 0;
  for (std::size_t i = n; i > 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i - 1]);
  return v;
}

// Reads `n` (1..8) bytes at `p` as an unsigned big-endian number.
inline std::uint64_t GetBig(const char* p, std::size_t n) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < n; ++i) v = (v << 8) | static_cast<unsigned char>(p[i]);
  return v;
}

inline std::uint16_t GetLe16(const char* p) { return static_cast<std::uint16_t>(GetLittle(p, 2)); }
inline std::uint32_t GetLe32(const char* p) { return static_cast<std::uint32_t>(GetLittle(p, 4)); }
inline std::uint32_t GetBe32(const char* p) { return static_cast<std::uint32_t>(GetBig(p, 4)); }

// Writes the low `n` bytes of `v` at `p`, little-endian.
inline void PutLittle(char* p, std::uint64_t v, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    p[i] = static_cast<char>(v & 0xFF);
    v >>= 8;
  }
}

// Writes the low `n` bytes of `v` at `p`, big-endian.
inline void PutBig(char* p, std::uint64_t v, std::size_t n) {
  for (std::size_t i = n; i > 0; --i) {
    p[i - 1] = static_cast<char>(v & 0xFF);
    v >>= 8;
  }
}

inline void PutLe16(char* p, std::uint32_t v) { PutLittle(p, v, 2); }
inline void PutLe32(char* p, std::uint32_t v) { PutLittle(p, v, 4); }
inline void PutBe32(char* p, std::uint32_t v) { PutBig(p, v, 4); }

// Appends `n` bytes of `v` to `out`.
inline void AppendLittle(std::string* out, std::uint64_t v, std::size_t n) {
  char buf[8];
  PutLittle(buf, v, n);
  out->append(buf, n);
}
inline void AppendBig(std::string* out, std::uint64_t v, std::size_t n) {
  char buf[8];
  PutBig(buf, v, n);
  out->append(buf, n);
}

}  // namespace foxpro::bytes

#endif  // QUILLOMAR_FOXPRO_CDX_BYTE_ORDER_H_
