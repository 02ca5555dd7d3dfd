// Names of the data-access layer's field type codes, as the copies use them
// to pick the column type of each created column (module Datatype).
#ifndef QUILLOMAR_TRANSFER_DATATYPE_H_
#define QUILLOMAR_TRANSFER_DATATYPE_H_

#include <string>

namespace transfer {

// The ADO DataTypeEnum member name of a field type code, spelled exactly as
// the enumeration spells it ("adInteger", "adDBTimeStamp"); the empty text
// for a code that is not one of the 39 listed members (including codes that
// carry the array flag 8192). No state, never fails.
std::string AdoTypeName(int type_code);

}  // namespace transfer

#endif  // QUILLOMAR_TRANSFER_DATATYPE_H_
