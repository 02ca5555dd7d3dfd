#include "ado/connection.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <mutex>

#include "ado/connection_string.h"
#include "ado/row_codec.h"
#include "text/ascii.h"

namespace ado {
namespace {

std::map<std::string, ProviderFactory>& Registry() {
  static std::map<std::string, ProviderFactory> registry;
  return registry;
}

}  // namespace

void RegisterProvider(const std::string& name, ProviderFactory factory) {
  Registry()[ascii::LowerCase(name)] = std::move(factory);
}

const ProviderFactory* FindProvider(std::string_view name) {
  auto it = Registry().find(ascii::LowerCase(name));
  return it == Registry().end() ? nullptr : &it->second;
}

const Dialect& Session::dialect() const {
  static const Dialect kAsWritten;
  return kAsWritten;
}

void Session::SetAutoCommit(bool /*on*/) {
  throw Error("Object or provider is not capable of performing requested operation.", 3251);
}

void Session::EndTransaction(bool /*commit*/) {
  throw Error("Object or provider is not capable of performing requested operation.", 3251);
}

Connection::~Connection() { Close(); }

void Connection::Open(const std::string& connection_string) {
  if (session_) throw Error("Operation is not allowed when the object is open.", 3705);
  std::string provider = provider_;
  if (provider.empty()) {
    auto key = FindConnectionKey(connection_string, "Provider");
    provider = key ? *key : std::string();
  }
  if (provider.empty()) {
    throw Error("Data source name not found and no default driver specified", -2147467259);
  }
  const ProviderFactory* factory = FindProvider(provider);
  if (factory == nullptr) throw Error("Provider cannot be found. It may not be properly installed.",
                                      3706);
  session_ = (*factory)(connection_string);
}

Session& Connection::session() {
  if (!session_) throw Error("Operation is not allowed when the object is closed.", 3704);
  return *session_;
}

void Connection::Execute(std::string_view sql) { session().Execute(sql); }

void Connection::SetAutoCommit(bool on) { session().SetAutoCommit(on); }

void Connection::CommitTrans() { session().EndTransaction(true); }

void Connection::RollbackTrans() { session().EndTransaction(false); }

std::unique_ptr<Recordset> Connection::OpenSchema(int schema) {
  if (schema != 20) throw Error("Object or provider is not capable of performing requested operation.",
                                3251);
  auto recordset = std::make_unique<Recordset>();
  recordset->Attach(session().Tables(), cursor_location_ == 3);
  return recordset;
}

void Connection::Close() { session_.reset(); }

const ado::Value& Field::Value() const {
  if (value_ == nullptr) {
    throw Error("Either BOF or EOF is True, or the current record has been deleted. Requested "
                "operation requires a current record.",
                3021);
  }
  if (error_ != nullptr) throw Error(*error_);
  return *value_;
}

void Recordset::Open(std::string_view source, Connection& connection, int /*cursor_type*/,
                     int /*lock_type*/) {
  bool client_side = connection.CursorLocation() == 3;
  Attach(connection.session().Query(
             source, client_side ? CursorPlace::kClient : CursorPlace::kServer),
         client_side);
}

void Recordset::Attach(std::unique_ptr<Cursor> cursor, bool client_side) {
  Close();
  fields_ = cursor->Fields();
  warnings_ = cursor->Warnings();
  record_count_ = cursor->KnownRowCount();
  // A provider that knows its exact row count up front gives a client-side
  // record set everything it promises (RecordCount before the first row)
  // while streaming: memory stays flat whatever the table's size.
  client_side_ = client_side && record_count_ < 0;
  if (client_side_) {
    // Read every row now so that the count is exact before the first row is
    // used; each row is packed into one string.
    std::vector<ado::Value> row;
    std::string packed;
    std::int64_t count = 0;
    while (cursor->Fetch(&row)) {
      packed.clear();
      EncodeRow(row, &packed);
      BufferRow(packed);
      const std::vector<FieldError>& errors = cursor->FetchErrors();
      if (!errors.empty()) buffered_errors_.emplace_back(count, errors);
      ++count;
      if (read_yield_) read_yield_();
    }
    if (!blocks_.empty()) blocks_.back().shrink_to_fit();
    record_count_ = count;
  } else {
    cursor_ = std::move(cursor);
  }
  eof_ = false;
  LoadCurrent();
}

void Recordset::BufferRow(const std::string& packed) {
  std::string header;
  for (std::uint64_t n = packed.size(); ; n >>= 7) {
    header.push_back(static_cast<char>((n & 0x7F) | (n >= 0x80 ? 0x80 : 0)));
    if (n < 0x80) break;
  }
  std::size_t need = header.size() + packed.size();
  if (blocks_.empty() || blocks_.back().capacity() - blocks_.back().size() < need) {
    // A full block keeps a small slack: shrinking copies the whole block, so
    // it is done only when the slack is worth it (large rows).
    if (!blocks_.empty()) {
      std::string& full = blocks_.back();
      if (full.capacity() - full.size() > full.capacity() / 8) full.shrink_to_fit();
    }
    blocks_.emplace_back();
    blocks_.back().reserve(std::max(kBlockSize, need));
  }
  blocks_.back().append(header).append(packed);
}

void Recordset::LoadCurrent() {
  if (!current_errors_.empty()) current_errors_.clear();
  if (client_side_) {
    while (read_block_ < blocks_.size() && read_offset_ >= blocks_[read_block_].size()) {
      // Every row of this block has been read: free it.
      std::string().swap(blocks_[read_block_]);
      ++read_block_;
      read_offset_ = 0;
    }
    if (read_block_ >= blocks_.size()) {
      eof_ = true;
      current_.clear();
      return;
    }
    std::string_view rest(blocks_[read_block_]);
    rest.remove_prefix(read_offset_);
    std::uint64_t size = 0;
    std::size_t used = 0;
    for (int shift = 0; used < rest.size() && shift < 64; shift += 7) {
      auto byte = static_cast<unsigned char>(rest[used++]);
      size |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
      if ((byte & 0x80) == 0) break;
    }
    if (size > rest.size() - used ||
        !DecodeRow(rest.substr(used, static_cast<std::size_t>(size)), &current_)) {
      throw Error("The record set's buffered row is damaged.");
    }
    read_offset_ += used + static_cast<std::size_t>(size);
    ++read_row_;
    if (next_buffered_error_ < buffered_errors_.size() &&
        buffered_errors_[next_buffered_error_].first == read_row_) {
      current_errors_.swap(buffered_errors_[next_buffered_error_++].second);
    }
    return;
  }
  if (!cursor_ || !cursor_->Fetch(&current_)) {
    eof_ = true;
    current_.clear();
    return;
  }
  const std::vector<FieldError>& errors = cursor_->FetchErrors();
  if (!errors.empty()) current_errors_ = errors;
}

void Recordset::RequireOpen() const {
  if (fields_.empty() && !cursor_ && blocks_.empty() && eof_ && record_count_ < 0) {
    throw Error("Operation is not allowed when the object is closed.", 3704);
  }
}

int Recordset::FieldCount() const { return static_cast<int>(fields_.size()); }

Field Recordset::Fields(int index) const {
  if (index < 0 || index >= FieldCount()) {
    throw Error("Item cannot be found in the collection corresponding to the requested name or "
                "ordinal.",
                3265);
  }
  auto i = static_cast<std::size_t>(index);
  const std::string* error = nullptr;
  for (const FieldError& e : current_errors_) {
    if (e.field == index) error = &e.message;
  }
  return Field(&fields_[i], eof_ || i >= current_.size() ? nullptr : &current_[i], error);
}

Field Recordset::Fields(std::string_view name) const {
  std::string wanted = ascii::LowerCase(name);
  for (int i = 0; i < FieldCount(); ++i) {
    if (ascii::LowerCase(fields_[static_cast<std::size_t>(i)].name) == wanted) return Fields(i);
  }
  return Fields(-1);
}

void Recordset::MoveNext() {
  if (eof_) {
    throw Error("Either BOF or EOF is True, or the current record has been deleted. Requested "
                "operation requires a current record.",
                3021);
  }
  LoadCurrent();
}

void Recordset::Close() {
  cursor_.reset();
  fields_.clear();
  current_.clear();
  std::vector<std::string>().swap(blocks_);
  read_block_ = 0;
  read_offset_ = 0;
  current_errors_.clear();
  buffered_errors_.clear();
  next_buffered_error_ = 0;
  read_row_ = -1;
  warnings_.clear();
  eof_ = true;
  record_count_ = -1;
}

}  // namespace ado
