// Compound index reading and writing, checked against the indexes FoxPro
// wrote in the fixture folders and against damaged copies of them.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include "foxpro/cdx/byte_order.h"
#include "foxpro/cdx/cdx_format.h"
#include "foxpro/cdx/index_builder.h"
#include "foxpro/cdx/index_reader.h"
#include "foxpro/util/mem_file_system.h"

namespace foxpro::cdx {
namespace {

const std::string kVfp = std::string(QUILLOMAR_FIXTURES) + "/vfp/";

bool ReadFixture(const std::string& relative, std::string* bytes) {
  std::ifstream in(kVfp + relative, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *bytes = s.str();
  return true;
}

#define REQUIRE_FIXTURE(relative, bytes) \
  if (!ReadFixture(relative, bytes))     \
  GTEST_SKIP() << "fixture " << (relative) << " is absent (" << kVfp << ")"

class IndexTest : public ::testing::Test {
 protected:
  // Opens `bytes` as an index file held in memory.
  Status OpenBytes(const std::string& bytes, std::unique_ptr<IndexReader>* reader) {
    fs_.SetFile("/x.cdx", bytes);
    Result<std::unique_ptr<File>> file = fs_.Open("/x.cdx", OpenMode::kRead);
    if (!file.ok()) return file.status();
    return IndexReader::Open(std::move(*file), "x.cdx", reader);
  }

  // Reads every tag (keys included) or fails the test.
  std::vector<std::pair<TagInfo, std::vector<IndexEntry>>> ReadAll(const std::string& bytes,
                                                                   char fill) {
    std::unique_ptr<IndexReader> reader;
    Status s = OpenBytes(bytes, &reader);
    EXPECT_TRUE(s.ok()) << s.ToString();
    std::vector<std::pair<TagInfo, std::vector<IndexEntry>>> all;
    if (!s.ok()) return all;
    for (const TagInfo& tag : reader->tags()) {
      std::vector<IndexEntry> keys;
      if (!tag.binary()) {
        Status k = reader->ReadKeys(tag, fill, &keys);
        EXPECT_TRUE(k.ok()) << tag.name << ": " << k.ToString();
      }
      all.emplace_back(tag, std::move(keys));
    }
    return all;
  }

  MemFileSystem fs_;
};

// The leaf pages of the tree rooted at `root`, left to right (leftmost
// descent, then right siblings). Sibling pointers depend on where a writer
// put the pages, and bit 0x04 of the attributes marks pages FoxPro updated
// later: both are blanked so that pages compare by content. So is the free
// gap between the entry table and the key fragments, where FoxPro leaves
// stale bytes.
std::vector<std::string> LeafPages(const std::string& file, std::uint32_t root,
                                   std::size_t key_length) {
  std::uint32_t offset = root;
  for (int depth = 0; depth < 16; ++depth) {
    if (std::size_t{offset} + kPageSize > file.size()) return {};
    const char* p = file.data() + offset;
    if ((bytes::GetLe16(p) & node::kLeaf) != 0) break;
    offset = bytes::GetBe32(p + node::kHeaderSize + key_length + 4);
  }
  std::vector<std::string> pages;
  while (offset != kNoPage && std::size_t{offset} + kPageSize <= file.size() &&
         pages.size() < 10000) {
    std::string page = file.substr(offset, kPageSize);
    bytes::PutLe16(page.data(), bytes::GetLe16(page.data()) & 0x03);
    bytes::PutLe32(page.data() + node::kLeft, 0);
    bytes::PutLe32(page.data() + node::kRight, 0);
    std::size_t gap_start =
        node::kLeafEntries + bytes::GetLe16(page.data() + node::kKeyCount) *
                                 static_cast<unsigned char>(page[node::kEntryBytes]);
    std::size_t gap = bytes::GetLe16(page.data() + node::kFreeBytes);
    if (gap_start + gap <= kPageSize)
      std::fill_n(page.begin() + static_cast<long>(gap_start), gap, '\0');
    pages.push_back(page);
    offset = bytes::GetLe32(file.data() + offset + node::kRight);
  }
  return pages;
}

TagBuild BuildFrom(const TagInfo& tag, std::vector<IndexEntry> keys, char fill) {
  TagBuild b;
  b.name = tag.name;
  b.key_expression = tag.key_expression;
  b.for_expression = tag.for_expression;
  b.key_length = tag.key_length;
  b.options = tag.options & (kOptionUnique | kOptionNullable | kOptionCandidate);
  b.descending = tag.descending;
  b.fill = fill;
  b.entries = std::move(keys);
  return b;
}

std::vector<std::string> FixtureIndexes() {
  return {"vfpefprovider-blank/Blank.dcx",
          "vfpefprovider-blank/Decimaltable.CDX",
          "vfpefprovider-northwind/northwind.dcx",
          "vfpefprovider-northwind/orders.cdx",
          "vfpefprovider-northwind/orderdetails.cdx",
          "vfpefprovider-northwind/customers.cdx",
          "vfpefprovider-northwind/products.cdx",
          "vfpefprovider-northwind/employees.cdx",
          "vfpefprovider-northwind/categories.cdx",
          "vfpefprovider-northwind/shippers.cdx",
          "vfpefprovider-northwind/customercustomerdemo.cdx",
          "vfpefprovider-northwind/PREVIOUSEMPLOYEES.CDX",
          "foxbin2prg/fb2p_dbc.dcx",
          "foxbin2prg/fb2p_free.cdx",
          "foxbin2prg/fb2p_dbf.cdx",
          "foxbin2prg/fb2p_depto.cdx",
          "foxbin2prg/foxuser_fdbozzo.cdx",
          "infused-foxprodb/FOXPRO-DB-TEST.DCX",
          "infused-foxprodb/contacts.CDX",
          "infused-foxprodb/calls.CDX"};
}

TEST_F(IndexTest, ListsTheTagsOfFixtureIndexes) {
  struct Case {
    const char* file;
    std::vector<std::string> tags;
  } cases[] = {
      {"vfpefprovider-blank/Blank.dcx", {"OBJECTNAME", "OBJECTTYPE"}},
      {"vfpefprovider-northwind/orders.cdx",
       {"CUSTOMERID", "EMPLOYEEID", "ORDERDATE", "ORDERID", "SHIPPEDDAT", "SHIPPERID"}},
      {"foxbin2prg/fb2p_free.cdx", {"CARACTER", "ENTERO", "LOGICO"}},
      {"foxbin2prg/fb2p_dbf.cdx",
       {"DEPTO", "EDAD", "EDAD_ND", "ID", "I_NOMBRE", "NOMBRE", "NOTDELETED"}},
      {"infused-foxprodb/types.CDX", {"TYPE_ID"}},
  };
  for (const Case& c : cases) {
    std::string bytes;
    REQUIRE_FIXTURE(c.file, &bytes);
    std::unique_ptr<IndexReader> reader;
    ASSERT_TRUE(OpenBytes(bytes, &reader).ok()) << c.file;
    std::vector<std::string> names;
    for (const TagInfo& tag : reader->tags()) names.push_back(tag.name);
    EXPECT_EQ(names, c.tags) << c.file;
  }
}

TEST_F(IndexTest, ReadsTagHeaders) {
  std::string bytes;
  REQUIRE_FIXTURE("foxbin2prg/fb2p_free.cdx", &bytes);
  std::unique_ptr<IndexReader> reader;
  ASSERT_TRUE(OpenBytes(bytes, &reader).ok());
  const TagInfo* caracter = reader->FindTag("caracter");
  ASSERT_NE(caracter, nullptr);
  EXPECT_EQ(caracter->key_length, 60);
  EXPECT_TRUE(caracter->candidate());
  EXPECT_EQ(caracter->collation, "GENERAL");
  EXPECT_EQ(caracter->for_expression, ".NOT.EMPTY(caracter)");
  const TagInfo* entero = reader->FindTag("ENTERO");
  ASSERT_NE(entero, nullptr);
  EXPECT_TRUE(entero->descending);
  EXPECT_EQ(entero->key_expression, "entero");
  EXPECT_TRUE(reader->FindTag("logico")->binary());
  std::vector<IndexEntry> keys;
  EXPECT_TRUE(reader->ReadKeys(*reader->FindTag("logico"), '\0', &keys).IsNotSupported());
}

TEST_F(IndexTest, ReadsEveryFixtureIndex) {
  for (const std::string& file : FixtureIndexes()) {
    std::string bytes;
    REQUIRE_FIXTURE(file, &bytes);
    SCOPED_TRACE(file);
    auto all = ReadAll(bytes, ' ');
    EXPECT_FALSE(all.empty());
  }
}

TEST_F(IndexTest, ContainerIndexesHoldOneKeyPerLiveRow) {
  struct Case {
    const char* file;
    std::size_t live_rows;
  } cases[] = {{"vfpefprovider-blank/Blank.dcx", 5},
               {"vfpefprovider-northwind/northwind.dcx", 298},
               {"infused-foxprodb/FOXPRO-DB-TEST.DCX", 56},
               {"foxbin2prg/fb2p_dbc.dcx", 54}};
  for (const Case& c : cases) {
    std::string bytes;
    REQUIRE_FIXTURE(c.file, &bytes);
    for (const auto& [tag, keys] : ReadAll(bytes, ' ')) {
      EXPECT_EQ(keys.size(), c.live_rows) << c.file << " " << tag.name;
      EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end(),
                                 [](const IndexEntry& a, const IndexEntry& b) {
                                   return a.key != b.key ? a.key < b.key : a.record < b.record;
                                 }))
          << c.file << " " << tag.name;
    }
  }
}

TEST_F(IndexTest, RebuiltIndexHoldsTheSameTagsAndKeys) {
  for (const std::string& file : FixtureIndexes()) {
    std::string bytes;
    REQUIRE_FIXTURE(file, &bytes);
    SCOPED_TRACE(file);
    std::vector<TagBuild> builds;
    std::vector<std::pair<TagInfo, std::vector<IndexEntry>>> expected;
    for (auto& [tag, keys] : ReadAll(bytes, ' ')) {
      if (tag.binary() || !tag.collation.empty()) continue;
      builds.push_back(BuildFrom(tag, keys, ' '));
      // Keys of numeric tags read back with blanks may sort differently.
      std::sort(keys.begin(), keys.end(), [](const IndexEntry& a, const IndexEntry& b) {
        return a.key != b.key ? a.key < b.key : a.record < b.record;
      });
      expected.emplace_back(tag, keys);
    }
    std::string rebuilt;
    ASSERT_TRUE(BuildIndexFile(builds, 7, &rebuilt).ok());
    auto actual = ReadAll(rebuilt, ' ');
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
      const TagInfo& a = actual[i].first;
      const TagInfo& e = expected[i].first;
      EXPECT_EQ(a.name, e.name);
      EXPECT_EQ(a.key_expression, e.key_expression);
      EXPECT_EQ(a.for_expression, e.for_expression);
      EXPECT_EQ(a.key_length, e.key_length);
      EXPECT_EQ(a.options, e.options) << a.name;
      EXPECT_EQ(a.descending, e.descending);
      EXPECT_EQ(actual[i].second, expected[i].second) << a.name;
    }
  }
}

