// The FoxPro catalog: the fixture containers and free-table folders through
// the FoxPro provider (skipped until the provider is built in), and the row
// rules on catalog rows no real provider produces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "ado/error.h"
#include "ado/provider.h"
#include "db/catalog.h"
#include "db/connection_fields.h"
#include "transfer/testing/vector_table_list.h"
#ifdef QUILLOMAR_HAVE_FOXPRO_PROVIDER
#include "ado/foxpro/foxpro_provider.h"
#endif

namespace db {
namespace {

namespace fs = std::filesystem;
using transfer::testing::VectorTableList;

const std::string kVfp = std::string(QUILLOMAR_FIXTURES) + "/vfp";

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::vector<std::string> LowerSorted(const std::vector<std::string>& names) {
  std::vector<std::string> lower;
  for (const auto& name : names) lower.push_back(Lower(name));
  std::sort(lower.begin(), lower.end());
  return lower;
}

std::string FoxproString(bool container, const std::string& path) {
  db::ConnectionFields fields;
  fields.option1 = container;
  (container ? fields.text1 : fields.text2) = path;
  return db::FoxproConnectionString(fields);
}

class FoxproCatalog : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef QUILLOMAR_HAVE_FOXPRO_PROVIDER
    ado::foxpro::RegisterFoxproProvider();
#endif
    if (ado::FindProvider("vfpoledb.1") == nullptr) {
      GTEST_SKIP() << "the FoxPro provider (vfpoledb.1) is not built in yet";
    }
    if (!fs::exists(kVfp)) GTEST_SKIP() << "fixtures missing: " << kVfp;
  }
};

TEST_F(FoxproCatalog, NorthwindContainerListsTablesNotViews) {
  VectorTableList list({"stale"});
  int yields = 0;
  db::ListFoxproTables(list, FoxproString(true, kVfp + "/vfpefprovider-northwind/northwind.dbc"),
                       [&] { ++yields; });
  EXPECT_EQ(
      LowerSorted(list.Names()),
      (std::vector<std::string>{
          "categories", "customercustomerdemo", "customerdemographics", "customers", "employees",
          "employeesterritories", "internationalorders", "orderdetails", "orders",
          "previousemployees", "products", "region", "shippers", "suppliers", "territories"}));
  EXPECT_EQ(yields, 15);
}

TEST_F(FoxproCatalog, FreeTableFolderListsItsTablesWithoutNameFilter) {
  const fs::path folder = fs::temp_directory_path() / ("qcat-free-" + std::to_string(getpid()));
  fs::remove_all(folder);
  fs::create_directories(folder);
  for (const char* name : {"encuestas.dbf", "fb2p_depto.dbf"}) {
    fs::copy_file(kVfp + "/foxbin2prg/" + name, folder / name);
  }
  // Names the SQL side would hide are listed here.
  fs::copy_file(kVfp + "/foxbin2prg/encuestas.dbf", folder / "systems.dbf");
  VectorTableList list;
  db::ListFoxproTables(list, FoxproString(false, folder.string()), nullptr);
  EXPECT_EQ(LowerSorted(list.Names()),
            (std::vector<std::string>{"encuestas", "fb2p_depto", "systems"}));
  fs::remove_all(folder);
}

TEST_F(FoxproCatalog, EmptyFolderEmptiesTheListAndMissingOneKeepsIt) {
  const fs::path folder = fs::temp_directory_path() / ("qcat-empty-" + std::to_string(getpid()));
  fs::create_directories(folder);
  VectorTableList list({"old"});
  db::ListFoxproTables(list, FoxproString(false, folder.string()), nullptr);
  EXPECT_TRUE(list.Names().empty());
  fs::remove_all(folder);

  VectorTableList kept({"old"});
  EXPECT_THROW(
      db::ListFoxproTables(kept, FoxproString(true, folder.string() + "/none.dbc"), nullptr),
      std::exception);
  EXPECT_EQ(kept.Names(), (std::vector<std::string>{"old"}));
  EXPECT_EQ(kept.clears, 0);
}

// A provider that answers the tables schema with fixed rows: it stands in
// for catalog rows (a lower-case type, a missing type) that no real driver
// gives, to pin the comparison down.
class RowsCursor : public ado::Cursor {
 public:
  explicit RowsCursor(std::vector<std::vector<ado::Value>> rows) : rows_(std::move(rows)) {}
  const std::vector<ado::FieldInfo>& Fields() const override { return fields_; }
  bool Fetch(std::vector<ado::Value>* row) override {
    if (next_ == rows_.size()) return false;
    *row = rows_[next_++];
    return true;
  }

 private:
  std::vector<ado::FieldInfo> fields_ = {{"TABLE_NAME", 200}, {"TABLE_TYPE", 200}};
  std::vector<std::vector<ado::Value>> rows_;
  std::size_t next_ = 0;
};

std::vector<std::vector<ado::Value>> g_rows;

class RowsSession : public ado::Session {
 public:
  void Execute(std::string_view) override {}
  std::unique_ptr<ado::Cursor> Query(std::string_view, ado::CursorPlace) override {
    throw ado::Error("not supported");
  }
  std::unique_ptr<ado::Cursor> Tables() override { return std::make_unique<RowsCursor>(g_rows); }
};

TEST(CatalogRows, OnlyTheExactTypeTableCounts) {
  ado::RegisterProvider("catalogrows",
                        [](const std::string&) { return std::make_unique<RowsSession>(); });
  auto row = [](ado::Value name, ado::Value type) { return std::vector<ado::Value>{name, type}; };
  g_rows = {row(ado::Value::Text("a_table"), ado::Value::Text("TABLE")),
            row(ado::Value::Text("lower"), ado::Value::Text("table")),
            row(ado::Value::Text("padded"), ado::Value::Text("TABLE ")),
            row(ado::Value::Text("a_view"), ado::Value::Text("VIEW")),
            row(ado::Value::Text("sys_t"), ado::Value::Text("SYSTEM TABLE")),
            row(ado::Value::Text("untyped"), ado::Value()),
            row(ado::Value::Text("sys_log"), ado::Value::Text("TABLE")),
            row(ado::Value::Text("last"), ado::Value::Text("TABLE"))};
  VectorTableList list;
  int yields = 0;
  db::ListFoxproTables(list, "Provider=catalogrows;Data Source=x", [&] { ++yields; });
  EXPECT_EQ(list.added, (std::vector<std::string>{"a_table", "sys_log", "last"}));
  EXPECT_EQ(yields, 3);
}

TEST(CatalogRows, FailureMidwayKeepsWhatWasAppended) {
  ado::RegisterProvider("catalogrows",
                        [](const std::string&) { return std::make_unique<RowsSession>(); });
  g_rows = {{ado::Value::Text("first"), ado::Value::Text("TABLE")},
            {ado::Value(), ado::Value::Text("TABLE")},
            {ado::Value::Text("never"), ado::Value::Text("TABLE")}};
  VectorTableList list({"old"});
  EXPECT_THROW(db::ListFoxproTables(list, "Provider=catalogrows;Data Source=x", nullptr),
               ado::Error);
  EXPECT_EQ(list.Names(), (std::vector<std::string>{"first"}));
}

}  // namespace
}  // namespace db
