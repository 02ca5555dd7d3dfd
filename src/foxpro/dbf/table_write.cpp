// Table: creating table files and appending records so that the files are
// consistent on disk after every append.
#include <cstring>
#include <ctime>

#include "foxpro/dbf/dbf_format.h"
#include "foxpro/dbf/field_codec.h"
#include "foxpro/dbf/table.h"
#include "foxpro/dbf/table_internal.h"
#include "foxpro/fpt/fpt_format.h"
#include "foxpro/util/local_time.h"

namespace foxpro {
namespace {

void PutLittleEndian32(std::uint32_t v, char* p) { std::memcpy(p, &v, sizeof v); }

void PutLittleEndian16(std::uint16_t v, char* p) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>(v >> 8);
}

Date Today() {
  const std::tm parts = LocalNow();
  return {parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday};
}

void PutDate(const Date& date, char* header) {
  header[dbf::kYearOffset] = static_cast<char>(date.year % 100);
  header[dbf::kMonthOffset] = static_cast<char>(date.month);
  header[dbf::kDayOffset] = static_cast<char>(date.day);
}

bool IsMemoType(char type) { return type == 'M' || type == 'G' || type == 'W'; }

// Fixed widths of the types whose width the definition does not choose.
int FixedWidth(char type) {
  switch (type) {
    case 'I':
    case 'M':
    case 'G':
    case 'W':
      return 4;
    case 'B':
    case 'Y':
    case 'D':
    case 'T':
      return 8;
    case 'L':
      return 1;
    default:
      return 0;
  }
}

// The descriptor flags FoxPro 9 writes for a field definition.
std::uint8_t DescriptorFlags(const FieldLayout& layout) {
  std::uint8_t flags = 0;
  if (layout.nullable) flags |= dbf::kFieldNullable;
  if (std::strchr("IYBTWQ", layout.type) != nullptr) flags |= dbf::kFieldBinary;
  if (layout.binary && (layout.type == 'C' || layout.type == 'V' || layout.type == 'M')) {
    flags |= dbf::kFieldBinary;
  }
  if (layout.autoinc) flags |= dbf::kFieldAutoinc | dbf::kFieldBinary;
  return flags;
}

// The bytes a field name is stored as: ASCII letters upper-cased, other
// letters in the table's code page; 1 to 10 bytes.
Status EncodeFieldName(const FieldLayout& layout, const CodePage& codepage, std::string* name) {
  auto bad = [&layout](const std::string& what) {
    return Status::InvalidArgument("Field " + layout.name + ": " + what);
  };
  if (layout.name.empty()) return bad("a field name has 1 to 10 bytes");
  for (char c : layout.name) {
    bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
              c == '_' || static_cast<unsigned char>(c) >= 0x80;
    if (!ok) return bad("a field name holds only letters, digits and '_'");
  }
  if (layout.name[0] >= '0' && layout.name[0] <= '9')
    return bad("a field name cannot start with a digit");
  name->clear();
  Status encoded = codepage.Encode(layout.name, name);
  if (!encoded.ok()) return bad(encoded.message());
  if (name->size() > dbf::kMaxFieldNameLength) {
    return bad("a field name has 1 to 10 bytes in code page " + std::to_string(codepage.number()) +
               ", this one " + std::to_string(name->size()));
  }
  for (char& c : *name) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return Status::Ok();
}

Status CheckFieldLayout(const FieldLayout& layout, const CodePage& codepage, FieldInfo* info) {
  auto bad = [&layout](const std::string& what) {
    return Status::InvalidArgument("Field " + layout.name + ": " + what);
  };
  FOXPRO_RETURN_IF_ERROR(EncodeFieldName(layout, codepage, &info->name));
  if (std::strchr("CVQMGWNFIBYDTL", layout.type) == nullptr || layout.type == '\0') {
    return bad(std::string("unknown field type '") + layout.type + "'");
  }
  int width = FixedWidth(layout.type);
  int decimals = 0;
  if (width == 0) {
    int max = (layout.type == 'N' || layout.type == 'F') ? 20 : 254;
    if (layout.width < 1 || layout.width > max) {
      return bad("width " + std::to_string(layout.width) + " is out of range 1.." +
                 std::to_string(max));
    }
    width = layout.width;
    if (layout.type == 'N' || layout.type == 'F') {
      decimals = layout.decimals;
      if (decimals < 0 || decimals > 18 || (decimals > 0 && decimals > width - 2)) {
        return bad("Field width or decimal places invalid.");
      }
    }
  } else if (layout.type == 'B') {
    decimals = layout.decimals;
    if (decimals < 0 || decimals > 18) return bad("Field width or decimal places invalid.");
  } else if (layout.type == 'Y') {
    decimals = 4;
  }
  if (layout.autoinc && layout.type != 'I') return bad("only integer fields can autoincrement");
  info->type = layout.type;
  info->width = static_cast<std::uint16_t>(width);
  info->decimals = static_cast<std::uint8_t>(decimals);
  info->flags = DescriptorFlags(layout);
  info->autoinc_next = layout.autoinc ? layout.autoinc_next : 0;
  info->autoinc_step = layout.autoinc ? layout.autoinc_step : 0;
  return Status::Ok();
}

void PutDescriptor(const FieldInfo& field, char* d) {
  std::memset(d, 0, dbf::kDescriptorSize);
  std::memcpy(d, field.name.data(), std::min(field.name.size(), dbf::kMaxFieldNameLength));
  d[dbf::kFieldTypeOffset] = field.type;
  PutLittleEndian32(field.offset, d + dbf::kFieldDisplacementOffset);
  d[dbf::kFieldLengthOffset] = static_cast<char>(field.width);
  d[dbf::kFieldDecimalsOffset] = static_cast<char>(field.decimals);
  d[dbf::kFieldFlagsOffset] = static_cast<char>(field.flags);
  PutLittleEndian32(field.autoinc_next, d + dbf::kFieldAutoincNextOffset);
  d[dbf::kFieldAutoincStepOffset] = static_cast<char>(field.autoinc_step);
}

// Builds the header bytes of a new table from checked fields (the
// _NullFlags field included when needed).
std::string BuildHeader(const TableLayout& layout, const std::vector<FieldInfo>& all,
                        std::uint16_t record_length) {
  bool varying = false, autoinc = false, memo = false;
  for (const FieldInfo& f : all) {
    varying |= f.type == 'V' || f.type == 'Q' || f.type == 'W';
    autoinc |= f.autoinc();
    memo |= IsMemoType(f.type);
  }
  std::size_t length =
      dbf::kHeaderSize + all.size() * dbf::kDescriptorSize + 1 + dbf::kBacklinkSize;
  std::string header(length, '\0');
  header[dbf::kTypeOffset] = static_cast<char>(varying   ? dbf::kTypeVfpVarying
                                               : autoinc ? dbf::kTypeVfpAutoinc
                                                         : dbf::kTypeVfp);
  PutDate(layout.today.year != 0 ? layout.today : Today(), header.data());
  PutLittleEndian16(static_cast<std::uint16_t>(length), header.data() + dbf::kHeaderLengthOffset);
  PutLittleEndian16(record_length, header.data() + dbf::kRecordLengthOffset);
  header[dbf::kTableFlagsOffset] = static_cast<char>(memo ? dbf::kFlagHasMemo : 0);
  header[dbf::kCodePageOffset] = static_cast<char>(layout.codepage_mark);
  for (std::size_t i = 0; i < all.size(); ++i) {
    PutDescriptor(all[i], header.data() + dbf::kHeaderSize + i * dbf::kDescriptorSize);
  }
  std::size_t terminator = dbf::kHeaderSize + all.size() * dbf::kDescriptorSize;
  header[terminator] = static_cast<char>(dbf::kFieldTerminator);
  std::memcpy(header.data() + terminator + 1, layout.backlink.data(),
              std::min(layout.backlink.size(), dbf::kBacklinkSize - 1));
  return header;
}

Status LayOutFields(const TableLayout& layout, std::vector<FieldInfo>* all,
                    std::uint16_t* record_length) {
  if (layout.fields.empty()) return Status::InvalidArgument("a table needs at least one field");
  int number = CodePageFromMark(layout.codepage_mark);
  auto codepage = CodePage::ForCodePage(number == 0 ? 1252 : number);
  if (!codepage.ok()) return codepage.status();
  std::uint32_t offset = 1;
  int bits = 0;
  for (const FieldLayout& field_layout : layout.fields) {
    FieldInfo info;
    FOXPRO_RETURN_IF_ERROR(CheckFieldLayout(field_layout, *codepage, &info));
    for (const FieldInfo& earlier : *all) {
      if (earlier.name == info.name) {
        return Status::InvalidArgument("Field name " + field_layout.name + " is duplicated.");
      }
    }
    if (info.type == 'V' || info.type == 'Q') ++bits;
    if (info.nullable()) ++bits;
    info.offset = offset;
    offset += info.width;
    all->push_back(std::move(info));
  }
  if (bits > 0) {
    FieldInfo flags;
    flags.name = dbf::kNullFlagsName;
    flags.type = dbf::kNullFlagsType;
    flags.width = static_cast<std::uint16_t>((bits + 7) / 8);
    flags.flags = dbf::kNullFlagsFieldFlags;
    flags.offset = offset;
    offset += flags.width;
    all->push_back(std::move(flags));
  }
  if (all->size() > dbf::kMaxFields)
    return Status::InvalidArgument("Too many fields (255 at most).");
  if (offset > dbf::kMaxRecordLength) {
    return Status::InvalidArgument("Record is too large (" + std::to_string(offset) +
                                   " bytes; 65500 at most).");
  }
  *record_length = static_cast<std::uint16_t>(offset);
  return Status::Ok();
}

std::string MemoNameFor(const std::string& table_name) {
  std::size_t dot = table_name.rfind('.');
  std::string base = dot == std::string::npos ? table_name : table_name.substr(0, dot);
  std::string ext = dot == std::string::npos ? "" : table_name.substr(dot);
  std::string lower = ascii::LowerCase(ext);
  bool upper = ext.size() > 1 && ext[1] >= 'A' && ext[1] <= 'Z';
  std::string memo_ext = lower == ".dbc" ? ".dct" : ".fpt";
  if (upper) {
    for (char& c : memo_ext) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  }
  return base + memo_ext;
}

}  // namespace

