#include "transfer/bulk/pg_loader.h"

#include <exception>
#include <optional>
#include <utility>
#include <vector>

#include "ado/error.h"
#include "transfer/bulk/pg_copy.h"

namespace transfer::bulk {
namespace {

class PgBulkLoader : public BulkLoader {
 public:
  PgBulkLoader(std::string dsn, std::function<void(const std::string&)> notice)
      : dsn_(std::move(dsn)), notice_(std::move(notice)) {}

  bool StartTable(ado::Connection& sql, const std::string& table) override {
    connection_.reset();
    rows_.clear();
    if (!IsPostgres()) return false;
    std::string why;
    connection_ = OpenMatchingBulkConnection(dsn_, sql, table, &why);
    if (connection_ == nullptr && !told_) {
      told_ = true;
      if (notice_) notice_("COPY cannot be used (" + why + "); batches go as multi-row INSERTs");
    }
    return connection_ != nullptr;
  }

  void AddRow(const std::vector<BatchValue>& row) override {
    for (std::size_t i = 0; i < row.size(); ++i) {
      AppendCopyValue(&rows_, row[i].null ? nullptr : &row[i].text);
      EndCopyValue(&rows_, i + 1 == row.size());
    }
  }

  void SendRows(const std::string& table) override {
    std::string rows;
    rows.swap(rows_);
    bool committing = false;
    try {
      connection_->Begin();
      connection_->CopyRows(table, rows);
      committing = true;
      connection_->Commit();
    } catch (...) {
      // A COMMIT that fails has ended the transaction itself.
      if (!committing) RollBackQuietly();
      throw;
    }
  }

  void DiscardRows() override { rows_.clear(); }

 private:
  void RollBackQuietly() {
    try {
      connection_->Rollback();
    } catch (const ado::Error&) {
      // The connection is gone; nothing of the batch was committed. The
      // failure that ended the batch is the one the caller reports.
    }
  }

  // Whether the data source uses the PostgreSQL driver; asked once.
  bool IsPostgres() {
    if (!postgres_) {
      try {
        const std::optional<PgDataSource> source = ReadPgDataSource(dsn_);
        postgres_ = source && IsPostgresDriver(*source);
      } catch (const std::exception&) {
        postgres_ = false;  // the ODBC files cannot be read: INSERTs it is
      }
    }
    return *postgres_;
  }

  std::string dsn_;
  std::function<void(const std::string&)> notice_;
  std::optional<bool> postgres_;
  bool told_ = false;
  std::unique_ptr<PgBulkConnection> connection_;
  std::string rows_;
};

}  // namespace

std::unique_ptr<BulkLoader> MakePgBulkLoader(const std::string& dsn,
                                             std::function<void(const std::string&)> notice) {
  return std::make_unique<PgBulkLoader>(dsn, std::move(notice));
}

}  // namespace transfer::bulk
