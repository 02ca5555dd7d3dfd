// The UTF-8 encoder every layer uses: code points to bytes.
#ifndef QUILLOMAR_TEXT_UTF8_H_
#define QUILLOMAR_TEXT_UTF8_H_

#include <string>

namespace utf8 {

// Appends the UTF-8 bytes of code point `c` (at most U+10FFFF; the caller
// keeps surrogates out) to *out: one to four bytes.
inline void Append(char32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace utf8

#endif  // QUILLOMAR_TEXT_UTF8_H_
