// Built-in tables of the single-byte code pages (generated into
// codepage_tables.cpp by scripts/gen_codepage_tables.py).
#ifndef QUILLOMAR_FOXPRO_CODEPAGE_CODEPAGE_TABLES_H_
#define QUILLOMAR_FOXPRO_CODEPAGE_CODEPAGE_TABLES_H_

namespace foxpro::codepage_tables {

struct SingleBytePage {
  int number;
  const char32_t* upper_half;  // 128 code points for bytes 0x80-0xFF; 0 = none
};

extern const SingleBytePage kSingleBytePages[];
extern const int kSingleBytePageCount;

}  // namespace foxpro::codepage_tables

#endif  // QUILLOMAR_FOXPRO_CODEPAGE_CODEPAGE_TABLES_H_
