#include "transfer/transfer.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <iterator>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "ado/connection.h"
#include "app/trap.h"
#include "db/connect.h"
#include "platform/ui/operation_guard.h"
#include "transfer/datatype.h"
#include "transfer/list_helpers.h"
#include "transfer/statements.h"

namespace transfer {
namespace {

constexpr int kNoAnswer = 0;

class BatchValues;

// One click of either copy: the trap, both connections, the source record
// set and the statement of the moment, which every report shows after
// "sql: ".
class CopyRun {
 public:
  CopyRun(TableWindowContext& context, const char* handler)
      : context_(context), trap_(context.ui, context.owner, "Form2", handler) {
    // The copies' reports always end with "sql: " and the statement as it
    // stands at the failure, which is empty until the first CREATE TABLE is
    // built.
    trap_.WatchSql(&sql_);
    // A client-side source reads all its rows when it opens; the window
    // yields during that read as it does between rows, so that a large
    // table does not freeze it before the first row is copied.
    records_.SetReadYield([&ui = context.ui] { ui.DoEvents(); });
  }

  TableWindowContext& context() { return context_; }
  app::Trap& trap() { return trap_; }
  ado::Connection& foxpro() { return foxpro_; }
  ado::Connection& sybase() { return sybase_; }
  ado::Recordset& records() { return records_; }
  // The statement for changing; a report shows it as it stands.
  std::string& sql() { return sql_; }
  const std::string& statement() const { return sql_; }

  // The value being copied: its column, and the value or its text. Kept
  // here so that the per-value steps capture one reference only (the trap
  // then runs them without allocating).
  int column = 0;
  ado::Value value;
  std::string value_text;
  std::string_view value_view;
  // How the SQL side reads statements; found when its connection opened (the
  // statements' own rules when it did not open).
  ado::Dialect sql_dialect;

  // Batch mode through a bulk loader: the values go here instead of into the
  // statement, and `report_sql` first puts into the statement what rows mode
  // would hold there when a step fails, so that the report shows the same.
  BatchValues* direct = nullptr;
  std::function<void()> report_sql;

  // Runs a numbered step under the trap; false when it failed (reported).
  template <typename Body>
  bool Step(int line, Body&& body) {
    if (!report_sql) return trap_.Step(line, body);
    try {
      body();
      return true;
    } catch (...) {
      report_sql();
      // The same failure, reported by the trap for this line.
      return trap_.Step(line, [] { throw; });
    }
  }
  // A numbered branch test or loop head: its result, or true when the test
  // itself failed (the branch is entered after the report).
  template <typename Body>
  bool Test(int line, Body&& test) {
    bool result = true;
    if (!Step(line, [&] { result = test(); })) return true;
    return result;
  }
  template <typename T, typename Body>
  T Eval(int line, Body&& body, T fallback) {
    T result = fallback;
    Step(line, [&] { result = body(); });
    return result;
  }

