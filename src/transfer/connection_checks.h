// The connection window's (Form1) two "Test Connection" buttons as plain C++:
// each opens a throw-away connection on its side and says whether it opened.
// The window's buttons are one-line adapters, and the handlers run without a
// display.
#ifndef QUILLOMAR_TRANSFER_CONNECTION_CHECKS_H_
#define QUILLOMAR_TRANSFER_CONNECTION_CHECKS_H_

#include <string>

#include "db/connection_fields.h"
#include "platform/ui/ui.h"
#include "transfer/transfer.h"

class QWidget;

namespace transfer {

// Everything one click of a "Test Connection" button works with. `ui` and
// `pointer` must outlive the call.
struct ConnectionWindowContext {
  ui::Ui& ui;
  // The connection window: owner of the boxes. May be null in tests.
  QWidget* owner;
  // The fields as they were when the button was clicked.
  db::ConnectionFields fields;
  WindowPointer& pointer;
  // Title of the boxes: the application title.
  std::string application_title;
};

// Form1.PushButton1_Click: creates a connection (line 100, a failure is
// reported), then with the busy pointer sets cursor location 2 and opens the
// FoxPro data; "Connection successful." when it opened, else "Could not
// connect." (no report: the failure is the answer). The pointer ends as the
// default. Ignored while another database operation runs. Never throws.
void CheckFoxproConnection(ConnectionWindowContext& context);

// Form1.PushButton2_Click: the same for the ODBC data source, with the
// provider "MSDASQL" set instead of a cursor location. Never throws.
void CheckSybaseConnection(ConnectionWindowContext& context);

}  // namespace transfer

#endif  // QUILLOMAR_TRANSFER_CONNECTION_CHECKS_H_
