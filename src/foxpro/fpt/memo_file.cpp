#include "foxpro/fpt/memo_file.h"

#include <algorithm>
#include <cstring>

#include "foxpro/fpt/fpt_format.h"

namespace foxpro {
namespace {

std::uint32_t BigEndian32(const char* p) {
  auto b = [p](int i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(p[i])); };
  return (b(0) << 24) | (b(1) << 16) | (b(2) << 8) | b(3);
}

std::uint32_t LittleEndian32(const char* p) {
  auto b = [p](int i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(p[i])); };
  return b(0) | (b(1) << 8) | (b(2) << 16) | (b(3) << 24);
}

void PutBigEndian32(std::uint32_t v, char* p) {
  p[0] = static_cast<char>(v >> 24);
  p[1] = static_cast<char>(v >> 16);
  p[2] = static_cast<char>(v >> 8);
  p[3] = static_cast<char>(v);
}

// Memo bytes read together with the block header.
constexpr std::size_t kFirstReadData = 1016;
// Size of the read-ahead window of sequential memo reads.
constexpr std::size_t kReadAheadSize = 64 * 1024;

std::uint64_t BlocksFor(std::uint64_t bytes, std::uint32_t block_size) {
  return (bytes + block_size - 1) / block_size;
}

}  // namespace

Result<std::unique_ptr<MemoFile>> MemoFile::Open(std::unique_ptr<File> file, std::string name,
                                                 Flavor flavor) {
  std::unique_ptr<MemoFile> memo(new MemoFile(std::move(file), std::move(name), flavor));
  Result<std::uint64_t> size = memo->file_->Size();
  if (!size.ok()) return size.status();
  memo->file_size_ = *size;
  std::string header;
  FOXPRO_RETURN_IF_ERROR(ReadString(memo->file_.get(), 0, fpt::kHeaderSize, &header));
  if (header.size() < 8) {
    return Status::Corruption(memo->name_ + ": the memo file is shorter than its header");
  }
  if (flavor == Flavor::kFpt) {
    memo->next_free_ = BigEndian32(header.data() + fpt::kNextFreeOffset);
    bool wide = header[4] != 0 || header[5] != 0;
    memo->block_size_ =
        wide ? BigEndian32(header.data() + 4)
             : (static_cast<std::uint32_t>(static_cast<unsigned char>(header[6])) << 8) |
                   static_cast<unsigned char>(header[7]);
  } else {
    memo->next_free_ = LittleEndian32(header.data());
    memo->block_size_ = fpt::kDbtBlockSize;
    if (flavor == Flavor::kDbase4 && header.size() >= 22) {
      std::uint32_t size4 =
          static_cast<unsigned char>(header[20]) |
          (static_cast<std::uint32_t>(static_cast<unsigned char>(header[21])) << 8);
      if (size4 != 0) memo->block_size_ = size4;
    }
  }
  if (memo->block_size_ == 0) {
    return Status::Corruption(memo->name_ + ": the memo file's block size is 0");
  }
  return memo;
}

Result<std::unique_ptr<MemoFile>> MemoFile::Create(std::unique_ptr<File> file, std::string name,
                                                   std::uint32_t block_size) {
  if (block_size == 0 || block_size > 0xFFFF) {
    return Status::InvalidArgument(name + ": memo block size " + std::to_string(block_size) +
                                   " is out of range");
  }
  std::unique_ptr<MemoFile> memo(new MemoFile(std::move(file), std::move(name), Flavor::kFpt));
  memo->block_size_ = block_size;
  memo->next_free_ = static_cast<std::uint32_t>(BlocksFor(fpt::kHeaderSize, block_size));
  std::string header(fpt::kHeaderSize, '\0');
  PutBigEndian32(memo->next_free_, header.data() + fpt::kNextFreeOffset);
  header[fpt::kBlockSizeOffset] = static_cast<char>(block_size >> 8);
  header[fpt::kBlockSizeOffset + 1] = static_cast<char>(block_size & 0xFF);
  FOXPRO_RETURN_IF_ERROR(memo->file_->WriteAt(0, header));
  memo->file_size_ = fpt::kHeaderSize;
  return memo;
}

