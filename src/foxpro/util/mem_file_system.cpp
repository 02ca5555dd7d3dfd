#include "foxpro/util/mem_file_system.h"

#include <algorithm>
#include <cstring>

namespace foxpro {
namespace {

class MemFile : public File {
 public:
  MemFile(std::shared_ptr<std::string> bytes, std::shared_ptr<MemFileSystem::State> state,
          bool writable)
      : bytes_(std::move(bytes)), state_(std::move(state)), writable_(writable) {}

  Status ReadAt(std::uint64_t offset, std::size_t n, char* buffer, std::size_t* read) override {
    *read = 0;
    if (offset >= bytes_->size()) return Status::Ok();
    std::size_t available = bytes_->size() - static_cast<std::size_t>(offset);
    *read = std::min(n, available);
    std::memcpy(buffer, bytes_->data() + offset, *read);
    return Status::Ok();
  }

  Status WriteAt(std::uint64_t offset, std::string_view data) override {
    if (!writable_) return Status::IOError("file opened read-only");
    if (state_->NextWriteFails()) return Status::IOError("injected write fault");
    std::size_t end = static_cast<std::size_t>(offset) + data.size();
    if (bytes_->size() < end) bytes_->resize(end, '\0');
    std::memcpy(bytes_->data() + offset, data.data(), data.size());
    return Status::Ok();
  }

  Result<std::uint64_t> Size() override { return static_cast<std::uint64_t>(bytes_->size()); }

  Status Truncate(std::uint64_t size) override {
    if (!writable_) return Status::IOError("file opened read-only");
    if (state_->NextWriteFails()) return Status::IOError("injected write fault");
    bytes_->resize(static_cast<std::size_t>(size), '\0');
    return Status::Ok();
  }

  Status Sync() override { return Status::Ok(); }

 private:
  std::shared_ptr<std::string> bytes_;
  std::shared_ptr<MemFileSystem::State> state_;
  bool writable_;
};

std::string ParentOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

bool MemFileSystem::State::NextWriteFails() {
  ++writes;
  if (fail_at <= 0) return false;
  return writes == fail_at || (sticky && writes > fail_at);
}

void MemFileSystem::SetFile(const std::string& path, std::string bytes) {
  state_->files[path] = std::make_shared<std::string>(std::move(bytes));
}

std::string MemFileSystem::GetFile(const std::string& path) const {
  auto it = state_->files.find(path);
  return it == state_->files.end() ? std::string() : *it->second;
}

bool MemFileSystem::HasFile(const std::string& path) const {
  return state_->files.count(path) != 0;
}

void MemFileSystem::AddDirectory(const std::string& path) { state_->directories[path] = true; }

void MemFileSystem::FailWrite(std::int64_t n, bool sticky) {
  state_->writes = 0;
  state_->fail_at = n;
  state_->sticky = sticky;
}

Result<std::unique_ptr<File>> MemFileSystem::Open(const std::string& path, OpenMode mode) {
  auto it = state_->files.find(path);
  if (mode == OpenMode::kCreateExclusive) {
    if (it != state_->files.end() || IsDirectory(path)) {
      return Status::AlreadyExists(path + ": file exists");
    }
    auto bytes = std::make_shared<std::string>();
    state_->files[path] = bytes;
    return std::unique_ptr<File>(new MemFile(bytes, state_, true));
  }
  if (it == state_->files.end()) return Status::NotFound(path + ": no such file");
  return std::unique_ptr<File>(new MemFile(it->second, state_, mode == OpenMode::kReadWrite));
}

Status MemFileSystem::Remove(const std::string& path) {
  if (state_->files.erase(path) == 0) return Status::NotFound(path + ": no such file");
  return Status::Ok();
}

Status MemFileSystem::List(const std::string& folder, std::vector<DirectoryEntry>* entries) {
  entries->clear();
  if (!IsDirectory(folder)) return Status::NotFound(folder + ": no such folder");
  for (const auto& [path, bytes] : state_->files) {
    if (ParentOf(path) == folder) entries->push_back({path.substr(folder.size() + 1), false});
  }
  for (const auto& [path, present] : state_->directories) {
    if (present && ParentOf(path) == folder && path != folder) {
      entries->push_back({path.substr(folder.size() + 1), true});
    }
  }
  return Status::Ok();
}

bool MemFileSystem::IsDirectory(const std::string& path) {
  auto it = state_->directories.find(path);
  return it != state_->directories.end() && it->second;
}

bool MemFileSystem::IsFile(const std::string& path) { return HasFile(path); }

}  // namespace foxpro
