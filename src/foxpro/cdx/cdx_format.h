// Byte layout of FoxPro compound compact index files (.cdx, and .dcx for a
// database container): 512-byte pages addressed by byte offset, a tag header
// of two pages per tree, interior nodes with big-endian pointers and leaf
// nodes with bit-packed, prefix-compressed keys.
#ifndef QUILLOMAR_FOXPRO_CDX_CDX_FORMAT_H_
#define QUILLOMAR_FOXPRO_CDX_CDX_FORMAT_H_

#include <cstddef>
#include <cstdint>

namespace foxpro::cdx {

inline constexpr std::size_t kPageSize = 512;
// A tag header (and the file header at offset 0) spans two pages.
inline constexpr std::size_t kTagHeaderSize = 1024;
// Longest key FoxPro builds.
inline constexpr std::size_t kMaxKeyLength = 240;
// Tag names are stored upper case, blank padded to this length.
inline constexpr std::size_t kTagNameLength = 10;
// Pointer value meaning "no sibling".
inline constexpr std::uint32_t kNoPage = 0xFFFFFFFFu;

// Tag header (offsets from the start of the header).
namespace header {
inline constexpr std::size_t kRoot = 0;         // 4 LE: root node offset
inline constexpr std::size_t kFreeList = 4;     // 4 LE: free page list (0 = none)
inline constexpr std::size_t kVersion = 8;      // 4 BE: change counter (file header)
inline constexpr std::size_t kKeyLength = 12;   // 2 LE
inline constexpr std::size_t kOptions = 14;     // 1
inline constexpr std::size_t kSignature = 15;   // 1
inline constexpr std::size_t kCollation = 494;  // 8: collation name, NUL padded
inline constexpr std::size_t kCollationLength = 8;
inline constexpr std::size_t kDescending = 502;     // 2 LE: 1 = descending
inline constexpr std::size_t kForOffset = 504;      // 2 LE: FOR text offset in the pool
inline constexpr std::size_t kForLength = 506;      // 2 LE: FOR text length with its NUL
inline constexpr std::size_t kKeyOffset = 508;      // 2 LE: key text offset in the pool
inline constexpr std::size_t kKeyExprLength = 510;  // 2 LE: key text length with its NUL
inline constexpr std::size_t kPool = 512;           // expression texts
inline constexpr std::size_t kPoolSize = 512;
}  // namespace header

// Options byte.
inline constexpr std::uint8_t kOptionUnique = 0x01;
inline constexpr std::uint8_t kOptionNullable = 0x02;  // keys carry a null-indicator byte
inline constexpr std::uint8_t kOptionCandidate = 0x04;
inline constexpr std::uint8_t kOptionHasFor = 0x08;
inline constexpr std::uint8_t kOptionCompact = 0x20;
inline constexpr std::uint8_t kOptionCompound = 0x40;
inline constexpr std::uint8_t kOptionDirectory = 0x80;

// Signature byte.
inline constexpr std::uint8_t kSignatureMachine = 0x01;
inline constexpr std::uint8_t kSignatureCollated = 0x02;
inline constexpr std::uint8_t kSignatureBinary = 0x05;

// Node header, common to interior and leaf nodes.
namespace node {
inline constexpr std::size_t kAttributes = 0;  // 2 LE
inline constexpr std::size_t kKeyCount = 2;    // 2 LE
inline constexpr std::size_t kLeft = 4;        // 4 LE
inline constexpr std::size_t kRight = 8;       // 4 LE
inline constexpr std::size_t kHeaderSize = 12;
inline constexpr std::uint16_t kRoot = 0x01;
inline constexpr std::uint16_t kLeaf = 0x02;

// Interior entries start after the header: key, record (4 BE), child (4 BE).
inline constexpr std::size_t kInteriorSpace = kPageSize - kHeaderSize;  // 500

// Leaf layout.
inline constexpr std::size_t kFreeBytes = 12;   // 2 LE
inline constexpr std::size_t kRecordMask = 14;  // 4 LE
inline constexpr std::size_t kDupMask = 18;     // 1
inline constexpr std::size_t kTrailMask = 19;   // 1
inline constexpr std::size_t kRecordBits = 20;  // 1
inline constexpr std::size_t kDupBits = 21;     // 1
inline constexpr std::size_t kTrailBits = 22;   // 1
inline constexpr std::size_t kEntryBytes = 23;  // 1
inline constexpr std::size_t kLeafEntries = 24;
inline constexpr std::size_t kLeafSpace = kPageSize - kLeafEntries;  // 488
}  // namespace node

}  // namespace foxpro::cdx

#endif  // QUILLOMAR_FOXPRO_CDX_CDX_FORMAT_H_
