// The real file system behind FileSystem on POSIX systems: pread/pwrite on
// file descriptors. win32_file.cpp is the Windows counterpart; the build
// picks one.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "foxpro/util/file.h"

namespace foxpro {
namespace {

Status ErrnoStatus(const std::string& what, const std::string& path, int error) {
  std::string message = path + ": " + what + " failed: " + std::strerror(error);
  if (error == ENOENT) return Status::NotFound(message);
  if (error == EEXIST) return Status::AlreadyExists(message);
  return Status::IOError(message);
}

class PosixFile : public File {
 public:
  PosixFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~PosixFile() override { ::close(fd_); }

  Status ReadAt(std::uint64_t offset, std::size_t n, char* buffer, std::size_t* read) override {
    std::size_t done = 0;
    while (done < n) {
      ssize_t got = ::pread(fd_, buffer + done, n - done, static_cast<off_t>(offset + done));
      if (got < 0) {
        if (errno == EINTR) continue;
        *read = done;
        return ErrnoStatus("read", path_, errno);
      }
      if (got == 0) break;
      done += static_cast<std::size_t>(got);
    }
    *read = done;
    return Status::Ok();
  }

  Status WriteAt(std::uint64_t offset, std::string_view data) override {
    std::size_t done = 0;
    while (done < data.size()) {
      ssize_t put =
          ::pwrite(fd_, data.data() + done, data.size() - done, static_cast<off_t>(offset + done));
      if (put < 0) {
        if (errno == EINTR) continue;
        return ErrnoStatus("write", path_, errno);
      }
      done += static_cast<std::size_t>(put);
    }
    return Status::Ok();
  }

  Result<std::uint64_t> Size() override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return ErrnoStatus("stat", path_, errno);
    return static_cast<std::uint64_t>(st.st_size);
  }

  Status Truncate(std::uint64_t size) override {
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
      return ErrnoStatus("truncate", path_, errno);
    }
    return Status::Ok();
  }

  Status Sync() override {
    if (::fdatasync(fd_) != 0) return ErrnoStatus("sync", path_, errno);
    return Status::Ok();
  }

 private:
  int fd_;
  std::string path_;
};

class PosixFileSystem : public FileSystem {
 public:
  Result<std::unique_ptr<File>> Open(const std::string& path, OpenMode mode) override {
    if (path.find('\0') != std::string::npos) {
      return Status::InvalidArgument("file name contains a NUL character");
    }
    int flags = O_CLOEXEC;
    switch (mode) {
      case OpenMode::kRead:
        flags |= O_RDONLY;
        break;
      case OpenMode::kReadWrite:
        flags |= O_RDWR;
        break;
      case OpenMode::kCreateExclusive:
        flags |= O_RDWR | O_CREAT | O_EXCL;
        break;
    }
    int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) return ErrnoStatus("open", path, errno);
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(fd);
      return Status::InvalidArgument(path + ": is a folder, not a file");
    }
    return std::unique_ptr<File>(new PosixFile(fd, path));
  }

  Status Remove(const std::string& path) override {
    if (::unlink(path.c_str()) != 0) return ErrnoStatus("remove", path, errno);
    return Status::Ok();
  }

  Status List(const std::string& folder, std::vector<DirectoryEntry>* entries) override {
    entries->clear();
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return ErrnoStatus("list", folder, errno);
    while (struct dirent* entry = ::readdir(dir)) {
      std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      DirectoryEntry out;
      out.name = name;
      out.is_directory = IsDirectory(folder + "/" + name);
      entries->push_back(std::move(out));
    }
    ::closedir(dir);
    return Status::Ok();
  }

  bool IsDirectory(const std::string& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  bool IsFile(const std::string& path) override {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }
};

}  // namespace

bool IsPathSeparator(char c) { return c == '/'; }

FileSystem* DefaultFileSystem() {
  static PosixFileSystem* fs = new PosixFileSystem();
  return fs;
}

}  // namespace foxpro
