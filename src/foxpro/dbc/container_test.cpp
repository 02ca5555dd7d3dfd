// The container table and its index, checked against the containers FoxPro
// wrote (read in place) and against damaged in-memory copies of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>

#include "foxpro/cdx/byte_order.h"
#include "foxpro/cdx/index_reader.h"
#include "foxpro/dbc/container_file.h"
#include "foxpro/dbc/dcx.h"
#include "foxpro/util/mem_file_system.h"

namespace foxpro::dbc {
namespace {

const std::string kVfp = std::string(QUILLOMAR_FIXTURES) + "/vfp/";

struct FixtureContainer {
  const char* dbc;  // relative to the vfp fixture folder
  const char* dcx;
  std::size_t rows;
  std::size_t live_rows;
};

const FixtureContainer kContainers[] = {
    {"vfpefprovider-blank/Blank.dbc", "vfpefprovider-blank/Blank.dcx", 5, 5},
    {"vfpefprovider-northwind/northwind.dbc", "vfpefprovider-northwind/northwind.dcx", 935, 298},
    {"infused-foxprodb/FOXPRO-DB-TEST.DBC", "infused-foxprodb/FOXPRO-DB-TEST.DCX", 58, 56},
    {"foxbin2prg/fb2p_dbc.dbc", "foxbin2prg/fb2p_dbc.dcx", 54, 54},
};

bool ReadFile(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *bytes = s.str();
  return true;
}

bool HaveFixtures() { return std::ifstream(kVfp + "SOURCES.md").good(); }

#define REQUIRE_FIXTURES() \
  if (!HaveFixtures()) GTEST_SKIP() << "FoxPro fixtures are absent (" << kVfp << ")"

Status OpenFixture(const FixtureContainer& c, std::unique_ptr<ContainerFile>* out) {
  return ContainerFile::Open(DefaultFileSystem(), kVfp + c.dbc, false, out);
}

std::vector<std::pair<std::string, std::vector<cdx::IndexEntry>>> IndexKeys(
    const std::string& bytes) {
  MemFileSystem fs;
  fs.SetFile("/i.dcx", bytes);
  std::unique_ptr<cdx::IndexReader> reader;
  std::vector<std::pair<std::string, std::vector<cdx::IndexEntry>>> out;
  Result<std::unique_ptr<File>> file = fs.Open("/i.dcx", OpenMode::kRead);
  Status s = cdx::IndexReader::Open(std::move(*file), "i.dcx", &reader);
  EXPECT_TRUE(s.ok()) << s.ToString();
  if (!s.ok()) return out;
  for (const cdx::TagInfo& tag : reader->tags()) {
    std::vector<cdx::IndexEntry> keys;
    EXPECT_TRUE(reader->ReadKeys(tag, ' ', &keys).ok());
    out.emplace_back(tag.name, std::move(keys));
  }
  return out;
}

TEST(ContainerFile, ReadsEveryFixtureContainer) {
  REQUIRE_FIXTURES();
  for (const FixtureContainer& c : kContainers) {
    SCOPED_TRACE(c.dbc);
    std::unique_ptr<ContainerFile> container;
    Status s = OpenFixture(c, &container);
    ASSERT_TRUE(s.ok()) << s.ToString();
    const std::vector<ObjectRow>& rows = container->rows();
    EXPECT_EQ(rows.size(), c.rows);
    std::size_t live = 0;
    for (const ObjectRow& r : rows) {
      if (!r.deleted) ++live;
    }
    EXPECT_EQ(live, c.live_rows);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0].type, "Database");
    EXPECT_EQ(rows[0].name, "Database");
    for (const ObjectRow& row : rows) EXPECT_EQ(row.object_id, static_cast<int>(row.record));
  }
}

// Every property memo FoxPro wrote decodes and encodes back to its bytes.
TEST(ContainerFile, PropertyMemosRoundTripByteForByte) {
  REQUIRE_FIXTURES();
  std::size_t checked = 0;
  for (const FixtureContainer& c : kContainers) {
    std::unique_ptr<ContainerFile> container;
    ASSERT_TRUE(OpenFixture(c, &container).ok());
    for (const ObjectRow& row : container->rows()) {
      std::string blob;
      ASSERT_TRUE(container->ReadPropertyBlob(row, &blob).ok()) << c.dbc << " " << row.record;
      PropertyList list;
      ASSERT_TRUE(DecodeProperties(blob, c.dbc, &list).ok()) << c.dbc << " " << row.record;
      EXPECT_EQ(EncodeProperties(list), blob) << c.dbc << " object " << row.object_id;
      if (!blob.empty()) ++checked;
    }
  }
  EXPECT_GT(checked, 300u);
}

