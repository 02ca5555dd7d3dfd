// The table window's deleting and renaming handlers.
#include <memory>
#include <stdexcept>

#include "ado/connection.h"
#include "app/application_title.h"
#include "app/trap.h"
#include "db/new_connection.h"
#include "platform/ui/operation_guard.h"
#include "windows/tables/form2.h"
#include "windows/tables/table_statements.h"

namespace windows {
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

}  // namespace

// Drops every selected table of `list`, last position first. An entry leaves
// the list only when its DROP TABLE succeeded, so the list never shows a
// table as gone that still exists. Lines: first_line loop head, +2 the
// selection test, +4 the statement, +6 the removal.
void Form2::DeleteSelected(app::Trap& trap, const std::unique_ptr<ado::Connection>& connection,
                           SortedTableList& list, int first_line,
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

void Form2::PushButton1_Click() {
  ui::OperationGuard guard;
  if (!guard.acquired()) return;
  app::Trap trap(ui_, this, kWindowName, "PushButton1_Click");
  std::unique_ptr<ado::Connection> connection;
  trap.Step(100, [&] { connection = db::NewConnection(); });
  trap.Step(102, [&] { ui_.SetPointer(this, ui::kBusyPointer); });
  trap.Step(104, [&] { Require(connection).SetCursorLocation(2); });
  if (trap.Test(106, [&] { return fields_.Option1(); })) {
    trap.Step(108, [&] {
      Require(connection)
          .Open("Provider=vfpoledb.1;Data Source=" + fields_.Text1() +
                ";Collating Sequence=machine;");
    });
  } else {
    trap.Step(110, [&] {
      Require(connection)
          .Open("Provider=vfpoledb.1;Data Source=" + fields_.Text2() +
                ";Collating Sequence=general;");
    });
  }
  if (trap.Test(112, [&] { return list1_->ListIndex() != -1; })) {
    DeleteSelected(trap, connection, *list1_, 114, &FoxproDropStatement);
  } else {
    trap.Step(124, [&] { ShowInfo("Please select a table"); });
  }
  trap.Step(126, [&] { ui_.SetPointer(this, ui::kDefaultPointer); });
}

void Form2::PushButton5_Click() {
  ui::OperationGuard guard;
  if (!guard.acquired()) return;
  app::Trap trap(ui_, this, kWindowName, "PushButton5_Click");
  std::unique_ptr<ado::Connection> connection;
  trap.Step(100, [&] { connection = db::NewConnection(); });
  trap.Step(102, [&] { ui_.SetPointer(this, ui::kBusyPointer); });
  trap.Step(104, [&] { Require(connection).SetProvider("MSDASQL"); });
  trap.Step(106, [&] { Require(connection).Open(db::SybaseConnectionString(fields_)); });
  if (trap.Test(108, [&] { return list2_->ListIndex() != -1; })) {
    DeleteSelected(trap, connection, *list2_, 110, &SybaseDropStatement);
  } else {
    trap.Step(120, [&] { ShowInfo("Please select a table"); });
  }
  trap.Step(122, [&] { ui_.SetPointer(this, ui::kDefaultPointer); });
}

void Form2::PushButton6_Click() {
  app::Trap trap(ui_, this, kWindowName, "PushButton6_Click");
  trap.Step(100, [&] { ShowInfo("This feature is disabled."); });
}

// Renames the one selected entry of List2 (the caller checked that exactly
// one is selected). The list changes only when ALTER TABLE succeeded: the old
// entry goes, the new name takes its sorted place unselected, and the first
// entry becomes current.
void Form2::RenameSelected(app::Trap& trap, const std::unique_ptr<ado::Connection>& connection) {
  int count = 0;
  trap.Test(112, [&] {
    count = list2_->ListCount();
    return true;
  });
  for (int i = count - 1; i >= 0; --i) {
    if (!trap.Test(114, [&] { return list2_->Selected(i); })) continue;
    std::string old_name;
    std::string new_name;
    trap.Step(116, [&] { old_name = list2_->List(i); });
    trap.Step(118, [&] {
      new_name = ui_.InputBox(this, "Enter new name of " + old_name + ":", app::ApplicationTitle(),
                              old_name);
    });
    if (trap.Test(120, [&] { return new_name.empty(); })) continue;
    // The statement is written the way the connected database reads it.
    const bool renamed = trap.Step(122, [&] {
      ado::Connection& open = Require(connection);
      open.Execute(open.dialect().RenameStatement(old_name, new_name));
    });
    if (!renamed) continue;
    trap.Step(124, [&] { list2_->RemoveItem(i); });
    trap.Step(126, [&] { list2_->AddItem(new_name); });
    trap.Step(128, [&] {
      if (list2_->ListCount() > 0) list2_->SetListIndex(0);
    });
  }
}

void Form2::PushButton7_Click() {
  ui::OperationGuard guard;
  if (!guard.acquired()) return;
  app::Trap trap(ui_, this, kWindowName, "PushButton7_Click");
  std::unique_ptr<ado::Connection> connection;
  trap.Step(100, [&] { connection = db::NewConnection(); });
  trap.Step(102, [&] { ui_.SetPointer(this, ui::kBusyPointer); });
  trap.Step(104, [&] { Require(connection).SetProvider("MSDASQL"); });
  trap.Step(106, [&] { Require(connection).Open(db::SybaseConnectionString(fields_)); });
  if (trap.Test(108, [&] { return list2_->ListIndex() != -1; })) {
    if (trap.Test(110, [&] { return CountSelected(*list2_) == 1; })) {
      RenameSelected(trap, connection);
    } else {
      trap.Step(132, [&] { ShowInfo("Please select just one table to rename."); });
    }
  } else {
    trap.Step(134, [&] { ShowInfo("Please select a table to rename."); });
  }
  trap.Step(136, [&] { ui_.SetPointer(this, ui::kDefaultPointer); });
}

}  // namespace windows