 private:
  TableWindowContext& context_;
  app::Trap trap_;
  // Declared before the record set so that the record set is released first.
  ado::Connection foxpro_;
  ado::Connection sybase_;
  ado::Recordset records_;
  std::string sql_;
};

// What a table's copy left on the target side.
struct TableOutcome {
  bool created = false;   // its CREATE TABLE succeeded
  bool inserted = false;  // at least one INSERT succeeded
};

// The no-current-entry check both copies start with. Returns true when the
// handler must end (the message was shown).
bool NoCurrentEntry(CopyRun& run, const db::TableList& source, int line, int box_line,
                    const char* message) {
  TableWindowContext& c = run.context();
  if (!run.Test(line, [&] { return source.ListIndex() == -1; })) return false;
  run.Step(box_line, [&] { c.ui.MessageBox(c.owner, message, ui::kOkOnly, c.application_title); });
  return true;
}

// Opens the SQL side: cursor location, provider "MSDASQL", "Data Source=".
void OpenSybase(CopyRun& run, int first_line, int cursor_location) {
  ado::Connection& sybase = run.sybase();
  const db::ConnectionFields& fields = run.context().fields;
  run.Step(first_line, [&] { sybase.SetCursorLocation(cursor_location); });
  run.Step(first_line + 2, [&] { db::SetSybaseProvider(sybase); });
  run.Step(first_line + 4, [&] { db::OpenSybase(sybase, fields); });
  if (sybase.IsOpen()) run.sql_dialect = sybase.dialect();
}

// Opens the FoxPro side: the container of Text1 or the folder of Text2.
void OpenFoxpro(CopyRun& run, int first_line, int cursor_location) {
  ado::Connection& foxpro = run.foxpro();
  const db::ConnectionFields& fields = run.context().fields;
  run.Step(first_line, [&] { foxpro.SetCursorLocation(cursor_location); });
  // The branch decides the line only; the fields are one value throughout.
  if (run.Test(first_line + 2, [&] { return fields.option1; })) {
    run.Step(first_line + 4, [&] { db::OpenFoxpro(foxpro, fields); });
  } else {
    run.Step(first_line + 6, [&] { db::OpenFoxpro(foxpro, fields); });
  }
}

// Asks the overwrite question when `target` shows `table` in any letter
// case. Returns the answer, or kNoAnswer when nothing was asked.
int AskOverwrite(CopyRun& run, const db::TableList& target, const std::string& table,
                 int line) {
  TableWindowContext& c = run.context();
  int answer = kNoAnswer;
  if (run.Test(line, [&] { return ListContains(target, table); })) {
    run.Step(line + 2, [&] {
      answer = c.ui.MessageBox(c.owner, "Would you like to overwrite " + table + "?", ui::kYesNo,
                               "Overwrite?");
    });
  }
  return answer;
}

// Adds `entry` to the target list when the target table exists after the
// copy and the list does not already show that exact entry.
void AddTargetEntry(CopyRun& run, db::TableList& list, const std::string& entry,
                    const TableOutcome& outcome, int line) {
  if (!outcome.created && !outcome.inserted) return;
  run.Step(line, [&] {
    for (int i = 0; i < list.ListCount(); ++i) {
      if (list.List(i) == entry) return;
    }
    list.AddItem(entry);
  });
}

// The bar after each copied table: 0 and "Progress Bar".
void ResetProgress(CopyRun& run, int line) {
  ProgressBar& bar = run.context().progress;
  run.Step(line, [&] { bar.SetValue(0.0); });
  run.Step(line, [&] { bar.SetText("Progress Bar"); });
}

// The progress bar's value for row `r` of rows 0..last, unrounded.
void ShowRowProgress(CopyRun& run, std::int64_t r, std::int64_t last, int line) {
  ProgressBar& bar = run.context().progress;
  run.Step(line, [&] {
    bar.SetValue(static_cast<double>(r + 1) / static_cast<double>(last + 1) * 100.0);
  });
}

void SetPointer(CopyRun& run, int shape, int line) {
  WindowPointer& pointer = run.context().pointer;
  run.Step(line, [&] { pointer.SetMousePointer(shape); });
}

void CloseConnections(CopyRun& run, int foxpro_line, int sybase_line) {
  run.Step(foxpro_line, [&] { run.foxpro().Close(); });
  run.Step(sybase_line, [&] { run.sybase().Close(); });
}

// Throws the record set's warnings, one per line, as one failure.
void ThrowWarnings(const ado::Recordset& records) {
  const std::vector<std::string>& warnings = records.Warnings();
  if (warnings.empty()) return;
  std::string text;
  for (const std::string& warning : warnings) {
    if (!text.empty()) text += "\r\n";
    text += warning;
  }
  throw ado::Error(text);
}

// Opens the source of one table (line 146) and, after a Yes to the overwrite
// question, only then drops the old target table (142) and its list entry
// (144): a source that cannot be read leaves the old table in place, and a
// table whose DROP failed is skipped rather than filled on top of the old
// rows. Returns false when the table is to be skipped.
bool OpenSourceAndReplace(CopyRun& run, int answer, const std::function<void()>& open_source,
                          ado::Connection& target, const std::string& drop_statement,
                          db::TableList& list, const std::string& entry, int close_line) {
  const bool opened = run.Step(146, open_source);
  // Damage the source was read around (a record count that disagrees with
  // the file, say) is reported once, at the open, before any row is copied.
  if (opened) run.Step(146, [&] { ThrowWarnings(run.records()); });
  if (answer != ui::kAnswerYes) return true;  // 140
  if (!opened) return false;
  if (!run.Step(142, [&] { target.Execute(drop_statement); })) {
    run.Step(close_line, [&] { run.records().Close(); });
    return false;
  }
  run.Step(144, [&] { ListRemoveItem(list, entry); });
  return true;
}

// ---- FoxPro to SQL ----

// The lines of the column type tests (kSqlColumnTests, in order), of their
// appends, and of recording a numeric position (0: not numeric).
struct SqlColumnLines {
  int test;
  int append;
  int numeric;
};
constexpr SqlColumnLines kSqlColumnLines[] = {{160, 162, 0},   {164, 166, 0}, {168, 170, 172},
                                              {174, 176, 178}, {180, 182, 0}, {184, 186, 0}};
static_assert(std::size(kSqlColumnLines) == std::size(kSqlColumnTests));

// Lines 160 to 188: appends one column definition by the first type test
// that matches `type_name`, and records its type in `types`.
void AppendSqlColumnStep(CopyRun& run, const std::string& column, const std::string& type_name,
                         std::vector<SqlColumnType>* types) {
  for (std::size_t t = 0; t < std::size(kSqlColumnTests); ++t) {
    const SqlColumnTest& test = kSqlColumnTests[t];
    const SqlColumnLines& lines = kSqlColumnLines[t];
    if (!run.Test(lines.test, [&] { return type_name.find(test.fragment) != std::string::npos; })) {
      continue;
    }
    run.Step(lines.append,
             [&] { AppendSqlColumn(&run.sql(), column, test.type, run.sql_dialect); });
    // The column's type is recorded with its definition; a numeric one also
    // on the line that records numeric positions.
    if (lines.numeric != 0) {
      run.Step(lines.numeric, [&] { types->push_back(test.type); });
    } else {
      types->push_back(test.type);
    }
    return;
  }
  run.Step(188, [&] {
    AppendSqlColumn(&run.sql(), column, SqlColumnType::kText, run.sql_dialect);
  });
  types->push_back(SqlColumnType::kText);
}

// Lines 148 to 198: builds and runs CREATE TABLE on the SQL side; fills
// `types` with each column's type. True when the CREATE succeeded.
bool CreateSqlTable(CopyRun& run, const std::string& table, std::vector<SqlColumnType>* types) {
  ado::Recordset& records = run.records();
  ui::Ui& ui = run.context().ui;
  run.Step(148, [&] { run.sql() = SqlCreateHead(table); });
  run.Step(150, [&] { types->clear(); });
  const int fields = run.Eval<int>(152, [&] { return records.FieldCount(); }, 0);
  for (int j = 0; j < fields; ++j) {
    run.Step(154, [&] { ui.DoEvents(); });
    std::string column;
    run.Step(156, [&] { column = records.Fields(j).name(); });
    std::string type_name;
    run.Step(158, [&] { type_name = LowerCase(AdoTypeName(records.Fields(j).Type())); });
    AppendSqlColumnStep(run, column, type_name, types);
  }
  run.Step(192, [&] { DropLast(&run.sql(), 1); });
  run.Step(194, [&] { run.sql() += ')'; });
  return run.Step(198, [&] { run.sybase().Execute(run.statement()); });
}

// The rows of a batch that goes through a bulk loader, kept as their values'
// pieces (SqlValuePiece) instead of as INSERTs: the loader gets each value's
// text from them, and a batch that has to go as INSERTs rebuilds exactly
// the INSERTs rows mode builds.
class BatchValues {
 public:
  // Starts a row (rows mode's line 220).
  void StartRow() {
    row_start_ = pieces_.size();
    row_open_ = true;
  }
  // Adds the row's next value (rows mode's appends, lines 236 to 260).
  void AddNull() { pieces_.push_back({text_.size(), 0, SqlPieceForm::kNull}); }
  void Add(const ado::Value& value, std::string_view text, SqlColumnType type,
           const ado::Dialect& dialect) {
    std::string_view piece_text;
    const SqlPieceForm form = SqlValuePiece(value, text, type, dialect, &piece_text);
    pieces_.push_back({text_.size(), piece_text.size(), form});
    text_ += piece_text;
  }
  // Ends the row started last.
  void EndRow() {
    row_ends_.push_back(pieces_.size());
    row_open_ = false;
  }

