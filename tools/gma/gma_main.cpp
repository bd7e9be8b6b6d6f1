// vexil-gma: command-line packer and unpacker for ".gma" script containers, using the
// same key as the player. Output is written through a temporary file and renamed.
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "container/container_cipher.h"
#include "system/regular_file.h"

namespace {

const char kUsage[] =
    "usage: vexil-gma pack IN OUT     encipher the plain XML script IN into the container OUT\n"
    "       vexil-gma unpack IN OUT   decode the container IN into the plain script OUT\n";

// Only a regular file of at most the container limit is read: a named pipe would block and
// a device such as /dev/zero never end.
bool ReadFile(const std::string& path, std::string* bytes) {
  uint64_t size = 0;
  std::string refusal;
  bool notFound = false;
  const int fd =
      vexil::sys::OpenRegularFile(path, vexil::kMaxContainerLength, &size, &refusal, &notFound);
  if (fd < 0) {
    std::fprintf(stderr, "vexil-gma: cannot read \"%s\": %s\n", path.c_str(), refusal.c_str());
    return false;
  }
  FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) {
    ::close(fd);
    std::fprintf(stderr, "vexil-gma: cannot read \"%s\": %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  bytes->resize(static_cast<size_t>(size));
  const size_t got = std::fread(bytes->data(), 1, bytes->size(), file);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  bytes->resize(got);  // a file that shrank meanwhile is taken as it now is
  if (failed) {
    std::fprintf(stderr, "vexil-gma: cannot read \"%s\"\n", path.c_str());
    return false;
  }
  return true;
}

// Writes beside the target and renames, so a failed write never leaves a truncated OUT
// (and IN may safely be the same file as OUT).
bool WriteFile(const std::string& path, const std::string& bytes) {
  const std::string temp = path + ".vexil-gma-tmp";
  FILE* file = std::fopen(temp.c_str(), "wb");
  if (file == nullptr) {
    std::fprintf(stderr, "vexil-gma: cannot create \"%s\": %s\n", temp.c_str(),
                 std::strerror(errno));
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    std::fprintf(stderr, "vexil-gma: cannot write \"%s\"\n", temp.c_str());
    std::remove(temp.c_str());
    return false;
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::fprintf(stderr, "vexil-gma: cannot replace \"%s\": %s\n", path.c_str(),
                 std::strerror(errno));
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

// A script starts with '<' after optional white space and a UTF-8 byte-order mark.
bool LooksLikeXml(const std::string& text) {
  size_t i = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
  while (i < text.size() && std::strchr(" \t\r\n", text[i]) != nullptr) ++i;
  return i < text.size() && text[i] == '<';
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc != 4 || (std::strcmp(argv[1], "pack") != 0 && std::strcmp(argv[1], "unpack") != 0)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const bool pack = std::strcmp(argv[1], "pack") == 0;
  const std::string in = argv[2];
  const std::string out = argv[3];

  std::string bytes;
  if (!ReadFile(in, &bytes)) return 1;
  if (bytes.size() > vexil::kMaxContainerLength) {
    std::fprintf(stderr, "vexil-gma: \"%s\" is too large for a container (4 GiB at most)\n",
                 in.c_str());
    return 1;
  }

  if (pack) {
    if (!LooksLikeXml(bytes)) {
      std::fprintf(stderr, "vexil-gma: warning: \"%s\" does not look like an XML script\n",
                   in.c_str());
    }
    vexil::EncodeContainer(&bytes);
  } else {
    vexil::DecodeContainer(&bytes);
    // The format carries no checksum; a wrong key or a plain file only shows as garbage.
    if (!bytes.empty() && !LooksLikeXml(bytes)) {
      std::fprintf(stderr,
                   "vexil-gma: warning: the decoded text of \"%s\" does not look like XML "
                   "(not a container, or made with another key)\n",
                   in.c_str());
    }
  }
  return WriteFile(out, bytes) ? 0 : 1;
}
