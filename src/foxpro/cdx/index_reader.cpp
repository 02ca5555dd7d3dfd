#include "foxpro/cdx/index_reader.h"

#include <algorithm>
#include <limits>
#include <set>

#include "foxpro/cdx/byte_order.h"
#include "foxpro/cdx/cdx_format.h"
#include "text/ascii.h"

namespace foxpro::cdx {
namespace {

// Deeper trees than this cannot come from a real index (a 240-byte key and
// 2^32 records need fewer than 10 levels); deeper means a pointer cycle.
constexpr int kMaxDepth = 32;

std::string TrimRight(std::string_view s, char c) {
  std::size_t end = s.size();
  while (end > 0 && (s[end - 1] == c || s[end - 1] == '\0')) --end;
  return std::string(s.substr(0, end));
}

// Takes expression text `offset`/`length` (length with its NUL) from the pool.
std::string PoolText(std::string_view pool, std::size_t offset, std::size_t length) {
  if (length == 0 || offset >= pool.size()) return std::string();
  std::string_view text = pool.substr(offset, std::min(length, pool.size() - offset));
  std::size_t nul = text.find('\0');
  return std::string(nul == std::string_view::npos ? text : text.substr(0, nul));
}

}  // namespace

bool TagInfo::candidate() const { return (options & kOptionCandidate) != 0; }
bool TagInfo::unique() const { return (options & kOptionUnique) != 0; }
bool TagInfo::nullable() const { return (options & kOptionNullable) != 0; }
bool TagInfo::binary() const { return signature == kSignatureBinary; }

Status DecodeLeaf(std::string_view page, std::size_t key_length, char fill,
                  const std::string& where, std::vector<IndexEntry>* out) {
  if (page.size() < kPageSize) return Status::Corruption(where + ": leaf page is truncated");
  const char* p = page.data();
  std::size_t count = bytes::GetLe16(p + node::kKeyCount);
  unsigned record_bits = static_cast<unsigned char>(p[node::kRecordBits]);
  unsigned dup_bits = static_cast<unsigned char>(p[node::kDupBits]);
  unsigned trail_bits = static_cast<unsigned char>(p[node::kTrailBits]);
  std::size_t entry_bytes = static_cast<unsigned char>(p[node::kEntryBytes]);
  if (entry_bytes == 0 || entry_bytes > 8 || record_bits > 48 || dup_bits > 16 || trail_bits > 16 ||
      record_bits + dup_bits + trail_bits != 8 * entry_bytes) {
    return Status::Corruption(where + ": leaf entry layout is invalid (" +
                              std::to_string(entry_bytes) + " bytes, " +
                              std::to_string(record_bits) + "/" + std::to_string(dup_bits) + "/" +
                              std::to_string(trail_bits) + " bits)");
  }
  if (count * entry_bytes > node::kLeafSpace) {
    return Status::Corruption(where + ": leaf claims " + std::to_string(count) + " keys");
  }
  std::uint64_t record_mask = (std::uint64_t{1} << record_bits) - 1;
  std::uint64_t dup_mask = (std::uint64_t{1} << dup_bits) - 1;
  std::uint64_t trail_mask = (std::uint64_t{1} << trail_bits) - 1;
  std::size_t fragment_end = kPageSize;  // fragments grow down from the page end
  std::size_t entries_end = node::kLeafEntries + count * entry_bytes;
  std::string previous;
  for (std::size_t i = 0; i < count; ++i) {
    std::uint64_t e = bytes::GetLittle(p + node::kLeafEntries + i * entry_bytes, entry_bytes);
    std::size_t dup = static_cast<std::size_t>((e >> record_bits) & dup_mask);
    std::size_t trail = static_cast<std::size_t>((e >> (record_bits + dup_bits)) & trail_mask);
    if (dup + trail > key_length || dup > previous.size()) {
      return Status::Corruption(where + ": key " + std::to_string(i + 1) +
                                " has an impossible shared/trailing count");
    }
    std::size_t fresh = key_length - dup - trail;
    if (fragment_end < entries_end + fresh) {
      return Status::Corruption(where + ": key " + std::to_string(i + 1) +
                                " runs into the entry table");
    }
    fragment_end -= fresh;
    IndexEntry entry;
    entry.key.reserve(key_length);
    entry.key.append(previous, 0, dup);
    entry.key.append(p + fragment_end, fresh);
    entry.key.append(trail, fill);
    entry.record = static_cast<std::uint32_t>(e & record_mask);
    previous = entry.key;
    out->push_back(std::move(entry));
  }
  return Status::Ok();
}

Status IndexReader::Open(std::unique_ptr<File> file, std::string name,
                         std::unique_ptr<IndexReader>* out) {
  Result<std::uint64_t> size = file->Size();
  if (!size.ok()) return size.status();
  std::unique_ptr<IndexReader> reader(new IndexReader(std::move(file), std::move(name), *size));
  if (reader->size_ < kTagHeaderSize + kPageSize) {
    return reader->Corrupt("file is too short to be a compound index");
  }
  TagInfo directory;
  FOXPRO_RETURN_IF_ERROR(reader->ReadTagHeader(0, &directory));
  if ((directory.options & kOptionDirectory) == 0 || directory.key_length != kTagNameLength) {
    return reader->Corrupt("file header does not describe a tag directory");
  }
  std::string header;
  FOXPRO_RETURN_IF_ERROR(reader->ReadPage(0, &header));
  reader->change_counter_ = bytes::GetBe32(header.data() + header::kVersion);
  std::vector<IndexEntry> names;
  FOXPRO_RETURN_IF_ERROR(reader->ReadTree(directory.root_offset, kTagNameLength, ' ', &names));
  for (const IndexEntry& entry : names) {
    TagInfo tag;
    FOXPRO_RETURN_IF_ERROR(reader->ReadTagHeader(entry.record, &tag));
    tag.name = TrimRight(entry.key, ' ');
    reader->tags_.push_back(std::move(tag));
  }
  *out = std::move(reader);
  return Status::Ok();
}

const TagInfo* IndexReader::FindTag(std::string_view name) const {
  for (const TagInfo& tag : tags_) {
    if (ascii::EqualsIgnoringCase(tag.name, name)) return &tag;
  }
  return nullptr;
}

Status IndexReader::ReadKeys(const TagInfo& tag, char fill, std::vector<IndexEntry>* out) const {
  if (tag.binary()) {
    return Status::NotSupported(name_ + ": tag " + tag.name + " is a binary index");
  }
  std::vector<IndexEntry> keys;
  FOXPRO_RETURN_IF_ERROR(ReadTree(tag.root_offset, tag.key_length, fill, &keys));
  *out = std::move(keys);
  return Status::Ok();
}

Status IndexReader::ReadPage(std::uint32_t offset, std::string* page) const {
  if (offset % kPageSize != 0 || std::uint64_t{offset} + kPageSize > size_) {
    return Corrupt("page offset " + std::to_string(offset) + " lies outside the file");
  }
  FOXPRO_RETURN_IF_ERROR(ReadString(file_.get(), offset, kPageSize, page));
  if (page->size() != kPageSize) return Corrupt("short read at offset " + std::to_string(offset));
  return Status::Ok();
}

Status IndexReader::ReadTagHeader(std::uint32_t offset, TagInfo* tag) const {
  std::string head;
  std::string pool;
  FOXPRO_RETURN_IF_ERROR(ReadPage(offset, &head));
  if (offset > std::numeric_limits<std::uint32_t>::max() - kPageSize) {
    return Corrupt("tag header offset " + std::to_string(offset) + " is too large");
  }
  FOXPRO_RETURN_IF_ERROR(ReadPage(static_cast<std::uint32_t>(offset + kPageSize), &pool));
  const char* h = head.data();
  tag->header_offset = offset;
  tag->root_offset = bytes::GetLe32(h + header::kRoot);
  tag->key_length = bytes::GetLe16(h + header::kKeyLength);
  tag->options = static_cast<std::uint8_t>(h[header::kOptions]);
  tag->signature = static_cast<std::uint8_t>(h[header::kSignature]);
  tag->collation =
      TrimRight(std::string_view(h + header::kCollation, header::kCollationLength), ' ');
  tag->descending = bytes::GetLe16(h + header::kDescending) != 0;
  tag->key_expression = PoolText(pool, bytes::GetLe16(h + header::kKeyOffset),
                                 bytes::GetLe16(h + header::kKeyExprLength));
  tag->for_expression = PoolText(pool, bytes::GetLe16(h + header::kForOffset),
                                 bytes::GetLe16(h + header::kForLength));
  if (tag->key_length == 0 || tag->key_length > kMaxKeyLength) {
    return Corrupt("tag header at offset " + std::to_string(offset) + " has key length " +
                   std::to_string(tag->key_length));
  }
  return Status::Ok();
}

Status IndexReader::ReadTree(std::uint32_t root, std::size_t key_length, char fill,
                             std::vector<IndexEntry>* out) const {
  std::set<std::uint32_t> visited;
  return WalkNode(root, 0, key_length, fill, &visited, out);
}

Status IndexReader::WalkNode(std::uint32_t offset, int depth, std::size_t key_length, char fill,
                             std::set<std::uint32_t>* visited, std::vector<IndexEntry>* out) const {
  if (depth > kMaxDepth) return Corrupt("tree deeper than " + std::to_string(kMaxDepth));
  if (!visited->insert(offset).second) {
    return Corrupt("node at offset " + std::to_string(offset) + " is reached twice");
  }
  std::string page;
  FOXPRO_RETURN_IF_ERROR(ReadPage(offset, &page));
  std::uint16_t attributes = bytes::GetLe16(page.data() + node::kAttributes);
  std::size_t count = bytes::GetLe16(page.data() + node::kKeyCount);
  std::string where = name_ + ": node at offset " + std::to_string(offset);
  if ((attributes & node::kLeaf) != 0) return DecodeLeaf(page, key_length, fill, where, out);
  std::size_t entry_size = key_length + 8;
  if (count * entry_size > node::kInteriorSpace) {
    return Status::Corruption(where + " claims " + std::to_string(count) + " entries of " +
                              std::to_string(entry_size) + " bytes");
  }
  for (std::size_t i = 0; i < count; ++i) {
    const char* entry = page.data() + node::kHeaderSize + i * entry_size;
    std::uint32_t child = bytes::GetBe32(entry + key_length + 4);
    FOXPRO_RETURN_IF_ERROR(WalkNode(child, depth + 1, key_length, fill, visited, out));
  }
  return Status::Ok();
}

Status IndexReader::Corrupt(const std::string& what) const {
  return Status::Corruption(name_ + ": " + what);
}

Status ReadIndexTags(FileSystem* fs, const std::string& path, std::vector<TagInfo>* tags) {
  Result<std::unique_ptr<File>> file = fs->Open(path, OpenMode::kRead);
  if (!file.ok()) return file.status();
  const std::size_t slash = LastPathSeparator(path);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::unique_ptr<IndexReader> reader;
  FOXPRO_RETURN_IF_ERROR(IndexReader::Open(std::move(*file), name, &reader));
  *tags = reader->tags();
  return Status::Ok();
}

}  // namespace foxpro::cdx
