// Code pages of FoxPro tables: the mark in header byte 29, and conversion of
// field text between the table's code page and UTF-8.
#ifndef QUILLOMAR_FOXPRO_CODEPAGE_CODEPAGE_H_
#define QUILLOMAR_FOXPRO_CODEPAGE_CODEPAGE_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "foxpro/util/status.h"

namespace foxpro {

// The code page a mark stands for (FoxPro's marks and the other xBase marks a
// reader may meet), or 0 for an unknown mark / no mark.
int CodePageFromMark(std::uint8_t mark);

// The mark FoxPro writes for a code page, or 0 when FoxPro has none (1257).
std::uint8_t MarkFromCodePage(int codepage);

// The code page a table is read with: its mark's, else 437 for FoxPro 2.x and
// dBase tables (type byte not 0x30-0x32), else 1252.
int TableCodePage(std::uint8_t type_byte, std::uint8_t mark);

// The Windows code page of a language from a POSIX locale name
// ("ru_RU.UTF-8" -> 1251, "pl" -> 1250, ...), else 1252.
int CodePageForLocale(std::string_view locale_name);

// The code page new tables get: on POSIX systems CodePageForLocale of the
// first locale variable set (LC_ALL, LC_CTYPE, LANG), else 1252; on Windows
// the system's ANSI code page (GetACP), or the user's language's default
// ANSI page where the ANSI page is UTF-8.
int CodePageForEnvironment();

// Converts between one code page and UTF-8. Single-byte pages use built-in
// tables; 932/936/949/950 use the system's converter (multibyte.h). Cheap to
// copy.
class CodePage {
 public:
  // The converter for `codepage`; NotSupported for a page the engine lacks.
  static Result<CodePage> ForCodePage(int codepage);

  int number() const { return number_; }

  // Appends the UTF-8 form of `bytes` to *out. In a single-byte page every
  // byte has a character and this never fails: a byte the page leaves
  // undefined becomes the C1 control character of the same number (0x81 ->
  // U+0081) or, above 0x9F, the private-use character Windows gives it. In a
  // double-byte page (932, 936, 949, 950) a byte sequence that is no
  // character is a bad value: Corruption naming its position and bytes
  // ("byte 2 (0x93) is not a character of code page 932"), nothing is
  // replaced, and *out may hold part of the text.
  Status Decode(std::string_view bytes, std::string* out) const;

  // Appends the page's bytes for UTF-8 `text` to *out. InvalidArgument when a
  // character has no byte in the page or the text is not UTF-8; the message
  // names the character ("'Ж' (U+0416) cannot be stored in code page 1252").
  // Nothing is replaced: of the C1 controls and private-use characters only
  // those Decode gives for this page's undefined bytes are stored (as those
  // bytes).
  Status Encode(std::string_view text, std::string* out) const;

 private:
  explicit CodePage(int number) : number_(number) {}
  int number_ = 1252;
  const char32_t* to_unicode_ = nullptr;  // 256 entries for single-byte pages
};

}  // namespace foxpro

#endif  // QUILLOMAR_FOXPRO_CODEPAGE_CODEPAGE_H_
