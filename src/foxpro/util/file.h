// The engine's view of files and folders: positioned reads and writes on an
// open file, and the few folder operations the engine needs. The real file
// system is one implementation; tests and fuzzers use an in-memory one that
// can fail the Nth write (mem_file_system.h).
#ifndef QUILLOMAR_FOXPRO_UTIL_FILE_H_
#define QUILLOMAR_FOXPRO_UTIL_FILE_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foxpro/util/status.h"

namespace foxpro {

// An open file. Not thread-safe; one owner at a time.
class File {
 public:
  virtual ~File() = default;

  // Reads up to `n` bytes at `offset` into `buffer`; *read receives the count,
  // which is smaller than `n` only at the end of the file.
  virtual Status ReadAt(std::uint64_t offset, std::size_t n, char* buffer, std::size_t* read) = 0;

  // Writes all of `data` at `offset`, growing the file when needed. Nothing is
  // buffered in the process: once it returns, the bytes survive the process
  // being killed (not a power loss; see Sync).
  virtual Status WriteAt(std::uint64_t offset, std::string_view data) = 0;

  // The current size in bytes.
  virtual Result<std::uint64_t> Size() = 0;

  // Cuts or extends the file to `size` bytes.
  virtual Status Truncate(std::uint64_t size) = 0;

  // Asks the system to put the data on stable storage.
  virtual Status Sync() = 0;
};

enum class OpenMode {
  kRead,            // existing file, read only
  kReadWrite,       // existing file, read and write
  kCreateExclusive  // new file, read and write; fails when it exists
};

// One entry of a folder listing.
struct DirectoryEntry {
  std::string name;  // file name without folder, bytes as on disk
  bool is_directory = false;
};

// Files and folders by path (UTF-8 bytes, used as given).
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Opens a file. NotFound when it does not exist (kRead, kReadWrite),
  // AlreadyExists when it does (kCreateExclusive).
  virtual Result<std::unique_ptr<File>> Open(const std::string& path, OpenMode mode) = 0;

  // Removes a file. NotFound when it does not exist.
  virtual Status Remove(const std::string& path) = 0;

  // Lists a folder's entries (no "." or ".."), in no particular order.
  virtual Status List(const std::string& folder, std::vector<DirectoryEntry>* entries) = 0;

  // True when `path` names an existing folder / an existing regular file.
  virtual bool IsDirectory(const std::string& path) = 0;
  virtual bool IsFile(const std::string& path) = 0;
};

// The process's real file system (POSIX calls). Never null; lives forever.
FileSystem* DefaultFileSystem();

// True for a character that separates folders in a path on this system: '/'
// on every system, and '\\' too on Windows.
bool IsPathSeparator(char c);

// The position of the last separator (IsPathSeparator) in `path`, or npos.
std::size_t LastPathSeparator(std::string_view path);

// Reads a whole file region of at most `max_bytes` from `offset`; shorter at
// the end of the file.
Status ReadString(File* file, std::uint64_t offset, std::size_t max_bytes, std::string* out);

}  // namespace foxpro

#endif  // QUILLOMAR_FOXPRO_UTIL_FILE_H_
