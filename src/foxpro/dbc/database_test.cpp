// A container as a catalog: listing, locating, creating and dropping tables,
// against the containers FoxPro wrote (copied into memory or a temporary
// folder before anything is written).
#include "foxpro/dbc/database.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "foxpro/cdx/index_reader.h"
#include "foxpro/dbc/container_catalog.h"
#include "foxpro/dbc/container_file.h"
#include "foxpro/dbc/dcx.h"
#include "foxpro/dbf/table.h"
#include "foxpro/util/mem_file_system.h"
#include "foxpro/util/test_support.h"

namespace foxpro::dbc {
namespace {

namespace fs = std::filesystem;

const std::string kVfp = std::string(QUILLOMAR_FIXTURES) + "/vfp/";

bool HaveFixtures() { return fs::exists(kVfp + "SOURCES.md"); }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> Names(Catalog& catalog, CatalogEntry::Kind kind) {
  std::vector<CatalogEntry> entries;
  EXPECT_TRUE(catalog.List(&entries).ok());
  std::vector<std::string> names;
  for (const CatalogEntry& e : entries) {
    if (e.kind == kind) names.push_back(e.name);
  }
  return names;
}

NewField Field(std::string long_name, char type, int width = 0) {
  NewField f;
  f.long_name = std::move(long_name);
  f.layout.type = type;
  f.layout.width = width;
  return f;
}

// The keys of both tags of a .dcx, and the keys we compute from the rows.
void ExpectIndexMatchesRows(MemFileSystem* mem, const std::string& dbc, const std::string& dcx) {
  std::unique_ptr<ContainerFile> container;
  ASSERT_TRUE(ContainerFile::Open(mem, dbc, false, &container).ok());
  std::string expected_bytes;
  ASSERT_TRUE(
      BuildContainerIndex(container->rows(), container->codepage_mark(), 0, &expected_bytes).ok());
  auto keys = [&](const std::string& bytes) {
    mem->SetFile("/scratch.dcx", bytes);
    std::unique_ptr<cdx::IndexReader> reader;
    Result<std::unique_ptr<File>> file = mem->Open("/scratch.dcx", OpenMode::kRead);
    EXPECT_TRUE(cdx::IndexReader::Open(std::move(*file), "x", &reader).ok());
    std::vector<std::vector<cdx::IndexEntry>> all;
    for (const cdx::TagInfo& tag : reader->tags()) {
      all.emplace_back();
      EXPECT_TRUE(reader->ReadKeys(tag, ' ', &all.back()).ok());
    }
    return all;
  };
  EXPECT_EQ(keys(mem->GetFile(dcx)), keys(expected_bytes));
}

TEST(ContainerShortNames, FollowFoxProsRules) {
  struct Case {
    std::vector<std::string> long_names;
    std::vector<std::string> short_names;
  } cases[] = {
      {{"contact_type_id", "contact_type"}, {"CONTACT_TY", "CONTACT_T2"}},
      {{"discontinued", "discontinueddate"}, {"DISCONTINU", "DISCONTIN2"}},
      {{"id", "name"}, {"ID", "NAME"}},
      {{"1st", "a b"}, {"_1ST", "A_B"}},
      {{"gr\xF6\xDF"
        "e"},
       {"GR__E"}},
      {{"abcdefghijA", "abcdefghijB", "abcdefghijC", "abcdefghijD", "abcdefghijE", "abcdefghijF",
        "abcdefghijG", "abcdefghijH", "abcdefghijI", "abcdefghijJ", "abcdefghijK"},
       {"ABCDEFGHIJ", "ABCDEFGHI2", "ABCDEFGHI3", "ABCDEFGHI4", "ABCDEFGHI5", "ABCDEFGHI6",
        "ABCDEFGHI7", "ABCDEFGHI8", "ABCDEFGHI9", "ABCDEFGH10", "ABCDEFGH11"}},
  };
  for (const Case& c : cases) EXPECT_EQ(ShortNamesForContainer(c.long_names), c.short_names);
}

class FixtureDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveFixtures()) GTEST_SKIP() << "FoxPro fixtures are absent (" << kVfp << ")";
  }
  std::unique_ptr<Database> OpenFixture(const std::string& relative) {
    Result<std::unique_ptr<Database>> db = Database::Open(DefaultFileSystem(), kVfp + relative);
    EXPECT_TRUE(db.ok()) << db.status().ToString();
    return db.ok() ? std::move(*db) : nullptr;
  }
};