Result<std::unique_ptr<Table>> Table::Create(FileSystem* fs, const std::string& path,
                                             const TableLayout& layout) {
  std::vector<FieldInfo> all;
  std::uint16_t record_length = 0;
  FOXPRO_RETURN_IF_ERROR(LayOutFields(layout, &all, &record_length));
  std::string header = BuildHeader(layout, all, record_length);
  bool memo = (static_cast<unsigned char>(header[dbf::kTableFlagsOffset]) & dbf::kFlagHasMemo) != 0;
  std::string folder, name;
  SplitPath(path, &folder, &name);
  std::string memo_path = (folder.empty() ? "" : folder + "/") + MemoNameFor(name);
  if (memo && fs->IsFile(memo_path)) {
    return Status::AlreadyExists("File '" + MemoNameFor(name) + "' already exists.");
  }
  auto file = fs->Open(path, OpenMode::kCreateExclusive);
  if (!file.ok()) {
    if (file.status().IsAlreadyExists())
      return Status::AlreadyExists("File '" + name + "' already exists.");
    return file.status();
  }
  // From here on a failure removes what was created.
  auto undo = [&](Status status) {
    (void)fs->Remove(path);
    if (memo) (void)fs->Remove(memo_path);
    return status;
  };
  std::string bytes = header + std::string(1, dbf::kEndOfFile);
  Status status = (*file)->WriteAt(0, bytes);
  if (!status.ok()) return undo(status);
  if (memo) {
    auto memo_file = fs->Open(memo_path, OpenMode::kCreateExclusive);
    if (!memo_file.ok()) return undo(memo_file.status());
    auto created = MemoFile::Create(std::move(*memo_file), MemoNameFor(name), layout.memo_block_size);
    if (!created.ok()) return undo(created.status());
  }
  file->reset();
  auto table = Open(fs, path, OpenOptions{true, 0});
  if (!table.ok()) return undo(table.status());
  return table;
}

