// Conversion of one field between its bytes in a record and an engine Value,
// for every FoxPro field type. Memo fields hand their data to the caller
// (reading takes the memo file, writing returns the bytes to store).
#ifndef QUILLOMAR_FOXPRO_DBF_FIELD_CODEC_H_
#define QUILLOMAR_FOXPRO_DBF_FIELD_CODEC_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "foxpro/codepage/codepage.h"
#include "foxpro/dbf/table.h"
#include "foxpro/util/status.h"
#include "foxpro/util/value.h"

namespace foxpro {

class MemoFile;

// True when bit `bit` of a _NullFlags byte string is set (false when absent).
bool NullFlagBit(std::string_view null_flags, int bit);

// True when a memo-type field stores an ASCII block number (FoxPro 2.x/dBase).
inline bool HasAsciiMemoPointer(const FieldInfo& field) { return field.width == 10; }

// Decodes `field` from a whole record (`record` points at the deletion flag).
// `visual` says the table is a Visual FoxPro table (binary I/B/Y/T layouts;
// otherwise B is a memo pointer). Failures are Corruption without the
// file/record prefix (the caller adds it).
struct DecodeContext {
  const CodePage* codepage = nullptr;
  MemoFile* memo = nullptr;  // may be null when the table has no memo file
  bool visual = true;
  std::string* scratch = nullptr;  // reused buffer for memo bytes
};
Status DecodeField(const FieldInfo& field, const char* record, std::string_view null_flags,
                   const DecodeContext& context, Value* out);

// Encodes a non-null `value` into the field's bytes at `bytes` (field.width
// bytes). For V/Q *short_length says whether the value is shorter than the
// width (the length bit). For memo fields the data to store goes to
// *memo_data and the pointer is filled in later by the caller. Failures are
// InvalidArgument naming the field.
Status EncodeField(const FieldInfo& field, const Value& value, const CodePage& codepage,
                   char* bytes, bool* short_length, std::string* memo_data);

// Writes the bytes FoxPro keeps in a field that is null or blank: blanks for
// C D L N F, zeros for I B Y T and memo pointers, blanks with length 0 for V Q.
void BlankField(const FieldInfo& field, char* bytes);

// Formats a decimal number (optional sign, digits, optional fraction) into
// the width and decimals of an N/F field, rounding half away from zero.
// InvalidArgument when it does not fit (FoxPro would write asterisks).
Status FormatNumeric(std::string_view decimal, int width, int decimals, std::string* out);

}  // namespace foxpro

#endif  // QUILLOMAR_FOXPRO_DBF_FIELD_CODEC_H_