TEST_F(FixtureDatabaseTest, ListsLiveTablesAndViews) {
  struct Case {
    const char* dbc;
    std::vector<std::string> tables;
    std::size_t views;
  } cases[] = {
      {"vfpefprovider-blank/Blank.dbc", {}, 0},
      {"infused-foxprodb/FOXPRO-DB-TEST.DBC", {"types", "setup", "contacts", "calls"}, 0},
      {"foxbin2prg/fb2p_dbc.dbc", {"fb2p_depto", "nombrelargodeldbf"}, 5},
      {"vfpefprovider-northwind/northwind.dbc",
       {"Categories", "Customers", "Employees", "OrderDetails", "Orders", "Products", "Shippers",
        "Suppliers", "Territories", "EmployeesTerritories", "CustomerDemographics",
        "CustomerCustomerDemo", "Region", "internationalorders", "previousemployees"},
       17},
  };
  for (const Case& c : cases) {
    auto db = OpenFixture(c.dbc);
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(Names(*db, CatalogEntry::Kind::kTable), c.tables) << c.dbc;
    EXPECT_EQ(Names(*db, CatalogEntry::Kind::kView).size(), c.views) << c.dbc;
  }
}

// Every table of every container: the long names pair up with the file's
// fields, and FoxPro's short names are the ones we derive.
TEST_F(FixtureDatabaseTest, LongNamesMatchEveryTableFile) {
  std::size_t tables = 0;
  for (const char* dbc : {"infused-foxprodb/FOXPRO-DB-TEST.DBC", "foxbin2prg/fb2p_dbc.dbc",
                          "vfpefprovider-northwind/northwind.dbc"}) {
    auto db = OpenFixture(dbc);
    ASSERT_NE(db, nullptr);
    for (const std::string& name : Names(*db, CatalogEntry::Kind::kTable)) {
      SCOPED_TRACE(std::string(dbc) + " " + name);
      Result<TableLocation> location = db->Locate(name);
      ASSERT_TRUE(location.ok()) << location.status().ToString();
      if (!fs::exists(location->path)) continue;  // the fixture has no such file
      Result<std::unique_ptr<Table>> table = Table::Open(DefaultFileSystem(), location->path);
      ASSERT_TRUE(table.ok()) << table.status().ToString();
      std::vector<std::string> file_names;
      for (const FieldInfo& f : (*table)->fields()) file_names.push_back(f.name);
      EXPECT_EQ(ShortNamesForContainer(location->long_field_names), file_names);
      ++tables;
    }
  }
  EXPECT_GE(tables, 20u);
}

TEST_F(FixtureDatabaseTest, LocatesTablesByAnyLetterCase) {
  struct Case {
    const char* dbc;
    const char* query;
    const char* name;
    const char* file;
    std::vector<std::string> long_names;
  } cases[] = {
      {"foxbin2prg/fb2p_dbc.dbc",
       "NOMBRELARGODELDBF",
       "nombrelargodeldbf",
       "fb2p_dbf.dbf",
       {"nombre", "edad", "id", "bigtext", "depto"}},
      {"infused-foxprodb/FOXPRO-DB-TEST.DBC",
       "Types",
       "types",
       "types.dbf",
       {"contact_type_id", "contact_type"}},
      {"vfpefprovider-northwind/northwind.dbc",
       "employeesTERRITORIES",
       "EmployeesTerritories",
       "employeeterritories.dbf",
       {"employeeid", "territoryid"}},
  };
  for (const Case& c : cases) {
    auto db = OpenFixture(c.dbc);
    ASSERT_NE(db, nullptr);
    Result<TableLocation> location = db->Locate(c.query);
    ASSERT_TRUE(location.ok()) << c.query << ": " << location.status().ToString();
    EXPECT_EQ(location->name, c.name);
    EXPECT_EQ(location->path, db->folder() + "/" + c.file);
    EXPECT_EQ(location->long_field_names, c.long_names);
  }
}

