// Byte layout of a FoxPro table file (.dbf; also the .dbc container table):
// the 32-byte header, the 32-byte field descriptors, the field-list
// terminator, the 263-byte backlink and the records that follow.
// All integers are little-endian.
#ifndef QUILLOMAR_FOXPRO_DBF_DBF_FORMAT_H_
#define QUILLOMAR_FOXPRO_DBF_DBF_FORMAT_H_

#include <cstddef>
#include <cstdint>

namespace foxpro::dbf {

// Header (first 32 bytes).
inline constexpr std::size_t kHeaderSize = 32;
inline constexpr std::size_t kTypeOffset = 0;  // table type byte
inline constexpr std::size_t kYearOffset = 1;  // year of last update mod 100
inline constexpr std::size_t kMonthOffset = 2;
inline constexpr std::size_t kDayOffset = 3;
inline constexpr std::size_t kRecordCountOffset = 4;    // uint32, deleted records included
inline constexpr std::size_t kHeaderLengthOffset = 8;   // uint16, offset of record 1
inline constexpr std::size_t kRecordLengthOffset = 10;  // uint16, deletion flag included
inline constexpr std::size_t kTableFlagsOffset = 28;
inline constexpr std::size_t kCodePageOffset = 29;

// Table flags (header byte 28).
inline constexpr std::uint8_t kFlagHasCdx = 0x01;
inline constexpr std::uint8_t kFlagHasMemo = 0x02;
inline constexpr std::uint8_t kFlagIsContainer = 0x04;

// Table type bytes.
inline constexpr std::uint8_t kTypeFoxBase = 0x02;
inline constexpr std::uint8_t kTypeDbase3 = 0x03;
inline constexpr std::uint8_t kTypeVfp = 0x30;
inline constexpr std::uint8_t kTypeVfpAutoinc = 0x31;
inline constexpr std::uint8_t kTypeVfpVarying = 0x32;  // V, Q or W fields present
inline constexpr std::uint8_t kTypeDbase3Memo = 0x83;
inline constexpr std::uint8_t kTypeDbase4Memo = 0x8B;
inline constexpr std::uint8_t kTypeFoxPro2Memo = 0xF5;

// True for the Visual FoxPro type bytes (backlink present, binary I/B/Y/T).
inline constexpr bool IsVisualFoxPro(std::uint8_t type) {
  return type == kTypeVfp || type == kTypeVfpAutoinc || type == kTypeVfpVarying;
}

// Field descriptor (32 bytes each, from offset 32).
inline constexpr std::size_t kDescriptorSize = 32;
inline constexpr std::size_t kFieldNameOffset = 0;  // 11 bytes, NUL padded
inline constexpr std::size_t kFieldNameSize = 11;
inline constexpr std::size_t kMaxFieldNameLength = 10;
inline constexpr std::size_t kFieldTypeOffset = 11;
inline constexpr std::size_t kFieldDisplacementOffset = 12;  // uint32, from record start
inline constexpr std::size_t kFieldLengthOffset = 16;
inline constexpr std::size_t kFieldDecimalsOffset = 17;
inline constexpr std::size_t kFieldFlagsOffset = 18;
inline constexpr std::size_t kFieldAutoincNextOffset = 19;  // uint32
inline constexpr std::size_t kFieldAutoincStepOffset = 23;  // 1 byte

// Field flags (descriptor byte 18).
inline constexpr std::uint8_t kFieldSystem = 0x01;
inline constexpr std::uint8_t kFieldNullable = 0x02;
inline constexpr std::uint8_t kFieldBinary = 0x04;
inline constexpr std::uint8_t kFieldAutoinc = 0x08;

// After the descriptors.
inline constexpr std::uint8_t kFieldTerminator = 0x0D;
inline constexpr std::size_t kBacklinkSize = 263;

// Records.
inline constexpr char kRecordActive = ' ';
inline constexpr char kRecordDeleted = '*';
inline constexpr char kEndOfFile = 0x1A;

// The hidden field that holds null and varying-length bits.
inline constexpr char kNullFlagsName[] = "_NullFlags";
inline constexpr char kNullFlagsType = '0';
inline constexpr std::uint8_t kNullFlagsFieldFlags = kFieldSystem | kFieldBinary;

// Limits.
inline constexpr std::size_t kMaxFields = 255;  // _NullFlags included
inline constexpr std::size_t kMaxRecordLength = 65500;

// Width of a FoxPro 2.x / dBase memo pointer (ASCII block number).
inline constexpr std::size_t kAsciiMemoPointerWidth = 10;

}  // namespace foxpro::dbf

#endif  // QUILLOMAR_FOXPRO_DBF_DBF_FORMAT_H_
