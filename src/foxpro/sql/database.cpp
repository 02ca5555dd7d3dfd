// Database: statements over a catalog, with written tables kept open for the
// session.
#include "foxpro/sql/database.h"

#include "foxpro/codepage/codepage.h"
#include "foxpro/dbf/dbf_format.h"
#include "foxpro/dbf/table_internal.h"
#include "foxpro/sql/literals.h"
#include "text/ascii.h"

namespace foxpro::sql {

struct Database::OpenTable {
  std::unique_ptr<Table> table;
  std::vector<std::string> labels;  // per field: long name or lower-case short name
};

namespace {

// User-facing names of a table's fields: the container's long names where
// they line up with the fields, otherwise the file's names in lower case.
std::vector<std::string> FieldLabels(const Table& table, const TableLocation& location) {
  std::vector<std::string> labels;
  const auto& fields = table.fields();
  bool use_long = location.long_field_names.size() == fields.size();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    labels.push_back(use_long ? location.long_field_names[i] : ascii::LowerCase(fields[i].name));
  }
  return labels;
}

// Finds a column by the name a statement uses: its label, its stored name,
// or (for names FoxPro shortened) the first 10 characters.
int FindColumn(const std::vector<std::string>& labels, const Table& table,
               const std::string& name) {
  std::string wanted = ascii::LowerCase(name);
  for (std::size_t i = 0; i < labels.size(); ++i) {
    if (labels[i] == wanted) return static_cast<int>(i);
  }
  int stored = table.FindField(name);
  if (stored >= 0) return stored;
  if (wanted.size() > 10) return table.FindField(wanted.substr(0, 10));
  return -1;
}

class TableCursor : public RowCursor {
 public:
  TableCursor(std::unique_ptr<Table> table, std::vector<ResultColumn> columns,
              std::vector<int> source)
      : table_(std::move(table)), columns_(std::move(columns)), source_(std::move(source)) {
    select_all_ = source_.size() == table_->fields().size();
    for (std::size_t i = 0; i < source_.size() && select_all_; ++i) {
      select_all_ = source_[i] == static_cast<int>(i);
    }
  }

  const std::vector<ResultColumn>& columns() const override { return columns_; }
  const std::vector<std::string>& warnings() const override { return table_->warnings(); }
  const std::vector<ColumnError>& row_errors() const override { return row_errors_; }

  Status Next(std::vector<Value>* row, bool* has_row) override {
    *has_row = false;
    if (!row_errors_.empty()) row_errors_.clear();
    while (next_ < table_->record_count()) {
      FOXPRO_RETURN_IF_ERROR(table_->ReadRecord(next_++, &record_));
      if (record_.deleted) continue;
      if (!record_.bad_values.empty()) NoteBadValues();
      if (select_all_) {
        row->swap(record_.values);
      } else {
        row->resize(source_.size());
        for (std::size_t i = 0; i < source_.size(); ++i) {
          (*row)[i] = record_.values[static_cast<std::size_t>(source_[i])];
        }
      }
      *has_row = true;
      return Status::Ok();
    }
    return Status::Ok();
  }

  Result<std::int64_t> CountRows() override {
    auto live = table_->CountLiveRecords();
    if (!live.ok()) return live.status();
    return static_cast<std::int64_t>(*live);
  }

 private:
  // Lists the record's damaged values under every column that shows them.
  void NoteBadValues() {
    for (const BadValue& bad : record_.bad_values) {
      for (std::size_t i = 0; i < source_.size(); ++i) {
        if (static_cast<std::size_t>(source_[i]) == bad.field)
          row_errors_.push_back({i, bad.status.message()});
      }
    }
  }

  std::unique_ptr<Table> table_;
  std::vector<ResultColumn> columns_;
  std::vector<int> source_;
  bool select_all_ = false;
  std::uint32_t next_ = 0;
  Record record_;
  std::vector<ColumnError> row_errors_;
};

bool EndsWithDbc(const std::string& path) {
  std::string lower = ascii::LowerCase(path);
  return lower.size() >= 4 && lower.compare(lower.size() - 4, 4, ".dbc") == 0;
}

}  // namespace

Database::~Database() = default;

Result<std::unique_ptr<Database>> Database::Open(FileSystem* fs, const std::string& source,
                                                 const DatabaseOptions& options) {
  std::unique_ptr<Database> db(new Database());
  db->fs_ = fs;
  db->options_ = options;
  if (source.empty())
    return Status::NotFound("Invalid path or file name: the data source is empty.");
  if (fs->IsDirectory(source)) {
    auto catalog = OpenFolderCatalog(fs, source);
    if (!catalog.ok()) return catalog.status();
    db->catalog_ = std::move(*catalog);
    return db;
  }
  if (!fs->IsFile(source)) {
    return Status::NotFound("Invalid path or file name: '" + source + "' does not exist.");
  }
  if (!EndsWithDbc(source)) {
    return Status::InvalidArgument("File '" + source + "' is not a database.");
  }
  auto catalog = OpenContainerCatalog(fs, source);
  if (!catalog.ok()) return catalog.status();
  db->catalog_ = std::move(*catalog);
  db->is_container_ = true;
  return db;
}

