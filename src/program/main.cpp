// The program: registers the data-access providers, makes the connection
// window and runs its start-up sequence, then the event loop.
#include <QApplication>
#include <clocale>
#include <cstdlib>

#include "app/settings_store.h"
#include "platform/ui/operation_guard.h"
#include "platform/ui/qt_ui.h"
#include "program/providers.h"
#include "windows/connection/form1.h"
#include "windows/tables/form2.h"

namespace {

// Closing either window ends the program at once. In the middle of an
// operation every statement already executed has taken effect and every
// file is consistent, so nothing is left to finish.
void EndProgram() {
  if (ui::OperationGuard::Busy()) std::_Exit(0);
  QCoreApplication::quit();
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  // ODBC text travels as UTF-8 through the narrow calls.
  std::setlocale(LC_ALL, "");
  program::RegisterProviders();

  ui::QtUi ui;
  app::SettingsStore settings;
  windows::Form1 form1(ui, settings);
  windows::Form2 table_window(ui, form1, &form1);
  form1.SetTableWindow(&table_window);
  form1.SetUnloadAction(EndProgram);
  table_window.SetUnloadAction(EndProgram);

  form1.Form_Load();
  if (!form1.hidden_by_load()) form1.ShowCentred();
  return QApplication::exec();
}
