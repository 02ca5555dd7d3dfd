// Table: opening a table file, its field list and memo file, and reading
// records. Writing lives in table_write.cpp.
#include "foxpro/dbf/table.h"

#include <algorithm>
#include <cstring>

#include "foxpro/dbf/dbf_format.h"
#include "foxpro/dbf/field_codec.h"
#include "foxpro/dbf/table_internal.h"
#include "text/ascii.h"

namespace foxpro {
namespace {

// Records read per window when scanning.
constexpr std::size_t kWindowBytes = 256 * 1024;

std::uint32_t LittleEndian32(const char* p) {
  std::uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

std::uint16_t LittleEndian16(const char* p) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(p[0]) |
                                    (static_cast<unsigned char>(p[1]) << 8));
}

bool KnownType(char type) {
  return std::strchr("CVQMGWNFIBYDTLP0", type) != nullptr && type != '\0';
}

// Reads one descriptor into *field (name, type, width, flags, autoincrement).
void ParseDescriptor(const char* d, FieldInfo* field) {
  std::size_t length = 0;
  while (length < dbf::kFieldNameSize && d[length] != '\0') ++length;
  field->name.assign(d, length);
  field->type = d[dbf::kFieldTypeOffset];
  field->width = static_cast<std::uint8_t>(d[dbf::kFieldLengthOffset]);
  field->decimals = static_cast<std::uint8_t>(d[dbf::kFieldDecimalsOffset]);
  field->flags = static_cast<std::uint8_t>(d[dbf::kFieldFlagsOffset]);
  field->autoinc_next = LittleEndian32(d + dbf::kFieldAutoincNextOffset);
  field->autoinc_step = static_cast<std::uint8_t>(d[dbf::kFieldAutoincStepOffset]);
}

std::string MemoExtension(std::uint8_t type_byte, const std::string& table_name) {
  std::string lower = ascii::LowerCase(table_name);
  if (lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ".dbc") == 0) return ".dct";
  if (type_byte == dbf::kTypeDbase3Memo || type_byte == dbf::kTypeDbase4Memo) return ".dbt";
  return ".fpt";
}

}  // namespace

void SplitPath(const std::string& path, std::string* folder, std::string* name) {
  std::size_t slash = LastPathSeparator(path);
  if (slash == std::string::npos) {
    folder->clear();
    *name = path;
  } else {
    *folder = path.substr(0, slash);
    if (folder->empty()) *folder = "/";
    *name = path.substr(slash + 1);
  }
}

std::string FindFileCaseInsensitive(FileSystem* fs, const std::string& folder,
                                    const std::string& name) {
  std::string path = folder.empty() ? name : folder + "/" + name;
  if (fs->IsFile(path)) return name;
  std::vector<DirectoryEntry> entries;
  if (!fs->List(folder.empty() ? "." : folder, &entries).ok()) return std::string();
  std::string wanted = ascii::LowerCase(name);
  std::string found;
  for (const DirectoryEntry& entry : entries) {
    if (!entry.is_directory && ascii::LowerCase(entry.name) == wanted) {
      // Several spellings: take the smallest, so the choice is stable.
      if (found.empty() || entry.name < found) found = entry.name;
    }
  }
  return found;
}

Table::Table() : impl_(std::make_unique<Impl>()) {}
Table::~Table() = default;

int Table::codepage() const { return impl_->codepage.number(); }

int Table::FindField(const std::string& name) const {
  std::string wanted = ascii::LowerCase(name);
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    if (ascii::LowerCase(fields_[i].name) == wanted) return static_cast<int>(i);
  }
  return -1;
}

Result<std::unique_ptr<Table>> Table::Open(FileSystem* fs, const std::string& path,
                                           const OpenOptions& options) {
  std::unique_ptr<Table> table(new Table());
  table->path_ = path;
  std::string folder;
  SplitPath(path, &folder, &table->file_name_);
  Impl& impl = *table->impl_;
  impl.writable = options.writable;
  auto file = fs->Open(path, options.writable ? OpenMode::kReadWrite : OpenMode::kRead);
  if (!file.ok()) return file.status();
  impl.file = std::move(*file);
  FOXPRO_RETURN_IF_ERROR(table->ParseHeader(options.codepage_override));
  FOXPRO_RETURN_IF_ERROR(table->OpenMemo(fs, folder));
  return table;
}

