// ASCII letter case for names, keys and file names: only A-Z and a-z are
// letters here, every other byte is kept, whatever the user's locale. The
// one copy every layer uses (the engine, the data-access layer and above).
#ifndef QUILLOMAR_TEXT_ASCII_H_
#define QUILLOMAR_TEXT_ASCII_H_

#include <string>
#include <string_view>

namespace ascii {

// `c` lower-cased when it is an ASCII capital, else `c` itself.
constexpr char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// `text` with its ASCII capitals lower-cased; other bytes unchanged.
inline std::string LowerCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Lower(c);
  return out;
}

// True when `a` and `b` are equal once their ASCII capitals are lower-cased.
constexpr bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

// True when `text` begins with `prefix`, ASCII letter case ignored.
constexpr bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace ascii

#endif  // QUILLOMAR_TEXT_ASCII_H_
