// Byte layout of a FoxPro memo file (.fpt; .dct for a container): a 512-byte
// header, then blocks of a fixed size, each memo starting on a block with an
// 8-byte block header. Integers here are BIG-endian.
#ifndef QUILLOMAR_FOXPRO_FPT_FPT_FORMAT_H_
#define QUILLOMAR_FOXPRO_FPT_FPT_FORMAT_H_

#include <cstddef>
#include <cstdint>

namespace foxpro::fpt {

inline constexpr std::size_t kHeaderSize = 512;
inline constexpr std::size_t kNextFreeOffset = 0;   // uint32 BE: next free block number
inline constexpr std::size_t kBlockSizeOffset = 6;  // uint16 BE (bytes 4-7 as uint32 when 4-5 set)

inline constexpr std::size_t kBlockHeaderSize = 8;
inline constexpr std::size_t kBlockTypeOffset = 0;    // uint32 BE
inline constexpr std::size_t kBlockLengthOffset = 4;  // uint32 BE, data bytes after the header

inline constexpr std::uint32_t kBlockPicture = 0;
inline constexpr std::uint32_t kBlockText = 1;    // M, W and binary memos
inline constexpr std::uint32_t kBlockObject = 2;  // G (OLE objects)

// Block size of new memo files.
inline constexpr std::uint32_t kDefaultBlockSize = 64;

// dBase III memo files (.dbt): 512-byte blocks, text ends at 0x1A.
inline constexpr std::uint32_t kDbtBlockSize = 512;
inline constexpr char kDbtTerminator = 0x1A;

}  // namespace foxpro::fpt

#endif  // QUILLOMAR_FOXPRO_FPT_FPT_FORMAT_H_
