// Opening a file that came with a demo as untrusted input: never blocking on it (a named pipe
// with no writer, a device), and only when it is a regular file of bounded size.
#pragma once

#include <cstdint>
#include <string>

namespace vexil {
namespace sys {

// Opens `path` for reading without ever blocking and checks that it is a regular file of at
// most `maxBytes`. Returns the descriptor (the caller closes it) and its size, or -1 with
// `error` set ("not a regular file (a named pipe)", "file of 300000000 bytes is larger than
// the limit of 268435456 bytes", "file not found") and `*notFound` telling a missing file apart.
int OpenRegularFile(const std::string& path, uint64_t maxBytes, uint64_t* size, std::string* error,
                    bool* notFound);

// The whole of `path` into `bytes`, opened as OpenRegularFile opens it. False with `error` set
// (and `*notFound` for a missing file) when it cannot be opened, a read fails, or the file
// changed size while it was read.
bool ReadRegularFile(const std::string& path, uint64_t maxBytes, std::string* bytes,
                     std::string* error, bool* notFound);

}  // namespace sys
}  // namespace vexil