TEST_F(FixtureDatabaseTest, LocateExplainsWhatItCannotRead) {
  auto db = OpenFixture("foxbin2prg/fb2p_dbc.dbc");
  ASSERT_NE(db, nullptr);
  Result<TableLocation> missing = db->Locate("vw_nothing");
  EXPECT_TRUE(missing.status().IsNotFound());
  EXPECT_EQ(missing.status().message(), "File 'vw_nothing.dbf' does not exist.");
  EXPECT_TRUE(db->Locate("vista_local").status().IsNotSupported());
  // A table file beside the container is not one of its tables; the
  // container's object of that name is a view.
  EXPECT_TRUE(db->Locate("vw_local_encuestas").status().IsNotSupported());
  EXPECT_TRUE(db->Locate("encuestas").status().IsNotFound());
}

TEST_F(FixtureDatabaseTest, OpenRefusesOtherFiles) {
  Result<std::unique_ptr<Database>> table =
      Database::Open(DefaultFileSystem(), kVfp + "foxbin2prg/fb2p_free.dbf");
  EXPECT_TRUE(table.status().IsInvalidArgument());
  EXPECT_EQ(table.status().message(), "File 'fb2p_free.dbf' is not a database container.");
  EXPECT_TRUE(
      dbc::OpenContainerCatalog(DefaultFileSystem(), kVfp + "none.dbc").status().IsNotFound());
}

// Writing: a copy of a container in memory.
class DatabaseWriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveFixtures()) GTEST_SKIP() << "FoxPro fixtures are absent (" << kVfp << ")";
    Load("infused-foxprodb", {"FOXPRO-DB-TEST.DBC", "FOXPRO-DB-TEST.DCT", "FOXPRO-DB-TEST.DCX",
                              "calls.dbf", "calls.CDX", "calls.FPT", "contacts.dbf", "contacts.CDX",
                              "contacts.FPT", "types.dbf", "types.CDX", "setup.dbf", "setup.CDX"});
  }

  void Load(const std::string& folder, std::initializer_list<const char*> files) {
    mem_ = std::make_unique<MemFileSystem>();
    mem_->AddDirectory("/db");
    for (const char* f : files)
      mem_->SetFile(std::string("/db/") + f, ReadFile(kVfp + folder + "/" + f));
  }

  std::unique_ptr<Database> Open(const std::string& dbc = "/db/FOXPRO-DB-TEST.DBC") {
    Result<std::unique_ptr<Database>> db = Database::Open(mem_.get(), dbc);
    EXPECT_TRUE(db.ok()) << db.status().ToString();
    return db.ok() ? std::move(*db) : nullptr;
  }

  std::vector<NewField> OrderFields() {
    NewField id = Field("order_id", 'I');
    NewField note = Field("delivery_instructions", 'M');
    NewField name = Field("delivery_address", 'C', 40);
    name.layout.nullable = true;
    return {id, note, name};
  }

  std::size_t FileCount() {
    std::vector<DirectoryEntry> entries;
    EXPECT_TRUE(mem_->List("/db", &entries).ok());
    return entries.size();
  }

  std::unique_ptr<MemFileSystem> mem_;
};

