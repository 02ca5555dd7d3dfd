#include "transfer/connection_checks.h"

#include <memory>

#include "ado/connection.h"
#include "app/trap.h"
#include "db/connect.h"
#include "db/new_connection.h"
#include "platform/ui/operation_guard.h"

namespace transfer {
namespace {

constexpr char kWindowName[] = "Form1";

ado::Connection& Require(const std::unique_ptr<ado::Connection>& connection) {
  if (!connection) throw ado::Error("Object variable not set", 91);
  return *connection;
}

void ShowMessage(ConnectionWindowContext& c, const char* text) {
  c.ui.MessageBox(c.owner, text, ui::kOkOnly, c.application_title);
}

// The shape both buttons share: `open` prepares and opens the connection
// (lines 104 to 110); `failure_line` is the line of "Could not connect.".
template <typename Open>
void CheckConnection(ConnectionWindowContext& c, const char* handler, int failure_line, Open open) {
  ui::OperationGuard guard;
  if (!guard.acquired()) return;
  app::Trap trap(c.ui, c.owner, kWindowName, handler);
  std::unique_ptr<ado::Connection> connection;
  trap.Step(100, [&] { connection = db::NewConnection(); });
  // From here on a failure skips to the closing test without a report.
  const bool succeeded = trap.Silent([&] {
    c.pointer.SetMousePointer(ui::kBusyPointer);
    open(Require(connection));
    ShowMessage(c, "Connection successful.");
    c.pointer.SetMousePointer(ui::kDefaultPointer);
  });
  if (!succeeded) {
    trap.Step(failure_line, [&] { ShowMessage(c, "Could not connect."); });
    trap.Step(failure_line + 2, [&] { c.pointer.SetMousePointer(ui::kDefaultPointer); });
  }
}

}  // namespace

void CheckFoxproConnection(ConnectionWindowContext& c) {
  CheckConnection(c, "PushButton1_Click", 118, [&c](ado::Connection& connection) {
    connection.SetCursorLocation(2);       // 104
    db::OpenFoxpro(connection, c.fields);  // 106-110
  });
}

void CheckSybaseConnection(ConnectionWindowContext& c) {
  CheckConnection(c, "PushButton2_Click", 114, [&c](ado::Connection& connection) {
    db::SetSybaseProvider(connection);     // 104
    db::OpenSybase(connection, c.fields);  // 106
  });
}

}  // namespace transfer