// The index keys we compute from the rows are the keys FoxPro stored.
TEST(ContainerIndex, KeysEqualThoseFoxProComputed) {
  REQUIRE_FIXTURES();
  for (const FixtureContainer& c : kContainers) {
    SCOPED_TRACE(c.dbc);
    std::unique_ptr<ContainerFile> container;
    ASSERT_TRUE(OpenFixture(c, &container).ok());
    std::string theirs;
    ASSERT_TRUE(ReadFile(kVfp + c.dcx, &theirs));
    std::string ours;
    ASSERT_TRUE(BuildContainerIndex(container->rows(), container->codepage_mark(), 1, &ours).ok());
    auto expected = IndexKeys(theirs);
    auto actual = IndexKeys(ours);
    ASSERT_EQ(actual.size(), 2u);
    ASSERT_EQ(expected.size(), 2u);
    for (std::size_t t = 0; t < 2; ++t) {
      EXPECT_EQ(actual[t].first, expected[t].first);
      EXPECT_EQ(actual[t].second.size(), c.live_rows);
      EXPECT_EQ(actual[t].second, expected[t].second) << actual[t].first;
    }
  }
}

// For the smallest container our whole file equals FoxPro's, apart from the
// statistics bytes of the tag headers, the "maintained" node bit and the
// stale bytes FoxPro leaves in the free gap of a leaf.
TEST(ContainerIndex, RebuiltBlankIndexEqualsFoxProsFile) {
  REQUIRE_FIXTURES();
  std::unique_ptr<ContainerFile> container;
  ASSERT_TRUE(OpenFixture(kContainers[0], &container).ok());
  std::string theirs;
  ASSERT_TRUE(ReadFile(kVfp + kContainers[0].dcx, &theirs));
  std::string ours;
  ASSERT_TRUE(BuildContainerIndex(container->rows(), container->codepage_mark(), 0, &ours).ok());
  ASSERT_EQ(ours.size(), theirs.size());
  for (std::size_t header : {1536u, 3072u}) {
    std::fill_n(theirs.begin() + static_cast<long>(header) + 16, 20, '\0');
  }
  for (std::size_t page : {2560u, 4096u}) {
    char* p = theirs.data() + page;
    bytes::PutLe16(p, bytes::GetLe16(p) & 0x03);
    std::size_t gap_start = 24 + bytes::GetLe16(p + 2) * static_cast<std::size_t>(p[23]);
    std::fill_n(p + gap_start, bytes::GetLe16(p + 12), '\0');
  }
  EXPECT_EQ(ours, theirs);
}

TEST(ContainerIndex, StrOfIdAndLowerFollowFoxPro) {
  struct IdCase {
    std::int32_t id;
    const char* text;
  } ids[] = {{1, "         1"},
             {-7, "        -7"},
             {2147483647, "2147483647"},
             {-2147483647 - 1, "**********"}};
  for (const IdCase& c : ids) EXPECT_EQ(StrOfId(c.id), c.text) << c.id;
  struct LowerCase {
    std::string text;
    std::uint8_t mark;
    std::string lower;
  } lowers[] = {{"OrderDetails_9", 0x03, "orderdetails_9"},
                {"\xC0\xD7\xDE\x8A\x9F", 0x03, "\xE0\xD7\xFE\x9A\xFF"},
                {"\xC0\xC9\xA8", 0xC9, "\xE0\xE9\xB8"},  // 1251: А Й Ё
                {"\x8A\xA3\xC8", 0xC8, "\x9A\xB3\xE8"},  // 1250: Š Ł Č
                {"\xC1\xA2", 0xCB, "\xE1\xDC"},          // 1253: Α Ά
                {"AB\x83\x41", 0x7B, "ab\x83\x41"},      // 932: trail byte 'A' kept
                {"\x80\x8E", 0x65, "\xA0\xAE"}};         // 866: А О
  for (const LowerCase& c : lowers) EXPECT_EQ(LowerInCodePage(c.text, c.mark), c.lower);
}

class ContainerWriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HaveFixtures()) GTEST_SKIP() << "FoxPro fixtures are absent (" << kVfp << ")";
    fs_.AddDirectory("/db");
    for (const char* name : {"Blank.dbc", "Blank.dct", "Blank.dcx"}) {
      std::string bytes;
      ASSERT_TRUE(ReadFile(kVfp + "vfpefprovider-blank/" + name, &bytes));
      fs_.SetFile(std::string("/db/") + name, bytes);
    }
  }

  Status Open(bool writable, std::unique_ptr<ContainerFile>* out) {
    return ContainerFile::Open(&fs_, "/db/Blank.dbc", writable, out);
  }

  std::vector<NewObject> TwoObjects() {
    return {{1, "Table", "Orders", EncodeProperties(MakeTableProperties(TableWithPath()))},
            {6, "Field", "order_id", ""}};
  }

  static TableProperties TableWithPath() {
    TableProperties t;
    t.path = "orders.dbf";
    return t;
  }

  MemFileSystem fs_;
};