void Table::DecodeFieldName(std::string* name) const {
  // Names are bytes in the table's code page, like its text.
  bool ascii = std::all_of(name->begin(), name->end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii) return;
  std::string decoded;
  // A name that is no text of the page (a broken double-byte sequence) keeps
  // its bytes, as every name did before names were decoded.
  if (!impl_->codepage.Decode(*name, &decoded).ok()) return;
  *name = std::move(decoded);
}

Status Table::ParseHeader(int codepage_override) {
  Impl& impl = *impl_;
  auto size = impl.file->Size();
  if (!size.ok()) return size.status();
  impl.file_size = *size;
  auto corrupt = [this](const std::string& what) {
    return Status::Corruption(file_name_ + ": " + what);
  };
  std::string head;
  FOXPRO_RETURN_IF_ERROR(ReadString(impl.file.get(), 0, dbf::kHeaderSize, &head));
  if (head.size() < dbf::kHeaderSize) return corrupt("the file is too short to be a table");
  header_.type_byte = static_cast<std::uint8_t>(head[dbf::kTypeOffset]);
  int year = static_cast<unsigned char>(head[dbf::kYearOffset]);
  header_.last_update = {year >= 100 ? 1900 + year : 2000 + year,
                         static_cast<unsigned char>(head[dbf::kMonthOffset]),
                         static_cast<unsigned char>(head[dbf::kDayOffset])};
  header_.record_count = LittleEndian32(head.data() + dbf::kRecordCountOffset);
  header_.header_length = LittleEndian16(head.data() + dbf::kHeaderLengthOffset);
  header_.record_length = LittleEndian16(head.data() + dbf::kRecordLengthOffset);
  header_.table_flags = static_cast<std::uint8_t>(head[dbf::kTableFlagsOffset]);
  header_.codepage_mark = static_cast<std::uint8_t>(head[dbf::kCodePageOffset]);
  impl.visual = dbf::IsVisualFoxPro(header_.type_byte);
  if (header_.header_length < dbf::kHeaderSize + 1) {
    return corrupt("the header length " + std::to_string(header_.header_length) +
                   " is too small for a table header");
  }
  if (header_.record_length < 1) return corrupt("the record length is 0");
  if (header_.header_length > impl.file_size) {
    return corrupt("the header length " + std::to_string(header_.header_length) +
                   " runs past the end of the file (" + std::to_string(impl.file_size) + " bytes)");
  }
  FOXPRO_RETURN_IF_ERROR(ReadString(impl.file.get(), 0, header_.header_length, &impl.header_bytes));
  int codepage_number = codepage_override != 0
                            ? codepage_override
                            : TableCodePage(header_.type_byte, header_.codepage_mark);
  auto codepage = CodePage::ForCodePage(codepage_number);
  if (!codepage.ok()) return codepage.status().WithContext(file_name_);
  impl.codepage = *codepage;
  FOXPRO_RETURN_IF_ERROR(ParseFields());
  CountRecords();
  return Status::Ok();
}

void Table::CountRecords() {
  std::uint64_t data = impl_->file_size - header_.header_length;
  std::uint64_t in_file = data / header_.record_length;
  std::uint64_t rest = data % header_.record_length;
  readable_count_ =
      static_cast<std::uint32_t>(std::min<std::uint64_t>(header_.record_count, in_file));
  auto records = [](std::uint64_t n) {
    return std::to_string(n) + (n == 1 ? " complete record" : " complete records");
  };
  std::string counts =
      file_name_ + ": the header counts " + std::to_string(header_.record_count) +
      (header_.record_count == 1 ? " record but " : " records but ");
  if (header_.record_count > in_file) {
    // The trailing end-of-file byte is not a partial record.
    std::string partial =
        rest > 1 ? " and a partial record of " + std::to_string(rest) + " bytes" : "";
    warnings_.push_back(counts + "the file holds " + records(in_file) + partial +
                        "; only the complete records are read");
  } else if (header_.record_count < in_file) {
    std::uint64_t beyond = in_file - header_.record_count;
    warnings_.push_back(counts + records(beyond) + (beyond == 1 ? " follows" : " follow") +
                        " them in the file and " + (beyond == 1 ? "is" : "are") + " not read");
  }
}

