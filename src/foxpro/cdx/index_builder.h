// Writing FoxPro compound compact index files from scratch: each tag's keys
// are sorted and packed into leaves the way FoxPro packs them when it builds
// a tag in one pass (minimal entry width per leaf, shared-prefix and
// trailing-fill compression), interior levels are added above, and the tag
// directory names every tag.
#ifndef QUILLOMAR_FOXPRO_CDX_INDEX_BUILDER_H_
#define QUILLOMAR_FOXPRO_CDX_INDEX_BUILDER_H_

#include <cstdint>
#include <string>
#include <vector>

#include "foxpro/cdx/index_reader.h"
#include "foxpro/util/status.h"

namespace foxpro::cdx {

// Everything needed to write one tag.
struct TagBuild {
  std::string name;            // 1 to 10 characters; stored upper case
  std::string key_expression;  // stored as given
  std::string for_expression;  // "" for none
  std::uint16_t key_length = 0;
  // kOptionUnique / kOptionNullable / kOptionCandidate; the compact, compound
  // and FOR bits are added by the builder.
  std::uint8_t options = 0;
  bool descending = false;
  char fill = ' ';                  // byte trimmed from key ends: blank or 0
  std::vector<IndexEntry> entries;  // any order; each key exactly key_length bytes
};

// Builds a whole index file into `out`: file header and directory first,
// then each tag's header followed by its nodes, in the order given.
// `change_counter` goes into the file header (FoxPro bumps it on every
// change so other sessions drop cached pages). InvalidArgument when a name,
// key length, key or expression does not fit the format.
Status BuildIndexFile(std::vector<TagBuild> tags, std::uint32_t change_counter, std::string* out);

// The number of bits needed to write `value` (0 for 0).
unsigned BitLength(std::uint64_t value);

}  // namespace foxpro::cdx

#endif  // QUILLOMAR_FOXPRO_CDX_INDEX_BUILDER_H_
