// Memory and file-window byte sources with libsndfile virtual I/O callbacks.
// A file source keeps its FILE* open and is read only by the thread that decodes the stream.
#include "byte_source.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include <unistd.h>

#include "fsound/fsound.h"
#include "system/regular_file.h"

namespace vexil::fsound {

int64_t ByteSource::Seek(int64_t offset, int whence) {
  int64_t base = 0;
  if (whence == SEEK_CUR) base = pos_;
  if (whence == SEEK_END) base = Size();
  const int64_t target = base + offset;
  if (target < 0) return -1;
  pos_ = target;  // seeking past the end is allowed; reads there return nothing
  return pos_;
}

namespace {

// Reads a block through a pointer; `keeper_` holds whatever keeps the block alive (the
// source's own copy, or a caller's block it shares) and lets go of it with the source.
class MemorySource final : public ByteSource {
 public:
  MemorySource(const uint8_t* data, int64_t size, std::shared_ptr<const void> keeper)
      : data_(data), size_(size), keeper_(std::move(keeper)) {}
  int64_t Size() const override { return size_; }
  int64_t Read(void* dst, int64_t count) override {
    const int64_t available = size_ - pos_;
    const int64_t n = count < available ? count : available;
    if (n <= 0) return 0;
    std::memcpy(dst, data_ + pos_, static_cast<size_t>(n));
    pos_ += n;
    return n;
  }

 private:
  const uint8_t* data_;
  int64_t size_;
  std::shared_ptr<const void> keeper_;
};

// Calls the owner's release function once the last source reading the block is gone.
struct SharedBlock {
  void (*release)(void*);
  void* context;
  ~SharedBlock() {
    if (release) release(context);
  }
};

bool WithinLimit(int64_t size) {
  if (size <= kMaxMusicBytes) return true;
  std::fprintf(stderr,
               "fsound: music in memory of %lld bytes is larger than the limit of %lld bytes\n",
               static_cast<long long>(size), static_cast<long long>(kMaxMusicBytes));
  return false;
}

class FileWindowSource final : public ByteSource {
 public:
  FileWindowSource(FILE* file, int64_t base, int64_t size)
      : file_(file), base_(base), size_(size) {}
  ~FileWindowSource() override { std::fclose(file_); }
  int64_t Size() const override { return size_; }
  int64_t Read(void* dst, int64_t count) override {
    const int64_t available = size_ - pos_;
    const int64_t n = count < available ? count : available;
    if (n <= 0) return 0;
    if (file_pos_ != base_ + pos_) {
      if (fseeko(file_, static_cast<off_t>(base_ + pos_), SEEK_SET) != 0) return 0;
      file_pos_ = base_ + pos_;
    }
    const size_t got = std::fread(dst, 1, static_cast<size_t>(n), file_);
    pos_ += static_cast<int64_t>(got);
    file_pos_ += static_cast<int64_t>(got);
    return static_cast<int64_t>(got);
  }

 private:
  FILE* file_;
  int64_t base_;
  int64_t size_;
  int64_t file_pos_ = -1;  // where the FILE* stands, to skip redundant seeks
};

ByteSource* Self(void* user) {
  return static_cast<ByteSource*>(user);
}

sf_count_t VioLength(void* user) {
  return Self(user)->Size();
}
sf_count_t VioSeek(sf_count_t offset, int whence, void* user) {
  return Self(user)->Seek(offset, whence);
}
sf_count_t VioRead(void* ptr, sf_count_t count, void* user) {
  return Self(user)->Read(ptr, count);
}
sf_count_t VioWrite(const void*, sf_count_t, void*) {
  return 0;
}  // sources are read-only
sf_count_t VioTell(void* user) {
  return Self(user)->Tell();
}

}  // namespace

SF_VIRTUAL_IO* ByteSource::VirtualIo() {
  static SF_VIRTUAL_IO io = {VioLength, VioSeek, VioRead, VioWrite, VioTell};
  return &io;
}

std::unique_ptr<ByteSource> MakeMemorySource(const void* data, int64_t size) {
  if (!WithinLimit(size)) return nullptr;
  const auto* bytes = static_cast<const uint8_t*>(data);
  try {
    auto copy = std::make_shared<const std::vector<uint8_t>>(bytes, bytes + size);
    const uint8_t* start = copy->data();
    return std::make_unique<MemorySource>(start, size, std::move(copy));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

std::unique_ptr<ByteSource> MakeSharedMemorySource(const void* data, int64_t size,
                                                   void (*release)(void*), void* context) {
  // Taken over first, so that every way out below releases the block exactly once.
  std::unique_ptr<SharedBlock> block;
  try {
    block.reset(new SharedBlock{release, context});
  } catch (const std::bad_alloc&) {
    if (release) release(context);
    return nullptr;
  }
  if (!WithinLimit(size)) return nullptr;
  try {
    std::shared_ptr<const void> keeper(std::move(block));
    return std::make_unique<MemorySource>(static_cast<const uint8_t*>(data), size,
                                          std::move(keeper));
  } catch (const std::bad_alloc&) {
    return nullptr;  // the shared_ptr or the block's holder released it
  }
}

std::unique_ptr<ByteSource> OpenFileSource(const char* path, int64_t offset, int64_t length,
                                           int* fmod_error) {
  // Decoders seek and read to the end: only regular files will do (not a folder, a pipe or a
  // device such as /dev/zero that never ends), opened without waiting on a pipe.
  uint64_t bytes = 0;
  std::string refusal;
  bool notFound = false;
  const int fd = vexil::sys::OpenRegularFile(path, static_cast<uint64_t>(kMaxMusicBytes), &bytes,
                                             &refusal, &notFound);
  if (fd < 0) {
    *fmod_error = notFound ? FMOD_ERR_FILE_NOTFOUND : FMOD_ERR_FILE_BAD;
    std::fprintf(stderr, "fsound: cannot open \"%s\": %s\n", path, refusal.c_str());
    return nullptr;
  }
  const int64_t file_size = static_cast<int64_t>(bytes);
  if (offset > file_size) {
    ::close(fd);
    *fmod_error = FMOD_ERR_INVALID_PARAM;
    return nullptr;
  }
  FILE* file = ::fdopen(fd, "rb");
  if (!file) {
    ::close(fd);
    *fmod_error = FMOD_ERR_MEMORY;
    return nullptr;
  }
  int64_t size = file_size - offset;
  if (length > 0 && length < size) size = length;
  auto source = std::make_unique<FileWindowSource>(file, offset, size);
  source->SetName(path);
  return source;
}

}  // namespace vexil::fsound
