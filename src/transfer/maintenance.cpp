#include "transfer/maintenance.h"

#include <memory>
#include <string>
#include <string_view>

#include "ado/connection.h"
#include "app/trap.h"
#include "db/connect.h"
#include "db/new_connection.h"
#include "platform/ui/operation_guard.h"
#include "transfer/statements.h"

namespace transfer {
namespace {

constexpr char kWindowName[] = "Form2";

// The connection a step works on; a connection that could not even be
// created fails the step like an unset object would.
ado::Connection& Require(const std::unique_ptr<ado::Connection>& connection) {
  if (!connection) throw ado::Error("Object variable or With block variable not set", 91);
  return *connection;
}

int CountSelected(const db::TableList& list) {
  int selected = 0;
  for (int i = 0, count = list.ListCount(); i < count; ++i) {
    if (list.Selected(i)) ++selected;
  }
  return selected;
}

void ShowInfo(TableWindowContext& c, const std::string& text) {
  c.ui.MessageBox(c.owner, text, ui::kOkOnly, c.application_title);
}

// Drops every selected table of `list`, last position first. An entry leaves
// the list only when its DROP TABLE succeeded, so the list never shows a
// table as gone that still exists. Lines: first_line loop head, +2 the
// selection test, +4 the statement, +6 the removal.
void DeleteSelected(app::Trap& trap, const std::unique_ptr<ado::Connection>& connection,
                    db::TableList& list, int first_line,
                    std::string (*statement)(std::string_view)) {
  int count = 0;
  trap.Test(first_line, [&] {
    count = list.ListCount();
    return true;
  });
  for (int i = count - 1; i >= 0; --i) {
    if (!trap.Test(first_line + 2, [&] { return list.Selected(i); })) continue;
    const bool dropped =
        trap.Step(first_line + 4, [&] { Require(connection).Execute(statement(list.List(i))); });
    if (dropped) trap.Step(first_line + 6, [&] { list.RemoveItem(i); });
  }
}

// Lines 100 to 106 of the SQL side's buttons: a new connection, the busy
// pointer, the provider and the open.
void OpenSybase(TableWindowContext& c, app::Trap& trap,
                std::unique_ptr<ado::Connection>& connection) {
  trap.Step(100, [&] { connection = db::NewConnection(); });
  trap.Step(102, [&] { c.pointer.SetMousePointer(ui::kBusyPointer); });
  trap.Step(104, [&] { db::SetSybaseProvider(Require(connection)); });
  trap.Step(106, [&] { db::OpenSybase(Require(connection), c.fields); });
}

// Renames the one selected entry of List2 (the caller checked that exactly
// one is selected). The list changes only when ALTER TABLE succeeded: the old
// entry goes, the new name takes its sorted place unselected, and the first
// entry becomes current.
void RenameSelected(TableWindowContext& c, app::Trap& trap,
                    const std::unique_ptr<ado::Connection>& connection) {
  db::TableList& list = c.list2;
  int count = 0;
  trap.Test(112, [&] {
    count = list.ListCount();
    return true;
  });
  for (int i = count - 1; i >= 0; --i) {
    if (!trap.Test(114, [&] { return list.Selected(i); })) continue;
    std::string old_name;
    std::string new_name;
    trap.Step(116, [&] { old_name = list.List(i); });
    trap.Step(118, [&] {
      new_name = c.ui.InputBox(c.owner, "Enter new name of " + old_name + ":", c.application_title,
                               old_name);
    });
    if (trap.Test(120, [&] { return new_name.empty(); })) continue;
    // The statement is written the way the connected database reads it.
    const bool renamed = trap.Step(122, [&] {
      ado::Connection& open = Require(connection);
      open.Execute(SqlRenameStatement(old_name, new_name, open.dialect()));
    });
    if (!renamed) continue;
    trap.Step(124, [&] { list.RemoveItem(i); });
    trap.Step(126, [&] { list.AddItem(new_name); });
    trap.Step(128, [&] {
      if (list.ListCount() > 0) list.SetListIndex(0);
    });
  }
}

}  // namespace

void DeleteFoxproTables(TableWindowContext& c) {
  ui::OperationGuard guard;
  if (!guard.acquired()) return;
  app::Trap trap(c.ui, c.owner, kWindowName, "PushButton1_Click");
  std::unique_ptr<ado::Connection> connection;
  trap.Step(100, [&] { connection = db::NewConnection(); });
  trap.Step(102, [&] { c.pointer.SetMousePointer(ui::kBusyPointer); });
  trap.Step(104, [&] { Require(connection).SetCursorLocation(2); });
  // The branch decides the line only; the fields are one value throughout.
  if (trap.Test(106, [&] { return c.fields.option1; })) {
    trap.Step(108, [&] { db::OpenFoxpro(Require(connection), c.fields); });
  } else {
    trap.Step(110, [&] { db::OpenFoxpro(Require(connection), c.fields); });
  }
  if (trap.Test(112, [&] { return c.list1.ListIndex() != -1; })) {
    DeleteSelected(trap, connection, c.list1, 114, &FoxproDeleteStatement);
  } else {
    trap.Step(124, [&] { ShowInfo(c, "Please select a table"); });
  }
  trap.Step(126, [&] { c.pointer.SetMousePointer(ui::kDefaultPointer); });
}

void DeleteSybaseTables(TableWindowContext& c) {
  ui::OperationGuard guard;
  if (!guard.acquired()) return;
  app::Trap trap(c.ui, c.owner, kWindowName, "PushButton5_Click");
  std::unique_ptr<ado::Connection> connection;
  OpenSybase(c, trap, connection);
  if (trap.Test(108, [&] { return c.list2.ListIndex() != -1; })) {
    DeleteSelected(trap, connection, c.list2, 110, &SqlDropStatement);
  } else {
    trap.Step(120, [&] { ShowInfo(c, "Please select a table"); });
  }
  trap.Step(122, [&] { c.pointer.SetMousePointer(ui::kDefaultPointer); });
}

void RenameFoxproTable(TableWindowContext& c) {
  app::Trap trap(c.ui, c.owner, kWindowName, "PushButton6_Click");
  trap.Step(100, [&] { ShowInfo(c, "This feature is disabled."); });
}

void RenameSybaseTable(TableWindowContext& c) {
  ui::OperationGuard guard;
  if (!guard.acquired()) return;
  app::Trap trap(c.ui, c.owner, kWindowName, "PushButton7_Click");
  std::unique_ptr<ado::Connection> connection;
  OpenSybase(c, trap, connection);
  if (trap.Test(108, [&] { return c.list2.ListIndex() != -1; })) {
    if (trap.Test(110, [&] { return CountSelected(c.list2) == 1; })) {
      RenameSelected(c, trap, connection);
    } else {
      trap.Step(132, [&] { ShowInfo(c, "Please select just one table to rename."); });
    }
  } else {
    trap.Step(134, [&] { ShowInfo(c, "Please select a table to rename."); });
  }
  trap.Step(136, [&] { c.pointer.SetMousePointer(ui::kDefaultPointer); });
}

}  // namespace transfer