Status Table::ParseFields() {
  Impl& impl = *impl_;
  const std::string& bytes = impl.header_bytes;
  auto corrupt = [this](const std::string& what) {
    return Status::Corruption(file_name_ + ": " + what);
  };
  std::size_t position = dbf::kHeaderSize;
  bool terminated = false;
  std::vector<FieldInfo> all;
  while (position < bytes.size()) {
    if (bytes[position] == static_cast<char>(dbf::kFieldTerminator)) {
      terminated = true;
      break;
    }
    if (position + dbf::kDescriptorSize > bytes.size()) break;
    FieldInfo field;
    ParseDescriptor(bytes.data() + position, &field);
    DecodeFieldName(&field.name);
    if (field.type == '\0') return corrupt("the field list has no end marker");
    if (!KnownType(field.type)) {
      return corrupt("field " + std::to_string(all.size() + 1) + " has the unknown type '" +
                     std::string(1, field.type) + "'");
    }
    all.push_back(std::move(field));
    position += dbf::kDescriptorSize;
    if (all.size() > dbf::kMaxFields) return corrupt("the table has more than 255 fields");
  }
  if (all.empty())
    return corrupt(terminated ? "the table has no fields" : "the field list has no end marker");
  if (!impl.visual) FOXPRO_RETURN_IF_ERROR(ResolveWideCharacterFields(&all));
  std::uint32_t offset = 1;
  for (FieldInfo& field : all) {
    if (field.width == 0) return corrupt("field " + field.name + " has width 0");
    field.offset = offset;
    offset += field.width;
  }
  // Without the end marker the list is only believed when it fills the record exactly.
  if (!terminated && offset != header_.record_length) {
    return corrupt("the field list has no end marker");
  }
  if (offset > header_.record_length) {
    return corrupt("the fields need " + std::to_string(offset) + " bytes but a record has " +
                   std::to_string(header_.record_length));
  }
  if (impl.visual && terminated) {
    std::size_t link = position + 1;
    if (link < bytes.size()) {
      std::string_view area(bytes.data() + link, std::min(dbf::kBacklinkSize, bytes.size() - link));
      header_.backlink.assign(area.substr(0, area.find('\0')));
    }
  }
  return AssignNullBits(std::move(all));
}

Status Table::ResolveWideCharacterFields(std::vector<FieldInfo>* all) const {
  // FoxPro 2.x and Clipper keep the high byte of a character field's width
  // in its decimal count. Both readings are tried against the record length;
  // a table that fits neither would be read with misplaced fields.
  std::uint32_t narrow = 1, wide = 1;
  bool differ = false;
  for (const FieldInfo& field : *all) {
    narrow += field.width;
    wide += field.width;
    if (field.type == 'C' && field.decimals != 0) {
      wide += field.decimals * 256u;
      differ = true;
    }
  }
  if (!differ || narrow == header_.record_length) return Status::Ok();
  if (wide != header_.record_length) {
    return Status::Corruption(
        file_name_ + ": the fields add up to neither the record length " +
        std::to_string(header_.record_length) + " (" + std::to_string(narrow) +
        " bytes with 1-byte character widths, " + std::to_string(wide) +
        " with the decimal count as their high byte); the fields cannot be placed");
  }
  for (FieldInfo& field : *all) {
    if (field.type != 'C' || field.decimals == 0) continue;
    field.width = static_cast<std::uint16_t>(field.width + field.decimals * 256u);
    field.decimals = 0;
  }
  return Status::Ok();
}

Status Table::AssignNullBits(std::vector<FieldInfo> all) {
  Impl& impl = *impl_;
  fields_.clear();
  for (FieldInfo& field : all) {
    if (field.type == dbf::kNullFlagsType) {
      impl.has_null_flags = true;
      impl.null_flags = field;
    } else {
      fields_.push_back(std::move(field));
    }
  }
  int bit = 0;
  for (FieldInfo& field : fields_) {
    if (!impl.has_null_flags) {
      field.flags &= static_cast<std::uint8_t>(~dbf::kFieldNullable);
      continue;
    }
    if (field.type == 'V' || field.type == 'Q') field.varlen_bit = bit++;
    if (field.nullable()) field.null_bit = bit++;
  }
  if (impl.has_null_flags && bit > impl.null_flags.width * 8) {
    return Status::Corruption(file_name_ + ": the _NullFlags field is too narrow for " +
                              std::to_string(bit) + " bits");
  }
  for (FieldInfo& field : fields_) {
    if (!field.autoinc()) field.autoinc_next = 0, field.autoinc_step = 0;
  }
  return Status::Ok();
}

