// Reading FoxPro compound compact index files (.cdx, .dcx): the tag
// directory with each tag's expressions and options, and the keys of a tag
// in index order. Every offset, count and length read from the file is
// checked, so a damaged index yields a Corruption status, never a crash.
#ifndef QUILLOMAR_FOXPRO_CDX_INDEX_READER_H_
#define QUILLOMAR_FOXPRO_CDX_INDEX_READER_H_

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "foxpro/util/file.h"
#include "foxpro/util/status.h"

namespace foxpro::cdx {

// One tag as its header describes it.
struct TagInfo {
  std::string name;  // as stored in the directory, blanks removed ("OBJECTNAME")
  std::uint32_t header_offset = 0;
  std::uint32_t root_offset = 0;
  std::uint16_t key_length = 0;
  std::uint8_t options = 0;    // kOption* bits
  std::uint8_t signature = 0;  // kSignature*
  std::string collation;       // "" for MACHINE, else e.g. "GENERAL"
  bool descending = false;
  std::string key_expression;  // as typed in FoxPro, e.g. "STR(parentid)+objecttype"
  std::string for_expression;  // "" when the tag has no FOR clause

  bool candidate() const;
  bool unique() const;
  bool nullable() const;
  // True for FoxPro 9 binary (bitmap) tags, whose pages hold no keys.
  bool binary() const;
};

// One key of a tag: the full key bytes (key_length long) and its record.
struct IndexEntry {
  std::string key;
  std::uint32_t record = 0;
  friend bool operator==(const IndexEntry&, const IndexEntry&) = default;
};

// An open index file. Reads pages on demand from the file it owns.
class IndexReader {
 public:
  // Reads the file header and the tag directory of `file`. `name` is used in
  // messages ("orders.cdx"). Corruption when the file is not a compound
  // index or its directory is damaged.
  static Status Open(std::unique_ptr<File> file, std::string name,
                     std::unique_ptr<IndexReader>* out);

  // Tags in directory order (sorted by name).
  const std::vector<TagInfo>& tags() const { return tags_; }
  // The tag named `name` (compared case-insensitively), or null.
  const TagInfo* FindTag(std::string_view name) const;
  // The file header's change counter.
  std::uint32_t change_counter() const { return change_counter_; }

  // All keys of `tag` in index order (ascending bytes, ties by record),
  // walking the tree from its root. Trailing bytes trimmed in the leaves are
  // restored with `fill` (a blank for character keys, 0 for others).
  // NotSupported for binary tags.
  Status ReadKeys(const TagInfo& tag, char fill, std::vector<IndexEntry>* out) const;

 private:
  IndexReader(std::unique_ptr<File> file, std::string name, std::uint64_t size)
      : file_(std::move(file)), name_(std::move(name)), size_(size) {}

  Status ReadPage(std::uint32_t offset, std::string* page) const;
  Status ReadTagHeader(std::uint32_t offset, TagInfo* tag) const;
  Status ReadTree(std::uint32_t root, std::size_t key_length, char fill,
                  std::vector<IndexEntry>* out) const;
  Status WalkNode(std::uint32_t offset, int depth, std::size_t key_length, char fill,
                  std::set<std::uint32_t>* visited, std::vector<IndexEntry>* out) const;
  Status Corrupt(const std::string& what) const;

  std::unique_ptr<File> file_;
  std::string name_;
  std::uint64_t size_ = 0;
  std::uint32_t change_counter_ = 0;
  std::vector<TagInfo> tags_;
};

// Opens `path` on `fs` and lists its tags. NotFound when the file does not
// exist.
Status ReadIndexTags(FileSystem* fs, const std::string& path, std::vector<TagInfo>* tags);

// Decodes the keys of one leaf page (512 bytes) and appends them to `out`.
// Corruption (naming `where`) when the entry widths, counts or fragment
// lengths do not fit the page. Exposed for tests and the fuzzer.
Status DecodeLeaf(std::string_view page, std::size_t key_length, char fill,
                  const std::string& where, std::vector<IndexEntry>* out);

}  // namespace foxpro::cdx

#endif  // QUILLOMAR_FOXPRO_CDX_INDEX_READER_H_
