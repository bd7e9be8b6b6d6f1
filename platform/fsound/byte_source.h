// Random-access byte sources behind libsndfile's virtual I/O: a private copy of a memory block,
// a block shared with its owner, or a window (offset, length) of a file. Lets one decoder path
// serve every way of opening.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vexil::fsound {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual int64_t Size() const = 0;
  // Reads up to `count` bytes at the current position; returns the bytes read.
  virtual int64_t Read(void* dst, int64_t count) = 0;
  int64_t Seek(int64_t offset, int whence);
  int64_t Tell() const { return pos_; }
  // What the bytes are, for messages: the file's path, or "music in memory".
  const std::string& Name() const { return name_; }
  void SetName(std::string name) { name_ = std::move(name); }

  // libsndfile callbacks that take a ByteSource* as their user data.
  static SF_VIRTUAL_IO* VirtualIo();

 protected:
  int64_t pos_ = 0;
  std::string name_ = "music in memory";
};

// The largest music file or block a stream opens (about 50 minutes of CD-quality WAV).
constexpr int64_t kMaxMusicBytes = int64_t{512} << 20;

// Copies the bytes: the caller's block may be freed as soon as the stream is open. Null (and a
// message on stderr) for a block larger than kMaxMusicBytes or when memory runs out.
std::unique_ptr<ByteSource> MakeMemorySource(const void* data, int64_t size);

// Reads the caller's block where it is; release(context) is called once when the source is
// destroyed, or before returning null (a block larger than kMaxMusicBytes, or no memory).
std::unique_ptr<ByteSource> MakeSharedMemorySource(const void* data, int64_t size,
                                                   void (*release)(void*), void* context);

// Opens `path` and exposes `length` bytes after `offset` (length <= 0: up to the end).
// Only a regular file of at most kMaxMusicBytes is opened, and opening never blocks (a named
// pipe, a device or a folder is refused at once). On failure returns null, prints the reason
// on stderr and sets *fmod_error to an FMOD_ERRORS code.
std::unique_ptr<ByteSource> OpenFileSource(const char* path, int64_t offset, int64_t length,
                                           int* fmod_error);

}  // namespace vexil::fsound
