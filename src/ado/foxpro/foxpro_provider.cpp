#include "ado/foxpro/foxpro_provider.h"

#include <algorithm>
#include <cctype>

#include "ado/connection_string.h"
#include "ado/error.h"
#include "foxpro/codepage/codepage.h"
#include "foxpro/sql/database.h"
#include "text/ascii.h"

namespace ado::foxpro {
namespace {

namespace fx = ::foxpro;

[[noreturn]] void Throw(const fx::Status& status) { throw Error(status.message()); }

// Collating sequences FoxPro knows; only the name is kept (new index tags
// would use it, and this engine builds none for tables).
constexpr const char* kCollations[] = {
    "machine", "general", "dutch",  "german",  "nordan", "spanish", "czech",
    "hungary", "iceland", "polish", "russian", "slovak", "swefin",  "turkish",
    "uniqwt",  "greek",   "korean", "pinyin",  "stroke", "thai",    "japanese",
};

bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    auto c = static_cast<unsigned char>(s[i]);
    std::size_t extra = 0;
    if (c >= 0x80) {
      if ((c >> 5) == 6) {
        extra = 1;
      } else if ((c >> 4) == 14) {
        extra = 2;
      } else if ((c >> 3) == 30) {
        extra = 3;
      } else {
        return false;
      }
    }
    if (extra > s.size() - i - 1) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

Value ToAdo(const fx::Value& v, const fx::FieldInfo& field) {
  using Kind = fx::Value::Kind;
  switch (v.kind()) {
    case Kind::kNull:
      return Value::Null();
    case Kind::kLogical:
      return Value::Bool(v.logical());
    case Kind::kInteger:
      return Value::Int(v.integer());
    case Kind::kNumeric: {
      Decimal d;
      if (!MakeDecimal(v.text(), &d)) return Value::Text(v.text());
      return Value::Dec(std::move(d));
    }
    case Kind::kDouble:
      return Value::Double(v.dbl());
    case Kind::kCurrency:
      return Value::Money(Currency{v.currency()});
    case Kind::kDate:
      return Value::FromDate({v.date().year, v.date().month, v.date().day});
    case Kind::kDateTime: {
      const fx::DateTime& t = v.datetime();
      return Value::FromDateTime(
          {{t.date.year, t.date.month, t.date.day}, t.hour, t.minute, t.second, t.millisecond});
    }
    case Kind::kText:
      return Value::Text(v.text());
    case Kind::kBytes: {
      int type = AdoTypeOfField(field);
      if (type != 129 && type != 200) return Value::Binary(v.text());
      // Character fields without code-page translation: show their bytes as
      // text; bytes that are not UTF-8 are read as Windows-1252.
      if (IsValidUtf8(v.text())) return Value::Text(v.text());
      std::string text;
      (void)fx::CodePage::ForCodePage(1252)->Decode(v.text(), &text);  // 1252 never fails
      return Value::Text(std::move(text));
    }
  }
  return Value::Null();
}

class FoxproCursor : public Cursor {
 public:
  explicit FoxproCursor(std::unique_ptr<fx::sql::RowCursor> rows) : rows_(std::move(rows)) {
    for (const auto& column : rows_->columns()) {
      fields_.push_back({column.name, AdoTypeOfField(column.field)});
    }
  }

  const std::vector<FieldInfo>& Fields() const override { return fields_; }

  bool Fetch(std::vector<Value>* row) override {
    bool has_row = false;
    fx::Status status = rows_->Next(&values_, &has_row);
    if (!status.ok()) Throw(status);
    if (!errors_.empty()) errors_.clear();
    if (!has_row) return false;
    for (const auto& error : rows_->row_errors()) {
      errors_.push_back({static_cast<int>(error.column), error.message});
    }
    row->resize(values_.size());
    const auto& columns = rows_->columns();
    for (std::size_t i = 0; i < values_.size(); ++i) {
      // Text goes over the previous row's text in place.
      if (values_[i].kind() == fx::Value::Kind::kText) {
        (*row)[i].AssignText(values_[i].text());
      } else {
        (*row)[i] = ToAdo(values_[i], columns[i].field);
      }
    }
    return true;
  }

  std::vector<std::string> Warnings() const override { return rows_->warnings(); }
  const std::vector<FieldError>& FetchErrors() const override { return errors_; }

  std::int64_t KnownRowCount() const override {
    if (count_ < -1) {
      auto counted = rows_->CountRows();
      count_ = counted.ok() ? *counted : -1;
    }
    return count_;
  }