TEST_F(ContainerWriteTest, AppendedRowsAndMemosReadBack) {
  std::unique_ptr<ContainerFile> c;
  ASSERT_TRUE(Open(true, &c).ok());
  EXPECT_EQ(c->next_object_id(), 6);
  std::vector<std::int32_t> ids;
  ASSERT_TRUE(c->Append(TwoObjects(), &ids).ok());
  EXPECT_EQ(ids, (std::vector<std::int32_t>{6, 7}));
  ASSERT_TRUE(RewriteContainerIndex(&fs_, *c).ok());

  std::unique_ptr<ContainerFile> again;
  ASSERT_TRUE(Open(false, &again).ok());
  ASSERT_EQ(again->rows().size(), 7u);
  const ObjectRow& table = again->rows()[5];
  EXPECT_EQ(table.object_id, 6);
  EXPECT_EQ(table.type, "Table");
  EXPECT_EQ(table.name, "Orders");
  PropertyList props;
  ASSERT_TRUE(again->ReadProperties(table, &props).ok());
  EXPECT_EQ(props.Text(PropertyId::kPath), "orders.dbf");
  EXPECT_EQ(again->rows()[6].parent_id, 6);
  EXPECT_EQ(again->rows()[6].property_block, 0u);
  std::string dbc = fs_.GetFile("/db/Blank.dbc");
  EXPECT_EQ(dbc.back(), '\x1a');
  EXPECT_EQ(bytes::GetLe32(dbc.data() + 4), 7u);

  auto keys = IndexKeys(fs_.GetFile("/db/Blank.dcx"));
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].second.size(), 7u);
  EXPECT_EQ(keys[0].second[5].key.substr(0, 26), "         1Table     orders");
}

TEST_F(ContainerWriteTest, DeletedRowsLeaveTheIndex) {
  std::unique_ptr<ContainerFile> c;
  ASSERT_TRUE(Open(true, &c).ok());
  std::vector<std::int32_t> ids;
  ASSERT_TRUE(c->Append(TwoObjects(), &ids).ok());
  ASSERT_TRUE(c->MarkDeleted({6, 7}).ok());
  ASSERT_TRUE(RewriteContainerIndex(&fs_, *c).ok());
  EXPECT_TRUE(c->MarkDeleted({99}).IsInvalidArgument());
  std::unique_ptr<ContainerFile> again;
  ASSERT_TRUE(Open(false, &again).ok());
  EXPECT_TRUE(again->rows()[5].deleted);
  EXPECT_TRUE(again->rows()[6].deleted);
  for (const auto& [tag, keys] : IndexKeys(fs_.GetFile("/db/Blank.dcx"))) {
    EXPECT_EQ(keys.size(), 5u) << tag;
  }
}

TEST_F(ContainerWriteTest, RefusesToAppendPastADamagedNextFreePointer) {
  struct Case {
    const char* what;
    std::uint32_t next_free;
    std::uint32_t block_size;
  } cases[] = {{"inside the header", 3, 64},
               {"far past the end", 0x00FFFFFF, 64},
               {"huge blocks", 2, 0x40000000}};
  for (const Case& c : cases) {
    SetUp();
    std::string dct = fs_.GetFile("/db/Blank.dct");
    bytes::PutBe32(dct.data(), c.next_free);
    bytes::PutBe32(dct.data() + 4, c.block_size);
    fs_.SetFile("/db/Blank.dct", dct);
    std::unique_ptr<ContainerFile> container;
    ASSERT_TRUE(Open(true, &container).ok()) << c.what;
    std::vector<std::int32_t> ids;
    EXPECT_TRUE(container->Append(TwoObjects(), &ids).IsCorruption()) << c.what;
    EXPECT_EQ(fs_.GetFile("/db/Blank.dct").size(), dct.size()) << c.what;
  }
}

