// Table window tests run offscreen with their own configuration and runtime
// folders, the program's data-access providers registered, and private
// databases made before the first ODBC call.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <clocale>

#include "program/providers.h"
#include "windows/tables/testing/form2_fixture.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir private_dir;
  qputenv("XDG_CONFIG_HOME", (private_dir.path() + "/config").toUtf8());
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    qputenv("XDG_RUNTIME_DIR", private_dir.path().toUtf8());
  }
  QApplication application(argc, argv);
  std::setlocale(LC_ALL, "");
  windows::testing::Sources();
  program::RegisterProviders();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
