#include "ado/odbc/odbc_cursor.h"

#include <limits>

namespace ado::odbc {
namespace {

bool IsUnsignedCandidate(SQLSMALLINT sql_type) {
  return sql_type == SQL_TINYINT || sql_type == SQL_BIGINT;
}

int MillisecondsFromFraction(SQLUINTEGER nanoseconds) {
  return static_cast<int>(nanoseconds / 1000000U);
}

}  // namespace

OdbcCursor::OdbcCursor(std::unique_ptr<Statement> statement)
    : statement_(std::move(statement)), piece_(kPieceSize) {
  Describe();
}

void OdbcCursor::Describe() {
  SQLSMALLINT count = 0;
  statement_->Check(SQLNumResultCols(statement_->get(), &count), "Counting result columns");
  std::vector<SQLCHAR> name(256);
  for (SQLUSMALLINT column = 1; column <= count; ++column) {
    SQLSMALLINT name_length = 0;
    SQLSMALLINT sql_type = 0;
    SQLULEN size = 0;
    SQLSMALLINT digits = 0;
    SQLSMALLINT nullable = 0;
    auto describe = [&] {
      return SQLDescribeCol(statement_->get(), column, name.data(),
                            static_cast<SQLSMALLINT>(name.size()), &name_length, &sql_type, &size,
                            &digits, &nullable);
    };
    SQLRETURN rc = describe();
    if (SQL_SUCCEEDED(rc) && name_length >= static_cast<SQLSMALLINT>(name.size())) {
      name.resize(static_cast<std::size_t>(name_length) + 1);  // the name was cut: read again
      rc = describe();
    }
    statement_->Check(rc, "Describing a result column");
    bool is_unsigned = false;
    if (IsUnsignedCandidate(sql_type)) {
      SQLLEN flag = SQL_FALSE;
      SQLRETURN attr = SQLColAttribute(statement_->get(), column, SQL_DESC_UNSIGNED, nullptr, 0,
                                       nullptr, &flag);
      is_unsigned = SQL_SUCCEEDED(attr) && flag == SQL_TRUE;
    }
    FieldInfo info;
    info.name = reinterpret_cast<const char*>(name.data());
    info.type = AdoTypeForSqlType(sql_type, is_unsigned);
    fields_.push_back(std::move(info));
    fetch_as_.push_back(FetchAsForSqlType(sql_type, is_unsigned));
  }
  if (count == 0) done_ = true;
}

bool OdbcCursor::Fetch(std::vector<Value>* row) {
  if (done_) return false;
  SQLRETURN rc = SQLFetch(statement_->get());
  if (rc == SQL_NO_DATA) {
    done_ = true;
    SQLCloseCursor(statement_->get());
    return false;
  }
  statement_->Check(rc, "Fetching a row");
  row->resize(fields_.size());
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    (*row)[i] = ReadColumn(static_cast<SQLUSMALLINT>(i + 1), fetch_as_[i]);
  }
  return true;
}

Value OdbcCursor::ReadVariable(SQLUSMALLINT column, FetchAs how) {
  std::string data;
  if (!ReadPieces(column, how == FetchAs::kBinary, &data)) return Value();
  if (how == FetchAs::kBinary) return Value::Binary(std::move(data));
  if (how == FetchAs::kText) return Value::Text(std::move(data));
  if (auto decimal = DecimalFromDriverText(data)) return Value::Dec(std::move(*decimal));
  return NonDecimalNumericValue(data);
}

Value OdbcCursor::ReadColumn(SQLUSMALLINT column, FetchAs how) {
  switch (how) {
    case FetchAs::kText:
    case FetchAs::kBinary:
    case FetchAs::kDecimal: return ReadVariable(column, how);
    case FetchAs::kInteger: {
      SQLBIGINT v = 0;
      if (!ReadFixed(column, SQL_C_SBIGINT, &v, sizeof v)) return Value();
      return Value::Int(v);
    }
    case FetchAs::kUnsigned: {
      SQLUBIGINT v = 0;
      if (!ReadFixed(column, SQL_C_UBIGINT, &v, sizeof v)) return Value();
      if (v > static_cast<SQLUBIGINT>(std::numeric_limits<std::int64_t>::max())) {
        return Value::Dec(Decimal{std::to_string(v)});
      }
      return Value::Int(static_cast<std::int64_t>(v));
    }
    case FetchAs::kDouble: {
      SQLDOUBLE v = 0;
      if (!ReadFixed(column, SQL_C_DOUBLE, &v, sizeof v)) return Value();
      return Value::Double(v);
    }
    case FetchAs::kBit: {
      unsigned char v = 0;
      if (!ReadFixed(column, SQL_C_BIT, &v, sizeof v)) return Value();
      return Value::Bool(v != 0);
    }
    case FetchAs::kDate: {
      SQL_DATE_STRUCT v{};
      if (!ReadFixed(column, SQL_C_TYPE_DATE, &v, sizeof v)) return Value();
      return Value::FromDate(Date{v.year, v.month, v.day});
    }
    case FetchAs::kDateTime: {
      SQL_TIMESTAMP_STRUCT v{};
      if (!ReadFixed(column, SQL_C_TYPE_TIMESTAMP, &v, sizeof v)) return Value();
      return Value::FromDateTime(DateTime{Date{v.year, v.month, v.day}, v.hour, v.minute,
                                          v.second, MillisecondsFromFraction(v.fraction)});
    }
  }
  return Value();
}

bool OdbcCursor::ReadFixed(SQLUSMALLINT column, SQLSMALLINT c_type, void* buffer, SQLLEN size) {
  SQLLEN indicator = 0;
  SQLRETURN rc = SQLGetData(statement_->get(), column, c_type, buffer, size, &indicator);
  statement_->Check(rc, "Reading a column value");
  return rc != SQL_NO_DATA && indicator != SQL_NULL_DATA;
}

bool OdbcCursor::ReadPieces(SQLUSMALLINT column, bool binary, std::string* out) {
  out->clear();
  const SQLSMALLINT c_type = binary ? SQL_C_BINARY : SQL_C_CHAR;
  // A character piece ends with a terminating zero that is not data.
  const std::size_t room = binary ? piece_.size() : piece_.size() - 1;
  for (bool first = true;; first = false) {
    SQLLEN indicator = 0;
    SQLRETURN rc = SQLGetData(statement_->get(), column, c_type, piece_.data(),
                              static_cast<SQLLEN>(piece_.size()), &indicator);
    // SQL_NO_DATA: every piece has been read (on the first call, some drivers
    // say so for a zero-length value).
    if (rc == SQL_NO_DATA) return true;
    statement_->Check(rc, "Reading a column value");
    if (indicator == SQL_NULL_DATA) return false;
    std::size_t got = room;
    if (indicator != SQL_NO_TOTAL && indicator >= 0 &&
        static_cast<std::size_t>(indicator) < room) {
      got = static_cast<std::size_t>(indicator);
    }
    if (first && indicator > 0 && indicator != SQL_NO_TOTAL) {
      // Reserve the announced length, within reason: the pieces decide.
      out->reserve(std::min<std::size_t>(static_cast<std::size_t>(indicator), 64 << 20));
    }
    out->append(piece_.data(), got);
    // The last piece is the one that fitted; asking again would only give
    // SQL_NO_DATA (and some drivers repeat the value for short columns).
    if (rc == SQL_SUCCESS || got < room) return true;
  }
}

}  // namespace ado::odbc
