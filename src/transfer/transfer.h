// The two table copies of the table window (Form2): FoxPro tables selected in
// List1 sent to the SQL data source (PushButton3_Click), and SQL tables
// selected in List2 sent to the FoxPro data (PushButton4_Click). Plain C++:
// the window hands in its lists, progress bar and pointer through small
// interfaces and the handlers never touch Qt.
#ifndef QUILLOMAR_TRANSFER_TRANSFER_H_
#define QUILLOMAR_TRANSFER_TRANSFER_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "db/connection_fields.h"
#include "db/table_list.h"
#include "platform/ui/ui.h"

class QWidget;

namespace ado {
class Connection;
}

namespace transfer {

// The table window's progress bar (ProgressBar1) as the copies drive it.
class ProgressBar {
 public:
  virtual ~ProgressBar() = default;
  // Sets the bar's value, 0 to 100, unrounded (the bar rounds for display).
  virtual void SetValue(double value) = 0;
  // Sets the text shown on the bar ("Progress Bar" between copies).
  virtual void SetText(const std::string& text) = 0;
  // Told when a table's rows are about to be copied (`rows` is the source's
  // record count, -1 when unknown) and when that table's copy has ended; the
  // window's bar ignores both, a console shows a line per table.
  virtual void StartTable(const std::string& /*table*/, std::int64_t /*rows*/) {}
  virtual void EndTable() {}
};

// The table window's mouse pointer.
class WindowPointer {
 public:
  virtual ~WindowPointer() = default;
  // Sets the window's pointer shape: ui::kBusyPointer (11) or
  // ui::kDefaultPointer (0).
  virtual void SetMousePointer(int shape) = 0;
};

// A WindowPointer that sets the shape on `window` through the ui interface;
// what the table window normally passes.
class UiWindowPointer : public WindowPointer {
 public:
  UiWindowPointer(ui::Ui& ui, QWidget* window) : ui_(ui), window_(window) {}
  void SetMousePointer(int shape) override { ui_.SetPointer(window_, shape); }

 private:
  ui::Ui& ui_;
  QWidget* window_;
};

// One value of a row as a batch hands it to a bulk loader: the text the
// row's INSERT carries for it, or null where the INSERT writes NULL.
struct BatchValue {
  std::string_view text;
  bool null = false;
};

// Another way to send a batch's rows than INSERT statements (the command
// line's COPY to PostgreSQL). Used by one copy at a time.
class BulkLoader {
 public:
  virtual ~BulkLoader() = default;
  // Called before the first batch of `table` (after its CREATE TABLE) with
  // the open SQL connection. True when this table's batches go through the
  // loader; false sends them as INSERTs. Never throws.
  virtual bool StartTable(ado::Connection& sql, const std::string& table) = 0;
  // Adds one row to the open batch; the texts are copied. The loader may
  // send rows of the batch before SendRows, inside the batch's own
  // transaction, which only SendRows commits. Never throws.
  virtual void AddRow(const std::vector<BatchValue>& row) = 0;
  // Sends the open batch into `table` in one transaction of its own and
  // empties it. Throws (with that transaction rolled back) when it fails.
  virtual void SendRows(const std::string& table) = 0;
  // Empties the open batch without sending it; rows of it already sent are
  // rolled back.
  virtual void DiscardRows() = 0;
};

// Batch mode of the copy to SQL (command line only): the rows of a table go
// in transactions of `rows` rows, as multi-row INSERTs where the dialect
// takes them, or through `bulk` when it accepts the table. A batch that
// fails is rolled back and its rows sent again one INSERT per row in
// autocommit, so that the rows that arrive, and the reports, are those of
// one INSERT per row. CREATE and DROP keep autocommit.
struct BatchOptions {
  std::int64_t rows = 10000;   // rows per transaction, at least 1
  BulkLoader* bulk = nullptr;  // may be null; not owned
  // Set by the copy while a table's rows are copied: sends and commits the
  // rows built so far (whole rows only). Empty otherwise. For Ctrl-C.
  std::function<void()> flush_open_batch;
  // Counted by the copy: rows of failed batches that went again one INSERT
  // per row.
  std::int64_t rows_resent = 0;
};

// Everything one click of a table-window button works with (the copies, and
// deleting and renaming in transfer/maintenance.h). The handler reads and
// edits both lists and owns nothing but the fields: every referenced object
// must outlive the call (it runs modal boxes and yields to the event loop
// while it works).
struct TableWindowContext {
  ui::Ui& ui;
  // The table window: owner of every box. May be null in tests.
  QWidget* owner;
  // The connection window's fields, as they were when the button was clicked.
  db::ConnectionFields fields;
  // List1: FoxPro tables. List2: tables of the SQL data source.
  db::TableList& list1;
  db::TableList& list2;
  ProgressBar& progress;
  WindowPointer& pointer;
  // Title of the handlers' own boxes: the application title.
  std::string application_title;
  // Null: one INSERT per row in autocommit, as the window copies. Otherwise
  // the copy to SQL sends batches (see BatchOptions); the copy to FoxPro
  // ignores it.
  BatchOptions* batch = nullptr;
};

// Form2.PushButton3_Click, "Send Table/s To Sybase iAny": copies every FoxPro
// table selected in List1 (lowest in the list first) into the SQL data
// source: asks before replacing a table List2 shows, creates the table with
// TEXT, NUMERIC and BIT columns, sends one INSERT per row, and adds the
// lower-cased name to List2 when the table exists afterwards. Every failing
// step shows the error report (with the statement of that moment after
// "sql: ") and the copy goes on. Ignored while another database operation
// runs. Never throws.
void SendFoxproToSybase(TableWindowContext& context);

// Form2.PushButton4_Click, "Send Table/s To FoxPro": copies every SQL table
// selected in List2 (lowest in the list first) into the FoxPro data as a
// table of memo columns (BLOB for long binary columns), one INSERT per row,
// and adds the name unchanged to List1 when the table exists afterwards.
// Failures are reported and the copy goes on, as above. Never throws.
void SendSybaseToFoxpro(TableWindowContext& context);

}  // namespace transfer

#endif  // QUILLOMAR_TRANSFER_TRANSFER_H_
