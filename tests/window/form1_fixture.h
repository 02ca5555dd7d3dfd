// A connection window on a private settings file, driven through the
// scripted ui, with a table window stand-in that records what it was asked.
#ifndef QUILLOMAR_TESTS_WINDOW_FORM1_FIXTURE_H_
#define QUILLOMAR_TESTS_WINDOW_FORM1_FIXTURE_H_

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ado/provider.h"
#include "app/settings_store.h"
#include "platform/ui/scripted_window_ui.h"
#include "windows/connection/form1.h"
#include "windows/connection/table_window_host.h"

namespace windows::testing {

class RecordingTableWindow : public TableWindowHost {
 public:
  void LoadTableWindow() override { calls.push_back("load"); }
  void ShowTableWindow() override { calls.push_back("show"); }
  std::vector<std::string> calls;
};

class Form1Test : public ::testing::Test {
 protected:
  // Settings to find on disk before the window is made.
  void StoreBeforeStart(const std::map<std::string, std::string>& values) {
    QSettings file(SettingsFile(), QSettings::IniFormat);
    for (const auto& [key, value] : values) {
      file.setValue(QString::fromStdString("Quillomar/" + key), QString::fromStdString(value));
    }
  }

  // Makes the window without running its load handler.
  Form1& Make() {
    settings_ = std::make_unique<app::SettingsStore>(SettingsFile());
    form_ = std::make_unique<Form1>(ui_, *settings_);
    form_->SetTableWindow(&tables_);
    form_->SetUnloadAction([this] { ++unloads_; });
    return *form_;
  }
  // Makes the window and runs the start-up sequence.
  Form1& Start() {
    Make().Form_Load();
    return *form_;
  }

  // What the settings file on disk holds for `key` right now.
  std::string Stored(const std::string& key) const {
    QSettings file(SettingsFile(), QSettings::IniFormat);
    return file.value(QString::fromStdString("Quillomar/" + key)).toString().toStdString();
  }
  bool IsStored(const std::string& key) const {
    QSettings file(SettingsFile(), QSettings::IniFormat);
    return file.contains(QString::fromStdString("Quillomar/" + key));
  }

  QLineEdit* Text(const char* name) const { return form_->findChild<QLineEdit*>(name); }
  QRadioButton* Option(const char* name) const { return form_->findChild<QRadioButton*>(name); }
  QPushButton* Button(const char* name) const { return form_->findChild<QPushButton*>(name); }
  void Click(const char* name) { Button(name)->click(); }
  std::string TextOf(const char* name) const { return Text(name)->text().toStdString(); }

  // The message boxes shown so far.
  std::vector<ui::UiCall> Boxes() const { return ui_.CallsOf(ui::UiCall::Kind::kMessageBox); }

  QString SettingsFile() const { return dir_.filePath("Tolvane.ini"); }
  std::string TempPath(const std::string& name) const {
    return dir_.filePath(QString::fromStdString(name)).toStdString();
  }
  static std::string ProgramFolder() {
    return QCoreApplication::applicationDirPath().toStdString();
  }

  static bool HaveFoxproProvider() { return ado::FindProvider("vfpoledb.1") != nullptr; }
  static std::string SqliteDataSource() {
    const char* name = std::getenv("QUILLOMAR_DSN_SQLITE");
    return name == nullptr ? std::string() : std::string(name);
  }

  QTemporaryDir dir_;
  ui::ScriptedWindowUi ui_;
  RecordingTableWindow tables_;
  std::unique_ptr<app::SettingsStore> settings_;
  std::unique_ptr<Form1> form_;
  int unloads_ = 0;
};

#define QUILLOMAR_SQLITE_OR_SKIP(var)                                                   \
  std::string var = SqliteDataSource();                                                 \
  if (var.empty() || ado::FindProvider("MSDASQL") == nullptr)                           \
  GTEST_SKIP() << "QUILLOMAR_DSN_SQLITE is not set or the ODBC provider is not built: " \
                  "run ./test.sh, or `source scripts/test-env.sh` first"

#define QUILLOMAR_FOXPRO_OR_SKIP() \
  if (!HaveFoxproProvider())       \
  GTEST_SKIP() << "the FoxPro provider \"vfpoledb.1\" is not built in yet"

}  // namespace windows::testing

#endif  // QUILLOMAR_TESTS_WINDOW_FORM1_FIXTURE_H_