// A write that fails at any point leaves a container that opens, with the
// new rows either all there or not there at all.
TEST_F(ContainerWriteTest, FailedAppendLeavesAConsistentContainer) {
  for (int fail_at = 1; fail_at <= 6; ++fail_at) {
    SetUp();
    std::unique_ptr<ContainerFile> c;
    ASSERT_TRUE(Open(true, &c).ok());
    fs_.FailWrite(fail_at);
    std::vector<std::int32_t> ids;
    Status s = c->Append(TwoObjects(), &ids);
    fs_.FailWrite(0);
    std::unique_ptr<ContainerFile> again;
    Status reopened = Open(false, &again);
    ASSERT_TRUE(reopened.ok()) << "write " << fail_at << ": " << reopened.ToString();
    EXPECT_EQ(again->rows().size(), s.ok() ? 7u : 5u) << "write " << fail_at;
    for (const ObjectRow& row : again->rows()) {
      PropertyList props;
      EXPECT_TRUE(again->ReadProperties(row, &props).ok()) << "write " << fail_at;
    }
  }
}

TEST(ContainerFile, RefusesFilesThatAreNotContainers) {
  REQUIRE_FIXTURES();
  std::unique_ptr<ContainerFile> c;
  EXPECT_TRUE(ContainerFile::Open(DefaultFileSystem(),
                                  kVfp + "vfpefprovider-blank/decimaltable.dbf", false, &c)
                  .IsInvalidArgument());
  Status missing = ContainerFile::Open(DefaultFileSystem(), kVfp + "nothing-here.dbc", false, &c);
  EXPECT_TRUE(missing.IsNotFound());
  EXPECT_EQ(missing.message(), "File 'nothing-here.dbc' does not exist.");
}

TEST(ContainerFile, DamagedContainersGiveAStatus) {
  REQUIRE_FIXTURES();
  std::string dbc, dct;
  ASSERT_TRUE(ReadFile(kVfp + "vfpefprovider-blank/Blank.dbc", &dbc));
  ASSERT_TRUE(ReadFile(kVfp + "vfpefprovider-blank/Blank.dct", &dct));
  using Damage = std::function<void(std::string * dbc, std::string * dct)>;
  auto dbc16 = [](std::size_t at, std::uint32_t v) -> Damage {
    return [=](std::string* b, std::string*) { bytes::PutLe16(b->data() + at, v); };
  };
  auto dbc32 = [](std::size_t at, std::uint32_t v) -> Damage {
    return [=](std::string* b, std::string*) { bytes::PutLe32(b->data() + at, v); };
  };
  // Row 1 starts at 552; its PROPERTY pointer is at byte 147 of the row.
  struct Case {
    const char* what;
    Damage damage;
    bool fails_open;
  } cases[] = {
      {"empty file", [](std::string* b, std::string*) { b->clear(); }, true},
      {"cut inside the header", [](std::string* b, std::string*) { b->resize(300); }, true},
      {"cut inside a row", [](std::string* b, std::string*) { b->resize(552 + 165 * 3 + 10); },
       true},
      {"header length past the end", dbc16(8, 60000), true},
      {"record length 0", dbc16(10, 0), true},
      {"record length shorter than the fields", dbc16(10, 100), true},
      {"row count past the end", dbc32(4, 0x7FFFFFFF), true},
      {"no container flag", [](std::string* b, std::string*) { (*b)[28] = 0x03; }, true},
      {"memo file missing", [](std::string*, std::string* m) { m->clear(); }, true},
      {"memo block size 0", [](std::string*, std::string* m) { (*m)[6] = (*m)[7] = 0; }, true},
      {"property block past the end", dbc32(552 + 147, 0x00FFFFFF), false},
      {"property block inside the memo header", dbc32(552 + 147, 1), false},
      {"property memo longer than the file",
       [](std::string* b, std::string* m) {
         std::size_t block = bytes::GetLe32(b->data() + 552 + 147);
         bytes::PutBe32(m->data() + block * 64 + 4, 0x7FFFFFF0);
       },
       false},
      {"property entry longer than its memo",
       [](std::string* b, std::string* m) {
         std::size_t block = bytes::GetLe32(b->data() + 552 + 147);
         bytes::PutLe32(m->data() + block * 64 + 8, 500);
       },
       false},
  };
  for (const Case& c : cases) {
    MemFileSystem fs;
    fs.AddDirectory("/db");
    std::string b = dbc, m = dct;
    c.damage(&b, &m);
    fs.SetFile("/db/x.dbc", b);
    if (!m.empty()) fs.SetFile("/db/x.DCT", m);
    std::unique_ptr<ContainerFile> container;
    Status s = ContainerFile::Open(&fs, "/db/x.dbc", false, &container);
    if (c.fails_open) {
      EXPECT_FALSE(s.ok()) << c.what;
      continue;
    }
    ASSERT_TRUE(s.ok()) << c.what << ": " << s.ToString();
    PropertyList props;
    Status p = container->ReadProperties(container->rows()[0], &props);
    EXPECT_TRUE(p.IsCorruption()) << c.what << ": " << p.ToString();
  }
}

}  // namespace
}  // namespace foxpro::dbc
