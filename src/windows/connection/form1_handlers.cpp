// The connection window's load and push-button handlers. Each is a list of
// numbered steps run under the failure trap; the numbers are the line numbers
// the error report shows.
#include <QIcon>
#include <QLineEdit>
#include <QRadioButton>
#include <array>
#include <memory>
#include <string>

#include "accessories/appearance.h"
#include "ado/error.h"
#include "app/application_title.h"
#include "app/settings_store.h"
#include "app/trap.h"
#include "db/foxpro.h"
#include "db/sybase.h"
#include "platform/ui/operation_guard.h"
#include "platform/ui/ui.h"
#include "transfer/connection_checks.h"
#include "windows/connection/form1.h"
#include "windows/connection/table_window_host.h"

namespace windows {
namespace {

constexpr char kWindowName[] = "Form1";

QString Q(const std::string& text) { return QString::fromStdString(text); }

TableWindowHost& Require(TableWindowHost* table_window) {
  if (table_window == nullptr) throw ado::Error("The table window is not available", 91);
  return *table_window;
}

}  // namespace

void Form1::Form_Load() {
  app::Trap trap(ui_, this, kWindowName, "Form_Load");
  trap.Step(100, [&] { accessories::ApplySkin(this, ProgramFolder()); });
  trap.Step(104, [&] { setWindowTitle(QString::fromLatin1(app::kProductName)); });
  trap.Step(104, [&] { setWindowIcon(QIcon(QStringLiteral(":/quillomar/icon.png"))); });
  trap.Step(104, [&] { app::SetApplicationTitle(); });
  if (trap.Test(124, [&] {
        return accessories::FileExists(accessories::HandCursorPath(ProgramFolder()));
      })) {
    trap.Step(126, [&] {
      accessories::LoadHandCursor(this, accessories::HandCursorPath(ProgramFolder()));
    });
  }
  trap.Step(128, [&] { text1_->setText(Q(settings_.Read(app::kDbcFileKey))); });
  trap.Step(130, [&] { text2_->setText(Q(settings_.Read(app::kFreeTableFolderKey))); });
  trap.Step(132, [&] { text3_->setText(Q(settings_.Read(app::kDataSourceNameKey))); });
  if (trap.Test(134, [&] { return settings_.Read(app::kFoxproOptionKey) != "2"; })) {
    trap.Step(136, [&] { option1_->setChecked(true); });
  } else {
    trap.Step(140, [&] { option2_->setChecked(true); });
  }
  // Both sides open: go straight on to the table window. A test that cannot
  // even create its connection is reported and the branch entered all the
  // same, as for any failing branch test.
  if (trap.Test(144, [&] { return db::TestFoxproConnection(Fields()); })) {
    if (trap.Test(146, [&] { return db::TestSybaseConnection(Fields()); })) {
      trap.Step(148, [&] { Require(table_window_).ShowTableWindow(); });
      trap.Step(150, [&] {
        hide();
        hidden_by_load_ = true;
      });
    }
  }
}

void Form1::PushButton1_Click() { RunConnectionCheck(&transfer::CheckFoxproConnection); }
void Form1::PushButton2_Click() { RunConnectionCheck(&transfer::CheckSybaseConnection); }

void Form1::RunConnectionCheck(void (*check)(transfer::ConnectionWindowContext&)) {
  transfer::UiWindowPointer pointer(ui_, this);
  transfer::ConnectionWindowContext context{ui_, this, Fields(), pointer,
                                            app::ApplicationTitle()};
  check(context);
}

void Form1::PushButton3_Click() {
  app::Trap trap(ui_, this, kWindowName, "PushButton3_Click");
  std::string separator;
  trap.Step(100, [&] { separator = "\r\r"; });
  // 102 to 120: the ten parts, each text followed by the separator.
  const auto& items = ConnectionHelpItems();
  std::array<std::string, 10> parts;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    trap.Step(102 + 2 * static_cast<int>(i), [&] { parts[i] = items.at(i) + separator; });
  }
  std::string message;
  trap.Step(122, [&] {
    for (const std::string& part : parts) message += part;
  });
  trap.Step(124, [&] { ShowMessage(message); });
}

void Form1::PushButton4_Click() {
  ui::OperationGuard guard;
  if (!guard.acquired()) return;
  app::Trap trap(ui_, this, kWindowName, "PushButton4_Click");
  trap.Step(100, [&] { ui_.SetPointer(this, ui::kBusyPointer); });
  if (trap.Test(102, [&] { return db::TestFoxproConnection(Fields()); })) {
    if (trap.Test(104, [&] { return db::TestSybaseConnection(Fields()); })) {
      trap.Step(106, [&] { Require(table_window_).LoadTableWindow(); });
      trap.Step(108, [&] { Require(table_window_).ShowTableWindow(); });
      trap.Step(110, [&] { hide(); });
    }
  }
  trap.Step(112, [&] { ui_.SetPointer(this, ui::kDefaultPointer); });
}

void Form1::PushButton5_Click() {
  app::Trap trap(ui_, this, kWindowName, "PushButton5_Click");
  std::string folder;
  trap.Step(100,
            [&] { folder = accessories::BrowseFolder(ui_, this, "Please select folder:", ""); });
  if (trap.Test(102, [&] { return folder.empty(); })) return;
  trap.Step(104, [&] { text2_->setText(Q(folder)); });
}

void Form1::PushButton6_Click() {
  app::Trap trap(ui_, this, kWindowName, "PushButton6_Click");
  ui::OpenFileRequest request;
  std::string file_name;
  trap.Step(100, [&] { file_name.clear(); });
  trap.Step(102, [&] { request.read_only_checked = true; });
  trap.Step(104, [&] { request.title = "Select Foxpro Database"; });
  trap.Step(106, [&] {
    request.filter_name = "Microsoft Database (*.dbc)";
    request.filter_pattern = "*.dbc";
  });
  trap.Step(108, [&] { file_name = ui_.OpenFile(this, request); });
  if (trap.Test(110, [&] { return !file_name.empty(); })) {
    trap.Step(112, [&] { text1_->setText(Q(file_name)); });
  }
}

void Form1::PushButton7_Click() {
  app::Trap trap(ui_, this, kWindowName, "PushButton7_Click");
  trap.Step(100, [&] { ShowMessage("Make sure FoxPro is closed while using this application."); });
}

void Form1::PushButton8_Click() {
  app::Trap trap(ui_, this, kWindowName, "PushButton8_Click");
  trap.Step(100, [&] { option2_->setChecked(true); });
  trap.Step(102, [&] { text2_->setText(Q(ProgramFolder() + "/Samples")); });
}

}  // namespace windows
