#include "transfer/bulk/pg_loader.h"

#include <exception>
#include <optional>
#include <utility>
#include <vector>

#include "ado/error.h"
#include "transfer/bulk/pg_copy.h"

namespace transfer::bulk {
namespace {

// The open batch is sent as it is built: its transaction and COPY start once
// kStreamBytes of rows are waiting, and every kStreamBytes more go at once,
// so that the server stores rows while the next ones are read and built
// (sending a whole batch only when it ends leaves one side idle while the
// other works). The batch still commits only in SendRows; a failure while
// streaming is kept and thrown there, and DiscardRows abandons what was sent.
constexpr std::size_t kStreamBytes = 256 * 1024;

class PgBulkLoader : public BulkLoader {
 public:
  PgBulkLoader(std::string dsn, std::function<void(const std::string&)> notice)
      : dsn_(std::move(dsn)), notice_(std::move(notice)) {}

  bool StartTable(ado::Connection& sql, const std::string& table) override {
    DiscardRows();
    connection_.reset();
    table_ = table;
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
    if (rows_.size() >= kStreamBytes) Stream();
  }

  void SendRows(const std::string& table) override {
    bool committing = false;
    try {
      if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
      if (!copying_) StartCopy(table);
      connection_->PutCopyData(rows_);
      rows_.clear();
      copying_ = false;
      connection_->EndCopy();
      committing = true;
      in_transaction_ = false;
      connection_->Commit();
    } catch (...) {
      rows_.clear();
      // A COMMIT that fails has ended the transaction itself.
      if (!committing) EndQuietly();
      throw;
    }
  }

  void DiscardRows() override {
    rows_.clear();
    failure_ = nullptr;
    EndQuietly();
  }

 private:
  // Begins the batch's transaction and its COPY. Throws.
  void StartCopy(const std::string& table) {
    in_transaction_ = true;  // rolled back whether or not BEGIN succeeded
    connection_->Begin();
    connection_->StartCopy(table);
    copying_ = true;
  }

  // Sends the rows built so far; a failure is kept for SendRows.
  void Stream() {
    if (failure_ == nullptr) {
      try {
        if (!copying_) StartCopy(table_);
        connection_->PutCopyData(rows_);
      } catch (...) {
        failure_ = std::current_exception();
      }
    }
    rows_.clear();
  }

  // Ends a COPY in progress and rolls back the batch's transaction, if any.
  void EndQuietly() {
    if (copying_) connection_->AbortCopy();
    copying_ = false;
    if (in_transaction_) RollBackQuietly();
    in_transaction_ = false;
  }

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
  std::string table_;
  std::string rows_;             // built and not yet sent
  bool in_transaction_ = false;  // the batch's BEGIN was sent
  bool copying_ = false;         // its COPY is open
  std::exception_ptr failure_;   // a failure while streaming, for SendRows
};

}  // namespace

std::unique_ptr<BulkLoader> MakePgBulkLoader(const std::string& dsn,
                                             std::function<void(const std::string&)> notice) {
  return std::make_unique<PgBulkLoader>(dsn, std::move(notice));
}

}  // namespace transfer::bulk
