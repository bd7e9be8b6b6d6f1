// A demo in one file: a zip archive holding the script (or its container) at the top and the
// files it names in their folders. While a bundle is mounted, relative file names are read
// from it instead of the working folder: nothing is unpacked to disk. An entry is handed out
// as a descriptor of an anonymous in-memory file, so every reader that goes through
// OpenRegularFile (regular_file.h) reads bundles without knowing.
//
// Archives are untrusted: opening one checks every entry up front and refuses the whole
// archive, with a message, for a name that could leave the bundle (absolute, a drive, "..",
// a backslash), duplicate names (also without regard to letter case, as lookups ignore it),
// symbolic links, encrypted entries, too many entries, entries or a total too large, and a
// ratio of unpacked to packed size that only a zip bomb has.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vexil {
namespace sys {

struct BundleLimits {
  uint64_t maxEntries = 20000;
  uint64_t maxEntryBytes = 512ull << 20;
  uint64_t maxTotalBytes = 2048ull << 20;
  // Pictures and music hardly compress; text compresses well, but a real demo's entry never
  // shrinks to a two-hundredth. Entries under a mebibyte are not judged by ratio.
  uint64_t maxRatio = 200;
  uint64_t ratioFloorBytes = 1ull << 20;
};

class Bundle {
 public:
  // The archive at `path`, checked entry by entry; null with `error` set when it is refused.
  static std::unique_ptr<Bundle> Open(const std::string& path, std::string* error,
                                      const BundleLimits& limits = {});
  ~Bundle();
  Bundle(const Bundle&) = delete;
  Bundle& operator=(const Bundle&) = delete;

  const std::string& path() const { return path_; }
  // The entries' names (files only; folders are implied), in archive order.
  const std::vector<std::string>& names() const { return names_; }

  // The entry `name` names, matched as written or else without regard to ASCII letter case,
  // after backslashes became slashes and "./" prefixes were dropped; "" when there is none.
  std::string Find(const std::string& name) const;
  // True when some entry lies in the folder `name` (for lookups of folders).
  bool HasFolder(const std::string& name) const;

  // The entry `name` (as Find returns it) unpacked into an anonymous in-memory file of at most
  // `maxBytes`, positioned at its start: the descriptor (the caller closes it) and its size,
  // or -1 with `error` set.
  int OpenEntry(const std::string& name, uint64_t maxBytes, uint64_t* size,
                std::string* error) const;

  // The script at the top of the bundle: its one ".gma", else its one ".xml"; "" with `error`
  // set when there is none or several.
  std::string TopScript(std::string* error) const;

 private:
  Bundle() = default;

  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::string path_;
  std::vector<std::string> names_;
  std::vector<uint64_t> indices_;
};

// True for a name ending in ".zip" (any case).
bool HasBundleExtension(const std::string& path);

// The process's mounted bundle (one at a time: the demo being played); relative names are
// read from it. Mounting replaces the previous one, so a reload reads the archive anew.
bool MountBundle(const std::string& path, std::string* error);
void UnmountBundle();
// The mounted bundle, or null; kept alive for the caller while a reload replaces it.
std::shared_ptr<const Bundle> MountedBundle();

}  // namespace sys
}  // namespace vexil