Status Table::CheckValues(const std::vector<Value>& values) const {
  std::string record;
  std::vector<std::string> memo_data;
  return EncodeRecord(values, &record, &memo_data);
}

Status Table::EncodeRecord(const std::vector<Value>& values, std::string* record,
                           std::vector<std::string>* memo_data) const {
  const Impl& impl = *impl_;
  if (values.size() != fields_.size()) {
    return Status::InvalidArgument("Must specify additional parameters: the table has " +
                                   std::to_string(fields_.size()) + " fields, " +
                                   std::to_string(values.size()) + " values were given.");
  }
  record->assign(header_.record_length, ' ');
  memo_data->assign(fields_.size(), std::string());
  std::string null_flags(impl.has_null_flags ? impl.null_flags.width : 0, '\0');
  auto set_bit = [&null_flags](int bit) {
    null_flags[static_cast<std::size_t>(bit / 8)] =
        static_cast<char>(null_flags[static_cast<std::size_t>(bit / 8)] | (1 << (bit % 8)));
  };
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const FieldInfo& field = fields_[i];
    char* bytes = record->data() + field.offset;
    Value value = values[i];
    if (field.autoinc()) value = Value::Integer(field.autoinc_next);
    if (value.is_null()) {
      if (field.null_bit < 0) {
        return Status::InvalidArgument("Field " + field.name + " does not accept null values.");
      }
      BlankField(field, bytes);
      set_bit(field.null_bit);
      if (field.varlen_bit >= 0) set_bit(field.varlen_bit);
      continue;
    }
    bool short_length = false;
    FOXPRO_RETURN_IF_ERROR(
        EncodeField(field, value, impl.codepage, bytes, &short_length, &(*memo_data)[i]));
    if (short_length && field.varlen_bit >= 0) set_bit(field.varlen_bit);
    if (field.is_memo() && !(*memo_data)[i].empty() && impl.memo == nullptr) {
      return Status::Corruption(file_name_ + ": the table has no memo file");
    }
  }
  if (impl.has_null_flags) {
    std::memcpy(record->data() + impl.null_flags.offset, null_flags.data(), null_flags.size());
  }
  return Status::Ok();
}

