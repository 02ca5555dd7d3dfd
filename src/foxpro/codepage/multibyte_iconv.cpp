// The double-byte code pages through the C library's iconv (POSIX systems).
#include <iconv.h>

#include "foxpro/codepage/multibyte.h"

namespace foxpro::multibyte {
namespace {

std::string IconvName(int codepage) { return "CP" + std::to_string(codepage); }

// Converts with iconv; kBadBytes with *bad_offset at the first byte that did
// not convert.
Outcome Convert(const std::string& to, const std::string& from, std::string_view in,
                std::string* out, std::size_t* bad_offset) {
  iconv_t cd = iconv_open(to.c_str(), from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return Outcome::kNoConverter;
  std::string buffer(in.size() * 4 + 16, '\0');
  char* in_ptr = const_cast<char*>(in.data());
  std::size_t in_left = in.size();
  char* out_ptr = buffer.data();
  std::size_t out_left = buffer.size();
  Outcome outcome = Outcome::kOk;
  while (in_left > 0) {
    std::size_t done = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    if (done == static_cast<std::size_t>(-1)) {
      outcome = Outcome::kBadBytes;
      break;
    }
  }
  if (bad_offset != nullptr) *bad_offset = in.size() - in_left;
  iconv_close(cd);
  out->append(buffer.data(), buffer.size() - out_left);
  return outcome;
}

}  // namespace

Outcome Decode(int codepage, std::string_view bytes, std::string* out, std::size_t* bad_offset) {
  return Convert("UTF-8", IconvName(codepage), bytes, out, bad_offset);
}

bool EncodeCharacter(int codepage, std::string_view character, std::string* out) {
  std::string bytes;
  if (Convert(IconvName(codepage), "UTF-8", character, &bytes, nullptr) != Outcome::kOk) {
    return false;
  }
  out->append(bytes);
  return true;
}

}  // namespace foxpro::multibyte
