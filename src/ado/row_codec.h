// Packs a row of values into bytes and back, so that a client-side record set
// can hold many rows compactly.
#ifndef QUILLOMAR_ADO_ROW_CODEC_H_
#define QUILLOMAR_ADO_ROW_CODEC_H_

#include <string>
#include <string_view>
#include <vector>

#include "ado/value.h"

namespace ado {

// Appends the encoding of `row` to *out.
void EncodeRow(const std::vector<Value>& row, std::string* out);

// Decodes a row written by EncodeRow. Returns false on malformed input.
bool DecodeRow(std::string_view bytes, std::vector<Value>* row);

}  // namespace ado

#endif  // QUILLOMAR_ADO_ROW_CODEC_H_
