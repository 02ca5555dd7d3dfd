// A FoxPro table file (.dbf with its .fpt memo file): open, describe, read
// records, create, and append records so that the files are consistent on
// disk after every append.
#ifndef QUILLOMAR_FOXPRO_DBF_TABLE_H_
#define QUILLOMAR_FOXPRO_DBF_TABLE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foxpro/util/file.h"
#include "foxpro/util/status.h"
#include "foxpro/util/value.h"

namespace foxpro {

class CodePage;
class MemoFile;

// One field as the table file describes it (the hidden _NullFlags field is
// not among a table's fields; its bits are resolved into null_bit and
// varlen_bit).
struct FieldInfo {
  std::string name;         // as stored (FoxPro writes upper case), decoded to UTF-8
  char type = 'C';          // type letter: C V Q M G W N F I B Y D T L (P read as bytes)
  std::uint16_t width = 0;  // bytes in the record (a FoxPro 2.x C field may exceed 255)
  std::uint8_t decimals = 0;
  std::uint8_t flags = 0;          // raw descriptor flags (dbf_format.h kField*)
  std::uint32_t autoinc_next = 0;  // meaningful when autoinc()
  std::uint8_t autoinc_step = 0;
  std::uint32_t offset = 0;  // position in the record (the deletion flag is byte 0)
  int null_bit = -1;         // bit in _NullFlags, -1 when the field is not nullable
  int varlen_bit = -1;       // V/Q length bit, -1 for other types

  bool nullable() const { return (flags & 0x02) != 0; }
  bool binary() const { return (flags & 0x04) != 0; }
  bool autoinc() const { return (flags & 0x08) != 0; }
  // Memo-file fields: M G W (and P), also 10-character ASCII pointers.
  bool is_memo() const { return type == 'M' || type == 'G' || type == 'W' || type == 'P'; }
};

// The header facts callers may need.
struct TableHeader {
  std::uint8_t type_byte = 0;
  Date last_update;                // as stored; day and month may be 0
  std::uint32_t record_count = 0;  // as the header says
  std::uint16_t header_length = 0;
  std::uint16_t record_length = 0;
  std::uint8_t table_flags = 0;    // byte 28
  std::uint8_t codepage_mark = 0;  // byte 29
  std::string backlink;            // container path; empty for free tables
};

// A field of a table to be created.
struct FieldLayout {
  std::string name;  // UTF-8, ASCII stored upper-cased; 1..10 bytes in the table's code page
  char type = 'C';   // C V Q M G W N F I B Y D T L
  int width = 0;     // C V Q: 1..254; N F: 1..20; others ignored (fixed)
  int decimals = 0;  // N F B: digits after the point
  bool nullable = false;
  bool binary = false;   // NOCPTRANS for C V M
  bool autoinc = false;  // I only
  std::uint32_t autoinc_next = 1;
  std::uint8_t autoinc_step = 1;
};

// What Create writes.
struct TableLayout {
  std::vector<FieldLayout> fields;
  std::uint8_t codepage_mark = 0x03;   // see codepage.h
  std::string backlink;                // container file name; empty for a free table
  std::uint32_t memo_block_size = 64;  // used when a memo field exists
  Date today;                          // header date; {0,0,0} = the system date
};

// A value of a record that could not be read: it is null in the record.
struct BadValue {
  std::size_t field = 0;  // index into Table::fields()
  Status status;          // Corruption naming the file, record (1-based) and field
};

// A record as read: the deletion flag and one value per field (in fields()
// order), with the values that were damaged listed (rarely any).
struct Record {
  bool deleted = false;
  std::vector<Value> values;
  std::vector<BadValue> bad_values;
};

// Options for Open.
struct OpenOptions {
  bool writable = false;
  // Code page to use instead of the mark (0 = from the mark: no mark means
  // 1252, or 437 for a FoxPro 2.x / dBase table).
  int codepage_override = 0;
};

class Table {
 public:
  ~Table();
  Table(const Table&) = delete;
  Table& operator=(const Table&) = delete;

