// Window tests run offscreen with their own configuration and runtime
// folders, and with the program's data-access providers registered. The
// table window's tests make their private databases before the first ODBC
// call.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <clocale>

#include "app/providers.h"
#ifdef QUILLOMAR_WINDOW_TEST_SERVERS
#include "form2_fixture.h"
#endif

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir private_dir;
  qputenv("XDG_CONFIG_HOME", (private_dir.path() + "/config").toUtf8());
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    qputenv("XDG_RUNTIME_DIR", private_dir.path().toUtf8());
  }
  QApplication application(argc, argv);
  std::setlocale(LC_ALL, "");
#ifdef QUILLOMAR_WINDOW_TEST_SERVERS
  windows::testing::Sources();
#endif
  app::RegisterProviders();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
