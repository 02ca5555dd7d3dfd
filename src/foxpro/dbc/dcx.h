// The container's own compound index (.dcx): two tags over the live rows,
// OBJECTNAME (STR(parentid)+objecttype+LOWER(objectname)) and OBJECTTYPE
// (STR(parentid)+objecttype), both MACHINE collation with a filter on
// deleted rows. FoxPro finds objects through it, so it is rebuilt from the
// rows after every change.
#ifndef QUILLOMAR_FOXPRO_DBC_DCX_H_
#define QUILLOMAR_FOXPRO_DBC_DCX_H_

#include <cstdint>
#include <string>
#include <vector>

#include "foxpro/dbc/container_file.h"
#include "foxpro/util/file.h"
#include "foxpro/util/status.h"

namespace foxpro::dbc {

// STR(id): the number right-justified in 10 characters; FoxPro's ten
// asterisks when it does not fit.
std::string StrOfId(std::int32_t id);

// LOWER() of container text in the code page of `codepage_mark` (1252 when
// unmarked): the Latin, Greek and Cyrillic capitals of single-byte pages;
// ASCII letters only in double-byte pages, whose trail bytes are skipped.
std::string LowerInCodePage(std::string text, std::uint8_t codepage_mark);

// The OBJECTNAME key of a row (148 bytes) and its OBJECTTYPE key (20 bytes).
std::string NameKey(const ObjectRow& row, std::uint8_t codepage_mark);
std::string TypeKey(const ObjectRow& row);

// The bytes of a whole .dcx for `rows` (deleted rows are left out).
Status BuildContainerIndex(const std::vector<ObjectRow>& rows, std::uint8_t codepage_mark,
                           std::uint32_t change_counter, std::string* out);

// Rewrites the .dcx beside the container (found in any letter case, created
// when missing) from `container`'s rows, bumping its change counter.
Status RewriteContainerIndex(FileSystem* fs, const ContainerFile& container);

}  // namespace foxpro::dbc

#endif  // QUILLOMAR_FOXPRO_DBC_DCX_H_