// Tags FoxPro built in one pass: our packing gives the very same leaves.
TEST_F(IndexTest, OnePassLeavesEqualFoxProLeavesByteForByte) {
  struct Case {
    const char* file;
    const char* tag;
    char fill;
  } cases[] = {{"vfpefprovider-northwind/orders.cdx", "ORDERDATE", '\0'},
               {"vfpefprovider-northwind/orderdetails.cdx", "ORDERID", '\0'},
               {"vfpefprovider-northwind/orderdetails.cdx", "PRIMARYKEY", ' '},
               {"vfpefprovider-northwind/customers.cdx", "COMPANYNAM", ' '},
               {"vfpefprovider-northwind/shippers.cdx", "SHIPPERID", '\0'}};
  for (const Case& c : cases) {
    std::string bytes;
    REQUIRE_FIXTURE(c.file, &bytes);
    SCOPED_TRACE(std::string(c.file) + " " + c.tag);
    std::unique_ptr<IndexReader> reader;
    ASSERT_TRUE(OpenBytes(bytes, &reader).ok());
    const TagInfo* tag = reader->FindTag(c.tag);
    ASSERT_NE(tag, nullptr);
    std::vector<IndexEntry> keys;
    ASSERT_TRUE(reader->ReadKeys(*tag, c.fill, &keys).ok());
    std::string rebuilt;
    ASSERT_TRUE(BuildIndexFile({BuildFrom(*tag, keys, c.fill)}, 0, &rebuilt).ok());
    std::unique_ptr<IndexReader> ours;
    ASSERT_TRUE(OpenBytes(rebuilt, &ours).ok());
    std::vector<std::string> theirs_pages = LeafPages(bytes, tag->root_offset, tag->key_length);
    std::vector<std::string> our_pages =
        LeafPages(rebuilt, ours->tags()[0].root_offset, tag->key_length);
    ASSERT_EQ(our_pages.size(), theirs_pages.size());
    for (std::size_t i = 0; i < our_pages.size(); ++i) {
      EXPECT_EQ(our_pages[i], theirs_pages[i]) << "leaf " << i;
    }
  }
}

