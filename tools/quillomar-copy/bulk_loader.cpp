#include "bulk_loader.h"

#include <optional>
#include <utility>
#include <vector>

#ifdef QUILLOMAR_HAVE_PG_BULK
#include "transfer/bulk/pg_copy.h"
#endif

namespace copytool {

#ifdef QUILLOMAR_HAVE_PG_BULK
namespace {

namespace bulk = transfer::bulk;

class PgBulkLoader : public transfer::BulkLoader {
 public:
  PgBulkLoader(std::string dsn, std::function<void(const std::string&)> notice)
      : dsn_(std::move(dsn)), notice_(std::move(notice)) {}

  bool StartTable(ado::Connection& sql, const std::string& table) override {
    connection_.reset();
    rows_.clear();
    if (!IsPostgres()) return false;
    std::string why;
    connection_ = bulk::OpenMatchingBulkConnection(dsn_, sql, table, &why);
    if (connection_ == nullptr && !told_) {
      told_ = true;
      if (notice_) notice_("quillomar-copy: COPY cannot be used (" + why +
                           "); batches go as multi-row INSERTs");
    }
    return connection_ != nullptr;
  }

  void AddRow(const std::vector<transfer::BatchValue>& row) override {
    for (std::size_t i = 0; i < row.size(); ++i) {
      bulk::AppendCopyValue(&rows_, row[i].null ? nullptr : &row[i].text);
      bulk::EndCopyValue(&rows_, i + 1 == row.size());
    }
  }

  void SendRows(const std::string& table) override {
    std::string rows;
    rows.swap(rows_);
    try {
      connection_->Begin();
      connection_->CopyRows(table, rows);
      connection_->Commit();
    } catch (...) {
      try {
        connection_->Rollback();
      } catch (...) {
        // The connection is gone; nothing of the batch was committed.
      }
      throw;
    }
  }

  void DiscardRows() override { rows_.clear(); }

 private:
  // Whether the data source uses the PostgreSQL driver; asked once.
  bool IsPostgres() {
    if (!postgres_) {
      const std::optional<bulk::PgDataSource> source = bulk::ReadPgDataSource(dsn_);
      postgres_ = source && bulk::IsPostgresDriver(*source);
    }
    return *postgres_;
  }

  std::string dsn_;
  std::function<void(const std::string&)> notice_;
  std::optional<bool> postgres_;
  bool told_ = false;
  std::unique_ptr<bulk::PgBulkConnection> connection_;
  std::string rows_;
};

}  // namespace

std::unique_ptr<transfer::BulkLoader> MakeBulkLoader(
    const std::string& dsn, std::function<void(const std::string&)> notice) {
  return std::make_unique<PgBulkLoader>(dsn, std::move(notice));
}

#else

std::unique_ptr<transfer::BulkLoader> MakeBulkLoader(
    const std::string& /*dsn*/, std::function<void(const std::string&)> /*notice*/) {
  return nullptr;
}

#endif

}  // namespace copytool