 private:
  std::unique_ptr<fx::sql::RowCursor> rows_;
  std::vector<FieldInfo> fields_;
  std::vector<fx::Value> values_;
  std::vector<FieldError> errors_;
  mutable std::int64_t count_ = -2;
};

// The tables schema: a fixed list of rows.
class ListCursor : public Cursor {
 public:
  ListCursor(std::vector<FieldInfo> fields, std::vector<std::vector<Value>> rows)
      : fields_(std::move(fields)), rows_(std::move(rows)) {}
  const std::vector<FieldInfo>& Fields() const override { return fields_; }
  bool Fetch(std::vector<Value>* row) override {
    if (next_ >= rows_.size()) return false;
    *row = rows_[next_++];
    return true;
  }
  std::int64_t KnownRowCount() const override { return static_cast<std::int64_t>(rows_.size()); }

 private:
  std::vector<FieldInfo> fields_;
  std::vector<std::vector<Value>> rows_;
  std::size_t next_ = 0;
};

class FoxproSession : public Session {
 public:
  explicit FoxproSession(std::unique_ptr<fx::sql::Database> db) : db_(std::move(db)) {}

  void Execute(std::string_view sql) override {
    fx::Status status = db_->Execute(sql);
    if (!status.ok()) Throw(status);
  }

  std::unique_ptr<Cursor> Query(std::string_view sql, CursorPlace) override {
    auto rows = db_->Query(sql);
    if (!rows.ok()) Throw(rows.status());
    return std::make_unique<FoxproCursor>(std::move(*rows));
  }

  std::unique_ptr<Cursor> Tables() override {
    std::vector<fx::CatalogEntry> entries;
    fx::Status status = db_->catalog().List(&entries);
    if (!status.ok()) Throw(status);
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return ascii::LowerCase(a.name) < ascii::LowerCase(b.name); });
    std::vector<FieldInfo> fields = {
        {"TABLE_CATALOG", 130}, {"TABLE_SCHEMA", 130}, {"TABLE_NAME", 130}, {"TABLE_TYPE", 130}};
    std::vector<std::vector<Value>> rows;
    for (const auto& entry : entries) {
      rows.push_back({Value::Null(), Value::Null(), Value::Text(entry.name),
                      Value::Text(entry.kind == fx::CatalogEntry::Kind::kView ? "VIEW" : "TABLE")});
    }
    return std::make_unique<ListCursor>(std::move(fields), std::move(rows));
  }

 private:
  std::unique_ptr<fx::sql::Database> db_;
};

}  // namespace

FoxproSource ParseFoxproConnectionString(std::string_view connection_string) {
  const std::string_view text = connection_string;
  FoxproSource source;
  // The last collating key: a path may itself contain the words.
  const auto collating = FindLastConnectionKeyPlace(text, "Collating Sequence");
  if (const auto data = FindConnectionKeyPlace(text, "Data Source")) {
    // The path runs to the collating key after it, else to the next known
    // key or the end (without a final ';'), so that it may hold ';'.
    const std::size_t end =
        collating && collating->key_at > data->value_at
            ? text.rfind(';', collating->key_at)
            : ConnectionValueEnd(text, data->value_at,
                                 {"Provider", "Mode", "User ID", "Password", "Exclusive"});
    source.data_source = std::string(text.substr(data->value_at, end - data->value_at));
  }
  if (collating) {
    const std::size_t end = text.find(';', collating->value_at);
    std::string name = ascii::LowerCase(text.substr(
        collating->value_at,
        end == std::string_view::npos ? std::string_view::npos : end - collating->value_at));
    while (!name.empty() && name.back() == ' ') name.pop_back();
    while (!name.empty() && name.front() == ' ') name.erase(name.begin());
    if (std::find(std::begin(kCollations), std::end(kCollations), name) == std::end(kCollations)) {
      throw Error("Collating sequence '" + name + "' is not recognized.");
    }
    source.collating_sequence = name;
  }
  return source;
}

std::unique_ptr<Session> OpenFoxproSession(const std::string& connection_string,
                                           fx::FileSystem* fs) {
  FoxproSource source = ParseFoxproConnectionString(connection_string);
  auto db =
      fx::sql::Database::Open(fs != nullptr ? fs : fx::DefaultFileSystem(), source.data_source);
  if (!db.ok()) Throw(db.status());
  return std::make_unique<FoxproSession>(std::move(*db));
}

int AdoTypeOfField(const fx::FieldInfo& field) {
  switch (field.type) {
    case 'C':
      return 129;
    case 'V':
      return 200;
    case 'M':
      return field.binary() ? 205 : 201;
    case 'N':
    case 'F':
      return 131;
    case 'I':
      return 3;
    case 'B':
      return field.width == 8 ? 5 : 205;
    case 'Y':
      return 6;
    case 'D':
      return 133;
    case 'T':
      return 135;
    case 'L':
      return 11;
    case 'G':
    case 'W':
    case 'P':
      return 205;
    case 'Q':
      return 204;
    default:
      return 200;
  }
}

void RegisterFoxproProvider() {
  RegisterProvider("vfpoledb.1", [](const std::string& connection_string) {
    return OpenFoxproSession(connection_string);
  });
}

}  // namespace ado::foxpro