TEST_F(DatabaseWriteTest, CreatedTableIsListedLocatedAndIndexed) {
  auto db = Open();
  ASSERT_NE(db, nullptr);
  Status s = db->CreateTable("Orders", OrderFields(), 0x03);
  ASSERT_TRUE(s.ok()) << s.ToString();

  auto again = Open();
  EXPECT_EQ(Names(*again, CatalogEntry::Kind::kTable),
            (std::vector<std::string>{"types", "setup", "contacts", "calls", "Orders"}));
  Result<TableLocation> location = again->Locate("ORDERS");
  ASSERT_TRUE(location.ok());
  EXPECT_EQ(location->path, "/db/orders.dbf");
  EXPECT_EQ(location->long_field_names,
            (std::vector<std::string>{"order_id", "delivery_instructions", "delivery_address"}));
  Result<std::unique_ptr<Table>> table = Table::Open(mem_.get(), "/db/orders.dbf");
  ASSERT_TRUE(table.ok()) << table.status().ToString();
  EXPECT_EQ((*table)->header().backlink, "foxpro-db-test.dbc");
  EXPECT_EQ((*table)->fields()[1].name, "DELIVERY_I");
  EXPECT_EQ((*table)->fields()[2].name, "DELIVERY_A");
  EXPECT_TRUE(mem_->HasFile("/db/orders.fpt"));
  ExpectIndexMatchesRows(mem_.get(), "/db/FOXPRO-DB-TEST.DBC", "/db/FOXPRO-DB-TEST.DCX");
}

// For the same definition our Table object is byte-equal to FoxPro's.
TEST_F(DatabaseWriteTest, TableObjectEqualsTheOneFoxProWrote) {
  Load("vfpefprovider-blank", {"Blank.dbc", "Blank.dct", "Blank.dcx"});
  auto db = Open("/db/Blank.dbc");
  ASSERT_NE(db, nullptr);
  ASSERT_TRUE(
      db->CreateTable("calls", {Field("call_id", 'I'), Field("subject", 'C', 254)}, 0x03).ok());
  std::unique_ptr<ContainerFile> ours, theirs;
  ASSERT_TRUE(ContainerFile::Open(mem_.get(), "/db/Blank.dbc", false, &ours).ok());
  ASSERT_TRUE(ContainerFile::Open(DefaultFileSystem(), kVfp + "infused-foxprodb/FOXPRO-DB-TEST.DBC",
                                  false, &theirs)
                  .ok());
  std::string our_blob, their_blob;
  ASSERT_TRUE(ours->ReadPropertyBlob(ours->rows()[5], &our_blob).ok());
  ASSERT_TRUE(theirs->ReadPropertyBlob(theirs->rows()[41], &their_blob).ok());
  EXPECT_EQ(theirs->rows()[41].name, "calls");
  EXPECT_EQ(our_blob, their_blob);
  // Its Field objects: parent, type, long name, no properties (as FoxPro's
  // `subject` field of that table).
  const ObjectRow& field = ours->rows()[7];
  EXPECT_EQ(field.parent_id, 6);
  EXPECT_EQ(field.type, "Field");
  EXPECT_EQ(field.name, "subject");
  EXPECT_EQ(field.property_block, theirs->rows()[46].property_block);
}

