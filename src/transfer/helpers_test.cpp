// Type names, list helpers and the null default.
#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "transfer/datatype.h"
#include "transfer/list_helpers.h"
#include "transfer/name_list.h"
#include "transfer/testing/stand_ins.h"

namespace transfer {
namespace {

using testing::VectorTableList;

struct TypeCase {
  int code;
  const char* name;
};

constexpr TypeCase kTypeNames[] = {
    {0, "adEmpty"},          {2, "adSmallInt"},          {3, "adInteger"},
    {4, "adSingle"},         {5, "adDouble"},            {6, "adCurrency"},
    {7, "adDate"},           {8, "adBSTR"},              {9, "adIDispatch"},
    {10, "adError"},         {11, "adBoolean"},          {12, "adVariant"},
    {13, "adIUnknown"},      {14, "adDecimal"},          {16, "adTinyInt"},
    {17, "adUnsignedTinyInt"}, {18, "adUnsignedSmallInt"}, {19, "adUnsignedInt"},
    {20, "adBigInt"},        {21, "adUnsignedBigInt"},   {64, "adFileTime"},
    {72, "adGUID"},          {128, "adBinary"},          {129, "adChar"},
    {130, "adWChar"},        {131, "adNumeric"},         {132, "adUserDefined"},
    {133, "adDBDate"},       {134, "adDBTime"},          {135, "adDBTimeStamp"},
    {136, "adChapter"},      {138, "adPropVariant"},     {139, "adVarNumeric"},
    {200, "adVarChar"},      {201, "adLongVarChar"},     {202, "adVarWChar"},
    {203, "adLongVarWChar"}, {204, "adVarBinary"},       {205, "adLongVarBinary"},
};

TEST(AdoTypeName, NamesEveryListedCode) {
  ASSERT_EQ(std::size(kTypeNames), 39u);
  for (const TypeCase& c : kTypeNames) EXPECT_EQ(AdoTypeName(c.code), c.name) << c.code;
}

TEST(AdoTypeName, EveryOtherCodeHasTheEmptyName) {
  std::set<int> listed;
  for (const TypeCase& c : kTypeNames) listed.insert(c.code);
  for (int code = -40000; code <= 40000; ++code) {
    if (listed.count(code) == 0) {
      ASSERT_EQ(AdoTypeName(code), "") << code;
    }
  }
  for (int code : {1, 15, 137, 206, -1, 8192, 8192 | 3, 8195, 65536 + 3}) {
    EXPECT_EQ(AdoTypeName(code), "") << code;
  }
}

TEST(LowerCase, LowersLettersOfCommonScriptsOnly) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"Customer", "customer"},
      {"ORDERS 2021/X", "orders 2021/x"},
      {"ÄÖÜ×ÞÀ", "äöü×þà"},
      {"ŁÓDŹ Ÿ", "łódź ÿ"},
      {"ΑΒΓ ΆΏ", "αβγ άώ"},
      {"КЛИЕНТЫ Ёж Її", "клиенты ёж її"},
      {"日本 ✓", "日本 ✓"},
      {"a\xC3", "a\xC3"},          // truncated sequence kept
      {"\xFF\xC3(", "\xFF\xC3("},  // stray bytes kept
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(LowerCase(c.in), c.out) << c.in;
}

TEST(ListContains, IgnoresLetterCaseButNotBlanks) {
  struct Case {
    std::vector<std::string> entries;
    const char* name;
    bool found;
  } cases[] = {
      {{"Customer"}, "customer", true},
      {{"Customer"}, "customer ", false},
      {{"customer"}, "CUSTOMER", true},
      {{}, "customer", false},
      {{"a", "b", "КЛИЕНТЫ"}, "клиенты", true},
      {{"a", "b"}, "", false},
      {{"", "b"}, "", true},
  };
  for (const Case& c : cases) {
    VectorTableList list(c.entries);
    EXPECT_EQ(ListContains(list, c.name), c.found) << c.name;
  }
}

TEST(ListRemoveItem, RemovesEveryExactMatchAndKeepsOrder) {
  struct Case {
    std::vector<std::string> entries;
    const char* name;
    std::vector<std::string> left;
  } cases[] = {
      {{"Customer"}, "customer", {"Customer"}},
      {{"a", "b", "b", "c"}, "b", {"a", "c"}},
      {{}, "b", {}},
      {{"a", "c"}, "b", {"a", "c"}},
      {{"b "}, "b", {"b "}},
      {{"b", "b"}, "b", {}},
      {{"a", "B", "b"}, "b", {"a", "B"}},
  };
  for (const Case& c : cases) {
    VectorTableList list(c.entries);
    ListRemoveItem(list, c.name);
    EXPECT_EQ(list.Names(), c.left) << c.name;
  }
}

TEST(NullToDefault, ReplacesOnlyNull) {
  const ado::Value empty = ado::Value::Text("");
  struct Case {
    ado::Value value;
    ado::Value expected;
  } cases[] = {
      {ado::Value::Null(), empty},
      {empty, empty},
      {ado::Value::Int(0), ado::Value::Int(0)},
      {ado::Value::Bool(false), ado::Value::Bool(false)},
      {ado::Value::Text(" "), ado::Value::Text(" ")},
      {ado::Value::Double(0.0), ado::Value::Double(0.0)},
  };
  // The assigning form gives the same, whatever the target held before.
  ado::Value target = ado::Value::Text("a longer text from the row before");
  for (const Case& c : cases) {
    EXPECT_EQ(NullToDefault(c.value, empty), c.expected);
    AssignNullToDefault(&target, c.value, empty);
    EXPECT_EQ(target, c.expected);
  }
  EXPECT_EQ(NullToDefault(ado::Value::Null(), ado::Value::Null()), ado::Value::Null());
}

TEST(NameList, SortsIgnoringCaseAndKeepsTheCurrentEntry) {
  NameList list;
  for (const char* name : {"orders", "Customers", "b_x", "customers", "B1"}) list.AddItem(name);
  list.SetListIndex(list.Find("ORDERS"));
  list.AddItem("Alpha");
  std::vector<std::string> names;
  for (int i = 0; i < list.ListCount(); ++i) names.push_back(list.List(i));
  EXPECT_EQ(names,
            (std::vector<std::string>{"Alpha", "B1", "b_x", "Customers", "customers", "orders"}));
  EXPECT_EQ(list.List(list.ListIndex()), "orders");
  EXPECT_EQ(list.Find("CUSTOMERS"), 3);
  EXPECT_EQ(list.Find("customers"), 4);
  EXPECT_EQ(list.Find("nosuch"), -1);
  list.RemoveItem(0);
  EXPECT_EQ(list.List(list.ListIndex()), "orders");
  EXPECT_THROW(list.List(9), std::out_of_range);
}

}  // namespace
}  // namespace transfer
