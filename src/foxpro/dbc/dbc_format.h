// Layout of a database container: the .dbc is a FoxPro table of objects
// (one row per database, table, field, index, view, relation, connection)
// with its memos in a .dct and its own compound index in a .dcx. These are
// the names, types and widths of its fields and the rows every container
// starts with.
#ifndef QUILLOMAR_FOXPRO_DBC_DBC_FORMAT_H_
#define QUILLOMAR_FOXPRO_DBC_DBC_FORMAT_H_

#include <cstddef>
#include <cstdint>

namespace foxpro::dbc {

// Fields of the container table, in the order FoxPro writes them.
inline constexpr char kObjectIdField[] = "OBJECTID";      // I: equals the record number
inline constexpr char kParentIdField[] = "PARENTID";      // I: owning object
inline constexpr char kObjectTypeField[] = "OBJECTTYPE";  // C(10)
inline constexpr char kObjectNameField[] = "OBJECTNAME";  // C(128)
inline constexpr char kPropertyField[] = "PROPERTY";      // M: property list
inline constexpr char kCodeField[] = "CODE";              // M: stored procedures
inline constexpr char kRiInfoField[] = "RIINFO";          // C(6): integrity rule letters
inline constexpr char kUserField[] = "USER";              // M: free for applications

inline constexpr std::size_t kObjectTypeWidth = 10;
inline constexpr std::size_t kObjectNameWidth = 128;
inline constexpr std::size_t kRiInfoWidth = 6;

// Object types as stored (blank padded to 10).
inline constexpr char kTypeDatabase[] = "Database";
inline constexpr char kTypeTable[] = "Table";
inline constexpr char kTypeView[] = "View";
inline constexpr char kTypeField[] = "Field";
inline constexpr char kTypeIndex[] = "Index";
inline constexpr char kTypeRelation[] = "Relation";
inline constexpr char kTypeConnection[] = "Connection";

// The Database row is object 1 and its own parent; database-level objects
// (tables, views, connections) have parent 1.
inline constexpr std::int32_t kDatabaseObjectId = 1;

// The container's own index: two tags over the live rows.
inline constexpr char kNameTag[] = "OBJECTNAME";
inline constexpr char kNameTagExpression[] = "STR(parentid)+objecttype+LOWER(objectname)";
inline constexpr char kTypeTag[] = "OBJECTTYPE";
inline constexpr char kTypeTagExpression[] = "STR(parentid)+objecttype";
inline constexpr char kLiveRowsFilter[] = ".NOT.DELETED()";
// STR() of the parent id is 10 characters wide.
inline constexpr std::size_t kParentIdKeyWidth = 10;
inline constexpr std::size_t kNameKeyLength =
    kParentIdKeyWidth + kObjectTypeWidth + kObjectNameWidth;
inline constexpr std::size_t kTypeKeyLength = kParentIdKeyWidth + kObjectTypeWidth;

// Longest object name FoxPro accepts for tables and fields.
inline constexpr std::size_t kMaxObjectName = 128;

}  // namespace foxpro::dbc

#endif  // QUILLOMAR_FOXPRO_DBC_DBC_FORMAT_H_
