// The double-byte code pages through MultiByteToWideChar and
// WideCharToMultiByte (Windows), with UTF-16 in between.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <limits>

#include "foxpro/codepage/multibyte.h"
#include "foxpro/util/win32_text.h"

namespace foxpro::multibyte {
namespace {

// The UTF-16 form of `bytes` in *out; false when some sequence is no
// character of the page (the system is asked to refuse, not replace).
bool ToWide(UINT codepage, std::string_view bytes, std::wstring* out) {
  out->clear();
  if (bytes.empty()) return true;
  const int in_size = static_cast<int>(bytes.size());
  const int size =
      MultiByteToWideChar(codepage, MB_ERR_INVALID_CHARS, bytes.data(), in_size, nullptr, 0);
  if (size <= 0) return false;
  out->resize(static_cast<std::size_t>(size));
  return MultiByteToWideChar(codepage, MB_ERR_INVALID_CHARS, bytes.data(), in_size, out->data(),
                             size) == size;
}

// Walks `bytes` one character at a time (a lead byte and its trail byte, or
// a single byte), appending each to *out, and returns the offset of the
// first that does not convert. Only used after the whole text failed, to say
// where.
std::size_t FindBadOffset(UINT codepage, std::string_view bytes, std::string* out) {
  std::size_t pos = 0;
  std::wstring wide;
  while (pos < bytes.size()) {
    const auto lead = static_cast<BYTE>(bytes[pos]);
    const std::size_t length = IsDBCSLeadByteEx(codepage, lead) ? 2 : 1;
    if (pos + length > bytes.size()) return pos;
    if (!ToWide(codepage, bytes.substr(pos, length), &wide)) return pos;
    out->append(win32::WideToUtf8(wide));
    pos += length;
  }
  return pos;
}

}  // namespace

Outcome Decode(int codepage, std::string_view bytes, std::string* out, std::size_t* bad_offset) {
  const auto page = static_cast<UINT>(codepage);
  if (!IsValidCodePage(page)) return Outcome::kNoConverter;
  if (bytes.size() > static_cast<std::size_t>(std::numeric_limits<int>::max() / 2)) {
    *bad_offset = 0;
    return Outcome::kBadBytes;
  }
  std::wstring wide;
  if (ToWide(page, bytes, &wide)) {
    out->append(win32::WideToUtf8(wide));
    return Outcome::kOk;
  }
  *bad_offset = FindBadOffset(page, bytes, out);
  return Outcome::kBadBytes;
}

bool EncodeCharacter(int codepage, std::string_view character, std::string* out) {
  const auto page = static_cast<UINT>(codepage);
  std::wstring wide;
  if (!IsValidCodePage(page) || !win32::Utf8ToWide(character, &wide) || wide.empty()) {
    return false;
  }
  const int wide_size = static_cast<int>(wide.size());
  char bytes[8] = {};
  BOOL used_default = FALSE;
  const int size = WideCharToMultiByte(page, WC_NO_BEST_FIT_CHARS, wide.data(), wide_size, bytes,
                                       static_cast<int>(sizeof bytes), nullptr, &used_default);
  if (size <= 0 || used_default) return false;
  // Only bytes that read back as the same character count: a page's
  // look-alike mapping is no way to store a character it lacks.
  std::wstring back;
  const std::string_view encoded(bytes, static_cast<std::size_t>(size));
  if (!ToWide(page, encoded, &back) || back != wide) return false;
  out->append(encoded);
  return true;
}

}  // namespace foxpro::multibyte