  std::size_t rows() const { return row_ends_.size(); }
  // The number of values of row `r`.
  std::size_t Columns(std::size_t r) const { return RowEnd(r) - RowStart(r); }
  // Sets `*out` to row `r`'s values as the loader takes them; a value
  // that is not a view of the kept text is a view of `(*scratch)[column]`.
  void LoaderRow(std::size_t r, const ado::Dialect& dialect, std::vector<BatchValue>* out,
                 std::vector<std::string>* scratch) const {
    const std::size_t begin = RowStart(r);
    const std::size_t columns = RowEnd(r) - begin;
    if (scratch->size() < columns) scratch->resize(columns);
    out->clear();
    for (std::size_t k = 0; k < columns; ++k) {
      std::string_view text;
      const bool has_value = SqlPieceLoaderValue(pieces_[begin + k].form, Text(begin + k), dialect,
                                                 &(*scratch)[k], &text);
      out->push_back({has_value ? text : std::string_view(), !has_value});
    }
  }
  // Sets `*out` to row `r`'s INSERT exactly as rows mode builds it (lines 220
  // to 266).
  void SetInsert(std::size_t r, std::string_view head, const ado::Dialect& dialect,
                 std::string* out) const {
    out->assign(head);
    AppendPieces(RowStart(r), RowEnd(r), dialect, out);
    DropLast(out, 2);
    *out += ')';
  }
  // Sets `*out` to the statement rows mode holds at this moment: the open
  // row's INSERT as far as it is built, else the last row's. False, with
  // `*out` unchanged, when no row of this batch was started (the statement
  // is then the one before the batch).
  bool SetCurrent(std::string_view head, const ado::Dialect& dialect, std::string* out) const {
    if (row_open_) {
      out->assign(head);
      AppendPieces(row_start_, pieces_.size(), dialect, out);
      return true;
    }
    if (rows() == 0) return false;
    SetInsert(rows() - 1, head, dialect, out);
    return true;
  }
  // Forgets the finished rows; the open row's values stay.
  void DropFinishedRows() {
    const std::size_t keep = row_open_ ? row_start_ : pieces_.size();
    const std::size_t text_start = keep < pieces_.size() ? pieces_[keep].offset : text_.size();
    text_.erase(0, text_start);
    pieces_.erase(pieces_.begin(), pieces_.begin() + static_cast<std::ptrdiff_t>(keep));
    for (Piece& piece : pieces_) piece.offset -= text_start;
    row_ends_.clear();
    row_start_ = 0;
  }