TEST_F(DatabaseWriteTest, RefusesBadOrTakenNames) {
  auto db = Open();
  ASSERT_NE(db, nullptr);
  mem_->SetFile("/db/stray.DBF", "x");
  struct Case {
    const char* what;
    std::string name;
    std::vector<NewField> fields;
    Status::Code code;
  } cases[] = {
      {"existing table", "CONTACTS", {Field("a", 'I')}, Status::Code::kAlreadyExists},
      {"existing file", "stray", {Field("a", 'I')}, Status::Code::kAlreadyExists},
      {"empty name", "", {Field("a", 'I')}, Status::Code::kInvalidArgument},
      {"path separator", "a/b", {Field("a", 'I')}, Status::Code::kInvalidArgument},
      {"parent folder", "..", {Field("a", 'I')}, Status::Code::kInvalidArgument},
      {"control character", "a\x01", {Field("a", 'I')}, Status::Code::kInvalidArgument},
      {"too long", std::string(129, 'a'), {Field("a", 'I')}, Status::Code::kInvalidArgument},
      {"no fields", "t", {}, Status::Code::kInvalidArgument},
      {"same field twice", "t", {Field("a", 'I'), Field("A", 'I')}, Status::Code::kInvalidArgument},
      {"character outside the code page",
       "t\xD0\x96",
       {Field("a", 'I')},
       Status::Code::kInvalidArgument},
      {"bad field type", "t", {Field("a", 'X')}, Status::Code::kInvalidArgument},
  };
  std::size_t files = FileCount();
  for (const Case& c : cases) {
    Status s = db->CreateTable(c.name, c.fields, 0x03);
    EXPECT_EQ(s.code(), c.code) << c.what << ": " << s.ToString();
    EXPECT_EQ(FileCount(), files) << c.what;
  }
  EXPECT_EQ(Names(*db, CatalogEntry::Kind::kTable).size(), 4u);
}

TEST_F(DatabaseWriteTest, DropRemovesObjectsRelationsAndFiles) {
  auto db = Open();
  ASSERT_NE(db, nullptr);
  Status s = db->DropTable("Contacts");
  ASSERT_TRUE(s.ok()) << s.ToString();
  EXPECT_FALSE(mem_->HasFile("/db/contacts.dbf"));
  EXPECT_FALSE(mem_->HasFile("/db/contacts.CDX"));
  EXPECT_FALSE(mem_->HasFile("/db/contacts.FPT"));
  EXPECT_TRUE(mem_->HasFile("/db/calls.dbf"));

  std::unique_ptr<ContainerFile> c;
  ASSERT_TRUE(ContainerFile::Open(mem_.get(), "/db/FOXPRO-DB-TEST.DBC", false, &c).ok());
  for (const ObjectRow& row : c->rows()) {
    bool belongs = row.object_id == 12 || row.parent_id == 12;
    bool relation_to_it = row.record == 58;  // calls' relation to contacts
    if (belongs || relation_to_it) {
      EXPECT_TRUE(row.deleted) << "row " << row.record;
    }
  }
  EXPECT_FALSE(c->rows()[48].deleted);  // the index of `types` stays
  EXPECT_EQ(Names(*db, CatalogEntry::Kind::kTable),
            (std::vector<std::string>{"types", "setup", "calls"}));
  ExpectIndexMatchesRows(mem_.get(), "/db/FOXPRO-DB-TEST.DBC", "/db/FOXPRO-DB-TEST.DCX");
  EXPECT_TRUE(db->DropTable("contacts").IsNotFound());
}

TEST_F(DatabaseWriteTest, CreateThenDropLeavesTheOriginalLiveRows) {
  auto db = Open();
  ASSERT_NE(db, nullptr);
  ASSERT_TRUE(db->CreateTable("scratch", OrderFields(), 0x03).ok());
  ASSERT_TRUE(db->DropTable("SCRATCH").ok());
  EXPECT_FALSE(mem_->HasFile("/db/scratch.dbf"));
  EXPECT_FALSE(mem_->HasFile("/db/scratch.fpt"));
  auto again = Open();
  EXPECT_EQ(Names(*again, CatalogEntry::Kind::kTable).size(), 4u);
  ExpectIndexMatchesRows(mem_.get(), "/db/FOXPRO-DB-TEST.DBC", "/db/FOXPRO-DB-TEST.DCX");
  // The name is free again.
  EXPECT_TRUE(again->CreateTable("scratch", OrderFields(), 0x03).ok());
}

