#include "foxpro/dbc/container_file.h"

#include <algorithm>
#include <ctime>
#include <limits>

#include "foxpro/cdx/byte_order.h"
#include "foxpro/dbc/dbc_format.h"
#include "foxpro/dbf/dbf_format.h"
#include "foxpro/fpt/fpt_format.h"
#include "foxpro/util/local_time.h"
#include "text/ascii.h"

namespace foxpro::dbc {
namespace {

// Larger blocks than FoxPro ever uses are read, but not written to.
constexpr std::uint32_t kMaxWritableBlockSize = 65536;

std::string TrimPadding(const char* p, std::size_t n) {
  while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == '\0')) --n;
  return std::string(p, n);
}

std::string JoinPath(const std::string& folder, const std::string& file) {
  return folder.empty() ? file : folder + "/" + file;
}

std::string BaseName(const std::string& file) {
  std::size_t dot = file.rfind('.');
  return dot == std::string::npos ? file : file.substr(0, dot);
}

}  // namespace

void SplitPath(const std::string& path, std::string* folder, std::string* file) {
  std::size_t slash = LastPathSeparator(path);
  if (slash == std::string::npos) {
    folder->clear();
    *file = path;
  } else {
    *folder = slash == 0 ? std::string("/") : path.substr(0, slash);
    *file = path.substr(slash + 1);
  }
}