 private:
  struct Piece {
    std::size_t offset;
    std::size_t size;
    SqlPieceForm form;
  };
  std::size_t RowStart(std::size_t r) const { return r == 0 ? 0 : row_ends_[r - 1]; }
  std::size_t RowEnd(std::size_t r) const { return row_ends_[r]; }
  std::string_view Text(std::size_t i) const {
    return std::string_view(text_).substr(pieces_[i].offset, pieces_[i].size);
  }
  void AppendPieces(std::size_t begin, std::size_t end, const ado::Dialect& dialect,
                    std::string* out) const {
    for (std::size_t i = begin; i < end; ++i)
      AppendSqlPiece(out, pieces_[i].form, Text(i), dialect);
  }

  std::string text_;  // the pieces' texts, one after another
  std::vector<Piece> pieces_;
  std::vector<std::size_t> row_ends_;  // one past each row's last piece
  std::size_t row_start_ = 0;
  bool row_open_ = false;
};

// The three ways a value is appended, each with its own lines: a NUMERIC
// column, another column of a table that has NUMERIC columns, and a column
// of a table without them.
struct SqlValueLines {
  int empty_test;
  int null_append;
  int value_append;
};
constexpr SqlValueLines kNumericValueLines{232, 236, 238};
constexpr SqlValueLines kOtherValueLines{242, 246, 250};
constexpr SqlValueLines kNoNumericValueLines{252, 256, 260};

// Lines 226 to 260: one value of the current row, appended to the INSERT.
void AppendSqlValueSteps(CopyRun& run, SqlColumnType type, bool table_has_numeric) {
  // A value that cannot be read is reported and written as NULL.
  if (!run.Step(226, [&run] {
        AssignNullToDefault(&run.value, run.records().Fields(run.column).Value(),
                            ado::Value::Text(""));
        run.value_view = run.value.TextView(&run.value_text);
      })) {
    run.value = ado::Value::Text("");
    run.value_view = std::string_view();
  }
  const bool numeric = type == SqlColumnType::kNumeric;  // 228, 230
  const SqlValueLines& lines =
      numeric ? kNumericValueLines : table_has_numeric ? kOtherValueLines : kNoNumericValueLines;
  if (run.Test(lines.empty_test, [&run] { return run.value_view.empty(); })) {
    run.Step(lines.null_append, [&run] {
      if (run.direct != nullptr) {
        run.direct->AddNull();
      } else {
        AppendSqlNull(&run.sql());
      }
    });
  } else if (numeric) {
    run.Step(lines.value_append, [&run] {
      if (run.direct != nullptr) {
        run.direct->Add(run.value, run.value_view, SqlColumnType::kNumeric, run.sql_dialect);
      } else {
        AppendSqlNumber(&run.sql(), run.value, run.value_view, run.sql_dialect);
      }
    });
  } else {
    // The apostrophes (and escapes) are doubled as the literal is appended.
    run.Step(lines.value_append, [&run, type] {
      if (run.direct != nullptr) {
        run.direct->Add(run.value, run.value_view, type, run.sql_dialect);
      } else {
        AppendSqlText(&run.sql(), run.value, run.value_view, type, run.sql_dialect);
      }
    });
  }
}

// ---- Batch mode (FoxPro to SQL) ----

// A multi-row INSERT holds at most this many rows and, unless one row alone
// is longer, at most this many bytes.
constexpr std::size_t kMaxRowsPerInsert = 100;
constexpr std::size_t kMaxInsertBytes = std::size_t{1} << 20;

// The open batch of one table's copy: each row's INSERT exactly as rows mode
// builds it, sent together in one transaction when the batch is full and
// when the table ends. A batch that fails (a statement, the bulk load or the
// commit) is rolled back without a report and its rows go again one INSERT
// per row in autocommit, each failure reported as rows mode reports it.
// When the bulk loader takes the table, the rows are kept as their values
// (BatchValues) and handed to the loader as they come; their INSERTs are
// built only for a batch that has to go as INSERTs.
class SqlBatch {
 public:
  SqlBatch(CopyRun& run, BatchOptions& options, const std::string& table,
           const std::string& insert_head)
      : run_(run), options_(options), table_(table), insert_head_(insert_head) {
    bulk_ = options_.bulk != nullptr && options_.bulk->StartTable(run_.sybase(), table_);
    options_.flush_open_batch = [this] { Flush(); };
    if (bulk_) {
      run_.direct = &kept_;
      run_.report_sql = [this] { kept_.SetCurrent(insert_head_, run_.sql_dialect, &run_.sql()); };
    }
  }
  ~SqlBatch() {
    options_.flush_open_batch = nullptr;
    run_.direct = nullptr;
    run_.report_sql = nullptr;
  }
  SqlBatch(const SqlBatch&) = delete;
  SqlBatch& operator=(const SqlBatch&) = delete;