  // Opens the table at `path` and its memo file (found beside it under the
  // same base name, extension .fpt/.dbt, any letter case; .dct for .dbc).
  // Corruption when the header or the field list is unusable.
  static Result<std::unique_ptr<Table>> Open(FileSystem* fs, const std::string& path,
                                             const OpenOptions& options = {});

  // Creates a new table (and its memo file when a memo field exists); fails
  // with AlreadyExists when a file is in the way, leaving nothing behind on
  // failure. The table is open for appending afterwards.
  static Result<std::unique_ptr<Table>> Create(FileSystem* fs, const std::string& path,
                                               const TableLayout& layout);

  // The file path given to Open/Create, and its file name alone (for messages).
  const std::string& path() const { return path_; }
  const std::string& file_name() const { return file_name_; }

  const TableHeader& header() const { return header_; }
  const std::vector<FieldInfo>& fields() const { return fields_; }
  // Index of the field named `name` (case-insensitive), or -1.
  int FindField(const std::string& name) const;

  // The code page the table's text is decoded with (a Windows/DOS number).
  int codepage() const;

  // Records that can be read: the header count, lowered to the complete
  // records in the file when the file was cut short.
  std::uint32_t record_count() const { return readable_count_; }

  // Damage that Open read around, one message each naming the file: a
  // header count that disagrees with the complete records in the file (the
  // records read are then record_count()). Empty for a sound table.
  const std::vector<std::string>& warnings() const { return warnings_; }

  // Reads record `index` (0-based, < record_count()) into *record; the vector
  // and its strings are reused. A damaged value does not fail the call: it
  // is null in record->values and listed in record->bad_values with a
  // Corruption naming the file, the record (1-based, as FoxPro counts) and
  // the field. Fails only when the record's bytes cannot be read.
  Status ReadRecord(std::uint32_t index, Record* record);

  // Appends one record. `values` has one entry per field (fields() order);
  // autoincrement fields ignore theirs and take the next value. Text is
  // encoded to the table's code page. On return the record, the end-of-file
  // byte, the header count/date/autoincrement values and the memo file's
  // next-free pointer are written (no fsync). On failure nothing visible has
  // changed: the header count still excludes the record.
  Status Append(const std::vector<Value>& values);

  // Validates and encodes `values` into record bytes (without memo data).
  // Exposed so a statement can be checked before anything is written.
  Status CheckValues(const std::vector<Value>& values) const;

  // The number of records not marked deleted (reads every deletion flag).
  Result<std::uint32_t> CountLiveRecords();

  // Sets or clears the deletion flag of record `index` (0-based) in place.
  Status MarkDeleted(std::uint32_t index, bool deleted = true);

  // The raw bytes of record `index` (deletion flag first), for index builders.
  Status ReadRawRecord(std::uint32_t index, std::string* bytes);

  // Flushes nothing (appends are written through); asks the system to put
  // both files on stable storage.
  Status Sync();

 private:
  Table();
  Status ParseHeader(int codepage_override);
  Status ParseFields();
  void CountRecords();
  void DecodeFieldName(std::string* name) const;
  Status ResolveWideCharacterFields(std::vector<FieldInfo>* all) const;
  Status AssignNullBits(std::vector<FieldInfo> all);
  Status OpenMemo(FileSystem* fs, const std::string& folder);
  Status LoadWindow(std::uint32_t index);
  Result<const char*> RecordBytes(std::uint32_t index);
  Status EncodeRecord(const std::vector<Value>& values, std::string* record,
                      std::vector<std::string>* memo_data) const;
  Status WriteHeaderAfterAppend(std::uint32_t new_count);

  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::string path_;
  std::string file_name_;
  TableHeader header_;
  std::vector<FieldInfo> fields_;
  std::uint32_t readable_count_ = 0;
  std::vector<std::string> warnings_;
};

// Finds, in `folder`, the file whose name equals `name` case-insensitively
// (ASCII). Returns the name as on disk, or an empty string.
std::string FindFileCaseInsensitive(FileSystem* fs, const std::string& folder,
                                    const std::string& name);

}  // namespace foxpro

#endif  // QUILLOMAR_FOXPRO_DBF_TABLE_H_
