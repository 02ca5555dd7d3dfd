// Property memos of container objects: decoding and encoding against the
// bytes FoxPro wrote, and damaged memos.
#include "foxpro/dbc/property_blob.h"

#include <gtest/gtest.h>

#include <string>

namespace foxpro::dbc {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

FieldProperties FieldWithDefault(const std::string& value) {
  FieldProperties f;
  f.default_value = value;
  return f;
}

// Database object of a FoxPro 9 container (Blank.dbc, northwind.dbc).
const std::string kDatabaseBlob =
    Bytes({0x0b, 0,    0, 0, 1, 0, 0x18, 0,    0, 0,    0x0b, 0x08, 0, 0, 0, 1,    0, 0x07,
           0,    0x08, 0, 0, 0, 1, 0,    0x56, 1, 0x08, 0,    0,    0, 1, 0, 0x57, 0});

TEST(PropertyBlob, DecodesTheDatabaseObject) {
  PropertyList list;
  ASSERT_TRUE(DecodeProperties(kDatabaseBlob, "Blank.dct", &list).ok());
  ASSERT_EQ(list.entries().size(), 4u);
  EXPECT_EQ(list.Find(PropertyId::kVersion)->number(), 11);
  EXPECT_EQ(list.Text(PropertyId::kComment), "");
  EXPECT_EQ(list.Find(PropertyId::kDbcEvents)->number(), 1);
  EXPECT_EQ(EncodeProperties(list), kDatabaseBlob);
  EXPECT_EQ(EncodeProperties(MakeDatabaseProperties()), kDatabaseBlob);
}

TEST(PropertyBlob, ReadsNumbersOfEveryStoredWidth) {
  struct Case {
    std::string value;
    std::optional<std::int32_t> number;
  } cases[] = {{Bytes({0x01}), 1},
               {Bytes({0xff}), 255},
               {Bytes({0x00, 0x64}), 100},
               {Bytes({0x00, 0x00, 0x00, 0x64}), 100},
               {Bytes({0xff, 0xff, 0xff, 0xff}), -1},
               {Bytes({1, 2, 3}), std::nullopt},
               {"", std::nullopt}};
  for (const Case& c : cases) {
    Property p;
    p.value = c.value;
    EXPECT_EQ(p.number(), c.number) << c.value.size();
  }
}

// Objects as FoxPro's CREATE TABLE writes them, with the bytes it stored.
TEST(PropertyBlob, NewObjectsEncodeAsFoxProWritesThem) {
  TableProperties types;
  types.path = "types.dbf";
  types.primary_key = "type_id";
  TableProperties calls;
  calls.path = "calls.dbf";
  TableProperties depto;
  depto.path = "fb2p_depto.dbf";
  depto.primary_key = "depto";
  depto.rule_expression = "fb2p_depto_record_rule_validation()";
  depto.rule_text = "fb2p_depto_record_rule_validation_message()";
  depto.comment = "Comentario de \"fb2p_depto\"";
  depto.delete_trigger = "__ri_delete_fb2p_depto()";
  struct Case {
    PropertyList list;
    std::string expected;
  } cases[] = {
      {MakeTableProperties(types), Bytes({8, 0, 0, 0, 1, 0, 2, 1}) + Bytes({17, 0, 0, 0, 1, 0, 1}) +
                                       "types.dbf" + Bytes({0}) + Bytes({15, 0, 0, 0, 1, 0, 20}) +
                                       "type_id" + Bytes({0})},
      {MakeTableProperties(calls),
       Bytes({8, 0, 0, 0, 1, 0, 2, 1}) + Bytes({17, 0, 0, 0, 1, 0, 1}) + "calls.dbf" + Bytes({0})},
      {MakeTableProperties(depto),
       Bytes({8, 0, 0, 0, 1, 0, 2, 1}) + Bytes({22, 0, 0, 0, 1, 0, 1}) + "fb2p_depto.dbf" +
           Bytes({0}) + Bytes({13, 0, 0, 0, 1, 0, 20}) + "depto" + Bytes({0}) +
           Bytes({43, 0, 0, 0, 1, 0, 9}) + "fb2p_depto_record_rule_validation()" + Bytes({0}) +
           Bytes({51, 0, 0, 0, 1, 0, 10}) + "fb2p_depto_record_rule_validation_message()" +
           Bytes({0}) + Bytes({34, 0, 0, 0, 1, 0, 7}) + "Comentario de \"fb2p_depto\"" +
           Bytes({0}) + Bytes({32, 0, 0, 0, 1, 0, 16}) + "__ri_delete_fb2p_depto()" + Bytes({0})},
      {MakeFieldProperties(FieldWithDefault("newid()")),
       Bytes({15, 0, 0, 0, 1, 0, 11}) + "newid()" + Bytes({0})},
      {MakeFieldProperties(FieldProperties()), ""},
      {MakeIndexProperties(true), Bytes({8, 0, 0, 0, 1, 0, 17, 1})},
      {MakeIndexProperties(false), Bytes({8, 0, 0, 0, 1, 0, 17, 0})},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeProperties(c.list), c.expected);
    PropertyList back;
    ASSERT_TRUE(DecodeProperties(c.expected, "test", &back).ok());
    EXPECT_EQ(back, c.list);
  }
}

