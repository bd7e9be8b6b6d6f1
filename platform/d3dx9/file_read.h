// Reading a whole file that came with a demo, as untrusted input: only regular files are read
// (a folder, a pipe, /dev/zero or a terminal is refused at once, never waited on or read
// without end), and never more than a given number of bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace d3dx {

enum class FileReadResult {
  kOk,
  kNotFound,  // no such file (or a path component is missing)
  kRefused,   // not a regular file, too large, or unreadable; `error` says which
};

// Reads the file at `path` into `out`. On failure `error` receives a reason such as
// "not a regular file (a named pipe)" or "file of 300000000 bytes is larger than the limit of
// 268435456 bytes".
FileReadResult ReadRegularFile(const std::string& path, uint64_t maxBytes,
                               std::vector<unsigned char>* out, std::string* error);

// The same into memory the caller provides: `allocate(size)` returns room for the file's size
// in bytes (or null when there is none, which refuses the file); `*got` receives the bytes
// read, which may be fewer when the file shrank meanwhile.
FileReadResult ReadRegularFile(const std::string& path, uint64_t maxBytes,
                               const std::function<unsigned char*(size_t)>& allocate, size_t* got,
                               std::string* error);

// Opens `path` for reading without ever blocking on it (a FIFO with no writer, a device) and
// checks that it is a regular file of at most `maxBytes`. Returns the descriptor (the caller
// closes it) and its size, or -1 with `error` set and `*notFound` telling a missing file apart.
int OpenRegularFile(const std::string& path, uint64_t maxBytes, uint64_t* size, std::string* error,
                    bool* notFound);

}  // namespace d3dx
