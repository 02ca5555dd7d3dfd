// Test support: a table window on the scripted ui, with connection fields
// the test sets, a stand-in connection window, and helpers that read what a
// user would see (list entries, boxes, report line numbers).
#ifndef QUILLOMAR_TESTS_WINDOW_FORM2_FIXTURE_H_
#define QUILLOMAR_TESTS_WINDOW_FORM2_FIXTURE_H_

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "db/connection_fields.h"
#include "platform/ui/scripted_window_ui.h"
#include "windows/tables/form2.h"
#include "db/testing/private_data_sources.h"
#include "transfer/testing/vector_table_list.h"

namespace windows::testing {

using db::testing::PostgresLogSince;
using db::testing::PostgresLogSize;
using db::testing::PrivateDataSources;
using db::testing::Server;
using db::testing::ServerName;
using db::testing::ServerTables;
using transfer::testing::VectorTableList;

// The private databases of this test program (made on first use).
PrivateDataSources& Sources();

// One error report: its line number and the failure description.
struct Report {
  int line = 0;
  std::string description;
};

class Form2Test : public ::testing::Test {
 protected:
  Form2Test();

  Form2& form() { return *form_; }
  SortedTableList& List1() { return form_->list1(); }
  SortedTableList& List2() { return form_->list2(); }

  // The entries of a list, top to bottom.
  static std::vector<std::string> Names(const db::TableList& list);
  // Adds the names to a list (each takes its sorted place).
  static void Fill(db::TableList& list, const std::vector<std::string>& names);
  // Selects the named entries (and nothing else).
  static void Select(db::TableList& list, const std::vector<std::string>& names);
  // Makes the named entry current without touching the selection.
  static void MakeCurrent(db::TableList& list, const std::string& name);

  void Click(int button) { form_->PushButton(button)->click(); }

  // Error reports shown so far, in order.
  std::vector<Report> Reports() const;
  std::vector<int> ReportLines() const;
  // Message boxes that are not error reports: their texts.
  std::vector<std::string> Infos() const;
  std::vector<ui::UiCall> InputBoxes() const { return ui_.CallsOf(ui::UiCall::Kind::kInputBox); }

  // Points the SQL side at `server`'s private data source; skips the test
  // when the server is not available.
  bool UseServer(Server server);

  ui::ScriptedWindowUi ui_;
  db::ConnectionFields fields_;
  QWidget connection_window_;
  QTemporaryDir program_dir_;
  int unloads_ = 0;
  std::unique_ptr<Form2> form_;
};

}  // namespace windows::testing

#endif  // QUILLOMAR_TESTS_WINDOW_FORM2_FIXTURE_H_