TEST(PropertyBlob, KeepsUnknownIdsOrderAndMarkers) {
  std::string blob = Bytes({9, 0, 0, 0, 2, 1, 7, 'a', 0}) + Bytes({7, 0, 0, 0, 1, 0, 99});
  PropertyList list;
  ASSERT_TRUE(DecodeProperties(blob, "test", &list).ok());
  ASSERT_EQ(list.entries().size(), 2u);
  EXPECT_EQ(list.entries()[0].id, 0x0107);
  EXPECT_EQ(list.entries()[0].marker, 2);
  EXPECT_EQ(list.entries()[1].value, "");
  EXPECT_EQ(EncodeProperties(list), blob);
}

TEST(PropertyBlob, SetReplacesInPlaceAndRemoveDropsEveryCopy) {
  TableProperties table;
  table.path = "a.dbf";
  table.primary_key = "id";
  PropertyList list = MakeTableProperties(table);
  list.Set(TextProperty(PropertyId::kPath, "b.dbf"));
  EXPECT_EQ(list.entries()[1].text(), "b.dbf");
  list.Set(TextProperty(PropertyId::kCaption, "c"));
  EXPECT_EQ(list.entries().back().text(), "c");
  list.Append(TextProperty(PropertyId::kCaption, "d"));
  list.Remove(PropertyId::kCaption);
  EXPECT_EQ(list.Find(PropertyId::kCaption), nullptr);
  EXPECT_EQ(ReadTableProperties(list).primary_key, "id");
}

TEST(PropertyBlob, DamagedMemosGiveCorruptionNamingTheObject) {
  struct Case {
    const char* what;
    std::string blob;
  } cases[] = {
      {"length below the entry head", Bytes({6, 0, 0, 0, 1, 0, 1})},
      {"zero length", Bytes({0, 0, 0, 0, 1, 0, 1, 0})},
      {"length past the end", Bytes({20, 0, 0, 0, 1, 0, 1, 'a', 0})},
      {"huge length", Bytes({0xff, 0xff, 0xff, 0xff, 1, 0, 1, 'a'})},
      {"second entry cut short",
       Bytes({8, 0, 0, 0, 1, 0, 2, 1}) + Bytes({17, 0, 0, 0, 1, 0, 1, 'x'})},
  };
  for (const Case& c : cases) {
    PropertyList list = MakeIndexProperties(true);
    Status s = DecodeProperties(c.blob, "x.dct: object 6", &list);
    EXPECT_TRUE(s.IsCorruption()) << c.what;
    EXPECT_NE(s.message().find("x.dct: object 6"), std::string::npos) << s.message();
    EXPECT_EQ(list, MakeIndexProperties(true)) << "output changed on failure: " << c.what;
  }
}

TEST(PropertyBlob, IgnoresATailShorterThanAnEntryHead) {
  PropertyList list;
  ASSERT_TRUE(DecodeProperties(Bytes({8, 0, 0, 0, 1, 0, 17, 1, 3, 0}), "t", &list).ok());
  EXPECT_EQ(list, MakeIndexProperties(true));
  ASSERT_TRUE(DecodeProperties("", "t", &list).ok());
  EXPECT_TRUE(list.empty());
}

}  // namespace
}  // namespace foxpro::dbc