Status MemoFile::Read(std::uint32_t block, std::string* data, std::uint32_t* type) {
  data->clear();
  if (type != nullptr) *type = fpt::kBlockText;
  if (block == 0) return Status::Ok();
  switch (flavor_) {
    case Flavor::kFpt:
      return ReadFpt(block, data, type);
    case Flavor::kDbase3:
      return ReadDbase3(block, data);
    case Flavor::kDbase4:
      return ReadDbase4(block, data);
  }
  return Status::Ok();
}

Status MemoFile::ReadFpt(std::uint32_t block, std::string* data, std::uint32_t* type) {
  std::uint64_t offset = static_cast<std::uint64_t>(block) * block_size_;
  if (offset < fpt::kHeaderSize) {
    return Status::Corruption(name_ + ": memo block " + std::to_string(block) +
                              " points into the memo file's header (the first memo block is " +
                              std::to_string(BlocksFor(fpt::kHeaderSize, block_size_)) + ")");
  }
  if (offset + fpt::kBlockHeaderSize > file_size_) {
    return Status::Corruption(name_ + ": memo block " + std::to_string(block) +
                              " lies past the end of the memo file (" + std::to_string(file_size_) +
                              " bytes)");
  }
  // One read usually brings the block header and the whole memo.
  std::size_t first = static_cast<std::size_t>(
      std::min<std::uint64_t>(file_size_ - offset, fpt::kBlockHeaderSize + kFirstReadData));
  data->resize(first);
  std::size_t got = 0;
  FOXPRO_RETURN_IF_ERROR(ReadAhead(offset, first, data->data(), &got));
  if (got < fpt::kBlockHeaderSize) {
    return Status::Corruption(name_ + ": memo block " + std::to_string(block) + " is cut short");
  }
  if (type != nullptr) *type = BigEndian32(data->data() + fpt::kBlockTypeOffset);
  std::uint64_t length = BigEndian32(data->data() + fpt::kBlockLengthOffset);
  std::uint64_t start = offset + fpt::kBlockHeaderSize;
  if (length > file_size_ - start) {
    return Status::Corruption(name_ + ": the memo at block " + std::to_string(block) + " claims " +
                              std::to_string(length) + " bytes but only " +
                              std::to_string(file_size_ - start) + " follow it in the file");
  }
  std::size_t have = got - fpt::kBlockHeaderSize;
  if (length <= have) {
    data->erase(0, fpt::kBlockHeaderSize);
    data->resize(static_cast<std::size_t>(length));
    return Status::Ok();
  }
  data->erase(0, fpt::kBlockHeaderSize);
  data->resize(static_cast<std::size_t>(length));
  std::size_t rest = 0;
  FOXPRO_RETURN_IF_ERROR(file_->ReadAt(start + have, static_cast<std::size_t>(length) - have,
                                       data->data() + have, &rest));
  if (have + rest != length) {
    return Status::Corruption(name_ + ": the memo at block " + std::to_string(block) +
                              " is cut short");
  }
  return Status::Ok();
}

Status MemoFile::ReadAhead(std::uint64_t offset, std::size_t size, char* out, std::size_t* got) {
  if (offset < window_offset_ || offset - window_offset_ + size > window_.size()) {
    if (size > kReadAheadSize) return file_->ReadAt(offset, size, out, got);
    window_.resize(kReadAheadSize);
    std::size_t read = 0;
    Status status = file_->ReadAt(offset, window_.size(), window_.data(), &read);
    if (!status.ok()) {
      window_.clear();
      return status;
    }
    window_.resize(read);
    window_offset_ = offset;
  }
  const auto start = static_cast<std::size_t>(offset - window_offset_);
  *got = std::min(size, window_.size() - start);
  std::memcpy(out, window_.data() + start, *got);
  return Status::Ok();
}

Status MemoFile::ReadDbase3(std::uint32_t block, std::string* data) {
  std::uint64_t offset = static_cast<std::uint64_t>(block) * block_size_;
  if (offset >= file_size_) {
    return Status::Corruption(name_ + ": memo block " + std::to_string(block) +
                              " lies past the end of the memo file");
  }
  // The text runs to the first 0x1A or to the end of the file.
  std::string chunk;
  while (offset < file_size_) {
    FOXPRO_RETURN_IF_ERROR(ReadString(file_.get(), offset, 4096, &chunk));
    if (chunk.empty()) break;
    std::size_t end = chunk.find(fpt::kDbtTerminator);
    data->append(chunk, 0, end == std::string::npos ? chunk.size() : end);
    if (end != std::string::npos) break;
    offset += chunk.size();
  }
  return Status::Ok();
}

