// The main of test programs that need a QApplication: offscreen unless the
// environment names a display platform, with private configuration and
// runtime folders, the user's locale (ODBC text travels as UTF-8), then the
// tests. Set-up a program needs beyond that is a GoogleTest environment (see
// program_test_environment.cpp).
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <clocale>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir private_dir;
  qputenv("XDG_CONFIG_HOME", (private_dir.path() + "/config").toUtf8());
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    qputenv("XDG_RUNTIME_DIR", private_dir.path().toUtf8());
  }
  QApplication application(argc, argv);
  std::setlocale(LC_ALL, "");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
