#include "transfer/transfer.h"

#include <cstdint>
#include <functional>
#include <vector>

#include "ado/connection.h"
#include "app/trap.h"
#include "platform/ui/operation_guard.h"
#include "transfer/datatype.h"
#include "transfer/list_helpers.h"
#include "transfer/statements.h"

namespace transfer {
namespace {

constexpr int kNoAnswer = 0;

// One click of either copy: the trap, both connections, the source record
// set and the statement of the moment, which every report shows after
// "sql: ".
class CopyRun {
 public:
  CopyRun(TransferContext& context, const char* handler)
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

  TransferContext& context() { return context_; }
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

  // Runs a numbered step under the trap; false when it failed (reported).
  template <typename Body>
  bool Step(int line, Body&& body) {
    return trap_.Step(line, body);
  }
  // A numbered branch test or loop head: its result, or true when the test
  // itself failed (the branch is entered after the report).
  template <typename Body>
  bool Test(int line, Body&& test) {
    return trap_.Test(line, test);
  }
  template <typename T, typename Body>
  T Eval(int line, Body&& body, T fallback) {
    return trap_.Eval<T>(line, body, fallback);
  }

 private:
  TransferContext& context_;
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
  TransferContext& c = run.context();
  if (!run.Test(line, [&] { return source.ListIndex() == -1; })) return false;
  run.Step(box_line, [&] { c.ui.MessageBox(c.owner, message, ui::kOkOnly, c.application_title); });
  return true;
}

// Opens the SQL side: cursor location, provider "MSDASQL", "Data Source=".
void OpenSybase(CopyRun& run, int first_line, int cursor_location) {
  ado::Connection& sybase = run.sybase();
  const db::ConnectionFields& fields = run.context().fields;
  run.Step(first_line, [&] { sybase.SetCursorLocation(cursor_location); });
  run.Step(first_line + 2, [&] { sybase.SetProvider("MSDASQL"); });
  run.Step(first_line + 4, [&] { sybase.Open(db::SybaseConnectionString(fields)); });
}

// Opens the FoxPro side: the container of Text1 or the folder of Text2.
void OpenFoxpro(CopyRun& run, int first_line, int cursor_location) {
  ado::Connection& foxpro = run.foxpro();
  const db::ConnectionFields& fields = run.context().fields;
  run.Step(first_line, [&] { foxpro.SetCursorLocation(cursor_location); });
  if (run.Test(first_line + 2, [&] { return fields.Option1(); })) {
    run.Step(first_line + 4, [&] {
      foxpro.Open("Provider=vfpoledb.1;Data Source=" + fields.Text1() +
                  ";Collating Sequence=machine;");
    });
  } else {
    run.Step(first_line + 6, [&] {
      foxpro.Open("Provider=vfpoledb.1;Data Source=" + fields.Text2() +
                  ";Collating Sequence=general;");
    });
  }
}

// Asks the overwrite question when `target` shows `table` in any letter
// case. Returns the answer, or kNoAnswer when nothing was asked.
int AskOverwrite(CopyRun& run, const db::TableList& target, const std::string& table,
                 int line) {
  TransferContext& c = run.context();
  int answer = kNoAnswer;
  if (run.Test(line, [&] { return ListContains(target, table); })) {
    run.Step(line + 2, [&] {
      answer = c.ui.MessageBox(c.owner, "Would you like to overwrite " + table + "?", ui::kYesNo,
                               "Overwrite?");
    });
  }
  return answer;
}

// Drops the old target table after a Yes and removes `entry` from the
// target list, but only when the DROP succeeded: a table that is still there
// keeps its entry.
void DropOldTable(CopyRun& run, ado::Connection& target, const std::string& drop_statement,
                  db::TableList& list, const std::string& entry, int line) {
  if (run.Step(line, [&] { target.Execute(drop_statement); })) {
    run.Step(line + 2, [&] { ListRemoveItem(list, entry); });
  }
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

// ---- FoxPro to SQL ----

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
    run.Step(160, [&] {
      SqlColumnType type = SqlColumnTypeFor(type_name);
      AppendSqlColumn(&run.sql(), column, type);
      types->push_back(type);
    });
  }
  run.Step(192, [&] { FinishSqlCreate(&run.sql()); });
  return run.Step(198, [&] { run.sybase().Execute(run.statement()); });
}

// Lines 210 to 276: one INSERT per row. True when at least one succeeded.
bool CopyRowsToSybase(CopyRun& run, const std::string& table,
                      const std::vector<SqlColumnType>& types, std::int64_t last) {
  ado::Recordset& records = run.records();
  ui::Ui& ui = run.context().ui;
  // Every row's statement starts the same; it is copied into the statement
  // buffer, which keeps its size from row to row.
  const std::string insert_head = SqlInsertHead(table);
  bool inserted = false;
  for (std::int64_t r = 0; r <= last; ++r) {
    run.Step(214, [&] { ui.DoEvents(); });
    ShowRowProgress(run, r, last, 218);
    run.Step(220, [&] { run.sql().assign(insert_head); });
    const int fields = run.Eval<int>(222, [&] { return records.FieldCount(); }, 0);
    for (int j = 0; j < fields; ++j) {
      run.column = j;
      run.Step(224, [&ui] { ui.DoEvents(); });
      run.Step(226, [&run] {
        AssignNullToDefault(&run.value, run.records().Fields(run.column).Value(),
                            ado::Value::Text(""));
      });
      // A column whose definition failed is written as text.
      auto position = static_cast<std::size_t>(j);
      SqlColumnType type = position < types.size() ? types[position] : SqlColumnType::kText;
      run.Step(232, [&run, type] { AppendSqlValue(&run.sql(), run.value, type); });
    }
    run.Step(264, [&] { FinishSqlInsert(&run.sql()); });
    if (run.Step(274, [&] { run.sybase().Execute(run.statement()); })) inserted = true;
    run.Step(276, [&] { records.MoveNext(); });
  }
  return inserted;
}

// Lines 126 to 284: one entry of List1.
void CopyTableToSybase(CopyRun& run, int index) {
  TransferContext& c = run.context();
  ado::Recordset& records = run.records();
  run.Step(126, [&] { c.ui.DoEvents(); });
  if (!run.Test(128, [&] { return c.list1.Selected(index); })) return;
  std::string table;
  run.Step(130, [&] { table = c.list1.List(index); });
  const int answer = AskOverwrite(run, c.list2, table, 132);
  if (answer == ui::kAnswerNo) return;  // 138
  if (answer == ui::kAnswerYes) {       // 140
    DropOldTable(run, run.sybase(), SqlDropStatement(table), c.list2, LowerCase(table), 142);
  }
  run.Step(146, [&] { records.Open(FoxproSelectStatement(table), run.foxpro(), 3, 3); });
  TableOutcome outcome;
  std::vector<SqlColumnType> types;
  outcome.created = CreateSqlTable(run, table, &types);
  const std::int64_t last =
      run.Eval<std::int64_t>(206, [&] { return records.RecordCount() - 1; }, -1);
  if (run.Test(208, [&] { return !records.IsEOF(); })) {
    outcome.inserted = CopyRowsToSybase(run, table, types, last);
  }
  SetPointer(run, ui::kDefaultPointer, 278);
  ResetProgress(run, 280);
  run.Step(282, [&] { records.Close(); });
  AddTargetEntry(run, c.list2, LowerCase(table), outcome, 284);
}

// ---- SQL to FoxPro ----

// Lines 148 to 212: builds and runs CREATE TABLE on the FoxPro side. True
// when the CREATE succeeded.
bool CreateFoxproTable(CopyRun& run, const std::string& table) {
  ado::Recordset& records = run.records();
  ui::Ui& ui = run.context().ui;
  run.Step(148, [&] { run.sql() = FoxproCreateHead(table); });
  const int fields = run.Eval<int>(150, [&] { return records.FieldCount(); }, 0);
  for (int j = 0; j < fields; ++j) {
    run.Step(152, [&] { ui.DoEvents(); });
    std::string column;
    run.Step(154, [&] { column = records.Fields(j).name(); });
    run.Step(156, [&] { column = FoxproColumnName(column); });
    std::string type_name;
    run.Step(160, [&] { type_name = LowerCase(AdoTypeName(records.Fields(j).Type())); });
    run.Step(162, [&] {
      AppendFoxproColumn(&run.sql(), column, FoxproColumnTypeFor(type_name));
    });
  }
  run.Step(206, [&] { FinishFoxproCreate(&run.sql()); });
  return run.Step(212, [&] { run.foxpro().Execute(run.statement()); });
}

// Lines 222 to 260: one INSERT per row. True when at least one succeeded.
bool CopyRowsToFoxpro(CopyRun& run, const std::string& table, std::int64_t last) {
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
      run.Step(234, [&run] {
        // NullToDefault(value, "") has the value's own text form (a null's
        // is empty); it is written over the previous value's buffer.
        run.records().Fields(run.column).Value().AssignTextTo(&run.value_text);
      });
      run.Step(236, [&run] { AppendFoxproValue(&run.sql(), run.value_text); });
    }
    run.Step(248, [&] { FinishFoxproInsert(&run.sql()); });
    // Line breaks stay in the statement: the FoxPro engine takes them inside
    // literals, so multi-line text arrives as it was.
    if (run.Step(258, [&] { run.foxpro().Execute(run.statement()); })) inserted = true;
    run.Step(260, [&] { records.MoveNext(); });
  }
  return inserted;
}

