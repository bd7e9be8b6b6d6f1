// vexil-gma: command-line packer and unpacker for ".gma" script containers, using the
// same key as the player and within the player's size limit, and the maker of bundles.
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "bundle_command.h"
#include "container/container_cipher.h"
#include "script/script_limits.h"
#include "system/output_file.h"
#include "system/regular_file.h"

namespace {

const char kUsage[] =
    "usage: vexil-gma pack IN OUT     encipher the plain XML script IN into the container OUT\n"
    "       vexil-gma unpack IN OUT   decode the container IN into the plain script OUT\n"
    "       vexil-gma bundle SCRIPT OUT.zip\n"
    "                                 write the script (or container) and exactly the files it\n"
    "                                 refers to into the zip bundle OUT.zip\n"
    "       vexil-gma bundle --list SCRIPT\n"
    "                                 print what the bundle would hold, one path a line\n";

// Only a regular file of at most the player's script limit is read: a named pipe would block and
// a device such as /dev/zero never end.
bool ReadFile(const std::string& path, std::string* bytes) {
  std::string refusal;
  bool notFound = false;
  // The player's own limit and message: a container the player would refuse is not made.
  if (!vexil::sys::ReadRegularFile(path, vexil::kMaxScriptBytes, bytes, &refusal, &notFound)) {
    std::fprintf(stderr, "vexil-gma: cannot read the script \"%s\": %s\n", path.c_str(),
                 refusal.c_str());
    return false;
  }
  return true;
}

// Through the file writer: a temporary beside OUT renamed over it once complete, so a failed
// write never leaves a truncated OUT (and IN may safely be the same file as OUT); a device or a
// pipe given as OUT is written in place, never replaced.
bool WriteFile(const std::string& path, const std::string& bytes) {
  std::string error;
  if (!vexil::sys::WriteWholeFile(path, bytes.data(), bytes.size(), &error)) {
    std::fprintf(stderr, "vexil-gma: cannot create \"%s\": %s\n", path.c_str(), error.c_str());
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
  if (argc >= 2 && std::strcmp(argv[1], "bundle") == 0) {
    return vexil::RunBundleCommand(argc - 2, argv + 2);
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