Result<Database::OpenTable*> Database::GetTable(const std::string& name, bool writable) {
  // A name seen before needs no look-up in the folder.
  auto alias = table_aliases_.find(name);
  if (alias != table_aliases_.end()) return alias->second;
  auto location = catalog_->Locate(name);
  if (!location.ok()) return location.status();
  std::string key = ascii::LowerCase(location->name);
  auto it = open_tables_.find(key);
  if (it != open_tables_.end()) {
    table_aliases_[name] = it->second.get();
    return it->second.get();
  }
  auto table = Table::Open(fs_, location->path, OpenOptions{writable, 0});
  if (!table.ok()) return table.status();
  auto open = std::make_unique<OpenTable>();
  open->labels = FieldLabels(**table, *location);
  open->table = std::move(*table);
  OpenTable* result = open.get();
  open_tables_[key] = std::move(open);
  table_aliases_[name] = result;
  return result;
}

Result<std::unique_ptr<RowCursor>> Database::Query(std::string_view sql) {
  auto statement = Parse(sql);
  if (!statement.ok()) return statement.status();
  if (statement->kind != Statement::Kind::kSelect) {
    return Status::InvalidArgument("The statement does not return rows.");
  }
  auto location = catalog_->Locate(statement->table);
  if (!location.ok()) return location.status();
  auto table = Table::Open(fs_, location->path);
  if (!table.ok()) return table.status();
  std::vector<std::string> labels = FieldLabels(**table, *location);
  std::vector<ResultColumn> columns;
  std::vector<int> source;
  const auto& fields = (*table)->fields();
  if (statement->columns.empty()) {
    for (std::size_t i = 0; i < fields.size(); ++i) source.push_back(static_cast<int>(i));
  } else {
    for (const std::string& name : statement->columns) {
      int index = FindColumn(labels, **table, name);
      if (index < 0) return Status::NotFound("SQL: Column '" + name + "' is not found.");
      source.push_back(index);
    }
  }
  for (int index : source) {
    columns.push_back(
        {labels[static_cast<std::size_t>(index)], fields[static_cast<std::size_t>(index)]});
  }
  return std::unique_ptr<RowCursor>(
      new TableCursor(std::move(*table), std::move(columns), std::move(source)));
}

Status Database::Execute(std::string_view sql) {
  auto statement = Parse(sql);
  if (!statement.ok()) return statement.status();
  switch (statement->kind) {
    case Statement::Kind::kSelect: {
      auto cursor = Query(sql);
      return cursor.ok() ? Status::Ok() : cursor.status();
    }
    case Statement::Kind::kCreateTable:
      return RunCreate(*statement);
    case Statement::Kind::kInsert:
      return RunInsert(*statement);
    case Statement::Kind::kDropTable:
      return RunDrop(*statement);
  }
  return Status::InvalidArgument("Syntax error.");
}

Status Database::RunCreate(const Statement& statement) {
  std::vector<NewField> fields;
  for (const ColumnDef& column : statement.definitions) {
    NewField field;
    field.long_name = column.name;
    field.layout.type = column.type;
    field.layout.width = column.width;
    field.layout.decimals = column.decimals;
    field.layout.nullable = column.nullable;
    field.layout.binary = column.binary;
    fields.push_back(std::move(field));
  }
  std::uint8_t mark = options_.new_table_codepage_mark;
  if (mark == 0) mark = MarkFromCodePage(CodePageForEnvironment());
  // Code pages without a FoxPro mark (1257, 1258) would leave the text
  // unlabelled; such tables are written in 1252 instead.
  if (mark == 0) mark = MarkFromCodePage(1252);
  return catalog_->CreateTable(statement.table, fields, mark);
}

Status Database::RunInsert(const Statement& statement) {
  auto open = GetTable(statement.table, true);
  if (!open.ok()) return open.status();
  Table& table = *(*open)->table;
  const auto& labels = (*open)->labels;
  const auto& fields = table.fields();
  if ((table.header().table_flags & dbf::kFlagHasCdx) != 0) {
    return Status::NotSupported("Table '" + statement.table +
                                "' has a structural index (.cdx) that this program cannot keep "
                                "up to date; nothing was written.");
  }
  std::vector<int> targets;
  if (statement.columns.empty()) {
    for (std::size_t i = 0; i < fields.size(); ++i) targets.push_back(static_cast<int>(i));
  } else {
    for (const std::string& name : statement.columns) {
      int index = FindColumn(labels, table, name);
      if (index < 0) return Status::NotFound("SQL: Column '" + name + "' is not found.");
      targets.push_back(index);
    }
  }
  if (statement.values.size() != targets.size()) {
    return Status::InvalidArgument(statement.values.size() < targets.size()
                                       ? "Must specify additional parameters."
                                       : "Too many arguments.");
  }
  std::vector<Value> values(fields.size());
  std::vector<bool> given(fields.size(), false);
  for (std::size_t k = 0; k < targets.size(); ++k) {
    auto index = static_cast<std::size_t>(targets[k]);
    // FoxPro numbers autoincrement fields itself and takes no value for them,
    // not even NULL; leaving the field out of the column list takes the counter.
    if (fields[index].autoinc()) {
      return Status::InvalidArgument("Field " + labels[index] +
                                     " is read-only: it takes the next autoincrement value and "
                                     "cannot be given one.");
    }
    auto value = LiteralToValue(statement.values[k], fields[index], labels[index]);
    if (!value.ok()) return value.status();
    values[index] = std::move(*value);
    given[index] = true;
  }
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (!given[i]) values[i] = OmittedValue(fields[i]);
  }
  return table.Append(values);
}

Status Database::RunDrop(const Statement& statement) {
  auto location = catalog_->Locate(statement.table);
  if (!location.ok()) return location.status();
  open_tables_.erase(ascii::LowerCase(location->name));
  table_aliases_.clear();
  return catalog_->DropTable(statement.table);
}

}  // namespace foxpro::sql