// A write failing at any point: the container still opens, its index
// matches its rows, and the table is either fully there or not at all.
TEST_F(DatabaseWriteTest, FailedCreateLeavesAConsistentContainer) {
  for (int fail_at = 1; fail_at <= 12; ++fail_at) {
    SetUp();
    auto db = Open();
    ASSERT_NE(db, nullptr);
    mem_->FailWrite(fail_at);
    Status s = db->CreateTable("orders", OrderFields(), 0x03);
    mem_->FailWrite(0);
    SCOPED_TRACE("failing write " + std::to_string(fail_at) + ": " + s.ToString());
    auto again = Open();
    ASSERT_NE(again, nullptr);
    bool listed = again->Locate("orders").ok();
    EXPECT_EQ(listed, s.ok());
    EXPECT_EQ(mem_->HasFile("/db/orders.dbf"), s.ok());
    ExpectIndexMatchesRows(mem_.get(), "/db/FOXPRO-DB-TEST.DBC", "/db/FOXPRO-DB-TEST.DCX");
  }
}

// A new container is FoxPro's blank container: the same table bytes (but
// for the date), the same Database properties and the same index.
TEST(NewContainer, EqualsFoxProsBlankContainer) {
  if (!HaveFixtures()) GTEST_SKIP() << "FoxPro fixtures are absent (" << kVfp << ")";
  MemFileSystem mem;
  mem.AddDirectory("/new");
  ASSERT_TRUE(CreateContainer(&mem, "/new/Blank.dbc").ok());
  std::string ours = mem.GetFile("/new/Blank.dbc");
  std::string theirs = ReadFile(kVfp + "vfpefprovider-blank/Blank.dbc");
  ASSERT_EQ(ours.size(), theirs.size() + 1);  // ours ends with the end-of-file byte
  EXPECT_EQ(ours.back(), '\x1a');
  EXPECT_EQ(ours.substr(4, theirs.size() - 4), theirs.substr(4));
  std::string dct = mem.GetFile("/new/Blank.dct");
  std::string blank_dct = ReadFile(kVfp + "vfpefprovider-blank/Blank.dct");
  EXPECT_EQ(dct.substr(4, 508), blank_dct.substr(4, 508));
  EXPECT_EQ(dct.substr(512), blank_dct.substr(512, 8 + 35));
  EXPECT_EQ(dct.substr(0, 4), std::string("\0\0\0\x09", 4));
  ExpectIndexMatchesRows(&mem, "/new/Blank.dbc", "/new/Blank.dcx");

  EXPECT_TRUE(CreateContainer(&mem, "/new/BLANK.DBC").IsAlreadyExists());
  Result<std::unique_ptr<Database>> db = Database::Open(&mem, "/new/Blank.dbc");
  ASSERT_TRUE(db.ok());
  ASSERT_TRUE((*db)->CreateTable("first", {Field("id", 'I')}, 0x03).ok());
  EXPECT_EQ(Names(**db, CatalogEntry::Kind::kTable), std::vector<std::string>{"first"});
}

// A non-ASCII long name is kept whole in the container, in its code page,
// and the table's own field name stays within 10 bytes.
TEST(NewContainer, KeepsNonAsciiLongFieldNames) {
  MemFileSystem mem;
  mem.AddDirectory("/new");
  ASSERT_TRUE(CreateContainer(&mem, "/new/c.dbc").ok());
  Result<std::unique_ptr<Database>> db = Database::Open(&mem, "/new/c.dbc");
  ASSERT_TRUE(db.ok());
  Status created = (*db)->CreateTable("orte", {Field("straße_und_hausnummer", 'C', 10)}, 0x03);
  ASSERT_TRUE(created.ok()) << created.ToString();
  Result<TableLocation> location = (*db)->Locate("orte");
  ASSERT_TRUE(location.ok());
  EXPECT_EQ(location->long_field_names, std::vector<std::string>{"straße_und_hausnummer"});
  Result<std::unique_ptr<Table>> table = Table::Open(&mem, location->path);
  ASSERT_TRUE(table.ok()) << table.status().ToString();
  EXPECT_LE((*table)->fields()[0].name.size(), 10u);
}