Status Table::Append(const std::vector<Value>& values) {
  Impl& impl = *impl_;
  if (!impl.writable) return Status::NotSupported(file_name_ + ": the table is open read-only");
  if (header_.record_count == 0xFFFFFFFFu)
    return Status::IOError(file_name_ + ": the table is full");
  // A header counting more records than the file holds would put the new
  // record past a gap (or gigabytes past the end): refuse the damaged file.
  if (readable_count_ < header_.record_count) {
    return Status::Corruption(file_name_ + ": the header counts " +
                              std::to_string(header_.record_count) +
                              " records but the file holds " + std::to_string(readable_count_) +
                              "; nothing was appended");
  }
  std::string& record = impl.record_scratch;
  std::vector<std::string> memo_data;
  FOXPRO_RETURN_IF_ERROR(EncodeRecord(values, &record, &memo_data));
  // 1. Memo data and the memo header: blocks nobody points to yet.
  std::vector<MemoFile::NewMemo> memos;
  std::vector<std::size_t> memo_fields;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (!fields_[i].is_memo() || memo_data[i].empty()) continue;
    MemoFile::NewMemo memo;
    memo.data = memo_data[i];
    memo.type = fields_[i].type == 'G' ? fpt::kBlockObject : fpt::kBlockText;
    memos.push_back(memo);
    memo_fields.push_back(i);
  }
  if (!memos.empty()) {
    FOXPRO_RETURN_IF_ERROR(impl.memo->AppendBatch(&memos));
    for (std::size_t k = 0; k < memos.size(); ++k) {
      const FieldInfo& field = fields_[memo_fields[k]];
      char* pointer = record.data() + field.offset;
      if (HasAsciiMemoPointer(field)) {
        // FoxPro 2.x and dBase: the block number in right-justified digits.
        std::string digits = std::to_string(memos[k].block);
        std::memset(pointer, ' ', field.width);
        std::memcpy(pointer + field.width - digits.size(), digits.data(), digits.size());
      } else {
        PutLittleEndian32(memos[k].block, pointer);
      }
    }
  }
  // 2. The record and the end-of-file byte, past the counted records.
  std::uint32_t count = header_.record_count;
  std::uint64_t offset =
      header_.header_length + static_cast<std::uint64_t>(count) * header_.record_length;
  record.push_back(dbf::kEndOfFile);
  Status status = impl.file->WriteAt(offset, record);
  // 3. The header: count, date and autoincrement values; only now is the record counted.
  if (status.ok()) status = WriteHeaderAfterAppend(count + 1);
  if (!status.ok()) {
    // Best effort: take the uncounted bytes away again.
    if (impl.file->Truncate(offset).ok())
      (void)impl.file->WriteAt(offset, std::string(1, dbf::kEndOfFile));
    return status;
  }
  header_.record_count = count + 1;
  readable_count_ = header_.record_count;
  impl.file_size = offset + record.size();
  impl.window_count = 0;
  for (FieldInfo& field : fields_) {
    if (field.autoinc()) field.autoinc_next += field.autoinc_step;
  }
  return Status::Ok();
}

