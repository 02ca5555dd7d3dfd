// Built-in tables of the single-byte code pages (generated into
// codepage_tables.cpp by scripts/gen_codepage_tables.py).
#ifndef QUILLOMAR_FOXPRO_CODEPAGE_CODEPAGE_TABLES_H_
#define QUILLOMAR_FOXPRO_CODEPAGE_CODEPAGE_TABLES_H_

namespace foxpro::codepage_tables {

struct SingleBytePage {
  int number;
  // 128 code points for bytes 0x80-0xFF, each byte its own: bytes the page
  // leaves undefined have the C1 control (U+0081 ...) or private-use
  // character Windows gives them.
  const char32_t* upper_half;
};

extern const SingleBytePage kSingleBytePages[];
extern const int kSingleBytePageCount;

}  // namespace foxpro::codepage_tables

#endif  // QUILLOMAR_FOXPRO_CODEPAGE_CODEPAGE_TABLES_H_