TEST(NewContainer, FailedCreateLeavesNothing) {
  for (int fail_at = 1; fail_at <= 4; ++fail_at) {
    MemFileSystem mem;
    mem.AddDirectory("/new");
    mem.FailWrite(fail_at);
    Status s = CreateContainer(&mem, "/new/x.DBC");
    mem.FailWrite(0);
    std::vector<DirectoryEntry> entries;
    ASSERT_TRUE(mem.List("/new", &entries).ok());
    EXPECT_EQ(entries.size(), s.ok() ? 3u : 0u) << "failing write " << fail_at;
  }
}

TEST_F(DatabaseWriteTest, FailedDropLeavesTheTableWholeOrGone) {
  for (int fail_at = 1; fail_at <= 40; ++fail_at) {
    SetUp();
    auto db = Open();
    ASSERT_NE(db, nullptr);
    mem_->FailWrite(fail_at);
    Status s = db->DropTable("contacts");
    mem_->FailWrite(0);
    SCOPED_TRACE("failing write " + std::to_string(fail_at) + ": " + s.ToString());
    auto again = Open();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->Locate("contacts").ok(), !s.ok());
    EXPECT_EQ(mem_->HasFile("/db/contacts.dbf"), !s.ok());
    std::unique_ptr<ContainerFile> c;
    ASSERT_TRUE(ContainerFile::Open(mem_.get(), "/db/FOXPRO-DB-TEST.DBC", false, &c).ok());
    std::size_t live = 0;
    for (const ObjectRow& row : c->rows()) {
      if (!row.deleted) ++live;
    }
    EXPECT_EQ(live, s.ok() ? 56u - 34u : 56u);  // 34: the table, 29 fields, 2 indexes, 2 relations
    ExpectIndexMatchesRows(mem_.get(), "/db/FOXPRO-DB-TEST.DBC", "/db/FOXPRO-DB-TEST.DCX");
    if (s.ok()) break;
  }
}

// The real file system, in a temporary folder, with upper-case companions.
TEST(DatabaseOnDisk, CreatesAndDropsBesideTheContainer) {
  if (!HaveFixtures()) GTEST_SKIP() << "FoxPro fixtures are absent (" << kVfp << ")";
  const fs::path dir = test_support::MakeTempFolder("quillomar_dbc_");
  ASSERT_FALSE(dir.empty());
  for (const char* f : {"FOXPRO-DB-TEST.DBC", "FOXPRO-DB-TEST.DCT", "FOXPRO-DB-TEST.DCX",
                        "types.dbf", "types.CDX"}) {
    fs::copy_file(kVfp + "infused-foxprodb/" + f, dir / f);
    fs::permissions(dir / f, fs::perms::owner_read | fs::perms::owner_write);
  }
  Result<std::unique_ptr<Catalog>> catalog =
      dbc::OpenContainerCatalog(DefaultFileSystem(), (dir / "FOXPRO-DB-TEST.DBC").string());
  ASSERT_TRUE(catalog.ok()) << catalog.status().ToString();
  ASSERT_TRUE((*catalog)->CreateTable("Notes", {Field("body", 'M')}, 0x03).ok());
  EXPECT_TRUE(fs::exists(dir / "notes.dbf"));
  EXPECT_TRUE(fs::exists(dir / "notes.fpt"));
  ASSERT_TRUE((*catalog)->DropTable("types").ok());
  EXPECT_FALSE(fs::exists(dir / "types.dbf"));
  EXPECT_FALSE(fs::exists(dir / "types.CDX"));
  EXPECT_TRUE((*catalog)->Locate("notes").ok());
  catalog->reset();  // Windows removes no folder while files in it are open
  std::error_code ignored;
  fs::remove_all(dir, ignored);
}

}  // namespace
}  // namespace foxpro::dbc
