#include "foxpro/cdx/index_builder.h"

#include <algorithm>
#include <set>

#include "foxpro/cdx/byte_order.h"
#include "foxpro/cdx/cdx_format.h"

namespace foxpro::cdx {
namespace {

// One key as it will sit in a leaf.
struct PackedKey {
  const IndexEntry* entry = nullptr;
  std::size_t dup = 0;    // bytes shared with the previous key of the leaf
  std::size_t trail = 0;  // trailing fill bytes left out
};

struct Leaf {
  std::vector<PackedKey> keys;
  std::uint32_t max_record = 0;
  std::size_t fragment_bytes = 0;
};

// A node ready to be written: its page and the key that describes it to
// its parent (its last key and that key's record).
struct Node {
  std::string page;
  std::string last_key;
  std::uint32_t last_record = 0;
};

std::size_t TrailingCount(const std::string& key, char fill) {
  std::size_t n = 0;
  while (n < key.size() && key[key.size() - 1 - n] == fill) ++n;
  return n;
}

std::size_t CommonPrefix(const std::string& a, const std::string& b) {
  std::size_t n = 0;
  while (n < a.size() && n < b.size() && a[n] == b[n]) ++n;
  return n;
}

// Smallest entry width whose record field holds `max_record` next to two
// count fields of `count_bits` each; an empty leaf gets 3 bytes.
std::size_t EntryBytesFor(std::uint32_t max_record, unsigned count_bits, bool empty) {
  std::size_t minimum = (2 * count_bits) / 8 + 1;
  if (empty) return std::max<std::size_t>(3, minimum);
  for (std::size_t r = minimum; r <= 8; ++r) {
    if (8 * r - 2 * count_bits >= BitLength(max_record)) return r;
  }
  return 8;
}

std::vector<Leaf> PackLeaves(const std::vector<IndexEntry>& sorted, std::size_t key_length,
                             char fill) {
  unsigned count_bits = BitLength(key_length);
  std::vector<Leaf> leaves(1);
  std::size_t previous_trail = 0;
  for (const IndexEntry& entry : sorted) {
    std::size_t trail = TrailingCount(entry.key, fill);
    for (int attempt = 0; attempt < 2; ++attempt) {
      Leaf& leaf = leaves.back();
      std::size_t dup = 0;
      if (!leaf.keys.empty()) {
        dup = std::min({CommonPrefix(entry.key, leaf.keys.back().entry->key), key_length - trail,
                        key_length - previous_trail});
      }
      std::uint32_t max_record = std::max(leaf.max_record, entry.record);
      std::size_t r = EntryBytesFor(max_record, count_bits, false);
      std::size_t fragment = key_length - dup - trail;
      std::size_t need = (leaf.keys.size() + 1) * r + leaf.fragment_bytes + fragment;
      if (need > node::kLeafSpace && !leaf.keys.empty()) {
        leaves.emplace_back();
        continue;
      }
      leaf.keys.push_back(PackedKey{&entry, dup, trail});
      leaf.max_record = max_record;
      leaf.fragment_bytes += fragment;
      break;
    }
    previous_trail = trail;
  }
  return leaves;
}

void PutNodeHeader(std::string* page, std::uint16_t attributes, std::size_t count) {
  bytes::PutLe16(page->data() + node::kAttributes, attributes);
  bytes::PutLe16(page->data() + node::kKeyCount, static_cast<std::uint32_t>(count));
  bytes::PutLe32(page->data() + node::kLeft, kNoPage);
  bytes::PutLe32(page->data() + node::kRight, kNoPage);
}

Node EncodeLeaf(const Leaf& leaf, std::size_t key_length) {
  unsigned count_bits = BitLength(key_length);
  std::size_t r = EntryBytesFor(leaf.max_record, count_bits, leaf.keys.empty());
  unsigned record_bits = static_cast<unsigned>(8 * r - 2 * count_bits);
  Node n;
  n.page.assign(kPageSize, '\0');
  char* p = n.page.data();
  PutNodeHeader(&n.page, node::kLeaf, leaf.keys.size());
  std::size_t free_bytes = node::kLeafSpace - leaf.keys.size() * r - leaf.fragment_bytes;
  bytes::PutLe16(p + node::kFreeBytes, static_cast<std::uint32_t>(free_bytes));
  std::uint64_t record_mask = (std::uint64_t{1} << record_bits) - 1;
  bytes::PutLe32(p + node::kRecordMask,
                 static_cast<std::uint32_t>(std::min<std::uint64_t>(record_mask, 0xFFFFFFFFu)));
  p[node::kDupMask] = static_cast<char>((1u << count_bits) - 1);
  p[node::kTrailMask] = static_cast<char>((1u << count_bits) - 1);
  p[node::kRecordBits] = static_cast<char>(record_bits);
  p[node::kDupBits] = static_cast<char>(count_bits);
  p[node::kTrailBits] = static_cast<char>(count_bits);
  p[node::kEntryBytes] = static_cast<char>(r);
  std::size_t fragment_end = kPageSize;
  for (std::size_t i = 0; i < leaf.keys.size(); ++i) {
    const PackedKey& k = leaf.keys[i];
    std::uint64_t e = k.entry->record | (std::uint64_t{k.dup} << record_bits) |
                      (std::uint64_t{k.trail} << (record_bits + count_bits));
    bytes::PutLittle(p + node::kLeafEntries + i * r, e, r);
    std::size_t fresh = key_length - k.dup - k.trail;
    fragment_end -= fresh;
    std::copy_n(k.entry->key.data() + k.dup, fresh, p + fragment_end);
  }
  if (!leaf.keys.empty()) {
    n.last_key = leaf.keys.back().entry->key;
    n.last_record = leaf.keys.back().entry->record;
  }
  return n;
}

// Links a level's nodes, given the offset of its first node.
void LinkSiblings(std::vector<Node>* level, std::uint32_t first_offset) {
  for (std::size_t i = 0; i < level->size(); ++i) {
    char* p = (*level)[i].page.data();
    std::uint32_t offset = first_offset + static_cast<std::uint32_t>(i * kPageSize);
    bytes::PutLe32(p + node::kLeft,
                   i == 0 ? kNoPage : offset - static_cast<std::uint32_t>(kPageSize));
    bytes::PutLe32(p + node::kRight, i + 1 == level->size()
                                         ? kNoPage
                                         : offset + static_cast<std::uint32_t>(kPageSize));
  }
}

std::vector<Node> BuildParents(const std::vector<Node>& children, std::uint32_t first_child,
                               std::size_t key_length) {
  std::size_t per_node = node::kInteriorSpace / (key_length + 8);
  std::vector<Node> parents;
  for (std::size_t start = 0; start < children.size(); start += per_node) {
    std::size_t count = std::min(per_node, children.size() - start);
    Node n;
    n.page.assign(kPageSize, '\0');
    PutNodeHeader(&n.page, 0, count);
    for (std::size_t i = 0; i < count; ++i) {
      const Node& child = children[start + i];
      char* e = n.page.data() + node::kHeaderSize + i * (key_length + 8);
      std::copy_n(child.last_key.data(), key_length, e);
      bytes::PutBe32(e + key_length, child.last_record);
      bytes::PutBe32(e + key_length + 4,
                     first_child + static_cast<std::uint32_t>((start + i) * kPageSize));
    }
    n.last_key = children[start + count - 1].last_key;
    n.last_record = children[start + count - 1].last_record;
    parents.push_back(std::move(n));
  }
  return parents;
}

// Writes a whole tree from `first_offset` on: leaves, then each interior
// level. Returns the pages in file order; *root receives the root offset.
std::string BuildTree(std::vector<IndexEntry>* entries, std::size_t key_length, char fill,
                      std::uint32_t first_offset, std::uint32_t* root) {
  std::sort(entries->begin(), entries->end(), [](const IndexEntry& a, const IndexEntry& b) {
    int c = a.key.compare(b.key);  // std::string compares as unsigned bytes
    return c != 0 ? c < 0 : a.record < b.record;
  });
  std::vector<Node> level;
  for (const Leaf& leaf : PackLeaves(*entries, key_length, fill)) {
    level.push_back(EncodeLeaf(leaf, key_length));
  }
  std::string pages;
  std::uint32_t offset = first_offset;
  while (true) {
    LinkSiblings(&level, offset);
    if (level.size() == 1) {
      std::uint16_t attributes = bytes::GetLe16(level[0].page.data());
      bytes::PutLe16(level[0].page.data(), attributes | node::kRoot);
    }
    for (const Node& n : level) pages += n.page;
    if (level.size() == 1) break;
    std::vector<Node> parents = BuildParents(level, offset, key_length);
    offset += static_cast<std::uint32_t>(level.size() * kPageSize);
    level = std::move(parents);
  }
  *root = offset;
  return pages;
}

std::string TagHeader(std::uint32_t root, std::size_t key_length, std::uint8_t options,
                      bool descending, const std::string& key_expression,
                      const std::string& for_expression) {
  std::string h(kTagHeaderSize, '\0');
  char* p = h.data();
  bytes::PutLe32(p + header::kRoot, root);
  bytes::PutLe16(p + header::kKeyLength, static_cast<std::uint32_t>(key_length));
  p[header::kOptions] = static_cast<char>(options);
  p[header::kSignature] = static_cast<char>(kSignatureMachine);
  bytes::PutLe16(p + header::kDescending, descending ? 1 : 0);
  std::size_t key_size = key_expression.size() + 1;
  bytes::PutLe16(p + header::kKeyOffset, 0);
  bytes::PutLe16(p + header::kKeyExprLength, static_cast<std::uint32_t>(key_size));
  bytes::PutLe16(p + header::kForOffset, static_cast<std::uint32_t>(key_size));
  bytes::PutLe16(p + header::kForLength, static_cast<std::uint32_t>(for_expression.size() + 1));
  std::copy(key_expression.begin(), key_expression.end(), p + header::kPool);
  std::copy(for_expression.begin(), for_expression.end(), p + header::kPool + key_size);
  return h;
}

std::string DirectoryName(const std::string& name) {
  std::string upper(kTagNameLength, ' ');
  for (std::size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    upper[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return upper;
}

Status CheckTag(const TagBuild& tag, std::set<std::string>* names) {
  if (tag.name.empty() || tag.name.size() > kTagNameLength) {
    return Status::InvalidArgument("tag name '" + tag.name + "' must have 1 to 10 characters");
  }
  if (!names->insert(DirectoryName(tag.name)).second) {
    return Status::InvalidArgument("tag name '" + tag.name + "' is used twice");
  }
  if (tag.key_length == 0 || tag.key_length > kMaxKeyLength) {
    return Status::InvalidArgument("tag " + tag.name + ": key length " +
                                   std::to_string(tag.key_length) + " is outside 1 to 240");
  }
  if (tag.key_expression.size() + tag.for_expression.size() + 2 > header::kPoolSize) {
    return Status::InvalidArgument("tag " + tag.name + ": expressions are too long");
  }
  for (const IndexEntry& e : tag.entries) {
    if (e.key.size() != tag.key_length) {
      return Status::InvalidArgument(
          "tag " + tag.name + ": key of record " + std::to_string(e.record) + " has " +
          std::to_string(e.key.size()) + " bytes, not " + std::to_string(tag.key_length));
    }
  }
  return Status::Ok();
}

}  // namespace

unsigned BitLength(std::uint64_t value) {
  unsigned n = 0;
  while (value != 0) {
    ++n;
    value >>= 1;
  }
  return n;
}

Status BuildIndexFile(std::vector<TagBuild> tags, std::uint32_t change_counter, std::string* out) {
  std::set<std::string> names;
  for (const TagBuild& tag : tags) FOXPRO_RETURN_IF_ERROR(CheckTag(tag, &names));

  std::string body;
  std::vector<IndexEntry> directory;
  // The directory's pages come first, and its size depends on the tag
  // offsets it records: reserve pages until the directory fits.
  std::size_t directory_pages = 1;
  std::string directory_tree;
  std::uint32_t directory_root = 0;
  bool fits = false;
  for (int round = 0; round < 8 && !fits; ++round) {
    body.clear();
    directory.clear();
    auto offset = static_cast<std::uint32_t>(kTagHeaderSize + directory_pages * kPageSize);
    for (TagBuild& tag : tags) {
      std::uint32_t header_offset = offset + static_cast<std::uint32_t>(body.size());
      std::uint32_t root = 0;
      std::string tree =
          BuildTree(&tag.entries, tag.key_length, tag.fill,
                    header_offset + static_cast<std::uint32_t>(kTagHeaderSize), &root);
      std::uint8_t options = tag.options | kOptionCompact | kOptionCompound;
      if (!tag.for_expression.empty()) options |= kOptionHasFor;
      body += TagHeader(root, tag.key_length, options, tag.descending, tag.key_expression,
                        tag.for_expression);
      body += tree;
      directory.push_back(IndexEntry{DirectoryName(tag.name), header_offset});
    }
    directory_tree = BuildTree(&directory, kTagNameLength, ' ', kTagHeaderSize, &directory_root);
    std::size_t used = directory_tree.size() / kPageSize;
    fits = used <= directory_pages;
    if (fits) {
      directory_tree.resize(directory_pages * kPageSize, '\0');
    } else {
      directory_pages = used;
    }
  }
  if (!fits) return Status::InvalidArgument("too many tags for one index file");
  std::string file = TagHeader(directory_root, kTagNameLength,
                               kOptionDirectory | kOptionCompact | kOptionCompound, false, "", "");
  bytes::PutBe32(file.data() + header::kVersion, change_counter);
  file += directory_tree;
  file += body;
  *out = std::move(file);
  return Status::Ok();
}

}  // namespace foxpro::cdx
