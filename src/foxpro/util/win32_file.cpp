// The real file system behind FileSystem on Windows: positioned ReadFile /
// WriteFile on handles opened with CreateFileW. Paths arrive as UTF-8 and
// are converted to UTF-16 for the wide calls, so any name the user's folders
// hold can be opened whatever the ANSI code page is.
//
// The crash-safety promises of posix_file.cpp hold here too:
// - WriteAt returns only when WriteFile has copied every byte into the
//   system's file cache. Nothing is buffered in the process, so a process
//   ended at any moment (TerminateProcess, a crash, closing the console)
//   leaves every completed write in the file; the system writes the cache to
//   disk on its own, and only a power loss can lose it (Sync, which calls
//   FlushFileBuffers, guards against that where a caller asks).
// - The engine writes in the same order on both systems (a record, then the
//   end-of-file byte, then the header's count, with its memo blocks before
//   the record that points at them), each step one WriteAt, so a kill between
//   two steps leaves the same states the kill test checks on Linux: every
//   record either absent or whole, and the header's count never naming a
//   record that is not there.
// - Files are opened with every share mode, like POSIX descriptors: another
//   program may read a table while it is written, and a file may be removed
//   while open (Windows then hides the name once the last handle closes).
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <algorithm>
#include <limits>

#include "foxpro/util/file.h"
#include "foxpro/util/win32_text.h"

namespace foxpro {
namespace {

// Largest single ReadFile/WriteFile: the calls count in 32-bit DWORDs.
constexpr std::size_t kMaxChunk = std::size_t{1} << 30;

Status ErrorStatus(const std::string& what, const std::string& path, DWORD error) {
  std::string message = path + ": " + what + " failed: " + win32::ErrorText(error);
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
    return Status::NotFound(message);
  }
  if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
    return Status::AlreadyExists(message);
  }
  return Status::IOError(message);
}

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED where{};
  where.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
  where.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return where;
}

// The attributes of a UTF-8 path, or INVALID_FILE_ATTRIBUTES.
DWORD Attributes(const std::string& path) {
  std::wstring wide;
  if (!win32::Utf8ToWide(path, &wide)) return INVALID_FILE_ATTRIBUTES;
  return GetFileAttributesW(wide.c_str());
}

class Win32File : public File {
 public:
  Win32File(HANDLE handle, std::string path) : handle_(handle), path_(std::move(path)) {}
  ~Win32File() override { CloseHandle(handle_); }

  Status ReadAt(std::uint64_t offset, std::size_t n, char* buffer, std::size_t* read) override {
    std::size_t done = 0;
    while (done < n) {
      OVERLAPPED where = At(offset + done);
      const auto chunk = static_cast<DWORD>(std::min(n - done, kMaxChunk));
      DWORD got = 0;
      if (!ReadFile(handle_, buffer + done, chunk, &got, &where)) {
        const DWORD error = GetLastError();
        if (error == ERROR_HANDLE_EOF) break;  // reading at or past the end
        *read = done;
        return ErrorStatus("read", path_, error);
      }
      if (got == 0) break;
      done += got;
    }
    *read = done;
    return Status::Ok();
  }

  Status WriteAt(std::uint64_t offset, std::string_view data) override {
    std::size_t done = 0;
    while (done < data.size()) {
      OVERLAPPED where = At(offset + done);
      const auto chunk = static_cast<DWORD>(std::min(data.size() - done, kMaxChunk));
      DWORD put = 0;
      if (!WriteFile(handle_, data.data() + done, chunk, &put, &where)) {
        return ErrorStatus("write", path_, GetLastError());
      }
      if (put == 0) return Status::IOError(path_ + ": write failed: nothing was written");
      done += put;
    }
    return Status::Ok();
  }

  Result<std::uint64_t> Size() override {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_, &size)) return ErrorStatus("stat", path_, GetLastError());
    return static_cast<std::uint64_t>(size.QuadPart);
  }

  Status Truncate(std::uint64_t size) override {
    if (size > static_cast<std::uint64_t>(std::numeric_limits<LONGLONG>::max())) {
      return Status::InvalidArgument(path_ + ": size " + std::to_string(size) + " is too large");
    }
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
    if (!SetFileInformationByHandle(handle_, FileEndOfFileInfo, &end, sizeof end)) {
      return ErrorStatus("truncate", path_, GetLastError());
    }
    return Status::Ok();
  }

  Status Sync() override {
    if (!FlushFileBuffers(handle_)) return ErrorStatus("sync", path_, GetLastError());
    return Status::Ok();
  }

 private:
  HANDLE handle_;
  std::string path_;
};

class Win32FileSystem : public FileSystem {
 public:
  Result<std::unique_ptr<File>> Open(const std::string& path, OpenMode mode) override {
    if (path.find('\0') != std::string::npos) {
      return Status::InvalidArgument("file name contains a NUL character");
    }
    std::wstring wide;
    if (!win32::Utf8ToWide(path, &wide)) {
      return Status::InvalidArgument(path + ": the file name is not valid UTF-8");
    }
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      if (mode == OpenMode::kCreateExclusive) {
        return Status::AlreadyExists(path + ": open failed: a folder has that name");
      }
      return Status::InvalidArgument(path + ": is a folder, not a file");
    }
    DWORD access = GENERIC_READ;
    DWORD disposition = OPEN_EXISTING;
    if (mode != OpenMode::kRead) access |= GENERIC_WRITE;
    if (mode == OpenMode::kCreateExclusive) disposition = CREATE_NEW;
    HANDLE handle =
        CreateFileW(wide.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return ErrorStatus("open", path, GetLastError());
    return std::unique_ptr<File>(new Win32File(handle, path));
  }

  Status Remove(const std::string& path) override {
    std::wstring wide;
    if (!win32::Utf8ToWide(path, &wide)) {
      return Status::InvalidArgument(path + ": the file name is not valid UTF-8");
    }
    if (!DeleteFileW(wide.c_str())) return ErrorStatus("remove", path, GetLastError());
    return Status::Ok();
  }

  Status List(const std::string& folder, std::vector<DirectoryEntry>* entries) override {
    entries->clear();
    std::wstring pattern;
    if (!win32::Utf8ToWide(folder, &pattern)) {
      return Status::InvalidArgument(folder + ": the folder name is not valid UTF-8");
    }
    if (!pattern.empty() && pattern.back() != L'/' && pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      // A drive's root folder with nothing in it has not even "." and "..".
      if (error == ERROR_FILE_NOT_FOUND) return Status::Ok();
      return ErrorStatus("list", folder, error);
    }
    do {
      std::string name = win32::WideToUtf8(found.cFileName);
      if (name.empty() || name == "." || name == "..") continue;
      DirectoryEntry out;
      out.name = std::move(name);
      out.is_directory = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      entries->push_back(std::move(out));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return Status::Ok();
  }

  bool IsDirectory(const std::string& path) override {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  bool IsFile(const std::string& path) override {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
  }
};

}  // namespace

bool IsPathSeparator(char c) { return c == '/' || c == '\\'; }

FileSystem* DefaultFileSystem() {
  static Win32FileSystem* fs = new Win32FileSystem();
  return fs;
}

}  // namespace foxpro