Status MemoFile::ReadDbase4(std::uint32_t block, std::string* data) {
  std::uint64_t offset = static_cast<std::uint64_t>(block) * block_size_;
  char head[8];
  std::size_t got = 0;
  if (offset + sizeof head > file_size_) {
    return Status::Corruption(name_ + ": memo block " + std::to_string(block) +
                              " lies past the end of the memo file");
  }
  FOXPRO_RETURN_IF_ERROR(file_->ReadAt(offset, sizeof head, head, &got));
  if (static_cast<unsigned char>(head[0]) != 0xFF || static_cast<unsigned char>(head[1]) != 0xFF) {
    return ReadDbase3(block, data);  // some writers keep dBase III blocks in IV files
  }
  std::uint64_t length = LittleEndian32(head + 4);
  if (length < 8 || length - 8 > file_size_ - offset - 8) {
    return Status::Corruption(name_ + ": the memo at block " + std::to_string(block) +
                              " claims a length of " + std::to_string(length) +
                              " bytes, which the file cannot hold");
  }
  return ReadString(file_.get(), offset + 8, static_cast<std::size_t>(length - 8), data);
}

Status MemoFile::Append(std::string_view data, std::uint32_t type, std::uint32_t* block) {
  std::vector<NewMemo> memos(1);
  memos[0].data = data;
  memos[0].type = type;
  FOXPRO_RETURN_IF_ERROR(AppendBatch(&memos));
  *block = memos[0].block;
  return Status::Ok();
}

Status MemoFile::AppendBatch(std::vector<NewMemo>* memos) {
  if (flavor_ != Flavor::kFpt) {
    return Status::NotSupported(name_ + ": writing dBase memo files is not supported");
  }
  // Start at the next free block, but never inside the header and never far
  // past the end of the file (a damaged pointer must not create a huge file).
  std::uint64_t first_usable = BlocksFor(fpt::kHeaderSize, block_size_);
  std::uint64_t next = std::max<std::uint64_t>(next_free_, first_usable);
  if (next > BlocksFor(file_size_, block_size_) + 1) {
    return Status::Corruption(name_ + ": the next free block " + std::to_string(next_free_) +
                              " lies past the end of the memo file");
  }
  // A block size FoxPro cannot write (the wide form) would put even the
  // first block past the end gigabytes away.
  if (block_size_ > 0xFFFF) {
    return Status::Corruption(name_ + ": block size " + std::to_string(block_size_) +
                              " is too large to append to");
  }
  std::uint64_t start_offset = next * block_size_;
  std::string buffer;
  for (NewMemo& memo : *memos) {
    memo.block = 0;
    if (memo.data.empty()) continue;
    std::uint64_t blocks = BlocksFor(fpt::kBlockHeaderSize + memo.data.size(), block_size_);
    if (next + blocks > 0xFFFFFFFFull) {
      return Status::IOError(name_ + ": the memo file is full (4 billion blocks)");
    }
    // Pad the previous memo to its block boundary; the last stays unpadded.
    buffer.resize(static_cast<std::size_t>(next * block_size_ - start_offset), '\0');
    char head[fpt::kBlockHeaderSize];
    PutBigEndian32(memo.type, head + fpt::kBlockTypeOffset);
    PutBigEndian32(static_cast<std::uint32_t>(memo.data.size()), head + fpt::kBlockLengthOffset);
    buffer.append(head, sizeof head);
    buffer.append(memo.data);
    memo.block = static_cast<std::uint32_t>(next);
    next += blocks;
  }
  if (buffer.empty()) return Status::Ok();
  window_.clear();  // what it holds may be overwritten below
  FOXPRO_RETURN_IF_ERROR(file_->WriteAt(start_offset, buffer));
  file_size_ = std::max(file_size_, start_offset + buffer.size());
  char pointer[4];
  PutBigEndian32(static_cast<std::uint32_t>(next), pointer);
  FOXPRO_RETURN_IF_ERROR(file_->WriteAt(fpt::kNextFreeOffset, std::string_view(pointer, 4)));
  next_free_ = static_cast<std::uint32_t>(next);
  return Status::Ok();
}

}  // namespace foxpro
