// Turns the literals of an INSERT into the values a field takes: texts are
// read as numbers, dates, datetimes or logical values where the field's type
// asks for them.
#ifndef QUILLOMAR_FOXPRO_SQL_LITERALS_H_
#define QUILLOMAR_FOXPRO_SQL_LITERALS_H_

#include "foxpro/dbf/table.h"
#include "foxpro/sql/statement.h"
#include "foxpro/util/status.h"
#include "foxpro/util/value.h"

namespace foxpro::sql {

// The value `literal` gives field `field`. InvalidArgument ("Data type
// mismatch ...") naming the field when the literal cannot be that type.
// `field_label` is the name users know the field by.
Result<Value> LiteralToValue(const Literal& literal, const FieldInfo& field,
                             const std::string& field_label);

// The value a field gets when an INSERT's column list leaves it out: null
// when the field accepts null, otherwise its empty value.
Value OmittedValue(const FieldInfo& field);

}  // namespace foxpro::sql

#endif  // QUILLOMAR_FOXPRO_SQL_LITERALS_H_