  // Adds the row just built: its finished INSERT is the statement of the
  // moment, or, with the bulk loader, its values were kept. Sends the batch
  // once it holds the configured number of rows.
  void AddRow() {
    if (bulk_) {
      kept_.EndRow();
      if (bulk_rows_ok_ && !AddBulkRow()) {
        // This batch goes as INSERTs: whatever of it the loader has sent
        // already is abandoned now, before the INSERTs meet its locks.
        bulk_rows_ok_ = false;
        options_.bulk->DiscardRows();
      }
    } else {
      statements_.push_back(run_.statement());
    }
    if (static_cast<std::int64_t>(Rows()) >= options_.rows) Flush();
  }

  // Sends the open batch, if any, and empties it. A row being built (a
  // flush from inside a row's steps) stays for the next batch.
  void Flush() {
    if (Rows() == 0) return;
    // Reports while sending show the resent rows' INSERTs as they are set.
    std::function<void()> report_sql = std::move(run_.report_sql);
    run_.report_sql = nullptr;
    if (bulk_) kept_.SetCurrent(insert_head_, run_.sql_dialect, &run_.sql());
    const std::string current = run_.statement();
    if (bulk_ && !bulk_rows_ok_) BuildInserts();
    const bool sent = run_.trap().Silent([this] { Send(); });
    if (sent) inserted_ = true;
    EndTransaction();
    if (!sent) {
      if (statements_.empty()) BuildInserts();
      Resend();
    }
    if (bulk_) {
      options_.bulk->DiscardRows();
      kept_.DropFinishedRows();
    }
    statements_.clear();
    bulk_rows_ok_ = true;
    run_.sql() = current;
    run_.report_sql = std::move(report_sql);
  }

  // True when at least one row arrived.
  bool inserted() const { return inserted_; }

 private:
  std::size_t Rows() const { return bulk_ ? kept_.rows() : statements_.size(); }

  // Hands the last kept row's values to the bulk loader. False for a row
  // without values, whose INSERT no loader row matches.
  bool AddBulkRow() {
    const std::size_t row = kept_.rows() - 1;
    if (kept_.Columns(row) == 0) return false;
    kept_.LoaderRow(row, run_.sql_dialect, &values_, &texts_);
    options_.bulk->AddRow(values_);
    return true;
  }

  // The kept rows' INSERTs, for a batch that goes as INSERTs.
  void BuildInserts() {
    statements_.resize(kept_.rows());
    for (std::size_t r = 0; r < statements_.size(); ++r) {
      kept_.SetInsert(r, insert_head_, run_.sql_dialect, &statements_[r]);
    }
  }

  // Sends the batch in one transaction; throws when any part fails.
  void Send() {
    if (bulk_ && bulk_rows_ok_) {
      options_.bulk->SendRows(table_);
      return;
    }
    ado::Connection& sql = run_.sybase();
    autocommit_off_ = true;  // whether or not the switch succeeds, it is switched back
    sql.SetAutoCommit(false);
    in_transaction_ = true;
    const bool multi_row = run_.sql_dialect.TakesMultiRowInsert();
    // "INSERT INTO "t" VALUES" followed by each row's "(...)", comma-separated.
    const std::string_view head = std::string_view(insert_head_).substr(0, insert_head_.size() - 1);
    std::string statement;
    for (std::size_t i = 0; i < statements_.size();) {
      const std::string& row = statements_[i];
      if (!multi_row || row.compare(0, insert_head_.size(), insert_head_) != 0) {
        sql.Execute(row);
        ++i;
        continue;
      }
      statement.assign(head);
      std::size_t count = 0;
      while (i < statements_.size() && count < kMaxRowsPerInsert &&
             statements_[i].compare(0, insert_head_.size(), insert_head_) == 0) {
        const std::string_view tuple = std::string_view(statements_[i]).substr(head.size());
        if (count > 0 && statement.size() + 1 + tuple.size() > kMaxInsertBytes) break;
        if (count > 0) statement += ',';
        statement += tuple;
        ++count;
        ++i;
      }
      sql.Execute(statement);
    }
    sql.CommitTrans();
    in_transaction_ = false;
  }

