// The sample tables as the program sees them through the FoxPro provider:
// every table opens, holds the rows the generator inserted, and among them
// are the field types, nulls and non-ASCII text the samples promise.
#include <map>
#include <set>
#include <string>

#include <gtest/gtest.h>

#include "ado/connection.h"
#include "ado/foxpro/foxpro_provider.h"
#include "sample_tables.h"
#include "temp_folder.h"

namespace {

TEST(SampleTables, OpenThroughTheProviderWithEveryPromisedKindOfValue) {
  engine_test::TempFolder folder;
  ASSERT_FALSE(folder.path().empty());
  foxpro::Status written = samples::WriteSampleTables(foxpro::DefaultFileSystem(), folder.path());
  ASSERT_TRUE(written.ok()) << written.ToString();

  ado::foxpro::RegisterFoxproProvider();
  ado::Connection connection;
  connection.SetCursorLocation(3);
  connection.Open("Provider=vfpoledb.1;Data Source=" + folder.path());

  std::set<int> type_codes;
  int nulls = 0;
  int non_ascii = 0;
  for (const samples::SampleTable& table : samples::SampleTables()) {
    SCOPED_TRACE(table.name);
    ado::Recordset rows;
    rows.Open("SELECT * FROM [" + table.name + "]", connection);
    EXPECT_EQ(rows.RecordCount(), static_cast<std::int64_t>(table.statements.size() - 1));
    for (int f = 0; f < rows.FieldCount(); ++f) type_codes.insert(rows.Fields(f).Type());
    for (; !rows.IsEOF(); rows.MoveNext()) {
      for (int f = 0; f < rows.FieldCount(); ++f) {
        const ado::Value& value = rows.Fields(f).Value();
        if (value.IsNull()) ++nulls;
        if (value.kind() == ado::Value::Kind::kText) {
          for (char c : value.AsText()) non_ascii += static_cast<unsigned char>(c) >= 0x80 ? 1 : 0;
        }
      }
    }
  }
  // C N I Y D T L M: 129 131 3 6 133 135 11 201.
  EXPECT_EQ(type_codes, (std::set<int>{129, 131, 3, 6, 133, 135, 11, 201}));
  EXPECT_GE(nulls, 3);
  EXPECT_GT(non_ascii, 0);

  // The catalog lists exactly the three tables.
  std::set<std::string> names;
  auto schema = connection.OpenSchema(20);
  for (; !schema->IsEOF(); schema->MoveNext()) names.insert(schema->Fields("TABLE_NAME").Value().AsText());
  EXPECT_EQ(names, (std::set<std::string>{"customers", "orders", "products"}));
}

}  // namespace