Status Table::WriteHeaderAfterAppend(std::uint32_t new_count) {
  Impl& impl = *impl_;
  std::string& header = impl.header_bytes;
  PutDate(Today(), header.data());
  PutLittleEndian32(new_count, header.data() + dbf::kRecordCountOffset);
  std::size_t end = dbf::kRecordCountOffset + 4;
  // Autoincrement fields: the descriptor's next value moves on by its step.
  std::size_t index = 0;
  for (std::size_t slot = 0; dbf::kHeaderSize + (slot + 1) * dbf::kDescriptorSize <= header.size();
       ++slot) {
    char* d = header.data() + dbf::kHeaderSize + slot * dbf::kDescriptorSize;
    if (d[0] == static_cast<char>(dbf::kFieldTerminator)) break;
    if (d[dbf::kFieldTypeOffset] == dbf::kNullFlagsType) continue;
    if (index < fields_.size() && fields_[index].autoinc()) {
      const FieldInfo& field = fields_[index];
      PutLittleEndian32(field.autoinc_next + field.autoinc_step, d + dbf::kFieldAutoincNextOffset);
      end = dbf::kHeaderSize + (slot + 1) * dbf::kDescriptorSize;
    }
    ++index;
  }
  return impl.file->WriteAt(0, std::string_view(header.data(), end));
}

Status Table::MarkDeleted(std::uint32_t index, bool deleted) {
  Impl& impl = *impl_;
  if (!impl.writable) return Status::NotSupported(file_name_ + ": the table is open read-only");
  if (index >= readable_count_) {
    return Status::InvalidArgument(file_name_ + ": record " + std::to_string(index + 1) +
                                   " does not exist");
  }
  std::uint64_t offset =
      header_.header_length + static_cast<std::uint64_t>(index) * header_.record_length;
  char flag = deleted ? dbf::kRecordDeleted : dbf::kRecordActive;
  FOXPRO_RETURN_IF_ERROR(impl.file->WriteAt(offset, std::string_view(&flag, 1)));
  impl.window_count = 0;
  return Status::Ok();
}

Status Table::Sync() {
  Impl& impl = *impl_;
  FOXPRO_RETURN_IF_ERROR(impl.file->Sync());
  if (impl.memo) FOXPRO_RETURN_IF_ERROR(impl.memo->Sync());
  return Status::Ok();
}

}  // namespace foxpro