  // After Send: rolls back what a failed Send left open, and returns the
  // connection to autocommit. Kept apart from Send, so that a failure here
  // can never resend rows that were committed.
  void EndTransaction() {
    if (!autocommit_off_) return;
    ado::Connection& sql = run_.sybase();
    if (in_transaction_) run_.trap().Silent([&sql] { sql.RollbackTrans(); });
    in_transaction_ = false;
    run_.trap().Silent([&sql] { sql.SetAutoCommit(true); });
    autocommit_off_ = false;
  }

  // Line 274 for every row of the batch, as rows mode sends it.
  void Resend() {
    options_.rows_resent += static_cast<std::int64_t>(statements_.size());
    for (std::string& row : statements_) {
      run_.sql() = std::move(row);
      if (run_.Step(274, [this] { run_.sybase().Execute(run_.statement()); })) inserted_ = true;
    }
  }

  CopyRun& run_;
  BatchOptions& options_;
  const std::string& table_;
  const std::string& insert_head_;
  bool bulk_ = false;         // the bulk loader took this table
  bool bulk_rows_ok_ = true;  // every row of the open batch reached the loader
  bool autocommit_off_ = false;
  bool in_transaction_ = false;
  bool inserted_ = false;
  std::vector<std::string> statements_;
  BatchValues kept_;  // with the bulk loader: the rows' values
  // AddBulkRow's buffers, kept from row to row.
  std::vector<std::string> texts_;
  std::vector<BatchValue> values_;
};

// Lines 210 to 276: one INSERT per row. True when at least one succeeded.
bool CopyRowsToSybase(CopyRun& run, const std::string& table,
                      const std::vector<SqlColumnType>& types, std::int64_t last) {
  ado::Recordset& records = run.records();
  ui::Ui& ui = run.context().ui;
  // Every row's statement starts the same; it is copied into the statement
  // buffer, which keeps its size from row to row.
  const std::string insert_head = SqlInsertHead(table);
  bool table_has_numeric = false;
  run.Step(210, [&] {
    for (SqlColumnType type : types) table_has_numeric |= type == SqlColumnType::kNumeric;
  });
  bool inserted = false;
  // Batch mode (command line): the rows are built as below and sent by the
  // batch instead of at line 274.
  std::optional<SqlBatch> batch;
  if (run.context().batch != nullptr) batch.emplace(run, *run.context().batch, table, insert_head);
  for (std::int64_t r = 0; r <= last; ++r) {
    run.Step(214, [&] { ui.DoEvents(); });
    ShowRowProgress(run, r, last, 218);
    run.Step(220, [&] {
      if (run.direct != nullptr) {
        run.direct->StartRow();
      } else {
        run.sql().assign(insert_head);
      }
    });
    const int fields = run.Eval<int>(
        222, [&] { return records.FieldCount(); }, 0);
    for (int j = 0; j < fields; ++j) {
      run.column = j;
      run.Step(224, [&ui] { ui.DoEvents(); });
      // A column whose definition failed is written as text.
      auto position = static_cast<std::size_t>(j);
      SqlColumnType type = position < types.size() ? types[position] : SqlColumnType::kText;
      AppendSqlValueSteps(run, type, table_has_numeric);
    }
    // Kept values need no closing: BatchValues closes each rebuilt INSERT.
    if (run.direct == nullptr) {
      run.Step(264, [&] { DropLast(&run.sql(), 2); });
      run.Step(266, [&] { run.sql() += ')'; });
    }
    if (batch) {
      batch->AddRow();
    } else if (run.Step(274, [&] { run.sybase().Execute(run.statement()); })) {
      inserted = true;
    }
    run.Step(276, [&] { records.MoveNext(); });
  }
  if (batch) {
    batch->Flush();
    inserted = batch->inserted();
  }
  return inserted;
}

// Lines 126 to 284: one entry of List1.
void CopyTableToSybase(CopyRun& run, int index) {
  TableWindowContext& c = run.context();
  ado::Recordset& records = run.records();
  run.Step(126, [&] { c.ui.DoEvents(); });
  if (!run.Test(128, [&] { return c.list1.Selected(index); })) return;
  std::string table;
  run.Step(130, [&] { table = c.list1.List(index); });
  const int answer = AskOverwrite(run, c.list2, table, 132);
  if (answer == ui::kAnswerNo) return;  // 138
  if (!OpenSourceAndReplace(
          run, answer, [&] { records.Open(FoxproSelectStatement(table), run.foxpro(), 3, 3); },
          run.sybase(), SqlDropStatement(table), c.list2, LowerCase(table), 282)) {
    return;
  }
  TableOutcome outcome;
  std::vector<SqlColumnType> types;
  outcome.created = CreateSqlTable(run, table, &types);
  const std::int64_t last =
      run.Eval<std::int64_t>(206, [&] { return records.RecordCount() - 1; }, -1);
  c.progress.StartTable(table, last + 1);
  if (run.Test(208, [&] { return !records.IsEOF(); })) {
    outcome.inserted = CopyRowsToSybase(run, table, types, last);
  }
  c.progress.EndTable();
  SetPointer(run, ui::kDefaultPointer, 278);
  ResetProgress(run, 280);
  run.Step(282, [&] { records.Close(); });
  AddTargetEntry(run, c.list2, LowerCase(table), outcome, 284);
}

// ---- SQL to FoxPro ----

// Lines 162 to 202: appends one column definition by the first type test
// (kFoxproColumnTests; test n on line 162 + 4n, its append on the next line)
// that matches `type_name`, and records its type in `types`.
void AppendFoxproColumnStep(CopyRun& run, const std::string& column,
                            const std::string& type_name, std::vector<FoxproColumnType>* types) {
  int line = 162;
  for (const FoxproColumnTest& test : kFoxproColumnTests) {
    if (run.Test(line, [&] { return type_name.find(test.fragment) != std::string::npos; })) {
      run.Step(line + 2, [&] { AppendFoxproColumn(&run.sql(), column, test.type); });
      types->push_back(test.type);
      return;
    }
    line += 4;
  }
  run.Step(202, [&] { AppendFoxproColumn(&run.sql(), column, FoxproColumnType::kMemo); });
  types->push_back(FoxproColumnType::kMemo);
}

// Lines 148 to 212: builds and runs CREATE TABLE on the FoxPro side; fills
// `types` with each column's type. True when the CREATE succeeded.
bool CreateFoxproTable(CopyRun& run, const std::string& table,
                       std::vector<FoxproColumnType>* types) {
  ado::Recordset& records = run.records();
  ui::Ui& ui = run.context().ui;
  run.Step(148, [&] { run.sql() = FoxproCreateHead(table); });
  types->clear();
  const int fields = run.Eval<int>(150, [&] { return records.FieldCount(); }, 0);
  for (int j = 0; j < fields; ++j) {
    run.Step(152, [&] { ui.DoEvents(); });
    std::string column;
    run.Step(154, [&] { column = records.Fields(j).name(); });
    run.Step(156, [&] { std::replace(column.begin(), column.end(), ' ', '_'); });
    run.Step(158, [&] { std::replace(column.begin(), column.end(), '/', '_'); });
    std::string type_name;
    run.Step(160, [&] { type_name = LowerCase(AdoTypeName(records.Fields(j).Type())); });
    AppendFoxproColumnStep(run, column, type_name, types);
  }
  run.Step(206, [&] { DropLast(&run.sql(), 1); });
  run.Step(208, [&] { run.sql() += ");"; });
  return run.Step(212, [&] { run.foxpro().Execute(run.statement()); });
}

// Lines 234 to 244: one value of the current row, appended to the INSERT.
// A binary value bound for a BLOB column goes in bare, as FoxPro's binary
// literal, like NULL does.
void AppendFoxproValueSteps(CopyRun& run, FoxproColumnType type) {
  // A value that cannot be read is reported and written as NULL.
  bool binary = false;
  if (!run.Step(234, [&run, type, &binary] {
        // NullToDefault(value, "") has the value's own text form (a null's
        // is empty); it is written over the previous value's buffer.
        const ado::Value& value = run.records().Fields(run.column).Value();
        value.AssignTextTo(&run.value_text);
        binary = IsFoxproBinaryLiteral(type, value);
      })) {
    run.value_text.clear();
  }
  if (run.Test(236, [&run, binary] { return run.value_text.empty() || binary; })) {
    run.Step(238, [&run] { CloseFoxproQuote(&run.sql()); });
    run.Step(240, [&run, binary] {
      if (!binary) {
        AppendFoxproBare(&run.sql(), "NULL");
        return;
      }
      AppendFoxproBinaryLiteral(&run.sql(), run.value_text);
      run.sql() += ", '";
    });
    return;
  }
  // The apostrophes are doubled as the text is appended.
  run.Step(244, [&run] { AppendFoxproValue(&run.sql(), run.value_text); });
}

// Lines 222 to 260: one INSERT per row. True when at least one succeeded.
bool CopyRowsToFoxpro(CopyRun& run, const std::string& table,
                      const std::vector<FoxproColumnType>& types, std::int64_t last) {
  ado::Recordset& records = run.records();
  ui::Ui& ui = run.context().ui;
  const std::string insert_head = FoxproInsertHead(table);
  bool inserted = false;
  for (std::int64_t r = 0; r <= last; ++r) {
    run.Step(224, [&] { ui.DoEvents(); });
    ShowRowProgress(run, r, last, 226);
    run.Step(228, [&] { run.sql().assign(insert_head); });
    const int fields = run.Eval<int>(230, [&] { return records.FieldCount(); }, 0);
    for (int j = 0; j < fields; ++j) {
      run.column = j;
      run.Step(232, [&ui] { ui.DoEvents(); });
      // A column whose definition failed is written as memo text.
      auto position = static_cast<std::size_t>(j);
      AppendFoxproValueSteps(run, position < types.size() ? types[position]
                                                          : FoxproColumnType::kMemo);
    }
    run.Step(248, [&] { DropLast(&run.sql(), 3); });
    run.Step(250, [&] { run.sql() += ')'; });
    // Line breaks stay in the statement: the FoxPro engine takes them inside
    // literals, so multi-line text arrives as it was.
    if (run.Step(258, [&] { run.foxpro().Execute(run.statement()); })) inserted = true;
    run.Step(260, [&] { records.MoveNext(); });
  }
  return inserted;
}

// Lines 128 to 268: one entry of List2.
void CopyTableToFoxpro(CopyRun& run, int index) {
  TableWindowContext& c = run.context();
  ado::Recordset& records = run.records();
  if (!run.Test(128, [&] { return c.list2.Selected(index); })) return;
  std::string table;
  run.Step(130, [&] { table = c.list2.List(index); });
  const int answer = AskOverwrite(run, c.list1, table, 132);
  if (answer == ui::kAnswerNo) return;  // 138
  if (!OpenSourceAndReplace(
          run, answer, [&] { records.Open(SqlSelectStatement(table), run.sybase()); },
          run.foxpro(), FoxproDropStatement(table), c.list1, table, 266)) {
    return;
  }
  TableOutcome outcome;
  std::vector<FoxproColumnType> types;
  outcome.created = CreateFoxproTable(run, table, &types);
  const std::int64_t last =
      run.Eval<std::int64_t>(220, [&] { return records.RecordCount() - 1; }, -1);
  c.progress.StartTable(table, last + 1);
  outcome.inserted = CopyRowsToFoxpro(run, table, types, last);
  c.progress.EndTable();
  SetPointer(run, ui::kDefaultPointer, 262);
  ResetProgress(run, 264);
  run.Step(266, [&] { records.Close(); });
  AddTargetEntry(run, c.list1, table, outcome, 268);
}

}  // namespace

void SendFoxproToSybase(TableWindowContext& context) {
  ui::OperationGuard guard;
  if (!guard.acquired()) return;  // another database operation is running
  CopyRun run(context, "PushButton3_Click");
  // (100, 102, 104) The connection and record-set objects are members of run.
  if (NoCurrentEntry(run, context.list1, 106, 300, "Please select a table")) return;
  SetPointer(run, ui::kBusyPointer, 108);
  OpenSybase(run, 110, 2);
  OpenFoxpro(run, 116, 3);
  const int count = run.Eval<int>(124, [&] { return context.list1.ListCount(); }, 0);
  for (int index = count - 1; index >= 0; --index) CopyTableToSybase(run, index);
  CloseConnections(run, 294, 296);
  SetPointer(run, ui::kDefaultPointer, 298);
}

void SendSybaseToFoxpro(TableWindowContext& context) {
  ui::OperationGuard guard;
  if (!guard.acquired()) return;  // another database operation is running
  CopyRun run(context, "PushButton4_Click");
  // (100, 102, 104) The connection and record-set objects are members of run.
  if (NoCurrentEntry(run, context.list2, 108, 284, "Please select a table to send.")) return;
  SetPointer(run, ui::kBusyPointer, 110);
  OpenSybase(run, 112, 3);
  OpenFoxpro(run, 118, 2);
  const int count = run.Eval<int>(126, [&] { return context.list2.ListCount(); }, 0);
  for (int index = count - 1; index >= 0; --index) CopyTableToFoxpro(run, index);
  SetPointer(run, ui::kDefaultPointer, 278);
  CloseConnections(run, 280, 282);
}

}  // namespace transfer