TEST_F(IndexTest, BuildsDeepTreesWithWideRecordNumbers) {
  std::mt19937 random(42);
  TagBuild tag;
  tag.name = "big";
  tag.key_expression = "name";
  tag.key_length = 30;
  for (std::uint32_t i = 0; i < 6000; ++i) {
    std::string key(30, ' ');
    std::size_t used = random() % 30;
    for (std::size_t j = 0; j < used; ++j) key[j] = static_cast<char>('A' + random() % 3);
    tag.entries.push_back(IndexEntry{key, static_cast<std::uint32_t>(random())});
  }
  TagBuild empty;
  empty.name = "nothing";
  empty.key_expression = "id";
  empty.key_length = 4;
  empty.fill = '\0';
  std::vector<IndexEntry> expected = tag.entries;
  std::sort(expected.begin(), expected.end(), [](const IndexEntry& a, const IndexEntry& b) {
    return a.key != b.key ? a.key < b.key : a.record < b.record;
  });
  std::string file;
  ASSERT_TRUE(BuildIndexFile({tag, empty}, 0, &file).ok());
  auto all = ReadAll(file, ' ');
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].second, expected);
  EXPECT_TRUE(all[1].second.empty());
}

TEST(IndexBuilder, RejectsTagsThatDoNotFitTheFormat) {
  auto tag = [](std::string name, std::uint16_t key_length, std::string key) {
    TagBuild t;
    t.name = std::move(name);
    t.key_expression = "x";
    t.key_length = key_length;
    t.entries.push_back(IndexEntry{std::move(key), 1});
    return t;
  };
  struct Case {
    const char* what;
    std::vector<TagBuild> tags;
  } cases[] = {
      {"empty name", {tag("", 1, "a")}},
      {"name too long", {tag("elevenchars", 1, "a")}},
      {"same name twice", {tag("a", 1, "a"), tag("A", 1, "b")}},
      {"key length 0", {tag("a", 0, "")}},
      {"key length 241", {tag("a", 241, std::string(241, 'x'))}},
      {"key of another length", {tag("a", 3, "ab")}},
  };
  for (const Case& c : cases) {
    std::string out;
    EXPECT_TRUE(BuildIndexFile(c.tags, 0, &out).IsInvalidArgument()) << c.what;
  }
}

