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
  // With `damaged`, every 1000th row has a damaged second value.
  explicit ListCursor(std::vector<std::vector<Value>> rows, bool damaged = false)
      : rows_(std::move(rows)), damaged_(damaged) {
    fields_ = {{"k", 3}, {"t", 200}};
  }
  const std::vector<FieldInfo>& Fields() const override { return fields_; }
  bool Fetch(std::vector<Value>* row) override {
    if (next_ >= rows_.size()) return false;
    errors_.clear();
    if (damaged_ && next_ % 1000 == 999)
      errors_.push_back({1, "bad value in row " + std::to_string(next_)});
    *row = rows_[next_++];
    return true;
  }
  const std::vector<FieldError>& FetchErrors() const override { return errors_; }
  std::vector<std::string> Warnings() const override {
    return damaged_ ? std::vector<std::string>{"count is off"} : std::vector<std::string>{};
  }

 private:
  std::vector<FieldInfo> fields_;
  std::vector<std::vector<Value>> rows_;
  bool damaged_ = false;
  std::vector<FieldError> errors_;
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

// Damaged values stay with their row whether the rows are buffered or
// streamed: that field throws, the others and MoveNext go on.
TEST(Recordset, DamagedValuesThrowForTheirRowAndFieldOnly) {
  auto rows = MakeRows();
  rows.resize(5000);
  for (bool client_side : {true, false}) {
    SCOPED_TRACE(client_side ? "client side" : "server side");
    Recordset rs;
    rs.Attach(std::make_unique<ListCursor>(rows, true), client_side);
    EXPECT_EQ(rs.Warnings(), std::vector<std::string>{"count is off"});
    std::size_t i = 0, errors = 0;
    for (; !rs.IsEOF(); rs.MoveNext(), ++i) {
      ASSERT_EQ(rs.Fields(0).Value(), rows[i][0]);
      if (i % 1000 != 999) {
        ASSERT_EQ(rs.Fields(1).Value(), rows[i][1]) << "row " << i;
        continue;
      }
      ++errors;
      try {
        (void)rs.Fields("t").Value();
        ADD_FAILURE() << "row " << i << " did not throw";
      } catch (const Error& error) {
        EXPECT_EQ(std::string(error.description()), "bad value in row " + std::to_string(i));
      }
    }
    EXPECT_EQ(i, rows.size());
    EXPECT_EQ(errors, 5u);
    rs.Close();
    EXPECT_TRUE(rs.Warnings().empty());
  }
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
    rs.Attach(std::make_unique<ListCursor>(rows, true), client_side);
    EXPECT_EQ(yields, client_side ? 500 : 0) << "client side " << client_side;
    int read = 0;
    for (; !rs.IsEOF(); rs.MoveNext()) ++read;
    EXPECT_EQ(read, 500);
    EXPECT_EQ(yields, client_side ? 500 : 0) << "reading the rows does not yield";
  }
}

}  // namespace
}  // namespace ado
