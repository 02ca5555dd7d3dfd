// A memo file: FoxPro .fpt (and a container's .dct) with blocks of any size,
// read-only support for dBase .dbt files. Memos are always appended; old
// blocks are never reused, as FoxPro does.
#ifndef QUILLOMAR_FOXPRO_FPT_MEMO_FILE_H_
#define QUILLOMAR_FOXPRO_FPT_MEMO_FILE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "foxpro/util/file.h"
#include "foxpro/util/status.h"

namespace foxpro {

class MemoFile {
 public:
  enum class Flavor {
    kFpt,     // FoxPro: big-endian header, 8-byte block headers
    kDbase3,  // .dbt, 512-byte blocks, text ends at 0x1A
    kDbase4,  // .dbt, block size in the header, FF FF 08 00 + length
  };

  // Opens an existing memo file. `name` is used in messages.
  static Result<std::unique_ptr<MemoFile>> Open(std::unique_ptr<File> file, std::string name,
                                                Flavor flavor);

  // Writes a new, empty FoxPro memo file (512-byte header) into `file`.
  static Result<std::unique_ptr<MemoFile>> Create(std::unique_ptr<File> file, std::string name,
                                                  std::uint32_t block_size);

  // Reads the memo that starts at `block` into *data (block type into *type
  // when not null). Block 0 is the empty memo. A block past the end of the
  // file or a length past its end is Corruption naming the file and block;
  // no allocation exceeds what the file holds.
  Status Read(std::uint32_t block, std::string* data, std::uint32_t* type = nullptr);

  // Appends a memo and returns its first block in *block; the data, its
  // block header and the header's next-free pointer are written on return.
  // An empty value needs no block: *block = 0, nothing written.
  Status Append(std::string_view data, std::uint32_t type, std::uint32_t* block);

  // One memo of a batch.
  struct NewMemo {
    std::string_view data;
    std::uint32_t type = 1;
    std::uint32_t block = 0;  // set by AppendBatch (0 for an empty memo)
  };
  // Appends several memos with one data write and one header write.
  Status AppendBatch(std::vector<NewMemo>* memos);

  std::uint32_t block_size() const { return block_size_; }
  std::uint32_t next_free() const { return next_free_; }
  const std::string& name() const { return name_; }
  Status Sync() { return file_->Sync(); }

 private:
  MemoFile(std::unique_ptr<File> file, std::string name, Flavor flavor)
      : file_(std::move(file)), name_(std::move(name)), flavor_(flavor) {}
  Status ReadFpt(std::uint32_t block, std::string* data, std::uint32_t* type);
  Status ReadDbase3(std::uint32_t block, std::string* data);
  Status ReadDbase4(std::uint32_t block, std::string* data);
  // Reads like File::ReadAt, through a read-ahead window: memos are mostly
  // read in the order they were written, so one read serves many rows.
  Status ReadAhead(std::uint64_t offset, std::size_t size, char* out, std::size_t* got);

  std::unique_ptr<File> file_;
  std::string name_;
  Flavor flavor_;
  std::uint32_t block_size_ = 64;
  std::uint32_t next_free_ = 0;
  std::uint64_t file_size_ = 0;
  std::string window_;  // bytes from window_offset_; emptied by every write
  std::uint64_t window_offset_ = 0;
};

}  // namespace foxpro

#endif  // QUILLOMAR_FOXPRO_FPT_MEMO_FILE_H_