// Damaged copies of a real container index: every one gives a status.
TEST_F(IndexTest, DamagedIndexesGiveCorruption) {
  std::string good;
  REQUIRE_FIXTURE("vfpefprovider-blank/Blank.dcx", &good);
  auto put16 = [](std::size_t at, std::uint32_t v) {
    return [=](std::string* b) { bytes::PutLe16(b->data() + at, v); };
  };
  auto put32 = [](std::size_t at, std::uint32_t v) {
    return [=](std::string* b) { bytes::PutLe32(b->data() + at, v); };
  };
  auto put8 = [](std::size_t at, char v) { return [=](std::string* b) { (*b)[at] = v; }; };
  struct Case {
    const char* what;
    std::function<void(std::string*)> damage;
  } cases[] = {
      {"empty file", [](std::string* b) { b->clear(); }},
      {"cut inside the header", [](std::string* b) { b->resize(700); }},
      {"cut before the directory", [](std::string* b) { b->resize(1024); }},
      {"cut before the first tag's root", [](std::string* b) { b->resize(2560); }},
      {"cut inside the last tag", [](std::string* b) { b->resize(4200); }},
      {"directory root past the end", put32(0, 0x7FFFFE00)},
      {"directory root not on a page", put32(0, 1030)},
      {"not a directory header", put8(14, 0x60)},
      {"directory key count huge", put16(1024 + 2, 5000)},
      {"leaf entry of 0 bytes", put8(1024 + 23, 0)},
      {"leaf entry of 9 bytes", put8(1024 + 23, 9)},
      {"leaf bit widths disagree", put8(1024 + 20, 3)},
      {"tag header past the end", put32(1024 + 24, 0x00FFFE00)},
      {"tag key length 0", put16(1536 + 12, 0)},
      {"tag key length 5000", put16(1536 + 12, 5000)},
      {"tag root past the end", put32(1536, 0x00FF0000)},
      {"tag root is its own child",
       [](std::string* b) {
         bytes::PutLe16(b->data() + 2560, 1);  // interior root
         bytes::PutLe16(b->data() + 2562, 1);
         bytes::PutBe32(b->data() + 2560 + 12 + 148 + 4, 2560);
       }},
      {"interior node with too many entries",
       [](std::string* b) {
         bytes::PutLe16(b->data() + 2560, 1);
         bytes::PutLe16(b->data() + 2562, 4);
       }},
      {"shared count on a first key",
       [](std::string* b) {
         // First entry of the OBJECTTYPE leaf: R=2, RB=6, DB=5: dup bits 6..10.
         std::uint32_t e = bytes::GetLe16(b->data() + 4096 + 24);
         bytes::PutLe16(b->data() + 4096 + 24, e | (3u << 6));
       }},
      {"fragments overrun the entries",
       [](std::string* b) { bytes::PutLe16(b->data() + 4096 + 2, 200); }},
  };
  for (const Case& c : cases) {
    std::string damaged = good;
    c.damage(&damaged);
    std::unique_ptr<IndexReader> reader;
    Status s = OpenBytes(damaged, &reader);
    bool failed = !s.ok();
    if (s.ok()) {
      for (const TagInfo& tag : reader->tags()) {
        std::vector<IndexEntry> keys;
        if (!reader->ReadKeys(tag, ' ', &keys).ok()) failed = true;
      }
    }
    EXPECT_TRUE(failed) << c.what;
    if (!s.ok()) {
      EXPECT_TRUE(s.IsCorruption()) << c.what << ": " << s.ToString();
    }
  }
}