Status Table::OpenMemo(FileSystem* fs, const std::string& folder) {
  Impl& impl = *impl_;
  bool needs_memo = false;
  for (const FieldInfo& field : fields_) {
    if (field.is_memo() || (!impl.visual && field.type == 'B')) needs_memo = true;
  }
  if (!needs_memo) return Status::Ok();
  std::string base = file_name_.substr(0, file_name_.rfind('.'));
  std::string wanted = base + MemoExtension(header_.type_byte, file_name_);
  std::string found = FindFileCaseInsensitive(fs, folder, wanted);
  if (found.empty()) {
    return Status::Corruption(file_name_ + ": the memo file " + wanted + " is missing");
  }
  std::string memo_path = folder.empty() ? found : folder + "/" + found;
  auto file = fs->Open(memo_path, impl.writable ? OpenMode::kReadWrite : OpenMode::kRead);
  if (!file.ok()) return file.status();
  MemoFile::Flavor flavor = MemoFile::Flavor::kFpt;
  if (header_.type_byte == dbf::kTypeDbase3Memo) flavor = MemoFile::Flavor::kDbase3;
  if (header_.type_byte == dbf::kTypeDbase4Memo) flavor = MemoFile::Flavor::kDbase4;
  auto memo = MemoFile::Open(std::move(*file), found, flavor);
  if (!memo.ok()) return memo.status();
  impl.memo = std::move(*memo);
  return Status::Ok();
}

Status Table::LoadWindow(std::uint32_t index) {
  Impl& impl = *impl_;
  std::size_t per_window = std::max<std::size_t>(1, kWindowBytes / header_.record_length);
  std::uint32_t count =
      static_cast<std::uint32_t>(std::min<std::uint64_t>(per_window, readable_count_ - index));
  std::uint64_t offset =
      header_.header_length + static_cast<std::uint64_t>(index) * header_.record_length;
  std::size_t bytes = static_cast<std::size_t>(count) * header_.record_length;
  impl.window.resize(bytes);
  std::size_t got = 0;
  FOXPRO_RETURN_IF_ERROR(impl.file->ReadAt(offset, bytes, impl.window.data(), &got));
  impl.window_first = index;
  impl.window_count = static_cast<std::uint32_t>(got / header_.record_length);
  if (impl.window_count == 0) {
    return Status::Corruption(file_name_ + ": record " + std::to_string(index + 1) +
                              " is cut short");
  }
  return Status::Ok();
}

Result<const char*> Table::RecordBytes(std::uint32_t index) {
  Impl& impl = *impl_;
  if (index >= readable_count_) {
    return Status::InvalidArgument(file_name_ + ": record " + std::to_string(index + 1) +
                                   " does not exist");
  }
  if (index < impl.window_first || index >= impl.window_first + impl.window_count) {
    FOXPRO_RETURN_IF_ERROR(LoadWindow(index));
  }
  return impl.window.data() +
         static_cast<std::size_t>(index - impl.window_first) * header_.record_length;
}

Result<std::uint32_t> Table::CountLiveRecords() {
  std::uint32_t live = 0;
  for (std::uint32_t i = 0; i < readable_count_;) {
    FOXPRO_RETURN_IF_ERROR(LoadWindow(i));
    const Impl& impl = *impl_;
    for (std::uint32_t k = 0; k < impl.window_count; ++k) {
      if (impl.window[static_cast<std::size_t>(k) * header_.record_length] != dbf::kRecordDeleted)
        ++live;
    }
    i += impl.window_count;
  }
  return live;
}

Status Table::ReadRawRecord(std::uint32_t index, std::string* bytes) {
  auto record = RecordBytes(index);
  if (!record.ok()) return record.status();
  bytes->assign(*record, header_.record_length);
  return Status::Ok();
}

Status Table::ReadRecord(std::uint32_t index, Record* record) {
  Impl& impl = *impl_;
  auto bytes = RecordBytes(index);
  if (!bytes.ok()) return bytes.status();
  const char* data = *bytes;
  record->deleted = data[0] == dbf::kRecordDeleted;
  record->values.resize(fields_.size());
  record->bad_values.clear();
  std::string_view null_flags;
  if (impl.has_null_flags)
    null_flags = std::string_view(data + impl.null_flags.offset, impl.null_flags.width);
  DecodeContext context;
  context.codepage = &impl.codepage;
  context.memo = impl.memo.get();
  context.visual = impl.visual;
  context.scratch = &impl.memo_scratch;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    Status status = DecodeField(fields_[i], data, null_flags, context, &record->values[i]);
    if (!status.ok()) {
      record->values[i].SetNull();
      record->bad_values.push_back(
          {i, Status::Corruption(file_name_ + ": record " + std::to_string(index + 1) + ", field " +
                                 fields_[i].name + ": " + status.message())});
    }
  }
  return Status::Ok();
}

}  // namespace foxpro
