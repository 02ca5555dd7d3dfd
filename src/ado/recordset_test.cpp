// Client-side record sets: every row buffered at open, read back in order
// and unchanged, across buffer blocks and with rows larger than a block, with
// a yield after each row read.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ado/connection.h"

namespace ado {
namespace {

// A provider cursor over rows held in memory.
class ListCursor : public Cursor {
 public:
  explicit ListCursor(std::vector<std::vector<Value>> rows) : rows_(std::move(rows)) {
    fields_ = {{"k", 3}, {"t", 200}};
  }
  const std::vector<FieldInfo>& Fields() const override { return fields_; }
  bool Fetch(std::vector<Value>* row) override {
    if (next_ >= rows_.size()) return false;
    *row = rows_[next_++];
    return true;
  }

 private:
  std::vector<FieldInfo> fields_;
  std::vector<std::vector<Value>> rows_;
  std::size_t next_ = 0;
};

std::vector<std::vector<Value>> MakeRows() {
  std::vector<std::vector<Value>> rows;
  for (int i = 0; i < 30000; ++i) {
    // Mostly short rows, a few that are larger than a whole buffer block, and
    // nulls, so that rows end at and cross every kind of block boundary.
    std::string text = "row " + std::to_string(i);
    if (i % 10000 == 7) text = std::string((1 << 20) + 4096 + static_cast<std::size_t>(i), 'x');
    rows.push_back({Value::Int(i), i % 11 == 0 ? Value() : Value::Text(text)});
  }
  return rows;
}

TEST(ClientSideRecordset, ReturnsEveryBufferedRowInOrder) {
  const auto rows = MakeRows();
  Recordset rs;
  rs.Attach(std::make_unique<ListCursor>(rows), /*client_side=*/true);
  EXPECT_EQ(rs.RecordCount(), static_cast<std::int64_t>(rows.size()));
  std::size_t i = 0;
  for (; !rs.IsEOF(); rs.MoveNext(), ++i) {
    ASSERT_LT(i, rows.size());
    ASSERT_EQ(rs.Fields(0).Value(), rows[i][0]) << "row " << i;
    ASSERT_EQ(rs.Fields("t").Value(), rows[i][1]) << "row " << i;
  }
  EXPECT_EQ(i, rows.size());
  EXPECT_THROW(rs.MoveNext(), Error);
}

TEST(ClientSideRecordset, EmptyResultIsAtEofWithCountZero) {
  Recordset rs;
  rs.Attach(std::make_unique<ListCursor>(std::vector<std::vector<Value>>{}), true);
  EXPECT_EQ(rs.RecordCount(), 0);
  EXPECT_TRUE(rs.IsEOF());
  EXPECT_EQ(rs.FieldCount(), 2);
  EXPECT_THROW(rs.Fields(0).Value(), Error);
}

// A client-side open yields after every row it reads (a long read keeps the
// window alive); a streaming record set reads nothing at open and never
// yields.
TEST(ClientSideRecordset, YieldsOncePerRowReadAtOpen) {
  std::vector<std::vector<Value>> rows;
  for (int i = 0; i < 500; ++i) rows.push_back({Value::Int(i), Value::Text("r")});
  for (bool client_side : {true, false}) {
    Recordset rs;
    int yields = 0;
    rs.SetReadYield([&] { ++yields; });
    rs.Attach(std::make_unique<ListCursor>(rows), client_side);
    EXPECT_EQ(yields, client_side ? 500 : 0) << "client side " << client_side;
    int read = 0;
    for (; !rs.IsEOF(); rs.MoveNext()) ++read;
    EXPECT_EQ(read, 500);
    EXPECT_EQ(yields, client_side ? 500 : 0) << "reading the rows does not yield";
  }
}

}  // namespace
}  // namespace ado