// Random damage never crashes or hangs the reader (run under the sanitizers).
TEST_F(IndexTest, SurvivesRandomDamage) {
  std::string good;
  REQUIRE_FIXTURE("vfpefprovider-northwind/northwind.dcx", &good);
  std::mt19937 random(7);
  for (int round = 0; round < 1500; ++round) {
    std::string damaged = good;
    int flips = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < flips; ++i) {
      damaged[random() % damaged.size()] = static_cast<char>(random());
    }
    if (round % 10 == 0) damaged.resize(random() % damaged.size());
    std::unique_ptr<IndexReader> reader;
    if (!OpenBytes(damaged, &reader).ok()) continue;
    for (const TagInfo& tag : reader->tags()) {
      std::vector<IndexEntry> keys;
      (void)reader->ReadKeys(tag, ' ', &keys);
    }
  }
}

TEST(IndexTags, ListsTheTagsOfAStructuralIndexOnDisk) {
  std::string bytes;
  REQUIRE_FIXTURE("vfpefprovider-northwind/categories.cdx", &bytes);
  std::vector<TagInfo> tags;
  Status s = ReadIndexTags(DefaultFileSystem(), kVfp + "vfpefprovider-northwind/categories.cdx",
                           &tags);
  ASSERT_TRUE(s.ok()) << s.ToString();
  ASSERT_FALSE(tags.empty());
  for (const TagInfo& tag : tags) EXPECT_FALSE(tag.name.empty());
  EXPECT_TRUE(ReadIndexTags(DefaultFileSystem(), kVfp + "no-such.cdx", &tags).IsNotFound());
}

TEST(IndexBits, BitLengthMatchesFoxProCountWidths) {
  struct Case {
    std::uint64_t value;
    unsigned bits;
  } cases[] = {{0, 0},  {1, 1},  {3, 2},   {4, 3},   {10, 4},
               {16, 5}, {41, 6}, {148, 8}, {240, 8}, {0xFFFFFFFFull, 32}};
  for (const Case& c : cases) EXPECT_EQ(BitLength(c.value), c.bits) << c.value;
}

}  // namespace
}  // namespace foxpro::cdx
