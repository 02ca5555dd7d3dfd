// How the ODBC provider names and reads column types: the ADO type code for
// an ODBC SQL type, the way each type is fetched, and the conversion of the
// text forms drivers hand back (numbers, dates) into data-access values.
#ifndef QUILLOMAR_ADO_ODBC_ODBC_TYPES_H_
#define QUILLOMAR_ADO_ODBC_ODBC_TYPES_H_

#include <optional>
#include <string_view>

#include "ado/value.h"

namespace ado::odbc {

// The ADO type code reported for a column whose SQLDescribeCol type is
// `sql_type`. `is_unsigned` (SQL_DESC_UNSIGNED) matters only for TINYINT,
// which is 16 signed and 17 unsigned. Unknown types give 200 (adVarChar).
int AdoTypeForSqlType(int sql_type, bool is_unsigned);

// How a column's values are fetched and which kind of value they become.
enum class FetchAs {
  kText,      // SQL_C_CHAR in pieces → text
  kDecimal,   // SQL_C_CHAR → exact decimal (NUMERIC, DECIMAL)
  kInteger,   // SQL_C_SBIGINT → integer
  kUnsigned,  // SQL_C_UBIGINT → integer, or exact decimal above the int64 range
  kDouble,    // SQL_C_DOUBLE → double
  kBit,       // SQL_C_BIT → logical
  kDate,      // SQL_C_TYPE_DATE → date
  kDateTime,  // SQL_C_TYPE_TIMESTAMP → datetime (milliseconds)
  kBinary,    // SQL_C_BINARY in pieces → bytes
};

// The fetch method for a column of `sql_type`; `is_unsigned` picks kUnsigned
// for BIGINT UNSIGNED (the other integers fit a signed 64-bit value).
FetchAs FetchAsForSqlType(int sql_type, bool is_unsigned);

// The value of a NUMERIC or DECIMAL column from the driver's text: a plain
// decimal ("12.50", "-.5"), an exponent form ("1.5E+20", "1e-7"), or a
// decimal comma when the driver formatted with a comma locale ("12,5"). The
// result is exact: exponent forms are shifted, never rounded. Returns nullopt
// for anything else (for example "NaN").
std::optional<Decimal> DecimalFromDriverText(std::string_view text);

// The value a NUMERIC column gives when its text is not a decimal: a double
// for the forms a double can hold ("NaN", "Infinity", "-Infinity"), else the
// text itself.
Value NonDecimalNumericValue(std::string_view text);

}  // namespace ado::odbc

#endif  // QUILLOMAR_ADO_ODBC_ODBC_TYPES_H_
