// The rows of a database container table (.dbc) and their memos (.dct):
// reading every object row, appending new rows with their property memos,
// and marking rows deleted, each write leaving both files consistent.
#ifndef QUILLOMAR_FOXPRO_DBC_CONTAINER_FILE_H_
#define QUILLOMAR_FOXPRO_DBC_CONTAINER_FILE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foxpro/dbc/property_blob.h"
#include "foxpro/util/file.h"
#include "foxpro/util/status.h"

namespace foxpro::dbc {

// One row of the container, as stored (texts without their blank padding,
// bytes in the container's code page).
struct ObjectRow {
  std::uint32_t record = 0;  // 1-based record number
  bool deleted = false;
  std::int32_t object_id = 0;
  std::int32_t parent_id = 0;
  std::string type;  // "Table", "Field", ...
  std::string name;
  std::uint32_t property_block = 0;  // 0 = no property memo
  std::string riinfo;
};

// A row to append. Its object id becomes its record number.
struct NewObject {
  std::int32_t parent_id = 0;
  std::string type;
  std::string name;           // container code page bytes, at most 128
  std::string property_blob;  // "" = no memo
};

// Splits a path into folder ("" for none) and file name.
void SplitPath(const std::string& path, std::string* folder, std::string* file);

// Finds `name` in `folder` ignoring ASCII letter case; the exact spelling
// wins. Returns the name as on disk, or "" when there is none.
std::string FindInFolder(FileSystem* fs, const std::string& folder, const std::string& name);

class ContainerFile {
 public:
  // Opens `dbc_path` and its memo file (same base name, .dct in any letter
  // case) and reads all rows. InvalidArgument when the file is not a
  // database container, Corruption when it is damaged, NotFound when absent.
  static Status Open(FileSystem* fs, const std::string& dbc_path, bool writable,
                     std::unique_ptr<ContainerFile>* out);

  // Every row, deleted ones included, in record order.
  const std::vector<ObjectRow>& rows() const { return rows_; }
  std::uint8_t codepage_mark() const { return codepage_mark_; }
  const std::string& path() const { return path_; }
  const std::string& file_name() const { return file_name_; }
  const std::string& folder() const { return folder_; }

  // Decodes the property memo of `row` (an empty list when it has none).
  Status ReadProperties(const ObjectRow& row, PropertyList* out);
  // The raw property memo of `row` ("" when it has none). Corruption when
  // the memo lies outside the .dct.
  Status ReadPropertyBlob(const ObjectRow& row, std::string* blob);

  // The id the next appended row will get.
  std::int32_t next_object_id() const { return static_cast<std::int32_t>(rows_.size() + 1); }

  // Appends `objects` after the last row: memos first, then all records and
  // the end-of-file byte, then the header count and date. On return the ids
  // given (= record numbers) are in *ids and rows() includes the new rows.
  // On failure the header count is restored so the rows are not there.
  Status Append(const std::vector<NewObject>& objects, std::vector<std::int32_t>* ids);

  // Marks the rows with these record numbers deleted (or live again when
  // `deleted` is false), in the order given.
  Status MarkDeleted(const std::vector<std::uint32_t>& records, bool deleted = true);

 private:
  struct Column {
    std::size_t offset = 0;
    std::size_t width = 0;
  };

  ContainerFile() = default;
  Status ReadHeader();
  Status ReadRows();
  Status OpenMemo(FileSystem* fs, bool writable);
  Status ReadMemo(std::uint32_t block, std::string* data);
  Status AppendMemo(const std::string& data, std::uint32_t* block);
  std::string EncodeRow(std::int32_t object_id, const NewObject& object,
                        std::uint32_t property_block) const;
  Status WriteCount(std::uint32_t count);
  ObjectRow DecodeRow(std::uint32_t record, const char* bytes) const;
  Status Corrupt(const std::string& what) const;

  std::string path_;
  std::string file_name_;
  std::string folder_;
  std::unique_ptr<File> file_;
  std::unique_ptr<File> memo_;
  std::string memo_name_;
  std::uint64_t memo_size_ = 0;
  std::uint32_t block_size_ = 0;
  std::uint32_t next_free_ = 0;
  std::uint16_t header_length_ = 0;
  std::uint16_t record_length_ = 0;
  std::uint32_t record_count_ = 0;
  std::uint8_t codepage_mark_ = 0;
  std::vector<std::pair<std::string, char>> field_types_;
  std::vector<Column> field_columns_;
  Column object_id_, parent_id_, object_type_, object_name_, property_, riinfo_;
  std::vector<ObjectRow> rows_;
};

}  // namespace foxpro::dbc

#endif  // QUILLOMAR_FOXPRO_DBC_CONTAINER_FILE_H_
