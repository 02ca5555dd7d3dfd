// The double-byte code pages (932, 936, 949, 950) converted by the system:
// iconv on POSIX systems (multibyte_iconv.cpp), MultiByteToWideChar and
// WideCharToMultiByte on Windows (multibyte_win32.cpp). The single-byte
// pages never come here: the engine's own tables convert them.
#ifndef QUILLOMAR_FOXPRO_CODEPAGE_MULTIBYTE_H_
#define QUILLOMAR_FOXPRO_CODEPAGE_MULTIBYTE_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace foxpro::multibyte {

enum class Outcome {
  kOk,           // every byte converted
  kBadBytes,     // the bytes at *bad_offset are no character of the page
  kNoConverter,  // the system cannot convert this page at all
};

// Appends the UTF-8 form of `bytes` (text in `codepage`) to *out. On
// kBadBytes *bad_offset is the offset in `bytes` of the first sequence that
// is no character, and *out may hold the text before it.
Outcome Decode(int codepage, std::string_view bytes, std::string* out, std::size_t* bad_offset);

// Appends the bytes of `character` (one UTF-8 character) in `codepage` to
// *out; false, with *out unchanged, when the page has no bytes for it (no
// look-alike is ever put in its place).
bool EncodeCharacter(int codepage, std::string_view character, std::string* out);

}  // namespace foxpro::multibyte

#endif  // QUILLOMAR_FOXPRO_CODEPAGE_MULTIBYTE_H_