// Lines 128 to 268: one entry of List2.
void CopyTableToFoxpro(CopyRun& run, int index) {
  TransferContext& c = run.context();
  ado::Recordset& records = run.records();
  if (!run.Test(128, [&] { return c.list2.Selected(index); })) return;
  std::string table;
  run.Step(130, [&] { table = c.list2.List(index); });
  const int answer = AskOverwrite(run, c.list1, table, 132);
  if (answer == ui::kAnswerNo) return;  // 138
  if (answer == ui::kAnswerYes) {       // 140
    DropOldTable(run, run.foxpro(), FoxproDropStatement(table), c.list1, table, 142);
  }
  run.Step(146, [&] { records.Open(SqlSelectStatement(table), run.sybase()); });
  TableOutcome outcome;
  outcome.created = CreateFoxproTable(run, table);
  const std::int64_t last =
      run.Eval<std::int64_t>(220, [&] { return records.RecordCount() - 1; }, -1);
  outcome.inserted = CopyRowsToFoxpro(run, table, last);
  SetPointer(run, ui::kDefaultPointer, 262);
  ResetProgress(run, 264);
  run.Step(266, [&] { records.Close(); });
  AddTargetEntry(run, c.list1, table, outcome, 268);
}

}  // namespace

void SendFoxproToSybase(TransferContext& context) {
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

void SendSybaseToFoxpro(TransferContext& context) {
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