std::string FindInFolder(FileSystem* fs, const std::string& folder, const std::string& name) {
  std::string dir = folder.empty() ? std::string(".") : folder;
  if (fs->IsFile(JoinPath(folder, name))) return name;
  std::vector<DirectoryEntry> entries;
  if (!fs->List(dir, &entries).ok()) return std::string();
  std::sort(entries.begin(), entries.end(),
            [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
  for (const DirectoryEntry& e : entries) {
    if (!e.is_directory && ascii::EqualsIgnoringCase(e.name, name)) return e.name;
  }
  return std::string();
}

Status ContainerFile::Open(FileSystem* fs, const std::string& dbc_path, bool writable,
                           std::unique_ptr<ContainerFile>* out) {
  std::unique_ptr<ContainerFile> c(new ContainerFile());
  c->path_ = dbc_path;
  SplitPath(dbc_path, &c->folder_, &c->file_name_);
  Result<std::unique_ptr<File>> file =
      fs->Open(dbc_path, writable ? OpenMode::kReadWrite : OpenMode::kRead);
  if (!file.ok()) {
    if (file.status().IsNotFound()) {
      return Status::NotFound("File '" + c->file_name_ + "' does not exist.");
    }
    return file.status();
  }
  c->file_ = std::move(*file);
  FOXPRO_RETURN_IF_ERROR(c->ReadHeader());
  FOXPRO_RETURN_IF_ERROR(c->ReadRows());
  FOXPRO_RETURN_IF_ERROR(c->OpenMemo(fs, writable));
  *out = std::move(c);
  return Status::Ok();
}

Status ContainerFile::ReadHeader() {
  Result<std::uint64_t> size = file_->Size();
  if (!size.ok()) return size.status();
  std::string head;
  FOXPRO_RETURN_IF_ERROR(ReadString(file_.get(), 0, dbf::kHeaderSize, &head));
  std::string not_container = "File '" + file_name_ + "' is not a database container.";
  if (head.size() < dbf::kHeaderSize) return Status::InvalidArgument(not_container);
  const char* h = head.data();
  auto flags = static_cast<std::uint8_t>(h[dbf::kTableFlagsOffset]);
  if ((flags & dbf::kFlagIsContainer) == 0) return Status::InvalidArgument(not_container);
  record_count_ = bytes::GetLe32(h + dbf::kRecordCountOffset);
  header_length_ = bytes::GetLe16(h + dbf::kHeaderLengthOffset);
  record_length_ = bytes::GetLe16(h + dbf::kRecordLengthOffset);
  codepage_mark_ = static_cast<std::uint8_t>(h[dbf::kCodePageOffset]);
  if (header_length_ < dbf::kHeaderSize + 1 || header_length_ > *size || record_length_ < 2) {
    return Corrupt("header length " + std::to_string(header_length_) + " or record length " +
                   std::to_string(record_length_) + " is impossible");
  }
  FOXPRO_RETURN_IF_ERROR(ReadString(file_.get(), 0, header_length_, &head));
  std::size_t offset = 1;  // the deletion flag comes first
  for (std::size_t pos = dbf::kHeaderSize;
       pos + dbf::kDescriptorSize <= head.size() && head[pos] != dbf::kFieldTerminator;
       pos += dbf::kDescriptorSize) {
    const char* d = head.data() + pos;
    std::string name = TrimPadding(d, std::min(std::string(d, 11).find('\0'), std::size_t{11}));
    char type = d[dbf::kFieldTypeOffset];
    std::size_t width = static_cast<unsigned char>(d[dbf::kFieldLengthOffset]);
    Column column{offset, width};
    offset += width;
    if (offset > record_length_) return Corrupt("fields are wider than the record");
    field_types_.emplace_back(name, type);
    field_columns_.push_back(column);
    auto bind = [&](const char* wanted, char wanted_type, bool fixed4, Column* slot) {
      if (ascii::EqualsIgnoringCase(name, wanted) && type == wanted_type && (!fixed4 || width == 4)) {
        *slot = column;
      }
    };
    bind(kObjectIdField, 'I', true, &object_id_);
    bind(kParentIdField, 'I', true, &parent_id_);
    if (width == kObjectTypeWidth) bind(kObjectTypeField, 'C', false, &object_type_);
    if (width == kObjectNameWidth) bind(kObjectNameField, 'C', false, &object_name_);
    bind(kPropertyField, 'M', true, &property_);
    bind(kRiInfoField, 'C', false, &riinfo_);
  }
  if (object_id_.width == 0 || parent_id_.width == 0 || object_type_.width == 0 ||
      object_name_.width == 0 || property_.width == 0) {
    return Status::InvalidArgument(not_container);
  }
  return Status::Ok();
}

Status ContainerFile::ReadRows() {
  Result<std::uint64_t> size = file_->Size();
  if (!size.ok()) return size.status();
  std::uint64_t available = (*size - header_length_) / record_length_;
  std::uint32_t count =
      static_cast<std::uint32_t>(std::min<std::uint64_t>(record_count_, available));
  if (count < record_count_) {
    return Corrupt("the header counts " + std::to_string(record_count_) +
                   " rows but the file holds " + std::to_string(count));
  }
  std::string data;
  FOXPRO_RETURN_IF_ERROR(
      ReadString(file_.get(), header_length_, std::size_t{count} * record_length_, &data));
  rows_.clear();
  rows_.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    rows_.push_back(DecodeRow(i + 1, data.data() + std::size_t{i} * record_length_));
  }
  return Status::Ok();
}

ObjectRow ContainerFile::DecodeRow(std::uint32_t record, const char* bytes) const {
  ObjectRow row;
  row.record = record;
  row.deleted = bytes[0] == dbf::kRecordDeleted;
  row.object_id = static_cast<std::int32_t>(bytes::GetLe32(bytes + object_id_.offset));
  row.parent_id = static_cast<std::int32_t>(bytes::GetLe32(bytes + parent_id_.offset));
  row.type = TrimPadding(bytes + object_type_.offset, object_type_.width);
  row.name = TrimPadding(bytes + object_name_.offset, object_name_.width);
  row.property_block = bytes::GetLe32(bytes + property_.offset);
  if (riinfo_.width != 0) row.riinfo = TrimPadding(bytes + riinfo_.offset, riinfo_.width);
  return row;
}

Status ContainerFile::OpenMemo(FileSystem* fs, bool writable) {
  memo_name_ = FindInFolder(fs, folder_, BaseName(file_name_) + ".dct");
  if (memo_name_.empty()) {
    return Corrupt("its memo file " + BaseName(file_name_) + ".dct is missing");
  }
  Result<std::unique_ptr<File>> memo =
      fs->Open(JoinPath(folder_, memo_name_), writable ? OpenMode::kReadWrite : OpenMode::kRead);
  if (!memo.ok()) return memo.status();
  memo_ = std::move(*memo);
  Result<std::uint64_t> size = memo_->Size();
  if (!size.ok()) return size.status();
  memo_size_ = *size;
  std::string head;
  FOXPRO_RETURN_IF_ERROR(ReadString(memo_.get(), 0, fpt::kHeaderSize, &head));
  if (head.size() < fpt::kHeaderSize) {
    return Status::Corruption(memo_name_ + ": the memo file is shorter than its header");
  }
  next_free_ = bytes::GetBe32(head.data() + fpt::kNextFreeOffset);
  block_size_ =
      (head[4] != 0 || head[5] != 0)
          ? bytes::GetBe32(head.data() + 4)
          : static_cast<std::uint32_t>(bytes::GetBig(head.data() + fpt::kBlockSizeOffset, 2));
  if (block_size_ == 0) return Status::Corruption(memo_name_ + ": the memo file's block size is 0");
  return Status::Ok();
}

Status ContainerFile::ReadMemo(std::uint32_t block, std::string* data) {
  data->clear();
  if (block == 0) return Status::Ok();
  std::uint64_t offset = std::uint64_t{block} * block_size_;
  std::string where = memo_name_ + ": memo block " + std::to_string(block);
  if (offset < fpt::kHeaderSize) {
    return Status::Corruption(where + " points into the memo file's header");
  }
  if (offset + fpt::kBlockHeaderSize > memo_size_) {
    return Status::Corruption(where + " lies past the end of the memo file (" +
                              std::to_string(memo_size_) + " bytes)");
  }
  std::string head;
  FOXPRO_RETURN_IF_ERROR(ReadString(memo_.get(), offset, fpt::kBlockHeaderSize, &head));
  std::uint32_t length = bytes::GetBe32(head.data() + fpt::kBlockLengthOffset);
  if (length > memo_size_ - offset - fpt::kBlockHeaderSize) {
    return Status::Corruption(where + " claims " + std::to_string(length) + " bytes but only " +
                              std::to_string(memo_size_ - offset - fpt::kBlockHeaderSize) +
                              " follow it in the file");
  }
  return ReadString(memo_.get(), offset + fpt::kBlockHeaderSize, length, data);
}

Status ContainerFile::ReadPropertyBlob(const ObjectRow& row, std::string* blob) {
  return ReadMemo(row.property_block, blob);
}

Status ContainerFile::ReadProperties(const ObjectRow& row, PropertyList* out) {
  std::string blob;
  FOXPRO_RETURN_IF_ERROR(ReadMemo(row.property_block, &blob));
  return DecodeProperties(blob, memo_name_ + ": object " + std::to_string(row.object_id), out);
}

Status ContainerFile::AppendMemo(const std::string& data, std::uint32_t* block) {
  std::uint64_t offset = std::uint64_t{next_free_} * block_size_;
  std::string where = memo_name_ + ": next free block " + std::to_string(next_free_);
  if (offset < fpt::kHeaderSize)
    return Status::Corruption(where + " points into the memo file's header");
  // The last memo is not padded, so next-free may point up to one block
  // past the end of the file, never further.
  if (block_size_ > kMaxWritableBlockSize || offset >= memo_size_ + block_size_) {
    return Status::Corruption(where + " lies past the end of the memo file");
  }
  std::uint64_t blocks = (fpt::kBlockHeaderSize + data.size() + block_size_ - 1) / block_size_;
  if (next_free_ + blocks > std::numeric_limits<std::uint32_t>::max()) {
    return Status::IOError(memo_name_ + ": the memo file is full");
  }
  std::string bytes(fpt::kBlockHeaderSize, '\0');
  bytes::PutBe32(bytes.data() + fpt::kBlockTypeOffset, fpt::kBlockText);
  bytes::PutBe32(bytes.data() + fpt::kBlockLengthOffset, static_cast<std::uint32_t>(data.size()));
  bytes += data;
  FOXPRO_RETURN_IF_ERROR(memo_->WriteAt(offset, bytes));
  auto next = static_cast<std::uint32_t>(next_free_ + blocks);
  char head[4];
  bytes::PutBe32(head, next);
  FOXPRO_RETURN_IF_ERROR(memo_->WriteAt(fpt::kNextFreeOffset, std::string_view(head, 4)));
  *block = next_free_;
  next_free_ = next;
  memo_size_ = std::max(memo_size_, offset + bytes.size());
  return Status::Ok();
}

std::string ContainerFile::EncodeRow(std::int32_t object_id, const NewObject& object,
                                     std::uint32_t property_block) const {
  std::string row(record_length_, '\0');
  row[0] = dbf::kRecordActive;
  for (std::size_t i = 0; i < field_types_.size(); ++i) {
    char type = field_types_[i].second;
    if (type == 'C' || type == 'N' || type == 'F' || type == 'D' || type == 'L') {
      std::fill_n(row.begin() + static_cast<long>(field_columns_[i].offset),
                  field_columns_[i].width, ' ');
    }
  }
  auto put_text = [&](const Column& c, const std::string& text) {
    std::copy_n(text.begin(), std::min(text.size(), c.width),
                row.begin() + static_cast<long>(c.offset));
  };
  bytes::PutLe32(row.data() + object_id_.offset, static_cast<std::uint32_t>(object_id));
  bytes::PutLe32(row.data() + parent_id_.offset, static_cast<std::uint32_t>(object.parent_id));
  put_text(object_type_, object.type);
  put_text(object_name_, object.name);
  bytes::PutLe32(row.data() + property_.offset, property_block);
  return row;
}

Status ContainerFile::WriteCount(std::uint32_t count) {
  const std::tm local = LocalNow();
  char head[7];
  head[0] = static_cast<char>(local.tm_year % 100);
  head[1] = static_cast<char>(local.tm_mon + 1);
  head[2] = static_cast<char>(local.tm_mday);
  bytes::PutLe32(head + 3, count);
  return file_->WriteAt(dbf::kYearOffset, std::string_view(head, sizeof head));
}

Status ContainerFile::Append(const std::vector<NewObject>& objects,
                             std::vector<std::int32_t>* ids) {
  ids->clear();
  auto first = static_cast<std::uint32_t>(rows_.size());
  if (std::uint64_t{first} + objects.size() > std::numeric_limits<std::int32_t>::max()) {
    return Status::IOError(file_name_ + ": the container is full");
  }
  std::string records;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    std::uint32_t block = 0;
    if (!objects[i].property_blob.empty()) {
      FOXPRO_RETURN_IF_ERROR(AppendMemo(objects[i].property_blob, &block));
    }
    auto id = static_cast<std::int32_t>(first + i + 1);
    records += EncodeRow(id, objects[i], block);
    ids->push_back(id);
  }
  records.push_back(dbf::kEndOfFile);
  std::uint64_t at = header_length_ + std::uint64_t{first} * record_length_;
  Status written = file_->WriteAt(at, records);
  auto count = static_cast<std::uint32_t>(first + objects.size());
  if (written.ok()) written = WriteCount(count);
  if (!written.ok()) {
    // Leave the header count where it was; the bytes past it are not rows.
    (void)WriteCount(first);
    ids->clear();
    return written.WithContext(file_name_);
  }
  for (std::size_t i = 0; i < objects.size(); ++i) {
    rows_.push_back(
        DecodeRow(first + static_cast<std::uint32_t>(i) + 1, records.data() + i * record_length_));
  }
  record_count_ = count;
  return Status::Ok();
}

Status ContainerFile::MarkDeleted(const std::vector<std::uint32_t>& records, bool deleted) {
  const char flag = deleted ? dbf::kRecordDeleted : dbf::kRecordActive;
  for (std::uint32_t record : records) {
    if (record == 0 || record > rows_.size()) {
      return Status::InvalidArgument(file_name_ + ": no row " + std::to_string(record));
    }
    std::uint64_t at = header_length_ + std::uint64_t{record - 1} * record_length_;
    FOXPRO_RETURN_IF_ERROR(file_->WriteAt(at, std::string_view(&flag, 1)).WithContext(file_name_));
    rows_[record - 1].deleted = deleted;
  }
  return Status::Ok();
}

Status ContainerFile::Corrupt(const std::string& what) const {
  return Status::Corruption(file_name_ + ": " + what);
}

}  // namespace foxpro::dbc
