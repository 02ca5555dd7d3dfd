// Private state of Table shared by its reading and writing halves.
#ifndef QUILLOMAR_FOXPRO_DBF_TABLE_INTERNAL_H_
#define QUILLOMAR_FOXPRO_DBF_TABLE_INTERNAL_H_

#include <cstdint>
#include <memory>
#include <string>

#include "foxpro/codepage/codepage.h"
#include "foxpro/dbf/table.h"
#include "foxpro/fpt/memo_file.h"
#include "foxpro/util/file.h"
#include "text/ascii.h"  // ascii::LowerCase, for names and extensions

namespace foxpro {

struct Table::Impl {
  std::unique_ptr<File> file;
  std::unique_ptr<MemoFile> memo;
  CodePage codepage = *CodePage::ForCodePage(1252);
  bool writable = false;
  bool visual = true;
  // The whole header as on disk (descriptors, terminator, backlink).
  std::string header_bytes;
  // The _NullFlags field, when the table has one.
  bool has_null_flags = false;
  FieldInfo null_flags;
  // Read window: records [window_first, window_first + window_count).
  std::string window;
  std::uint32_t window_first = 0;
  std::uint32_t window_count = 0;
  // Reused scratch buffers.
  std::string memo_scratch;
  std::string record_scratch;
  std::uint64_t file_size = 0;
};

// Splits "folder/name.ext" into folder ("" for none) and file name.
void SplitPath(const std::string& path, std::string* folder, std::string* name);

}  // namespace foxpro

#endif  // QUILLOMAR_FOXPRO_DBF_TABLE_INTERNAL_H_
