// Writing a new, empty database container: the five rows every container
// starts with, the Database object's properties in the .dct, and the .dcx.
#include <ctime>

#include "foxpro/cdx/byte_order.h"
#include "foxpro/dbc/database.h"
#include "foxpro/dbc/dbc_format.h"
#include "foxpro/dbc/dcx.h"
#include "foxpro/dbf/dbf_format.h"
#include "foxpro/fpt/fpt_format.h"
#include "foxpro/util/local_time.h"

namespace foxpro::dbc {
namespace {

struct ColumnLayout {
  const char* name;
  char type;
  std::uint8_t width;
  std::uint8_t flags;
};

// The container table's fields exactly as FoxPro declares them.
constexpr ColumnLayout kColumns[] = {
    {kObjectIdField, 'I', 4, dbf::kFieldBinary},  {kParentIdField, 'I', 4, dbf::kFieldBinary},
    {kObjectTypeField, 'C', kObjectTypeWidth, 0}, {kObjectNameField, 'C', kObjectNameWidth, 0},
    {kPropertyField, 'M', 4, dbf::kFieldBinary},  {kCodeField, 'M', 4, dbf::kFieldBinary},
    {kRiInfoField, 'C', kRiInfoWidth, 0},         {kUserField, 'M', 4, 0},
};
constexpr std::uint16_t kRecordLength = 165;

// The rows every container starts with; the first holds the properties.
constexpr const char* kStandardRows[] = {"Database", "TransactionLog", "StoredProceduresSource",
                                         "StoredProceduresObject", "StoredProceduresDependencies"};

// The first memo block of a new memo file with 64-byte blocks.
constexpr std::uint32_t kFirstBlock = fpt::kHeaderSize / fpt::kDefaultBlockSize;

std::string ContainerHeader(std::uint8_t codepage_mark) {
  std::size_t header_length =
      dbf::kHeaderSize + std::size(kColumns) * dbf::kDescriptorSize + 1 + dbf::kBacklinkSize;
  std::string h(header_length, '\0');
  const std::tm local = LocalNow();
  h[dbf::kTypeOffset] = static_cast<char>(dbf::kTypeVfp);
  h[dbf::kYearOffset] = static_cast<char>(local.tm_year % 100);
  h[dbf::kMonthOffset] = static_cast<char>(local.tm_mon + 1);
  h[dbf::kDayOffset] = static_cast<char>(local.tm_mday);
  bytes::PutLe32(h.data() + dbf::kRecordCountOffset, std::size(kStandardRows));
  bytes::PutLe16(h.data() + dbf::kHeaderLengthOffset, static_cast<std::uint32_t>(header_length));
  bytes::PutLe16(h.data() + dbf::kRecordLengthOffset, kRecordLength);
  h[dbf::kTableFlagsOffset] =
      static_cast<char>(dbf::kFlagHasCdx | dbf::kFlagHasMemo | dbf::kFlagIsContainer);
  h[dbf::kCodePageOffset] = static_cast<char>(codepage_mark);
  std::uint32_t displacement = 1;
  for (std::size_t i = 0; i < std::size(kColumns); ++i) {
    char* d = h.data() + dbf::kHeaderSize + i * dbf::kDescriptorSize;
    std::string_view name(kColumns[i].name);
    std::copy(name.begin(), name.end(), d + dbf::kFieldNameOffset);
    d[dbf::kFieldTypeOffset] = kColumns[i].type;
    bytes::PutLe32(d + dbf::kFieldDisplacementOffset, displacement);
    d[dbf::kFieldLengthOffset] = static_cast<char>(kColumns[i].width);
    d[dbf::kFieldFlagsOffset] = static_cast<char>(kColumns[i].flags);
    displacement += kColumns[i].width;
  }
  h[dbf::kHeaderSize + std::size(kColumns) * dbf::kDescriptorSize] =
      static_cast<char>(dbf::kFieldTerminator);
  return h;
}

std::string StandardRow(std::int32_t id, const char* name, std::uint32_t property_block) {
  std::string row(kRecordLength, ' ');
  std::size_t at = 1;
  bytes::PutLe32(row.data() + at, static_cast<std::uint32_t>(id));
  bytes::PutLe32(row.data() + at + 4, kDatabaseObjectId);
  at += 8;
  std::string type = kTypeDatabase;
  std::copy(type.begin(), type.end(), row.begin() + static_cast<long>(at));
  at += kObjectTypeWidth;
  std::string_view object(name);
  std::copy(object.begin(), object.end(), row.begin() + static_cast<long>(at));
  at += kObjectNameWidth;
  bytes::PutLe32(row.data() + at, property_block);            // PROPERTY
  bytes::PutLe32(row.data() + at + 4, 0);                     // CODE
  bytes::PutLe32(row.data() + at + 4 + 4 + kRiInfoWidth, 0);  // USER
  return row;
}

std::string MemoFileWithProperties(const std::string& properties) {
  std::string memo(fpt::kHeaderSize, '\0');
  std::uint32_t used = static_cast<std::uint32_t>(
      (fpt::kBlockHeaderSize + properties.size() + fpt::kDefaultBlockSize - 1) /
      fpt::kDefaultBlockSize);
  bytes::PutBe32(memo.data() + fpt::kNextFreeOffset, kFirstBlock + used);
  bytes::PutBig(memo.data() + fpt::kBlockSizeOffset, fpt::kDefaultBlockSize, 2);
  std::string block(fpt::kBlockHeaderSize, '\0');
  bytes::PutBe32(block.data() + fpt::kBlockTypeOffset, fpt::kBlockText);
  bytes::PutBe32(block.data() + fpt::kBlockLengthOffset,
                 static_cast<std::uint32_t>(properties.size()));
  return memo + block + properties;
}

Status WriteNewFile(FileSystem* fs, const std::string& path, const std::string& bytes) {
  Result<std::unique_ptr<File>> file = fs->Open(path, OpenMode::kCreateExclusive);
  if (!file.ok()) return file.status();
  return (*file)->WriteAt(0, bytes);
}

}  // namespace

Status CreateContainer(FileSystem* fs, const std::string& dbc_path, std::uint8_t codepage_mark) {
  std::string folder, file;
  SplitPath(dbc_path, &folder, &file);
  std::size_t dot = file.rfind('.');
  std::string base = folder.empty() ? "" : (folder == "/" ? "/" : folder + "/");
  base += dot == std::string::npos ? file : file.substr(0, dot);
  bool upper = dot != std::string::npos && dot + 1 < file.size() && file[dot + 1] >= 'A' &&
               file[dot + 1] <= 'Z';
  std::string dct = base + (upper ? ".DCT" : ".dct");
  std::string dcx = base + (upper ? ".DCX" : ".dcx");
  for (const std::string& path : {dbc_path, dct, dcx}) {
    std::string f, name;
    SplitPath(path, &f, &name);
    if (!FindInFolder(fs, f, name).empty()) {
      return Status::AlreadyExists("File '" + name + "' already exists.");
    }
  }
  std::string rows;
  for (std::size_t i = 0; i < std::size(kStandardRows); ++i) {
    rows +=
        StandardRow(static_cast<std::int32_t>(i + 1), kStandardRows[i], i == 0 ? kFirstBlock : 0);
  }
  auto undo = [&](Status status) {
    for (const std::string& path : {dbc_path, dct, dcx}) (void)fs->Remove(path);
    return status;
  };
  Status s =
      WriteNewFile(fs, dct, MemoFileWithProperties(EncodeProperties(MakeDatabaseProperties())));
  if (!s.ok()) return undo(s.IsAlreadyExists() ? s : s.WithContext(dct));
  s = WriteNewFile(fs, dbc_path,
                   ContainerHeader(codepage_mark) + rows + std::string(1, dbf::kEndOfFile));
  if (!s.ok()) return undo(s);
  std::unique_ptr<ContainerFile> container;
  s = ContainerFile::Open(fs, dbc_path, false, &container);
  if (s.ok()) s = RewriteContainerIndex(fs, *container);
  return s.ok() ? s : undo(s);
}

}  // namespace foxpro::dbc
