// Catalog of 20,000 tables into the shown table window, against filling the
// same list with the same names in one call, in the same run. Prints the
// median times of three rounds and the ratios (goal: at most 2x).
//
// Run in the test environment: source scripts/test-env.sh, then
// build/release/bench/catalog_bench [tables] (offscreen unless QT_QPA_PLATFORM says otherwise)
#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "ado/provider.h"
#include "db/catalog.h"
#include "db/connection_fields.h"
#include "platform/ui/qt_ui.h"
#include "program/providers.h"
#include "windows/tables/form2.h"
#include "db/testing/private_data_sources.h"

namespace {

using db::testing::Server;

// Table names in a shuffled order, mixed letter case, some sharing a prefix.
std::vector<std::string> MakeNames(int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) {
    std::string name = (i % 3 == 0 ? "Tab_" : i % 3 == 1 ? "orders_" : "ZETA_") + std::to_string(i);
    names.push_back(name);
  }
  std::shuffle(names.begin(), names.end(), std::mt19937(7));
  return names;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double Ms(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e6; }

// A table list that only counts: the catalog read without any widget.
class CountingList : public db::TableList {
 public:
  int ListCount() const override { return count_; }
  std::string List(int) const override { return {}; }
  bool Selected(int) const override { return false; }
  void SetSelected(int, bool) override {}
  int ListIndex() const override { return -1; }
  void SetListIndex(int) override {}
  void AddItem(const std::string&) override { ++count_; }
  void RemoveItem(int) override {}
  void Clear() override { count_ = 0; }

 private:
  int count_ = 0;
};

// Three rounds of: the catalog read alone (A), the catalog read into the
// shown, sorted list entry by entry with the throttled yield (B), and the
// same names put into the same list in one call (C). The baseline for B is
// reading the catalog and then filling the list in one call: A + C.
template <typename ReadCatalog>
void Report(const char* label, windows::SortedTableList& list, ui::Ui& ui, int expected,
            ReadCatalog read) {
  std::vector<double> alone, into_list, one_call, entry_by_entry;
  int listed = 0;
  for (int round = 0; round < 3; ++round) {
    CountingList counting;
    QElapsedTimer timer;
    timer.start();
    read(counting);
    alone.push_back(Ms(timer));

    timer.restart();
    read(list);
    into_list.push_back(Ms(timer));
    listed = list.ListCount();

    QStringList names;
    std::vector<std::string> shuffled;
    for (int i = 0; i < list.ListCount(); ++i) {
      names << QString::fromStdString(list.List(i));
      shuffled.push_back(list.List(i));
    }
    std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(11));
    list.Clear();
    QApplication::processEvents();
    timer.restart();
    list.widget()->addItems(names);
    QApplication::processEvents();
    one_call.push_back(Ms(timer));
    list.Clear();

    // The window's own part: the same names in shuffled order, entry by
    // entry with the throttled yield, no catalog read.
    QApplication::processEvents();
    timer.restart();
    for (const auto& name : shuffled) {
      list.AddItem(name);
      ui.DoEvents();
    }
    QApplication::processEvents();
    entry_by_entry.push_back(Ms(timer));
    list.Clear();
  }
  const double a = Median(alone), b = Median(into_list), c = Median(one_call),
               d = Median(entry_by_entry);
  std::printf("%s: %d tables listed (of %d)\n", label, listed, expected);
  std::printf("  catalog read alone, no widget          A = %9.1f ms\n", a);
  std::printf("  catalog into the shown sorted list     B = %9.1f ms\n", b);
  std::printf("  same names into the list in one call   C = %9.1f ms\n", c);
  std::printf("  same names entry by entry, no catalog   D = %9.1f ms\n", d);
  std::printf("  ratio B / C = %.1fx (goal <= 2x); B / (A + C) = %.3fx; list side D / C = %.1fx\n",
              b / c, b / (a + c), d / c);
}

// A SQLite database with `count` tables, made once per size beside the
// benchmark (SQLite takes minutes to create 20,000 tables) and copied.
bool PrepareSqlite(const std::string& database, int count) {
  const std::string cached = QCoreApplication::applicationDirPath().toStdString() +
                             "/catalog-bench-" + std::to_string(count) + ".db";
  if (!std::filesystem::exists(cached)) {
    const std::string script = cached + ".sql";
    std::FILE* out = std::fopen(script.c_str(), "w");
    if (out == nullptr) return false;
    std::fputs("BEGIN;\n", out);
    for (const auto& name : MakeNames(count)) {
      std::fprintf(out, "CREATE TABLE \"%s\" (id INTEGER);\n", name.c_str());
    }
    std::fputs("COMMIT;\n", out);
    std::fclose(out);
    std::printf("creating %s (once)...\n", cached.c_str());
    const std::string command = "sqlite3 '" + cached + ".tmp' < '" + script + "'";
    if (std::system(command.c_str()) != 0) return false;
    std::filesystem::rename(cached + ".tmp", cached);
  }
  std::filesystem::remove(database);
  std::filesystem::copy_file(cached, database);
  return true;
}

void SqliteCatalog(windows::Form2& form, ui::Ui& ui,
                   const db::testing::PrivateDataSources& sources, int count) {
  if (!PrepareSqlite(sources.Database(Server::kSqlite), count)) {
    std::printf("SQLite skipped: could not prepare the database with the sqlite3 shell\n");
    return;
  }
  db::ConnectionFields fields;
  fields.text3 = sources.Name(Server::kSqlite);
  Report("SQLite data source", form.list2(), ui, count,
         [&](db::TableList& list) { db::ListSybaseTables(list, fields, [&] { ui.DoEvents(); }); });
}

void FoxproCatalog(windows::Form2& form, ui::Ui& ui, int count) {
  if (ado::FindProvider("vfpoledb.1") == nullptr) {
    std::printf("FoxPro folder skipped: the FoxPro provider is not built in\n");
    return;
  }
  QTemporaryDir dir;
  const std::string source = std::string(QUILLOMAR_FIXTURES) + "/vfp/foxbin2prg/encuestas.dbf";
  for (const auto& name : MakeNames(count)) {
    std::filesystem::copy_file(source,
                               dir.filePath(QString::fromStdString(name + ".dbf")).toStdString());
  }
  db::ConnectionFields fields;
  fields.option1 = false;
  fields.text2 = dir.path().toStdString();
  const std::string connection = db::FoxproConnectionString(fields);
  Report("FoxPro free-table folder", form.list1(), ui, count, [&](db::TableList& list) {
    db::ListFoxproTables(list, connection, [&] { ui.DoEvents(); });
  });
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  db::testing::PrivateDataSources sources;
  program::RegisterProviders();
  const int count = argc > 1 ? std::atoi(argv[1]) : 20000;

  ui::QtUi ui;
  db::ConnectionFields none;
  windows::Form2 form(ui, none);
  form.SetUnloadAction([] {});
  form.show();
  QApplication::processEvents();

  if (sources.Name(Server::kSqlite).empty()) {
    std::printf("SQLite skipped: %s\n", sources.error().c_str());
  } else {
    SqliteCatalog(form, ui, sources, count);
  }
  FoxproCatalog(form, ui, count);
  return 0;
}
