// An in-memory FileSystem for tests and fuzzers: files are byte strings in a
// map, and a fault plan can make the Nth write (or every write after it) fail
// so that tests can check what a failed write leaves behind.
#ifndef QUILLOMAR_FOXPRO_UTIL_MEM_FILE_SYSTEM_H_
#define QUILLOMAR_FOXPRO_UTIL_MEM_FILE_SYSTEM_H_

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "foxpro/util/file.h"

namespace foxpro {

class MemFileSystem : public FileSystem {
 public:
  // Puts a file (replacing any) / reads a file's bytes (empty when absent).
  void SetFile(const std::string& path, std::string bytes);
  std::string GetFile(const std::string& path) const;
  bool HasFile(const std::string& path) const;
  void AddDirectory(const std::string& path);

  // Writes counted from now: write number `n` (1-based) fails with IOError;
  // when `sticky`, every later write fails too. 0 switches faults off.
  void FailWrite(std::int64_t n, bool sticky = false);
  // Writes performed since the last FailWrite call.
  std::int64_t write_count() const { return state_->writes; }

  Result<std::unique_ptr<File>> Open(const std::string& path, OpenMode mode) override;
  Status Remove(const std::string& path) override;
  Status List(const std::string& folder, std::vector<DirectoryEntry>* entries) override;
  bool IsDirectory(const std::string& path) override;
  bool IsFile(const std::string& path) override;

  // Shared by the file objects this file system opens.
  struct State {
    std::map<std::string, std::shared_ptr<std::string>> files;
    std::map<std::string, bool> directories;
    std::int64_t writes = 0;
    std::int64_t fail_at = 0;
    bool sticky = false;
    // Decides whether the next write fails, counting it.
    bool NextWriteFails();
  };

 private:
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace foxpro

#endif  // QUILLOMAR_FOXPRO_UTIL_MEM_FILE_SYSTEM_H_
