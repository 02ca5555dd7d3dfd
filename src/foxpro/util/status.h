// Status and Result<T>: how every fallible engine function reports failure.
// A Status is ok or carries a code and a message that names the file, record
// and field concerned; Result<T> is a value or a non-ok Status.
#ifndef QUILLOMAR_FOXPRO_UTIL_STATUS_H_
#define QUILLOMAR_FOXPRO_UTIL_STATUS_H_

#include <cassert>
#include <optional>
#include <string>
#include <utility>

namespace foxpro {

class [[nodiscard]] Status {
 public:
  enum class Code {
    kOk = 0,
    kNotFound,         // a file, table or field that does not exist
    kCorruption,       // a file whose bytes contradict the format
    kNotSupported,     // a valid request the engine does not handle
    kInvalidArgument,  // bad input: a statement, a name, a value
    kIOError,          // the operating system refused a read or write
    kAlreadyExists,    // a table or file that must not exist yet
  };

  // An ok status.
  Status() = default;

  static Status Ok() { return Status(); }
  static Status NotFound(std::string message) {
    return Status(Code::kNotFound, std::move(message));
  }
  static Status Corruption(std::string message) {
    return Status(Code::kCorruption, std::move(message));
  }
  static Status NotSupported(std::string message) {
    return Status(Code::kNotSupported, std::move(message));
  }
  static Status InvalidArgument(std::string message) {
    return Status(Code::kInvalidArgument, std::move(message));
  }
  static Status IOError(std::string message) { return Status(Code::kIOError, std::move(message)); }
  static Status AlreadyExists(std::string message) {
    return Status(Code::kAlreadyExists, std::move(message));
  }

  bool ok() const { return code_ == Code::kOk; }
  Code code() const { return code_; }
  bool IsNotFound() const { return code_ == Code::kNotFound; }
  bool IsCorruption() const { return code_ == Code::kCorruption; }
  bool IsInvalidArgument() const { return code_ == Code::kInvalidArgument; }
  bool IsIOError() const { return code_ == Code::kIOError; }
  bool IsAlreadyExists() const { return code_ == Code::kAlreadyExists; }
  bool IsNotSupported() const { return code_ == Code::kNotSupported; }

  // The message alone, as a user sees it ("orders.fpt: block 812 lies past
  // the end of the file"). Empty for an ok status.
  const std::string& message() const { return message_; }

  // The code's name and the message, for logs and test output ("OK" when ok).
  std::string ToString() const;

  // A copy whose message is `prefix` + ": " + this message; ok stays ok.
  Status WithContext(const std::string& prefix) const;

 private:
  Status(Code code, std::string message) : code_(code), message_(std::move(message)) {}

  Code code_ = Code::kOk;
  std::string message_;
};

// A value of type T or a non-ok Status.
template <typename T>
class [[nodiscard]] Result {
 public:
  // A successful result holding `value`.
  Result(T value) : value_(std::move(value)) {}  // NOLINT: implicit by design
  // A failed result; `status` must not be ok.
  Result(Status status) : status_(std::move(status)) {  // NOLINT: implicit by design
    assert(!status_.ok());
    if (status_.ok()) status_ = Status::InvalidArgument("ok status used as a failed result");
  }

  bool ok() const { return value_.has_value(); }
  const Status& status() const { return status_; }

  // The value; requires ok().
  T& value() & { return *value_; }
  const T& value() const& { return *value_; }
  T&& value() && { return std::move(*value_); }
  T& operator*() & { return *value_; }
  const T& operator*() const& { return *value_; }
  T&& operator*() && { return std::move(*value_); }
  T* operator->() { return &*value_; }
  const T* operator->() const { return &*value_; }

 private:
  Status status_;
  std::optional<T> value_;
};

}  // namespace foxpro

// Returns from the calling function when `expr` yields a non-ok Status.
#define FOXPRO_RETURN_IF_ERROR(expr)                 \
  do {                                               \
    ::foxpro::Status foxpro_status_ = (expr);        \
    if (!foxpro_status_.ok()) return foxpro_status_; \
  } while (false)

#endif  // QUILLOMAR_FOXPRO_UTIL_STATUS_H_
